#include "render/html_view.h"

#include <algorithm>
#include <cmath>

#include "html/document.h"
#include "platform/utf8.h"
#include "render/text_dump.h"

namespace corvane::render {
namespace {

int TenthOr(int size, int larger) {
    return size > 0 ? size : std::max(1, larger / 10);
}

}  // namespace

ScrollSizes MakeScrollSizes(int totalWidth, int totalHeight, int pageWidth, int pageHeight,
                            int lineWidth, int lineHeight) {
    ScrollSizes sizes;
    sizes.totalWidth = std::abs(totalWidth);
    sizes.totalHeight = std::abs(totalHeight);
    sizes.pageWidth = TenthOr(std::abs(pageWidth), sizes.totalWidth);
    sizes.pageHeight = TenthOr(std::abs(pageHeight), sizes.totalHeight);
    sizes.lineWidth = TenthOr(std::abs(lineWidth), sizes.pageWidth);
    sizes.lineHeight = TenthOr(std::abs(lineHeight), sizes.pageHeight);
    return sizes;
}

CHTMLView::CHTMLView(DrawingSurface& measuringSurface, platform::HostServices& host,
                     CViewWindow& window)
    : host_(host), window_(window), fonts_(measuringSurface, host), layout_(fonts_) {
    // Tab to a field out of view scrolls it into the middle of the window.
    forms_.onReveal = [this](const Rect& box) {
        window_.ScrollToY(std::max(0, box.top - clientHeight_ / 2));
    };
}

bool CHTMLView::ApplySettings(const ViewSettings& settings) {
    const bool fontsChanged = settings.fonts != fonts_.Settings() || fonts_.Size() == 0;
    settings_ = settings;
    if (fontsChanged) {
        if (fonts_.Create(settings.fonts) != CFontTable::Result::kOk) return false;
        RelayoutNow();
    }
    window_.Repaint(Rect{});
    return true;
}

void CHTMLView::SetDocument(const html::CHTML* document, std::string url, std::string base) {
    url_ = std::move(url);
    base_ = std::move(base);
    hover_ = nullptr;
    pressed_ = nullptr;
    selecting_ = false;
    selectionAnchor_ = selectionFocus_ = Point{};
    search_.StartFromTop();
    scrolledToTarget_ = false;
    // The windows go before the elements they show.
    forms_.SetDocument(document, url_);
    layout_.SetDocument(document);
    window_.ScrollToY(0);
    RelayoutNow();
}

void CHTMLView::Update() {
    if (beforeUse) beforeUse();
    if (fonts_.Size() == 0) return;
    if (layout_.Update(layoutBudgetMs)) AfterLayout();
    if (!layout_.CaughtUp() && onLayoutBehind) onLayoutBehind();
}

void CHTMLView::Finish() {
    if (beforeUse) beforeUse();
    if (fonts_.Size() == 0) return;
    layout_.Update();
    layout_.Finish();
    AfterLayout();
}

void CHTMLView::OnSize(int clientWidth, int clientHeight) {
    const bool widthChanged = clientWidth != clientWidth_;
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    if (!widthChanged) {
        AfterLayout();
        return;
    }
    // Lay out later, once: a drag resizes many times before the loop turns.
    if (!relayoutPosted_) {
        relayoutPosted_ = true;
        window_.PostRelayout();
    }
}

void CHTMLView::OnScroll(Point scroll) {
    scroll_ = scroll;
    PlaceControls();
}

void CHTMLView::PlaceControls() {
    const Rect visible{scroll_.x, scroll_.y, scroll_.x + clientWidth_, scroll_.y + clientHeight_};
    forms_.Place(layout_.Display(), visible, scroll_);
}

void CHTMLView::OnRelayout() {
    if (beforeUse) beforeUse();
    relayoutPosted_ = false;
    RelayoutNow();
}

void CHTMLView::RelayoutNow() {
    if (fonts_.Size() == 0) return;
    ++layoutCount_;
    layout_.Restart(clientWidth_, layoutBudgetMs);
    AfterLayout();
    if (!layout_.CaughtUp() && onLayoutBehind) onLayoutBehind();
}

void CHTMLView::AfterLayout() {
    const BaseMetrics& base = fonts_.Base();
    window_.SetScrollSizes(MakeScrollSizes(layout_.DocumentWidth(), layout_.DocumentHeight(),
                                           clientWidth_, clientHeight_, base.averageCharWidth,
                                           base.lineHeight));
    if (!scrolledToTarget_) {
        if (auto target = layout_.ScrollTargetY(); target && *target > 0) {
            window_.ScrollToY(*target);
            scrolledToTarget_ = true;
        }
    }
    window_.Repaint(Rect{});
    PlaceControls();
    if (textStream_) {
        textStream_->Write(layout_.Display());
        layout_.DropClosedLines();
    }
}

void CHTMLView::Paint(DrawingSurface& surface, const Rect& area) {
    if (beforeUse) beforeUse();
    ColorScheme colors = layout_.Colors(settings_.colors, settings_.useDocumentColors);
    colors.selectionText = selectionText_;
    colors.selectionBackground = selectionBackground_;
    surface.SetClip(area);
    if (fonts_.Size() == 0) {  // nothing can be laid out without fonts
        surface.FillRect(area, colors.background);
        return;
    }
    PaintQueries queries;
    queries.isVisited = [this](const html::CHTMLElement* a) { return layout_.IsVisited(a); };
    queries.imageInfo = [this](const html::CHTMLElement* i) { return layout_.ImageOf(i); };
    queries.pressedAnchor = pressed_;
    const OrderedSelection selection = Selection();
    if (!selection.IsEmpty()) {
        queries.selectedPart = [this, &selection](const LayoutBox& box) {
            return SelectedPart(layout_.Display(), box, selection);
        };
    }
    // The document's background picture, tiled once it is complete.
    ImageInfo background;
    if (const html::CHTML* document = layout_.Document(); document && document->background) {
        background = layout_.ImageOf(document->background.get());
        if (background.state == ImageState::kDecoded &&
            background.bitmap.height == background.naturalHeight)
            queries.backgroundImage = &background.bitmap;
    }
    CDocumentPainter painter(surface, colors, queries, fonts_.FontFor(0));
    painter.PaintBackground(area);
    painter.PaintBoxes(layout_.Display(), area);
}

const html::CHTMLElement* CHTMLView::HitTest(Point point, const LayoutBox** boxOut) const {
    const DisplayList& list = layout_.Display();
    const auto hits = [&](const LayoutBox& box) {
        return box.anchor && (box.kind == BoxKind::kText || box.kind == BoxKind::kImage) &&
               box.rect.Contains(point);
    };
    for (std::uint32_t index : list.floats) {
        if (hits(list.boxes[index])) {
            if (boxOut) *boxOut = &list.boxes[index];
            return list.boxes[index].anchor;
        }
    }
    auto line = std::partition_point(list.lines.begin(), list.lines.end(),
                                     [&](const LineBox& l) { return l.bottom <= point.y; });
    std::uint32_t first = line == list.lines.end()
                              ? (list.lines.empty() ? 0 : list.lines.back().endBox)
                              : line->firstBox;
    std::uint32_t end =
        line == list.lines.end() ? static_cast<std::uint32_t>(list.boxes.size()) : line->endBox;
    for (std::uint32_t i = first; i < end; ++i) {
        if (!IsFloat(list.boxes[i]) && hits(list.boxes[i])) {
            if (boxOut) *boxOut = &list.boxes[i];
            return list.boxes[i].anchor;
        }
    }
    return nullptr;
}

std::string CHTMLView::LinkTextAt(Point point) const {
    const LayoutBox* box = nullptr;
    const html::CHTMLElement* anchor = HitTest(point, &box);
    if (!anchor) return {};
    std::string text = layout_.LinkUrl(anchor);
    if (box->kind == BoxKind::kImage && layout_.IsMap(box->element)) {
        text += '?';
        text += std::to_string(point.x - box->rect.left - box->spaceX);
        text += ',';
        text += std::to_string(point.y - box->rect.top - box->spaceY);
    }
    return text;
}

void CHTMLView::RepaintAnchor(const html::CHTMLElement* anchor) {
    if (!anchor) return;
    Rect area;
    for (const LayoutBox& box : layout_.Display().boxes) {
        if (box.anchor == anchor) area.Unite(box.rect);
    }
    if (!area.IsEmpty()) window_.Repaint(area);
}

void CHTMLView::MouseMove(Point point) {
    if (beforeUse) beforeUse();
    const html::CHTMLElement* anchor = HitTest(point);
    const std::string status = LinkTextAt(point);
    if (status != status_) {
        status_ = status;
        host_.SetStatusText(status_);
    }
    if (anchor != hover_) {
        RepaintAnchor(hover_);
        hover_ = anchor;
    }
    if (selecting_) {
        SetSelection(selectionAnchor_, point);
        window_.SetCursor(CursorKind::kSelecting);
    } else if (pressed_ && anchor == pressed_) {
        window_.SetCursor(CursorKind::kPressedLink);
    } else {
        window_.SetCursor(anchor ? CursorKind::kLink : CursorKind::kArrow);
    }
}

void CHTMLView::MouseLeave() {
    if (!status_.empty()) {
        status_.clear();
        host_.SetStatusText(status_);
    }
    RepaintAnchor(hover_);
    hover_ = nullptr;
}

void CHTMLView::LeftButtonDown(Point point) {
    if (beforeUse) beforeUse();
    const html::CHTMLElement* anchor = HitTest(point);
    if (anchor) {
        pressed_ = anchor;
        RepaintAnchor(anchor);
        window_.SetCursor(CursorKind::kPressedLink);
        return;
    }
    SetSelection(point, point);
    selecting_ = true;
    window_.SetCursor(CursorKind::kSelecting);
}

void CHTMLView::LeftButtonUp(Point point) {
    if (beforeUse) beforeUse();
    if (selecting_) {
        selecting_ = false;
        SetSelection(selectionAnchor_, point);
        if (HasSelection() && onSelectionMade) onSelectionMade(SelectedText());
    }
    const html::CHTMLElement* anchor = pressed_;
    pressed_ = nullptr;
    if (anchor) RepaintAnchor(anchor);
    if (const html::CHTMLElement* image = IconSquareAt(point); image && onLoadImage) {
        onLoadImage(image);
        return;
    }
    if (!anchor) return;
    LinkRequest request;
    request.url = layout_.LinkUrl(anchor);
    request.base = base_.empty() ? url_ : base_;
    request.referrer = url_;
    // An ISMAP image sends where it was clicked.
    const LayoutBox* box = nullptr;
    if (HitTest(point, &box) == anchor && box->kind == BoxKind::kImage &&
        layout_.IsMap(box->element)) {
        request.url = LinkTextAt(point);
        request.method = 1;
    }
    if (onFollowLink) onFollowLink(request);
}

const html::CHTMLElement* CHTMLView::IconSquareAt(Point point) const {
    constexpr int kIconStrip = 33;
    for (const LayoutBox& box : layout_.Display().boxes) {
        if (box.kind != BoxKind::kImage || !box.rect.Contains(point)) continue;
        const ImageInfo info = layout_.ImageOf(box.element);
        if (info.state == ImageState::kDecoded) return nullptr;
        const int left = box.rect.left + box.spaceX + info.border;
        return point.x < left + kIconStrip && point.x >= left ? box.element : nullptr;
    }
    return nullptr;
}

bool CHTMLView::HasSelection() const {
    return !Selection().IsEmpty();
}

OrderedSelection CHTMLView::Selection() const {
    if (selectionAnchor_ == selectionFocus_) return {};
    return OrderSelection(layout_.Display(), selectionAnchor_, selectionFocus_);
}

std::string CHTMLView::SelectedText() const {
    return render::SelectedText(layout_.Display(), Selection());
}

bool CHTMLView::Copy() {
    const std::string text = SelectedText();
    if (text.empty()) return false;
    host_.SetClipboardText(text);
    return true;
}

void CHTMLView::SetSelectionColors(Color text, Color background) {
    selectionText_ = text;
    selectionBackground_ = background;
}

CHTMLView::PointTargets CHTMLView::TargetsAt(Point point) const {
    PointTargets targets;
    if (const html::CHTMLElement* anchor = HitTest(point))
        targets.linkUrl = layout_.LinkUrl(anchor);
    for (const LayoutBox& box : layout_.Display().boxes) {
        if (box.kind == BoxKind::kImage && box.rect.Contains(point) &&
            box.element->type == html::kElementImage) {
            targets.image = box.element;
            targets.imageUrl = static_cast<const html::CHTMLImage*>(box.element)->url;
            break;
        }
    }
    const html::CHTML* document = layout_.Document();
    if (document && document->background) targets.backgroundUrl = document->background->url;
    return targets;
}

void CHTMLView::Select(Point from, Point to) {
    SetSelection(from, to);
}

void CHTMLView::ClearSelection() {
    SetSelection(Point{}, Point{});
}

void CHTMLView::SetSelection(Point anchor, Point focus) {
    if (anchor == selectionAnchor_ && focus == selectionFocus_) return;
    Rect area = SelectionArea(layout_.Display(), Selection());
    selectionAnchor_ = anchor;
    selectionFocus_ = focus;
    area.Unite(SelectionArea(layout_.Display(), Selection()));
    if (!area.IsEmpty()) window_.Repaint(area);
}

std::optional<Point> CHTMLView::PointOf(const TextPosition& position, bool after) const {
    const html::CHTML* document = layout_.Document();
    if (!document || position.entry >= document->texts.size()) return std::nullopt;
    const html::CHTMLElement* element = document->texts[position.entry];
    std::string label;
    const std::string_view text = SearchableText(*element, label);
    const LayoutBox* firstCopy = nullptr;
    const LayoutBox* lastCopy = nullptr;
    for (const LayoutBox& box : layout_.Display().boxes) {
        if (box.element != element) continue;
        // A control is selected whole.
        if (box.kind == BoxKind::kControl)
            return Point{after ? box.rect.right : box.rect.left, box.rect.top};
        if (box.font == nullptr || (box.kind != BoxKind::kText && box.kind != BoxKind::kNumber))
            continue;
        // A number box shows the label itself; a text box a piece of the element's text
        // (preformatted lines with tabs show a copy, placed by their box alone).
        std::size_t start = 0;
        if (box.kind == BoxKind::kText) {
            if (box.text.data() < text.data() || box.text.data() > text.data() + text.size()) {
                if (!firstCopy) firstCopy = &box;
                lastCopy = &box;
                continue;
            }
            start = static_cast<std::size_t>(box.text.data() - text.data());
        }
        if (position.offset < start || position.offset >= start + box.text.size()) continue;
        const std::size_t inBox = position.offset - start;
        std::size_t length = 1;
        DecodeUtf8(box.text.substr(inBox), &length);
        const std::size_t until = after ? inBox + std::max<std::size_t>(length, 1) : inBox;
        const double x = box.rect.left + box.font->TextAdvance(box.text.substr(0, until));
        return Point{static_cast<int>(std::lround(x)), box.rect.top};
    }
    const LayoutBox* fallback = after ? lastCopy : firstCopy;
    if (!fallback) return std::nullopt;
    return Point{after ? fallback->rect.right : fallback->rect.left, fallback->rect.top};
}

CHTMLView::FindOutcome CHTMLView::FindNext(std::string_view pattern, bool fromTop, bool matchCase) {
    if (beforeUse) beforeUse();
    if (pattern.empty()) {
        host_.ShowMessage("Enter the string to be searched!", platform::MessageButtons::kOk,
                          platform::MessageIcon::kExclamation);
        return FindOutcome::kEmptyPattern;
    }
    if (fromTop) search_.StartFromTop();
    const html::CHTML* document = layout_.Document();
    const std::optional<TextMatch> match =
        document ? search_.FindNext(*document, pattern, matchCase) : std::nullopt;
    const std::optional<Point> from = match ? PointOf(match->first, false) : std::nullopt;
    const std::optional<Point> to = match ? PointOf(match->last, true) : std::nullopt;
    if (!from || !to) {
        host_.ShowMessage("Finished searching this page!", platform::MessageButtons::kOk,
                          platform::MessageIcon::kExclamation);
        return FindOutcome::kFinished;
    }
    SetSelection(*from, *to);
    const int lineHeight = fonts_.Base().lineHeight;
    const int top = window_.ScrollY();
    if (from->y < top || to->y + lineHeight > top + clientHeight_) {
        window_.ScrollToY(std::max(0, from->y - lineHeight));
        window_.Repaint(Rect{});
    }
    return FindOutcome::kFound;
}

std::string CHTMLView::DumpText() const {
    std::string out;
    WriteText([&out](std::string_view line) { out += line; });
    return out;
}

DumpMetrics CHTMLView::TextMetrics() const {
    const BaseMetrics& base = fonts_.Base();
    return DumpMetrics{CLayoutContext::kLeftMargin, base.averageCharWidth, base.lineHeight};
}

void CHTMLView::WriteText(const TextSink& sink) const {
    render::WriteText(layout_.Display(), TextMetrics(), sink);
}

}  // namespace corvane::render

#include "render/flow_layout.h"

#include <algorithm>

#include "html/document.h"
#include "html/element.h"
#include "html/form_elements.h"
#include "platform/event_loop.h"
#include "render/control_boxes.h"
#include "render/list_label.h"

namespace corvane::render {
namespace {

// A SELECT or TEXTAREA whose options or text still arrive: layout waits for its end.
bool IsOpenControl(const html::CHTMLElement& element) {
    return html::IsControl(element.type) &&
           !static_cast<const html::CHTMLControl&>(element).complete;
}

constexpr int kPlaceholderSide = 32;
constexpr int kMaxFrames = 1 << 10;

}  // namespace

void CFlowLayout::SetDocument(const html::CHTML* document) {
    document_ = document;
    display_.Clear();
    tables_.Forget();
    context_.reset();
    last_ = nullptr;
    finished_ = false;
}

void CFlowLayout::Restart(int layoutWidth, std::uint32_t budgetMs) {
    layoutWidth_ = layoutWidth;
    display_.Clear();
    // Fonts or image sizes may have changed: tables are measured again.
    tables_.Forget();
    last_ = nullptr;
    finished_ = false;
    const int flowWidth = std::max(1, layoutWidth - 2 * CLayoutContext::kLeftMargin);
    context_ = std::make_unique<CLayoutContext>(fonts_, display_, CLayoutContext::kLeftMargin,
                                                CLayoutContext::kTopMargin, flowWidth);
    if (document_) Update(budgetMs);
}

bool CFlowLayout::Update(std::uint32_t budgetMs) {
    if (!document_ || !context_ || finished_) return false;
    // The clock is read once per this many elements: cheap, and fine-grained enough.
    constexpr unsigned kElementsPerClockRead = 256;
    const std::uint32_t start = budgetMs == kNoBudget ? 0 : platform::TickCount();
    bool placed = false;
    if (last_ && last_->type == html::kElementText) {
        const auto& text = static_cast<const html::CHTMLText&>(*last_);
        if (text.text.size() > lastTextSize_) {
            LayoutText(*context_, text, lastTextSize_);
            placed = true;
        }
    }
    const html::CHTMLElement* element = last_ ? last_->next : document_->First();
    unsigned sinceClockRead = 0;
    for (; element != document_->End(); element = element->next) {
        if (IsOpenControl(*element)) break;
        LayoutElement(*context_, *element);
        last_ = element;
        placed = true;
        if (budgetMs != kNoBudget && ++sinceClockRead == kElementsPerClockRead) {
            sinceClockRead = 0;
            if (platform::TickCount() - start >= budgetMs) break;
        }
    }
    if (last_ && last_->type == html::kElementText)
        lastTextSize_ = static_cast<const html::CHTMLText&>(*last_).text.size();
    return placed;
}

bool CFlowLayout::CaughtUp() const {
    if (!document_ || !context_) return true;
    if (last_ && last_->type == html::kElementText &&
        static_cast<const html::CHTMLText&>(*last_).text.size() > lastTextSize_)
        return false;
    const html::CHTMLElement* next = last_ ? last_->next : document_->First();
    // A control still open at the end waits for data that a stopped load never brings.
    return next == document_->End() || (IsOpenControl(*next) && next->next == document_->End());
}

void CFlowLayout::Finish() {
    if (!context_ || finished_) return;
    context_->Finish();
    finished_ = true;
}

void CFlowLayout::DropClosedLines() {
    if (context_) context_->DropClosedLines();
}

const html::CHTMLElement* CFlowLayout::FirstElementInUse() const {
    if (!context_ || !last_) return nullptr;
    for (const LayoutBox& box : display_.boxes) {
        if (box.element) return box.element;
    }
    return last_;
}

int CFlowLayout::DocumentWidth() const {
    if (!context_) return 0;
    return std::max(layoutWidth_, context_->Extent().right + CLayoutContext::kLeftMargin);
}

int CFlowLayout::DocumentHeight() const {
    if (!context_) return 0;
    return std::max(context_->Bottom(), context_->Extent().bottom) + CLayoutContext::kTopMargin;
}

std::optional<int> CFlowLayout::ScrollTargetY() const {
    if (!context_ || !document_ || document_->targetIsTop) return std::nullopt;
    return context_->ScrollTargetY();
}

void CFlowLayout::LayoutElement(CLayoutContext& context, const html::CHTMLElement& element) {
    if (&element == document_->scrollTarget && !document_->targetIsTop) context.MarkScrollTarget();

    switch (element.type) {
        case html::kElementText:
            LayoutText(context, static_cast<const html::CHTMLText&>(element), 0);
            break;
        case html::kElementBreak:
            context.Break(
                static_cast<BreakKind>(static_cast<const html::CHTMLBreak&>(element).kind));
            break;
        case html::kElementCentre:
            context.Centre(static_cast<const html::CHTMLBlockMarker&>(element).isEnd);
            break;
        case html::kElementBlockQuote:
            context.BlockQuote(static_cast<const html::CHTMLBlockMarker&>(element).isEnd);
            break;
        case html::kElementImage: {
            const auto& image = static_cast<const html::CHTMLImage&>(element);
            ImagePlacement placement;
            const ImageInfo info = ImageOf(&element);
            if (info.naturalWidth > 0) {
                // Stretched to WIDTH and HEIGHT where they are given.
                placement.width = image.width > 0 ? image.width : info.naturalWidth;
                placement.height = image.height > 0 ? image.height : info.naturalHeight;
            } else {
                // The placeholder's frame holds the icon and the ALT text with a gap on each side.
                const int frames = std::clamp(image.border, image.alt.empty() ? 0 : 1, kMaxFrames);
                placement.width = kPlaceholderSide + 2 * frames;
                placement.height = kPlaceholderSide + 2 * frames;
                if (!image.alt.empty())
                    placement.width += fonts_.FontFor(0).TextWidth(image.alt) + 2 * kImageAltGap;
            }
            placement.hspace = image.hspace;
            placement.vspace = image.vspace;
            placement.alignment = image.alignment;
            placement.alt = image.alt;
            context.PlaceImage(&element, placement, image.anchor);
            break;
        }
        case html::kElementRule: {
            const auto& rule = static_cast<const html::CHTMLRule&>(element);
            context.PlaceRule(&element,
                              RulePlacement{rule.width, rule.size, rule.alignment, rule.shaded});
            break;
        }
        case html::kElementList:
            context.SetListDepth(static_cast<const html::CHTMLListMarker&>(element).depth);
            break;
        case html::kElementDefinitionList:
            context.SetDefinitionListDepth(
                static_cast<const html::CHTMLListMarker&>(element).depth);
            break;
        case html::kElementDefinitionData: {
            const auto& data = static_cast<const html::CHTMLDefinitionData&>(element);
            if (data.term) {
                context.DefinitionTerm();
            } else {
                context.DefinitionData(data.compact);
            }
            break;
        }
        case html::kElementNumberedItem: {
            const auto& item = static_cast<const html::CHTMLNumberedItem&>(element);
            context.PlaceNumber(&element, ItemNumberLabel(item), item.style);
            break;
        }
        case html::kElementBulletItem:
            context.PlaceBullet(&element, static_cast<const html::CHTMLBulletItem&>(element).shape);
            break;
        case html::kElementAlignment:
            context.SetAlignment(static_cast<const html::CHTMLAlignmentMarker&>(element).alignment);
            break;
        case html::kElementDocumentStart:
            context.DocumentStart();
            break;
        case html::kElementTable:
            tables_.Place(context, static_cast<const html::CHTMLTable&>(element));
            break;
        default:
            if (html::IsControl(element.type) && element.type != html::kControlHidden) {
                const auto& control = static_cast<const html::CHTMLControl&>(element);
                const ControlBox box = MeasureControl(control, ControlFont(control));
                context.PlaceControl(&element, box.width, box.height, box.ascent,
                                     ControlDumpText(control));
            }
            // Link anchors, anchor names and the parts that tables lay out themselves.
            break;
    }
}

const SurfaceFont& CFlowLayout::ControlFont(const html::CHTMLControl& control) const {
    return fonts_.FontFor(control.fixedFont ? kStyleFixed : 0);
}

void CFlowLayout::LayoutText(CLayoutContext& context, const html::CHTMLText& text,
                             std::size_t from) {
    const std::string_view rest = text.text.substr(from);
    if (text.preformatted) {
        context.PlacePreformatted(&text, rest, text.style, text.anchor);
    } else {
        context.PlaceText(&text, rest, text.style, text.anchor);
    }
}

std::string CFlowLayout::LinkUrl(const html::CHTMLElement* anchor) const {
    if (!anchor || anchor->type != html::kElementLinkAnchor) return {};
    return static_cast<const html::CHTMLAnchor*>(anchor)->url;
}

bool CFlowLayout::IsVisited(const html::CHTMLElement* anchor) const {
    return anchor && anchor->type == html::kElementLinkAnchor &&
           static_cast<const html::CHTMLAnchor*>(anchor)->visited;
}

bool CFlowLayout::IsMap(const html::CHTMLElement* image) const {
    return image && image->type == html::kElementImage &&
           static_cast<const html::CHTMLImage*>(image)->isMap;
}

ImageInfo CFlowLayout::ImageOf(const html::CHTMLElement* image) const {
    ImageInfo info = images ? images(image) : ImageInfo{};
    if (image && image->type == html::kElementImage)
        info.border = static_cast<const html::CHTMLImage*>(image)->border;
    return info;
}

ColorScheme CFlowLayout::Colors(const ColorScheme& user, bool useDocumentColors) const {
    ColorScheme colors = user;
    if (!useDocumentColors || !document_) return colors;
    if (document_->textColour) colors.text = *document_->textColour;
    if (document_->backgroundColour) colors.background = *document_->backgroundColour;
    if (document_->linkColour) colors.link = *document_->linkColour;
    if (document_->visitedColour) colors.visitedLink = *document_->visitedColour;
    if (document_->activeColour) colors.activeLink = *document_->activeColour;
    return colors;
}

}  // namespace corvane::render

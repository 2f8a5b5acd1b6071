#include "render/layout_context.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/utf8.h"
#include "render/line_breaks.h"

namespace corvane::render {
namespace {

constexpr int kUnlimitedWidth = INT_MAX / 4;
// Pixels kept between the lowest box of a line and the next line.
constexpr int kLineGap = 2;
// Indentation of one list, definition or quotation level, in average character widths.
constexpr int kIndentChars = 6;
// However deep the nesting, a line keeps room for this many average characters, or a quarter of
// the flow width when that is less: output and layout width grow with a page, not its depth.
constexpr int kMinLineChars = 20;
// Lines stop below this depth and the rest of the document is dropped with a notice; positions
// below it could overflow.
constexpr int kMaxDocumentHeight = 1 << 30;
constexpr std::string_view kTooLongNotice = "[The rest of the document is too long to show.]";
constexpr int kTabColumns = 8;
constexpr int kMaxImageSide = 1 << 15;
constexpr int kMaxImageSpace = 1 << 10;
constexpr size_t kMaxFloats = 32;
constexpr int kControlMargin = 2;

bool IsSpace(char c) {
    return c == ' ';
}

}  // namespace

CLayoutContext::CLayoutContext(CFontTable& fonts, DisplayList& out, int leftMargin, int top,
                               int width)
    : fonts_(fonts),
      out_(out),
      base_(fonts.Base()),
      leftMargin_(leftMargin),
      width_(width),
      penX_(leftMargin),
      penY_(top),
      lastGapY_(top),  // no blank line above the first paragraph
      bottom_(top),
      texts_(&out.madeText) {}

int CLayoutContext::LeftLimit(int top, int height) const {
    int limit = leftMargin_;
    for (const Float& f : floats_) {
        if (f.left && f.rect.top < top + height && f.rect.bottom > top)
            limit = std::max(limit, f.rect.right);
    }
    return limit;
}

int CLayoutContext::RightLimit(int top, int height) const {
    int limit = leftMargin_ + width_;
    for (const Float& f : floats_) {
        if (!f.left && f.rect.top < top + height && f.rect.bottom > top)
            limit = std::min(limit, f.rect.left);
    }
    return limit;
}

int CLayoutContext::AvailableWidth() const {
    if (noWrap_) return kUnlimitedWidth;
    return RightLimit(penY_, base_.lineHeight) - penX_;
}

int CLayoutContext::LineStartX() const {
    const long long average = base_.averageCharWidth;
    const long long indent = static_cast<long long>(listIndent_) + definitionIndent_ +
                             kIndentChars * average * quoteDepth_;
    const long long minimum = std::min<long long>(kMinLineChars * average, width_ / 4);
    const long long room = std::max<long long>(0, width_ - minimum);
    const int left = leftMargin_ + static_cast<int>(std::clamp<long long>(indent, 0, room));
    return std::max(left, LeftLimit(penY_, base_.lineHeight));
}

void CLayoutContext::DropFloatsAbove(int y) {
    std::erase_if(floats_, [y](const Float& f) { return f.rect.bottom <= y; });
}

void CLayoutContext::StartLineIfNeeded() {
    if (lineHasBoxes_) return;
    DropFloatsAbove(penY_);
    if (atLineStart_) penX_ = std::max(penX_, LeftLimit(penY_, base_.lineHeight));
    lineHasBoxes_ = true;
    lineFirstBox_ = static_cast<std::uint32_t>(out_.boxes.size());
    lineTop_ = penY_;
    lineMinBottom_ = penY_;
    lineStartX_ = penX_;
    lineAvailable_ = AvailableWidth();
}

LayoutBox& CLayoutContext::AddBox(BoxKind kind, const html::CHTMLElement* element, Rect rect,
                                  int ascent) {
    LayoutBox& box = out_.boxes.emplace_back();
    box.kind = kind;
    box.element = element;
    box.rect = rect;
    box.ascent = ascent;
    return box;
}

std::string_view CLayoutContext::Keep(std::string text) {
    return texts_->emplace_back(std::move(text));
}

LayoutBox& CLayoutContext::PlacePiece(const html::CHTMLElement* element, std::string_view text,
                                      int width, StyleWord style, const SurfaceFont& font,
                                      const html::CHTMLElement* anchor) {
    StartLineIfNeeded();
    const FontMetrics& metrics = font.Metrics();
    LayoutBox& box =
        AddBox(BoxKind::kText, element, Rect{penX_, penY_, penX_ + width, penY_ + metrics.height},
               metrics.ascent);
    box.style = style;
    box.text = text;
    box.font = &font;
    box.anchor = anchor;
    penX_ += width;
    atLineStart_ = false;
    return box;
}

void CLayoutContext::NoteWidestWord(std::string_view text, const SurfaceFont& font) {
    // Words as lines break them: at spaces, line feeds and between ideographs.
    size_t start = 0;
    while (start < text.size()) {
        const size_t lineEnd = std::min(text.find('\n', start), text.size());
        const size_t end = NextWordEnd(text.substr(0, lineEnd), start);
        const size_t wordEnd = end > start && text[end - 1] == ' ' ? end - 1 : end;
        if (wordEnd > start) {
            const double word = font.TextAdvance(text.substr(start, wordEnd - start));
            widestWord_ = std::max(widestWord_, static_cast<int>(std::ceil(word)) + listIndent_);
        }
        start = end == lineEnd ? lineEnd + 1 : end;
    }
}

void CLayoutContext::EndWord(bool afterSpace) {
    inWord_ = false;
    afterSpace_ = afterSpace;
}

void CLayoutContext::PlaceWords(const html::CHTMLElement* element, std::string_view text,
                                double advance, StyleWord style, const SurfaceFont& font,
                                const html::CHTMLElement* anchor) {
    const bool wasLineStart = atLineStart_;
    // A measured cell is given at least what its text needs, fractions included.
    const double rounded = measuring_ ? std::ceil(advance) : std::lround(advance);
    const LayoutBox& box =
        PlacePiece(element, text, static_cast<int>(rounded), style, font, anchor);
    if (IsSpace(text.back())) {
        EndWord(true);
        return;
    }
    afterSpace_ = false;
    // After an ideograph a line may break, as after a space.
    if (EndsInWideCharacter(text)) {
        EndWord(false);
        return;
    }
    const size_t lastStart = LastWordStart(text);
    if (lastStart == 0 && inWord_) return;  // the word goes on
    inWord_ = true;
    wordBox_ = out_.boxes.size() - 1;
    if (lastStart == 0) {
        wordAtLineStart_ = wasLineStart;
        wordOffset_ = 0;
        wordX_ = box.rect.left;
    } else {
        wordAtLineStart_ = false;
        wordOffset_ = lastStart;
        wordX_ = box.rect.left + font.TextWidth(text.substr(0, wordOffset_));
    }
}

void CLayoutContext::CarryWordToNextLine() {
    if (wordOffset_ == 0 && wordBox_ == lineFirstBox_) {
        wordAtLineStart_ = true;  // nothing would stay behind
        return;
    }
    // The word's boxes leave the open line; the box it starts inside keeps what comes before.
    std::vector<LayoutBox> carried;
    size_t cut = wordBox_;
    if (wordOffset_ > 0) {
        LayoutBox& head = out_.boxes[wordBox_];
        LayoutBox& tail = carried.emplace_back(head);
        tail.text = head.text.substr(wordOffset_);
        head.text = head.text.substr(0, wordOffset_);
        head.rect.right = wordX_;
        ++cut;
    }
    for (size_t i = cut; i < out_.boxes.size(); ++i) carried.push_back(out_.boxes[i]);
    out_.boxes.erase(out_.boxes.begin() + static_cast<std::ptrdiff_t>(cut), out_.boxes.end());
    penX_ = wordX_;
    EndLine();
    StartLineIfNeeded();
    wordBox_ = out_.boxes.size();
    wordOffset_ = 0;
    wordX_ = penX_;
    for (LayoutBox& box : carried) {
        const int width = box.font->TextWidth(box.text);
        box.rect = Rect{penX_, penY_, penX_ + width, penY_ + box.rect.Height()};
        out_.boxes.push_back(box);
        penX_ += width;
    }
    inWord_ = true;
    wordAtLineStart_ = true;
    afterSpace_ = false;
    atLineStart_ = false;
}

void CLayoutContext::PlaceText(const html::CHTMLElement* element, std::string_view text,
                               StyleWord style, const html::CHTMLElement* anchor) {
    if (full_) return;
    if (bold_) style |= kStyleBold;
    const SurfaceFont& font = fonts_.FontFor(style);
    size_t pos = std::min(text.find_first_not_of(' '), text.size());
    if (pos > 0 && !afterSpace_) {
        // White space collapses across pieces, and a piece's leading space stands outside its
        // box: the underline of a link starts at its first word.
        penX_ += font.TextWidth(" ");
        EndWord(true);
    }
    while (pos < text.size()) {
        if (noWrap_) {
            const std::string_view rest = text.substr(pos);
            const double advance = font.TextAdvance(rest);
            if (measuring_ || advance > RightLimit(penY_, base_.lineHeight) - penX_)
                NoteWidestWord(rest, font);
            PlaceWords(element, rest, advance, style, font, anchor);
            return;
        }

        // Whole words while they fit; a word's trailing space may hang past the edge, and
        // ideographs are words of their own.
        const double available = AvailableWidth();
        double used = 0;
        size_t end = pos;
        while (end < text.size()) {
            const size_t next = NextWordEnd(text, end);
            const size_t spaces = next > end && text[next - 1] == ' ' ? next - 1 : next;
            const size_t wordEnd = std::min(text.find_first_not_of(' ', spaces), text.size());
            const double word = font.TextAdvance(text.substr(end, spaces - end));
            if (used + word > available) break;
            used += word + font.TextAdvance(text.substr(spaces, wordEnd - spaces));
            end = wordEnd;
        }
        if (end > pos) {
            PlaceWords(element, text.substr(pos, end - pos), used, style, font, anchor);
            if (end == text.size()) return;
            EndLine();
            pos = end;
            continue;
        }
        // The first word does not fit. Lines break only at white space: a word begun in
        // earlier pieces moves down with it. Alone on its line, a word overflows.
        if (inWord_ && !wordAtLineStart_) {
            CarryWordToNextLine();
            continue;
        }
        if (atLineStart_ || inWord_) {
            const size_t next = NextWordEnd(text, pos);
            const size_t spaces = next > pos && text[next - 1] == ' ' ? next - 1 : next;
            const size_t wordEnd = std::min(text.find_first_not_of(' ', spaces), text.size());
            const std::string_view word = text.substr(pos, wordEnd - pos);
            PlaceWords(element, word, font.TextAdvance(word), style, font, anchor);
            if (wordEnd >= text.size()) return;
            pos = wordEnd;
        }
        EndLine();
    }
}

void CLayoutContext::PlacePreformatted(const html::CHTMLElement* element, std::string_view text,
                                       StyleWord style, const html::CHTMLElement* anchor) {
    if (full_) return;
    if (bold_) style |= kStyleBold;
    const SurfaceFont& font = fonts_.FontFor(style);
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t lineFeed = text.find('\n', pos);
        const size_t end = lineFeed == std::string_view::npos ? text.size() : lineFeed;
        std::string_view piece = text.substr(pos, end - pos);
        if (!piece.empty()) {
            if (piece.find('\t') != std::string_view::npos) {
                // Tab stops count in characters from the start of the line.
                std::string expanded;
                size_t column = preColumn_;
                for (size_t i = 0; i < piece.size();) {
                    if (piece[i] == '\t') {
                        const size_t spaces = kTabColumns - column % kTabColumns;
                        expanded.append(spaces, ' ');
                        column += spaces;
                        ++i;
                        continue;
                    }
                    // Columns count characters, two for a wide one.
                    size_t length = 1;
                    const char32_t c = static_cast<unsigned char>(piece[i]) < 0x80
                                           ? static_cast<unsigned char>(piece[i])
                                           : DecodeUtf8(piece.substr(i), &length);
                    column += IsWideCharacter(c) ? 2 : 1;
                    expanded.append(piece.substr(i, length));
                    i += length;
                }
                piece = Keep(std::move(expanded));
            }
            preColumn_ += DisplayColumns(piece);
            const int width = font.TextWidth(piece);
            if (measuring_) {
                // A preformatted line never breaks: all of it is one word.
                widestWord_ = std::max(widestWord_, penX_ - leftMargin_ + width);
            } else if (noWrap_ && width > RightLimit(penY_, base_.lineHeight) - penX_) {
                NoteWidestWord(piece, font);
            }
            if (width > AvailableWidth() && atLineStart_) MoveBelowFloats();
            PlacePiece(element, piece, width, style, font, anchor);
            EndWord(false);
        }
        if (lineFeed == std::string_view::npos) return;
        Break(BreakKind::kLineBreak);
        pos = lineFeed + 1;
    }
}

void CLayoutContext::MoveBelowFloats() {
    int below = penY_;
    for (const Float& f : floats_) {
        if (f.rect.top < penY_ + base_.lineHeight && f.rect.bottom > penY_)
            below = std::max(below, f.rect.bottom);
    }
    if (below == penY_) return;
    penY_ = below;
    DropFloatsAbove(penY_);
    penX_ = LineStartX();
}

void CLayoutContext::PlaceBullet(const html::CHTMLElement* element, int shape) {
    if (full_) return;
    EndWord(true);
    const int average = base_.averageCharWidth;
    if (listDepth_ == 0) penX_ += 3 * average;
    StartLineIfNeeded();
    const int side = std::max(average + 2, 11);
    const int above = (base_.lineHeight - side) / 2;
    const int left = penX_ - 3 * average;
    LayoutBox& box =
        AddBox(BoxKind::kBullet, element,
               Rect{left, penY_ + above, left + side, penY_ + above + side}, base_.ascent - above);
    box.variant = static_cast<std::uint8_t>(shape);
}

void CLayoutContext::PlaceNumber(const html::CHTMLElement* element, std::string label,
                                 StyleWord style) {
    if (full_) return;
    EndWord(true);
    const int average = base_.averageCharWidth;
    if (listDepth_ == 0) penX_ += 3 * average;
    StartLineIfNeeded();
    const SurfaceFont& font = fonts_.FontFor(bold_ ? style | kStyleBold : style);
    const std::string_view text = Keep(std::move(label));
    const int right = penX_ - average;
    LayoutBox& box =
        AddBox(BoxKind::kNumber, element,
               Rect{right - font.TextWidth(text), penY_, right, penY_ + font.Metrics().height},
               font.Metrics().ascent);
    box.style = style;
    box.text = text;
    box.font = &font;
}

void CLayoutContext::PlaceRule(const html::CHTMLElement* element, const RulePlacement& rule) {
    if (full_) return;
    EndWord(true);
    StartLineIfNeeded();
    const int available = noWrap_ ? 0 : std::max(0, AvailableWidth());
    int width = available;
    if (rule.width) {
        width = *rule.width < 0
                    ? static_cast<int>(static_cast<long long>(available) * -*rule.width / 100)
                    : *rule.width;
    }
    width = std::clamp(width, 0, kMaxImageSide);
    int height = std::clamp(rule.size.value_or(2), 0, kMaxImageSpace);
    if (height > 1) ++height;
    int offset = 0;
    if (width < available) {
        if (rule.alignment == kAlignRight) {
            offset = available - width;
        } else if (rule.alignment != kAlignLeft) {
            offset = (available - width) / 2;
        }
    }
    const int half = base_.lineHeight / 2;
    const int left = penX_ + offset;
    LayoutBox& box =
        AddBox(BoxKind::kRule, element,
               Rect{left, penY_ + half, left + width, penY_ + half + height}, base_.ascent - half);
    box.variant = rule.shaded ? 1 : 0;
    // The rule takes the whole line, with half a line of space below it as above it.
    penX_ = std::max(penX_ + available, left + width);
    lineMinBottom_ = std::max(lineMinBottom_, penY_ + 2 * half + height);
    atLineStart_ = false;
}

void CLayoutContext::PlaceImage(const html::CHTMLElement* element, const ImagePlacement& image,
                                const html::CHTMLElement* anchor) {
    if (full_) return;
    // Sizes come from the page: bounded so that no sum overflows.
    const int width =
        std::clamp(image.width, 0, kMaxImageSide) + 2 * std::clamp(image.hspace, 0, kMaxImageSpace);
    const int height = std::clamp(image.height, 0, kMaxImageSide) +
                       2 * std::clamp(image.vspace, 0, kMaxImageSpace);

    if (measuring_) widestWord_ = std::max(widestWord_, width + listIndent_);
    if (image.alignment == kAlignLeft || image.alignment == kAlignRight) {
        // A float met in the middle of a line goes to the margin below that line.
        if (!atLineStart_ || lineHasBoxes_) {
            pendingFloats_.push_back(PendingFloat{element, image, anchor});
            return;
        }
        PlaceFloat(element, image, anchor, width, height);
        return;
    }

    if (!atLineStart_ && !noWrap_ && width > AvailableWidth()) EndLine();
    StartLineIfNeeded();
    int ascent = height;  // bottom and baseline: the image stands on the baseline
    if (image.alignment == kAlignTop) {
        ascent = -1;
    } else if (image.alignment == kAlignMiddle) {
        ascent = height / 2 + base_.ascent / 2;
    }
    LayoutBox& box =
        AddBox(BoxKind::kImage, element, Rect{penX_, penY_, penX_ + width, penY_ + height}, ascent);
    box.variant = static_cast<std::uint8_t>(image.alignment);
    box.anchor = anchor;
    box.text = image.alt;
    box.spaceX = static_cast<std::int16_t>(std::clamp(image.hspace, 0, kMaxImageSpace));
    box.spaceY = static_cast<std::int16_t>(std::clamp(image.vspace, 0, kMaxImageSpace));
    penX_ += width;
    atLineStart_ = false;
    EndWord(false);
}

void CLayoutContext::PlaceControl(const html::CHTMLElement* element, int width, int height,
                                  int ascent, std::string dumpText) {
    if (full_) return;
    width = std::clamp(width, 0, kMaxImageSide);
    height = std::clamp(height, 0, kMaxImageSide);
    if (!atLineStart_ && !noWrap_ && width + 2 * kControlMargin > AvailableWidth()) EndLine();
    StartLineIfNeeded();
    // A little room on each side, so neighbouring buttons do not touch.
    penX_ += kControlMargin;
    out_.controls.push_back(static_cast<std::uint32_t>(out_.boxes.size()));
    LayoutBox& box =
        AddBox(BoxKind::kControl, element, Rect{penX_, penY_, penX_ + width, penY_ + height},
               std::clamp(ascent, 0, height));
    box.text = Keep(std::move(dumpText));
    penX_ += width + kControlMargin;
    atLineStart_ = false;
    EndWord(false);
}

void CLayoutContext::PlaceFloat(const html::CHTMLElement* element, const ImagePlacement& image,
                                const html::CHTMLElement* anchor, int width, int height) {
    DropFloatsAbove(penY_);
    // A float that has no room beside the others, or one too many, goes below them all; this
    // also keeps the floats that every line consults few.
    if (!floats_.empty() && (floats_.size() >= kMaxFloats ||
                             RightLimit(penY_, height) - LeftLimit(penY_, height) < width)) {
        for (const Float& f : floats_) penY_ = std::max(penY_, f.rect.bottom);
        floats_.clear();
        penX_ = LineStartX();
    }
    const bool left = image.alignment == kAlignLeft;
    const int x = left ? LeftLimit(penY_, height) : RightLimit(penY_, height) - width;
    const Rect rect{x, penY_, x + width, penY_ + height};
    out_.floats.push_back(static_cast<std::uint32_t>(out_.boxes.size()));
    LayoutBox& box = AddBox(BoxKind::kImage, element, rect, -1);
    box.variant = static_cast<std::uint8_t>(image.alignment);
    box.anchor = anchor;
    box.text = image.alt;
    box.spaceX = static_cast<std::int16_t>(std::clamp(image.hspace, 0, kMaxImageSpace));
    box.spaceY = static_cast<std::int16_t>(std::clamp(image.vspace, 0, kMaxImageSpace));
    floats_.push_back(Float{rect, left});
    extent_.Unite(rect);
    bottom_ = std::max(bottom_, rect.bottom);
    if (left) penX_ = std::max(penX_, rect.right);
    if (lineHasBoxes_) lineAvailable_ = RightLimit(lineTop_, base_.lineHeight) - lineStartX_;
}

void CLayoutContext::PlacePendingFloats() {
    if (pendingFloats_.empty()) return;
    std::vector<PendingFloat> pending;
    pending.swap(pendingFloats_);
    for (const PendingFloat& f : pending) {
        const int width = std::clamp(f.image.width, 0, kMaxImageSide) +
                          2 * std::clamp(f.image.hspace, 0, kMaxImageSpace);
        const int height = std::clamp(f.image.height, 0, kMaxImageSide) +
                           2 * std::clamp(f.image.vspace, 0, kMaxImageSpace);
        PlaceFloat(f.element, f.image, f.anchor, width, height);
    }
}

void CLayoutContext::EndLine() {
    if (!lineHasBoxes_) {
        if (scrollTargetPending_) {
            scrollTargetY_ = penY_;
            scrollTargetPending_ = false;
        }
        DropFloatsAbove(penY_);
        penX_ = LineStartX();
        atLineStart_ = true;
        EndWord(true);
        preColumn_ = 0;
        return;
    }

    TrimLineEnd();
    const int used = penX_ - lineStartX_;
    int offset = 0;
    if (centreDepth_ > 0 || alignment_ == kAlignCentre) {
        offset = std::max(0, (lineAvailable_ - used) / 2);
    } else if (alignment_ == kAlignRight) {
        offset = std::max(0, lineAvailable_ - used);
    }
    if (noWrap_) offset = 0;

    const auto lineIndex = static_cast<int>(out_.lines.size());
    const auto textLine = static_cast<std::uint32_t>(out_.textLines.size());
    const auto endBox = static_cast<std::uint32_t>(out_.boxes.size());
    int maxAscent = base_.ascent;
    for (std::uint32_t i = lineFirstBox_; i < endBox; ++i) {
        const LayoutBox& box = out_.boxes[i];
        if (box.ascent >= 0 && !IsFloat(box)) maxAscent = std::max(maxAscent, box.ascent);
    }
    const int baseline = lineTop_ + maxAscent;
    int lowest = lineTop_;
    Rect lineRect{penX_, lineTop_, penX_, lineTop_};
    for (std::uint32_t i = lineFirstBox_; i < endBox; ++i) {
        LayoutBox& box = out_.boxes[i];
        if (IsFloat(box)) continue;
        const int dy = box.ascent < 0 ? 0 : baseline - box.ascent - box.rect.top;
        box.rect.Offset(offset, dy);
        box.line = lineIndex;
        box.textLine = textLine;
        lowest = std::max(lowest, box.rect.bottom);
        lineRect.left = std::min(lineRect.left, box.rect.left);
        lineRect.right = std::max(lineRect.right, box.rect.right);
    }
    const int lineBottom = std::max(lowest + kLineGap, lineMinBottom_);
    lineRect.bottom = lineBottom;
    out_.lines.push_back(LineBox{lineTop_, lineBottom, baseline, lineFirstBox_, endBox});
    out_.textLines.push_back(TextLine{lineTop_, lineBottom, cell_});
    extent_.Unite(lineRect);

    if (scrollTargetPending_) {
        scrollTargetY_ = lineTop_;
        scrollTargetPending_ = false;
    }
    penY_ = lineBottom;
    bottom_ = std::max(bottom_, penY_);
    lineHasBoxes_ = false;
    atLineStart_ = true;
    EndWord(true);
    preColumn_ = 0;
    DropFloatsAbove(penY_);
    penX_ = LineStartX();
    PlacePendingFloats();
    if (penY_ > kMaxDocumentHeight) DropTheRest();
}

void CLayoutContext::TrimLineEnd() {
    LayoutBox& last = out_.boxes.back();
    if (last.kind != BoxKind::kText || last.line >= 0 || last.text.empty() ||
        !IsSpace(last.text.back()))
        return;
    const size_t end = last.text.find_last_not_of(' ');
    last.text = last.text.substr(0, end == std::string_view::npos ? 0 : end + 1);
    last.rect.right = last.rect.left + last.font->TextWidth(last.text);
    penX_ = last.rect.right;
}

void CLayoutContext::Break(BreakKind kind) {
    if (full_) return;
    const int before = penY_;
    EndLine();
    switch (kind) {
        case BreakKind::kLineBreak:
            if (penY_ == before) penY_ += base_.lineHeight;
            break;
        case BreakKind::kParagraphGap:
            if (penY_ != lastGapY_) {
                penY_ += base_.lineHeight;
                lastGapY_ = penY_;
            }
            break;
        case BreakKind::kEndOfLine:
            break;
    }
    bottom_ = std::max(bottom_, penY_);
    DropFloatsAbove(penY_);
    penX_ = LineStartX();
    if (penY_ > kMaxDocumentHeight) DropTheRest();
}

void CLayoutContext::DropTheRest() {
    if (full_) return;
    full_ = true;
    pendingFloats_.clear();
    const SurfaceFont& font = fonts_.FontFor(0);
    PlacePiece(nullptr, kTooLongNotice, font.TextWidth(kTooLongNotice), 0, font, nullptr);
    EndLine();
}

void CLayoutContext::DocumentStart() {
    lastGapY_ = penY_;
}

void CLayoutContext::SetListDepth(int depth) {
    listDepth_ = std::max(0, depth);
    listIndent_ = kIndentChars * base_.averageCharWidth * listDepth_;
    definitionIndent_ = 0;
    if (atLineStart_ && !lineHasBoxes_) penX_ = LineStartX();
}

void CLayoutContext::SetDefinitionListDepth(int depth) {
    listDepth_ = std::max(0, depth);
    listIndent_ = kIndentChars * base_.averageCharWidth * std::max(0, listDepth_ - 1);
    // Leaving a list also leaves its definitions' indent behind.
    definitionIndent_ = 0;
    if (atLineStart_ && !lineHasBoxes_) penX_ = LineStartX();
}

void CLayoutContext::DefinitionData(bool compact) {
    const int indent = kIndentChars * base_.averageCharWidth;
    definitionIndent_ = 0;
    const int target = LineStartX() + indent;
    if (compact && penX_ > target) EndLine();
    definitionIndent_ = indent;
    penX_ = std::max(penX_, LineStartX());
}

void CLayoutContext::DefinitionTerm() {
    definitionIndent_ = 0;
    if (atLineStart_ && !lineHasBoxes_) penX_ = LineStartX();
}

void CLayoutContext::BlockQuote(bool isEnd) {
    quoteDepth_ = std::max(0, quoteDepth_ + (isEnd ? -1 : 1));
    if (atLineStart_ && !lineHasBoxes_) penX_ = LineStartX();
}

void CLayoutContext::Centre(bool isEnd) {
    if (!isEnd) {
        ++centreDepth_;
        return;
    }
    if (centreDepth_ == 0) return;
    if (--centreDepth_ == 0 && alignment_ == kAlignCentre) alignment_ = kAlignLeft;
}

void CLayoutContext::DropClosedLines() {
    const std::size_t closed = lineHasBoxes_ ? lineFirstBox_ : out_.boxes.size();
    out_.boxes.erase(out_.boxes.begin(), out_.boxes.begin() + static_cast<std::ptrdiff_t>(closed));
    out_.lines.clear();
    out_.textLines.clear();
    out_.cells.clear();
    out_.floats.clear();  // floats and frames never lie on the open line
    out_.frames.clear();
    std::erase_if(out_.controls, [closed](std::uint32_t index) { return index < closed; });
    for (std::uint32_t& index : out_.controls) index -= static_cast<std::uint32_t>(closed);
    lineFirstBox_ -= static_cast<std::uint32_t>(closed);
    if (inWord_) wordBox_ -= closed;
    // The open line's boxes may show texts made for them.
    if (!lineHasBoxes_) texts_->clear();
}

int CLayoutContext::StartBlock() {
    EndLine();
    return RightLimit(penY_, base_.lineHeight) - LineStartX();
}

bool CLayoutContext::ClearFloats() {
    const int before = penY_;
    for (const Float& f : floats_) penY_ = std::max(penY_, f.rect.bottom);
    floats_.clear();
    penX_ = LineStartX();
    bottom_ = std::max(bottom_, penY_);
    return penY_ != before;
}

Point CLayoutContext::BeginBlock(int width, int height, int alignment) {
    EndLine();
    const int left = LineStartX();
    const int available = RightLimit(penY_, std::max(1, height)) - left;
    int offset = 0;
    if (alignment == kAlignCentre) offset = std::max(0, (available - width) / 2);
    if (alignment == kAlignRight) offset = std::max(0, available - width);
    return Point{left + offset, penY_};
}

void CLayoutContext::EndBlock(const Rect& block, std::optional<int> scrollTargetY) {
    extent_.Unite(block);
    if (scrollTargetPending_ || scrollTargetY) {
        scrollTargetY_ = block.top + scrollTargetY.value_or(0);
        scrollTargetPending_ = false;
    }
    penY_ = block.bottom + kLineGap;
    bottom_ = std::max(bottom_, penY_);
    DropFloatsAbove(penY_);
    penX_ = LineStartX();
    atLineStart_ = true;
    EndWord(true);
    if (penY_ > kMaxDocumentHeight) DropTheRest();
}

void CLayoutContext::ReserveBlock(int minimum, int maximum) {
    EndLine();
    const int indent = penX_ - leftMargin_;
    widestWord_ = std::max(widestWord_, indent + minimum);
    extent_.Unite(Rect{penX_, penY_, penX_ + std::max(1, maximum), penY_ + 1});
    ++penY_;
    bottom_ = std::max(bottom_, penY_);
}

void CLayoutContext::Finish() {
    EndLine();
    for (const Float& f : floats_) penY_ = std::max(penY_, f.rect.bottom);
    floats_.clear();
    bottom_ = std::max(bottom_, penY_);
}

}  // namespace corvane::render

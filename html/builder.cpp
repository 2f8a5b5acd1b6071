#include "html/builder.h"

#include <algorithm>

#include "html/attribute_values.h"
#include "html/attributes.h"
#include "html/chars.h"
#include "html/table_collector.h"
#include "html/tags.h"
#include "html/text_cleaning.h"

namespace corvane::html {
namespace {

DocumentHost gNoHost;
const VisitedLookup gNothingVisited;

bool EqualsUpper(std::string_view value, std::string_view upper) {
    if (value.size() != upper.size()) return false;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (ToUpper(static_cast<unsigned char>(value[i])) != static_cast<unsigned char>(upper[i])) {
            return false;
        }
    }
    return true;
}

std::string Attribute(std::string_view text, std::string_view name) {
    return GetAttribute(text, name).value_or(std::string());
}

// ALIGN of P and headings.
std::int32_t BlockAlignment(std::string_view text) {
    const std::string align = Attribute(text, "ALIGN");
    if (EqualsUpper(align, "CENTER")) return kAlignCentre;
    if (EqualsUpper(align, "RIGHT")) return kAlignRight;
    return kAlignLeft;
}

std::int32_t ImageAlignment(std::string_view text) {
    const std::string align = Attribute(text, "ALIGN");
    if (EqualsUpper(align, "TOP")) return kAlignTop;
    if (EqualsUpper(align, "MIDDLE") || EqualsUpper(align, "CENTER")) return kAlignMiddle;
    if (EqualsUpper(align, "LEFT")) return kAlignLeft;
    if (EqualsUpper(align, "RIGHT")) return kAlignRight;
    return kAlignBottom;
}

std::uint32_t BulletStyle(std::string_view text) {
    const std::string type = Attribute(text, "TYPE");
    if (EqualsUpper(type, "SQUARE")) return kBulletStyleSquare;
    if (EqualsUpper(type, "DISC")) return kBulletStyleDisc;
    if (EqualsUpper(type, "CIRCLE")) return kBulletStyleCircle;
    return 0;
}

std::uint32_t NumberStyleWord(std::string_view text) {
    const std::string type = Attribute(text, "TYPE");
    if (type == "A") return kNumberStyleUpperAlpha;
    if (type == "a") return kNumberStyleLowerAlpha;
    if (type == "I") return kNumberStyleUpperRoman;
    if (type == "i") return kNumberStyleLowerRoman;
    return 0;
}

// The number held before the first item: each LI counts up first, so an OL with START n keeps
// n - 1 and its first item shows n.
std::uint32_t InitialNumber(std::string_view text) {
    const std::optional<std::string> start = GetAttribute(text, "START");
    if (!start || start->empty()) return 0;
    const std::int32_t first = std::clamp<std::int32_t>(ParseInteger(*start), 1,
                                                        static_cast<std::int32_t>(kListNumberMask));
    return static_cast<std::uint32_t>(first - 1);
}

std::int32_t BulletShapeOf(std::uint32_t listWord, std::int32_t listDepth) {
    switch (listWord & kListStyleMask) {
        case kBulletStyleSquare:
            return kBulletSquare;
        case kBulletStyleDisc:
            return kBulletDisc;
        case kBulletStyleCircle:
            return kBulletCircle;
        default:
            return listDepth;
    }
}

// The style entry that a character-style tag pushes and its end tag removes.
std::uint32_t StyleEntryOf(int number) {
    switch (number) {
        case tag::kCite:
        case tag::kVar:
        case tag::kAddress:
        case tag::kEm:
            return tag::kI;
        case tag::kTt:
        case tag::kCode:
        case tag::kKbd:
        case tag::kSamp:
            return tag::kPre;
        default:
            return static_cast<std::uint32_t>(number);
    }
}

}  // namespace

CHTMLBuilder::CHTMLBuilder(CHTML& document, BuilderServices services)
    : document_(document), services_(services) {
    if (!services_.host) services_.host = &gNoHost;
    if (!services_.visited) services_.visited = &gNothingVisited;
    if (!services_.tables) services_.tables = &DefaultTableCollector();
    documentAddress_ = core::ParseAddress(document_.url());
    baseAddress_ = documentAddress_;
    baseUrl_ = core::FormatAddress(baseAddress_);
    AddElement<CHTMLDocumentStart>();
}

std::string CHTMLBuilder::ResolveUrl(std::string_view reference) const {
    return core::FormatAddress(core::ParseAddress(reference, &baseAddress_));
}

std::string CHTMLBuilder::PictureUrl(std::string_view reference) const {
    std::string url = ResolveUrl(reference);
    if (document_.offline && !url.starts_with(core::FormatAddress(documentAddress_) + "/"))
        url.clear();
    return url;
}

void CHTMLBuilder::AddBreak(BreakKind kind) {
    AddElement<CHTMLBreak>(kind);
}

void CHTMLBuilder::AddAlignment(std::int32_t alignment) {
    AddElement<CHTMLAlignmentMarker>(alignment);
}

bool CHTMLBuilder::Preformatted() const {
    if (context_->inTable) return context_->currentTable->innermost->preDepth > 0;
    return context_->preDepth > 0;
}

int CHTMLBuilder::CloseOpenTables() {
    // Straight to the table hooks: a TITLE still open would take the end tags as its text.
    while (context_->inTable) {
        const int answer =
            services_.tables->HandleTableToken(*this, tag::kTable | kEndTagFlag, "</table");
        if (answer == kTableCompleted) return kTableCompleted;
        if (answer == kTokenNotTaken) break;
    }
    return kContinue;
}

int CHTMLBuilder::HandleToken(int token, std::string_view text) {
    if (inTitle_) {
        HandleTitleToken(token, text);
        return kContinue;
    }
    if (context_->inTable) {
        const int answer = services_.tables->HandleTableToken(*this, token, text);
        if (answer != kTokenNotTaken) return answer;
    }
    switch (token) {
        case kTokenNone:
            return kContinue;
        case TOKEN_TEXT:
            AddText(text);
            return kContinue;
        case TOKEN_LINE_BREAK:
            AddBreak(kLineBreak);
            return kContinue;
        case TOKEN_TEXTAREA_TEXT:
        case TOKEN_OPTION_TEXT:
            forms_.HandleToken(token, text);
            return kContinue;
        case tag::kCellEnd:
            AddElement<CHTMLCellEnd>(context_->currentTable);
            return kContinue;
        default:
            break;
    }
    const bool isEnd = (token & kEndTagFlag) != 0;
    return HandleTag(token & ~kEndTagFlag, isEnd, text);
}

void CHTMLBuilder::HandleTitleToken(int token, std::string_view text) {
    if (token == tag::kTitle + kEndTagFlag) {
        EndTitle();
    } else if (token != TOKEN_LINE_BREAK) {
        // Tags inside the title read as their text; a line break token carries none.
        titleText_.append(text);
    }
}

void CHTMLBuilder::EndTitle() {
    inTitle_ = false;
    if (context_->titleSeen) return;
    context_->titleSeen = true;
    document_.title = CleanTitle(titleText_);
    services_.host->ShowTitle(document_.title);
}

namespace {

// Pieces of text join the run before them while it is shorter than a tokenizer chunk: a page of
// lone "<" characters or of short styled-alike pieces costs one element per chunk, not per piece.
constexpr std::size_t kJoinedRunLength = 256;

bool EndsWithWord(const CHTMLElement* element) {
    if (element->type != kElementText) return false;
    const auto* text = static_cast<const CHTMLText*>(element);
    return !text->preformatted && !text->text.empty() && text->text.back() != ' ';
}

CHTMLText* JoinableRun(CHTMLElement* element, std::uint16_t style, bool preformatted,
                       const CHTMLAnchor* anchor) {
    if (element->type != kElementText) return nullptr;
    auto* run = static_cast<CHTMLText*>(element);
    const bool alike = run->style == style && run->preformatted == preformatted &&
                       run->anchor == anchor && !run->text.empty();
    return alike && run->text.size() < kJoinedRunLength ? run : nullptr;
}

}  // namespace

void CHTMLBuilder::AddText(std::string_view text) {
    const bool preformatted = plainMode_ || context_->preDepth > 0;
    if (preformatted) {
        CleanPreformattedText(text, scratch_);
    } else {
        CollapseText(text, scratch_);
    }
    if (scratch_.empty()) {
        // A blank between two words in different styles ("<b>a</b> <i>b</i>") still separates
        // them; dropping it would glue the words together.
        if (preformatted || text.empty() || !EndsWithWord(document_.Last())) return;
        scratch_ = " ";
    }
    std::uint16_t style = context_->styles.StyleWord();
    if (plainMode_) style |= kStyleFixed;
    if (CHTMLText* run =
            JoinableRun(document_.Last(), style, preformatted, context_->currentAnchor)) {
        std::string_view more = scratch_;
        if (!preformatted && run->text.back() == ' ' && more.front() == ' ') more.remove_prefix(1);
        if (!more.empty()) run->text = document_.AppendText(run->text, more);
        return;
    }
    auto* element = AddElement<CHTMLText>(document_.StoreText(scratch_), style, preformatted);
    if (style & kStyleBlink) document_.blinkingTexts.push_back(element);
    if (context_->currentAnchor) {
        element->anchor = context_->currentAnchor;
        AddLinkedElement(element, context_->currentAnchor);
    }
    document_.texts.push_back(element);
}

void CHTMLBuilder::AddLinkedElement(CHTMLElement* element, CHTMLAnchor* anchor) {
    anchor->elements.push_back(element);
    document_.linkedElements.push_back(element);
}

int CHTMLBuilder::HandleTag(int number, bool isEnd, std::string_view text) {
    StyleStack& styles = context_->styles;
    switch (number) {
        case tag::kA:
            Anchor(isEnd, text);
            break;
        case tag::kB:
        case tag::kI:
        case tag::kU:
        case tag::kEm:
        case tag::kStrong:
        case tag::kStrike:
        case tag::kCite:
        case tag::kVar:
        case tag::kAddress:
        case tag::kBlink:
        case tag::kTt:
        case tag::kCode:
        case tag::kKbd:
        case tag::kSamp:
            if (isEnd) {
                styles.RemoveInnermost(StyleEntryOf(number));
            } else {
                styles.Push(StyleEntryOf(number));
            }
            break;
        case tag::kFont:
        case tag::kSub:
        case tag::kSup:
        case tag::kSmall:
        case tag::kBig:
        case tag::kBasefont:
            FontSize(number, isEnd, text);
            break;
        case tag::kXmp:
            Xmp(isEnd);
            break;
        case tag::kHead:
        case tag::kHtml:
            if (isEnd) {
                PopIfOnTop(static_cast<std::uint32_t>(number));
            } else {
                styles.Push(static_cast<std::uint32_t>(number));
            }
            break;
        case tag::kBody:
            if (isEnd) {
                PopIfOnTop(tag::kBody);
            } else {
                Body(text);
            }
            break;
        case tag::kH1:
        case tag::kH2:
        case tag::kH3:
        case tag::kH4:
        case tag::kH5:
        case tag::kH6:
            Heading(number, isEnd, text);
            break;
        case tag::kP:
            Paragraph(isEnd, text);
            break;
        case tag::kBr:
            AddBreak(context_->preDepth > 0 ? kEndOfLine : kLineBreak);
            break;
        case tag::kHr:
            Rule(text);
            break;
        case tag::kCenter:
            Centre(isEnd);
            break;
        case tag::kBlockquote:
            BlockQuote(isEnd);
            break;
        case tag::kPre:
            Pre(isEnd);
            break;
        case tag::kPlaintext:
        case tag::kPlaintextAlias:
            if (isEnd) {
                Xmp(true);
            } else {
                PlainText();
            }
            break;
        case tag::kUl:
        case tag::kOl:
        case tag::kDir:
        case tag::kMenu:
        case tag::kDl:
            if (isEnd) {
                EndList(number);
            } else {
                StartList(number, text);
            }
            break;
        case tag::kLi:
            if (!isEnd) ListItem();
            break;
        case tag::kDt:
            if (!isEnd) DefinitionTerm();
            break;
        case tag::kDd:
            DefinitionData(isEnd);
            break;
        case tag::kImg:
        case tag::kFig:
            if (!isEnd) Image(text);
            break;
        case tag::kBase:
            if (!isEnd) Base(text);
            break;
        case tag::kTitle:
            if (!isEnd) {
                inTitle_ = true;
                titleText_.clear();
            }
            break;
        case tag::kMeta:
            if (!isEnd) Meta(text);
            break;
        case tag::kForm:
        case tag::kInput:
        case tag::kSelect:
        case tag::kOption:
        case tag::kTextarea:
        case tag::kIsindex:
            forms_.HandleToken(number | (isEnd ? kEndTagFlag : 0), text);
            break;
        case tag::kTable:
        case tag::kTr:
        case tag::kTd:
        case tag::kTh:
        case tag::kCaption:
            return services_.tables->HandleTableToken(*this, number | (isEnd ? kEndTagFlag : 0),
                                                      text);
        default:
            // LINK, NEXTID, LISTING and tags outside the vocabulary change nothing.
            break;
    }
    return kContinue;
}

void CHTMLBuilder::PopIfOnTop(std::uint32_t value) {
    StyleStack& styles = context_->styles;
    if (!styles.Empty() && styles.Top() == value) styles.Pop();
}

void CHTMLBuilder::Anchor(bool isEnd, std::string_view text) {
    context_->currentAnchor = nullptr;
    document_.linkBeingBuilt = nullptr;
    if (isEnd) return;
    CHTMLAnchor* link = nullptr;
    if (const std::optional<std::string> href = GetAttribute(text, "HREF")) {
        link = document_.FindAnchor(*href, baseUrl_);
        if (!link) {
            std::string url = ResolveUrl(*href);
            const bool visited = services_.visited->IsVisited(url);
            link = document_.AddAnchor(
                std::make_unique<CHTMLAnchor>(*href, baseUrl_, std::move(url), visited));
        }
    }
    std::string name;
    if (GetAttribute(text, "NAME", name)) {
        const bool isTarget = name == documentAddress_.anchor && !document_.scrollTarget;
        CHTMLAnchorName* element = AddElement<CHTMLAnchorName>(std::move(name));
        if (isTarget) document_.scrollTarget = element;
    }
    context_->currentAnchor = link;
    document_.linkBeingBuilt = link;
}

void CHTMLBuilder::Body(std::string_view text) {
    context_->styles.Push(tag::kBody);
    const auto colour = [&](std::string_view name, std::optional<std::uint32_t>& target) {
        if (const std::optional<std::string> value = GetAttribute(text, name)) {
            target = ParseColour(*value);
            return true;
        }
        return false;
    };
    colour("TEXT", document_.textColour);
    colour("LINK", document_.linkColour);
    colour("VLINK", document_.visitedColour);
    colour("ALINK", document_.activeColour);
    if (colour("BGCOLOR", document_.backgroundColour)) services_.host->RepaintBackground();
    std::string background;
    if (!backgroundTaken_ && GetAttribute(text, "BACKGROUND", background)) {
        backgroundTaken_ = true;
        document_.background = std::make_unique<CHTMLImage>();
        document_.background->url = PictureUrl(background);
        document_.background->source = std::move(background);
        services_.host->RequestImage(*document_.background);
    }
}

void CHTMLBuilder::Base(std::string_view text) {
    std::string href;
    if (document_.base || !GetAttribute(text, "HREF", href)) return;
    baseAddress_ = core::ParseAddress(href, &documentAddress_);
    baseUrl_ = core::FormatAddress(baseAddress_);
    document_.base = std::move(href);
}

void CHTMLBuilder::Meta(std::string_view text) {
    if (document_.offline || !EqualsUpper(Attribute(text, "HTTP-EQUIV"), "REFRESH")) return;
    const std::optional<Refresh> refresh = ParseRefresh(Attribute(text, "CONTENT"));
    if (!refresh) return;
    const std::string url = refresh->url.empty() ? std::string() : ResolveUrl(refresh->url);
    services_.host->RequestRefresh(refresh->seconds, url);
}

void CHTMLBuilder::Image(std::string_view text) {
    CHTMLImage* image = AddElement<CHTMLImage>();
    // Without a SRC there is nothing to load; resolving "" would name this very page.
    image->source = Attribute(text, "SRC");
    if (!image->source.empty()) image->url = PictureUrl(image->source);
    image->alignment = ImageAlignment(text);
    image->width = ParseInteger(Attribute(text, "WIDTH"));
    image->height = ParseInteger(Attribute(text, "HEIGHT"));
    // Negative spacing and borders would turn the image's box inside out.
    image->hspace = std::max(0, ParseInteger(Attribute(text, "HSPACE")));
    image->vspace = std::max(0, ParseInteger(Attribute(text, "VSPACE")));
    image->border = std::max(0, ParseInteger(Attribute(text, "BORDER")));
    image->isMap = GetAttribute(text, "ISMAP").has_value();
    image->alt = Attribute(text, "ALT");
    image->anchor = context_->currentAnchor;
    document_.images.push_back(image);
    if (image->anchor) AddLinkedElement(image, image->anchor);
    services_.host->RequestImage(*image);
}

void CHTMLBuilder::Rule(std::string_view text) {
    AddBreak(kEndOfLine);
    CHTMLRule* rule = AddElement<CHTMLRule>();
    const std::string align = Attribute(text, "ALIGN");
    if (EqualsUpper(align, "LEFT")) rule->alignment = kAlignLeft;
    if (EqualsUpper(align, "RIGHT")) rule->alignment = kAlignRight;
    rule->shaded = !GetAttribute(text, "NOSHADE").has_value();
    std::string value;
    if (GetAttribute(text, "WIDTH", value)) {
        std::int32_t width = ParseInteger(value);
        if (width < 0) width = 1;
        rule->width = value.back() == '%' ? -width : width;
    }
    if (GetAttribute(text, "SIZE", value)) {
        const std::int32_t size = ParseInteger(value);
        rule->size = size < 0 ? 1 : size;
    }
    AddBreak(kEndOfLine);
}

// A block that opens an item's content (`<li><p>Text`, `<dd><pre>`) starts on the item's line:
// a gap there would leave the bullet or the term alone above its text.
bool CHTMLBuilder::DirectlyAfterItemStart() const {
    const CHTMLElement* last = document_.LastSignificantElement();
    if (last && IsListItem(last->type)) return true;
    // A term or definition marker is no significant element. Real pages put an anchor name or
    // an alignment or two after it; the bound keeps a hostile run of thousands linear.
    constexpr int kMarkersLookedPast = 8;
    const CHTMLElement* e = document_.Last();
    for (int passed = 0; passed <= kMarkersLookedPast && e->type != kElementSentinel; ++passed) {
        if (e->type != kElementAlignment && e->type != kElementAnchorName)
            return e->type == kElementDefinitionData;
        e = e->previous;
    }
    return false;
}

void CHTMLBuilder::ParagraphGapUnlessAfterItemStart() {
    if (!DirectlyAfterItemStart()) AddBreak(kParagraphGap);
}

void CHTMLBuilder::EndOfLineUnlessAfterBreak() {
    const CHTMLElement* last = document_.LastSignificantElement();
    if (!last || last->type != kElementBreak) AddBreak(kEndOfLine);
}

void CHTMLBuilder::Heading(int number, bool isEnd, std::string_view text) {
    ParagraphGapUnlessAfterItemStart();
    if (!isEnd) {
        context_->styles.Push(static_cast<std::uint32_t>(number));
        AddAlignment(BlockAlignment(text));
    } else if (context_->styles.RemoveInnermost(tag::kH1)) {
        // Any heading end tag closes the innermost heading, whatever its level.
        AddAlignment(kAlignLeft);
    }
}

void CHTMLBuilder::Paragraph(bool isEnd, std::string_view text) {
    ParagraphGapUnlessAfterItemStart();
    AddAlignment(isEnd ? kAlignLeft : BlockAlignment(text));
}

void CHTMLBuilder::BlockQuote(bool isEnd) {
    ParagraphGapUnlessAfterItemStart();
    AddAlignment(kAlignLeft);
    AddElement<CHTMLBlockMarker>(kElementBlockQuote, isEnd);
    int& depth = context_->blockQuoteDepth;
    depth = isEnd ? std::max(0, depth - 1) : depth + 1;
}

void CHTMLBuilder::Centre(bool isEnd) {
    AddBreak(kEndOfLine);
    AddAlignment(kAlignLeft);
    AddElement<CHTMLBlockMarker>(kElementCentre, isEnd);
}

void CHTMLBuilder::Pre(bool isEnd) {
    if (isEnd) {
        Xmp(true);
        return;
    }
    if (!DirectlyAfterItemStart()) {
        AddBreak(kParagraphGap);
        AddAlignment(kAlignLeft);
    }
    ++context_->preDepth;
    context_->styles.Push(tag::kPre);
}

// XMP is preformatted like PRE: its end tag lowers the PRE depth, so its start raises it.
void CHTMLBuilder::Xmp(bool isEnd) {
    if (isEnd) {
        context_->preDepth = std::max(0, context_->preDepth - 1);
        context_->styles.RemoveInnermost(tag::kPre);
    } else {
        ++context_->preDepth;
        context_->styles.Push(tag::kPre);
    }
}

void CHTMLBuilder::PlainText() {
    plainMode_ = true;
    if (context_->preDepth == 0) {
        AddBreak(kParagraphGap);
        AddAlignment(kAlignLeft);
    }
    context_->styles.Push(tag::kPre);
}

void CHTMLBuilder::FontSize(int number, bool isEnd, std::string_view text) {
    StyleStack& styles = context_->styles;
    const std::uint32_t entry = number == tag::kBasefont ? tag::kBasefont : tag::kFont;
    if (isEnd) {
        styles.RemoveInnermost(entry);
        return;
    }
    switch (number) {
        case tag::kFont:
            styles.Push(tag::kFont, ParseFontSize(Attribute(text, "SIZE")));
            break;
        case tag::kBig:
            styles.Push(tag::kFont, ParseFontSize("+1"));
            break;
        case tag::kBasefont: {
            std::string size;
            const std::int32_t given = GetAttribute(text, "SIZE", size) ? ParseInteger(size) : 3;
            styles.Push(tag::kBasefont, 8 - std::clamp(given, 1, 7));
            break;
        }
        default:  // SUB, SUP, SMALL
            styles.Push(tag::kFont, ParseFontSize("-1"));
            break;
    }
}

void CHTMLBuilder::StartList(int number, std::string_view text) {
    CParseContext& context = *context_;
    AddBreak(kEndOfLine);
    if (context.listDepth == 0) {
        AddBreak(kParagraphGap);
        AddAlignment(kAlignLeft);
    }
    std::uint32_t word = 0;
    if (number == tag::kOl) {
        word = kListNumbered | NumberStyleWord(text) | InitialNumber(text);
    } else if (number == tag::kDl) {
        context.compact = TagTextContains(text, "COMPACT");
        word = kListDefinition | (context.compact ? kListCompact : 0);
    } else {
        word = kListBulleted | BulletStyle(text);
    }
    context.styles.Push(word);
    ++context.listDepth;
    const std::int32_t type = number == tag::kDl ? kElementDefinitionList : kElementList;
    AddElement<CHTMLListMarker>(type, word, context.listDepth, false);
}

void CHTMLBuilder::EndList(int number) {
    CParseContext& context = *context_;
    if (context.listDepth == 0) {
        context.compact = false;
        return;
    }
    --context.listDepth;
    AddBreak(kEndOfLine);
    if (context.listDepth == 0) {
        AddBreak(kParagraphGap);
        AddAlignment(kAlignLeft);
    }
    const std::uint32_t word = context.styles.PopInnermostList();
    const std::uint32_t* enclosing = context.styles.InnermostList();
    context.compact = enclosing && (*enclosing & kListCompact) != 0;
    const std::int32_t type = number == tag::kDl ? kElementDefinitionList : kElementList;
    AddElement<CHTMLListMarker>(type, word, context.listDepth, true);
}

void CHTMLBuilder::ListItem() {
    CParseContext& context = *context_;
    const CHTMLElement* last = document_.LastSignificantElement();
    if (last && IsListItem(last->type)) return;
    if (!last || last->type != kElementBreak) AddBreak(kEndOfLine);
    context.styles.PopAboveInnermostList();
    std::uint32_t* list = context.styles.InnermostList();
    const std::uint16_t style = context.styles.StyleWord();
    CHTMLElement* item = nullptr;
    if (list && (*list & kListNumbered)) {
        std::uint32_t number = *list & kListNumberMask;
        if (number < kListNumberMask) ++number;
        *list = (*list & ~kListNumberMask) | number;
        const auto numberStyle = static_cast<NumberStyle>((*list & kListStyleMask) >> 24);
        item = AddElement<CHTMLNumberedItem>(style, numberStyle, static_cast<std::int32_t>(number));
    } else {
        const std::int32_t shape = BulletShapeOf(list ? *list : 0, context.listDepth);
        item = AddElement<CHTMLBulletItem>(style, shape);
    }
    document_.texts.push_back(item);
}

void CHTMLBuilder::DefinitionTerm() {
    EndOfLineUnlessAfterBreak();
    StyleStack& styles = context_->styles;
    if (styles.Empty() || styles.Top() != kMarkerDt) styles.Push(kMarkerDt);
    // Every term starts at the list's margin, also after a definition.
    AddElement<CHTMLDefinitionData>(context_->compact, true);
}

void CHTMLBuilder::DefinitionData(bool isEnd) {
    StyleStack& styles = context_->styles;
    const bool afterTerm = !styles.Empty() && styles.Top() == kMarkerDt;
    if (!context_->compact || !afterTerm) EndOfLineUnlessAfterBreak();
    styles.Push(kMarkerDd);
    if (!isEnd) AddElement<CHTMLDefinitionData>(context_->compact);
}

void CHTMLBuilder::EndOfData() {
    if (inTitle_) {
        inTitle_ = false;
        plainMode_ = true;
        AddText(titleText_);
    }
    forms_.Finish();
    AddBreak(kEndOfLine);
    if (!document_.scrollTarget) {
        document_.scrollTarget = document_.First();
        document_.targetIsTop = true;
    }
}

}  // namespace corvane::html

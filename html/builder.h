#pragma once
// CHTMLBuilder turns the tokens of CHTMLTokenizer into a CHTML document, one token at a time,
// so a document can be laid out while it still arrives.
//
// Order of calls: construct (adds the document-start element), HandleToken for every token with
// the tokenizer's text, EndOfData once. Feed the tokenizer Preformatted() as its preformatted
// flag. The builder only refers to the document and the services; both must outlive it.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/address.h"
#include "html/builder_services.h"
#include "html/document.h"
#include "html/form_builder.h"
#include "html/parse_context.h"

namespace corvane::html {

class CHTMLBuilder {
  public:
    // Returned by HandleToken.
    static constexpr int kContinue = 1;
    static constexpr int kTableCompleted = 4;

    explicit CHTMLBuilder(CHTML& document, BuilderServices services = {});

    int HandleToken(int token, std::string_view text);
    // The title still open shows as text; the scroll target falls back to the top.
    void EndOfData();

    // Whether the tokenizer should treat line ends as preformatted: while a table is collected,
    // as the cell being collected will be built.
    bool Preformatted() const;
    // Ends every table still open (the data ended inside one): kTableCompleted when one has to
    // be replayed now.
    int CloseOpenTables();
    // Plain text documents: everything is preformatted, fixed-pitch text.
    void SetPlainMode() { plainMode_ = true; }

    CHTML& Document() { return document_; }
    CParseContext& Context() { return *context_; }
    // Table cells are built into their own context; nullptr returns to the document's.
    void SetContext(CParseContext* context) { context_ = context ? context : &documentContext_; }

    // Building blocks shared with the form and table builders.
    template <typename Element, typename... Args>
    Element* AddElement(Args&&... args) {
        return document_.AddElement<Element>(std::forward<Args>(args)...);
    }
    void AddBreak(BreakKind kind);
    void AddAlignment(std::int32_t alignment);
    // A text token: collapsed text outside PRE, preformatted text inside it or in plain mode.
    void AddText(std::string_view text);
    std::string ResolveUrl(std::string_view reference) const;
    // The address an image or background loads from: empty on an offline page, unless it is
    // one of the page's own parts (an image a stored message carries).
    std::string PictureUrl(std::string_view reference) const;

  private:
    int HandleTag(int number, bool isEnd, std::string_view text);
    void HandleTitleToken(int token, std::string_view text);
    void EndTitle();

    void Anchor(bool isEnd, std::string_view text);
    void AddLinkedElement(CHTMLElement* element, CHTMLAnchor* anchor);
    void Body(std::string_view text);
    void Base(std::string_view text);
    void Meta(std::string_view text);
    void Image(std::string_view text);
    void Rule(std::string_view text);
    void Heading(int number, bool isEnd, std::string_view text);
    void Paragraph(bool isEnd, std::string_view text);
    void BlockQuote(bool isEnd);
    void Centre(bool isEnd);
    void Pre(bool isEnd);
    void Xmp(bool isEnd);
    void PlainText();
    void FontSize(int number, bool isEnd, std::string_view text);
    void StartList(int number, std::string_view text);
    void EndList(int number);
    void ListItem();
    void DefinitionTerm();
    void DefinitionData(bool isEnd);
    bool DirectlyAfterItemStart() const;
    void ParagraphGapUnlessAfterItemStart();
    void EndOfLineUnlessAfterBreak();
    void PopIfOnTop(std::uint32_t value);

    CHTML& document_;
    BuilderServices services_;
    CParseContext documentContext_;
    CParseContext* context_ = &documentContext_;
    core::CHTAddress documentAddress_;
    core::CHTAddress baseAddress_;
    std::string baseUrl_;  // canonical form of baseAddress_
    bool inTitle_ = false;
    bool backgroundTaken_ = false;
    bool plainMode_ = false;
    std::string titleText_;
    std::string scratch_;  // cleaned text on its way into the document
    CFormBuilder forms_{*this};
};

}  // namespace corvane::html

// Any bytes, tokenized and built into a document: no crash, tokens of the expected shape, an
// element list whose links agree in both directions, and element counts and text sizes in
// proportion to the input. A first byte of 0x01 builds the rest as a plain-text document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "html/attributes.h"
#include "html/builder.h"
#include "html/document.h"
#include "html/entities.h"
#include "html/table_collector.h"
#include "html/tokenizer.h"

namespace html = corvane::html;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckTokenText(int token, std::string_view text, std::size_t inputSize) {
    // TEXTAREA stores each LF as CR LF.
    Check(text.size() <= 2 * inputSize + 2);
    if (token >= 2 && token != html::TOKEN_TEXTAREA_TEXT && token != html::TOKEN_OPTION_TEXT &&
        token != html::TOKEN_LINE_BREAK) {
        Check(!text.empty() && text.front() == '<');
        Check(((token & html::kEndTagFlag) != 0) == (text.size() > 1 && text[1] == '/'));
        // The builder reads attributes of every tag; check them on arbitrary tag texts too.
        for (std::string_view name : {"HREF", "NAME", "SIZE", "COMPACT"}) {
            const auto value = html::GetAttribute(text, name);
            Check(!value || value->size() <= text.size());
        }
    }
}

void CheckList(const html::CHTMLElement* first, const html::CHTMLElement* end,
               const html::CHTML& document, std::size_t inputSize, std::size_t& count) {
    for (const html::CHTMLElement* e = first; e != end; e = e->next) {
        Check(e->next->previous == e);
        Check(++count <= document.ElementCount());
        if (e->type == html::kElementText) {
            // An unclosed title shows as text; a TEXTAREA inside it doubles its line ends; text
            // the builder makes itself (ISINDEX's prompt) may join it.
            constexpr std::size_t kLongestMadeText = 64;
            Check(static_cast<const html::CHTMLText*>(e)->text.size() <=
                  2 * inputSize + 2 + kLongestMadeText);
        }
    }
}

void CheckDocument(const html::CHTML& document, std::size_t tokens, std::size_t inputSize) {
    std::size_t count = 0;
    CheckList(document.First(), document.End(), document, inputSize, count);
    // Table cells hold lists of their own.
    for (const html::CHTMLTable* table : document.tables) {
        for (const auto& cell : table->cells)
            CheckList(cell->First(), cell->End(), document, inputSize, count);
    }
    Check(count == document.ElementCount());
    // No token adds more than a fixed number of elements (ISINDEX the most: rules, breaks, a form
    // with its prompt and field); the document start and the end add two.
    constexpr std::size_t kMostElementsPerToken = 16;
    Check(count <= kMostElementsPerToken * (tokens + 1) + 2);
    Check(document.scrollTarget != nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const bool plain = !input.empty() && input.front() == '\x01';

    std::string expanded(input);
    html::ExpandEntities(expanded);
    Check(expanded.size() <= input.size());

    html::CHTML document("http://example.org/dir/page.html#target");
    html::CHTMLBuilder builder(document);
    if (plain) builder.SetPlainMode();
    html::CHTMLTokenizer tokenizer;
    std::size_t tokens = 0;
    auto feed = [&](int ch) {
        const int token = tokenizer.Feed(ch, builder.Preformatted());
        if (token == html::kTokenNone) return;
        ++tokens;
        CheckTokenText(token, tokenizer.Text(), size);
        const int answer = html::HandleTokenNow(builder, token, tokenizer.Text());
        Check(answer == html::CHTMLBuilder::kContinue ||
              answer == html::CHTMLBuilder::kTableCompleted);
    };
    for (const char c : input) {
        // A 0 byte means the end of the data to the tokenizer; the reader never passes one on.
        if (c != '\0') feed(static_cast<unsigned char>(c));
    }
    feed(0);
    html::EndOfDataNow(builder);
    CheckDocument(document, tokens, size);
    return 0;
}

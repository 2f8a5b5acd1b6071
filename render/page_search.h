#pragma once
// Find in page over a document's text list: the text runs, the numbered list items' labels and
// the texts form controls show, in document order. A match may run on from one entry into the next.
// The search remembers where it stands: each match moves it just past itself, so the next search
// finds the next occurrence, and a search that reaches the end stays there until it starts from the
// top again.
//
// The text from the search position on is gathered once per search and scanned with a
// skipping searcher, so a search costs time linear in the text, whatever the pattern.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::html {
class CHTML;
class CHTMLElement;
}  // namespace corvane::html

namespace corvane::render {

// A place in the text list: an entry and a byte offset in its searchable text.
struct TextPosition {
    std::size_t entry = 0;
    std::size_t offset = 0;
    friend bool operator==(const TextPosition&, const TextPosition&) = default;
};

struct TextMatch {
    TextPosition first;  // the first byte of the match
    TextPosition last;   // the first byte of its last character
};

// What find searches in an entry of the text list: a text run's text, a numbered item's label
// or a control's shown text (both made in `label`); empty for anything else.
std::string_view SearchableText(const html::CHTMLElement& entry, std::string& label);

class CPageSearch {
  public:
    void StartFromTop() { position_ = {}; }
    const TextPosition& Position() const { return position_; }
    // The next match from the search position on, matching case only when asked; the position
    // moves past it. Without a match the position moves to the end of the text list.
    std::optional<TextMatch> FindNext(const html::CHTML& document, std::string_view pattern,
                                      bool matchCase);

  private:
    TextPosition position_;
};

}  // namespace corvane::render

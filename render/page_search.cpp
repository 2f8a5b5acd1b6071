#include "render/page_search.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "html/document.h"
#include "html/form_elements.h"
#include "platform/ascii.h"
#include "render/control_boxes.h"
#include "render/list_label.h"

namespace corvane::render {
namespace {

// Line ends and tabs of preformatted text match a space; without "Match case" letters match
// either case. One byte stays one byte, so offsets carry over to the text.
char Fold(char c, bool matchCase) {
    if (c == '\n' || c == '\t' || c == '\r') return ' ';
    return matchCase ? c : AsciiLowerChar(c);
}

// Where a piece of the gathered text came from.
struct Piece {
    std::size_t start;  // in the gathered text
    std::size_t entry;
    std::size_t offset;  // in the entry's text
};

TextPosition PositionOf(const std::vector<Piece>& pieces, std::size_t at) {
    const auto piece =
        std::prev(std::upper_bound(pieces.begin(), pieces.end(), at,
                                   [](std::size_t a, const Piece& p) { return a < p.start; }));
    return {piece->entry, piece->offset + (at - piece->start)};
}

// Offset of the last character's first byte: UTF-8 continuation bytes are 10xxxxxx.
std::size_t LastCharacterStart(std::string_view text) {
    std::size_t at = text.size() - 1;
    while (at > 0 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) --at;
    return at;
}

}  // namespace

std::string_view SearchableText(const html::CHTMLElement& entry, std::string& label) {
    if (entry.type == html::kElementText) return static_cast<const html::CHTMLText&>(entry).text;
    if (entry.type == html::kElementNumberedItem) {
        label = ItemNumberLabel(static_cast<const html::CHTMLNumberedItem&>(entry));
        return label;
    }
    if (html::IsControl(entry.type)) {
        label = ControlShownText(static_cast<const html::CHTMLControl&>(entry));
        return label;
    }
    return {};
}

std::optional<TextMatch> CPageSearch::FindNext(const html::CHTML& document,
                                               std::string_view pattern, bool matchCase) {
    const std::vector<html::CHTMLElement*>& entries = document.texts;
    if (pattern.empty()) return std::nullopt;
    std::string text;
    std::vector<Piece> pieces;
    std::string label;
    for (std::size_t entry = position_.entry; entry < entries.size(); ++entry) {
        const std::string_view entryText = SearchableText(*entries[entry], label);
        const std::size_t from =
            entry == position_.entry ? std::min(position_.offset, entryText.size()) : 0;
        if (from == entryText.size()) continue;
        pieces.push_back({text.size(), entry, from});
        for (std::size_t i = from; i < entryText.size(); ++i)
            text.push_back(Fold(entryText[i], matchCase));
    }
    std::string folded(pattern);
    for (char& c : folded) c = Fold(c, matchCase);
    const auto found = std::search(
        text.begin(), text.end(), std::boyer_moore_horspool_searcher(folded.begin(), folded.end()));
    if (found == text.end()) {
        position_ = {entries.size(), 0};
        return std::nullopt;
    }
    const auto at = static_cast<std::size_t>(found - text.begin());
    TextMatch match{PositionOf(pieces, at), PositionOf(pieces, at + LastCharacterStart(pattern))};
    position_ = PositionOf(pieces, at + pattern.size() - 1);
    ++position_.offset;
    return match;
}

}  // namespace corvane::render

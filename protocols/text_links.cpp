#include "protocols/text_links.h"

#include <array>

#include "core/html_escape.h"
#include "platform/ascii.h"

namespace corvane::protocols {
namespace {

constexpr std::array<std::string_view, 10> kLinkPrefixes = {
    "http:", "ftp:",    "mailto:", "news:",   "newspost:",
    "nntp:", "gopher:", "telnet:", "tn3270:", "whois:"};

bool EndsUrl(char c) {
    return c == '\0' || c == ' ' || c == ',' || c == '<' || c == '>' || c == '(' || c == ')';
}

// Length of the link prefix at the start of text, 0 when there is none.
std::size_t PrefixLength(std::string_view text) {
    for (std::string_view prefix : kLinkPrefixes) {
        if (StartsWithIgnoreCase(text, prefix)) return prefix.size();
    }
    return 0;
}

// Where the next link starts at or after `from`, or the text's size when none does.
std::size_t NextLinkStart(std::string_view text, std::size_t from) {
    while (from < text.size() && PrefixLength(text.substr(from)) == 0) ++from;
    return from;
}

}  // namespace

std::size_t AppendTextWithLinks(std::string_view text, std::string& html) {
    const std::size_t before = html.size();
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t prefix = PrefixLength(text.substr(at));
        if (prefix == 0) {
            const std::size_t next = NextLinkStart(text, at + 1);
            core::AppendHtmlEscaped(text.substr(at, next - at), html, core::LineBreaks::kKeep);
            at = next;
            continue;
        }
        std::size_t end = at + prefix;
        while (end < text.size() && !EndsUrl(text[end])) ++end;
        const std::string_view url = text.substr(at, end - at);
        html += "<a href=\"";
        core::AppendHtmlEscaped(url, html);
        html += "\">";
        core::AppendHtmlEscaped(url, html);
        html += "</a>";
        at = end;
    }
    return html.size() - before;
}

}  // namespace corvane::protocols

#include "protocols/text_links.h"

#include <array>

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

// A double quote matters only inside the link's attribute.
void AppendEscaped(std::string_view text, bool inAttribute, std::string& html) {
    for (char c : text) {
        switch (c) {
            case '"':
                html += inAttribute ? "&quot;" : "\"";
                break;
            case '&':
                html += "&amp;";
                break;
            case '<':
                html += "&lt;";
                break;
            case '>':
                html += "&gt;";
                break;
            default:
                html += c;
        }
    }
}

}  // namespace

std::size_t AppendTextWithLinks(std::string_view text, std::string& html) {
    const std::size_t before = html.size();
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t prefix = PrefixLength(text.substr(at));
        if (prefix == 0) {
            AppendEscaped(text.substr(at, 1), false, html);
            ++at;
            continue;
        }
        std::size_t end = at + prefix;
        while (end < text.size() && !EndsUrl(text[end])) ++end;
        const std::string_view url = text.substr(at, end - at);
        html += "<a href=\"";
        AppendEscaped(url, true, html);
        html += "\">";
        AppendEscaped(url, true, html);
        html += "</a>";
        at = end;
    }
    return html.size() - before;
}

}  // namespace corvane::protocols

#pragma once
// Pieces shared by the generated news pages. Everything a server sent is written as escaped text
// and, inside a link, percent-escaped, so no group name, subject, author or header can make
// markup of its own.

#include <string>
#include <string_view>

namespace corvane::news {

inline constexpr std::string_view kNewsBodyLine =
    "<body bgcolor=#FFFFFF text=000000 link=#000088 alink=#008888 vlink=#880000>\r\n";

// Server text as HTML text.
std::string HtmlText(std::string_view text);
// Server text as part of a link target: every byte but letters, digits and "*-./@_" escaped.
std::string LinkText(std::string_view text);
// "news:" and, when the page's address named a host, "//" + host + "/": the start of every
// article and group link on a page.
std::string NewsLinkStart(std::string_view host, bool hasHost);

}  // namespace corvane::news

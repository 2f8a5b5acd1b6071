#pragma once
// Plain text from servers (whois answers, news articles) copied into generated HTML with every
// URL of the program's schemes turned into a link.

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::protocols {

// Appends `text` to `html`. A URL starts with "http:", "ftp:", "mailto:", "news:", "newspost:",
// "nntp:", "gopher:", "telnet:", "tn3270:" or "whois:" in any case and ends before a zero byte,
// a space, ",", "<", ">", "(" or ")"; it becomes <a href="URL">URL</a>. Everything is copied with
// "<", ">", "&", '"' and control bytes other than tab and line ends written as character
// references, so the server's text can make neither markup nor references of its own, nor leave
// the link's attribute. Answers the number of bytes appended.
std::size_t AppendTextWithLinks(std::string_view text, std::string& html);

}  // namespace corvane::protocols

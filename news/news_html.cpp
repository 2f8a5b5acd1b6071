#include "news/news_html.h"

#include "core/address.h"
#include "core/html_escape.h"

namespace corvane::news {

std::string HtmlText(std::string_view text) {
    return core::EscapeHtmlText(text);
}

std::string LinkText(std::string_view text) {
    std::string escaped(text);
    core::EscapeUrlText(escaped);
    return escaped;
}

std::string NewsLinkStart(std::string_view host, bool hasHost) {
    std::string start = "news:";
    if (hasHost) start += "//" + HtmlText(host) + "/";  // a host keeps its ":port"
    return start;
}

}  // namespace corvane::news

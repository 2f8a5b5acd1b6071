#include "news/news_url.h"

#include <limits>

#include "core/url_escapes.h"
#include "platform/ascii.h"
#include "protocols/attachment_url.h"

namespace corvane::news {

std::string DecodeNewsPath(std::string_view path) {
    std::string spaced(path);
    for (char& c : spaced) {
        if (c == '+') c = ' ';
    }
    return core::DecodeUrlEscapes(spaced);
}

NewsSelection SelectNews(std::string_view path, std::string_view anchor) {
    NewsSelection selection;
    if (path.empty()) return selection;
    if (const std::optional<protocols::AttachmentPath> attachment =
            protocols::ParseAttachmentPath(path);
        attachment && attachment->number > 0 &&
        attachment->messagePath.find('@') != std::string::npos) {
        selection.mode = NewsMode::kArticle;
        selection.messageId = "<" + attachment->messagePath + ">";
        selection.attachment = attachment->number;
        return selection;
    }
    if (const std::size_t slash = path.find('/'); slash != std::string_view::npos) {
        selection.mode = NewsMode::kArticleList;
        selection.group = path.substr(0, slash);
        selection.range = path.substr(slash + 1);
        return selection;
    }
    if (path.find('@') != std::string_view::npos) {
        selection.mode = NewsMode::kArticle;
        selection.messageId = "<" + std::string(path);
        if (!anchor.empty()) selection.messageId += "#" + std::string(anchor);
        selection.messageId += ">";
        return selection;
    }
    if (const std::size_t star = path.find('*'); star != std::string_view::npos) {
        const std::string_view before = path.substr(0, star);
        const std::size_t dot = before.rfind('.');
        if (dot != std::string_view::npos) {
            selection.hierarchy = before.substr(0, dot);
            selection.fragment = before.substr(dot + 1);
        } else {
            selection.fragment = before;
        }
        return selection;
    }
    selection.mode = NewsMode::kArticleList;
    selection.group = path;
    return selection;
}

std::int64_t LeadingNumber(std::string_view text) {
    std::int64_t value = 0;
    for (char c : text) {
        if (!IsAsciiDigit(c)) break;
        if (value > (std::numeric_limits<std::int64_t>::max() - 9) / 10) break;
        value = value * 10 + (c - '0');
    }
    return value;
}

ArticleRange ChooseArticleRange(std::string_view rangeText, std::int64_t groupFirst,
                                std::int64_t groupLast, std::int64_t pageSize) {
    ArticleRange range;
    const std::size_t dash = rangeText.find('-');
    range.first = LeadingNumber(rangeText);
    range.last = dash == std::string_view::npos ? 0 : LeadingNumber(rangeText.substr(dash + 1));
    if (range.first == 0) range.first = groupFirst;
    if (range.last == 0) range.last = groupLast;
    if (dash == std::string_view::npos && pageSize > 0 && range.last - range.first + 1 > pageSize)
        range.first = range.last - pageSize + 1;
    return range;
}

}  // namespace corvane::news

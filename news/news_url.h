#pragma once
// What a news: address asks for. The path (after "news:", or after the host and its "/") selects
// the page: empty, all groups; a message-id followed by "/number/name", that attachment of the
// article, to be saved; with "/", a group's articles in a range; with "@", one article by
// message-id; with "*", part of the group list; anything else, a group's newest articles.

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::news {

enum class NewsMode { kGroupList = 0, kArticleList = 1, kArticle = 2 };

struct NewsSelection {
    NewsMode mode = NewsMode::kGroupList;
    std::string group;           // the article list's group
    std::string range;           // the article list's range text, after the "/"
    std::string messageId;       // the article's id with its angle brackets
    std::size_t attachment = 0;  // the article's attachment to save (from 1); 0: the page
    std::string hierarchy;       // the group list below this dotted name (empty: every group)
    std::string fragment;        // only the hierarchy's children whose names begin with this
};

// The path of a news address as text: "+" is a space and "%" with two hexadecimal digits the byte
// they name.
std::string DecodeNewsPath(std::string_view path);

// Reads a decoded path; the anchor, when there is one, belongs to a message-id that held a "#".
NewsSelection SelectNews(std::string_view path, std::string_view anchor);

// The articles an article list shows, from the range text and the group's first and last
// numbers: a missing or zero bound is the group's own; without "-" in the range text only the
// newest `pageSize` articles of the range are shown.
struct ArticleRange {
    std::int64_t first = 0;
    std::int64_t last = 0;
};
ArticleRange ChooseArticleRange(std::string_view rangeText, std::int64_t groupFirst,
                                std::int64_t groupLast, std::int64_t pageSize);

// The leading decimal number of text, 0 when there is none; stops before it would overflow.
std::int64_t LeadingNumber(std::string_view text);

}  // namespace corvane::news

#pragma once
// Threads an article list: each article whose last reference names a listed article is shown one
// level deeper after that article and its earlier replies (with their own replies), however the
// server ordered them; a reply that came before its parent moves under it. Top-level threads
// keep the place of their earliest-listed article. Parents are found through an index of
// message-ids, so the work grows in proportion to the number of articles.

#include <vector>

#include "news/overview.h"

namespace corvane::news {

// Reorders `entries` (given in the server's order) into thread order and sets their depths.
void ThreadArticles(std::vector<ArticleEntry>& entries);

}  // namespace corvane::news

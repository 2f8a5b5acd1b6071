#pragma once
// The article list page of a group: links to the first and previous pages, the threaded entries
// ("MM/DD subject <author> (lines)", replies indented without their subject), then links to the
// next and last pages. Page links are relative ("group/first-last"), so they stay on the server
// of the page's address. One entry per unit.

#include <cstdint>
#include <string>
#include <vector>

#include "news/overview.h"
#include "protocols/generated_units.h"

namespace corvane::news {

struct ArticleListView {
    std::string server;
    std::string group;
    std::string linkStart;  // NewsLinkStart of the page's address
    std::int64_t groupFirst = 0;
    std::int64_t groupLast = 0;
    std::int64_t first = 0;  // the range shown
    std::int64_t last = 0;
    std::int64_t pageSize = 100;
};

// Replies nested deeper than this are shown at this depth: a hostile chain of references cannot
// make the page nest lists without end.
inline constexpr int kMaxShownDepth = 32;

class ArticleListPage : public protocols::GeneratedUnits {
  public:
    ArticleListPage(ArticleListView view, std::vector<ArticleEntry> entries);

  protected:
    bool NextUnit(std::string& unit) override;

  private:
    std::string PageLink(std::int64_t first, std::int64_t last, std::string_view label) const;
    void AppendHeader(std::string& unit) const;
    void AppendFooter(std::string& unit) const;

    ArticleListView view_;
    std::vector<ArticleEntry> entries_;
    std::size_t next_ = 0;
    int level_ = 1;
    bool started_ = false;
    bool ended_ = false;
};

}  // namespace corvane::news

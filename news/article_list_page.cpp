#include "news/article_list_page.h"

#include <algorithm>
#include <cstdio>

#include "html/mime_text.h"
#include "news/news_html.h"

namespace corvane::news {

ArticleListPage::ArticleListPage(ArticleListView view, std::vector<ArticleEntry> entries)
    : view_(std::move(view)), entries_(std::move(entries)) {}

std::string ArticleListPage::PageLink(std::int64_t first, std::int64_t last,
                                      std::string_view label) const {
    return "<a href=\"" + LinkText(view_.group) + "/" + std::to_string(first) + "-" +
           std::to_string(last) + "\">" + std::string(label) + "</a>";
}

void ArticleListPage::AppendHeader(std::string& unit) const {
    const std::string group = HtmlText(view_.group);
    unit += "<TITLE>" + HtmlText(view_.server) + "/" + group + "</TITLE>\r\n";
    unit += kNewsBodyLine;
    unit += "<b><font size=+3>Article List for:</font><br><font size=+2>" + group +
            "</font></b><br><br>\r\n";
    const std::int64_t size = view_.pageSize;
    if (view_.groupFirst < view_.first) {
        // The previous page never starts before the group's first article.
        const std::int64_t previous = std::max(view_.first - size, view_.groupFirst);
        unit += "[";
        if (previous != view_.groupFirst)
            unit += PageLink(view_.groupFirst, view_.groupFirst + size - 1, "First") + " | ";
        unit += PageLink(previous, view_.first - 1, "Previous") + "]<br>\r\n";
    }
    unit += "<hr size=4><br>\r\n<ul>\r\n";
}

void ArticleListPage::AppendFooter(std::string& unit) const {
    for (int level = level_; level > 1; --level) unit += "</ul>\r\n";
    unit += "<br></ul><hr size=4>\r\n";
    if (view_.last < view_.groupLast) {
        const std::int64_t next = std::min(view_.last + view_.pageSize, view_.groupLast);
        unit += "[" + PageLink(view_.last + 1, next, "Next");
        if (next != view_.groupLast)
            unit += " | " + PageLink(view_.groupLast - view_.pageSize + 1, view_.groupLast, "Last");
        unit += "]<br>\r\n";
    }
}

bool ArticleListPage::NextUnit(std::string& unit) {
    if (!started_) {
        started_ = true;
        AppendHeader(unit);
        return true;
    }
    if (next_ == entries_.size()) {
        if (ended_) return false;
        ended_ = true;
        AppendFooter(unit);
        return true;
    }
    const ArticleEntry& entry = entries_[next_++];
    const int depth = std::clamp(entry.depth, 1, kMaxShownDepth);
    for (; level_ < depth; ++level_) unit += "<ul>";
    for (; level_ > depth; --level_) unit += "</ul>";
    char date[32];
    std::snprintf(date, sizeof date, "%02d/%02d ", entry.month + 1, entry.day);
    unit += "<li>";
    unit += date;
    unit += "<a href=\"" + view_.linkStart + LinkText(entry.messageId) + "\">";
    if (level_ == 1) unit += HtmlText(html::DecodeHeaderText(entry.subject));
    unit += " &lt;" + HtmlText(html::DecodeHeaderText(entry.author)) + "&gt;</a>";
    if (entry.lines >= 0) unit += " (" + std::to_string(entry.lines) + ")";
    unit += "<br>\r\n";
    return true;
}

}  // namespace corvane::news

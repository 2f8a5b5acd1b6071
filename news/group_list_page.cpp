#include "news/group_list_page.h"

#include "news/news_html.h"
#include "platform/ascii.h"

namespace corvane::news {

GroupListPage::GroupListPage(std::shared_ptr<const GroupTree> tree, GroupListView view)
    : tree_(std::move(tree)), view_(std::move(view)) {}

void GroupListPage::AppendEntry(std::string_view fullName, bool isGroupEntry,
                                std::string& unit) const {
    const std::string_view suffix = isGroupEntry ? "" : ".*";
    unit += "<dd><a href=\"";
    unit += view_.linkStart;
    unit += LinkText(fullName);
    unit += suffix;
    unit += "\">";
    unit += HtmlText(fullName);
    unit += suffix;
    unit += "</a>\r\n";
}

void GroupListPage::AppendChildEntry(const std::string& prefix, const GroupNode& child,
                                     std::string& unit) const {
    std::string fullName = prefix + child.name;
    const GroupNode* node = &child;
    std::string chain = fullName;
    while (!node->IsGroup() && node->children.size() == 1) {
        node = node->children.front();
        chain += "." + node->name;
    }
    if (node->children.empty()) {
        AppendEntry(chain, node->IsGroup(), unit);
    } else {
        AppendEntry(fullName, false, unit);
    }
}

bool GroupListPage::NextUnit(std::string& unit) {
    switch (step_) {
        case Step::kHeader: {
            const std::string server = HtmlText(view_.server);
            unit = "<TITLE>Newsgroup List for " + server + "</TITLE>\r\n";
            unit += kNewsBodyLine;
            unit += "<H1>Newsgroup List for " + server + "</H1>\r\n<hr><dl>\r\n";
            start_ = tree_->Find(view_.hierarchy);
            step_ = start_ == nullptr ? Step::kClose : Step::kChildren;
            if (start_ == nullptr || view_.hierarchy.empty()) return true;
            prefix_ = view_.hierarchy + ".";
            if (view_.fragment.empty()) {
                unit +=
                    "<dd><b><font size=+2>" + HtmlText(view_.hierarchy) + ".*</font></b><dl>\r\n";
                ++openLists_;
                if (start_->IsGroup()) AppendEntry(view_.hierarchy, true, unit);
            }
            return true;
        }
        case Step::kChildren:
            while (next_ < start_->children.size()) {
                const GroupNode& child = *start_->children[next_++];
                if (view_.fragment.empty()) {
                    AppendChildEntry(prefix_, child, unit);
                    return true;
                }
                if (!StartsWithIgnoreCase(child.name, view_.fragment)) continue;
                const std::string fullName = prefix_ + child.name;
                unit = "<dd><b><font size=+2>" + HtmlText(fullName) + "</font></b><dl>\r\n";
                if (child.IsGroup() || !child.children.empty())
                    AppendEntry(fullName, child.children.empty(), unit);
                if (child.children.empty()) {
                    unit += "</dl>\r\n";
                } else {
                    matched_ = &child;
                    matchedPrefix_ = fullName + ".";
                    nextOfMatched_ = 0;
                    step_ = Step::kFragmentChildren;
                }
                return true;
            }
            step_ = Step::kClose;
            return NextUnit(unit);
        case Step::kFragmentChildren:
            if (nextOfMatched_ < matched_->children.size()) {
                AppendChildEntry(matchedPrefix_, *matched_->children[nextOfMatched_++], unit);
            } else {
                unit = "</dl>\r\n";
                step_ = Step::kChildren;
            }
            return true;
        case Step::kClose:
            for (int i = 0; i < openLists_; ++i) unit += "</dl>\r\n";
            step_ = Step::kDone;
            return true;
        case Step::kDone:
            break;
    }
    return false;
}

}  // namespace corvane::news

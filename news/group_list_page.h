#pragma once
// The group list page of a news server: the groups below a hierarchy (all of them for the empty
// one), optionally only the children whose names begin with a fragment, each with a heading of
// its own. A hierarchy that leads through single children down to one group is shown as one
// dotted name; other hierarchies link to their own partial list ("name.*"). One entry per unit.

#include <cstddef>
#include <memory>
#include <string>

#include "news/group_tree.h"
#include "protocols/generated_units.h"

namespace corvane::news {

struct GroupListView {
    std::string server;     // shown in the title and heading
    std::string linkStart;  // NewsLinkStart of the page's address
    std::string hierarchy;
    std::string fragment;
};

class GroupListPage : public protocols::GeneratedUnits {
  public:
    GroupListPage(std::shared_ptr<const GroupTree> tree, GroupListView view);

  protected:
    bool NextUnit(std::string& unit) override;

  private:
    enum class Step { kHeader, kChildren, kFragmentChildren, kClose, kDone };
    void AppendEntry(std::string_view fullName, bool isGroupEntry, std::string& unit) const;
    // One entry for a child, following a chain of single children down to a group.
    void AppendChildEntry(const std::string& prefix, const GroupNode& child,
                          std::string& unit) const;

    std::shared_ptr<const GroupTree> tree_;
    GroupListView view_;
    Step step_ = Step::kHeader;
    const GroupNode* start_ = nullptr;
    std::string prefix_;
    std::size_t next_ = 0;
    const GroupNode* matched_ = nullptr;  // the fragment's child whose children are written
    std::string matchedPrefix_;
    std::size_t nextOfMatched_ = 0;
    int openLists_ = 1;
};

}  // namespace corvane::news

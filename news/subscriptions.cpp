#include "news/subscriptions.h"

#include <algorithm>
#include <vector>

#include "platform/ascii.h"

namespace corvane::news {
namespace {

// A child counts towards "every newsgroup below is subscribed" when its own group (if it is
// one) and everything below it (if anything is) are subscribed.
bool FullySubscribed(const GroupNode& node) {
    if (node.IsGroup() && (node.flags & kSubscribed) == 0) return false;
    return node.children.empty() || (node.flags & kAllBelowSubscribed) != 0;
}

bool AnySubscribed(const GroupNode& node) {
    return (node.flags & (kSubscribed | kSomeBelowSubscribed)) != 0;
}

void UpdateHierarchyFlags(GroupNode& node) {
    node.flags &= static_cast<std::uint8_t>(~(kAllBelowSubscribed | kSomeBelowSubscribed));
    if (node.children.empty()) return;
    bool all = true;
    bool some = false;
    for (const auto& child : node.children) {
        all = all && FullySubscribed(*child);
        some = some || AnySubscribed(*child);
    }
    if (all) node.flags |= kAllBelowSubscribed;
    if (some) node.flags |= kSomeBelowSubscribed;
}

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
    if (part.size() > text.size()) return false;
    for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
        if (EqualsIgnoreCase(text.substr(at, part.size()), part)) return true;
    }
    return false;
}

}  // namespace

void SetSubscribed(GroupNode& node, bool subscribed) {
    // Depth-first order puts parents before children; walking it backwards settles every child
    // before its parent, without recursion however deep the names nest.
    std::vector<GroupNode*> order{&node};
    for (std::size_t i = 0; i < order.size(); ++i) {
        for (const auto& child : order[i]->children) order.push_back(child);
    }
    for (auto at = order.rbegin(); at != order.rend(); ++at) {
        GroupNode& each = **at;
        if (each.IsGroup()) {
            if (subscribed) {
                each.flags |= kSubscribed;
            } else {
                each.flags &= static_cast<std::uint8_t>(~kSubscribed);
            }
        }
        UpdateHierarchyFlags(each);
    }
    for (GroupNode* above = node.parent; above != nullptr; above = above->parent)
        UpdateHierarchyFlags(*above);
}

bool HasSubscriptions(const GroupTree& tree) {
    // The root has no line in the cache file, so its own flags are not trusted.
    for (const auto& child : tree.Root().children) {
        if (AnySubscribed(*child)) return true;
    }
    return false;
}

bool ShownWhenSubscribedOnly(const GroupNode& node) {
    return AnySubscribed(node);
}

std::string FullName(const GroupNode& node) {
    std::vector<const GroupNode*> path;
    for (const GroupNode* at = &node; at != nullptr && at->parent != nullptr; at = at->parent)
        path.push_back(at);
    std::string name;
    for (auto at = path.rbegin(); at != path.rend(); ++at) {
        if (!name.empty()) name += '.';
        name += (*at)->name;
    }
    return name;
}

const GroupNode* FindGroupNode(const GroupTree& tree, const GroupNode* from,
                               std::string_view text) {
    // The walk's stack: each node on the path with the index of its next child to visit. From a
    // node, the path is rebuilt once; every step after that is constant work, so searching a
    // flat hierarchy of many thousand groups stays linear.
    struct Step {
        const GroupNode* node;
        std::size_t next;
    };
    std::vector<Step> path;
    if (from == nullptr) {
        path.push_back({&tree.Root(), 0});
    } else {
        for (const GroupNode* at = from; at != nullptr; at = at->parent) path.push_back({at, 0});
        std::reverse(path.begin(), path.end());
        for (std::size_t i = 0; i + 1 < path.size(); ++i) {
            const auto& children = path[i].node->children;
            std::size_t index = 0;
            while (index < children.size() && children[index] != path[i + 1].node) ++index;
            path[i].next = index + 1;
        }
    }
    while (!path.empty()) {
        Step& top = path.back();
        if (top.next >= top.node->children.size()) {
            path.pop_back();
            continue;
        }
        const GroupNode* child = top.node->children[top.next++];
        path.push_back({child, 0});
        if (ContainsIgnoringCase(FullName(*child), text)) return child;
    }
    return nullptr;
}

}  // namespace corvane::news

#include "news/group_tree.h"

#include <algorithm>
#include <functional>

#include "platform/ascii.h"

namespace corvane::news {

bool GroupNameLess(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const char x = AsciiLowerChar(a[i]);
        const char y = AsciiLowerChar(b[i]);
        if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

GroupNode* GroupNode::FindChild(std::string_view component) const {
    // Children are sorted, so the names equal but for case sit together from the lower bound.
    const auto at = std::lower_bound(
        children.begin(), children.end(), component,
        [](const std::unique_ptr<GroupNode>& node, std::string_view name) {
            const std::size_t common = std::min(node->name.size(), name.size());
            for (std::size_t i = 0; i < common; ++i) {
                const char x = AsciiLowerChar(node->name[i]);
                const char y = AsciiLowerChar(name[i]);
                if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
            }
            return node->name.size() < name.size();
        });
    if (at != children.end() && EqualsIgnoreCase((*at)->name, component)) return at->get();
    return nullptr;
}

std::size_t GroupTree::ChildKeyHash::operator()(const ChildKey& key) const {
    return std::hash<std::string_view>{}(key.name) ^
           (std::hash<const void*>{}(key.parent) * 0x9E3779B97F4A7C15ull);
}

GroupTree::GroupTree() = default;

void GroupTree::Clear() {
    root_.children.clear();
    root_.flags = 0;
    index_.clear();
}

GroupNode* GroupTree::AddNode(GroupNode& parent, std::string_view component, std::uint8_t flags) {
    auto node = std::make_unique<GroupNode>();
    node->name.assign(component);
    node->flags = flags & kStoredFlags;
    node->parent = &parent;
    GroupNode* added = node.get();
    parent.children.push_back(std::move(node));
    index_.emplace(ChildKey{&parent, added->name}, added);
    return added;
}

GroupNode* GroupTree::Child(GroupNode& parent, std::string_view component) {
    const auto found = index_.find(ChildKey{&parent, component});
    if (found != index_.end()) return found->second;
    return AddNode(parent, component, 0);
}

bool GroupTree::AddGroup(std::string_view name) {
    GroupNode* node = &root_;
    while (!name.empty()) {
        const std::size_t dot = name.find('.');
        const std::string_view component = name.substr(0, dot);
        name = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
        if (!component.empty()) node = Child(*node, component);
    }
    if (node == &root_) return false;
    node->flags |= kIsGroup;
    return true;
}

bool GroupTree::AddListLine(std::string_view line) {
    const std::size_t space = line.find(' ');
    return space != std::string_view::npos && AddGroup(line.substr(0, space));
}

void GroupTree::FinishLoading() {
    index_.clear();
    std::vector<GroupNode*> pending{&root_};
    while (!pending.empty()) {
        GroupNode* node = pending.back();
        pending.pop_back();
        std::stable_sort(
            node->children.begin(), node->children.end(),
            [](const auto& a, const auto& b) { return GroupNameLess(a->name, b->name); });
        for (auto& child : node->children) pending.push_back(child.get());
    }
}

const GroupNode* GroupTree::Find(std::string_view dottedName) const {
    const GroupNode* node = &root_;
    while (!dottedName.empty() && node != nullptr) {
        const std::size_t dot = dottedName.find('.');
        node = node->FindChild(dottedName.substr(0, dot));
        dottedName =
            dot == std::string_view::npos ? std::string_view() : dottedName.substr(dot + 1);
    }
    return node;
}

}  // namespace corvane::news

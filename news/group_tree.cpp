#include "news/group_tree.h"

#include <algorithm>
#include <cstdint>
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

std::size_t GroupTree::ChildIndex::Hash(const GroupNode& parent, std::string_view name) {
    return std::hash<std::string_view>{}(name) ^
           (reinterpret_cast<std::uintptr_t>(&parent) * 0x9E3779B97F4A7C15ull);
}

GroupNode* GroupTree::ChildIndex::Find(const GroupNode& parent, std::string_view name,
                                       std::size_t hash) const {
    if (slots_.empty()) return nullptr;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask; slots_[i].node != nullptr; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.hash == hash && slot.node->parent == &parent && slot.node->name == name)
            return slot.node;
    }
    return nullptr;
}

void GroupTree::ChildIndex::Add(GroupNode* node, std::size_t hash) {
    // At most half full: probes stay short and always end at an empty slot.
    if ((used_ + 1) * 2 > slots_.size()) Grow();
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = hash & mask;
    while (slots_[i].node != nullptr) i = (i + 1) & mask;
    slots_[i] = Slot{hash, node};
    ++used_;
}

void GroupTree::ChildIndex::Grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.node == nullptr) continue;
        std::size_t i = slot.hash & mask;
        while (slots_[i].node != nullptr) i = (i + 1) & mask;
        slots_[i] = slot;
    }
}

void GroupTree::ChildIndex::Clear() {
    slots_ = {};
    used_ = 0;
}

GroupTree::GroupTree() = default;

void GroupTree::Clear() {
    root_.children.clear();
    root_.flags = 0;
    index_.Clear();
}

GroupNode* GroupTree::Append(GroupNode& parent, std::string_view component, std::uint8_t flags,
                             std::size_t hash) {
    auto node = std::make_unique<GroupNode>();
    node->name.assign(component);
    node->flags = flags & kStoredFlags;
    node->parent = &parent;
    GroupNode* added = node.get();
    parent.children.push_back(std::move(node));
    index_.Add(added, hash);
    return added;
}

GroupNode* GroupTree::AddNode(GroupNode& parent, std::string_view component, std::uint8_t flags) {
    return Append(parent, component, flags, ChildIndex::Hash(parent, component));
}

GroupNode* GroupTree::Child(GroupNode& parent, std::string_view component) {
    // Sorted lists give a parent its children one after another: the last one needs no lookup.
    if (!parent.children.empty() && parent.children.back()->name == component)
        return parent.children.back().get();
    const std::size_t hash = ChildIndex::Hash(parent, component);
    if (GroupNode* found = index_.Find(parent, component, hash)) return found;
    return Append(parent, component, 0, hash);
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
    index_.Clear();
    std::vector<GroupNode*> pending{&root_};
    while (!pending.empty()) {
        GroupNode* node = pending.back();
        pending.pop_back();
        const auto less = [](const auto& a, const auto& b) {
            return GroupNameLess(a->name, b->name);
        };
        // Servers and the cache file mostly list in order already.
        if (!std::is_sorted(node->children.begin(), node->children.end(), less))
            std::stable_sort(node->children.begin(), node->children.end(), less);
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

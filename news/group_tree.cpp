#include "news/group_tree.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>

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
        [](const GroupNode* node, std::string_view name) {
            const std::size_t common = std::min(node->name.size(), name.size());
            for (std::size_t i = 0; i < common; ++i) {
                const char x = AsciiLowerChar(node->name[i]);
                const char y = AsciiLowerChar(name[i]);
                if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
            }
            return node->name.size() < name.size();
        });
    if (at != children.end() && EqualsIgnoreCase((*at)->name, component)) return *at;
    return nullptr;
}

namespace {
std::uint64_t MixBits(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDull;
    x ^= x >> 33;
    x *= 0xC4CEB9FE1A85EC53ull;
    return x ^ (x >> 33);
}

// Slots keep 32 bits of the hash, which also choose the slot: growing the index moves slots
// without looking at a node again.
std::uint32_t TagOf(std::size_t hash) {
    const auto wide = static_cast<std::uint64_t>(hash);
    return static_cast<std::uint32_t>(wide ^ (wide >> 32));
}
}  // namespace

std::size_t GroupTree::ChildIndex::Hash(const GroupNode& parent, std::string_view name) {
    // Eight bytes at a time: component names are short, so this is one or two rounds. The
    // parent's address seeds it, so which names collide differs from run to run.
    std::uint64_t hash =
        MixBits(reinterpret_cast<std::uintptr_t>(&parent) ^ (std::uint64_t{name.size()} << 48));
    const char* at = name.data();
    std::size_t left = name.size();
    std::uint64_t word = 0;
    if (left >= 8) {
        for (; left > 8; at += 8, left -= 8) {
            std::memcpy(&word, at, 8);
            hash = MixBits(hash ^ word);
        }
        std::memcpy(&word, name.data() + name.size() - 8, 8);  // the last eight, overlapping
    } else if (left >= 4) {
        std::uint32_t first;
        std::uint32_t last;
        std::memcpy(&first, at, 4);
        std::memcpy(&last, at + left - 4, 4);
        word = first | (std::uint64_t{last} << 32);
    } else if (left > 0) {
        word = static_cast<unsigned char>(at[0]) |
               (static_cast<std::uint64_t>(static_cast<unsigned char>(at[left / 2])) << 8) |
               (static_cast<std::uint64_t>(static_cast<unsigned char>(at[left - 1])) << 16);
    }
    return static_cast<std::size_t>(MixBits(hash ^ word));
}

GroupNode* GroupTree::ChildIndex::Find(const GroupTree& tree, const GroupNode& parent,
                                       std::string_view name, std::size_t hash) const {
    if (slots_ == nullptr) return nullptr;
    const std::int64_t number =
        slots_->NumberAt(slots_->Probe(TagOf(hash), [&](std::uint32_t candidate) {
            const GroupNode& node = tree.nodes_[candidate];
            return node.parent == &parent && node.name == name;
        }));
    return number >= 0 ? &tree.nodes_[static_cast<std::size_t>(number)] : nullptr;
}

void GroupTree::ChildIndex::Put(std::uint32_t tag, std::size_t number) {
    const std::size_t free = slots_->Probe(tag, [](std::uint32_t) { return false; });
    slots_->Put(free, tag, static_cast<std::uint32_t>(number));
}

void GroupTree::ChildIndex::Reserve(std::size_t nodes) {
    // Made on the first lookup: reading the cache file never looks a child up.
    if (slots_ == nullptr) slots_ = std::make_unique<platform::HashSlots>();
    constexpr std::size_t kFewestNodes = 512;
    slots_->Reserve(std::max(nodes, kFewestNodes));
}

void GroupTree::ChildIndex::CatchUp(const GroupTree& tree) {
    if (indexed_ == tree.nodes_.size()) return;
    Reserve(tree.nodes_.size());
    for (; indexed_ < tree.nodes_.size(); ++indexed_) {
        const GroupNode& node = tree.nodes_[indexed_];
        Put(TagOf(Hash(*node.parent, node.name)), indexed_);
    }
}

void GroupTree::ChildIndex::AddNewest(const GroupTree& tree, std::size_t hash) {
    Reserve(tree.nodes_.size());
    Put(TagOf(hash), tree.nodes_.size() - 1);
    indexed_ = tree.nodes_.size();
}

void GroupTree::ChildIndex::Clear() {
    slots_.reset();
    indexed_ = 0;
}

GroupTree::GroupTree() = default;

GroupTree::~GroupTree() = default;

void GroupTree::Clear() {
    root_.children.clear();
    root_.flags = 0;
    index_.Clear();
    nodes_.Clear();
}

GroupNode* GroupTree::AddNode(GroupNode& parent, std::string_view component, std::uint8_t flags) {
    // Index slots number nodes in 32 bits; no real server comes near.
    if (nodes_.size() >= std::numeric_limits<std::uint32_t>::max()) return nullptr;
    GroupNode* node = &nodes_.EmplaceBack();
    node->name.assign(component);
    node->flags = flags & kStoredFlags;
    node->parent = &parent;
    parent.children.push_back(node);
    return node;
}

GroupNode* GroupTree::Child(GroupNode& parent, std::string_view component) {
    // Sorted lists give a parent its children one after another: the last one needs no lookup.
    if (!parent.children.empty() && parent.children.back()->name == component)
        return parent.children.back();
    index_.CatchUp(*this);
    const std::size_t hash = ChildIndex::Hash(parent, component);
    if (GroupNode* found = index_.Find(*this, parent, component, hash)) return found;
    GroupNode* added = AddNode(parent, component, 0);
    if (added != nullptr) index_.AddNewest(*this, hash);
    return added;
}

bool GroupTree::AddGroup(std::string_view name) {
    GroupNode* node = &root_;
    while (!name.empty()) {
        const std::size_t dot = name.find('.');
        const std::string_view component = name.substr(0, dot);
        name = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
        if (component.empty()) continue;
        node = Child(*node, component);
        if (node == nullptr) return false;
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
    // Sorted on the first eight bytes of each name folded to lower case (big-endian, so the
    // numbers compare as the bytes do; zero past the end, so a shorter name comes first), with
    // the full comparison only where those are equal: one pointer chase per child instead of
    // two per comparison.
    struct Keyed {
        std::uint64_t key;
        GroupNode* node;
    };
    const auto keyOf = [](std::string_view name) {
        unsigned char bytes[8] = {};
        std::memcpy(bytes, name.data(), std::min<std::size_t>(name.size(), 8));
        std::uint64_t key = 0;
        for (const unsigned char byte : bytes)
            key = (key << 8) | static_cast<unsigned char>(AsciiLowerChar(static_cast<char>(byte)));
        return key;
    };
    const auto less = [](const Keyed& a, const Keyed& b) {
        if (a.key != b.key) return a.key < b.key;
        return GroupNameLess(a.node->name, b.node->name);
    };
    std::vector<Keyed> keyed;
    std::vector<GroupNode*> pending{&root_};
    while (!pending.empty()) {
        GroupNode* node = pending.back();
        pending.pop_back();
        keyed.clear();
        for (GroupNode* child : node->children) keyed.push_back({keyOf(child->name), child});
        // Servers and the cache file mostly list in order already.
        if (!std::is_sorted(keyed.begin(), keyed.end(), less)) {
            std::stable_sort(keyed.begin(), keyed.end(), less);
            for (std::size_t i = 0; i < keyed.size(); ++i) node->children[i] = keyed[i].node;
        }
        for (GroupNode* child : node->children)
            if (!child->children.empty()) pending.push_back(child);
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

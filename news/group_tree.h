#pragma once
// A news server's groups as a tree of dot-separated name components ("comp" > "lang" > "c").
// Children are kept in case-insensitive name order (names equal but for case in byte order), the
// order every walk and the cache file use. Loading (from LIST or the cache file) appends children
// as they come and sorts once at the end, so a list of a million groups in any order loads in
// time proportional to its size. The tree owns every node (in blocks, not one allocation each);
// a node stays where it is until the tree is cleared or destroyed.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/block_array.h"
#include "platform/hash_slots.h"

namespace corvane::news {

// Bit 0 of a node's flags: a newsgroup of exactly this full name exists. Bits 1 to 5 belong to
// the newsgroup window (subscriptions, expansion); they are stored and reloaded unchanged.
inline constexpr std::uint8_t kIsGroup = 0x01;
inline constexpr std::uint8_t kStoredFlags = 0x3F;

struct GroupNode {
    std::string name;
    std::uint8_t flags = 0;
    GroupNode* parent = nullptr;
    std::vector<GroupNode*> children;  // owned by the tree

    bool IsGroup() const { return (flags & kIsGroup) != 0; }
    // The first child whose name equals `component` without regard to case; null when none.
    GroupNode* FindChild(std::string_view component) const;
};

// Case-insensitive order with byte order between names equal but for case.
bool GroupNameLess(std::string_view a, std::string_view b);

class GroupTree {
  public:
    GroupTree();
    ~GroupTree();
    // Nodes point at their parents, the root included: a moved tree would point into the old.
    GroupTree(const GroupTree&) = delete;
    GroupTree& operator=(const GroupTree&) = delete;

    const GroupNode& Root() const { return root_; }
    GroupNode& Root() { return root_; }
    void Clear();

    // Adds the group `name` (split at each "."), marking its last node a group; empty components
    // are skipped. Answers false when the name has no component.
    bool AddGroup(std::string_view name);
    // Adds the group a LIST line names: the text before its first space. Lines without a space
    // name none (false).
    bool AddListLine(std::string_view line);
    // Adds a node under `parent` (from the cache file) and answers it; null once the tree holds
    // 2^32 - 1 nodes.
    GroupNode* AddNode(GroupNode& parent, std::string_view component, std::uint8_t flags);
    // Sorts what loading appended; call once a load is complete.
    void FinishLoading();

    // The node reached by the dotted name's components (compared without regard to case); null
    // when there is none. The empty name is the root.
    const GroupNode* Find(std::string_view dottedName) const;

  private:
    // Exact-name lookup of a parent's child while loading: HashSlots of (hash tag, node number),
    // so a LIST of a million groups costs no allocation per lookup and about one cache miss per
    // probe. Nodes are indexed in the order they were made, lazily:
    // reading the cache file, which never looks a child up, indexes nothing. Emptied by
    // FinishLoading.
    class ChildIndex {
      public:
        GroupNode* Find(const GroupTree& tree, const GroupNode& parent, std::string_view name,
                        std::size_t hash) const;
        // Indexes the nodes made since the last call.
        void CatchUp(const GroupTree& tree);
        // Indexes the node just made, after a CatchUp, whose hash the caller knows.
        void AddNewest(const GroupTree& tree, std::size_t hash);
        void Reserve(std::size_t nodes);
        void Clear();
        static std::size_t Hash(const GroupNode& parent, std::string_view name);

      private:
        void Put(std::uint32_t tag, std::size_t number);
        std::unique_ptr<platform::HashSlots> slots_;
        std::size_t indexed_ = 0;
    };

    GroupNode* Child(GroupNode& parent, std::string_view component);

    GroupNode root_;
    // Nodes are numbered in the order they are made.
    platform::BlockArray<GroupNode> nodes_;
    ChildIndex index_;
};

}  // namespace corvane::news

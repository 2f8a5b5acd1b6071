#pragma once
// Subscriptions in a server's group tree, kept in the node flags the cache file stores: a
// newsgroup's own subscription, and on hierarchy nodes whether every or some newsgroup below is
// subscribed. The root carries the some-subscribed bit of the whole server. Also the walks the
// newsgroup window needs: full dotted names, the subscribed view and the name search.

#include <cstdint>
#include <string>
#include <string_view>

#include "news/group_tree.h"

namespace corvane::news {

inline constexpr std::uint8_t kSubscribed = 0x02;
inline constexpr std::uint8_t kAllBelowSubscribed = 0x04;
inline constexpr std::uint8_t kSomeBelowSubscribed = 0x08;
inline constexpr std::uint8_t kExpanded = 0x10;
inline constexpr std::uint8_t kMarkedToSelect = 0x20;

// Subscribes (or unsubscribes) the newsgroup `node`, or every newsgroup at and below a hierarchy
// node, then brings the hierarchy flags of the subtree and of every node above it up to date.
void SetSubscribed(GroupNode& node, bool subscribed);

// Some newsgroup of the tree is subscribed (also for a tree read from the cache file).
bool HasSubscriptions(const GroupTree& tree);

// Shown in the subscribed view: a subscribed newsgroup, or a hierarchy with one below it.
bool ShownWhenSubscribedOnly(const GroupNode& node);

// The dotted name from the tree's top down to `node` ("comp.lang.c").
std::string FullName(const GroupNode& node);

// The next node after `from` in the tree's depth-first order (from the top when `from` is null)
// whose full name contains `text` without regard to case; null when there is none.
const GroupNode* FindGroupNode(const GroupTree& tree, const GroupNode* from, std::string_view text);

}  // namespace corvane::news

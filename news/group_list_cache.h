#pragma once
// The group list cache file of one news server: one line per tree node, depth first, parents
// before children, "DEPTH-FFNAME" with the flags as two upper-case hexadecimal digits, then the
// trailer "0-00" + server name + "1.00" that marks the file complete and names its server.

#include <string>
#include <string_view>

#include "news/group_tree.h"

namespace corvane::news {

// The file's text for the tree.
std::string FormatGroupListCache(const GroupTree& tree, std::string_view server);

// Reads the file into the (emptied) tree. Answers the number of lines read, trailer included,
// or -1 when the file cannot be read. Lines that do not have the node form are skipped, and so are
// nodes without a parent line and nodes nested past any real hierarchy.
long long ReadGroupListCache(const std::string& path, GroupTree& tree);

// The file ends with the trailer for `server` (compared without regard to case) and a line break.
bool IsCompleteGroupListCache(const std::string& path, std::string_view server);

// Makes a new, empty cache file in `directory`: a unique "CVT" temporary name whose extension is
// then changed to ".NG". Answers its path, empty when none could be made.
std::string NewGroupListCachePath(const std::string& directory);

}  // namespace corvane::news

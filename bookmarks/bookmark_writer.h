#pragma once
// The one layout bookmark files are written in: a fixed header, the entries one per line
// indented by depth (links as DT lines, folders as an H3 heading with their children in a DL,
// separators as HR), a fixed footer, CR LF line ends. The tree's menu, new-item and selection
// fields are written as marker words on the tags.
//
// Names, addresses and descriptions are escaped ("&", "<", ">", and '"' in attribute values), so
// no text can end an element early; the reader turns the references back into characters.
// Indentation stops growing past kMaxIndent tabs, so a very deep tree does not write a file
// quadratic in its depth (the reader ignores the indentation).

#include <string>
#include <string_view>

#include "bookmarks/bookmark_item.h"

namespace corvane::bookmarks {

class CBookmarkList;

inline constexpr std::string_view kBookmarkFileTitle = "Ferrolyn Bookmark File";
inline constexpr int kMaxIndent = 100;

// The file's text for the whole tree; the selected entry is marked CURRENT.
std::string BookmarkFileText(const CBookmarkList& list);

// Text for element content, and for a double-quoted attribute value.
std::string EscapeBookmarkText(std::string_view text);
std::string EscapeBookmarkAttribute(std::string_view text);

}  // namespace corvane::bookmarks

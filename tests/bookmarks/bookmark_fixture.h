#pragma once
// A bookmark tree over a scratch profile directory, with a fixed clock and scripted answers, and
// an outline of a tree that tests compare as text.

#include <string>

#include "bookmarks/bookmark_list.h"
#include "platform/scripted_host_services.h"
#include "tests/support/scratch_directory.h"

namespace corvane::bookmarks {

inline constexpr BookmarkTime kNow = 1000;

struct BookmarkFixture {
    testing::ScratchDirectory dir;
    platform::ScriptedHostServices host;
    CBookmarkList list{host, dir.File("bookmark.htm"), dir.File("fallback.htm")};

    BookmarkFixture() {
        list.now = [] { return kNow; };
    }

    // Writes `text` as a file and reads it into the tree.
    bool Read(const std::string& text, LoadMode mode = LoadMode::kReplace) {
        dir.Write("page.htm", text);
        return list.Load(dir.File("page.htm"), mode, MissingFile::kFail);
    }
    std::string Messages() const {
        std::string all;
        for (const auto& message : host.messages) all += message.text + "\n";
        return all;
    }
};

// One line per entry, two spaces per level: "L name <url> {description} a=added v=visited",
// "F" (open) or "f" (closed) for folders, "S" for separators; times only when set.
inline std::string Outline(const CBookmarkItemList& list) {
    std::string out;
    ForEachInTree(list, [&out](const CBookmarkItem& item) {
        out.append(2 * static_cast<std::size_t>(item.depth), ' ');
        out += item.isSeparator ? "S" : item.isFolder ? (item.isExpanded ? "F" : "f") : "L";
        out += " " + item.name;
        if (!item.url.empty()) out += " <" + item.url + ">";
        if (!item.description.empty()) out += " {" + item.description + "}";
        if (item.added) out += " a=" + std::to_string(item.added);
        if (item.visited) out += " v=" + std::to_string(item.visited);
        out += "\n";
    });
    return out;
}

}  // namespace corvane::bookmarks

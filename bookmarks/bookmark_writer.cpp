#include "bookmarks/bookmark_writer.h"

#include <algorithm>
#include <vector>

#include "bookmarks/bookmark_list.h"
#include "bookmarks/bookmark_reader.h"
#include "core/html_escape.h"

namespace corvane::bookmarks {
namespace {

constexpr std::string_view kNotice = "Written by Corvane, free software: the list is yours to keep";

// Text lines end in CR LF like the rest of the file; an attribute keeps its line breaks as they
// are.
std::string Escape(std::string_view text, bool attribute) {
    std::string escaped = core::EscapeHtmlText(text, core::LineBreaks::kKeep);
    if (attribute) return escaped;
    std::string out;
    out.reserve(escaped.size());
    for (const char c : escaped) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

class Writer {
  public:
    explicit Writer(const CBookmarkList& list) : list_(list), marked_(list.currentItem) {}

    std::string Write() {
        Header();
        Entries();
        Footer();
        return std::move(out_);
    }

  private:
    void Line(std::string_view text) {
        out_ += text;
        out_ += "\r\n";
    }

    void Indent(int depth) { out_.append(std::min(depth + 1, kMaxIndent), '\t'); }

    void Attribute(std::string_view name, std::string_view value) {
        out_ += ' ';
        out_ += name;
        out_ += "=\"";
        out_ += EscapeBookmarkAttribute(value);
        out_ += '"';
    }

    void Time(std::string_view name, BookmarkTime value) {
        if (value != 0) Attribute(name, std::to_string(value));
    }

    // CURRENT is written once, on the selected entry.
    void Current(const CBookmarkItem& item) {
        if (&item != marked_) return;
        out_ += " CURRENT";
        marked_ = nullptr;
    }

    void Header() {
        Line("<HTML><head>");
        Line("<!-- Corvane generated bookmark file. Do not edit. -->");
        out_ += "<title";
        if (list_.mainList == &list_.Root()) out_ += " MAIN";
        if (list_.newItemList == &list_.Root() && !list_.newItemAnchor) out_ += " INSIDE";
        out_ += ">";
        out_ += kBookmarkFileTitle;
        Line("</title>");
        Line("</head><body>");
        Line("<body bgcolor=#CCCCCC text=000000 link=#000088 alink=#008888 vlink=#880000>");
        out_ += "<center><h1>";
        out_ += kBookmarkFileTitle;
        Line("</h1></center><p>");
        Line("");
    }

    void Footer() {
        Line("");
        Line("<p><center><address>");
        out_ += "Questions or comments <a href=\"";
        out_ += kContactAddress;
        out_ += "\">";
        out_ += kContactAddress;
        Line("</a><br>");
        out_ += "<font size=-1>";
        out_ += kNotice;
        Line("<br></font>");
        Line("</address></center>");
        Line("</body></HTML>");
    }

    void Anchor(const CBookmarkItem& item) {
        out_ += "<a";
        Attribute("HREF", item.url);
        Time("VISITED", item.visited);
        Time("ADDED", item.added);
        out_ += ">";
        out_ += EscapeBookmarkText(item.name);
        out_ += "</a>";
    }

    void Description(const CBookmarkItem& item, int depth) {
        if (item.description.empty()) return;
        Indent(depth);
        out_ += "<dd>";
        Line(EscapeBookmarkText(item.description));
    }

    void Link(const CBookmarkItem& item, int depth) {
        Indent(depth);
        out_ += "<dt";
        if (&item == list_.newItemAnchor) out_ += " UNDER";
        Current(item);
        out_ += ">";
        if (!item.url.empty()) Anchor(item);
        Line("");
        Description(item, depth);
    }

    void Separator(const CBookmarkItem& item, int depth) {
        Indent(depth);
        out_ += "<hr";
        if (&item == list_.newItemAnchor) out_ += " UNDER";
        Current(item);
        if (!item.description.empty()) {
            out_ += ' ';
            out_ += EscapeBookmarkAttribute(item.description);
        }
        if (!item.name.empty()) Attribute("TITLE", item.name);
        Time("ADDED", item.added);
        Line(">");
    }

    void FolderStart(const CBookmarkItem& item, int depth) {
        Indent(depth);
        out_ += "<dt><h3";
        if (!item.isExpanded) out_ += " FOLDED";
        if (item.url.empty()) {
            Time("ADDED", item.added);
            out_ += ">";
            out_ += EscapeBookmarkText(item.name);
        } else {
            out_ += ">";
            Anchor(item);
        }
        Line("</h3>");
        Description(item, depth);
        Indent(depth);
        out_ += "<dl";
        if (&item == list_.mainFolder) out_ += " MAIN";
        if (&item == list_.newItemAnchor) out_ += list_.newItemInside ? " INSIDE" : " UNDER";
        Current(item);
        Line(">");
    }

    void FolderEnd(int depth) {
        Indent(depth);
        Line("</dl>");
    }

    // Walks the tree without recursion: a folder's closing line follows its last child.
    void Entries() {
        struct Level {
            CBookmarkItemList::const_iterator next, end;
        };
        std::vector<Level> stack{{list_.Root().begin(), list_.Root().end()}};
        while (!stack.empty()) {
            const int depth = static_cast<int>(stack.size()) - 1;
            Level& level = stack.back();
            if (level.next == level.end) {
                stack.pop_back();
                if (depth > 0) FolderEnd(depth - 1);
                continue;
            }
            const CBookmarkItem& item = **level.next++;
            if (item.isFolder) {
                FolderStart(item, depth);
                const CBookmarkItemList* children = item.ChildList();
                if (children) {
                    stack.push_back({children->begin(), children->end()});
                } else {
                    FolderEnd(depth);
                }
            } else if (item.isSeparator) {
                Separator(item, depth);
            } else {
                Link(item, depth);
            }
        }
    }

    const CBookmarkList& list_;
    const CBookmarkItem* marked_;
    std::string out_;
};

}  // namespace

std::string EscapeBookmarkText(std::string_view text) {
    return Escape(text, false);
}

std::string EscapeBookmarkAttribute(std::string_view text) {
    return Escape(text, true);
}

std::string BookmarkFileText(const CBookmarkList& list) {
    return Writer(list).Write();
}

}  // namespace corvane::bookmarks

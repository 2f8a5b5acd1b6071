#include "protocols/directory_listing.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/html_escape.h"
#include "platform/utf8.h"
#include "protocols/local_path.h"

namespace corvane::protocols {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::size_t kNameColumns = 30;
constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thr", "Fri", "Sat"};
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

unsigned char FoldCase(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'A' && byte <= 'Z') ? static_cast<unsigned char>(byte + ('a' - 'A')) : byte;
}

bool NameLess(const DirectoryEntry& a, const DirectoryEntry& b) {
    const bool folded =
        std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                     [](char x, char y) { return FoldCase(x) < FoldCase(y); });
    if (folded) return true;
    const bool foldedGreater =
        std::lexicographical_compare(b.name.begin(), b.name.end(), a.name.begin(), a.name.end(),
                                     [](char x, char y) { return FoldCase(x) < FoldCase(y); });
    return !foldedGreater && a.name < b.name;
}

std::string WithTrailingSlash(std::string path) {
    if (path.empty() || path.back() != '/') path.push_back('/');
    return path;
}

void AppendHeader(std::string& unit, std::string_view shownPath) {
    const std::string text = core::EscapeHtmlText(DisplayUtf8(shownPath));
    unit += "<TITLE>Directory Listing of ";
    unit += text;
    unit += "</TITLE>";
    unit += kCrLf;
    unit += "<H1>Directory Listing of ";
    unit += text;
    unit += "</H1>";
    unit += kCrLf;
    unit += "<PRE>";
    unit += kCrLf;
    unit += kCrLf;
}

// The parent of a top-level directory is the root; the parent of the root is the roots list.
std::string ParentUrl(std::string_view directory) {
    if (directory == "/") return "file:///";
    const auto slash = directory.rfind('/', directory.size() - 2);
    return DirectoryUrl(directory.substr(0, slash + 1));
}

}  // namespace

std::optional<std::vector<DirectoryEntry>> ReadDirectoryEntries(const std::string& directory) {
    const std::unique_ptr<DIR, int (*)(DIR*)> handle(opendir(directory.c_str()), closedir);
    if (!handle) return std::nullopt;
    const std::string prefix = WithTrailingSlash(directory);
    std::vector<DirectoryEntry> entries;
    while (const dirent* item = readdir(handle.get())) {
        const std::string_view name = item->d_name;
        if (name == "." || name == "..") continue;
        DirectoryEntry entry;
        entry.name = name;
        // A link is listed as what it points to; a dangling one as the link itself.
        struct stat status {};
        const std::string full = prefix + entry.name;
        if (stat(full.c_str(), &status) != 0 && lstat(full.c_str(), &status) != 0) continue;
        entry.modified = status.st_mtime;
        entry.size = status.st_size;
        entry.isDirectory = S_ISDIR(status.st_mode);
        if (entry.isDirectory) entry.name.push_back('/');
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), NameLess);
    return entries;
}

std::string DirectoryUrl(std::string_view directory) {
    if (directory == "/") return "file:////";
    return "file://" + EscapePathForUrl(directory);
}

std::string FormatEntryLine(std::string_view directory, const DirectoryEntry& entry) {
    std::string line = "  <A HREF=\"file://";
    line += EscapePathForUrl(std::string(directory) + entry.name);
    line += "\">";
    // File names carry no character set: shown as UTF-8 when they are, else as Windows-1252;
    // the link above keeps the very bytes.
    const std::string shown = DisplayUtf8(entry.name);
    line += core::EscapeHtmlText(shown);
    line += "</A>";
    const std::size_t columns = DisplayColumns(shown);
    if (columns < kNameColumns) line.append(kNameColumns - columns, ' ');

    char field[64];
    if (entry.isDirectory) {
        line.append(16, ' ');
    } else {
        std::snprintf(field, sizeof field, "%10ld bytes", static_cast<long>(entry.size));
        line += field;
    }
    std::tm local{};
    const std::time_t modified = entry.modified;
    if (localtime_r(&modified, &local) == nullptr) local = std::tm{};
    std::snprintf(field, sizeof field, " %s, %02d %s %4d %02d:%02d:%02d ",
                  kDayNames[local.tm_wday % 7], local.tm_mday, kMonthNames[local.tm_mon % 12],
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec);
    line += field;
    line += kCrLf;
    return line;
}

DirectoryListing::DirectoryListing(std::string directory)
    : directory_(WithTrailingSlash(std::move(directory))) {}

bool DirectoryListing::NextUnit(std::string& unit) {
    if (!headerWritten_) {
        headerWritten_ = true;
        if (auto entries = ReadDirectoryEntries(directory_)) entries_ = std::move(*entries);
        AppendHeader(unit, directory_);
        unit += "<A HREF=\"";
        unit += ParentUrl(directory_);
        unit += "\">Up to higher level directory</A>";
        unit += kCrLf;
        return true;
    }
    if (nextEntry_ == entries_.size()) {
        entries_.clear();
        return false;
    }
    unit = FormatEntryLine(directory_, entries_[nextEntry_++]);
    return true;
}

RootList::RootList(std::string home) {
    roots_.emplace_back("/");
    home = WithTrailingSlash(std::move(home));
    if (home != "/") roots_.push_back(std::move(home));
}

bool RootList::NextUnit(std::string& unit) {
    if (!headerWritten_) {
        headerWritten_ = true;
        AppendHeader(unit, "/");
        return true;
    }
    if (nextRoot_ == roots_.size()) return false;
    const std::string& root = roots_[nextRoot_++];
    unit = "  <A HREF=\"";
    unit += DirectoryUrl(root);
    unit += "\">";
    unit += core::EscapeHtmlText(DisplayUtf8(root));
    unit += "</A>";
    unit += kCrLf;
    return true;
}

std::string UserHomeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

}  // namespace corvane::protocols

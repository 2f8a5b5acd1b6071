#include "protocols/ftp_listing.h"

#include <cstdio>

#include "core/html_escape.h"
#include "platform/ascii.h"
#include "protocols/local_path.h"

namespace corvane::protocols {
namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::size_t kNameColumns = 30;

// Splits off the next blank-separated field; `rest` keeps what follows it, blanks skipped.
std::string_view NextField(std::string_view& rest) {
    std::size_t start = 0;
    while (start < rest.size() && IsAsciiBlank(rest[start])) ++start;
    std::size_t end = start;
    while (end < rest.size() && !IsAsciiBlank(rest[end])) ++end;
    const std::string_view field = rest.substr(start, end - start);
    std::size_t next = end;
    while (next < rest.size() && IsAsciiBlank(rest[next])) ++next;
    rest = rest.substr(next);
    return field;
}

std::optional<std::int64_t> ParseSize(std::string_view text) {
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (!IsAsciiDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<FtpEntry> ParseUnix(std::string_view line) {
    FtpEntry entry;
    switch (line.front()) {
        case 'd':
            entry.kind = FtpEntry::Kind::kDirectory;
            break;
        case '-':
            entry.kind = FtpEntry::Kind::kFile;
            break;
        case 'l':
            entry.kind = FtpEntry::Kind::kLink;
            break;
        default:
            entry.kind = FtpEntry::Kind::kOther;
    }
    std::string_view rest = line;
    for (int skipped = 0; skipped < 4; ++skipped) NextField(rest);
    const std::optional<std::int64_t> size = ParseSize(NextField(rest));
    if (!size) return std::nullopt;
    entry.size = *size;
    const std::string_view dateStart = rest;
    for (int skipped = 0; skipped < 3; ++skipped) NextField(rest);
    if (rest.empty()) return std::nullopt;
    std::string_view date = dateStart.substr(0, dateStart.size() - rest.size());
    while (!date.empty() && IsAsciiBlank(date.back())) date.remove_suffix(1);
    entry.date = date;
    std::string_view name = rest;
    if (entry.kind == FtpEntry::Kind::kLink) {
        if (const std::size_t arrow = name.find(" -> "); arrow != std::string_view::npos)
            name = name.substr(0, arrow);
    }
    entry.name = name;
    return entry;
}

std::optional<FtpEntry> ParseWindowsNt(std::string_view line) {
    FtpEntry entry;
    std::string_view rest = line;
    const std::string_view day = NextField(rest);
    const std::string_view time = NextField(rest);
    const std::string_view third = NextField(rest);
    if (day.empty() || time.empty() || third.empty() || rest.empty()) return std::nullopt;
    entry.date = std::string(day) + " " + std::string(time);
    if (third.size() > 1 && third.front() == '<') {
        entry.kind = third[1] == 'D' ? FtpEntry::Kind::kDirectory : FtpEntry::Kind::kLink;
    } else {
        const std::optional<std::int64_t> size = ParseSize(third);
        if (!size) return std::nullopt;
        entry.kind = FtpEntry::Kind::kFile;
        entry.size = *size;
    }
    entry.name = rest;
    return entry;
}

}  // namespace

FtpSystem FtpSystemFromReply(std::string_view text) {
    std::string_view rest = text;
    const std::string_view word = NextField(rest);
    if (EqualsIgnoreCase(word, "UNIX")) return FtpSystem::kUnix;
    if (EqualsIgnoreCase(word, "Windows_NT")) return FtpSystem::kWindowsNt;
    return FtpSystem::kOther;
}

std::optional<FtpEntry> ParseFtpListLine(std::string_view line, FtpSystem system) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    if (line.empty()) return std::nullopt;
    std::optional<FtpEntry> entry =
        system == FtpSystem::kWindowsNt ? ParseWindowsNt(line) : ParseUnix(line);
    if (entry && (entry->name.empty() || entry->name == "." || entry->name == ".."))
        return std::nullopt;
    return entry;
}

std::string FtpListingHeader(std::string_view shownLocation, std::string_view path,
                             const std::vector<std::string>& messages) {
    const std::string shownPath = core::EscapeHtmlText(path);
    std::string html = "<TITLE>Directory //" + core::EscapeHtmlText(shownLocation) + "/" +
                       shownPath + "</TITLE>\r\n<H1>Directory /" + shownPath +
                       "</H1>\r\n<PRE>\r\n\r\n";
    if (!messages.empty()) {
        html += "<HR>\r\n";
        for (const std::string& message : messages) {
            html += core::EscapeHtmlText(message);
            html += kCrLf;
        }
        html += "<HR>\r\n";
    }
    return html;
}

std::string FtpParentLine(std::string_view serverText, std::string_view directory) {
    if (directory.size() < 2) return {};
    const std::size_t slash = directory.rfind('/', directory.size() - 2);
    if (slash == std::string_view::npos) return {};
    const std::string_view parent = directory.substr(0, slash == 0 ? 1 : slash);
    return "<A HREF=\"ftp://" + core::EscapeHtmlText(serverText) + EscapePathForUrl(parent) +
           "\">Parent directory</A>\r\n";
}

std::string FtpEntryLine(std::string_view serverText, std::string_view directory,
                         const FtpEntry& entry) {
    std::string html = "<A HREF=\"ftp://" + core::EscapeHtmlText(serverText);
    if (!entry.name.starts_with('/')) html += EscapePathForUrl(directory);
    html += EscapePathForUrl(entry.name);
    html += "\">";
    html += core::EscapeHtmlText(entry.name);
    std::size_t columns = entry.name.size();
    if (entry.kind == FtpEntry::Kind::kDirectory) {
        html += "/";
        ++columns;
    }
    html += "</A>";
    if (columns < kNameColumns) html.append(kNameColumns - columns, ' ');
    if (entry.kind == FtpEntry::Kind::kFile) {
        char size[40];
        std::snprintf(size, sizeof size, "%10lld bytes ", static_cast<long long>(entry.size));
        html += size;
    } else {
        html.append(17, ' ');
    }
    html += core::EscapeHtmlText(entry.date);
    if (entry.kind == FtpEntry::Kind::kDirectory) html += " Directory";
    if (entry.kind == FtpEntry::Kind::kLink) html += " Symbolic Link";
    html += kCrLf;
    return html;
}

}  // namespace corvane::protocols

#include "news/group_list_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/ascii.h"
#include "platform/file_services.h"
#include "store/store_lines.h"

namespace corvane::news {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr std::string_view kTrailerVersion = "1.00";
// Far deeper than any hierarchy; bounds the depth a hostile file can build.
constexpr long long kMaxDepth = 512;
// Far longer than any group name component.
constexpr std::size_t kMaxCacheLine = 64 * 1024;

void AppendNodes(const GroupNode& node, int depth, std::string& out) {
    // Iterative, so a deep tree cannot exhaust the stack.
    struct Frame {
        const GroupNode* node;
        std::size_t next;
        int depth;
    };
    std::vector<Frame> stack{{&node, 0, depth}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.node->children.size()) {
            stack.pop_back();
            continue;
        }
        const GroupNode& child = *frame.node->children[frame.next++];
        const int childDepth = frame.depth + 1;
        out += std::to_string(childDepth);
        out += '-';
        out += kHexDigits[(child.flags >> 4) & 0x0F];
        out += kHexDigits[child.flags & 0x0F];
        out += child.name;
        out += '\n';
        stack.push_back({&child, 0, childDepth});
    }
}

int HexValue(char c) {
    if (IsAsciiDigit(c)) return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string FormatGroupListCache(const GroupTree& tree, std::string_view server) {
    std::string out;
    AppendNodes(tree.Root(), 0, out);
    out += "0-00";
    out += server;
    out += kTrailerVersion;
    out += '\n';
    return out;
}

long long ReadGroupListCache(const std::string& path, GroupTree& tree) {
    tree.Clear();
    // The last node read at each depth: a node line goes under the one a level up.
    std::vector<GroupNode*> lastAtDepth{&tree.Root()};
    long long lines = 0;
    const bool read = store::ForEachStoreLine(
        path,
        [&](std::string_view line) {
            ++lines;
            std::size_t at = 0;
            long long depth = 0;
            while (at < line.size() && IsAsciiDigit(line[at]) && depth <= kMaxDepth)
                depth = depth * 10 + (line[at++] - '0');
            if (at == 0 || depth == 0 || depth > kMaxDepth || line.size() < at + 3) return;
            const int high = HexValue(line[at + 1]);
            const int low = HexValue(line[at + 2]);
            std::string_view name = line.substr(at + 3);
            while (!name.empty() && (name.back() == '\r' || name.back() == '\n'))
                name.remove_suffix(1);
            if (high < 0 || low < 0 || name.empty()) return;
            if (static_cast<std::size_t>(depth) > lastAtDepth.size()) return;  // no parent line
            GroupNode* parent = lastAtDepth[static_cast<std::size_t>(depth) - 1];
            GroupNode* node =
                tree.AddNode(*parent, name, static_cast<std::uint8_t>(high * 16 + low));
            if (node == nullptr) return;
            lastAtDepth.resize(static_cast<std::size_t>(depth));
            lastAtDepth.push_back(node);
        },
        kMaxCacheLine);
    tree.FinishLoading();
    return read ? lines : -1;
}

bool IsCompleteGroupListCache(const std::string& path, std::string_view server) {
    const std::string trailer = "0-00" + std::string(server) + std::string(kTrailerVersion);
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status {};
    bool complete = false;
    const off_t want = static_cast<off_t>(trailer.size() + 2);
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
        status.st_size >= static_cast<off_t>(trailer.size() + 1)) {
        const off_t from = status.st_size > want ? status.st_size - want : 0;
        std::string tail(static_cast<std::size_t>(status.st_size - from), '\0');
        if (pread(fd, tail.data(), tail.size(), from) == static_cast<ssize_t>(tail.size())) {
            std::string_view text = tail;
            if (text.ends_with('\n')) {
                text.remove_suffix(1);
                if (text.ends_with('\r')) text.remove_suffix(1);
                complete = text.size() >= trailer.size() &&
                           EqualsIgnoreCase(text.substr(text.size() - trailer.size()), trailer);
            }
        }
    }
    close(fd);
    return complete;
}

std::string NewGroupListCachePath(const std::string& directory) {
    const std::optional<std::string> temporary = platform::CreateTempFile(directory, "CVT");
    if (!temporary) return {};
    std::string path = *temporary;
    path.replace(path.size() - 4, 4, ".NG");
    if (!platform::MoveFile(*temporary, path)) {
        platform::DeleteFile(*temporary);
        return {};
    }
    return path;
}

}  // namespace corvane::news

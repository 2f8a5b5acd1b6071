#include "news/article_threads.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace corvane::news {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Parent of each entry by its reference, the first entry listed under an id winning.
std::vector<std::size_t> FindParents(const std::vector<ArticleEntry>& entries) {
    std::unordered_map<std::string_view, std::size_t> byId;
    byId.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) byId.emplace(entries[i].messageId, i);
    std::vector<std::size_t> parents(entries.size(), kNone);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].reference.empty()) continue;
        const auto found = byId.find(entries[i].reference);
        if (found != byId.end() && found->second != i) parents[i] = found->second;
    }
    return parents;
}

// References that go round in a circle would leave a thread without a top: the link that closes
// a circle is cut, making that article a top-level one.
void CutCircles(std::vector<std::size_t>& parents) {
    enum : char { kUnseen, kOnPath, kDone };
    std::vector<char> state(parents.size(), kUnseen);
    std::vector<std::size_t> path;
    for (std::size_t start = 0; start < parents.size(); ++start) {
        std::size_t at = start;
        while (at != kNone && state[at] == kUnseen) {
            state[at] = kOnPath;
            path.push_back(at);
            const std::size_t parent = parents[at];
            if (parent != kNone && state[parent] == kOnPath) {
                // The circle runs from parent to at; its earliest-listed article goes on top.
                std::size_t earliest = parent;
                for (std::size_t node = parent; node != at; node = parents[node])
                    earliest = std::min(earliest, parents[node]);
                parents[earliest] = kNone;
                break;
            }
            at = parent;
        }
        for (std::size_t node : path) state[node] = kDone;
        path.clear();
    }
}

}  // namespace

void ThreadArticles(std::vector<ArticleEntry>& entries) {
    const std::size_t count = entries.size();
    std::vector<std::size_t> parents = FindParents(entries);
    CutCircles(parents);
    // Children in the order they were listed, as index lists (first child, next sibling).
    std::vector<std::size_t> firstChild(count, kNone), lastChild(count, kNone),
        nextSibling(count, kNone);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t parent = parents[i];
        if (parent == kNone) continue;
        if (lastChild[parent] == kNone) {
            firstChild[parent] = i;
        } else {
            nextSibling[lastChild[parent]] = i;
        }
        lastChild[parent] = i;
    }
    // Each thread takes the place of its earliest-listed article.
    std::vector<std::size_t> topOf(count, kNone);
    std::vector<std::size_t> walked;
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t top = i;
        // Walk up only until a known top: every article is walked over once.
        walked.clear();
        while (topOf[top] == kNone && parents[top] != kNone) {
            walked.push_back(top);
            top = parents[top];
        }
        if (topOf[top] != kNone) top = topOf[top];
        topOf[top] = top;
        for (std::size_t node : walked) topOf[node] = top;
    }
    std::vector<std::size_t> tops;
    std::vector<char> placed(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        if (!placed[topOf[i]]) {
            placed[topOf[i]] = 1;
            tops.push_back(topOf[i]);
        }
    }
    std::vector<ArticleEntry> ordered;
    ordered.reserve(count);
    std::vector<std::pair<std::size_t, int>> stack;
    std::vector<std::size_t> children;
    for (std::size_t top : tops) {
        stack.push_back({top, 1});
        while (!stack.empty()) {
            const auto [node, depth] = stack.back();
            stack.pop_back();
            entries[node].depth = depth;
            ordered.push_back(std::move(entries[node]));
            // Pushed last to first so they come out in listed order.
            children.clear();
            for (std::size_t child = firstChild[node]; child != kNone; child = nextSibling[child])
                children.push_back(child);
            for (auto it = children.rbegin(); it != children.rend(); ++it)
                stack.push_back({*it, depth + 1});
        }
    }
    entries = std::move(ordered);
}

}  // namespace corvane::news

// Any XOVER answer (lines split at LF) parses without fault, threads into the same articles with
// sane depths, and writes an article list whose server text never becomes markup.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "news/article_list_page.h"
#include "news/article_threads.h"
#include "news/overview.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace corvane::news;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<ArticleEntry> entries;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (auto entry = ParseOverviewLine(text.substr(0, end))) {
            if (entry->messageId.empty() || entry->month < 0 || entry->month > 12) std::abort();
            entries.push_back(std::move(*entry));
        }
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    const std::size_t count = entries.size();
    ThreadArticles(entries);
    if (entries.size() != count) std::abort();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        // A reply is at most one level deeper than the article above it.
        const int above = i == 0 ? 0 : entries[i - 1].depth;
        if (entries[i].depth < 1 || entries[i].depth > above + 1) std::abort();
    }
    ArticleListPage page({"s", "g", "news:", 1, 100, 1, 100, 100}, std::move(entries));
    std::string html;
    char block[512];
    for (int n; (n = page.Fill(block, sizeof block)) > 0;) html.append(block, n);
    for (std::string_view tag : {"<script", "<form", "<meta", "<SCRIPT"})
        if (html.find(tag) != std::string::npos) std::abort();
    return 0;
}

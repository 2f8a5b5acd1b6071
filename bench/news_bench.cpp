// Threading an article list: time per article must stay flat as the list grows (linear in all),
// for flat lists, deep chains and many replies to one article.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "news/article_threads.h"

namespace {

using corvane::news::ArticleEntry;

std::vector<ArticleEntry> Articles(int count, int shape) {
    std::vector<ArticleEntry> entries(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        ArticleEntry& entry = entries[static_cast<std::size_t>(i)];
        entry.messageId = std::to_string(i) + "@bench";
        // shape 0: threads of ten; 1: one chain, newest first; 2: every article answers the first.
        const int parent = shape == 0 ? (i % 10 == 0 ? -1 : i - 1) : shape == 1 ? i + 1 : 0;
        if (parent >= 0 && parent < count && parent != i)
            entry.reference = std::to_string(parent) + "@bench";
    }
    return entries;
}

void BM_ThreadArticles(benchmark::State& state) {
    const std::vector<ArticleEntry> articles =
        Articles(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        std::vector<ArticleEntry> entries = articles;
        corvane::news::ThreadArticles(entries);
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ThreadArticles)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

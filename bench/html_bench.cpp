// Throughput of the HTML tokenizer alone and with the document builder, on a generated page of
// several megabytes (paragraphs, nested lists, tables, entities, many links, many of them to the
// same address) and on a plain-text page of the same size.
#include <benchmark/benchmark.h>

#include <string>

#include "html/builder.h"
#include "html/document.h"
#include "html/table_collector.h"
#include "html/tokenizer.h"

namespace html = corvane::html;

namespace {

constexpr std::size_t kPageSize = 8 << 20;

std::string HtmlPage() {
    std::string page = "<html><head><title>Benchmark page</title></head><body bgcolor=#ffffff>\n";
    for (int section = 0; page.size() < kPageSize; ++section) {
        page += "<h2>Section " + std::to_string(section) + "</h2>\n<p>";
        for (int i = 0; i < 6; ++i) {
            page += "Plain words of a paragraph &amp; some &lt;entities&gt; &eacute;t&eacute; ";
            page += "<b>bold</b> and <i>italic</i> text with <a href=\"page" +
                    std::to_string(section % 50) + ".html\">a link</a> to read.\n";
        }
        page += "</p>\n<ul><li>One<ul><li>Nested <code>code</code><li>Again</ul><li>Two</ul>\n";
        page += "<ol start=3><li>Three<li>Four</ol>\n";
        page +=
            "<table border=1><tr><td>Cell</td><td>Cell</td></tr><tr><td>Cell</td>"
            "<td><a href=\"same.html\">same</a></td></tr></table>\n";
        page += "<!-- a comment --><pre>\npre  formatted\n\ttext\n</pre><hr>\n";
    }
    return page + "</body></html>\n";
}

std::string PlainPage() {
    std::string page;
    while (page.size() < kPageSize) {
        page += "Plain text lines of a mail or a news article, words and spaces only, up to\n";
        page += "the usual width; then another line follows with a few more words on it.\n\n";
    }
    return page;
}

const std::string& Page(int which) {
    static const std::string kHtml = HtmlPage();
    static const std::string kPlain = PlainPage();
    return which == 0 ? kHtml : kPlain;
}

void Tokenizer(benchmark::State& state) {
    const std::string& page = Page(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        html::CHTMLTokenizer tokenizer;
        std::size_t tokens = 0;
        for (const char c : page) {
            tokens += tokenizer.Feed(static_cast<unsigned char>(c), false) != 0;
        }
        tokens += tokenizer.Feed(0, false) != 0;
        benchmark::DoNotOptimize(tokens);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void TokenizerAndBuilder(benchmark::State& state) {
    const std::string& page = Page(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        html::CHTML document("http://example.org/dir/page.html");
        html::CHTMLBuilder builder(document);
        html::CHTMLTokenizer tokenizer;
        bool preformatted = false;
        for (const char c : page) {
            const int token = tokenizer.Feed(static_cast<unsigned char>(c), preformatted);
            if (token == 0) continue;
            html::HandleTokenNow(builder, token, tokenizer.Text());
            preformatted = builder.Preformatted();
        }
        const int last = tokenizer.Feed(0, preformatted);
        if (last != 0) html::HandleTokenNow(builder, last, tokenizer.Text());
        html::EndOfDataNow(builder);
        benchmark::DoNotOptimize(document.ElementCount());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

}  // namespace

BENCHMARK(Tokenizer)->Arg(0)->Arg(1)->ArgNames({"plain"})->Unit(benchmark::kMillisecond);
BENCHMARK(TokenizerAndBuilder)->Arg(0)->Arg(1)->ArgNames({"plain"})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

// Flow layout of generated pages of 1 and 4 megabytes with integer metrics: the time per byte
// stays the same as the page grows (no quadratic work), and the text dump of the result is cheap.
// Find in page on the same pages: a word that is not there costs one linear pass (well under a
// second for 5 MB), whatever the pattern.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "html/builder.h"
#include "html/document.h"
#include "html/tokenizer.h"
#include "platform/scripted_host_services.h"
#include "render/fixed_pitch_surface.h"
#include "render/flow_layout.h"
#include "render/page_search.h"
#include "render/text_dump.h"

namespace html = corvane::html;
namespace render = corvane::render;

namespace {

std::string Page(std::size_t size) {
    std::string page = "<html><body>\n";
    for (int section = 0; page.size() < size; ++section) {
        page += "<h2>Section " + std::to_string(section) + "</h2>\n<p>";
        for (int i = 0; i < 6; ++i) {
            page += "Plain words of a paragraph &amp; some entities &eacute;t&eacute; <b>bold</b> ";
            page += "and <a href=\"page" + std::to_string(section % 50) + ".html\">a link</a>.\n";
        }
        page += "<ul><li>One<ul><li>Nested<li>Again</ul><li>Two</ul><ol><li>3<li>4</ol>\n";
        page += "<pre>\npre  formatted\n\ttext\n</pre><hr>\n";
    }
    return page + "</body></html>\n";
}

std::unique_ptr<html::CHTML> Build(const std::string& page) {
    auto document = std::make_unique<html::CHTML>("file:/bench.html");
    html::CHTMLBuilder builder(*document);
    html::CHTMLTokenizer tokenizer;
    for (unsigned char c : page) {
        const int token = tokenizer.Feed(c, builder.Preformatted());
        if (token != html::kTokenNone) builder.HandleToken(token, tokenizer.Text());
    }
    const int token = tokenizer.Feed(0, builder.Preformatted());
    if (token != html::kTokenNone) builder.HandleToken(token, tokenizer.Text());
    builder.EndOfData();
    return document;
}

void BM_FlowLayout(benchmark::State& state) {
    const std::string page = Page(static_cast<std::size_t>(state.range(0)) << 20);
    const auto document = Build(page);
    render::FixedPitchSurface surface;
    corvane::platform::ScriptedHostServices host;
    render::CFontTable fonts(surface, host);
    if (fonts.Create(render::FontSettings{}) != render::CFontTable::Result::kOk) return;
    render::CFlowLayout layout(fonts);
    layout.SetDocument(document.get());
    for (auto _ : state) {
        layout.Restart(800);
        benchmark::DoNotOptimize(layout.Display().boxes.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
    state.counters["boxes"] = static_cast<double>(layout.Display().boxes.size());
}
BENCHMARK(BM_FlowLayout)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

void BM_TextDump(benchmark::State& state) {
    const std::string page = Page(4 << 20);
    const auto document = Build(page);
    render::FixedPitchSurface surface;
    corvane::platform::ScriptedHostServices host;
    render::CFontTable fonts(surface, host);
    if (fonts.Create(render::FontSettings{}) != render::CFontTable::Result::kOk) return;
    render::CFlowLayout layout(fonts);
    layout.SetDocument(document.get());
    layout.Restart(800);
    for (auto _ : state) {
        benchmark::DoNotOptimize(render::DumpText(layout.Display(), render::DumpMetrics{}).size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_TextDump)->Unit(benchmark::kMillisecond);

void BM_FindMissingWord(benchmark::State& state) {
    const std::string page = Page(static_cast<std::size_t>(state.range(0)) << 20);
    const auto document = Build(page);
    for (auto _ : state) {
        render::CPageSearch search;
        // Starts like the page's words, so most positions compare a few characters.
        benchmark::DoNotOptimize(search.FindNext(*document, "Plain words of a parakeet", false));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_FindMissingWord)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

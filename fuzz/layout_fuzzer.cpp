// Any bytes as an HTML page, laid out at a narrow and a wide width and dumped as text: layout
// must neither crash nor misplace a box outside the page it reports.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "html/builder.h"
#include "html/document.h"
#include "html/table_collector.h"
#include "html/tokenizer.h"
#include "platform/scripted_host_services.h"
#include "render/fixed_pitch_surface.h"
#include "render/flow_layout.h"
#include "render/text_dump.h"

namespace html = corvane::html;
namespace render = corvane::render;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto document = std::make_unique<html::CHTML>("http://fuzz.example/page.html");
    html::CHTMLBuilder builder(*document);
    html::CHTMLTokenizer tokenizer;
    render::FixedPitchSurface surface;
    corvane::platform::ScriptedHostServices host;
    render::CFontTable fonts(surface, host);
    if (fonts.Create(render::FontSettings{}) != render::CFontTable::Result::kOk) return 0;
    render::CFlowLayout layout(fonts);
    layout.SetDocument(document.get());
    layout.Restart(120);

    // Laid out while it arrives, as the window does, then again from the top.
    for (std::size_t i = 0; i <= size; ++i) {
        const int ch = i < size ? (data[i] ? data[i] : ' ') : 0;
        const int token = tokenizer.Feed(ch, builder.Preformatted());
        if (token != html::kTokenNone) html::HandleTokenNow(builder, token, tokenizer.Text());
        if (i % 64 == 0) layout.Update();
    }
    html::EndOfDataNow(builder);
    layout.Update();
    layout.Finish();
    for (int width : {1, 800}) {
        layout.Restart(width);
        layout.Finish();
        for (const render::LayoutBox& box : layout.Display().boxes) {
            if (box.rect.right < box.rect.left || box.rect.bottom < box.rect.top) __builtin_trap();
        }
        (void)render::DumpText(layout.Display(), render::DumpMetrics{});
    }
    layout.SetDocument(nullptr);
    return 0;
}

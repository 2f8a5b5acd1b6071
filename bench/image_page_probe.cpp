// Loads one page the way the window does and waits until it has settled: the page and every
// image it asked for loaded, decoded and laid out. Prints how many images were decoded and how
// long the settling took. compare_image_page.sh times it on a page of small images against the
// same page without them.
//
// usage: image_page_probe PROFILE-DIRECTORY URL
#include <chrono>
#include <cstdio>

#include "html/document.h"
#include "platform/poll_event_loop.h"
#include "platform/scripted_host_services.h"
#include "render/fixed_pitch_surface.h"
#include "render/html_view.h"
#include "shell/application.h"
#include "shell/browser_window.h"

int main(int argc, char** argv) {
    using namespace corvane;
    if (argc != 3) {
        std::fprintf(stderr, "usage: image_page_probe PROFILE-DIRECTORY URL\n");
        return 2;
    }
    platform::PollEventLoop loop;
    render::FixedPitchSurface surface;
    platform::ScriptedHostServices ui;
    shell::CApplication application(argv[1], loop, ui);
    render::CHiddenViewWindow hidden;
    render::CHTMLView view(surface, ui, hidden);
    if (!view.ApplySettings(application.ViewSettings())) return 1;
    view.OnSize(800, 600);
    view.OnRelayout();
    shell::CBrowserWindow window(application, view);
    view.layoutBudgetMs = render::CFlowLayout::kNoBudget;
    const auto start = std::chrono::steady_clock::now();
    window.Load(argv[2]);
    if (!loop.RunUntil([&] { return !window.IsLoading() && !window.ImagesLoading(); }, 60'000)) {
        std::fprintf(stderr, "image_page_probe: %s did not settle\n", argv[2]);
        return 1;
    }
    window.Tick();
    const auto took = std::chrono::steady_clock::now() - start;
    const html::CHTML* page = window.ShownHtml();
    if (page == nullptr) {
        std::fprintf(stderr, "image_page_probe: %s shows nothing\n", argv[2]);
        return 1;
    }
    std::size_t decoded = 0;
    for (const html::CHTMLImage* image : page->images)
        decoded += view.Layout().ImageOf(image).state == render::ImageState::kDecoded;
    std::printf("%zu of %zu images decoded, settled in %.1f ms\n", decoded, page->images.size(),
                std::chrono::duration<double, std::milli>(took).count());
    return decoded == page->images.size() ? 0 : 1;
}

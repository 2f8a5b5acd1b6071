// Loads one page the way the window does and waits until it has settled: the page and every
// image it asked for loaded, decoded and laid out. Prints how many images were decoded and how
// long the settling took. compare_image_page.sh times it on a page of small images against the
// same page without them.
//
// usage: image_page_probe PROFILE-DIRECTORY URL
#include <chrono>
#include <cstdio>

#include "bench/hidden_browser.h"
#include "html/document.h"

int main(int argc, char** argv) {
    using namespace corvane;
    if (argc != 3) {
        std::fprintf(stderr, "usage: image_page_probe PROFILE-DIRECTORY URL\n");
        return 2;
    }
    bench::HiddenBrowser browser(argv[1]);
    if (!browser.Open()) return 1;
    shell::CBrowserWindow& window = *browser.window;
    const auto start = std::chrono::steady_clock::now();
    window.Load(argv[2]);
    if (!browser.loop.RunUntil([&] { return !window.IsLoading() && !window.ImagesLoading(); },
                               60'000)) {
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
        decoded += browser.view.Layout().ImageOf(image).state == render::ImageState::kDecoded;
    std::printf("%zu of %zu images decoded, settled in %.1f ms\n", decoded, page->images.size(),
                std::chrono::duration<double, std::milli>(took).count());
    return decoded == page->images.size() ? 0 : 1;
}

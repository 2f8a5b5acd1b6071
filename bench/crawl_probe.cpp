// Reads a chain of small pages the way a user clicking "next" does: loads the first page, lays
// it out, follows its first link, and so on until the given number of pages has been shown,
// through the same load lifecycle, protocols, cache and layout as the window. compare_crawl.sh
// times it against wget and curl.
//
// usage: crawl_probe PROFILE-DIRECTORY FIRST-URL PAGES
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/hidden_browser.h"
#include "core/request.h"
#include "html/document.h"

int main(int argc, char** argv) {
    using namespace corvane;
    if (argc != 4) {
        std::fprintf(stderr, "usage: crawl_probe PROFILE-DIRECTORY FIRST-URL PAGES\n");
        return 2;
    }
    const int pages = std::atoi(argv[3]);
    bench::HiddenBrowser browser(argv[1]);
    if (!browser.Open()) return 1;
    shell::CBrowserWindow& window = *browser.window;
    window.Load(argv[2]);
    for (int shown = 1;; ++shown) {
        if (!browser.loop.RunUntil([&] { return !window.IsLoading(); }, 30'000)) {
            std::fprintf(stderr, "crawl_probe: page %d did not load\n", shown);
            return 1;
        }
        window.Tick();
        const html::CHTML* page = window.ShownHtml();
        const core::CHTRequest* request = window.Document().Shown();
        if (page == nullptr || request == nullptr) {
            std::fprintf(stderr, "crawl_probe: page %d shows nothing\n", shown);
            return 1;
        }
        if (shown == pages) break;
        if (page->anchors.empty()) {
            std::fprintf(stderr, "crawl_probe: page %d has no link\n", shown);
            return 1;
        }
        const html::CHTMLAnchor& next = *page->anchors.front();
        // As a click on the link does.
        browser.view.onFollowLink({next.url, next.base, 0, request->canonicalUrl});
    }
    std::printf("%d pages\n", pages);
    return 0;
}

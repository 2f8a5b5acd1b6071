#pragma once
// The gopher pieces that do not need a connection: what to send for a URL path, the content type
// of an item type, and the HTML of menu lines and of the page headers.

#include <optional>
#include <string>
#include <string_view>

namespace corvane::protocols {

struct GopherPlan {
    enum class Output { kMenu, kSearchPage, kPassThrough };
    Output output = Output::kMenu;
    std::string requestLine;  // without CR LF; unused for the search page
    std::string contentType;  // of a passed-through answer
    std::string shownPath;    // the decoded path, for the page headers
};

// The request for a URL path (the path after the location and its "/", as written in the URL).
// nullopt when the decoded selector or query holds CR, LF or NUL.
std::optional<GopherPlan> PlanGopherRequest(std::string_view urlPath);

// "application/octet-stream", "image/gif", "video/mpeg", "audio/basic" or "text/plain".
std::string_view GopherContentType(char type);

// "<h1>Gopher: ..." up to and including the start of the menu, or the whole search page.
std::string GopherMenuHeader(std::string_view host, std::string_view shownPath);
std::string GopherSearchPage(std::string_view host, std::string_view shownPath);

// Appends the HTML line for one menu line (without its line end). Answers false for the line
// "." that ends the menu (its closing text appended).
bool AppendGopherMenuLine(std::string_view line, std::string& html);

}  // namespace corvane::protocols

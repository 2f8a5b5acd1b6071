#include "protocols/gopher_menu.h"

#include <array>
#include <vector>

#include "core/html_escape.h"
#include "core/url_escapes.h"
#include "protocols/whois_protocol.h"

namespace corvane::protocols {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// The characters that stand unescaped in a generated gopher URL.
bool StaysUnescaped(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '$' ||
           c == '.' || c == '/' || c == '-' || c == '_';
}

void AppendEscaped(std::string_view text, std::string& out) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (StaysUnescaped(byte)) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 0x0F]);
        }
    }
}

// A host field as it may stand in a link: a bracketed IPv6 literal keeps its brackets and colons.
void AppendHost(std::string_view host, std::string& out) {
    if (host.size() > 2 && host.front() == '[' && host.back() == ']' &&
        host.find_first_not_of("0123456789abcdefABCDEF:.", 1) == host.size() - 1) {
        out.append(host);
        return;
    }
    AppendEscaped(host, out);
}

std::string Heading(std::string_view host, std::string_view shownPath, std::string_view title) {
    std::string prefix;
    if (!host.empty()) prefix = "//" + std::string(host) + "/";
    std::string html = "<h1>Gopher: ";
    html += core::EscapeHtmlText(prefix);
    html += core::EscapeHtmlText(shownPath);
    html += "<br>";
    html += kCrLf;
    html += title;
    html += "</h1>";
    html += kCrLf;
    return html;
}

void AppendLink(std::string_view target, std::string_view text, std::string& html) {
    html += "<a href=\"";
    html += core::EscapeHtmlText(target);
    html += "\">";
    html += core::EscapeHtmlText(text);
    html += "</a>";
}

}  // namespace

std::optional<GopherPlan> PlanGopherRequest(std::string_view urlPath) {
    GopherPlan plan;
    plan.shownPath = core::DecodeUrlEscapes(urlPath);
    if (urlPath.empty()) return plan;
    // Links escape a type character outside the URL-safe set ("%3A" for ":").
    const bool escapedType = urlPath.size() >= 3 && urlPath.front() == '%' &&
                             core::HexDigitValue(urlPath[1]) >= 0 &&
                             core::HexDigitValue(urlPath[2]) >= 0;
    const char type = escapedType ? static_cast<char>(core::HexDigitValue(urlPath[1]) * 16 +
                                                      core::HexDigitValue(urlPath[2]))
                                  : urlPath.front();
    std::string_view selector = urlPath.substr(escapedType ? 3 : 1);
    std::string_view query;
    const bool search = type == '2' || type == '7';
    if (search) {
        const std::size_t mark = selector.find('?');
        if (mark != std::string_view::npos) {
            query = selector.substr(mark + 1);
            selector = selector.substr(0, mark);
        }
    }
    const std::string decodedSelector = core::DecodeUrlEscapes(selector);
    const std::string decodedQuery = core::DecodeUrlEscapes(query);
    if (!IsSafeCommandText(decodedSelector) || !IsSafeCommandText(decodedQuery))
        return std::nullopt;
    if (search && query.empty()) {
        plan.output = GopherPlan::Output::kSearchPage;
    } else if (type == '2') {
        plan.requestLine = decodedSelector + "query " + decodedQuery;
    } else if (type == '7') {
        plan.requestLine = decodedSelector + "\t" + decodedQuery;
    } else {
        plan.requestLine = decodedSelector;
        if (type != '1' && type != 'h') {
            plan.output = GopherPlan::Output::kPassThrough;
            plan.contentType = GopherContentType(type);
        }
    }
    return plan;
}

std::string_view GopherContentType(char type) {
    switch (type) {
        case '4':
        case '5':
        case '6':
        case '9':
            return "application/octet-stream";
        case ':':
        case 'I':
        case 'g':
            return "image/gif";
        case ';':
            return "video/mpeg";
        case '<':
        case 's':
            return "audio/basic";
        default:
            return "text/plain";
    }
}

std::string GopherMenuHeader(std::string_view host, std::string_view shownPath) {
    return Heading(host, shownPath, "Gopher Menu") + "<hr size=4><pre>\r\n";
}

std::string GopherSearchPage(std::string_view host, std::string_view shownPath) {
    return Heading(host, shownPath, "Gopher Search") + "<ISINDEX>\r\n";
}

bool AppendGopherMenuLine(std::string_view line, std::string& html) {
    if (line == ".") {
        html += "</pre><hr size=4>";
        html += kCrLf;
        return false;
    }
    if (line.size() <= 1) {
        html += kCrLf;
        return true;
    }
    const char type = line.front();
    std::vector<std::string_view> fields;
    std::string_view rest = line.substr(1);
    for (;;) {
        const std::size_t tab = rest.find('\t');
        fields.push_back(rest.substr(0, tab));
        if (tab == std::string_view::npos || fields.size() == 4) break;
        rest = rest.substr(tab + 1);
    }
    const std::string_view display = fields[0];
    const std::string_view selector = fields.size() > 1 ? fields[1] : std::string_view();
    const std::string_view host = fields.size() > 2 ? fields[2] : std::string_view();
    if (type == 'i') {
        // An information line: text only, whatever its other fields say.
        html += core::EscapeHtmlText(display);
    } else if (type == 'w') {
        AppendLink("gopher://" + std::string(selector), display, html);
    } else if (fields.size() < 4 || type == '3' || host.empty()) {
        // The type character is server text too ("<" is the sound type).
        html += core::EscapeHtmlText(line.substr(0, 1));
        html += core::EscapeHtmlText(display);
    } else {
        const std::string_view port = fields[3];
        std::string target;
        if (selector.starts_with("URL:")) {
            target = selector.substr(4);
        } else if (type == '8' || type == 'T') {
            target = type == '8' ? "telnet://" : "tn3270://";
            if (!selector.empty()) {
                AppendEscaped(selector, target);
                target += "@";
            }
            AppendHost(host, target);
            if (!port.empty() && port != "0") {
                target += ":";
                AppendEscaped(port, target);
            }
        } else {
            target = "gopher://";
            AppendHost(host, target);
            if (!port.empty()) {
                target += ":";
                AppendEscaped(port, target);
            }
            target += "/";
            AppendEscaped(std::string_view(&type, 1), target);
            AppendEscaped(selector, target);
        }
        const std::size_t indent = display.find_first_not_of(' ');
        const std::size_t spaces = indent == std::string_view::npos ? display.size() : indent;
        html.append(spaces, ' ');
        AppendLink(target, display.substr(spaces), html);
    }
    html += kCrLf;
    return true;
}

}  // namespace corvane::protocols

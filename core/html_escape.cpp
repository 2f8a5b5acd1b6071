#include "core/html_escape.h"

namespace corvane::core {

namespace {

bool IsKeptLineBreak(char c, LineBreaks lineBreaks) {
    return lineBreaks == LineBreaks::kKeep && (c == '\t' || c == '\n' || c == '\r');
}

}  // namespace

void AppendHtmlEscaped(std::string_view text, std::string& out, LineBreaks lineBreaks) {
    out.reserve(out.size() + text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                if ((byte < 0x20 || byte == 0x7F) && !IsKeptLineBreak(c, lineBreaks)) {
                    out += "&#" + std::to_string(byte) + ";";
                } else {
                    out.push_back(c);
                }
        }
    }
}

std::string EscapeHtmlText(std::string_view text, LineBreaks lineBreaks) {
    std::string out;
    AppendHtmlEscaped(text, out, lineBreaks);
    return out;
}

}  // namespace corvane::core

#include "protocols/outgoing_text.h"

namespace corvane::protocols {

void OutgoingText::Append(std::string_view text, std::string& out) {
    out.reserve(out.size() + text.size() + text.size() / 32);
    for (const char c : text) {
        const bool lfAfterCr = afterCr_ && c == '\n';
        afterCr_ = false;
        if (lfAfterCr) continue;  // the CR already wrote the line end
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            atLineStart_ = true;
            afterCr_ = c == '\r';
            continue;
        }
        if (atLineStart_ && c == '.') out += '.';
        out += c;
        atLineStart_ = false;
    }
}

void OutgoingText::AppendLine(std::string_view line, std::string& out) {
    Append(line, out);
    Append("\r\n", out);
}

void OutgoingText::Finish(std::string& out) {
    if (!atLineStart_) out += "\r\n";
    out += ".\r\n";
    atLineStart_ = true;
    afterCr_ = false;
}

}  // namespace corvane::protocols

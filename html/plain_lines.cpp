#include "html/plain_lines.h"

#include "html/tags.h"

namespace corvane::html {

int PlainLines::PutChar(int ch) {
    switch (state_) {
        case State::kAfterLf:
            text_.clear();
            state_ = State::kInLine;
            InLine(ch);
            return TOKEN_LINE_BREAK;
        case State::kAfterCr:
            text_.clear();
            state_ = State::kInLine;
            if (ch != '\n') InLine(ch);  // an LF only completes the CR LF pair
            return TOKEN_LINE_BREAK;
        case State::kInLine:
            break;
    }
    return InLine(ch);
}

std::size_t PlainLines::PutPlainRun(const unsigned char* data, std::size_t length) {
    if (state_ != State::kInLine) return 0;
    std::size_t taken = 0;
    while (taken < length && data[taken] != 0 && data[taken] != '\n' && data[taken] != '\r')
        ++taken;
    text_.append(reinterpret_cast<const char*>(data), taken);
    return taken;
}

// A line end answers the line's text; the break follows with the next byte, so the caller reads
// the text before it is emptied.
int PlainLines::InLine(int ch) {
    switch (ch) {
        case 0:
            return TOKEN_TEXT;
        case '\n':
            state_ = State::kAfterLf;
            return TOKEN_TEXT;
        case '\r':
            state_ = State::kAfterCr;
            return TOKEN_TEXT;
        default:
            text_.push_back(static_cast<char>(ch));
            return kTokenNone;
    }
}

}  // namespace corvane::html

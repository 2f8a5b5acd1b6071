#pragma once
// Splits plain text into lines for the plain-text convertor: one byte at a time, it answers the
// line's text when a line end (CR LF, LF or CR alone) or the end of the data arrives, and a line
// break token when the next line begins. So every line end gives exactly one line break, blank
// lines included.

#include <cstddef>
#include <string>

namespace corvane::html {

class PlainLines {
  public:
    // ch: the next byte (1 to 255), or 0 at the end of the data. Answers TOKEN_TEXT with the line
    // in Text(), TOKEN_LINE_BREAK when a new line starts, or kTokenNone.
    int PutChar(int ch);
    // Takes the bytes at the start of data that PutChar would only append (no line end, no 0)
    // and answers how many.
    std::size_t PutPlainRun(const unsigned char* data, std::size_t length);

    const std::string& Text() const { return text_; }

  private:
    enum class State { kInLine, kAfterLf, kAfterCr };

    int InLine(int ch);

    std::string text_;
    State state_ = State::kInLine;
};

}  // namespace corvane::html

#pragma once
// The lines of NNTP's multi-line answers (LIST, XOVER, ARTICLE): a line that is a single "." ends
// the answer, and a line the server began with "." carries one more "." in front, which is taken
// off. Lines longer than the transport's line area arrive in pieces; only a piece that starts a
// line can end the answer or carry stuffing.

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::news {

struct AnswerLine {
    bool end = false;       // the "." that ends the answer
    std::string_view text;  // the line with its stuffing undone
};

AnswerLine ReadAnswerLine(std::string_view piece, bool continuation);

// Joins the pieces of one long line up to a cap. A line longer than the cap is dropped whole, so
// a hostile server costs memory only up to the cap and never shows half a line.
class LineJoiner {
  public:
    explicit LineJoiner(std::size_t cap) : cap_(cap) {}
    // Adds a piece; a piece that starts a line forgets the line before.
    void Add(std::string_view piece, bool continuation);
    // The joined line so far; empty and Dropped() once it went past the cap.
    const std::string& Text() const { return text_; }
    bool Dropped() const { return dropped_; }

  private:
    std::size_t cap_;
    std::string text_;
    bool dropped_ = false;
};

}  // namespace corvane::news

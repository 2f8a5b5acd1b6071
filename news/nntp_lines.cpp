#include "news/nntp_lines.h"

namespace corvane::news {

AnswerLine ReadAnswerLine(std::string_view piece, bool continuation) {
    if (continuation || piece.empty() || piece.front() != '.') return {false, piece};
    if (piece.size() == 1) return {true, {}};
    return {false, piece.substr(1)};
}

void LineJoiner::Add(std::string_view piece, bool continuation) {
    if (!continuation) {
        text_.clear();
        dropped_ = false;
    }
    if (dropped_) return;
    if (text_.size() + piece.size() > cap_) {
        text_.clear();
        text_.shrink_to_fit();
        dropped_ = true;
        return;
    }
    text_.append(piece);
}

}  // namespace corvane::news

// The line reader and the reply reader under random bytes in random pieces: the lines handed out
// do not depend on how the bytes were cut into pieces, every byte is handed out exactly once
// (lines, their line ends and the pieces of over-long lines put back together give the input),
// no line is longer than the area, and reply reading never takes a continuation piece for a
// reply.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "protocols/line_reader.h"

using corvane::protocols::LineReader;
using corvane::protocols::ReplyReader;

namespace {

struct Line {
    std::string text;
    bool continuation;
    bool operator==(const Line&) const = default;
};

// What the reader must hand out, worked out from the whole input at once.
std::vector<Line> ExpectedLines(std::string_view input) {
    std::vector<Line> lines;
    constexpr std::size_t kArea = LineReader::kCapacity;
    bool continuation = false;
    while (!input.empty()) {
        const std::size_t lf = input.find('\n');
        if (lf != std::string_view::npos && lf < kArea) {
            std::string_view text = input.substr(0, lf);
            if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
            lines.push_back({std::string(text), continuation});
            continuation = false;
            input.remove_prefix(lf + 1);
        } else if (input.size() >= kArea) {
            lines.push_back({std::string(input.substr(0, kArea)), continuation});
            continuation = true;
            input.remove_prefix(kArea);
        } else {
            lines.push_back({std::string(input), continuation});
            input = {};
        }
    }
    return lines;
}

void Take(LineReader& reader, ReplyReader& replies, bool atEnd, std::vector<Line>& lines) {
    while (const int result = reader.NextLine(atEnd)) {
        const std::string_view line = reader.Line();
        if (result != static_cast<int>(line.size()) + 1 || line.size() > LineReader::kCapacity ||
            std::strlen(reader.LineText()) > line.size()) {
            std::abort();
        }
        lines.push_back({std::string(line), reader.IsContinuation()});
        const int reply = replies.Read(result, line, reader.IsContinuation());
        if (reply != 0 && (reply != result || reader.IsContinuation())) std::abort();
        if (replies.code < 0 || replies.code > 9999) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // The first two bytes choose the piece sizes; the rest is the stream.
    std::uint32_t seed = data[0] * 256u + data[1] + 1;
    const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);

    static LineReader reader;  // 4 KB: kept between runs, cleared for each
    reader.Clear();
    ReplyReader replies;
    std::vector<Line> lines;
    std::size_t at = 0;
    while (at < input.size()) {
        seed = seed * 1103515245u + 12345u;
        const std::size_t wanted = 1 + (seed >> 16) % (seed & 0x100 ? 4096 : 16);
        const std::size_t piece =
            std::min({wanted, input.size() - at, static_cast<std::size_t>(reader.FreeSize())});
        if (piece == 0) std::abort();  // a full area must have been handed out as a piece
        std::memcpy(reader.FreeSpace(), input.data() + at, piece);
        reader.Added(static_cast<std::int32_t>(piece));
        at += piece;
        Take(reader, replies, false, lines);
    }
    Take(reader, replies, true, lines);
    if (lines != ExpectedLines(input)) std::abort();
    return 0;
}

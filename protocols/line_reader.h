#pragma once
// The line area of a TCP protocol and the reading of command/reply answers, apart from the
// socket: bytes are appended as they arrive and handed out line by line.
//
// A line ends with LF (a CR before it is not part of the line). A line longer than the area is
// handed out in pieces of the area's size, and every piece after the first is marked as a
// continuation, so the middle of a long line never passes for a line start. A line may contain
// zero bytes: its length is the reader's. Each handed-out line is also terminated with a zero
// byte in place (the area has one byte more than its capacity for that).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace corvane::protocols {

class LineReader {
  public:
    static constexpr std::int32_t kCapacity = 4096;
    // TakeRest: the data starts after the current line and its line end.
    static constexpr std::size_t kAfterLine = static_cast<std::size_t>(-1);

    // Where received bytes go, and how many fit there.
    std::uint8_t* FreeSpace() { return area_.data() + fill_; }
    std::int32_t FreeSize() const { return kCapacity - fill_; }
    void Added(std::int32_t count) { fill_ += count; }

    // Passes the line handed out before and hands out the next: its length plus one, or 0 when
    // no complete line is held. atEnd (no more bytes will come) hands out a pending partial line.
    int NextLine(bool atEnd);
    // The current line without its line end; empty when none is held.
    std::string_view Line() const;
    const char* LineText() const;
    bool IsContinuation() const { return continuation_; }
    // The current line was cut at the area's size: its rest follows as continuations.
    bool IsCut() const { return pieceOpen_; }

    // Moves what follows `consumed` bytes into the current line (kAfterLine: what follows the
    // line end; no line held: everything) to the start of Block() and empties the reader;
    // answers the number of bytes moved.
    std::int32_t TakeRest(std::size_t consumed);
    void Clear();
    // The storage, kCapacity bytes, which a protocol's input buffer may use once lines are over.
    std::uint8_t* Block() { return area_.data(); }

  private:
    void HandOut(std::int32_t length, std::int32_t end, bool cut);

    std::array<std::uint8_t, kCapacity + 1> area_{};
    std::int32_t fill_ = 0;
    std::int32_t lineStart_ = 0;
    std::int32_t lineLength_ = 0;
    std::int32_t lineEnd_ = 0;                // after the current line's line end
    std::int32_t scanFrom_ = 0;               // where the search for LF goes on
    std::array<std::uint8_t, 2> savedEnd_{};  // line-end bytes replaced by zeros
    bool held_ = false;
    bool continuation_ = false;
    bool pieceOpen_ = false;  // the last line was cut at the area's size
};

// Reads the replies of command/reply servers from the lines of a LineReader. The reply code is
// the number at the start of a line; a first line with "-" after its code starts a multi-line
// reply, which goes on over lines without a code (or with "-" after it) until a line that starts
// with a code and no "-".
class ReplyReader {
  public:
    // 0 while the reply goes on, lineResult once it is complete, a negative lineResult as it is.
    int Read(int lineResult, std::string_view line, bool continuation);
    void Reset() { inMultiLine_ = false; }
    std::int16_t code = 0;

  private:
    bool inMultiLine_ = false;
};

}  // namespace corvane::protocols

#include "protocols/line_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/ascii.h"

namespace corvane::protocols {
namespace {

// Longest reply code read; more digits would overflow the 16-bit code.
constexpr std::size_t kMaxCodeDigits = 4;

}  // namespace

void LineReader::HandOut(std::int32_t length, std::int32_t end, bool cut) {
    lineLength_ = length;
    lineEnd_ = end;
    continuation_ = pieceOpen_;
    pieceOpen_ = cut;
    const std::int32_t stop = lineStart_ + lineLength_;
    const std::int32_t saved = std::min<std::int32_t>(lineEnd_ - stop, 2);
    for (std::int32_t i = 0; i < saved; ++i)
        savedEnd_[static_cast<std::size_t>(i)] = area_[stop + i];
    std::fill(area_.begin() + stop, area_.begin() + lineEnd_, 0);
    area_[static_cast<std::size_t>(stop)] = 0;  // a full-size piece ends in the spare byte
    held_ = true;
}

int LineReader::NextLine(bool atEnd) {
    if (held_) {
        lineStart_ = lineEnd_;
        held_ = false;
    }
    scanFrom_ = std::max(scanFrom_, lineStart_);
    const void* lf = std::memchr(area_.data() + scanFrom_, '\n', fill_ - scanFrom_);
    if (lf != nullptr) {
        const auto at =
            static_cast<std::int32_t>(static_cast<const std::uint8_t*>(lf) - area_.data());
        std::int32_t length = at - lineStart_;
        if (length > 0 && area_[static_cast<std::size_t>(at - 1)] == '\r') --length;
        HandOut(length, at + 1, false);
        return lineLength_ + 1;
    }
    scanFrom_ = fill_;
    const bool full = lineStart_ == 0 && fill_ == kCapacity;
    if (full || (atEnd && lineStart_ < fill_)) {
        HandOut(fill_ - lineStart_, fill_, full);
        return lineLength_ + 1;
    }
    if (lineStart_ > 0) {
        std::memmove(area_.data(), area_.data() + lineStart_, fill_ - lineStart_);
        fill_ -= lineStart_;
        scanFrom_ -= lineStart_;
        lineStart_ = 0;
    }
    lineEnd_ = lineLength_ = 0;
    return 0;
}

std::string_view LineReader::Line() const {
    if (!held_) return {};
    return {reinterpret_cast<const char*>(area_.data()) + lineStart_,
            static_cast<std::size_t>(lineLength_)};
}

const char* LineReader::LineText() const {
    return held_ ? reinterpret_cast<const char*>(area_.data()) + lineStart_ : "";
}

std::int32_t LineReader::TakeRest(std::size_t consumed) {
    std::int32_t from = held_ ? lineEnd_ : lineStart_;
    if (consumed != kAfterLine && held_) {
        // The data starts inside the line: give it its line end back.
        const std::int32_t stop = lineStart_ + lineLength_;
        const std::int32_t saved = std::min<std::int32_t>(lineEnd_ - stop, 2);
        for (std::int32_t i = 0; i < saved; ++i)
            area_[static_cast<std::size_t>(stop + i)] = savedEnd_[static_cast<std::size_t>(i)];
        from = lineStart_ + static_cast<std::int32_t>(std::min<std::size_t>(
                                consumed, static_cast<std::size_t>(lineEnd_ - lineStart_)));
    }
    const std::int32_t count = fill_ - from;
    std::memmove(area_.data(), area_.data() + from, static_cast<std::size_t>(count));
    Clear();
    return count;
}

void LineReader::Clear() {
    fill_ = lineStart_ = lineLength_ = lineEnd_ = scanFrom_ = 0;
    held_ = continuation_ = pieceOpen_ = false;
}

int ReplyReader::Read(int lineResult, std::string_view line, bool continuation) {
    if (lineResult <= 0) return lineResult;
    // A later piece of a long line is no line start: it neither carries a code nor ends a reply.
    if (continuation) return 0;
    std::size_t digits = 0;
    int number = 0;
    while (digits < line.size() && digits < kMaxCodeDigits && IsAsciiDigit(line[digits])) {
        number = number * 10 + (line[digits] - '0');
        ++digits;
    }
    const bool continues = digits > 0 && digits < line.size() && line[digits] == '-';
    if (inMultiLine_ && (digits == 0 || continues)) return 0;
    code = static_cast<std::int16_t>(number);
    inMultiLine_ = continues;
    return continues ? 0 : lineResult;
}

}  // namespace corvane::protocols

#include "images/xbm_decoder.h"

#include <charconv>

#include "images/image_bitmap.h"

namespace corvane::images {
namespace {

// The next blank-separated word of the line, consumed.
std::string_view NextWord(std::string_view& line) {
    std::size_t start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
    std::size_t end = start;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    std::string_view word = line.substr(start, end - start);
    line.remove_prefix(end);
    return word;
}

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

int HexDigit(std::uint8_t ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}

}  // namespace

DecodeStatus XbmDecoder::Feed(const std::uint8_t* data, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        if (state_ == State::kHeader) {
            if (data[i] != '\n') {
                if (line_.size() < kMaxLineLength) line_ += static_cast<char>(data[i]);
                continue;
            }
            const std::size_t dataStart = HeaderLine(line_);
            if (dataStart != std::string_view::npos) {
                const std::string rest = line_.substr(dataStart) + '\n';
                line_.clear();
                if (!StartData()) break;
                for (char ch : rest) DataChar(static_cast<std::uint8_t>(ch));
            }
            line_.clear();
        } else if (state_ == State::kData) {
            DataChar(data[i]);
        } else {
            break;
        }
    }
    if (state_ == State::kDone) return DecodeStatus::kDone;
    return state_ == State::kFailed ? DecodeStatus::kFailed : DecodeStatus::kMore;
}

DecodeStatus XbmDecoder::End() {
    if (state_ == State::kData) {
        // The last value may end with the data itself.
        DataChar('\n');
    }
    if (state_ == State::kDone) return DecodeStatus::kDone;
    if (bitmap_.IsAllocated()) bitmap_.SetRowsReady(bitmap_.height);
    state_ = State::kFailed;
    return DecodeStatus::kFailed;
}

std::size_t XbmDecoder::HeaderLine(std::string_view line) {
    while (!line.empty() && static_cast<unsigned char>(line.front()) <= ' ') line.remove_prefix(1);
    const std::size_t lineStart = line_.size() - line.size();
    std::string_view rest = line;
    const std::string_view first = NextWord(rest);
    if (first == "#define") {
        const std::string_view name = NextWord(rest);
        const std::string_view number = NextWord(rest);
        int value = 0;
        const auto [end, error] =
            std::from_chars(number.data(), number.data() + number.size(), value);
        if (error != std::errc() || end == number.data()) return std::string_view::npos;
        const std::size_t underscore = name.rfind('_');
        const std::string_view suffix =
            underscore == std::string_view::npos ? name : name.substr(underscore + 1);
        if (suffix == "width") width_ = value;
        if (suffix == "height") height_ = value;
        return std::string_view::npos;
    }
    if (first != "static") return std::string_view::npos;
    std::string_view type = NextWord(rest);
    bool isShort = type == "short";
    if (type == "unsigned") type = NextWord(rest);
    if (type != "char" && !isShort) return std::string_view::npos;
    const std::string_view name = NextWord(rest);
    if (!EndsWith(name, "bits[]")) return std::string_view::npos;
    for (char expected : {'=', '{'}) {
        while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t'))
            rest.remove_prefix(1);
        if (rest.empty() || rest.front() != expected) return std::string_view::npos;
        rest.remove_prefix(1);
    }
    shortValues_ = isShort;
    return lineStart + (line.size() - rest.size());
}

bool XbmDecoder::StartData() {
    if (width_ <= 0 || height_ <= 0 || !bitmap_.SetSize(width_, height_)) {
        state_ = State::kFailed;
        return false;
    }
    bitmap_.Allocate(MakePixel(0, 0, 0));
    bitmap_.AddMask(true);
    bitmap_.colourCount = 2;
    state_ = State::kData;
    return true;
}

void XbmDecoder::DataChar(std::uint8_t ch) {
    // Values after the last row (on the declaration line, say) are ignored.
    if (state_ != State::kData) return;
    const int digit = HexDigit(ch);
    if (digit >= 0) {
        value_ = (value_ << 4) | static_cast<std::uint32_t>(digit);
        inValue_ = true;
        return;
    }
    const bool ends = ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == ',' || ch == '}';
    if (ends && inValue_) PutValue();
}

void XbmDecoder::PutValue() {
    PutByte(value_ & 0xFF);
    if (shortValues_) PutByte((value_ >> 8) & 0xFF);
    value_ = 0;
    inValue_ = false;
    if (column_ >= width_) {
        column_ = 0;
        if (++row_ >= height_) {
            bitmap_.SetRowsReady(height_);
            state_ = State::kDone;
        }
    }
}

void XbmDecoder::PutByte(unsigned bits) {
    std::uint8_t* mask = bitmap_.MaskRow(row_);
    for (int bit = 0; bit < 8 && column_ < width_; ++bit, ++column_) {
        if (bits & (1u << bit)) mask[column_] = 0;
    }
}

}  // namespace corvane::images

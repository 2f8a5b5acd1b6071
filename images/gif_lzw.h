#pragma once
// The LZW decompressor of GIF image data: variable-width codes, least significant bit first,
// from 3 to 12 bits, with clear and end codes. One sub-block at a time; the code table lives
// only while an image's data is being read.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace corvane::images {

class GifLzw {
  public:
    static constexpr int kTableSize = 8192;
    static constexpr int kMaxCode = 4095;  // 12-bit codes

    // Prepares for an image whose pixels index a colour table of `colourCount` entries; false
    // when the minimum code size is outside 2..8.
    [[nodiscard]] bool Start(int minimumCodeSize, int colourCount);
    void Release() { tables_.reset(); }
    // The end code was read: the image's remaining data is ignored.
    bool Ended() const { return ended_; }

    // Decodes one sub-block, calling output(index) for every pixel in order. False on a
    // decoding error (a code that names no string yet, a pixel outside the colour table).
    template <class Output>
    [[nodiscard]] bool Decode(const std::uint8_t* data, std::size_t length, Output&& output);

  private:
    void Reset();
    std::uint16_t* Prefix() { return tables_.get(); }
    std::uint8_t* Suffix() { return reinterpret_cast<std::uint8_t*>(tables_.get() + kTableSize); }
    std::uint8_t* Stack() { return Suffix() + kTableSize; }

    static constexpr int kNoCode = 65535;

    std::unique_ptr<std::uint16_t[]> tables_;
    int minimumSize_ = 0;
    int codeSize_ = 0;
    int clear_ = 0;
    int end_ = 0;
    int nextFree_ = 0;
    int limit_ = 0;
    int oldCode_ = kNoCode;
    int firstChar_ = 0;
    int colourCount_ = 0;
    std::uint32_t bits_ = 0;
    int bitCount_ = 0;
    bool ended_ = false;
};

template <class Output>
bool GifLzw::Decode(const std::uint8_t* data, std::size_t length, Output&& output) {
    if (ended_) return true;
    if (!tables_) return false;
    std::uint16_t* prefix = Prefix();
    std::uint8_t* suffix = Suffix();
    std::uint8_t* stack = Stack();
    for (std::size_t i = 0; i < length; ++i) {
        bits_ |= static_cast<std::uint32_t>(data[i]) << bitCount_;
        bitCount_ += 8;
        while (bitCount_ >= codeSize_) {
            int code = static_cast<int>(bits_ & ((1u << codeSize_) - 1));
            bits_ >>= codeSize_;
            bitCount_ -= codeSize_;
            if (code == end_) {
                ended_ = true;
                return true;
            }
            if (code == clear_) {
                Reset();
                continue;
            }
            if (oldCode_ == kNoCode) {
                // The first code after a clear names a single pixel.
                if (code >= colourCount_) return false;
                output(code);
                firstChar_ = code;
                oldCode_ = code;
                continue;
            }
            int top = 0;
            int walk = code;
            if (code >= nextFree_) {
                if (code > nextFree_) return false;
                // KwKwK: the previous string plus its own first character.
                stack[top++] = static_cast<std::uint8_t>(firstChar_);
                walk = oldCode_;
            }
            while (walk >= clear_) {
                if (top >= kTableSize - 1) return false;
                stack[top++] = suffix[walk];
                walk = prefix[walk];
            }
            if (walk >= colourCount_) return false;
            firstChar_ = walk;
            output(walk);
            while (top > 0) {
                const int index = stack[--top];
                if (index >= colourCount_) return false;
                output(index);
            }
            // A full table stays as it is until the next clear code.
            if (nextFree_ <= kMaxCode) {
                prefix[nextFree_] = static_cast<std::uint16_t>(oldCode_);
                suffix[nextFree_] = static_cast<std::uint8_t>(firstChar_);
                ++nextFree_;
                if (nextFree_ >= limit_ && codeSize_ < 12) {
                    ++codeSize_;
                    limit_ <<= 1;
                }
            }
            oldCode_ = code;
        }
    }
    return true;
}

}  // namespace corvane::images

#pragma once
// The XBM decoder: a C source fragment with "#define NAME_width N" and "#define NAME_height N"
// lines, then an array "static char NAME_bits[] = {" of hexadecimal values, each giving 8 pixels
// (16 when the array is declared short), least significant bit first. A bit 1 is black, a bit 0
// transparent. Lines before the data are read whole (up to a bounded length); the data is read a
// character at a time.

#include <cstdint>
#include <string>
#include <string_view>

#include "images/image_decoder.h"

namespace corvane::images {

class XbmDecoder final : public ImageDecoder {
  public:
    explicit XbmDecoder(CImageBitmap& bitmap) : ImageDecoder(bitmap) {}

    DecodeStatus Feed(const std::uint8_t* data, std::size_t length) override;
    DecodeStatus End() override;

  private:
    static constexpr std::size_t kMaxLineLength = 1024;

    enum class State { kHeader, kData, kDone, kFailed };

    // A header line is complete; answers the offset in it where the data starts, or npos.
    std::size_t HeaderLine(std::string_view line);
    bool StartData();
    void DataChar(std::uint8_t ch);
    void PutValue();
    void PutByte(unsigned bits);

    State state_ = State::kHeader;
    std::string line_;
    int width_ = 0;
    int height_ = 0;
    bool shortValues_ = false;
    std::uint32_t value_ = 0;
    bool inValue_ = false;
    int column_ = 0;
    int row_ = 0;
};

}  // namespace corvane::images

#pragma once
// The incremental decoder every image format implements: bytes go in as they arrive, in pieces
// of any size, and decoded rows go straight into the bitmap. Decoders never wait and never read
// past what they were given; what a step still lacks is kept until the next piece.

#include <cstddef>
#include <cstdint>

namespace corvane::images {

class CImageBitmap;

enum class DecodeStatus {
    kMore,    // wants more data
    kDone,    // the picture is complete; later bytes are ignored
    kFailed,  // structural error; the rows decoded so far stay
};

class ImageDecoder {
  public:
    explicit ImageDecoder(CImageBitmap& bitmap) : bitmap_(bitmap) {}
    virtual ~ImageDecoder() = default;
    ImageDecoder(const ImageDecoder&) = delete;
    ImageDecoder& operator=(const ImageDecoder&) = delete;

    // Consumes the piece (all of it, unless decoding ends inside it).
    virtual DecodeStatus Feed(const std::uint8_t* data, std::size_t length) = 0;
    // The data ended: the final status. A picture cut short keeps its rows and shows them.
    virtual DecodeStatus End() = 0;

  protected:
    CImageBitmap& bitmap_;
};

}  // namespace corvane::images

#pragma once
// The PNG decoder on libpng's progressive reader: pieces are pushed in as they arrive and libpng
// calls back with the header and with each row. Every format is expanded to 8-bit RGBA written
// straight into the bitmap; the alpha channel becomes the bitmap's mask, so partly transparent
// pixels are blended over whatever lies behind the image. Interlaced files become visible pass
// by pass, others when their data ends.

#include <png.h>

#include "images/image_decoder.h"

namespace corvane::images {

class PngDecoder final : public ImageDecoder {
  public:
    explicit PngDecoder(CImageBitmap& bitmap);
    ~PngDecoder() override;

    DecodeStatus Feed(const std::uint8_t* data, std::size_t length) override;
    DecodeStatus End() override;

  private:
    static void OnHeader(png_structp png, png_infop info);
    static void OnRow(png_structp png, png_bytep row, png_uint_32 y, int pass);
    static void OnEnd(png_structp png, png_infop info);

    void Header();
    void Row(png_bytep row, int y, int pass);

    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    bool hasAlpha_ = false;
    bool interlaced_ = false;
    int lastPass_ = 0;
    int rowsSeen_ = 0;
    bool done_ = false;
    bool failed_ = false;
};

}  // namespace corvane::images

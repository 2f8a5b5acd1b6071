// Decodes one GIF, JPEG, PNG or XBM file the way the image convertors do (64 KB pieces) and
// exits 0 when the picture is complete: the program that make bench times against giflib's
// gif2rgb and libjpeg-turbo's djpeg.
//
// usage: decode_image FILE

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "images/gif_decoder.h"
#include "images/image_bitmap.h"
#include "images/jpeg_decoder.h"
#include "images/png_decoder.h"
#include "images/xbm_decoder.h"

using namespace corvane::images;

namespace {

std::unique_ptr<ImageDecoder> DecoderFor(const unsigned char* head, CImageBitmap& bitmap) {
    if (std::memcmp(head, "GIF8", 4) == 0) return std::make_unique<GifDecoder>(bitmap);
    if (head[0] == 0xFF && head[1] == 0xD8) return std::make_unique<JpegDecoder>(bitmap);
    if (std::memcmp(head, "\x89PNG", 4) == 0) return std::make_unique<PngDecoder>(bitmap);
    return std::make_unique<XbmDecoder>(bitmap);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: decode_image FILE\n");
        return 2;
    }
    std::FILE* file = std::fopen(argv[1], "rb");
    if (file == nullptr) {
        std::perror(argv[1]);
        return 2;
    }
    std::vector<unsigned char> piece(64 * 1024);
    std::size_t length = std::fread(piece.data(), 1, piece.size(), file);
    CImageBitmap bitmap;
    unsigned char head[4] = {};
    std::memcpy(head, piece.data(), std::min<std::size_t>(length, 4));
    std::unique_ptr<ImageDecoder> decoder = DecoderFor(head, bitmap);
    DecodeStatus status = DecodeStatus::kMore;
    while (length > 0 && status == DecodeStatus::kMore) {
        status = decoder->Feed(piece.data(), length);
        length = std::fread(piece.data(), 1, piece.size(), file);
    }
    std::fclose(file);
    if (status == DecodeStatus::kMore) status = decoder->End();
    if (status != DecodeStatus::kDone) {
        std::fprintf(stderr, "%s: not a complete picture\n", argv[1]);
        return 1;
    }
    return 0;
}

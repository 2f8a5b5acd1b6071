#include "images/png_decoder.h"

#include <algorithm>
#include <cstring>

#include "images/image_bitmap.h"

namespace corvane::images {
namespace {

// Ancillary chunks (text, ICC profiles) may not inflate to more than this.
constexpr png_alloc_size_t kMaxChunkMemory = 8 * 1024 * 1024;

void IgnoreWarning(png_structp, png_const_charp) {}

}  // namespace

PngDecoder::PngDecoder(CImageBitmap& bitmap) : ImageDecoder(bitmap) {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, nullptr, IgnoreWarning);
    if (png_ != nullptr) info_ = png_create_info_struct(png_);
    if (png_ == nullptr || info_ == nullptr) {
        failed_ = true;
        return;
    }
    png_set_user_limits(png_, kMaxImageSide, kMaxImageSide);
    png_set_chunk_malloc_max(png_, kMaxChunkMemory);
    // libpng decodes a chunk's data before it reaches the chunk's checksum (and the compressed
    // stream's), so a checksum failure would cut the picture at a place that depends on how the
    // data arrived. The data is used as it is; damage inside it still fails the image.
    png_set_crc_action(png_, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(png_, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    png_set_progressive_read_fn(png_, this, OnHeader, OnRow, OnEnd);
}

PngDecoder::~PngDecoder() {
    png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr);
}

DecodeStatus PngDecoder::Feed(const std::uint8_t* data, std::size_t length) {
    if (done_) return DecodeStatus::kDone;
    if (failed_) return DecodeStatus::kFailed;
    if (setjmp(png_jmpbuf(png_))) {
        failed_ = true;
        if (bitmap_.IsAllocated()) bitmap_.SetRowsReady(interlaced_ ? bitmap_.height : rowsSeen_);
        return DecodeStatus::kFailed;
    }
    png_process_data(png_, info_, const_cast<png_bytep>(data), length);
    if (done_) return DecodeStatus::kDone;
    return failed_ ? DecodeStatus::kFailed : DecodeStatus::kMore;
}

DecodeStatus PngDecoder::End() {
    if (done_) return DecodeStatus::kDone;
    if (bitmap_.IsAllocated()) bitmap_.SetRowsReady(interlaced_ ? bitmap_.height : rowsSeen_);
    failed_ = true;
    return DecodeStatus::kFailed;
}

void PngDecoder::OnHeader(png_structp png, png_infop) {
    static_cast<PngDecoder*>(png_get_progressive_ptr(png))->Header();
}

void PngDecoder::OnRow(png_structp png, png_bytep row, png_uint_32 y, int pass) {
    if (row != nullptr)
        static_cast<PngDecoder*>(png_get_progressive_ptr(png))->Row(row, static_cast<int>(y), pass);
}

void PngDecoder::OnEnd(png_structp png, png_infop) {
    auto* self = static_cast<PngDecoder*>(png_get_progressive_ptr(png));
    self->bitmap_.SetRowsReady(self->bitmap_.height);
    self->done_ = true;
}

void PngDecoder::Header() {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int depth = 0;
    int colourType = 0;
    int interlace = 0;
    png_get_IHDR(png_, info_, &width, &height, &depth, &colourType, &interlace, nullptr, nullptr);
    if (!bitmap_.SetSize(static_cast<int>(width), static_cast<int>(height)))
        png_error(png_, "image too large");
    hasAlpha_ =
        (colourType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png_, info_, PNG_INFO_tRNS);
    png_set_expand(png_);
    png_set_strip_16(png_);
    png_set_gray_to_rgb(png_);
    if (!hasAlpha_) png_set_filler(png_, 0xFF, PNG_FILLER_AFTER);
    interlaced_ = png_set_interlace_handling(png_) > 1;
    png_read_update_info(png_, info_);
    if (png_get_rowbytes(png_, info_) != static_cast<png_size_t>(width) * 4)
        png_error(png_, "unexpected row format");
    bitmap_.Allocate(MakePixel(0, 0, 0));
    if (hasAlpha_) bitmap_.AddMask(true);
}

void PngDecoder::Row(png_bytep row, int y, int pass) {
    if (y < 0 || y >= bitmap_.height) return;
    auto* out = reinterpret_cast<png_bytep>(bitmap_.Row(y));
    if (interlaced_) {
        png_progressive_combine_row(png_, out, row);
        if (pass != lastPass_) {
            lastPass_ = pass;
            ++bitmap_.passCount;
            bitmap_.SetRowsReady(bitmap_.height);
        }
    } else {
        std::memcpy(out, row, static_cast<std::size_t>(bitmap_.width) * 4);
        rowsSeen_ = std::max(rowsSeen_, y + 1);
    }
    if (hasAlpha_) {
        std::uint8_t* mask = bitmap_.MaskRow(y);
        for (int x = 0; x < bitmap_.width; ++x)
            mask[x] = static_cast<std::uint8_t>(255 - out[4 * x + 3]);
    }
}

}  // namespace corvane::images

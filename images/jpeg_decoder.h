#pragma once
// The JPEG decoder on libjpeg(-turbo) with a suspending data source: the library is handed the
// bytes buffered so far and, when it needs more, suspends; the next piece resumes it where it
// stopped. Rows go straight into the bitmap as RGBX. Any marker may follow the start-of-image
// marker (files stripped of their application markers often begin with a quantisation table).
// The picture becomes visible when its data ends; a file cut short shows the rows decoded.

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t
#include <memory>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "images/image_decoder.h"

namespace corvane::images {

class JpegDecoder final : public ImageDecoder {
  public:
    explicit JpegDecoder(CImageBitmap& bitmap);
    ~JpegDecoder() override;

    DecodeStatus Feed(const std::uint8_t* data, std::size_t length) override;
    DecodeStatus End() override;

    // The library's message for the error that failed the image; empty otherwise.
    const std::string& ErrorText() const { return errorText_; }

    struct ErrorManager {
        jpeg_error_mgr base;
        std::jmp_buf jump;
        JpegDecoder* owner;
    };

  private:
    enum class Step { kHeader, kStart, kRows, kFinish, kDone, kFailed };

    DecodeStatus Run();
    bool ReadHeader();
    void StoreCmykRow(int y);
    void Fail();

    jpeg_decompress_struct info_{};
    ErrorManager errors_{};
    jpeg_source_mgr source_{};
    jpeg_progress_mgr progressMonitor_{};
    std::vector<std::uint8_t> input_;
    std::size_t skip_ = 0;  // bytes the library asked to skip that have not arrived yet
    std::vector<std::uint8_t> cmykRow_;
    std::string errorText_;
    Step step_ = Step::kHeader;
    bool cmyk_ = false;
    bool created_ = false;

    friend void SkipInputData(j_decompress_ptr, long);
    friend void ErrorExit(j_common_ptr);
};

}  // namespace corvane::images

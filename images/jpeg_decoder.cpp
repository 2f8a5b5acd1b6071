#include "images/jpeg_decoder.h"

#include <algorithm>

#include <jerror.h>

#include "images/image_bitmap.h"

namespace corvane::images {
namespace {

// Memory the library may take for one picture (a progressive file keeps all its coefficients).
constexpr long kMaxLibraryMemory = 512L * 1024 * 1024;
// Progressive files with absurd scan counts only burn time.
constexpr int kMaxScans = 1000;

void InitSource(j_decompress_ptr) {}
// Suspends: more data comes with the next piece.
boolean FillInputBuffer(j_decompress_ptr) {
    return FALSE;
}
void TermSource(j_decompress_ptr) {}
void OutputMessage(j_common_ptr) {}

void LimitScans(j_common_ptr info) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxScans) {
        info->err->msg_code = JERR_NOT_COMPILED;
        (*info->err->error_exit)(info);
    }
}

}  // namespace

void ErrorExit(j_common_ptr info) {
    auto* errors = reinterpret_cast<JpegDecoder::ErrorManager*>(info->err);
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    errors->owner->errorText_ = message;
    std::longjmp(errors->jump, 1);
}

void SkipInputData(j_decompress_ptr info, long count) {
    if (count <= 0) return;
    auto* source = info->src;
    const auto wanted = static_cast<std::size_t>(count);
    if (wanted <= source->bytes_in_buffer) {
        source->next_input_byte += wanted;
        source->bytes_in_buffer -= wanted;
        return;
    }
    auto* self = static_cast<JpegDecoder*>(info->client_data);
    self->skip_ += wanted - source->bytes_in_buffer;
    source->next_input_byte += source->bytes_in_buffer;
    source->bytes_in_buffer = 0;
}

JpegDecoder::JpegDecoder(CImageBitmap& bitmap) : ImageDecoder(bitmap) {
    info_.err = jpeg_std_error(&errors_.base);
    errors_.base.error_exit = ErrorExit;
    errors_.base.output_message = OutputMessage;
    errors_.owner = this;
    if (setjmp(errors_.jump)) {
        step_ = Step::kFailed;
        return;
    }
    jpeg_create_decompress(&info_);
    created_ = true;
    info_.client_data = this;
    info_.mem->max_memory_to_use = kMaxLibraryMemory;
    source_.init_source = InitSource;
    source_.fill_input_buffer = FillInputBuffer;
    source_.skip_input_data = SkipInputData;
    source_.resync_to_restart = jpeg_resync_to_restart;
    source_.term_source = TermSource;
    info_.src = &source_;
    progressMonitor_.progress_monitor = LimitScans;
    info_.progress = &progressMonitor_;
}

JpegDecoder::~JpegDecoder() {
    if (created_) jpeg_destroy_decompress(&info_);
}

DecodeStatus JpegDecoder::Feed(const std::uint8_t* data, std::size_t length) {
    if (step_ == Step::kDone) return DecodeStatus::kDone;
    if (step_ == Step::kFailed) return DecodeStatus::kFailed;
    const std::size_t skipped = std::min(skip_, length);
    skip_ -= skipped;
    data += skipped;
    length -= skipped;
    // Drop what the library has consumed, then append the piece.
    const std::size_t consumed = input_.size() - source_.bytes_in_buffer;
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(consumed));
    input_.insert(input_.end(), data, data + length);
    source_.next_input_byte = input_.data();
    source_.bytes_in_buffer = input_.size();
    return Run();
}

DecodeStatus JpegDecoder::End() {
    if (step_ == Step::kDone) return DecodeStatus::kDone;
    if (step_ == Step::kRows || step_ == Step::kFinish) bitmap_.SetRowsReady(info_.output_scanline);
    step_ = Step::kFailed;
    return DecodeStatus::kFailed;
}

DecodeStatus JpegDecoder::Run() {
    if (setjmp(errors_.jump)) {
        Fail();
        return DecodeStatus::kFailed;
    }
    while (true) {
        switch (step_) {
            case Step::kHeader:
                if (jpeg_read_header(&info_, TRUE) == JPEG_SUSPENDED) return DecodeStatus::kMore;
                if (!ReadHeader()) {
                    Fail();
                    return DecodeStatus::kFailed;
                }
                step_ = Step::kStart;
                break;
            case Step::kStart:
                if (!jpeg_start_decompress(&info_)) return DecodeStatus::kMore;
                if (cmyk_) cmykRow_.resize(static_cast<std::size_t>(info_.output_width) * 4);
                bitmap_.Allocate(MakePixel(0, 0, 0));
                step_ = Step::kRows;
                break;
            case Step::kRows:
                while (info_.output_scanline < info_.output_height) {
                    const int y = static_cast<int>(info_.output_scanline);
                    JSAMPROW row =
                        cmyk_ ? cmykRow_.data() : reinterpret_cast<JSAMPROW>(bitmap_.Row(y));
                    if (jpeg_read_scanlines(&info_, &row, 1) == 0) return DecodeStatus::kMore;
                    if (cmyk_) StoreCmykRow(y);
                }
                step_ = Step::kFinish;
                break;
            case Step::kFinish:
                if (!jpeg_finish_decompress(&info_)) return DecodeStatus::kMore;
                bitmap_.SetRowsReady(bitmap_.height);
                step_ = Step::kDone;
                return DecodeStatus::kDone;
            case Step::kDone:
                return DecodeStatus::kDone;
            case Step::kFailed:
                return DecodeStatus::kFailed;
        }
    }
}

bool JpegDecoder::ReadHeader() {
    if (!bitmap_.SetSize(static_cast<int>(info_.image_width), static_cast<int>(info_.image_height)))
        return false;
    cmyk_ = info_.jpeg_color_space == JCS_CMYK || info_.jpeg_color_space == JCS_YCCK;
    info_.out_color_space = cmyk_ ? JCS_CMYK : JCS_EXT_RGBX;
    return true;
}

void JpegDecoder::StoreCmykRow(int y) {
    // Adobe writes CMYK inverted: each byte is 255 minus the ink.
    std::uint32_t* out = bitmap_.Row(y);
    const std::uint8_t* in = cmykRow_.data();
    for (int x = 0; x < bitmap_.width; ++x, in += 4) {
        const int k = in[3];
        out[x] = MakePixel(in[0] * k / 255, in[1] * k / 255, in[2] * k / 255);
    }
}

void JpegDecoder::Fail() {
    if (bitmap_.IsAllocated()) bitmap_.SetRowsReady(static_cast<int>(info_.output_scanline));
    step_ = Step::kFailed;
    if (errorText_.empty()) errorText_ = "Image too large";
}

}  // namespace corvane::images

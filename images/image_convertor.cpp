#include "images/image_convertor.h"

#include <cstring>

#include "core/convertor_registry.h"
#include "core/protocol.h"
#include "core/request.h"
#include "core/status.h"
#include "images/gif_decoder.h"
#include "images/image_bitmap.h"
#include "images/jpeg_decoder.h"
#include "images/png_decoder.h"
#include "images/xbm_decoder.h"

namespace corvane::images {

const core::CRuntimeClass CImageConvertor::kRuntimeClass =
    core::MakeAbstractRuntimeClass<CImageConvertor, core::CHTConvertor>("CImageConvertor");
const core::CRuntimeClass CGIFConvertor::kRuntimeClass =
    core::MakeRuntimeClass<CGIFConvertor, CImageConvertor>("CGIFConvertor");
const core::CRuntimeClass CJPEGConvertor::kRuntimeClass =
    core::MakeRuntimeClass<CJPEGConvertor, CImageConvertor>("CJPEGConvertor");
const core::CRuntimeClass CXBMConvertor::kRuntimeClass =
    core::MakeRuntimeClass<CXBMConvertor, CImageConvertor>("CXBMConvertor");
const core::CRuntimeClass CPNGConvertor::kRuntimeClass =
    core::MakeRuntimeClass<CPNGConvertor, CImageConvertor>("CPNGConvertor");

CImageConvertor::~CImageConvertor() {
    // A load stopped before its end leaves no copy behind.
    if (cacheWriter_ != nullptr && !done_) cacheWriter_->End(core::kFailure);
}

void CImageConvertor::Init(core::CHTRequest* servedRequest) {
    core::CHTConvertor::Init(servedRequest);
    if (servedRequest == nullptr) return;
    auto bitmap = std::make_unique<CImageBitmap>();
    bitmap_ = bitmap.get();
    decoder_ = MakeDecoder(*bitmap_);
    // The view shows the image while it arrives.
    servedRequest->SetResult(core::kKindImage, std::move(bitmap));
}

int CImageConvertor::Convert() {
    if (done_) return failed_ ? -1 : 1;
    core::CHTProtocol* protocol = Protocol();
    if (decoder_ == nullptr || protocol == nullptr) return -1;
    if (cacheWriter_ == nullptr) cacheWriter_ = core::OpenCacheWriter(*request);

    std::size_t budget = kBytesPerPass;
    while (budget > 0) {
        std::int32_t length = static_cast<std::int32_t>(budget);
        const std::uint8_t* block = protocol->GetBlock(length);
        if (block == nullptr) {
            if (protocol->error == core::kNeedMoreData) return -1;
            if (protocol->error == core::kEndOfData) return Complete(decoder_->End());
            return Complete(DecodeStatus::kFailed);
        }
        const auto size = static_cast<std::size_t>(length);
        budget -= std::min(budget, size);
        cacheWriter_->Put(block, size);
        const DecodeStatus status = decoder_->Feed(block, size);
        if (status != DecodeStatus::kMore) return Complete(status);
    }
    // More to do: let the loop breathe, then come back at once.
    protocol->error = core::kYielded;
    return -1;
}

int CImageConvertor::Complete(DecodeStatus status) {
    done_ = true;
    failed_ = status != DecodeStatus::kDone;
    if (failed_) DescribeFailure(*decoder_);
    bitmap_->SetProgress(failed_ ? ImageProgress::kFailed : ImageProgress::kComplete);
    cacheWriter_->End(failed_ ? core::kFailure : core::kStatusOk);
    // The decoder's tables and buffers go now; the bitmap stays with the request.
    decoder_.reset();
    if (failed_) {
        if (core::CHTProtocol* protocol = Protocol()) protocol->error = core::kFailure;
        return -1;
    }
    Finish(core::kStatusOk);
    return 1;
}

std::unique_ptr<ImageDecoder> CGIFConvertor::MakeDecoder(CImageBitmap& bitmap) {
    return std::make_unique<GifDecoder>(bitmap);
}

std::unique_ptr<ImageDecoder> CJPEGConvertor::MakeDecoder(CImageBitmap& bitmap) {
    return std::make_unique<JpegDecoder>(bitmap);
}

void CJPEGConvertor::DescribeFailure(ImageDecoder& decoder) {
    // Only a damaged file is worth a message; one cut short simply shows what came.
    if (!static_cast<JpegDecoder&>(decoder).ErrorText().empty())
        Bitmap()->failureMessage = std::string(kJpegErrorMessage);
}

std::unique_ptr<ImageDecoder> CXBMConvertor::MakeDecoder(CImageBitmap& bitmap) {
    return std::make_unique<XbmDecoder>(bitmap);
}

std::unique_ptr<ImageDecoder> CPNGConvertor::MakeDecoder(CImageBitmap& bitmap) {
    return std::make_unique<PngDecoder>(bitmap);
}

bool HasPngSignature(const unsigned char* bytes) {
    return std::memcmp(bytes, "\x89PNG\r\n\x1A\n", 8) == 0;
}

int ProbePng(core::CHTProtocol& protocol) {
    const std::uint8_t* bytes = protocol.Peek(8);
    if (bytes == nullptr)
        return protocol.error == core::kNeedMoreData ? core::kProbeTooShort : core::kProbeNoMatch;
    return HasPngSignature(bytes) ? core::kProbeMatch : core::kProbeNoMatch;
}

void RegisterImageConvertors() {
    core::CHTConvertorRegistry& registry = core::Convertors();
    registry.SetConvertorClass("image/gif", &CGIFConvertor::kRuntimeClass);
    registry.SetConvertorClass("image/jpeg", &CJPEGConvertor::kRuntimeClass);
    registry.SetConvertorClass("image/x-xbitmap", &CXBMConvertor::kRuntimeClass);
    if (registry.FindType("image/png") < 0) {
        registry.Register("image/png", &CPNGConvertor::kRuntimeClass, "png", ProbePng);
    } else {
        registry.SetConvertorClass("image/png", &CPNGConvertor::kRuntimeClass);
    }
}

}  // namespace corvane::images

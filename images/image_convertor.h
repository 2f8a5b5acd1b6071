#pragma once
// The image convertors: CImageConvertor reads an image request's data as it arrives and feeds it
// to its format's decoder, which fills the request's image (a CImageBitmap set as the request's
// result at Init, so views can show it while it grows). CGIFConvertor, CJPEGConvertor,
// CXBMConvertor and CPNGConvertor only choose the decoder.
//
// Order of calls (from the convertor framework): create by class -> Init(request) -> Convert on
// every pump pass until it answers 1 (complete) or -1 (failed, or -66/-67 to be called again) ->
// Finish.

#include <memory>

#include "core/convertor.h"
#include "core/convertor_cache.h"
#include "images/image_decoder.h"

namespace corvane::images {

class CImageBitmap;

class CImageConvertor : public core::CHTConvertor {
  public:
    static constexpr std::size_t kBytesPerPass = 64 * 1024;

    ~CImageConvertor() override;
    void Init(core::CHTRequest* servedRequest) override;
    int Convert() override;

    CImageBitmap* Bitmap() const { return bitmap_; }

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    virtual std::unique_ptr<ImageDecoder> MakeDecoder(CImageBitmap& bitmap) = 0;
    // The decoder failed on a structural error; the JPEG convertor names it.
    virtual void DescribeFailure(ImageDecoder&) {}

  private:
    int Complete(DecodeStatus status);

    CImageBitmap* bitmap_ = nullptr;
    std::unique_ptr<ImageDecoder> decoder_;
    std::unique_ptr<core::CConvertorCacheWriter> cacheWriter_;
    bool done_ = false;
    bool failed_ = false;
};

class CGIFConvertor final : public CImageConvertor {
  public:
    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    std::unique_ptr<ImageDecoder> MakeDecoder(CImageBitmap& bitmap) override;
};

class CJPEGConvertor final : public CImageConvertor {
  public:
    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    std::unique_ptr<ImageDecoder> MakeDecoder(CImageBitmap& bitmap) override;
    void DescribeFailure(ImageDecoder& decoder) override;
};

class CXBMConvertor final : public CImageConvertor {
  public:
    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    std::unique_ptr<ImageDecoder> MakeDecoder(CImageBitmap& bitmap) override;
};

class CPNGConvertor final : public CImageConvertor {
  public:
    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  protected:
    std::unique_ptr<ImageDecoder> MakeDecoder(CImageBitmap& bitmap) override;
};

// The message shown once per document load when a JPEG is damaged.
inline constexpr std::string_view kJpegErrorMessage = "JPEG file Error!";

// Gives the image types their convertors and registers "image/png" with its extension and
// signature probe.
void RegisterImageConvertors();

// The PNG signature probe: the eight bytes 0x89 "PNG" CR LF 0x1A LF.
bool HasPngSignature(const unsigned char* bytes);
int ProbePng(core::CHTProtocol& protocol);

}  // namespace corvane::images

#pragma once
// The incremental GIF decoder: a step machine in which every step names the number of bytes
// it needs and gets exactly that many, buffered across pieces when they arrive split. It reads
// GIF87a and GIF89a: the logical screen, colour tables, image descriptors, graphic control
// extensions (transparency) and skips comment, application and plain-text extensions.
//
// Every image of a multi-image file is drawn into the one bitmap at its own place, clipped to
// the logical screen. An interlaced image becomes visible pass by pass, any other when its data
// ends.

#include <array>
#include <cstdint>
#include <vector>

#include "images/gif_lzw.h"
#include "images/image_decoder.h"

namespace corvane::images {

class GifDecoder final : public ImageDecoder {
  public:
    explicit GifDecoder(CImageBitmap& bitmap) : ImageDecoder(bitmap) {}

    DecodeStatus Feed(const std::uint8_t* data, std::size_t length) override;
    DecodeStatus End() override;

  private:
    enum class Step {
        kSignature,
        kScreen,
        kGlobalTable,
        kBlockType,
        kDescriptor,
        kLocalTable,
        kCodeSize,
        kSubBlockLength,
        kSubBlock,
        kExtensionLabel,
        kControlSize,
        kControl,
        kControlEnd,
        kApplicationSize,
        kPlainTextSize,
        kSkipFixed,
        kSkipLength,
        kSkipData,
        kDone,
        kFailed,
    };

    // Runs the current step on exactly need_ bytes; false on a structural error.
    bool RunStep(const std::uint8_t* bytes);
    bool StartImage(const std::uint8_t* descriptor);
    bool StartImageData(int minimumCodeSize);
    void EndImageData();
    void Next(Step step, std::size_t need) {
        step_ = step;
        need_ = need;
    }
    void PutPixel(int index);
    void NextRow();
    void CompletePass();

    Step step_ = Step::kSignature;
    std::size_t need_ = 6;
    std::vector<std::uint8_t> pending_;

    int screenFlags_ = 0;
    int background_ = 0;
    std::array<std::uint32_t, 256> global_{};
    int globalCount_ = 0;
    std::array<std::uint32_t, 256> local_{};
    int localCount_ = 0;
    const std::uint32_t* colours_ = nullptr;
    int colourCount_ = 0;

    int left_ = 0;
    int top_ = 0;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    int imageFlags_ = 0;
    int x_ = 0;
    int y_ = 0;
    int pass_ = 0;  // 1 to 4 while interlaced, 0 otherwise
    bool transparent_ = false;
    int transparentIndex_ = 0;
    int imagesDone_ = 0;

    GifLzw lzw_;
};

}  // namespace corvane::images

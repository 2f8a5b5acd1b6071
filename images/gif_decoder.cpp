#include "images/gif_decoder.h"

#include <algorithm>
#include <cstring>

#include "images/image_bitmap.h"

namespace corvane::images {
namespace {

int Word(const std::uint8_t* bytes) {
    return bytes[0] | (bytes[1] << 8);
}

int TableEntries(int flags) {
    return 2 << (flags & 7);
}

void StoreTable(const std::uint8_t* bytes, int count, std::array<std::uint32_t, 256>& table) {
    for (int i = 0; i < count; ++i)
        table[i] = MakePixel(bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]);
}

constexpr int kTrailer = 0x3B;
constexpr int kExtension = 0x21;
constexpr int kImage = 0x2C;

}  // namespace

DecodeStatus GifDecoder::Feed(const std::uint8_t* data, std::size_t length) {
    while (step_ != Step::kDone && step_ != Step::kFailed) {
        const std::uint8_t* bytes = nullptr;
        if (pending_.empty() && length >= need_) {
            bytes = data;
            data += need_;
            length -= need_;
        } else {
            const std::size_t take = std::min(need_ - pending_.size(), length);
            pending_.insert(pending_.end(), data, data + take);
            data += take;
            length -= take;
            if (pending_.size() < need_) break;
            bytes = pending_.data();
        }
        const bool ok = RunStep(bytes);
        pending_.clear();
        if (!ok) {
            step_ = Step::kFailed;
            lzw_.Release();
            if (bitmap_.IsAllocated()) bitmap_.SetRowsReady(bitmap_.height);
        }
    }
    if (step_ == Step::kDone) return DecodeStatus::kDone;
    return step_ == Step::kFailed ? DecodeStatus::kFailed : DecodeStatus::kMore;
}

DecodeStatus GifDecoder::End() {
    // A file cut after a complete image, before its trailer, is whole enough.
    if (step_ == Step::kBlockType && imagesDone_ > 0) step_ = Step::kDone;
    if (step_ == Step::kDone) return DecodeStatus::kDone;
    if (bitmap_.IsAllocated()) bitmap_.SetRowsReady(bitmap_.height);
    step_ = Step::kFailed;
    lzw_.Release();
    return DecodeStatus::kFailed;
}

bool GifDecoder::RunStep(const std::uint8_t* bytes) {
    switch (step_) {
        case Step::kSignature:
            if (std::memcmp(bytes, "GIF8", 4) != 0 || (bytes[4] != '7' && bytes[4] != '9') ||
                bytes[5] != 'a')
                return false;
            Next(Step::kScreen, 7);
            return true;
        case Step::kScreen: {
            const int width = Word(bytes);
            const int height = Word(bytes + 2);
            screenFlags_ = bytes[4];
            background_ = bytes[5];
            if (width != 0 && height != 0 && !bitmap_.SetSize(width, height)) return false;
            if (screenFlags_ & 0x80) {
                globalCount_ = TableEntries(screenFlags_);
                Next(Step::kGlobalTable, 3 * static_cast<std::size_t>(globalCount_));
            } else {
                Next(Step::kBlockType, 1);
            }
            return true;
        }
        case Step::kGlobalTable:
            StoreTable(bytes, globalCount_, global_);
            Next(Step::kBlockType, 1);
            return true;
        case Step::kBlockType:
            switch (bytes[0]) {
                case kTrailer:
                    step_ = Step::kDone;
                    return true;
                case kExtension:
                    Next(Step::kExtensionLabel, 1);
                    return true;
                case kImage:
                    Next(Step::kDescriptor, 9);
                    return true;
                default:
                    return false;
            }
        case Step::kDescriptor:
            return StartImage(bytes);
        case Step::kLocalTable:
            StoreTable(bytes, localCount_, local_);
            Next(Step::kCodeSize, 1);
            return true;
        case Step::kCodeSize:
            if (!StartImageData(bytes[0])) return false;
            Next(Step::kSubBlockLength, 1);
            return true;
        case Step::kSubBlockLength:
            if (bytes[0] == 0) {
                EndImageData();
                Next(Step::kBlockType, 1);
            } else {
                Next(Step::kSubBlock, bytes[0]);
            }
            return true;
        case Step::kSubBlock: {
            const bool ok = lzw_.Decode(bytes, need_, [this](int index) { PutPixel(index); });
            Next(Step::kSubBlockLength, 1);
            return ok;
        }
        case Step::kExtensionLabel:
            switch (bytes[0]) {
                case 0xF9:
                    Next(Step::kControlSize, 1);
                    return true;
                case 0xFE:
                    Next(Step::kSkipLength, 1);
                    return true;
                case 0xFF:
                    Next(Step::kApplicationSize, 1);
                    return true;
                case 0x01:
                    Next(Step::kPlainTextSize, 1);
                    return true;
                default:
                    return false;
            }
        case Step::kControlSize:
            if (bytes[0] != 4) return false;
            Next(Step::kControl, 4);
            return true;
        case Step::kControl:
            transparent_ = (bytes[0] & 1) != 0;
            transparentIndex_ = bytes[3];
            Next(Step::kControlEnd, 1);
            return true;
        case Step::kControlEnd:
            if (bytes[0] != 0) return false;
            Next(Step::kBlockType, 1);
            return true;
        case Step::kApplicationSize:
            if (bytes[0] != 11) return false;
            Next(Step::kSkipFixed, 11);
            return true;
        case Step::kPlainTextSize:
            if (bytes[0] != 12) return false;
            Next(Step::kSkipFixed, 12);
            return true;
        case Step::kSkipFixed:
        case Step::kSkipData:
            Next(Step::kSkipLength, 1);
            return true;
        case Step::kSkipLength:
            if (bytes[0] == 0) {
                Next(Step::kBlockType, 1);
            } else {
                Next(Step::kSkipData, bytes[0]);
            }
            return true;
        case Step::kDone:
        case Step::kFailed:
            break;
    }
    return false;
}

bool GifDecoder::StartImage(const std::uint8_t* descriptor) {
    left_ = Word(descriptor);
    top_ = Word(descriptor + 2);
    frameWidth_ = Word(descriptor + 4);
    frameHeight_ = Word(descriptor + 6);
    imageFlags_ = descriptor[8];
    if (!bitmap_.HasSize() && !bitmap_.SetSize(frameWidth_, frameHeight_)) return false;
    if (imageFlags_ & 0x80) {
        localCount_ = TableEntries(imageFlags_);
        Next(Step::kLocalTable, 3 * static_cast<std::size_t>(localCount_));
    } else {
        localCount_ = 0;
        Next(Step::kCodeSize, 1);
    }
    return true;
}

bool GifDecoder::StartImageData(int minimumCodeSize) {
    if (localCount_ > 0) {
        colours_ = local_.data();
        colourCount_ = localCount_;
    } else {
        colours_ = global_.data();
        colourCount_ = (screenFlags_ & 0x80) ? globalCount_ : 0;
    }
    if (!lzw_.Start(minimumCodeSize, colourCount_)) return false;
    bitmap_.colourCount = std::max(bitmap_.colourCount, colourCount_);
    if (!bitmap_.IsAllocated()) {
        // The screen's background colour fills what no image covers; in a transparent image
        // the page shows there instead.
        const bool hasBackground = (screenFlags_ & 0x80) && background_ < globalCount_;
        bitmap_.Allocate(hasBackground ? global_[background_] : MakePixel(0, 0, 0));
        if (transparent_) bitmap_.AddMask(true);
    } else if (transparent_) {
        bitmap_.AddMask(false);
    }
    x_ = left_;
    y_ = top_;
    pass_ = (imageFlags_ & 0x40) ? 1 : 0;
    return true;
}

void GifDecoder::EndImageData() {
    lzw_.Release();
    ++imagesDone_;
    bitmap_.SetRowsReady(bitmap_.height);
    // A graphic control extension applies to the one image after it.
    transparent_ = false;
}

void GifDecoder::PutPixel(int index) {
    if (y_ >= top_ + frameHeight_ || frameWidth_ == 0) return;
    if (x_ < bitmap_.width && y_ < bitmap_.height &&
        !(transparent_ && index == transparentIndex_)) {
        bitmap_.Row(y_)[x_] = colours_[index];
        if (!bitmap_.mask.empty()) bitmap_.MaskRow(y_)[x_] = 0;
    }
    if (++x_ >= left_ + frameWidth_) {
        x_ = left_;
        NextRow();
    }
}

void GifDecoder::NextRow() {
    const int bottom = top_ + frameHeight_;
    if (pass_ == 0) {
        ++y_;
        return;
    }
    static constexpr int kStep[5] = {0, 8, 8, 4, 2};
    static constexpr int kStart[5] = {0, 0, 4, 2, 1};
    y_ += kStep[pass_];
    while (y_ >= bottom && pass_ != 0) {
        CompletePass();
        if (pass_ == 4) {
            pass_ = 0;
            y_ = bottom;
            break;
        }
        ++pass_;
        y_ = top_ + kStart[pass_];
    }
}

void GifDecoder::CompletePass() {
    ++bitmap_.passCount;
    bitmap_.SetRowsReady(bitmap_.height);
}

}  // namespace corvane::images

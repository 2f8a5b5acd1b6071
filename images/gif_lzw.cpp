#include "images/gif_lzw.h"

namespace corvane::images {

bool GifLzw::Start(int minimumCodeSize, int colourCount) {
    if (minimumCodeSize < 2 || minimumCodeSize > 8) return false;
    // Only entries written since the last clear code are read: no need to zero 16 KiB per image.
    if (!tables_) tables_ = std::make_unique_for_overwrite<std::uint16_t[]>(kTableSize * 2);
    minimumSize_ = minimumCodeSize;
    clear_ = 1 << minimumCodeSize;
    end_ = clear_ + 1;
    colourCount_ = colourCount;
    bits_ = 0;
    bitCount_ = 0;
    ended_ = false;
    Reset();
    return true;
}

void GifLzw::Reset() {
    codeSize_ = minimumSize_ + 1;
    nextFree_ = clear_ + 2;
    limit_ = 1 << codeSize_;
    oldCode_ = kNoCode;
}

}  // namespace corvane::images

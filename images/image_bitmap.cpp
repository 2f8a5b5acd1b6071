#include "images/image_bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "platform/huge_pages.h"

namespace corvane::images {

const core::CRuntimeClass CImageBitmap::kRuntimeClass =
    core::MakeAbstractRuntimeClass<CImageBitmap, core::CObject>("CImageBitmap");

bool CImageBitmap::SetSize(int newWidth, int newHeight) {
    if (newWidth <= 0 || newHeight <= 0 || newWidth > kMaxImageSide || newHeight > kMaxImageSide ||
        static_cast<std::int64_t>(newWidth) * newHeight > kMaxImagePixels)
        return false;
    width = newWidth;
    height = newHeight;
    ++version;
    return true;
}

void* AllocatePixelMemory(std::size_t bytes) {
    // Below two huge pages, rounding up could waste most of what is asked for.
    if (bytes >= 2 * platform::kHugePageBytes) return platform::AllocateHugePages(bytes);
    if (void* memory = std::malloc(bytes)) return memory;
    throw std::bad_alloc();
}

void FreePixelMemory(void* memory) {
    std::free(memory);
}

void CImageBitmap::Allocate(std::uint32_t fill) {
    if (IsAllocated() || !HasSize()) return;
    pixels.assign(static_cast<std::size_t>(width) * height, fill);
}

void CImageBitmap::AddMask(bool clear) {
    if (!mask.empty() || !HasSize()) return;
    mask.assign(static_cast<std::size_t>(width) * height, clear ? kInvisible : 0);
}

void CImageBitmap::SetRowsReady(int rows) {
    rowsReady = std::clamp(rows, 0, height);
    ++version;
}

void CImageBitmap::SetProgress(ImageProgress next) {
    progress = next;
    ++version;
}

}  // namespace corvane::images

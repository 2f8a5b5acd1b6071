#pragma once
// The decoded picture of one image element, filled row by row by an image decoder while the
// data arrives and drawn by the view as far as it is ready. Pixels are true colour, top row
// first, one 32-bit value each with red in the low byte, then green, then blue (the layout of
// render::Color; the top byte is unused, so decoders may write RGBX or RGBA bytes straight in on
// this little-endian target). A transparent image carries a mask with one byte per pixel: its
// transparency, 0 opaque to 255 invisible, through which the background shows.
//
// Memory: the request that loaded the image owns the bitmap (its result of kind image); the
// decoder and the view only refer to it.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/runtime_class.h"

namespace corvane::images {

static_assert(std::endian::native == std::endian::little, "pixels are stored as RGBX bytes");

// Larger pictures fail like a structural error: a few header bytes must not be able to ask
// for gigabytes.
inline constexpr int kMaxImageSide = 32767;
inline constexpr std::int64_t kMaxImagePixels = 64LL * 1024 * 1024;

constexpr std::uint32_t MakePixel(int red, int green, int blue) {
    return static_cast<std::uint32_t>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

// Mask value of a pixel that is not drawn at all.
inline constexpr std::uint8_t kInvisible = 255;

enum class ImageProgress { kLoading, kComplete, kFailed };

// Pixel memory. A large picture's memory is asked of the kernel in huge pages: filling 48 MB
// then costs a few dozen page faults instead of twelve thousand, which is most of the time a
// big JPEG takes.
void* AllocatePixelMemory(std::size_t bytes);
void FreePixelMemory(void* memory);

template <class T>
struct BitmapAllocator {
    using value_type = T;
    BitmapAllocator() = default;
    template <class U>
    BitmapAllocator(const BitmapAllocator<U>&) {}  // NOLINT: rebinding converts implicitly
    T* allocate(std::size_t count) {
        return static_cast<T*>(AllocatePixelMemory(count * sizeof(T)));
    }
    void deallocate(T* memory, std::size_t) { FreePixelMemory(memory); }
    template <class U>
    bool operator==(const BitmapAllocator<U>&) const {
        return true;
    }
};

class CImageBitmap : public core::CObject {
  public:
    // Records the natural size; false (and nothing changes) when a side is 0 or the size is
    // beyond the caps. The pixels are not allocated yet.
    [[nodiscard]] bool SetSize(int newWidth, int newHeight);
    bool HasSize() const { return width > 0 && height > 0; }
    // Allocates the pixels for the natural size, all of the fill colour, once.
    void Allocate(std::uint32_t fill);
    bool IsAllocated() const { return !pixels.empty(); }
    // Adds the mask, all invisible when `clear` is set, all opaque otherwise; once.
    void AddMask(bool clear);

    std::uint32_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
    const std::uint32_t* Row(int y) const {
        return pixels.data() + static_cast<std::size_t>(y) * width;
    }
    std::uint8_t* MaskRow(int y) { return mask.data() + static_cast<std::size_t>(y) * width; }

    // Rows 0 .. rows - 1 may be drawn now; counts as a visible change.
    void SetRowsReady(int rows);
    void SetProgress(ImageProgress next);

    int width = 0;
    int height = 0;
    std::vector<std::uint32_t, BitmapAllocator<std::uint32_t>> pixels;
    std::vector<std::uint8_t> mask;  // empty: opaque
    int rowsReady = 0;
    int passCount = 0;  // completed interlace passes
    // Colours in an indexed picture's tables (GIF, XBM); 0 for true colour (JPEG, PNG).
    int colourCount = 0;
    ImageProgress progress = ImageProgress::kLoading;
    // Shown to the user once per document load when the image fails; empty for failures the
    // broken-image icon says enough about.
    std::string failureMessage;
    // Raised on every change a view must show: the size became known, rows became ready, the
    // load ended. Views compare it with the value they last drew.
    std::uint32_t version = 0;

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }
};

}  // namespace corvane::images

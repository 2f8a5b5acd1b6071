#pragma once
// Pictures for displays of 8 bits or fewer, which show at most 256 colours at once: every image
// is drawn in the colours of one application palette. An image with few colours takes the
// nearest palette colour for each of its colours (its colour map); a true-colour image, or one
// of more than 16 colours while dithering is on, is dithered onto the 6 x 6 x 6 colour cube the
// palette holds, with an 8 x 8 ordered-dither threshold matrix. Deeper displays draw bitmaps in
// their own colours and never come here.
//
// Palette layout: 0-9 and 246-255 the colours every 256-colour display reserves; 10 black (0 is
// kept for transparent pixels, so no colour maps to it); 11-28 and 237-245 a grey ramp between
// the cube's greys; 29-236 the cube's colours that are not already among the reserved ones.

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace corvane::images {

class CImageBitmap;

inline constexpr int kPaletteColours = 256;
inline constexpr int kCubeLevels = 6;

// Colours as the bitmap stores them (red in the low byte).
const std::array<std::uint32_t, kPaletteColours>& ApplicationPalette();
// The palette index of each cube colour, at blue * 36 + green * 6 + red, levels 0 to 5 being
// 0, 51, 102, 153, 204 and 255.
const std::array<std::uint8_t, kCubeLevels * kCubeLevels * kCubeLevels>& CubeTable();
// Indexed [x mod 8][y mod 8].
extern const std::uint8_t kThresholdMatrix[8][8];

// The palette index nearest to the pixel's colour (never 0).
std::uint8_t NearestPaletteIndex(std::uint32_t pixel);
// The cube colour the pixel at (x, y) of its picture dithers to, as a palette index.
std::uint8_t DitherToCube(std::uint32_t pixel, int x, int y);

// An image's colours mapped to their nearest palette entries, each worked out once.
class ColourMap {
  public:
    std::uint8_t IndexOf(std::uint32_t pixel);

  private:
    std::unordered_map<std::uint32_t, std::uint8_t> known_;
};

// Whether the bitmap is dithered on the palette: true-colour pictures always, indexed ones when
// they have more than 16 colours and dithering is on.
bool DithersOnPalette(const CImageBitmap& bitmap, bool dithering);

// The bitmap's ready rows in palette colours, same layout as its pixels; `out` is resized.
void ReduceToPalette(const CImageBitmap& bitmap, bool dithering, std::vector<std::uint32_t>& out);

}  // namespace corvane::images

#include "images/palette_reduction.h"

#include "images/image_bitmap.h"

namespace corvane::images {
namespace {

constexpr int kCubeStep = 51;
constexpr int kFirstCubeSlot = 29;
constexpr int kBlackSlot = 10;
// Indexed pictures with this many colours or fewer always take their nearest colours.
constexpr int kFewColours = 16;

struct Tables {
    std::array<std::uint32_t, kPaletteColours> palette{};
    std::array<std::uint8_t, kCubeLevels * kCubeLevels * kCubeLevels> cube{};
};

constexpr int Red(std::uint32_t pixel) {
    return static_cast<int>(pixel & 0xFF);
}
constexpr int Green(std::uint32_t pixel) {
    return static_cast<int>((pixel >> 8) & 0xFF);
}
constexpr int Blue(std::uint32_t pixel) {
    return static_cast<int>((pixel >> 16) & 0xFF);
}

Tables MakeTables() {
    Tables t;
    const std::uint32_t reservedLow[] = {MakePixel(0, 0, 0),       MakePixel(128, 0, 0),
                                         MakePixel(0, 128, 0),     MakePixel(128, 128, 0),
                                         MakePixel(0, 0, 128),     MakePixel(128, 0, 128),
                                         MakePixel(0, 128, 128),   MakePixel(192, 192, 192),
                                         MakePixel(192, 220, 192), MakePixel(166, 202, 240)};
    const std::uint32_t reservedHigh[] = {MakePixel(255, 251, 240), MakePixel(160, 160, 164),
                                          MakePixel(128, 128, 128), MakePixel(255, 0, 0),
                                          MakePixel(0, 255, 0),     MakePixel(255, 255, 0),
                                          MakePixel(0, 0, 255),     MakePixel(255, 0, 255),
                                          MakePixel(0, 255, 255),   MakePixel(255, 255, 255)};
    for (int i = 0; i < 10; ++i) {
        t.palette[i] = reservedLow[i];
        t.palette[246 + i] = reservedHigh[i];
    }
    t.palette[kBlackSlot] = MakePixel(0, 0, 0);
    int slot = kFirstCubeSlot;
    for (int blue = 0; blue < kCubeLevels; ++blue) {
        for (int green = 0; green < kCubeLevels; ++green) {
            for (int red = 0; red < kCubeLevels; ++red) {
                const std::uint32_t colour =
                    MakePixel(red * kCubeStep, green * kCubeStep, blue * kCubeStep);
                int index = colour == MakePixel(0, 0, 0) ? kBlackSlot : -1;
                for (int high = 246; high < kPaletteColours && index < 0; ++high)
                    if (t.palette[high] == colour) index = high;
                if (index < 0) {
                    index = slot++;
                    t.palette[index] = colour;
                }
                t.cube[(blue * kCubeLevels + green) * kCubeLevels + red] =
                    static_cast<std::uint8_t>(index);
            }
        }
    }
    // The slots left (11-28 and after the cube) hold greys between the cube's greys.
    constexpr int kGreyFirst = 11;
    constexpr int kGreys = (kFirstCubeSlot - kGreyFirst) + (246 - 237);
    int grey = 1;
    for (int index = kGreyFirst; index < 246; ++index) {
        if (index == kFirstCubeSlot) index = slot;
        const int level = (grey++ * 255 + (kGreys + 1) / 2) / (kGreys + 1);
        t.palette[index] = MakePixel(level, level, level);
    }
    return t;
}

const Tables& TheTables() {
    static const Tables tables = MakeTables();
    return tables;
}

int CubeLevel(int channel, int x, int y) {
    // 16.16 fixed point: the level is the integer part, the fraction's top 6 bits meet the matrix.
    const int v = (channel + 1) * (kCubeLevels - 1) * 256;
    const int level = v >> 16;
    const int fraction = (v & 0xFFFF) >> 10;
    return level + (kThresholdMatrix[x & 7][y & 7] <= fraction ? 1 : 0);
}

}  // namespace

const std::uint8_t kThresholdMatrix[8][8] = {
    {3, 33, 9, 41, 3, 35, 11, 43},  {49, 17, 57, 25, 51, 19, 59, 27},
    {13, 45, 5, 37, 15, 47, 7, 39}, {61, 29, 53, 21, 63, 31, 55, 23},
    {4, 36, 12, 44, 3, 34, 10, 42}, {52, 20, 60, 28, 50, 18, 58, 26},
    {16, 48, 8, 40, 14, 46, 6, 38}, {64, 32, 56, 24, 62, 30, 54, 22}};

const std::array<std::uint32_t, kPaletteColours>& ApplicationPalette() {
    return TheTables().palette;
}

const std::array<std::uint8_t, kCubeLevels * kCubeLevels * kCubeLevels>& CubeTable() {
    return TheTables().cube;
}

std::uint8_t NearestPaletteIndex(std::uint32_t pixel) {
    const auto& palette = ApplicationPalette();
    int best = kBlackSlot;
    int bestDistance = 1 << 30;
    for (int index = 1; index < kPaletteColours; ++index) {
        const int red = Red(palette[index]) - Red(pixel);
        const int green = Green(palette[index]) - Green(pixel);
        const int blue = Blue(palette[index]) - Blue(pixel);
        const int distance = red * red + green * green + blue * blue;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = index;
        }
    }
    // Index 0 stays for transparent pixels; 10 holds the same black.
    return static_cast<std::uint8_t>(best);
}

std::uint8_t DitherToCube(std::uint32_t pixel, int x, int y) {
    const int red = CubeLevel(Red(pixel), x, y);
    const int green = CubeLevel(Green(pixel), x, y);
    const int blue = CubeLevel(Blue(pixel), x, y);
    return CubeTable()[(blue * kCubeLevels + green) * kCubeLevels + red];
}

std::uint8_t ColourMap::IndexOf(std::uint32_t pixel) {
    pixel &= 0xFFFFFF;
    const auto found = known_.find(pixel);
    if (found != known_.end()) return found->second;
    const std::uint8_t index = NearestPaletteIndex(pixel);
    known_.emplace(pixel, index);
    return index;
}

bool DithersOnPalette(const CImageBitmap& bitmap, bool dithering) {
    return bitmap.colourCount == 0 || (dithering && bitmap.colourCount > kFewColours);
}

void ReduceToPalette(const CImageBitmap& bitmap, bool dithering, std::vector<std::uint32_t>& out) {
    const auto& palette = ApplicationPalette();
    const int rows = bitmap.IsAllocated() ? bitmap.rowsReady : 0;
    out.resize(static_cast<std::size_t>(bitmap.width) * rows);
    const bool dither = DithersOnPalette(bitmap, dithering);
    ColourMap colours;
    for (int y = 0; y < rows; ++y) {
        const std::uint32_t* in = bitmap.Row(y);
        std::uint32_t* to = out.data() + static_cast<std::size_t>(y) * bitmap.width;
        for (int x = 0; x < bitmap.width; ++x)
            to[x] = palette[dither ? DitherToCube(in[x], x, y) : colours.IndexOf(in[x])];
    }
}

}  // namespace corvane::images

// Pictures reduced to the application palette for displays of 256 colours: the palette and the
// cube agree, ordered dithering keeps a colour's average, and real pictures come out in palette
// colours only, dithered or mapped colour by colour as their kind asks.
#include "images/palette_reduction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "images/gif_decoder.h"
#include "images/jpeg_decoder.h"
#include "tests/images/image_fixtures.h"

namespace corvane::images {
namespace {

using testing::Decode;
using testing::ReadFixture;

int Channel(std::uint32_t pixel, int shift) {
    return static_cast<int>((pixel >> shift) & 0xFF);
}

TEST(PaletteReduction, CubeTableNamesThePaletteEntriesHoldingTheCubeColours) {
    const auto& palette = ApplicationPalette();
    const auto& cube = CubeTable();
    for (int b = 0; b < 6; ++b)
        for (int g = 0; g < 6; ++g)
            for (int r = 0; r < 6; ++r)
                EXPECT_EQ(palette[cube[(b * 6 + g) * 6 + r]], MakePixel(r * 51, g * 51, b * 51))
                    << r << g << b;
    EXPECT_EQ(std::vector<int>(cube.begin(), cube.begin() + 8),
              (std::vector<int>{10, 29, 30, 31, 32, 249, 33, 34}));
    EXPECT_EQ(cube.back(), 255);
    // Index 0 is kept for transparent pixels: black goes to its twin.
    EXPECT_EQ(NearestPaletteIndex(MakePixel(0, 0, 0)), 10);
    EXPECT_EQ(palette[NearestPaletteIndex(MakePixel(250, 5, 3))], MakePixel(255, 0, 0));
}

// Over any 8 x 8 tile the dithered levels average to the colour itself (within a level's
// sixty-fourth), for every value of every channel; cube colours stay as they are.
TEST(PaletteReduction, OrderedDitherKeepsEachChannelsAverage) {
    const auto& palette = ApplicationPalette();
    for (int value = 0; value < 256; ++value) {
        const int shift = (value % 3) * 8;
        const std::uint32_t pixel = static_cast<std::uint32_t>(value) << shift;
        int sum = 0;
        std::set<std::uint32_t> seen;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                const std::uint32_t out = palette[DitherToCube(pixel, x, y)];
                sum += Channel(out, shift);
                seen.insert(out);
            }
        }
        EXPECT_NEAR(sum / 64.0, value, 4.0) << value;
        EXPECT_LE(seen.size(), 2u) << value;
        if (value % 51 == 0) {
            EXPECT_EQ(seen.size(), 1u) << value;
        }
    }
}

std::set<std::uint32_t> Colours(const std::vector<std::uint32_t>& pixels) {
    std::set<std::uint32_t> colours;
    for (std::uint32_t pixel : pixels) colours.insert(pixel & 0xFFFFFF);
    return colours;
}

// A photograph (true colour: always dithered) keeps its average colour; a GIF of many colours
// is dithered only while dithering is on, and otherwise takes one palette colour per colour.
TEST(PaletteReduction, RealPicturesComeOutInPaletteColours) {
    const auto& palette = ApplicationPalette();
    const std::set<std::uint32_t> paletteColours(palette.begin(), palette.end());
    auto jpeg = Decode<JpegDecoder>(ReadFixture("python.jpg"));
    auto gif = Decode<GifDecoder>(ReadFixture("banner.gif"));
    ASSERT_EQ(jpeg.status, DecodeStatus::kDone);
    ASSERT_EQ(gif.status, DecodeStatus::kDone);
    ASSERT_GT(gif.bitmap->colourCount, 16);
    EXPECT_EQ(jpeg.bitmap->colourCount, 0);

    for (const CImageBitmap* bitmap : {jpeg.bitmap.get(), gif.bitmap.get()}) {
        const std::vector<std::uint32_t> original(bitmap->pixels.begin(), bitmap->pixels.end());
        for (bool dithering : {true, false}) {
            std::vector<std::uint32_t> reduced;
            ReduceToPalette(*bitmap, dithering, reduced);
            ASSERT_EQ(reduced.size(), original.size());
            const std::set<std::uint32_t> colours = Colours(reduced);
            EXPECT_TRUE(std::includes(paletteColours.begin(), paletteColours.end(), colours.begin(),
                                      colours.end()));
            if (bitmap == gif.bitmap.get() && !dithering) {
                // Colour by colour: no more colours than the picture had.
                EXPECT_LE(colours.size(), Colours(original).size());
                continue;
            }
            for (int shift : {0, 8, 16}) {
                double before = 0, after = 0;
                for (std::size_t i = 0; i < original.size(); ++i) {
                    before += Channel(original[i], shift);
                    after += Channel(reduced[i], shift);
                }
                EXPECT_NEAR(after / original.size(), before / original.size(), 3.0) << shift;
            }
        }
    }
}

}  // namespace
}  // namespace corvane::images

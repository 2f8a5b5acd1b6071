#include "images/gif_decoder.h"

#include <gtest/gtest.h>

#include "tests/images/image_fixtures.h"

namespace corvane::images {
namespace {

using testing::Bytes;
using testing::Decode;
using testing::Frame;
using testing::GifFrame;
using testing::ReadFixture;
using testing::Rgb;
using testing::With;
using testing::WriteGif;

const std::vector<std::uint32_t> kFour = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
const std::uint32_t kRed = MakePixel(255, 0, 0);
const std::uint32_t kGreen = MakePixel(0, 255, 0);
const std::uint32_t kBlue = MakePixel(0, 0, 255);

Bytes TwoByTwo() {
    return WriteGif(2, 2, kFour, {Frame(2, 2, {0, 1, 2, 3})});
}

TEST(GifDecoder, SignatureVersions) {
    for (const auto& [version, accepted] :
         std::vector<std::pair<std::string, bool>>{{"87a", true}, {"89a", true}, {"88a", false}}) {
        Bytes gif = TwoByTwo();
        std::copy(version.begin(), version.end(), gif.begin() + 3);
        EXPECT_EQ(Decode<GifDecoder>(gif).status,
                  accepted ? DecodeStatus::kDone : DecodeStatus::kFailed)
            << version;
    }
    // Refused as soon as the signature is there, before anything else arrives.
    CImageBitmap bitmap;
    GifDecoder decoder(bitmap);
    EXPECT_EQ(decoder.Feed(reinterpret_cast<const std::uint8_t*>("GIF88a"), 6),
              DecodeStatus::kFailed);
}

TEST(GifDecoder, InterlacedPassOrder) {
    // One pixel per row; each stream row carries its own index, so the bitmap shows where it went.
    std::vector<std::uint32_t> table;
    std::vector<int> pixels;
    for (int i = 0; i < 16; ++i) {
        table.push_back(static_cast<std::uint32_t>(i));
        pixels.push_back(i);
    }
    const Bytes gif = WriteGif(
        1, 16, table, {With(Frame(1, 16, pixels), [](GifFrame& f) { f.interlaced = true; })});
    auto decoded = Decode<GifDecoder>(gif);
    ASSERT_EQ(decoded.status, DecodeStatus::kDone);
    const int expectedRows[16] = {0, 8, 4, 12, 2, 6, 10, 14, 1, 3, 5, 7, 9, 11, 13, 15};
    for (int stream = 0; stream < 16; ++stream)
        EXPECT_EQ(Rgb(*decoded.bitmap, 0, expectedRows[stream]), MakePixel(0, 0, stream)) << stream;
    EXPECT_EQ(decoded.bitmap->passCount, 4);
}

TEST(GifDecoder, InterlacedImageShowsAfterFirstPass) {
    const Bytes gif = ReadFixture("interlaced.gif");
    CImageBitmap bitmap;
    GifDecoder decoder(bitmap);
    std::size_t at = 0;
    while (bitmap.passCount == 0 && at < gif.size())
        ASSERT_EQ(decoder.Feed(&gif[at++], 1), DecodeStatus::kMore);
    EXPECT_EQ(bitmap.rowsReady, bitmap.height);
    EXPECT_LT(at, gif.size() / 2);
}

TEST(GifDecoder, NonInterlacedShowsNothingUntilItsDataEnds) {
    const Bytes gif = ReadFixture("banner.gif");
    CImageBitmap bitmap;
    GifDecoder decoder(bitmap);
    ASSERT_EQ(decoder.Feed(gif.data(), gif.size() - 3), DecodeStatus::kMore);
    EXPECT_EQ(bitmap.rowsReady, 0);
    EXPECT_EQ(decoder.End(), DecodeStatus::kFailed);  // cut short: the rows stay visible
    EXPECT_EQ(bitmap.rowsReady, bitmap.height);
}

TEST(GifDecoder, TransparentIndexLeavesPixelsToTheMask) {
    std::vector<std::uint32_t> table(8, 0x808080);
    const Bytes gif = WriteGif(
        3, 1, table, {With(Frame(3, 1, {5, 1, 5}), [](GifFrame& f) { f.transparentIndex = 5; })});
    auto decoded = Decode<GifDecoder>(gif);
    ASSERT_EQ(decoded.status, DecodeStatus::kDone);
    ASSERT_EQ(decoded.bitmap->mask.size(), 3u);
    EXPECT_EQ(decoded.bitmap->mask, (std::vector<std::uint8_t>{kInvisible, 0, kInvisible}));
}

struct Pixel {
    int x, y;
    std::uint32_t rgb;
};

TEST(GifDecoder, DecodedPixels) {
    // 3 x 1, four colours, minimum code size 2: clear, 0, 6 (the next free code), end.
    Bytes kwkwk{'G', 'I', 'F', '8', '9', 'a', 3, 0, 1, 0, 0x81, 0, 0};
    testing::PutTable(kwkwk, kFour);
    kwkwk.insert(kwkwk.end(), {0x2C, 0, 0, 0, 0, 3, 0, 1, 0, 0, 2, 2, 0x84, 0x0B, 0, 0x3B});
    const Bytes extensions = {0x21, 0xFE, 3,   'a', 'b', 'c', 0,  // comment
                              0x21, 0xFF, 11,  'N', 'E', 'T', 'S', 'C', 'A', 'P',
                              'E',  '2',  '.', '0', 3,   1,   0,   0,   0,  // application
                              0x21, 0x01, 12,  0,   0,   0,   0,   0,   0,   0,
                              0,    0,    0,   0,   0,   1,   'x', 0};
    struct Case {
        const char* name;
        Bytes gif;
        std::vector<Pixel> pixels;
    };
    const Case cases[] = {
        {"KwKwK code", kwkwk, {{0, 0, kRed}, {1, 0, kRed}, {2, 0, kRed}}},
        {"extensions are skipped",
         WriteGif(2, 1, kFour, {Frame(2, 1, {2, 1})}, extensions),
         {{0, 0, kBlue}}},
        {"two-colour table, minimum code size two",
         WriteGif(4, 1, {0x000000, 0xFFFFFF}, {Frame(4, 1, {1, 0, 0, 1})}),
         {{0, 0, MakePixel(255, 255, 255)}, {1, 0, MakePixel(0, 0, 0)}}},
        // A frame hanging over the bottom-right corner, then one entirely outside the screen.
        {"frames are clipped to the screen",
         WriteGif(3, 3, kFour,
                  {Frame(3, 3, std::vector<int>(9, 0)), Frame(2, 2, {1, 1, 1, 1}, 2, 2),
                   Frame(2, 2, {2, 2, 2, 2}, 900, 900)}),
         {{2, 2, kGreen}, {1, 1, kRed}}},
        {"later frame with its own table",
         WriteGif(2, 1, kFour,
                  {Frame(2, 1, {0, 0}), With(Frame(1, 1, {0}, 1),
                                             [](GifFrame& f) {
                                                 f.localTable = {0x123456, 0};
                                             })}),
         {{0, 0, kRed}, {1, 0, MakePixel(0x12, 0x34, 0x56)}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto decoded = Decode<GifDecoder>(c.gif);
        ASSERT_EQ(decoded.status, DecodeStatus::kDone);
        for (const Pixel& p : c.pixels) EXPECT_EQ(decoded.bitmap->Row(p.y)[p.x], p.rgb) << p.x;
    }
}

TEST(GifDecoder, StructuralErrorsFail) {
    const std::size_t descriptor = 13 + 12;
    const std::pair<std::size_t, std::uint8_t> damages[] = {
        {descriptor, 0x2D},     // block type
        {descriptor + 10, 1},   // minimum code size 1
        {descriptor + 10, 9}};  // minimum code size 9
    for (const auto& [offset, value] : damages) {
        Bytes gif = TwoByTwo();
        gif[offset] = value;
        EXPECT_EQ(Decode<GifDecoder>(gif).status, DecodeStatus::kFailed) << offset << " " << +value;
    }
    // A two-colour table still codes with minimum size 2, so index 3 can be written.
    const Bytes outside = WriteGif(2, 1, {0x000000, 0xFFFFFF}, {Frame(2, 1, {1, 3})});
    EXPECT_EQ(Decode<GifDecoder>(outside).status, DecodeStatus::kFailed);
}

TEST(GifDecoder, HugeScreenFailsWithoutAllocating) {
    Bytes gif{'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0};
    auto decoded = Decode<GifDecoder>(gif);
    EXPECT_EQ(decoded.status, DecodeStatus::kFailed);
    EXPECT_FALSE(decoded.bitmap->IsAllocated());
    // 32767 a side is fine alone, but not with more than 64 M pixels.
    EXPECT_FALSE(CImageBitmap().SetSize(32767, 32767));
    EXPECT_FALSE(CImageBitmap().SetSize(32768, 1));
    EXPECT_TRUE(CImageBitmap().SetSize(32767, 2048));
}

// Small bitmaps come from the heap, large ones in whole huge pages: both hold every pixel, filled.
TEST(ImageBitmap, SmallAndLargePixelMemoryIsFilledWhole) {
    for (const auto& [width, height] :
         {std::pair{3, 2}, std::pair{1000, 1000}, std::pair{4000, 3000}}) {
        CImageBitmap bitmap;
        ASSERT_TRUE(bitmap.SetSize(width, height));
        bitmap.Allocate(MakePixel(1, 2, 3));
        ASSERT_EQ(bitmap.pixels.size(), static_cast<std::size_t>(width) * height);
        EXPECT_EQ(bitmap.Row(0)[0], MakePixel(1, 2, 3));
        EXPECT_EQ(bitmap.Row(height - 1)[width - 1], MakePixel(1, 2, 3));
        bitmap.Row(height - 1)[width - 1] = 0;
        CImageBitmap copy;
        copy.pixels = bitmap.pixels;  // copies through the same allocator
        EXPECT_EQ(copy.pixels, bitmap.pixels) << width;
    }
}

// Files made by other encoders, against giflib's gif2rgb (its output is the .rgb next to each).
// gif2rgb paints transparent pixels in their table colour; those are compared through the mask.
TEST(GifDecoder, MatchesGiflibInEveryPieceSize) {
    for (const char* name :
         {"banner.gif", "interlaced.gif", "transparent.gif", "local-interlaced-transparent.gif"}) {
        const Bytes gif = ReadFixture(name);
        const Bytes rgb = ReadFixture(std::string(name) + ".rgb");
        for (std::size_t piece : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{7},
                                  std::size_t{255}, std::size_t{256}}) {
            auto decoded = Decode<GifDecoder>(gif, piece);
            ASSERT_EQ(decoded.status, DecodeStatus::kDone) << name;
            const CImageBitmap& bitmap = *decoded.bitmap;
            ASSERT_EQ(rgb.size(), static_cast<std::size_t>(bitmap.width) * bitmap.height * 3)
                << name;
            int masked = 0;
            for (int y = 0; y < bitmap.height; ++y) {
                for (int x = 0; x < bitmap.width; ++x) {
                    const std::size_t at = (static_cast<std::size_t>(y) * bitmap.width + x) * 3;
                    if (!bitmap.mask.empty() && bitmap.mask[at / 3] != 0) {
                        ++masked;
                        continue;
                    }
                    ASSERT_EQ(Rgb(bitmap, x, y), MakePixel(rgb[at], rgb[at + 1], rgb[at + 2]))
                        << name << " piece " << piece << " at " << x << "," << y;
                }
            }
            EXPECT_EQ(masked > 0, !bitmap.mask.empty()) << name;
        }
    }
}

}  // namespace
}  // namespace corvane::images

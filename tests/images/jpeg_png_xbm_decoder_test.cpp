#include <gtest/gtest.h>

#include <cstdlib>

#include "images/jpeg_decoder.h"
#include "images/png_decoder.h"
#include "images/xbm_decoder.h"
#include "tests/images/image_fixtures.h"

namespace corvane::images {
namespace {

using testing::Bytes;
using testing::Decode;
using testing::ReadFixture;
using testing::Rgb;

// The pixels of a binary PPM or PGM (P6 or P5, maxval 255), as written by djpeg.
std::vector<std::uint32_t> ReadPpm(const std::string& name, int& width, int& height) {
    const Bytes ppm = ReadFixture(name);
    std::string header(ppm.begin(), ppm.begin() + std::min<std::size_t>(ppm.size(), 64));
    int kind = 0;
    int maxval = 0;
    int consumed = 0;
    EXPECT_EQ(
        std::sscanf(header.c_str(), "P%d %d %d %d%n", &kind, &width, &height, &maxval, &consumed),
        4);
    const std::size_t step = kind == 5 ? 1 : 3;
    std::vector<std::uint32_t> pixels;
    for (std::size_t at = static_cast<std::size_t>(consumed) + 1; at + step <= ppm.size();
         at += step)
        pixels.push_back(MakePixel(ppm[at], ppm[at + step / 2], ppm[at + step - 1]));
    return pixels;
}

bool Near(std::uint32_t a, std::uint32_t b) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                     static_cast<int>((b >> shift) & 0xFF)) > 2)
            return false;
    return true;
}

// Baseline, progressive, greyscale, restart markers, and a file whose first marker after the
// start of image is a quantisation table; against libjpeg-turbo's djpeg.
TEST(JpegDecoder, MatchesDjpegInPieces) {
    for (const char* name :
         {"python.jpg", "progressive.jpg", "gray.jpg", "restart.jpg", "no-app-marker.jpg"}) {
        int width = 0;
        int height = 0;
        const std::vector<std::uint32_t> expected =
            ReadPpm(std::string(name) + ".ppm", width, height);
        const Bytes jpeg = ReadFixture(name);
        for (std::size_t piece :
             {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{100}}) {
            auto decoded = Decode<JpegDecoder>(jpeg, piece);
            ASSERT_EQ(decoded.status, DecodeStatus::kDone) << name << " piece " << piece;
            const CImageBitmap& bitmap = *decoded.bitmap;
            ASSERT_EQ(bitmap.width, width);
            ASSERT_EQ(bitmap.height, height);
            ASSERT_EQ(expected.size(), static_cast<std::size_t>(width) * height);
            EXPECT_EQ(bitmap.rowsReady, height);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    ASSERT_TRUE(
                        Near(Rgb(bitmap, x, y), expected[static_cast<std::size_t>(y) * width + x]))
                        << name << " at " << x << "," << y;
        }
    }
}

// Rows show only when the data ends; cut short, the rows decoded so far stay.
TEST(JpegDecoder, VisibleOnlyWhenItsDataEndsAndTruncatedKeepsItsRows) {
    const Bytes jpeg = ReadFixture("restart.jpg");
    CImageBitmap bitmap;
    JpegDecoder decoder(bitmap);
    ASSERT_EQ(decoder.Feed(jpeg.data(), jpeg.size() - 2), DecodeStatus::kMore);
    EXPECT_TRUE(bitmap.HasSize());
    EXPECT_EQ(bitmap.rowsReady, 0);
    EXPECT_EQ(decoder.Feed(jpeg.data() + jpeg.size() - 2, 2), DecodeStatus::kDone);
    EXPECT_EQ(bitmap.rowsReady, bitmap.height);

    const Bytes half(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() / 2));
    auto decoded = Decode<JpegDecoder>(half);
    EXPECT_EQ(decoded.status, DecodeStatus::kFailed);
    EXPECT_GT(decoded.bitmap->rowsReady, 0);
    EXPECT_LT(decoded.bitmap->rowsReady, decoded.bitmap->height);
}

TEST(JpegDecoder, DamagedFileFailsWithTheLibrarysMessage) {
    Bytes jpeg = ReadFixture("python.jpg");
    jpeg[0] = 0x00;
    CImageBitmap bitmap;
    JpegDecoder decoder(bitmap);
    EXPECT_EQ(decoder.Feed(jpeg.data(), jpeg.size()), DecodeStatus::kFailed);
    EXPECT_FALSE(decoder.ErrorText().empty());
}

TEST(PngDecoder, PaletteAndTransparencyInEveryPieceSize) {
    for (const char* name : {"python.png", "alpha.png"}) {
        const Bytes png = ReadFixture(name);
        const Bytes rgba = ReadFixture(std::string(name) + ".rgba");
        for (std::size_t piece = 1; piece <= png.size(); piece += piece < 16 ? 1 : 97) {
            auto decoded = Decode<PngDecoder>(png, piece);
            ASSERT_EQ(decoded.status, DecodeStatus::kDone) << name;
            const CImageBitmap& bitmap = *decoded.bitmap;
            ASSERT_EQ(rgba.size(), static_cast<std::size_t>(bitmap.width) * bitmap.height * 4);
            ASSERT_EQ(bitmap.mask.size(), rgba.size() / 4);
            for (std::size_t i = 0; i < bitmap.mask.size(); ++i) {
                ASSERT_EQ(bitmap.mask[i], 255 - rgba[4 * i + 3]) << name << " pixel " << i;
                if (rgba[4 * i + 3] != 0) {
                    ASSERT_EQ(bitmap.pixels[i] & 0xFFFFFF,
                              MakePixel(rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2]));
                }
            }
        }
    }
}

// libpng checks a chunk's checksum only after decoding its data; a bad one must not make the
// picture depend on how the data arrived, so checksums are not held against the file.
TEST(PngDecoder, DamagedChecksumsDecodeTheSameInEveryPieceSize) {
    Bytes png = ReadFixture("python.png");
    const std::string text(png.begin(), png.end());
    const std::size_t idat = text.find("IDAT");
    ASSERT_NE(idat, std::string::npos);
    const std::size_t length = (std::size_t{png[idat - 2]} << 8) | png[idat - 1];
    png[idat + 4 + length] ^= 0xFF;      // the chunk's CRC
    png[idat + 4 + length - 1] ^= 0xFF;  // the compressed stream's Adler-32
    const auto whole = Decode<PngDecoder>(png);
    ASSERT_EQ(whole.status, DecodeStatus::kDone);
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{64}}) {
        const auto pieces = Decode<PngDecoder>(png, piece);
        EXPECT_EQ(pieces.status, DecodeStatus::kDone);
        EXPECT_EQ(pieces.bitmap->pixels, whole.bitmap->pixels) << piece;
    }
}

TEST(PngDecoder, HugeHeaderFails) {
    Bytes png = ReadFixture("python.png");
    // IHDR width 40000 (the chunk's CRC is then wrong too; either way the file must fail).
    png[16] = 0;
    png[17] = 0;
    png[18] = 0x9C;
    png[19] = 0x40;
    auto decoded = Decode<PngDecoder>(png);
    EXPECT_EQ(decoded.status, DecodeStatus::kFailed);
    EXPECT_FALSE(decoded.bitmap->IsAllocated());
}

Bytes Text(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// Which pixels of a row are black (drawn) rather than transparent.
std::string Drawn(const CImageBitmap& bitmap, int y) {
    std::string row;
    for (int x = 0; x < bitmap.width; ++x)
        row += bitmap.mask[static_cast<std::size_t>(y) * bitmap.width + x] ? '.' : '#';
    return row;
}

TEST(XbmDecoder, Rows) {
    struct Case {
        const char* name;
        const char* text;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {"width 10 takes two 8-bit values a row",
         "#define foo_width 10\n#define foo_height 2\nstatic char foo_bits[] = {\n"
         "0x01, 0x03, 0xff, 0x02 };\n",
         {"#.......##", "########.#"}},
        {"short values give 16 pixels each",
         "#define x_width 12\n#define x_height 1\nstatic short x_bits[] = { 0x0801 };\n",
         {"#..........#"}},
        {"values past the last row, on the declaration line, are ignored",
         "#define a_width 8\n#define a_height 1\nstatic char a_bits[] = { 0x01, 0x02, 0x03 };\n",
         {"#......."}},
        {"unsigned char, CR LF, values on the declaration line",
         "\t#define a_b_width 3\r\n#define a_b_height 1\r\nstatic unsigned char a_b_bits[] = "
         "{0x5};\r\n",
         {"#.#"}},
    };
    for (const Case& c : cases) {
        const Bytes xbm = Text(c.text);
        for (std::size_t piece = 1; piece <= xbm.size(); ++piece) {
            auto decoded = Decode<XbmDecoder>(xbm, piece);
            ASSERT_EQ(decoded.status, DecodeStatus::kDone) << c.name;
            ASSERT_EQ(decoded.bitmap->height, static_cast<int>(c.rows.size()));
            for (int y = 0; y < decoded.bitmap->height; ++y)
                EXPECT_EQ(Drawn(*decoded.bitmap, y), c.rows[y]) << c.name;
        }
    }
}

TEST(XbmDecoder, RealFileAndMissingSizes) {
    auto decoded = Decode<XbmDecoder>(ReadFixture("python.xbm"));
    ASSERT_EQ(decoded.status, DecodeStatus::kDone);
    EXPECT_EQ(decoded.bitmap->width, 16);
    EXPECT_EQ(decoded.bitmap->rowsReady, 16);
    for (const char* text :
         {"#define a_width 8\nstatic char a_bits[] = { 0x01 };\n",
          "#define a_width 40000\n#define a_height 40000\nstatic char a_bits[] = { 0x01 };\n"}) {
        auto missing = Decode<XbmDecoder>(Text(text));
        EXPECT_EQ(missing.status, DecodeStatus::kFailed) << text;
        EXPECT_FALSE(missing.bitmap->IsAllocated());
    }
}

}  // namespace
}  // namespace corvane::images

#pragma once
// Shared by the image tests: fixture files, decoding in pieces, and a small GIF writer whose
// LZW stream never grows past the first code size (a clear code before the table would grow),
// so tests can build exactly the file they need.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "images/image_bitmap.h"
#include "images/image_decoder.h"

namespace corvane::images::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ReadFixture(const std::string& name) {
    std::ifstream in(std::string(CORVANE_SOURCE_DIR) + "/tests/images/fixtures/" + name,
                     std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

struct Decoded {
    std::unique_ptr<CImageBitmap> bitmap = std::make_unique<CImageBitmap>();
    DecodeStatus status = DecodeStatus::kMore;
};

// Feeds the data in pieces of `piece` bytes (0: all at once), then ends it.
template <class Decoder>
Decoded Decode(const Bytes& data, std::size_t piece = 0) {
    Decoded result;
    Decoder decoder(*result.bitmap);
    if (piece == 0) piece = data.size() + 1;
    for (std::size_t at = 0; at < data.size() && result.status == DecodeStatus::kMore;
         at += piece) {
        const std::size_t length = std::min(piece, data.size() - at);
        result.status = decoder.Feed(data.data() + at, length);
    }
    if (result.status == DecodeStatus::kMore) result.status = decoder.End();
    return result;
}

struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool interlaced = false;
    std::vector<std::uint32_t> localTable;  // RGB as 0xRRGGBB; empty: the global table
    std::vector<int> pixels;                // in stream order
    int transparentIndex = -1;
};

inline GifFrame Frame(int width, int height, std::vector<int> pixels, int left = 0, int top = 0) {
    GifFrame frame;
    frame.left = left;
    frame.top = top;
    frame.width = width;
    frame.height = height;
    frame.pixels = std::move(pixels);
    return frame;
}

template <class Change>
GifFrame With(GifFrame frame, Change&& change) {
    change(frame);
    return frame;
}

inline void PutWord(Bytes& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

inline int TableBits(std::size_t entries) {
    int bits = 1;
    while ((std::size_t{1} << bits) < entries) ++bits;
    return bits;
}

inline void PutTable(Bytes& out, const std::vector<std::uint32_t>& table) {
    const std::size_t entries = std::size_t{1} << TableBits(table.size());
    for (std::size_t i = 0; i < entries; ++i) {
        const std::uint32_t rgb = i < table.size() ? table[i] : 0;
        out.insert(out.end(),
                   {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                    static_cast<std::uint8_t>(rgb)});
    }
}

// Codes of minimum + 1 bits, least significant first, cut into sub-blocks.
inline void PutImageData(Bytes& out, int minimum, const std::vector<int>& pixels) {
    const int clear = 1 << minimum;
    Bytes packed;
    std::uint32_t bits = 0;
    int count = 0;
    auto code = [&](int value) {
        bits |= static_cast<std::uint32_t>(value) << count;
        for (count += minimum + 1; count >= 8; count -= 8, bits >>= 8)
            packed.push_back(static_cast<std::uint8_t>(bits));
    };
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (i % static_cast<std::size_t>(clear - 2) == 0) code(clear);
        code(pixels[i]);
    }
    code(clear + 1);
    if (count > 0) packed.push_back(static_cast<std::uint8_t>(bits));
    out.push_back(static_cast<std::uint8_t>(minimum));
    for (std::size_t at = 0; at < packed.size(); at += 255) {
        const std::size_t length = std::min<std::size_t>(255, packed.size() - at);
        out.push_back(static_cast<std::uint8_t>(length));
        out.insert(out.end(), packed.begin() + static_cast<std::ptrdiff_t>(at),
                   packed.begin() + static_cast<std::ptrdiff_t>(at + length));
    }
    out.push_back(0);
}

inline Bytes WriteGif(int width, int height, const std::vector<std::uint32_t>& globalTable,
                      const std::vector<GifFrame>& frames, const Bytes& extensions = {}) {
    Bytes out{'G', 'I', 'F', '8', '9', 'a'};
    PutWord(out, width);
    PutWord(out, height);
    const bool hasGlobal = !globalTable.empty();
    out.push_back(
        static_cast<std::uint8_t>(hasGlobal ? 0x80 | (TableBits(globalTable.size()) - 1) : 0));
    out.push_back(0);
    out.push_back(0);
    if (hasGlobal) PutTable(out, globalTable);
    out.insert(out.end(), extensions.begin(), extensions.end());
    for (const GifFrame& frame : frames) {
        if (frame.transparentIndex >= 0)
            out.insert(out.end(), {0x21, 0xF9, 4, 1, 0, 0,
                                   static_cast<std::uint8_t>(frame.transparentIndex), 0});
        out.push_back(0x2C);
        PutWord(out, frame.left);
        PutWord(out, frame.top);
        PutWord(out, frame.width);
        PutWord(out, frame.height);
        const auto& table = frame.localTable.empty() ? globalTable : frame.localTable;
        int flags = frame.interlaced ? 0x40 : 0;
        if (!frame.localTable.empty()) flags |= 0x80 | (TableBits(table.size()) - 1);
        out.push_back(static_cast<std::uint8_t>(flags));
        if (!frame.localTable.empty()) PutTable(out, frame.localTable);
        PutImageData(out, std::max(2, TableBits(table.size())), frame.pixels);
    }
    out.push_back(0x3B);
    return out;
}

inline std::uint32_t Rgb(const CImageBitmap& bitmap, int x, int y) {
    return bitmap.Row(y)[x] & 0xFFFFFF;
}

}  // namespace corvane::images::testing

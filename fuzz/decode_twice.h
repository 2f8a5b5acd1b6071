#pragma once
// Decodes the input twice, whole and cut into pieces whose size comes from the input's last byte,
// and stops the run when the two pictures differ: decoding must not depend on how data arrives.
// With `comparePixels` off only the outcome and the size are compared (libpng hands out the rows
// of a damaged compressed stream differently depending on how it arrived).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "images/image_bitmap.h"
#include "images/image_decoder.h"

template <class Decoder>
corvane::images::DecodeStatus DecodeIn(corvane::images::CImageBitmap& bitmap,
                                       const std::uint8_t* data, std::size_t size,
                                       std::size_t piece) {
    Decoder decoder(bitmap);
    corvane::images::DecodeStatus status = corvane::images::DecodeStatus::kMore;
    for (std::size_t at = 0; at < size && status == corvane::images::DecodeStatus::kMore;
         at += piece)
        status = decoder.Feed(data + at, std::min(piece, size - at));
    if (status == corvane::images::DecodeStatus::kMore) status = decoder.End();
    return status;
}

template <class Decoder>
int DecodeTwice(const std::uint8_t* data, std::size_t size, bool comparePixels = true) {
    using corvane::images::CImageBitmap;
    CImageBitmap whole;
    CImageBitmap pieces;
    const std::size_t piece = size > 0 ? 1 + data[size - 1] % 64 : 1;
    const auto first = DecodeIn<Decoder>(whole, data, size, size + 1);
    const auto second = DecodeIn<Decoder>(pieces, data, size, piece);
    if (first != second || whole.width != pieces.width || whole.height != pieces.height ||
        (comparePixels && (whole.rowsReady != pieces.rowsReady || whole.pixels != pieces.pixels ||
                           whole.mask != pieces.mask)))
        std::abort();
    return 0;
}

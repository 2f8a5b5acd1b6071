// The PNG decoder on any input: no fault, bounded memory, and the same outcome and size whatever
// the pieces the data arrives in.

#include "fuzz/decode_twice.h"
#include "images/png_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return DecodeTwice<corvane::images::PngDecoder>(data, size, false);
}

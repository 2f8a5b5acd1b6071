// The JPEG decoder on any input: no fault, bounded memory, and the same picture whatever the
// pieces the data arrives in.

#include "fuzz/decode_twice.h"
#include "images/jpeg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return DecodeTwice<corvane::images::JpegDecoder>(data, size);
}

// Any bytes decoded in any character set, whole and in pieces: no crash, well-formed UTF-8 out,
// output in proportion to the input, and the same text however the bytes are split into blocks.
// The first byte chooses the declared character set and whether META is read; the second the
// sizes of the pieces.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "html/charset_decoder.h"
#include "platform/utf8.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

constexpr std::string_view kDeclared[] = {"",       "utf-8",    "windows-1252", "Shift_JIS",
                                          "koi8-r", "utf-16le", "GB18030",      "EUC-JP",
                                          "big5",   "utf-16",   "iso-2022-jp",  "x-unknown"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::string_view declared = kDeclared[data[0] % std::size(kDeclared)];
    const bool readsMeta = (data[0] & 0x80) != 0;
    const std::size_t piece = 1 + data[1] % 17;
    const std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);

    std::string whole;
    corvane::html::CharsetDecoder once(declared, readsMeta);
    once.Decode(input, whole);
    once.Finish(whole);
    Check(corvane::IsValidUtf8(whole));
    Check(whole.size() <= 3 * input.size() + 3);

    std::string pieces;
    corvane::html::CharsetDecoder split(declared, readsMeta);
    for (std::size_t at = 0; at < input.size(); at += piece) {
        split.Decode(input.substr(at, piece), pieces);
    }
    split.Finish(pieces);
    Check(pieces == whole);
    Check(split.Charset() == once.Charset());
    return 0;
}

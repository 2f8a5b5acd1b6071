#pragma once
// UTF-8, the program's one text encoding inside, and Windows-1252, the single-byte reading of
// bytes that are not UTF-8 (which is how "ISO-8859-1" is read everywhere). They live in the top
// namespace beside the ASCII helpers so that every layer uses the same ones.

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Appends the code point as UTF-8; surrogates and values beyond U+10FFFF become U+FFFD.
void AppendUtf8(std::string& out, char32_t codePoint);
// Writes the code point as UTF-8 to `out` (room for 4 bytes) and answers the bytes written;
// surrogates and values beyond U+10FFFF are written as U+FFFD.
std::size_t EncodeUtf8(char32_t codePoint, char* out);

// The UTF-8 sequence at the start of `text`: a well-formed character (`valid`, `length` 1 to 4);
// a proper prefix of one that the end of `text` cut short (`incomplete`, `length` the bytes
// there); or malformed bytes, `length` being the longest stretch that began a character and
// reads as one U+FFFD (at least 1).
struct Utf8Sequence {
    std::size_t length = 0;
    bool valid = false;
    bool incomplete = false;
};
Utf8Sequence ScanUtf8(std::string_view text);
bool IsValidUtf8(std::string_view text);

// The code point at the start of `text` and its length; malformed bytes read as one U+FFFD.
char32_t DecodeUtf8(std::string_view text, std::size_t* length);

// East Asian wide and full-width characters (ideographs, kana, Hangul syllables, full-width
// forms), which take two columns of a fixed-pitch line.
bool IsWideCharacter(char32_t codePoint);
// The columns a fixed-pitch line gives the text: one per character, two per wide one.
std::size_t DisplayColumns(std::string_view text);

char32_t Windows1252ToUnicode(unsigned char byte);
// Valid UTF-8 as it is; anything else read byte by byte as Windows-1252. For names that come with
// no character set of their own, such as file names.
std::string DisplayUtf8(std::string_view bytes);

}  // namespace corvane

#pragma once
// Turns a document's bytes into UTF-8 as they arrive. The character set is, in this order: the
// one the protocol was told (a content type's charset parameter), a byte-order mark, a META tag
// within the first kPrescanBytes bytes (HTML only), and otherwise detection: text whose first
// non-ASCII bytes are well-formed UTF-8 is UTF-8, anything else Windows-1252 (which is also how
// "ISO-8859-1" and "US-ASCII" are read). Other character sets go through iconv; a name nobody
// knows counts as no name. Malformed bytes become U+FFFD, so nothing is dropped silently.
//
// Bytes are held back while the character set is undecided (at most kPrescanBytes) and when a
// block ends inside a character; Finish decodes what is left.

#include <iconv.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::html {

class CharsetDecoder {
  public:
    static constexpr std::size_t kPrescanBytes = 1024;

    // `declared`: the charset the protocol was told, or empty. `readsMeta`: the data is HTML.
    CharsetDecoder(std::string_view declared, bool readsMeta);
    ~CharsetDecoder();
    CharsetDecoder(const CharsetDecoder&) = delete;
    CharsetDecoder& operator=(const CharsetDecoder&) = delete;

    // Appends the UTF-8 text of the next bytes to `out`.
    void Decode(std::string_view bytes, std::string& out);
    // The data ended: the bytes held back are decoded; an unfinished character is U+FFFD.
    void Finish(std::string& out);

    // The character set in use ("UTF-8", "windows-1252" or the name iconv was opened with);
    // empty while undecided.
    const std::string& Charset() const { return charset_; }

  private:
    enum class Mode { kUndecided, kUtf8, kDetecting, kWindows1252, kIconv };

    bool Use(std::string_view name);
    void Decide();
    void DecodeDecided(std::string_view bytes, std::string& out);
    void DecodeAfterMark(std::string& out);
    // Answers the bytes used; stops early only when detection falls back to Windows-1252.
    std::size_t DecodeUtf8Run(std::string_view bytes, std::string& out);
    void DecodeWindows1252(std::string_view bytes, std::string& out);
    void DecodeIconv(std::string_view bytes, std::string& out);

    Mode mode_ = Mode::kUndecided;
    bool readsMeta_;
    std::string charset_;
    std::string held_;
    bool markPending_ = false;  // declared UTF-8: a byte-order mark may still come first
    iconv_t iconv_ = reinterpret_cast<iconv_t>(-1);  // (iconv_t)-1: none open
    std::size_t iconvUnit_ = 1;                      // bytes skipped after a malformed sequence
};

}  // namespace corvane::html

#include "html/charset_decoder.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "html/charset_sniffing.h"
#include "platform/ascii.h"
#include "platform/utf8.h"

namespace corvane::html {
namespace {

const iconv_t kNoIconv = reinterpret_cast<iconv_t>(-1);
// Longer names are not character sets; the limit also keeps odd server texts away from iconv.
constexpr std::size_t kLongestName = 40;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
    for (std::string_view candidate : names) {
        if (name == candidate) return true;
    }
    return false;
}

// Labels whose documents are written in a larger character set than the label says, the way
// browsers read them (Shift_JIS pages use Windows-31J, GB2312 pages GBK, and so on).
std::string_view IconvName(std::string_view name) {
    if (IsOneOf(name, {"shift_jis", "shift-jis", "sjis", "x-sjis", "ms_kanji", "csshiftjis",
                       "windows-31j", "ms932"})) {
        return "CP932";
    }
    if (IsOneOf(name, {"gb2312", "gbk", "x-gbk", "chinese", "csgb2312", "gb_2312-80"})) {
        return "GB18030";
    }
    if (IsOneOf(name, {"euc-kr", "ks_c_5601-1987", "korean", "cseuckr", "windows-949"})) {
        return "CP949";
    }
    if (IsOneOf(name, {"big5", "big5-hkscs", "x-x-big5", "cn-big5", "csbig5"})) {
        return "BIG5-HKSCS";
    }
    if (IsOneOf(name, {"iso-8859-9", "latin5", "l5"})) return "WINDOWS-1254";
    if (IsOneOf(name, {"tis-620", "iso-8859-11", "windows-874"})) return "CP874";
    if (IsOneOf(name, {"iso-8859-8-i", "logical"})) return "ISO-8859-8";
    if (IsOneOf(name, {"x-mac-roman", "mac"})) return "MACINTOSH";
    return name;
}

// The UTF-8 form of Windows-1252's upper half.
struct Windows1252Utf8 {
    std::array<std::array<char, 3>, 128> bytes{};
    std::array<std::uint8_t, 128> length{};
};

Windows1252Utf8 MakeWindows1252Utf8() {
    Windows1252Utf8 table;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        char encoded[4];
        const std::size_t length =
            EncodeUtf8(Windows1252ToUnicode(static_cast<unsigned char>(byte)), encoded);
        std::memcpy(table.bytes[byte - 0x80].data(), encoded, length);
        table.length[byte - 0x80] = static_cast<std::uint8_t>(length);
    }
    return table;
}

const Windows1252Utf8 kWindows1252Utf8 = MakeWindows1252Utf8();

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// The end of the run of ASCII bytes starting at `i`.
std::size_t SkipAscii(const unsigned char* data, std::size_t i, std::size_t size) {
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, 8);
        if ((word & kHighBits) != 0) break;
    }
    while (i < size && data[i] < 0x80) ++i;
    return i;
}

}  // namespace

CharsetDecoder::CharsetDecoder(std::string_view declared, bool readsMeta) : readsMeta_(readsMeta) {
    // A mark in front of text declared UTF-8 says nothing more; it is dropped.
    markPending_ = Use(declared) && mode_ == Mode::kUtf8;
}

CharsetDecoder::~CharsetDecoder() {
    if (iconv_ != kNoIconv) iconv_close(iconv_);
}

bool CharsetDecoder::Use(std::string_view label) {
    while (!label.empty() && IsAsciiSpace(label.front())) label.remove_prefix(1);
    while (!label.empty() && IsAsciiSpace(label.back())) label.remove_suffix(1);
    if (label.empty() || label.size() > kLongestName) return false;
    for (char c : label) {
        if (!IsAsciiAlnum(c) && c != '-' && c != '_' && c != '.' && c != ':') return false;
    }
    const std::string name = AsciiLower(label);
    if (IsOneOf(name, {"utf-8", "utf8", "unicode-1-1-utf-8", "x-unicode20utf8"})) {
        mode_ = Mode::kUtf8;
        charset_ = "UTF-8";
        return true;
    }
    if (IsOneOf(name, {"windows-1252", "cp1252", "x-cp1252", "iso-8859-1", "iso8859-1",
                       "iso_8859-1", "iso_8859-1:1987", "latin1", "l1", "iso-ir-100", "cp819",
                       "ibm819", "csisolatin1", "us-ascii", "ascii", "ansi_x3.4-1968"})) {
        mode_ = Mode::kWindows1252;
        charset_ = "windows-1252";
        return true;
    }
    const std::string iconvName(IconvName(name));
    const iconv_t opened = iconv_open("UTF-8", iconvName.c_str());
    if (opened == kNoIconv) return false;
    iconv_ = opened;
    mode_ = Mode::kIconv;
    charset_ = iconvName;
    iconvUnit_ = name.starts_with("utf-16") || name.starts_with("ucs-2")   ? 2
                 : name.starts_with("utf-32") || name.starts_with("ucs-4") ? 4
                                                                           : 1;
    return true;
}

void CharsetDecoder::Decide() {
    const ByteOrderMark mark = FindByteOrderMark(held_);
    if (!mark.charset.empty()) {
        Use(mark.charset);
        held_.erase(0, mark.length);
        return;
    }
    if (readsMeta_) {
        std::string_view named = FindMetaCharset(std::string_view(held_).substr(0, kPrescanBytes));
        // A META that could be read as ASCII was not written in UTF-16.
        if (StartsWithIgnoreCase(named, "utf-16")) named = "UTF-8";
        if (!named.empty() && Use(named)) return;
    }
    mode_ = Mode::kDetecting;
    charset_ = "UTF-8";
}

void CharsetDecoder::Decode(std::string_view bytes, std::string& out) {
    if (markPending_) {
        held_.append(bytes);
        if (held_.size() < kUtf8Mark.size() && kUtf8Mark.starts_with(held_)) return;
        DecodeAfterMark(out);
        return;
    }
    if (mode_ != Mode::kUndecided) {
        DecodeDecided(bytes, out);
        return;
    }
    held_.append(bytes);
    const bool enough = held_.size() >= kPrescanBytes ||
                        !FindByteOrderMark(held_).charset.empty() ||
                        (!readsMeta_ && held_.size() >= 3);
    if (!enough) return;
    Decide();
    const std::string start = std::move(held_);
    held_.clear();
    DecodeDecided(start, out);
}

void CharsetDecoder::DecodeAfterMark(std::string& out) {
    markPending_ = false;
    std::string start = std::move(held_);
    held_.clear();
    if (start.starts_with(kUtf8Mark)) start.erase(0, kUtf8Mark.size());
    DecodeDecided(start, out);
}

void CharsetDecoder::Finish(std::string& out) {
    if (markPending_) DecodeAfterMark(out);
    if (mode_ == Mode::kUndecided) {
        Decide();
        const std::string start = std::move(held_);
        held_.clear();
        DecodeDecided(start, out);
    }
    if (held_.empty()) return;
    if (mode_ == Mode::kDetecting) {
        mode_ = Mode::kWindows1252;
        charset_ = "windows-1252";
        DecodeWindows1252(held_, out);
    } else {
        AppendUtf8(out, kReplacementCharacter);
    }
    held_.clear();
}

void CharsetDecoder::DecodeDecided(std::string_view bytes, std::string& out) {
    switch (mode_) {
        case Mode::kWindows1252:
            DecodeWindows1252(bytes, out);
            return;
        case Mode::kIconv:
            DecodeIconv(bytes, out);
            return;
        default:
            break;
    }
    if (!held_.empty()) {
        // Finish the character the last block cut; held_ is the start of a well-formed one.
        const std::size_t heldSize = held_.size();
        std::string joined = held_;
        joined.append(bytes.substr(0, 4 - heldSize));
        held_.clear();
        const Utf8Sequence sequence = ScanUtf8(joined);
        if (sequence.incomplete) {
            held_ = std::move(joined);
            return;
        }
        if (!sequence.valid && mode_ == Mode::kDetecting) {
            mode_ = Mode::kWindows1252;
            charset_ = "windows-1252";
            DecodeWindows1252(joined.substr(0, heldSize), out);
            DecodeWindows1252(bytes, out);
            return;
        }
        if (sequence.valid) {
            out.append(joined, 0, sequence.length);
            mode_ = Mode::kUtf8;
        } else {
            AppendUtf8(out, kReplacementCharacter);
        }
        bytes.remove_prefix(sequence.length - heldSize);
    }
    const std::size_t used = DecodeUtf8Run(bytes, out);
    if (used < bytes.size()) DecodeWindows1252(bytes.substr(used), out);
}

std::size_t CharsetDecoder::DecodeUtf8Run(std::string_view bytes, std::string& out) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t runStart = 0;
    std::size_t i = 0;
    for (;;) {
        i = SkipAscii(data, i, size);
        if (i == size) break;
        const Utf8Sequence sequence = ScanUtf8(bytes.substr(i));
        if (sequence.valid) {
            if (mode_ == Mode::kDetecting) mode_ = Mode::kUtf8;
            i += sequence.length;
            continue;
        }
        out.append(bytes.substr(runStart, i - runStart));
        if (sequence.incomplete) {
            held_.assign(bytes.substr(i));
            return size;
        }
        if (mode_ == Mode::kDetecting) {
            mode_ = Mode::kWindows1252;
            charset_ = "windows-1252";
            return i;
        }
        AppendUtf8(out, kReplacementCharacter);
        i += sequence.length;
        runStart = i;
    }
    out.append(bytes.substr(runStart));
    return size;
}

void CharsetDecoder::DecodeWindows1252(std::string_view bytes, std::string& out) {
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    while (i < size) {
        const std::size_t asciiEnd = SkipAscii(data, i, size);
        out.append(bytes.substr(i, asciiEnd - i));
        for (i = asciiEnd; i < size && data[i] >= 0x80; ++i) {
            const std::size_t index = data[i] - 0x80;
            out.append(kWindows1252Utf8.bytes[index].data(), kWindows1252Utf8.length[index]);
        }
    }
}

void CharsetDecoder::DecodeIconv(std::string_view bytes, std::string& out) {
    std::string joined;
    if (!held_.empty()) {
        joined = std::move(held_);
        held_.clear();
        joined.append(bytes);
        bytes = joined;
    }
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        // No character set of iconv's needs more than 4 UTF-8 bytes for one input byte.
        const std::size_t start = out.size();
        out.resize(start + inLeft * 4 + 16);
        char* to = out.data() + start;
        std::size_t toLeft = out.size() - start;
        const std::size_t result = iconv(iconv_, &in, &inLeft, &to, &toLeft);
        out.resize(out.size() - toLeft);
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        if (errno == EINVAL) {
            // The block ends inside a character.
            held_.assign(in, inLeft);
            return;
        }
        AppendUtf8(out, kReplacementCharacter);
        const std::size_t skip = std::min(iconvUnit_, inLeft);
        in += skip;
        inLeft -= skip;
    }
}

}  // namespace corvane::html

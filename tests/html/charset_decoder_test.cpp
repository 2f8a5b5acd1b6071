#include "html/charset_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane::html {
namespace {

struct Decoded {
    std::string text;
    std::string charset;
};

Decoded Decode(std::string_view declared, bool html, const std::vector<std::string>& pieces) {
    CharsetDecoder decoder(declared, html);
    Decoded decoded;
    for (const std::string& piece : pieces) decoder.Decode(piece, decoded.text);
    decoder.Finish(decoded.text);
    decoded.charset = decoder.Charset();
    return decoded;
}

const std::string kPadding(CharsetDecoder::kPrescanBytes, ' ');

struct NamingCase {
    const char* name;
    std::string declared;
    bool html;
    std::string input;
    std::string text;
    std::string charset;
};

class CharsetNaming : public testing::TestWithParam<NamingCase> {};

TEST_P(CharsetNaming, DecodesToUtf8) {
    const NamingCase& c = GetParam();
    const Decoded decoded = Decode(c.declared, c.html, {c.input});
    EXPECT_EQ(decoded.text, c.text);
    EXPECT_EQ(decoded.charset, c.charset);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, CharsetNaming,
    testing::Values(
        NamingCase{"DeclaredUtf8", "utf-8", false, "caf\xC3\xA9", "caf\u00E9", "UTF-8"},
        NamingCase{"DeclaredLatin1IsWindows1252", "ISO-8859-1", false, "\x93q\x94 \xE9",
                   "\u201Cq\u201D \u00E9", "windows-1252"},
        NamingCase{"DeclaredKoi8r", " KOI8-R ", false, "\xF0\xD2\xC9\xD7\xC5\xD4",
                   "\u041F\u0440\u0438\u0432\u0435\u0442", "koi8-r"},
        NamingCase{"DeclaredShiftJisKeepsBackslash", "Shift_JIS", false, "\x93\xFA\x96{\\",
                   "\u65E5\u672C\\", "CP932"},
        NamingCase{"DeclaredBeatsMeta", "windows-1251", true, "<meta charset=utf-8>\xC0",
                   "<meta charset=utf-8>\u0410", "windows-1251"},
        NamingCase{"UnknownDeclaredFallsBackToDetection", "x-no-such-set", false, "\xC3\xA9",
                   "\u00E9", "UTF-8"},
        NamingCase{"Utf8MarkIsDropped", "", false, "\xEF\xBB\xBFok", "ok", "UTF-8"},
        NamingCase{"Utf16Mark", "", false, std::string("\xFF\xFEh\0\x16\x04", 6), "h\u0416",
                   "utf-16le"},
        NamingCase{"MarkBeatsMeta", "", true, "\xEF\xBB\xBF<meta charset=koi8-r>\xC3\xA9",
                   "<meta charset=koi8-r>\u00E9", "UTF-8"},
        NamingCase{"MetaCharset", "", true, "<head><META CHARSET=\"koi8-r\">\xF0",
                   "<head><META CHARSET=\"koi8-r\">\u041F", "koi8-r"},
        NamingCase{"MetaHttpEquiv", "", true,
                   "<meta http-equiv=Content-Type content='text/html; charset=iso-8859-5'>\xB0",
                   "<meta http-equiv=Content-Type content='text/html; charset=iso-8859-5'>"
                   "\u0410",
                   "iso-8859-5"},
        NamingCase{"MetaInACommentIsIgnored", "", true, "<!-- <meta charset=koi8-r> -->\xC3\xA9",
                   "<!-- <meta charset=koi8-r> -->\u00E9", "UTF-8"},
        NamingCase{"MetaUtf16MeansUtf8", "", true, "<meta charset=utf-16>\xC3\xA9",
                   "<meta charset=utf-16>\u00E9", "UTF-8"},
        NamingCase{"MetaAfterThePrescanIsIgnored", "", true,
                   kPadding + "<meta charset=koi8-r>\xC3\xA9",
                   kPadding + "<meta charset=koi8-r>\u00E9", "UTF-8"},
        NamingCase{"MetaInPlainTextIsText", "", false, "<meta charset=koi8-r>\xC3\xA9",
                   "<meta charset=koi8-r>\u00E9", "UTF-8"},
        NamingCase{"DetectedWindows1252", "", false, "\x80\x85\x8A\x91\x97\x99\x9F \xFF",
                   "\u20AC\u2026\u0160\u2018\u2014\u2122\u0178 \u00FF", "windows-1252"},
        NamingCase{"UndefinedWindows1252Bytes", "", false, "\x81\x8D\x8F\x90\x9D",
                   "\u0081\u008D\u008F\u0090\u009D", "windows-1252"},
        NamingCase{"DetectionLooksPastAsciiAndThePrescan", "", true, kPadding + "\xE9t\xE9",
                   kPadding + "\u00E9t\u00E9", "windows-1252"},
        NamingCase{"MalformedUtf8IsReplaced", "utf-8", false,
                   "a\x80"
                   "b\xC3(\xE2\x82\xF0\x9F\x98\xED\xA0\x80\xC0\xAF\xF5z\xE2\x82",
                   "a\uFFFDb\uFFFD(\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDz\uFFFD",
                   "UTF-8"},
        NamingCase{"Utf8ThatGoesWrongLaterStaysUtf8", "", false, "\xC3\xA9 \xE9", "\u00E9 \uFFFD",
                   "UTF-8"},
        NamingCase{"MalformedInIconv", "Shift_JIS", false, "a\x85\x40z", "a\uFFFD@z", "CP932"},
        NamingCase{"Empty", "", true, "", "", "UTF-8"}),
    [](const testing::TestParamInfo<NamingCase>& info) { return info.param.name; });

// Every split of the input into two blocks decodes as the whole input does.
TEST(CharsetDecoder, ASequenceSplitAnywhereIsKeptUntilWhole) {
    const std::vector<std::pair<std::string, std::string>> inputs = {
        {"", "\xC3\xA9\xE2\x80\x94\xF0\x9F\x98\x80 \xE6\x97\xA5\xE6\x9C\xAC"},
        {"", "plain \xE9t\xE9 \x97"},
        {"", "\xEF\xBB\xBF<p>x"},
        {"utf-8", "\xEF\xBB\xBF\xC3\xA9"},
        {"", std::string("\xFE\xFF\x04\x16\x00z", 6)},
        {"Shift_JIS", "\x93\xFA\x96{\x8C\xEA abc"},
        {"GB18030", "\x81\x30\x81\x30\xD6\xD0"},
        {"utf-8", "\xC3\xA9\xE2\x80"},
    };
    for (const auto& [declared, input] : inputs) {
        const std::string whole = Decode(declared, true, {input}).text;
        for (std::size_t split = 0; split <= input.size(); ++split) {
            EXPECT_EQ(Decode(declared, true, {input.substr(0, split), input.substr(split)}).text,
                      whole)
                << declared << " split at " << split;
        }
    }
}

TEST(CharsetDecoder, TextComesOutOnceThePrescanIsFull) {
    CharsetDecoder decoder("", true);
    std::string out;
    decoder.Decode("<p>\xC3\xA9", out);
    EXPECT_EQ(out, "");
    decoder.Decode(kPadding, out);
    EXPECT_EQ(out, "<p>\u00E9" + kPadding);
    decoder.Decode("\xD0", out);
    decoder.Decode("\x96", out);
    EXPECT_TRUE(out.ends_with("\u0416"));
}

}  // namespace
}  // namespace corvane::html

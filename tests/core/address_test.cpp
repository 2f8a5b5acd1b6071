#include "core/address.h"

#include <gtest/gtest.h>

#include "core/scheme_registry.h"

namespace corvane::core {
namespace {

TEST(SchemeRegistry, FindSchemeMatchesPrefixesCaseInsensitively) {
    struct Case {
        const char* text;
        int index;
    };
    const Case kCases[] = {
        {"ht:", kSchemeHttp},          {"", kSchemeHttp},           {":rest", kSchemeHttp},
        {"MailTo:a@b", kSchemeMailto}, {"mailto:x", kSchemeMailto}, {"gopher", kSchemeGopher},
        {"https:", kSchemeHttps},      {"m:", kSchemeMail},         {"whoisx", kSchemeNone},
        {"http:", kSchemeHttp},        {"HTTPS", kSchemeHttps},     {"httpsx:", kSchemeNone},
        {"\xC3\xA9:", kSchemeNone},
    };
    for (const Case& c : kCases) EXPECT_EQ(FindScheme(c.text), c.index) << c.text;
}

struct ParseCase {
    const char* text;
    const char* base;  // null: no base
    int scheme;
    bool hasLocation;
    bool absolutePath;
    const char* host;
    const char* path;
    const char* anchor;
    const char* canonical;
};

class ParseAddressTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseAddressTest, FieldsAndCanonicalString) {
    const ParseCase& c = GetParam();
    CHTAddress base;
    if (c.base != nullptr) base = ParseAddress(c.base);
    CHTAddress address = ParseAddress(c.text, c.base != nullptr ? &base : nullptr);
    EXPECT_EQ(address.scheme, c.scheme);
    EXPECT_EQ(address.hasLocation, c.hasLocation);
    EXPECT_EQ(address.absolutePath, c.absolutePath);
    EXPECT_EQ(address.host, c.host);
    EXPECT_EQ(address.path, c.path);
    EXPECT_EQ(address.anchor, c.anchor);
    EXPECT_EQ(FormatAddress(address), c.canonical);
}

const ParseCase kParseCases[] = {
    {"http://Host.Example:8080/a/b?q=1#top", nullptr, 0, true, true, "Host.Example:8080", "a/b?q=1",
     "top", "http://Host.Example:8080/a/b?q=1#top"},
    {"  www.x.com/p  trailing words", nullptr, 0, true, true, "www.x.com", "p", "",
     "http://www.x.com/p"},
    {"localhost:8080/x", nullptr, 0, true, true, "localhost:8080", "x", "",
     "http://localhost:8080/x"},
    {"a/b/../c/./d#top", "http://h/dir/page.html", 0, true, true, "h", "dir/a/c/d", "top",
     "http://h/dir/a/c/d#top"},
    {"#frag", "http://h/dir/page.html", 0, true, true, "h", "dir/page.html", "frag",
     "http://h/dir/page.html#frag"},
    {"", "http://h/dir/page.html", 0, true, true, "h", "dir/", "", "http://h/dir/"},
    {"/root", "http://h/dir/page.html", 0, true, true, "h", "root", "", "http://h/root"},
    {"//other/p", "http://h/dir/page.html", 0, true, true, "other", "p", "", "http://other/p"},
    {"ftp://f/x", "http://h/dir/page.html", 2, true, true, "f", "x", "", "ftp://f/x"},
    {"alt.group", "news:comp.lang", 5, false, false, "", "alt.group", "", "news:alt.group"},
    {"mailto:a@b.c", nullptr, 4, false, false, "", "a@b.c", "", "mailto:a@b.c"},
    // mailto: writes no location, so it reads none: the slashes belong to the path.
    {"MAILTO://x/y", nullptr, 4, false, true, "", "/x/y", "", "mailto://x/y"},
    {"file:/c|/temp/x.htm", nullptr, 1, false, true, "", "c|/temp/x.htm", "",
     "file:/c|/temp/x.htm"},
    {"file:///home/a.html", nullptr, 1, true, true, "", "home/a.html", "", "file:///home/a.html"},
    {"gopher://g:70/1/x/../y", nullptr, 8, true, true, "g:70", "1/y", "", "gopher://g:70/1/y"},
    // Unregistered schemes keep their colon and read as a host.
    {"about2://h/x", nullptr, 0, true, true, "about2:", "/h/x", "", "http://about2://h/x"},
    {"HTTPS://h:8443/x/../y", nullptr, 12, true, true, "h:8443", "y", "", "https://h:8443/y"},
    {"z.html", "https://h/d/p.html", 12, true, true, "h", "d/z.html", "", "https://h/d/z.html"},
    {"http://h/", "https://h/d/p.html", 0, true, true, "h", "", "", "http://h/"},
    // Anchors: the last "#" splits.
    {"http://h/a#b#c", nullptr, 0, true, true, "h", "a#b", "c", "http://h/a#b#c"},
    {"http://h#x", nullptr, 0, true, true, "h", "", "x", "http://h/#x"},
    {"#", nullptr, 0, true, true, "", "", "", "http:///"},
    {"", nullptr, 0, true, true, "", "", "", "http:///"},
    // Bytes from 0x80 up are kept; NUL ends the text.
    {"http://h/\xC3\xA9t\xC3\xA9", nullptr, 0, true, true, "h", "\xC3\xA9t\xC3\xA9", "",
     "http://h/\xC3\xA9t\xC3\xA9"},
};

INSTANTIATE_TEST_SUITE_P(Cases, ParseAddressTest, testing::ValuesIn(kParseCases));

TEST(ParseAddress, NulEndsTheAddress) {
    std::string text("http://h/a\0/b", 13);
    EXPECT_EQ(FormatAddress(ParseAddress(text)), "http://h/a");
}

TEST(ParseAddress, HugeInputIsReadWhole) {
    std::string text = "http://h/" + std::string(1 << 20, 'a');
    CHTAddress address = ParseAddress(text);
    EXPECT_EQ(address.path.size(), std::size_t{1} << 20);
    std::string dots;
    for (int i = 0; i < 50000; ++i) dots += "x/../";
    EXPECT_EQ(ParseAddress("http://h/" + dots + "end").path, "end");
}

TEST(NormalizeDotSegments, Table) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case kCases[] = {
        {"seg/..", ""},    {"one/two/..", "one"},   {"./../a", "a"},        {"a/./b", "a/b"},
        {"a/.", "a"},      {"a/...", "a/..."},      {"a/..b/c", "a/..b/c"}, {"/../x", "x"},
        {"..", ""},        {"a/b/../../../c", "c"}, {"x/.././y", "y"},      {"a//.", "a/"},
        {"a/b/../", "a/"}, {"a//../b", "a/b"},
    };
    for (const Case& c : kCases) {
        std::string path = c.in;
        NormalizeDotSegments(path);
        EXPECT_EQ(path, c.out) << c.in;
    }
}

// A canonical string reads back as itself, whatever the scheme and however odd the text.
TEST(FormatAddress, CanonicalStringsReadBackUnchanged) {
    const char* const kTexts[] = {
        "mailto:////a",   "mailt:////////",      "mailto:a@b#x#",    "http:/a/..//b",
        "http:/a/..///b", "http://h/a#b#",       "news:/..//x",      "gopher:/a/../..//b",
        "file:./../x",    "ftp://h//a/../../..", "whois:a/../../b/", "http://h/.#",
        "tn3270:////h",   "http:%2F/x",          "nntp:/#/#",
    };
    for (const char* text : kTexts) {
        const std::string canonical = FormatAddress(ParseAddress(text));
        EXPECT_EQ(FormatAddress(ParseAddress(canonical)), canonical) << text;
    }
    EXPECT_EQ(FormatAddress(ParseAddress("mailto:////a")), "mailto:////a");
    EXPECT_EQ(FormatAddress(ParseAddress("http:/a/..//b")), "http:////b");
}

TEST(EscapeUrlText, SafeSetSpaceAndHex) {
    std::string text = " a&*-./@_~\x7F\x01\xE9Z9";
    EscapeUrlText(text);
    EXPECT_EQ(text, "+a%26*-./@_%7E%7F%01%E9Z9");
}

TEST(LocalPathToUrlPath, DrivesAndBackslashes) {
    EXPECT_EQ(LocalPathToUrlPath("c:\\web\\a b.htm"), "/c|/web/a+b.htm");
    EXPECT_EQ(LocalPathToUrlPath("/home/a/x.html"), "//home/a/x.html");
    EXPECT_EQ(LocalPathToUrlPath(""), "/");
    EXPECT_EQ(LocalPathToUrlPath("d:"), "/d|");
    EXPECT_EQ(LocalFileUrl("c:\\web\\a.htm"), "file:/c|/web/a.htm");
    EXPECT_EQ(LocalFileUrl("\\\\srv\\share\\a.htm"), "file:////srv/share/a.htm");
    EXPECT_EQ(LocalFileUrl("/home/a b/x.htm"), "file:/home/a+b/x.htm");
    EXPECT_EQ(LocalFileUrl("//home/a"), "file:/home/a");
}

// Hostile text (huge, NUL, bytes past ASCII) always gives a URL.
TEST(CompleteTypedUrl, Rules) {
    struct Case {
        std::string typed;
        std::string url;
        std::string shown = "";  // the address of the document on show
    };
    const Case kCases[] = {
        {"www.example.com", "http://www.example.com"},
        {"ftp.gnu.org", "ftp://ftp.gnu.org"},
        {"news.answers", "news:news.answers"},
        {"news.host/group", "news://news.host/group"},
        {"whois.internic.net", "whois://whois.internic.net"},
        {"TN3270.ibm.com", "tn3270://TN3270.ibm.com"},
        {"Gopher.floodgap.com", "gopher://Gopher.floodgap.com"},
        {"example.com", "http://example.com"},
        {"c:\\temp\\x.htm", "file:/c|/temp/x.htm"},
        {"\\\\server\\share", "file:////server/share"},
        {"/home/a/x.html", "file:/home/a/x.html"},
        {"///x", "file:///x"},
        {"//////x", "file:////x"},
        {"./a b.htm", "file:///./a+b.htm"},
        {"../up", "file:///../up"},
        {"::  .www.x.com  ", "http://www.x.com"},
        {"TN3270:host", "TN3270:host"},
        {"About:blank", "About:blank"},
        {"https://x", "https://x"},
        {"   ", "http://"},
        {"#", "http://#"},
        {"", "http://"},
        {"", "http://shown/doc", "http://shown/doc"},
        {std::string(1 << 20, '.'), "http://"},
        {std::string("a\0b\xFF", 4), std::string("http://a\0b\xFF", 11)},
    };
    for (const Case& c : kCases) {
        std::string text = c.typed;
        CompleteTypedUrl(text, c.shown);
        EXPECT_EQ(text, c.url) << c.typed.substr(0, 40);
    }
}

}  // namespace
}  // namespace corvane::core

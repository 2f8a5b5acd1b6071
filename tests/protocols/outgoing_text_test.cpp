// The pieces that write outgoing mail and news text: stuffing and line ends, uuencoding,
// quoted-printable, encoded header words, quoting.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "protocols/header_word_encoder.h"
#include "protocols/http_message.h"
#include "protocols/outgoing_text.h"
#include "protocols/quote_text.h"
#include "protocols/quoted_printable_encoder.h"
#include "protocols/uu_encoder.h"

namespace corvane::protocols {
namespace {

TEST(OutgoingText, EveryLineEndBecomesCrLfAndEveryDotLineIsStuffed) {
    struct Case {
        std::string source, sent;
    };
    const std::vector<Case> cases = {
        {".", "..\r\n.\r\n"},
        {"a\n.\nb", "a\r\n..\r\nb\r\n.\r\n"},  // a bare LF must not end the data early
        {"a\r.\rb\r\n", "a\r\n..\r\nb\r\n.\r\n"},
        {"a\r\n.\r\n", "a\r\n..\r\n.\r\n"},
        {"a\r\n\r\nb", "a\r\n\r\nb\r\n.\r\n"},
        {"x.y\n..z", "x.y\r\n...z\r\n.\r\n"},
        {"", ".\r\n"},
    };
    for (const Case& c : cases) {
        // Every split of the source into two pieces gives the same bytes.
        for (std::size_t split = 0; split <= c.source.size(); ++split) {
            OutgoingText text;
            std::string out;
            text.Append(std::string_view(c.source).substr(0, split), out);
            text.Append(std::string_view(c.source).substr(split), out);
            text.Finish(out);
            EXPECT_EQ(out, c.sent) << "source " << c.source << " split at " << split;
        }
    }
}

TEST(UUEncoder, FortySixBytesGiveAFullLineAOneByteLineTheEmptyLineAndEnd) {
    const std::string path = ::testing::TempDir() + "/attach.bin";
    std::ofstream(path, std::ios::binary) << std::string(45, 'A') << '\0';
    auto encoder = CUUEncoder::Open(path);
    ASSERT_NE(encoder, nullptr);
    std::vector<std::string> lines;
    for (int length; (length = encoder->Step()) > 0;) {
        EXPECT_EQ(static_cast<std::size_t>(length), encoder->Line().size());
        lines.emplace_back(encoder->Line());
    }
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "begin 644 attach.bin");
    std::string full = "M";
    for (int i = 0; i < 15; ++i) full += "04%!";
    EXPECT_EQ(lines[1], full);
    EXPECT_EQ(lines[2], "!``");
    EXPECT_EQ(lines[3], "`");
    EXPECT_EQ(lines[4], "end");
    EXPECT_EQ(encoder->Step(), 0);
    // The classic sample: "Cat" and the short groups.
    EXPECT_EQ(CUUEncoder::EncodeLine("Cat"), "#0V%T");
    EXPECT_EQ(CUUEncoder::EncodeLine("Ca"), "\"0V$");
    EXPECT_EQ(CUUEncoder::EncodeLine(std::string("\xff\xff\xff", 3)), "#____");
    // Nothing that cannot be read as a file is accepted before sending starts.
    EXPECT_EQ(CUUEncoder::Open(path + ".missing"), nullptr);
    EXPECT_EQ(CUUEncoder::Open(::testing::TempDir()), nullptr);
}

TEST(QuotedPrintable, KeepsLinesShortAndEncodesWhatMustBe) {
    EXPECT_TRUE(FitsSevenBit("plain\r\ntext"));
    EXPECT_TRUE(FitsSevenBit(std::string(998, 'a') + "\n" + std::string(998, 'b')));
    EXPECT_FALSE(FitsSevenBit(std::string(999, 'a')));
    EXPECT_FALSE(FitsSevenBit("caf\xc3\xa9"));
    std::string out;
    AppendQuotedPrintable("caf\xc3\xa9 a=b \nend\t\r\n", out);
    EXPECT_EQ(out, "caf=C3=A9 a=3Db=20\r\nend=09\r\n");
    out.clear();
    AppendQuotedPrintable(std::string(200, 'x') + "\xc3\xa9", out);
    std::size_t start = 0, decoded = 0;
    for (std::size_t end; (end = out.find("\r\n", start)) != std::string::npos; start = end + 2) {
        EXPECT_LE(end - start, 76u);
        decoded += end - start - 1;  // the soft break's "="
    }
    EXPECT_EQ(decoded + out.size() - start, 200u + 6u);
    EXPECT_EQ(out.substr(out.size() - 6), "=C3=A9");
}

TEST(HeaderWords, NonAsciiBecomesWordsOfWholeCharacters) {
    EXPECT_EQ(EncodeHeaderText("Meeting at 10"), "Meeting at 10");
    EXPECT_EQ(EncodeHeaderText("caf\xc3\xa9"), "=?UTF-8?B?Y2Fmw6k=?=");
    // 30 two-byte characters: the first word takes 22 whole ones (44 bytes), the next the rest.
    std::string accents;
    for (int i = 0; i < 30; ++i) accents += "\xc3\xa9";
    const std::string encoded = EncodeHeaderText(accents);
    const std::size_t fold = encoded.find("\r\n ");
    ASSERT_NE(fold, std::string::npos);
    EXPECT_LE(fold, 75u);
    EXPECT_EQ(encoded.substr(0, fold), "=?UTF-8?B?" + Base64(accents.substr(0, 44)) + "?=");
    EXPECT_EQ(FormatAddress("", "a@b.example"), "a@b.example");
    EXPECT_EQ(FormatAddress("Ann Lee", "a@b.example"), "Ann Lee <a@b.example>");
    EXPECT_EQ(FormatAddress("Lee, Ann \"A\"", "a@b"), "\"Lee, Ann \\\"A\\\"\" <a@b>");
    EXPECT_EQ(FormatAddress("J\xc3\xb6rg", "j@b"), "=?UTF-8?B?SsO2cmc=?= <j@b>");
}

TEST(QuoteText, SenderLineHeaderSkippedEveryLineMarked) {
    EXPECT_EQ(QuoteText("From: s\r\nSubject: x\r\n\r\nbody 1\r\n\r\nbody 2\r\n", "S"),
              "S wrote:\n>body 1\n>\n>body 2\n");
    EXPECT_EQ(QuoteText("one\ntwo\rthree", ""), ">one\n>two\n>three\n");
}

}  // namespace
}  // namespace corvane::protocols

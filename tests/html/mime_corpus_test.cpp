// Real-shaped messages read the way Python's email package reads them: the .expected files
// beside each message are written by tests/html/mime_corpus/make_expected.py.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "html/mime_message.h"
#include "html/mime_text.h"
#include "tests/support/scratch_directory.h"

namespace corvane::html {
namespace {

// Lines without trailing white space, no line ends at the end: the form the script writes.
std::string NormalizedText(std::string text) {
    std::string out;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        out += line + "\n";
        at = end + 1;
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

std::string Summary(const std::string& message) {
    const MessageEntity entity = SplitMessage(message);
    std::string summary;
    for (const char* name : {"Subject", "From", "To", "Date"})
        summary +=
            std::string(name) + ": " + DecodeHeaderText(HeaderValue(entity.headers, name)) + "\n";
    const MessageContent content = ReadMessageBody(entity.headers, entity.body);
    summary += "Text:\n";
    std::string text;
    for (const MessageText& piece : content.texts) text += piece.utf8;
    summary += NormalizedText(text) + "\n";
    for (const MessageAttachment& attachment : content.attachments)
        summary += "Attachment: " + attachment.name + "|" + attachment.type + "|" +
                   std::to_string(attachment.data.size()) + "\n";
    return summary;
}

TEST(MimeCorpus, ReadsEveryMessageAsPythonsEmailPackageDoes) {
    const std::filesystem::path corpus =
        std::filesystem::path(CORVANE_SOURCE_DIR) / "tests/html/mime_corpus";
    int messages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        if (entry.path().extension() != ".eml") continue;
        std::filesystem::path expected = entry.path();
        expected.replace_extension(".expected");
        EXPECT_EQ(Summary(testing::ReadFile(entry.path())), testing::ReadFile(expected))
            << entry.path().filename();
        ++messages;
    }
    EXPECT_EQ(messages, 6);
}

TEST(MimeText, TransferEncodingsAndEncodedWords) {
    struct Case {
        std::string text, charset, utf8;
    };
    const std::vector<Case> words = {
        {"=?UTF-8?B?w6k=?= x", "", "\xC3\xA9 x"},
        {"=?ISO-8859-1?Q?caf=E9_au?= \t=?iso-8859-1?q?_lait?=!", "", "caf\xC3\xA9 au lait!"},
        {"a =?bad?X?x?= =?unterminated", "", "a =?bad?X?x?= =?unterminated"},
        {"caf\xE9", "ISO-8859-1", "caf\xC3\xA9"},
        {"caf\xE9", "", "caf\xC3\xA9"},   // not UTF-8: read as Windows-1252
        {"=?utf-8*en?q?hi?=", "", "hi"},  // a language after the charset
    };
    for (const Case& c : words) EXPECT_EQ(DecodeHeaderText(c.text, c.charset), c.utf8) << c.text;

    const std::vector<std::pair<std::string, std::string>> quoted = {
        {"a=3Db", "a=b"},
        {"soft=\r\nbreak", "softbreak"},
        {"soft= \nbreak", "softbreak"},       // white space after the "=" of a soft break
        {"end   \nnext\t\n", "end\nnext\n"},  // transport white space at line ends goes
        {"=20\n", " \n"},                     // an encoded space stays
        {"bad=G1 and =4", "bad=G1 and =4"},   // not an escape: kept as it is
        {"trailing=", "trailing"},
    };
    for (const auto& [in, out] : quoted) EXPECT_EQ(DecodeQuotedPrintable(in), out) << in;
    EXPECT_EQ(DecodeBase64("aGVs\r\nbG8=\r\n"), "hello");
    EXPECT_EQ(DecodeBase64("a*G-V!sbG8"), "hello");  // stray characters are skipped
}

TEST(MimeMessage, StructureParametersAndHostileShapes) {
    EXPECT_EQ(HeaderParameter("multipart/mixed; boundary=\"a;b\\\"c\"; x=1", "boundary"), "a;b\"c");
    EXPECT_EQ(HeaderParameter("text/plain;charset=UTF-8 ", "CHARSET"), "UTF-8");
    EXPECT_EQ(HeaderParameter("attachment; filename*=iso-8859-1'fr'caf%E9.txt", "filename"),
              "caf\xC3\xA9.txt");
    EXPECT_EQ(HeaderParameter("text/plain; name", "name"), "");
    EXPECT_EQ(MailboxAddress("\"Doe, J\" <j@x.org>"), "j@x.org");
    EXPECT_EQ(MailboxAddress("  j@x.org (J Doe)"), "j@x.org");

    // A boundary that only starts like the real one, a body cut before its closing delimiter,
    // and a multipart without any delimiter (read as text).
    const std::string cut =
        "Content-Type: multipart/mixed; boundary=b\n\n--b\n\none\n--bb\nstill one\n--b\n"
        "Content-Type: application/zip\nContent-Disposition: attachment; filename=z.zip\n\nPK";
    MessageEntity entity = SplitMessage(cut);
    MessageContent content = ReadMessageBody(entity.headers, entity.body);
    ASSERT_EQ(content.texts.size(), 1u);
    EXPECT_EQ(content.texts[0].utf8, "one\n--bb\nstill one");
    ASSERT_EQ(content.attachments.size(), 1u);
    EXPECT_EQ(content.attachments[0].data, "PK");
    entity = SplitMessage("Content-Type: multipart/mixed; boundary=none\n\nplain words\n");
    content = ReadMessageBody(entity.headers, entity.body);
    ASSERT_EQ(content.texts.size(), 1u);
    EXPECT_EQ(content.texts[0].utf8, "plain words\n");

    // Nesting far deeper than any real message stops being split; the work stays bounded.
    std::string deep = "Content-Type: multipart/mixed; boundary=x\n\n";
    for (int i = 0; i < 5000; ++i) deep += "--x\nContent-Type: multipart/mixed; boundary=x\n\n";
    entity = SplitMessage(deep);
    content = ReadMessageBody(entity.headers, entity.body);
    EXPECT_LE(content.texts.size() + content.attachments.size(), kMaxParts);
}

TEST(MimeMessage, UuencodedBlocksBecomeAttachments) {
    // 46 bytes: a full "M" line, a short "!" line, the grave-accent line and "end".
    const std::string data(46, 'A');
    std::string text =
        "See the file.\nbegin 644 a b.bin\n"
        "M04%!04%!04%!04%!04%!04%!04%!04%!04%!04%!04%!04%!04%!04%!04%!\n!00``\n`\nend\nBye.\n"
        "begin 644 open.bin\nM04%!\n";  // never ended: stays text
    const std::vector<MessageAttachment> blocks = TakeUuencodedBlocks(text);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].name, "a b.bin");
    EXPECT_EQ(blocks[0].data, data);
    EXPECT_EQ(text, "See the file.\nBye.\nbegin 644 open.bin\nM04%!\n");
}

TEST(MimeMessage, ParameterSectionsAreJoined) {
    const std::pair<const char*, const char*> cases[] = {
        {"attachment; filename*0=\"long \"; filename*1=\"name.txt\"", "long name.txt"},
        // Sections out of order, the first naming the charset, a plain one between escaped ones.
        {"attachment; filename*1*=%E9t%E9; filename*0*=iso-8859-1'fr'caf%E9-; filename*2=.txt",
         "caf\xC3\xA9-\xC3\xA9t\xC3\xA9.txt"},
        // A gap ends the name; numbers with leading zeros are not sections.
        {"attachment; filename*0=a; filename*2=c; filename*01=b", "a"},
        // The charset forms win over the plain stand-in, whichever comes first.
        {"attachment; filename=\"caf?.txt\"; filename*=utf-8''caf%C3%A9.txt", "caf\xC3\xA9.txt"},
        {"attachment; filename*0*=utf-8''%C3%A9; filename=\"e\"", "\xC3\xA9"},
        {"attachment; filenames=x; filename=plain.txt", "plain.txt"},
    };
    for (const auto& [value, name] : cases)
        EXPECT_EQ(HeaderParameter(value, "filename"), name) << value;
}

}  // namespace
}  // namespace corvane::html

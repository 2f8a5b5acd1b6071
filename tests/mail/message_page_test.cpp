// The page of a stored message, and mail: addresses loaded into a window end to end.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html/text_convertor.h"
#include "mail/mail_protocol.h"
#include "mail/message_page.h"
#include "protocols/local_path.h"
#include "tests/support/window_load_test.h"

namespace corvane::mail {
namespace {

TEST(MessagePage, HeadersLinksAndEscaping) {
    struct Case {
        const char* what;
        std::string message;
        std::string page;
    };
    const std::vector<Case> cases = {
        {"the stored From line links to the bracketed address",
         "From: Bob Smith <bob@example.test>\nSubject: Lunch\n\nAt 1 & <not> 2?\n",
         "<title>Lunch</title>\n<pre>\nFrom: <a href=\"mailto:bob@example.test\">Bob Smith "
         "&lt;bob@example.test&gt;</a>\nSubject: Lunch\n\nAt 1 &amp; &lt;not&gt; 2?\n"},
        {"a bare address up to its first space; an empty From is only text",
         "Return-Path: bob@x.test (Bob)\nFrom:\n\n",
         "<pre>\nReturn-Path: <a href=\"mailto:bob@x.test\">bob@x.test (Bob)</a>\nFrom: \n\n"},
        {"an address cannot leave the attribute, nor a header value make markup",
         "From: \"x\" <a\"onclick=x@evil.test>\nX-Note: <b>\"hi\"</b>\n\n",
         "<pre>\nFrom: <a href=\"mailto:a%22onclick%3Dx@evil.test\">&quot;x&quot; "
         "&lt;a&quot;onclick=x@evil.test&gt;</a>\nX-Note: &lt;b&gt;&quot;hi&quot;&lt;/b&gt;\n\n"},
        {"an encoded word cannot hide markup either, and an mbox envelope line stays text",
         "From a@b Mon Dec  7 09:00:00 2026\nSubject: =?UTF-8?Q?=3Ci=3E?=\nTo: =?utf-8?b?w6k=?= "
         "<e@x>\n\nbody\n",
         "<title>&lt;i&gt;</title>\n<pre>\nFrom a@b Mon Dec  7 09:00:00 2026\nSubject: "
         "&lt;i&gt;\nTo: \xC3\xA9 &lt;e@x&gt;\n\nbody\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MessagePageHtml(c.message, "mail:///m/CVT1.ML"), c.page) << c.what;
}

TEST(MessagePage, MimeTextHtmlPartsAndAttachments) {
    const std::string message =
        "From: a@x.test\nMIME-Version: 1.0\nContent-Type: multipart/mixed; boundary=b\n\n--b\n"
        "Content-Type: text/plain; charset=iso-8859-1\nContent-Transfer-Encoding: "
        "quoted-printable\n\ncaf=E9 <ok>\n--b\nContent-Type: text/html\n\n<p>Hello <b>you</b>\n"
        "--b\nContent-Type: application/pdf\nContent-Disposition: attachment; "
        "filename=\"a/b <c>.pdf\"\nContent-Transfer-Encoding: base64\n\nJVBERg==\n--b--\n";
    EXPECT_EQ(MessagePageHtml(message, "mail:///m/CVT1.ML"),
              "<pre>\nFrom: <a href=\"mailto:a@x.test\">a@x.test</a>\nMIME-Version: 1.0\n"
              "Content-Type: multipart/mixed; boundary=b\n\ncaf\xC3\xA9 &lt;ok&gt;\n</pre>\n"
              "<p>Hello <b>you</b>\n<pre>\n\n<hr>Attachments:\n<a href=\"mail:///m/CVT1.ML/1/"
              "a_b%20%3Cc%3E.pdf\">a/b &lt;c&gt;.pdf</a> (application/pdf, 4 bytes)\n");
    ASSERT_TRUE(MessageAttachmentAt(message, 1));
    EXPECT_EQ(MessageAttachmentAt(message, 1)->data, "%PDF");
    EXPECT_FALSE(MessageAttachmentAt(message, 2));
    EXPECT_FALSE(MessageAttachmentAt(message, 0));

    // A plain message lists its uuencoded block under a name of its own.
    const std::string plain = "Subject: x\n\nhere:\nbegin 644 a.txt\n#86)C\n`\nend\n";
    EXPECT_EQ(MessagePageHtml(plain, "mail:///m/CVT2.ML"),
              "<title>x</title>\n<pre>\nSubject: x\n\nhere:\n\n<hr>Attachments:\n<a href=\""
              "mail:///m/CVT2.ML/1/a.txt\">a.txt</a> (application/octet-stream, 3 bytes)\n");

    const std::optional<AttachmentPath> parsed = ParseAttachmentPath("home/m/CVT1.ML/12/x.pdf");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->messagePath, "home/m/CVT1.ML");
    EXPECT_EQ(parsed->number, 12u);
    for (const char* refused : {"CVT1.ML", "m/CVT1.ML/x/y.pdf", "m/CVT1.ML//y", "/1/y"})
        EXPECT_FALSE(ParseAttachmentPath(refused)) << refused;
}

class MailLoadTest : public corvane::testing::WindowLoadTest {
  protected:
    void SetUp() override {
        RegisterMailProtocol();
        html::RegisterTextConvertors();
    }
};

TEST_F(MailLoadTest, AnHtmlMessageFetchesNothingAndAnAttachmentIsSaved) {
    scratch_.Write("CVT1.ML",
                   "From: shop@x.test\nContent-Type: multipart/mixed; boundary=b\n\n--b\n"
                   "Content-Type: text/html\n\n<meta http-equiv=refresh content=\"0; "
                   "url=http://x.test/seen\"><body background=\"http://x.test/bg.gif\">"
                   "<img src=\"http://x.test/pixel.gif\">Sale\n--b\nContent-Type: "
                   "application/zip; name=\"a b.zip\"\nContent-Transfer-Encoding: base64\n\n"
                   "UEsDBA==\n--b--\n");
    const std::string url = "mail://" + protocols::EscapePathForUrl(scratch_.File("CVT1.ML"));
    core::CHTRequest* page = Load(url);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(ui_.messages.empty());
    const auto* document = dynamic_cast<const html::CHTMLDocument*>(page->document.get());
    ASSERT_NE(document, nullptr);
    const html::CHTML& html = *document->html;
    ASSERT_EQ(html.images.size(), 1u);
    EXPECT_EQ(html.images[0]->url, "");
    ASSERT_NE(html.background, nullptr);
    EXPECT_EQ(html.background->url, "");
    EXPECT_EQ(page->refreshSeconds, -1);

    ui_.fileAnswers = {scratch_.File("saved.zip")};
    (void)Load(url + "/1/a%20b.zip");
    EXPECT_EQ(ui_.fileDialogTitles, std::vector<std::string>{"Save As"});
    EXPECT_EQ(scratch_.Read("saved.zip"), "PK\x03\x04");
    EXPECT_TRUE(ui_.messages.empty());

    // An attachment the message does not have, and a message that is not there, fail the load.
    (void)Load(url + "/2/x");
    (void)Load("mail://" + protocols::EscapePathForUrl(scratch_.File("CVT9.ML")));
    EXPECT_EQ(ui_.messages.size(), 2u);
}

// A picture the message carries ("cid:") gets the attachment's address; anything else stays
// without one, and an unknown id is left as it is.
TEST_F(MailLoadTest, CidPicturesLoadFromTheMessageItself) {
    scratch_.Write("CVT2.ML",
                   "Content-Type: multipart/related; boundary=r\n\n--r\nContent-Type: text/html\n\n"
                   "<img src=\"cid:logo%40x\"><img src=\"http://x.test/p.gif\"><img "
                   "src='CID:none'>\n--r\nContent-Type: image/gif\nContent-ID: <logo@x>\n"
                   "Content-Transfer-Encoding: base64\n\nR0lGODlhAQABAAAAACw=\n--r--\n");
    const std::string url = "mail://" + protocols::EscapePathForUrl(scratch_.File("CVT2.ML"));
    core::CHTRequest* page = Load(url);
    ASSERT_NE(page, nullptr);
    const auto* document = dynamic_cast<const html::CHTMLDocument*>(page->document.get());
    ASSERT_NE(document, nullptr);
    const html::CHTML& html = *document->html;
    ASSERT_EQ(html.images.size(), 3u);
    EXPECT_EQ(html.images[0]->url, url + "/1/attachment%201");
    EXPECT_EQ(html.images[1]->url, "");
    EXPECT_EQ(html.images[2]->url, "");
}

}  // namespace
}  // namespace corvane::mail

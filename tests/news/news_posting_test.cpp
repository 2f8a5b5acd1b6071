// Posting news: the composed article and its headers, and the newspost dialogue against the
// scripted peer (the exact bytes, a refused GROUP, the login on 480, an address without an
// article, line ends that would inject commands).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/status.h"
#include "news/news_article_text.h"
#include "news/post_news_source.h"
#include "tests/news/news_fixture.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/scripted_peer.h"

namespace corvane::news {
namespace {

using testing::ScriptedPeer;

NewsArticleFields Fields() {
    NewsArticleFields fields;
    fields.address = "ann@example.org";
    fields.newsgroups = "alt.test";
    fields.subject = "Hello";
    fields.body = "line one\nline two";
    return fields;
}

TEST(NewsArticle, HeadersMimeAndBody) {
    const std::string common =
        "Newsgroups: alt.test\r\nX-Newsreader: Corvane News Reader\r\n"
        "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n";
    EXPECT_EQ(ComposeNewsArticle(Fields()),
              "From: ann@example.org\r\nSubject: Hello\r\n" + common +
                  "Content-Transfer-Encoding: 7bit\r\n\r\nline one\r\nline two\r\n");

    NewsArticleFields reply = Fields();
    reply.name = "Anne Émile";
    reply.subject = "Re: Café";
    reply.references = "<a1@test> <a2@test>";
    reply.body = "bare\rcr\r\nand crlf\n";
    reply.attachment = true;
    const std::string text = ComposeNewsArticle(reply);
    EXPECT_TRUE(text.starts_with("From: =?UTF-8?B?")) << text;
    EXPECT_NE(text.find(" <ann@example.org>\r\nSubject: =?UTF-8?B?"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nReferences: <a1@test> <a2@test>\r\nNewsgroups: "), std::string::npos);
    EXPECT_TRUE(
        text.ends_with("Content-Transfer-Encoding: 7bit\r\n\r\nbare\r\ncr\r\nand "
                       "crlf\r\n\r\n"))
        << text;

    struct {
        std::string body;
        const char* encoding;
    } const bodies[] = {
        {"plain", "7bit"},
        {"caf\xC3\xA9", "8bit"},
        {std::string(999, 'x'), "quoted-printable"},
        {std::string("nul\0byte", 8), "quoted-printable"},
    };
    for (const auto& each : bodies) {
        NewsArticleFields fields = Fields();
        fields.body = each.body;
        EXPECT_NE(ComposeNewsArticle(fields).find(std::string("Content-Transfer-Encoding: ") +
                                                  each.encoding + "\r\n"),
                  std::string::npos)
            << each.encoding;
    }
}

TEST(NewsArticle, LineEndsInHeaderFieldsAreRefused) {
    EXPECT_TRUE(HasSafeHeaderFields(Fields()));
    for (std::string NewsArticleFields::*field :
         {&NewsArticleFields::newsgroups, &NewsArticleFields::subject,
          &NewsArticleFields::references, &NewsArticleFields::name}) {
        for (const char* bad : {"x\r\nPath: forged", "x\ny", "x\rQUIT"}) {
            NewsArticleFields fields = Fields();
            fields.*field = bad;
            EXPECT_FALSE(HasSafeHeaderFields(fields)) << bad;
        }
    }
}

class Posting : public ::testing::Test {
  protected:
    Posting() {
        news.services->filePostedNews = [this](const std::string& groups,
                                               const std::string& article) {
            filed.push_back(groups + "|" + article);
        };
        news.services->openPostNews = [this](const std::string& prefix, const std::string& groups,
                                             const std::string& references) {
            windows.push_back(prefix + "|" + groups + "|" + references);
        };
    }
    // An article source reporting its outcome into `outcome`.
    std::unique_ptr<CPostNewsSource> Source(std::string groups, std::string article,
                                            std::string attachment = {}) {
        auto source = std::make_unique<CPostNewsSource>();
        source->newsgroups = std::move(groups);
        source->article = std::move(article);
        source->attachmentPath = std::move(attachment);
        source->onFinished = [this](bool posted) { outcome.push_back(posted); };
        return source;
    }
    static std::string Url(std::uint16_t port, const std::string& groups) {
        return "newspost://127.0.0.1:" + std::to_string(port) + "/" + groups;
    }

    // Before the loads: a request's source reports to them when the loads go.
    std::vector<std::string> filed;
    std::vector<std::string> windows;
    std::vector<bool> outcome;
    NewsLoads news;
};

TEST_F(Posting, LoginOn480ThenTheStuffedArticleAndItsAttachment) {
    testing::ScratchDirectory files;
    files.Write("data.bin", "abc");
    const std::string article = "From: ann@example.org\r\nSubject: s\r\n\r\n.dot\nbare\rend";
    ScriptedPeer peer(news.load->loop);
    peer.Send("200 ready\r\n")
        .Expect("GROUP alt.test")
        .Send("480 authentication required\r\n")
        .Expect("AUTHINFO USER ann")
        .Send("381 more\r\n")
        .Expect("AUTHINFO PASS pw")
        .Send("281 ok\r\n")
        .Expect("GROUP alt.test")
        .Send("211 1 1 1 alt.test\r\n")
        .Expect("POST")
        .Send("340 send it\r\n")
        .Expect("From: ann@example.org")
        .Expect("Subject: s")
        .Expect("")
        .Expect("..dot")
        .Expect("bare")
        .Expect("end")
        .Expect("")
        .Expect("begin 644 data.bin")
        .Expect("#86)C")
        .Expect("`")
        .Expect("end")
        .Expect(".")
        .Send("240 article posted\r\n")
        .Expect("QUIT")
        .StaySilent();
    news.load->ui.credentialAnswers.push_back(platform::Credentials{"ann", "pw", false});
    const std::uint16_t port = peer.Listen();
    ASSERT_EQ(news.load->Open(Url(port, "alt.test"),
                              Source("alt.test", article + "\r\n\r\n", files.File("data.bin"))),
              0);
    EXPECT_EQ(news.load->Finish(), -1);
    news.load->loop.RunUntil([&] { return peer.Done(); }, 2000);
    EXPECT_TRUE(peer.Done()) << peer.Mismatch() << "\n" << peer.Received();
    EXPECT_EQ(news.load->request->status, core::kSilentEnd);
    EXPECT_EQ(news.load->ui.credentialPrompts.size(), 1u);
    EXPECT_EQ(outcome, std::vector<bool>{true});
    ASSERT_EQ(filed.size(), 1u);
    EXPECT_EQ(filed[0], "alt.test|" + article + "\r\n\r\n");
    EXPECT_EQ(news.load->ui.statusTexts.back(), "News Posted");
}

TEST_F(Posting, TwoGroupsGoInOneGroupCommandAndARefusalStopsBeforePost) {
    ScriptedPeer peer(news.load->loop);
    peer.Send("200 ready\r\n")
        .Expect("GROUP alt.test,comp.test")
        .Send("411 no such group\r\n")
        .StaySilent();
    ASSERT_EQ(news.load->Open(Url(peer.Listen(), "alt.test,comp.test"),
                              Source("alt.test,comp.test", "Subject: s\r\n\r\nbody\r\n")),
              0);
    EXPECT_EQ(news.load->Finish(), -1);
    EXPECT_EQ(peer.Received(), "GROUP alt.test,comp.test\r\n");
    news.load->request->Stop();
    news.load->scheduler.DeleteRetired();
    EXPECT_EQ(outcome, std::vector<bool>{false});
    EXPECT_TRUE(filed.empty());
}

TEST_F(Posting, AnAddressWithoutAnArticleOnlyOpensTheWindow) {
    ScriptedPeer peer(news.load->loop);
    peer.StaySilent();
    const std::uint16_t port = peer.Listen();
    EXPECT_EQ(news.load->Open(Url(port, "alt.test%2Ccomp.test")), core::kOpenFailed);
    EXPECT_EQ(news.load->request->protocol->error, core::kSilentEnd);
    EXPECT_EQ(news.load->Open("newspost:misc.test"), core::kOpenFailed);
    EXPECT_EQ(windows,
              (std::vector<std::string>{
                  "//127.0.0.1:" + std::to_string(port) + "/|alt.test,comp.test|", "|misc.test|"}));
    news.load->loop.RunUntil([] { return false; }, 100);
    EXPECT_FALSE(peer.Accepted());
}

TEST_F(Posting, LineEndsInTheGroupsAreRefusedBeforeConnecting) {
    ScriptedPeer peer(news.load->loop);
    peer.StaySilent();
    const std::uint16_t port = peer.Listen();
    EXPECT_EQ(news.load->Open(Url(port, "alt.test%0D%0APOST"), Source("x", "y")),
              core::kOpenFailed);
    news.load->loop.RunUntil([] { return false; }, 100);
    EXPECT_FALSE(peer.Accepted());
}

}  // namespace
}  // namespace corvane::news

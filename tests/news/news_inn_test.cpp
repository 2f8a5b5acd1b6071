// The news pages against INN on loopback: the group list (and its cache file on the next run),
// a threaded article list, an article with References links, and the authenticating reader.

#include <gtest/gtest.h>

#include <string>

#include "news/news_article_text.h"
#include "news/post_news_source.h"
#include "tests/news/news_fixture.h"
#include "tests/support/inn_server.h"

namespace corvane::news {
namespace {

using testing::InnServer;

std::string Article(const std::string& id, const std::string& group, const std::string& subject,
                    const std::string& references, const std::string& body) {
    std::string article = "Path: test\nFrom: Ann Author <ann@example.org>\nNewsgroups: " + group +
                          "\nSubject: " + subject + "\nMessage-ID: " + id +
                          "\nDate: Thu, 02 Jan 2020 03:04:05 +0000\n";
    if (!references.empty()) article += "References: " + references + "\n";
    return article + "\n" + body;
}

class InnNews : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        inn = new InnServer;
        ASSERT_TRUE(inn->Start({{"alt.test", "Testing"},
                                {"comp.lang.c", "C"},
                                {"comp.lang.java", "Java"},
                                {"comp.os.linux.misc", "Linux"}}))
            << inn->Log();
        const struct {
            const char *id, *subject, *references, *body;
        } articles[] = {
            {"<a1@test>", "First <thread>", "",
             "Hello & welcome\n.leading dot\nsee http://x.example/\n"},
            {"<b1@test>", "Second thread", "", "b\n"},
            {"<a2@test>", "Re: First", "<a1@test>", "reply\n"},
            {"<a3@test>", "Re: Re: First", "<a1@test> <a2@test>", "deeper\n"},
        };
        for (const auto& a : articles)
            ASSERT_TRUE(inn->Feed(a.id, Article(a.id, "alt.test", a.subject, a.references, a.body)))
                << inn->Log();
    }
    static void TearDownTestSuite() {
        delete inn;
        inn = nullptr;
    }
    static std::string Url(std::uint16_t port, const std::string& path) {
        return "news://127.0.0.1:" + std::to_string(port) + "/" + path;
    }

    static InnServer* inn;
    NewsLoads news;
};

InnServer* InnNews::inn = nullptr;

TEST_F(InnNews, GroupListThenFromTheCacheFile) {
    const std::string url = Url(inn->ReaderPort(), "");
    ASSERT_EQ(news.load->Load(url), 1) << inn->Log();
    const std::string page = news.load->Body();
    const std::string start = "<dd><a href=\"news://127.0.0.1:" + std::to_string(inn->ReaderPort());
    EXPECT_NE(page.find(start + "/alt.test\">alt.test</a>"), std::string::npos) << page;
    EXPECT_NE(page.find(start + "/comp.*\">comp.*</a>"), std::string::npos) << page;
    news.Restart();
    ASSERT_EQ(news.load->Open(Url(inn->ReaderPort(), "comp.*")), core::kOpenComplete);
    ASSERT_EQ(news.load->Finish(), 1);
    const std::string comp = news.load->Body();
    EXPECT_NE(comp.find(start + "/comp.lang.*\">comp.lang.*</a>"), std::string::npos) << comp;
    EXPECT_NE(comp.find(start + "/comp.os.linux.misc\">comp.os.linux.misc</a>"), std::string::npos);
}

TEST_F(InnNews, ThreadedArticleListAndAnArticleWithReferences) {
    ASSERT_EQ(news.load->Load(Url(inn->ReaderPort(), "alt.test")), 1) << inn->Log();
    const std::string list = news.load->Body();
    const std::size_t a1 = list.find("a1@test\">First &lt;thread&gt; &lt;Ann Author&gt;</a>");
    const std::size_t a2 =
        list.find("<ul><li>01/02 <a href=\"news://127.0.0.1:" + std::to_string(inn->ReaderPort()) +
                  "/a2@test\"> &lt;");
    const std::size_t a3 =
        list.find("<ul><li>01/02 <a href=\"news://127.0.0.1:" + std::to_string(inn->ReaderPort()) +
                  "/a3@test\"> &lt;");
    const std::size_t b1 = list.find("b1@test\">Second thread");
    EXPECT_TRUE(a1 != std::string::npos && a2 > a1 && a3 != std::string::npos && a3 > a2 &&
                b1 != std::string::npos && b1 > a3)
        << list;

    news.Restart();
    ASSERT_EQ(news.load->Load(Url(inn->ReaderPort(), "a3@test")), 1);
    const std::string article = news.load->Body();
    EXPECT_NE(article.find("<a href=\"news:a1@test\">1</a> , <a href=\"news:a2@test\">2</a> "),
              std::string::npos)
        << article;
    EXPECT_NE(article.find("<a href=\"news:alt.test\">alt.test</a>"), std::string::npos);
    news.Restart();
    ASSERT_EQ(news.load->Load(Url(inn->ReaderPort(), "a1@test")), 1);
    EXPECT_NE(news.load->Body().find("<pre>\r\nHello &amp; welcome\r\n.leading dot\r\nsee "
                                     "<a href=\"http://x.example/\">http://x.example/</a>\r\n"),
              std::string::npos)
        << news.load->Body();
}

TEST_F(InnNews, TheAuthenticatingReaderAsksForTheLoginAndRemembersIt) {
    news.load->ui.credentialAnswers.push_back(
        platform::Credentials{InnServer::kUser, InnServer::kPassword, true});
    ASSERT_EQ(news.load->Load(Url(inn->AuthReaderPort(), "alt.test")), 1) << inn->Log();
    EXPECT_EQ(news.load->ui.credentialPrompts.size(), 1u);
    EXPECT_NE(news.load->Body().find("Second thread"), std::string::npos);
    news.Restart();
    ASSERT_EQ(news.load->Load(Url(inn->AuthReaderPort(), "b1@test")), 1) << inn->Log();
    EXPECT_TRUE(news.load->ui.credentialPrompts.empty());
    EXPECT_NE(news.load->Body().find("<font size=+3>Second thread</font>"), std::string::npos);
}

TEST_F(InnNews, APostedArticleIsReadBackWithItsHeaders) {
    NewsArticleFields fields;
    fields.address = "ann@example.org";
    fields.name = "Ann Author";
    fields.newsgroups = "comp.lang.c";
    fields.subject = "Posted \xC3\xA9t\xC3\xA9";
    fields.body = "first line\n.dotted line\n";
    auto source = std::make_unique<CPostNewsSource>();
    source->newsgroups = fields.newsgroups;
    source->article = ComposeNewsArticle(fields);
    bool posted = false;
    source->onFinished = [&posted](bool ok) { posted = ok; };
    ASSERT_EQ(news.load->Open(
                  "newspost://127.0.0.1:" + std::to_string(inn->ReaderPort()) + "/comp.lang.c",
                  std::move(source)),
              0);
    news.load->Finish(10000);
    std::string statuses;
    for (const std::string& text : news.load->ui.statusTexts) statuses += text + "\n";
    ASSERT_TRUE(posted) << statuses << inn->Log();
    // innd files it a moment after nnrpd took it.
    std::string list;
    for (int attempt = 0; attempt < 50; ++attempt) {
        news.Restart();
        ASSERT_EQ(news.load->Load(Url(inn->ReaderPort(), "comp.lang.c")), 1);
        list = news.load->Body();
        if (list.find("Posted") != std::string::npos) break;
        news.load->loop.RunUntil([] { return false; }, 200);
    }
    EXPECT_NE(list.find("Posted \xC3\xA9t\xC3\xA9 &lt;Ann Author&gt;"), std::string::npos) << list;
}

}  // namespace
}  // namespace corvane::news

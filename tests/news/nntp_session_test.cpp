// The NNTP session against the scripted peer: the exact commands, the login on 480, answers cut
// at any byte, and hostile or stalling servers.

#include <gtest/gtest.h>

#include <string>

#include "core/status.h"
#include "tests/news/news_fixture.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/scripted_peer.h"

namespace corvane::news {
namespace {

using testing::ScriptedPeer;

std::string Url(std::uint16_t port, std::string_view path) {
    return "news://127.0.0.1:" + std::to_string(port) + "/" + std::string(path);
}

std::string Overview(int number, std::string id, std::string references,
                     std::string subject = "s") {
    return std::to_string(number) + "\t" + subject + "\tA <a@x>\t1 Jan 2024\t<" + id + ">\t" +
           references + "\t100\t3\r\n";
}

TEST(NntpSession, NewestArticlesThreadedAtAnyPacketBoundary) {
    const std::string overview = "224 Overview follows\r\n" + Overview(901, "p@x", "") +
                                 Overview(902, "q@x", "") +
                                 Overview(903, "r@x", "<p@x>", "no subject shown") +
                                 "904\tbroken line without fields\r\n" + ".\r\n";
    for (int run = 0; run < 2; ++run) {
        NewsLoads news;
        ScriptedPeer peer(news.load->loop);
        peer.Send("200 server ready\r\n")
            .Expect("GROUP alt.test")
            .Send("211 1000 1 1000 alt.test\r\n")
            .Expect("XOVER 901-1000")
            .Send(overview)
            .StaySilent();
        if (run == 1) peer.OnePacketPerByte();
        ASSERT_EQ(news.load->Load(Url(peer.Listen(), "alt.test")), 1);
        EXPECT_EQ(peer.Received(), "GROUP alt.test\r\nXOVER 901-1000\r\n");
        const std::string page = news.load->Body();
        EXPECT_NE(page.find("<a href=\"alt.test/801-900\">Previous</a>"), std::string::npos);
        const std::size_t p = page.find("p@x\">s &lt;A&gt;</a> (3)<br>\r\n<ul><li>01/01 ");
        const std::size_t r = page.find("r@x\"> &lt;A&gt;</a> (3)<br>\r\n</ul><li>");
        const std::size_t q = page.find("q@x\">s &lt;A&gt;</a>");
        EXPECT_TRUE(p != std::string::npos && r > p && q != std::string::npos && q > r) << page;
        EXPECT_EQ(page.find("broken"), std::string::npos);
        EXPECT_EQ(news.load->request->newsgroups, "alt.test");
    }
}

TEST(NntpSession, LoginOn480IsAskedSavedAndSentOnTheNextConnection) {
    NewsLoads news;
    {
        ScriptedPeer peer(news.load->loop);
        peer.Send("200 ready\r\n")
            .Expect("GROUP alt.test")
            .Send("480 Authentication required\r\n")
            .Expect("AUTHINFO USER ann")
            .Send("381 More\r\n")
            .Expect("AUTHINFO PASS secret")
            .Send("281 Ok\r\n")
            .Expect("GROUP alt.test")
            .Send("211 2 1 2 alt.test\r\n")
            .Expect("XOVER 1-2")
            .Send("224 ok\r\n.\r\n")
            .StaySilent();
        news.load->ui.credentialAnswers.push_back(platform::Credentials{" ann ", "secret", true});
        ASSERT_EQ(news.load->Load(Url(peer.Listen(), "alt.test")), 1);
        EXPECT_EQ(peer.Received(),
                  "GROUP alt.test\r\nAUTHINFO USER ann\r\nAUTHINFO PASS secret\r\n"
                  "GROUP alt.test\r\nXOVER 1-2\r\n");
        EXPECT_EQ(news.load->ui.credentialPrompts.size(), 1u);
    }
    const std::string settings = testing::ReadFile(news.ProfileFile());
    EXPECT_NE(settings.find("-User=ann"), std::string::npos) << settings;
    EXPECT_EQ(settings.find("secret"), std::string::npos);
    news.Restart();
    ScriptedPeer peer(news.load->loop);
    const std::uint16_t port = peer.Listen();
    // The login was saved under the server's name with its port; the first port is gone, so
    // this server is another one unless the record is looked up by that name.
    news.services->Server("127.0.0.1:" + std::to_string(port)).user = "ann";
    news.services->Server("127.0.0.1:" + std::to_string(port)).password = "secret";
    peer.Send("200 ready\r\n")
        .Expect("AUTHINFO USER ann")
        .Send("381 More\r\n")
        .Expect("AUTHINFO PASS secret")
        .Send("481 Rejected\r\n")
        .StaySilent();
    // A refused password asks again; cancelling fails the load without another connection.
    EXPECT_EQ(news.load->Load(Url(port, "m@x")), -1);
    EXPECT_EQ(peer.Received(), "AUTHINFO USER ann\r\nAUTHINFO PASS secret\r\n");
    EXPECT_EQ(news.load->ui.credentialPrompts.size(), 1u);
}

TEST(NntpSession, ArticlePageUnstuffsDotsEscapesAndSetsTheFollowUpFields) {
    NewsLoads news;
    ScriptedPeer peer(news.load->loop);
    peer.Send("200 ready\r\n")
        .Expect("ARTICLE <m@x>")
        .Send(
            "220 0 <m@x>\r\nSubject: <script>alert(1)</script> & more\r\n"
            "From: Ann <ann@x>\r\nNewsgroups: alt.test,alt.misc\r\n"
            "References: <p@x>\r\nMessage-ID: <m@x>\r\n"
            "Content-Type: text/plain; charset=ISO-8859-1\r\n\r\n"
            "..leading dot\r\n...\r\n<form action=x>\r\ncaf\xE9\r\n.\r\n")
        .StaySilent();
    ASSERT_EQ(news.load->Load(Url(peer.Listen(), "m@x")), 1);
    EXPECT_EQ(peer.Received(), "ARTICLE <m@x>\r\n");
    const std::string page = news.load->Body();
    EXPECT_TRUE(
        page.ends_with("<pre>\r\n.leading dot\r\n..\r\n&lt;form action=x&gt;\r\n"
                       "caf\xC3\xA9\r\n</pre><hr size=4>\r\n"))
        << page;
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<form"), std::string::npos);
    const core::CHTRequest& request = *news.load->request;
    EXPECT_EQ(request.subject, "<script>alert(1)</script> & more");
    EXPECT_EQ(request.sender, "Ann <ann@x>");
    EXPECT_EQ(request.newsgroups, "alt.test");
    EXPECT_EQ(request.references, "<p@x> <m@x>");
    EXPECT_EQ(request.charset, "UTF-8");  // the page is written in UTF-8
}

// An attachment link fetches the article again and hands the decoded part to Save As; an
// attachment the article does not have fails the load. Message-ids of pages without a
// Message-ID header still make links.
TEST(NntpSession, AnAttachmentOfAnArticleIsSaved) {
    NewsLoads news;
    const std::string article =
        "220 0 <m@x>\r\nSubject: files\r\n\r\ntext\r\nbegin 644 cat.txt\r\n#0V%T\r\n`\r\n"
        "end\r\n.\r\n";
    for (const std::string path : {"m@x", "m@x/1/cat.txt", "m@x/2/x"}) {
        news.Restart();
        ScriptedPeer peer(news.load->loop);
        peer.Send("200 ready\r\n").Expect("ARTICLE <m@x>").Send(article).StaySilent();
        const std::uint16_t port = peer.Listen();
        news.load->ui.fileAnswers = {news.scratch.File("saved.txt")};
        const int loaded = news.load->Load(Url(port, path));
        if (path == "m@x") {
            EXPECT_NE(news.load->Body().find("<a href=\"news://127.0.0.1:" + std::to_string(port) +
                                             "/m@x/1/cat.txt\">cat.txt</a>"),
                      std::string::npos)
                << news.load->Body();
        } else if (path == "m@x/1/cat.txt") {
            news.load->loop.RunUntil([&] { return news.scratch.Read("saved.txt") == "Cat"; }, 5000);
            EXPECT_EQ(news.scratch.Read("saved.txt"), "Cat");
            EXPECT_EQ(news.load->ui.fileDialogTitles, std::vector<std::string>{"Save As"});
        } else {
            EXPECT_EQ(loaded, -1);  // the article has one attachment only
        }
    }
}

TEST(NntpSession, HostileArticlesAndOverviews) {
    NewsLoads news;
    {
        // Headers not followed by a blank line: the first line that is no header starts the
        // body, so nothing the server sent is lost.
        ScriptedPeer peer(news.load->loop);
        peer.Send("200 ready\r\n")
            .Expect("GROUP alt.test")
            .Send("211 1 5 5 alt.test\r\n")
            .Expect("ARTICLE 5")
            .Send("220 5 <n@x>\r\nSubject: hi\r\nthis is the body\r\n.\r\n")
            .StaySilent();
        ASSERT_EQ(
            news.load->Load("nntp://127.0.0.1:" + std::to_string(peer.Listen()) + "/alt.test/5"),
            1);
        EXPECT_TRUE(
            news.load->Body().ends_with("<pre>\r\nthis is the body\r\n</pre><hr size=4>\r\n"))
            << news.load->Body();
    }
    news.Restart();
    // A 1 MB overview line is dropped whole; the lines around it are shown.
    ScriptedPeer peer(news.load->loop);
    peer.Send("200 ready\r\n")
        .Expect("GROUP big")
        .Send("211 3 1 3 big\r\n")
        .Expect("XOVER 1-3")
        .Send("224 ok\r\n" + Overview(1, "a@x", "") + "2\t");
    for (int piece = 0; piece < 32; ++piece) peer.Send(std::string(32768, 'h'));
    peer.Send("\tA <a@x>\t1 Jan 2024\t<huge@x>\t\t1\t1\r\n" + Overview(3, "c@x", "") + ".\r\n")
        .StaySilent();
    ASSERT_EQ(news.load->Load(Url(peer.Listen(), "big")), 1);
    const std::string page = news.load->Body();
    EXPECT_NE(page.find("a@x"), std::string::npos);
    EXPECT_NE(page.find("c@x"), std::string::npos);
    EXPECT_EQ(page.find("huge@x"), std::string::npos);
}

TEST(NntpSession, FailedRepliesAndCommandTextFailTheLoad) {
    NewsLoads news;
    {
        ScriptedPeer peer(news.load->loop);
        peer.Send("200 ready\r\n")
            .Expect("GROUP no.such")
            .Send("411 No such group\r\n")
            .StaySilent();
        EXPECT_EQ(news.load->Load(Url(peer.Listen(), "no.such")), -1);
        EXPECT_EQ(peer.Received(), "GROUP no.such\r\n");
    }
    news.Restart();
    {
        ScriptedPeer peer(news.load->loop);
        peer.Send("502 Go away\r\n").StaySilent();
        EXPECT_EQ(news.load->Load(Url(peer.Listen(), "alt.test")), -1);
    }
    news.Restart();
    EXPECT_EQ(news.load->Open("news://127.0.0.1:1/a%0D%0AQUIT"), core::kOpenFailed);
}

std::string ListAnswer(int groups) {
    std::string answer = "215 list follows\r\n";
    answer.reserve(static_cast<std::size_t>(groups) * 24);
    for (int i = 0; i < groups; ++i)
        answer += "h" + std::to_string(i % 100) + ".g" + std::to_string(i) + " 10 1 y\r\n";
    return answer + ".\r\n";
}

TEST(NntpSession, AMillionGroupsAreListedAndCached) {
    NewsLoads news;
    {
        ScriptedPeer peer(news.load->loop);
        peer.Send("200 ready\r\n").Expect("LIST");
        // In pieces the loop's turns can carry: the peer writes one Send per turn.
        const std::string answer = ListAnswer(1000000);
        for (std::size_t at = 0; at < answer.size(); at += 32768)
            peer.Send(answer.substr(at, 32768));
        peer.StaySilent();
        const std::uint16_t port = peer.Listen();
        ASSERT_EQ(news.load->Open(Url(port, "h7.*")), core::kOpenWaiting);
        ASSERT_EQ(news.load->Finish(300000), 1);
        // The no-cache question came first and was answered OK.
        ASSERT_EQ(news.load->ui.messages.size(), 1u);
        EXPECT_TRUE(
            news.load->ui.messages[0].text.starts_with("No news group list for 127.0.0.1:"));
        const std::string page = news.load->Body();
        EXPECT_NE(page.find(">h7.g999907</a>"), std::string::npos);
        EXPECT_EQ(page.find(">h8.g8</a>"), std::string::npos);
        const auto& status = news.load->ui.statusTexts;
        EXPECT_NE(std::find(status.begin(), status.end(), "No of newgroups received: 1000000"),
                  status.end());
        // The same server again is served from memory, without a connection.
        ASSERT_EQ(news.load->Open(Url(port, "")), core::kOpenComplete);
        ASSERT_EQ(news.load->Finish(300000), 1);
        EXPECT_NE(news.load->Body().find("<dd><a href=\"news://127.0.0.1:" + std::to_string(port) +
                                         "/h99.*\">h99.*</a>\r\n</dl>\r\n"),
                  std::string::npos);
    }
}

TEST(NntpSession, GroupListComesFromTheCacheFileAfterARestart) {
    NewsLoads news;
    std::uint16_t port = 0;
    {
        ScriptedPeer peer(news.load->loop);
        peer.Send("200 ready\r\n")
            .Expect("LIST")
            .Send("215 ok\r\nalt.test 1 1 y\r\n..dotted.group 1 1 y\r\nnospace\r\n.\r\n")
            .StaySilent();
        port = peer.Listen();
        ASSERT_EQ(news.load->Load(Url(port, "")), 1);
        EXPECT_NE(news.load->Body().find(">dotted.group</a>"), std::string::npos)
            << news.load->Body();
    }
    news.Restart();
    // The retrieve question offers the cache first; no server is there to ask any more.
    ASSERT_EQ(news.load->Load(Url(port, "")), 1);
    EXPECT_EQ(news.load->ui.choiceTitles,
              std::vector<std::string>{"Corvane : Newsgroup Retrieve Settings"});
    const std::string page = news.load->Body();
    EXPECT_NE(page.find(">alt.test</a>"), std::string::npos) << page;
    EXPECT_EQ(page.find("nospace"), std::string::npos);
    const std::vector<std::string> names = news.scratch.Names();
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const std::string& name) {
                                return name.starts_with("CVT") && name.ends_with(".NG");
                            }),
              1);
    // Cancelling the question ends the load without a page or a message.
    news.Restart();
    news.load->ui.choiceAnswers.push_back(std::nullopt);
    EXPECT_EQ(news.load->Open(Url(port, "")), core::kOpenFailed);
    EXPECT_EQ(news.load->request->protocol->error, core::kSilentEnd);
}

TEST(NntpSession, AStalledListStopsAtOnce) {
    NewsLoads news;
    ScriptedPeer peer(news.load->loop);
    peer.Send("200 ready\r\n").Expect("LIST").Send("215 ok\r\na.b 1 1 y\r\n").StaySilent();
    const std::uint16_t port = peer.Listen();
    ASSERT_EQ(news.load->Open(Url(port, "")), core::kOpenWaiting);
    EXPECT_EQ(news.load->Finish(300), 0);
    news.load->request->Stop();
    EXPECT_EQ(news.load->request->protocol, nullptr);
    EXPECT_LT(news.services->Server("127.0.0.1:" + std::to_string(port)).groupCount, 0);
}

}  // namespace
}  // namespace corvane::news

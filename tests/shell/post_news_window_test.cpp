// Posting news as a user does, against INN on loopback: the Post News window's checks, an
// article posted and read back through the news pages, a follow-up to it (References, the quoted
// body with its " wrote:" line) and both copies in the mail folder "News".

#include "shell/post_news_window.h"

#include <gtest/gtest.h>

#include "html/document.h"
#include "html/element.h"
#include "mail/mail_store.h"
#include "tests/shell/browser_window_fixture.h"
#include "tests/support/inn_server.h"

namespace corvane::shell {
namespace {

using platform::MessageAnswer;

class PostNewsTest : public testing::BrowserWindowTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(inn.Start({{"alt.posting", "Posting"}})) << inn.Log();
        profile.Write("ovalon.ini",
                      "[Mail and News]\nE-Mail Address=ann@example.org\nMail Name=Ann Author\n"
                      "NNTP Server=127.0.0.1:" +
                          std::to_string(inn.ReaderPort()) + "\n");
        BrowserWindowTest::SetUp();
    }
    std::unique_ptr<CPostNewsWindow> Compose(PostNewsFields fields) {
        return std::make_unique<CPostNewsWindow>(
            *application, std::move(fields),
            [this](const std::string& url, std::unique_ptr<core::CObject> body) {
                window->OpenWithMethod(url, core::kMethodFormPost, std::move(body));
            },
            [this] { return window->QuoteSource(); });
    }
    // Sends and waits for the outcome message.
    void SendAndWait(CPostNewsWindow& post) {
        const std::size_t before = answers.messages.size();
        answers.messageAnswers.push_back(MessageAnswer::kNo);
        post.Send();
        ASSERT_TRUE(loop.RunUntil([&] { return answers.messages.size() > before; }, 20000))
            << inn.Log();
        std::string statuses;
        for (const std::string& text : answers.statusTexts) statuses += text + "\n";
        EXPECT_EQ(answers.messages.back().text,
                  "Message has been posted.\r\nDo you want to post another message?\r\n")
            << statuses << inn.Log();
    }
    std::string Show(const std::string& url) {
        window->Load(url);
        EXPECT_TRUE(WaitForLoad());
        return window->View().DumpText();
    }
    // The article links of the group's list once it holds `count` articles, oldest first.
    std::vector<std::string> ArticleLinks(std::size_t count) {
        std::vector<std::string> links;
        // innd files a posted article a moment after nnrpd accepted it.
        for (int attempt = 0; attempt < 20 && links.size() < count; ++attempt) {
            if (attempt > 0) {
                loop.RunUntil([] { return false; }, 200);
                window->Reload();  // the list shown before is kept until reloaded
                EXPECT_TRUE(WaitForLoad());
            } else {
                Show("news://127.0.0.1:" + std::to_string(inn.ReaderPort()) + "/alt.posting");
            }
            links.clear();
            if (const html::CHTML* page = window->ShownHtml()) {
                for (const html::CHTMLAnchor* anchor : page->anchors) {
                    if (anchor->url.find('@') != std::string::npos) links.push_back(anchor->url);
                }
            }
        }
        return links;
    }

    corvane::testing::InnServer inn;
};

TEST_F(PostNewsTest, ChecksBeforeSending) {
    std::unique_ptr<CPostNewsWindow> post = Compose({});
    EXPECT_EQ(post->From().text(), "Ann Author <ann@example.org>");
    post->Send();
    EXPECT_EQ(answers.messages.back().text, "No newsgroups is specified.");
    post->Newsgroups().setText("alt.posting");
    post->Attachment().setText(QString::fromStdString(profile.File("missing.bin")));
    post->Send();
    EXPECT_EQ(answers.messages.back().text, "Invalid attachment.");
    EXPECT_TRUE(post->SendButton().isEnabled());
    // Without an address there is no window.
    application->Settings().Section("Mail and News").WriteString("E-Mail Address", "");
    EXPECT_EQ(CPostNewsWindow::Open(*application, {}, nullptr, nullptr), nullptr);
    EXPECT_EQ(answers.messages.back().text,
              "You need to setup your E-mail address before posting news.");
}

TEST_F(PostNewsTest, PostReadBackFollowUpAndFindBothInNews) {
    std::unique_ptr<CPostNewsWindow> post = Compose({"", "alt.posting", "", ""});
    post->Subject().setText("Caf\u00e9 opening");
    post->Body().setPlainText("We open at nine.\n.early birds welcome");
    SendAndWait(*post);
    const std::vector<std::string> first = ArticleLinks(1);
    ASSERT_EQ(first.size(), 1u) << inn.Log();
    const std::string article = Show(first[0]);
    EXPECT_NE(article.find("Caf\u00e9"), std::string::npos) << article;
    EXPECT_NE(article.find(".early birds welcome"), std::string::npos) << article;

    // Services > Post News on the article: a follow-up.
    const PostNewsFields fields = window->FollowUpFields();
    EXPECT_EQ(fields.newsgroups, "alt.posting");
    EXPECT_EQ(fields.subject, "Re: Caf\u00e9 opening");
    ASSERT_FALSE(fields.references.empty());
    std::unique_ptr<CPostNewsWindow> reply = Compose(fields);
    reply->Quote();
    EXPECT_NE(reply->Body().toPlainText().indexOf(" wrote:"), -1);
    EXPECT_NE(reply->Body().toPlainText().indexOf(">We open at nine."), -1)
        << reply->Body().toPlainText().toStdString();
    reply->Body().appendPlainText("See you there.");
    SendAndWait(*reply);
    const std::vector<std::string> both = ArticleLinks(2);
    ASSERT_EQ(both.size(), 2u) << inn.Log();
    // The follow-up is threaded under the article it answers.
    EXPECT_EQ(both[0], first[0]);
    const std::string followUp = Show(both[1]);
    EXPECT_NE(followUp.find("See you there."), std::string::npos) << followUp;
    EXPECT_NE(followUp.find(" wrote:"), std::string::npos);
    EXPECT_NE(followUp.find("References:"), std::string::npos) << followUp;
    const std::string firstId = first[0].substr(first[0].rfind('/') + 1);
    bool linked = false;
    for (const html::CHTMLAnchor* anchor : window->ShownHtml()->anchors)
        linked = linked || anchor->url.ends_with(firstId);
    EXPECT_TRUE(linked) << firstId;

    // Both copies are in "News", addressed to the group.
    const mail::MailStore& store = application->Mail().store;
    const mail::MailFolder* news = store.GlobalFolder(mail::MailStore::kNews);
    ASSERT_NE(news, nullptr);
    ASSERT_EQ(news->messages.size(), 2u);
    EXPECT_EQ(news->messages[0]->to, "alt.posting");
}

}  // namespace
}  // namespace corvane::shell

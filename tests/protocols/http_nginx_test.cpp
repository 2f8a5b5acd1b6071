// CHTTP against nginx on loopback: logins asked for and sent again on a new connection, and a
// revalidation answered 304. (Form posts reach nginx in the form window's tests.)
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/protocols/http_fixture.h"
#include "tests/support/nginx_server.h"

namespace corvane::protocols {
namespace {

using testing::NginxServer;

class HttpNginxTest : public testing_support::HttpTest {
  protected:
    HttpNginxTest()
        : web("location /private/ { auth_basic \"Test Realm\"; auth_basic_user_file " +
              passwords.File("htpasswd") +
              "; }\n") {
        passwords.Write("htpasswd", "anna:{PLAIN}s3cret\n");
        web.Root().Write("page.html", "<p>page");
        std::filesystem::create_directories(web.Root().File("private/sub"));
        web.Root().Write("private/a.html", "secret a");
        web.Root().Write("private/sub/b.html", "secret b");
        EXPECT_TRUE(web.Start()) << web.Log();
    }

    corvane::testing::ScratchDirectory passwords;
    NginxServer web;
};

TEST_F(HttpNginxTest, LoginIsAskedThenSentAndReusedForTheRealm) {
    ui.credentialAnswers.push_back(platform::Credentials{"anna", "wrong", false});
    ui.messageAnswers.push_back(platform::MessageAnswer::kYes);  // "Authorization falied.  Retry?"
    ui.credentialAnswers.push_back(platform::Credentials{"anna", "s3cret", true});
    Load(web.Url("/private/a.html"));
    EXPECT_EQ(Shown(), "secret a");
    EXPECT_EQ(ui.credentialPrompts.size(), 2u);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Authorization falied.  Retry?");
    const std::string port = std::to_string(web.Port());
    ASSERT_EQ(stores.stored.size(), 2u);
    EXPECT_EQ(stores.stored[0], "127.0.0.1:" + port + " /private/a.html anna:wrong -");
    EXPECT_EQ(stores.stored[1], "127.0.0.1:" + port + " /private/a.html anna:s3cret anna");

    // Another path of the realm: the known login is tried at once, without a dialog.
    stores.logins.erase(stores.logins.begin() + 1, stores.logins.end());
    stores.logins[0].pathPattern = "/nowhere/";
    Load(web.Url("/private/sub/b.html"));
    EXPECT_EQ(Shown(), "secret b");
    EXPECT_EQ(ui.credentialPrompts.size(), 2u);
}

TEST_F(HttpNginxTest, RevalidationIsAnsweredNotModified) {
    stores.copy = "the copy";
    stores.check = core::CopyCheck::kRevalidate;
    stores.copyTime = 1577934245 + 60;  // a minute after the file's time
    Load(web.Url("/page.html"));
    EXPECT_EQ(Shown(), "the copy");
    const std::string log = web.AccessLogWith("\"GET /page.html HTTP/1.0\" 304");
    EXPECT_NE(log.find("\"GET /page.html HTTP/1.0\" 304"), std::string::npos) << log;

    stores.copyTime = 1577934245 - 60;  // older than the file: the page itself comes
    Load(web.Url("/page.html?again"));
    EXPECT_EQ(Shown(), "<p>page");
}

}  // namespace
}  // namespace corvane::protocols

// CHTTP over TLS against nginx on loopback, with certificates from the test authority: a valid
// one, the four kinds that fail the check (each refused and accepted), a server that offers
// only TLS 1.0, and a redirection from https to http.
#include <gtest/gtest.h>

#include "tests/protocols/http_fixture.h"
#include "tests/support/nginx_server.h"
#include "tests/support/test_authority.h"

namespace corvane::protocols {
namespace {

using testing::NginxServer;
using testing::TestAuthority;
using Security = core::CHTRequest::Security;

class HttpsNginxTest : public testing_support::HttpTest {
  protected:
    // A started nginx serving page.html over TLS with a certificate of `kind`.
    std::unique_ptr<NginxServer> SecureServer(TestAuthority::Kind kind, std::string lines = {},
                                              std::string tlsLines = {}) {
        auto web = std::make_unique<NginxServer>(std::move(lines));
        const TestAuthority::Files& files = TestAuthority::Trusted().Server(kind);
        web->UseTls(files.certificate, files.key, std::move(tlsLines));
        web->Root().Write("page.html", "<p>secure");
        EXPECT_TRUE(web->Start()) << web->Log();
        return web;
    }
};

TEST_F(HttpsNginxTest, VerifiedCertificateLoadsWithoutAQuestion) {
    const auto web = SecureServer(TestAuthority::Kind::kValid);
    Load(web->Url("/page.html"));
    EXPECT_EQ(Shown(), "<p>secure");
    EXPECT_TRUE(ui.certificateQuestions.empty());
    EXPECT_EQ(ShownSecurity(), Security::kVerified);
    EXPECT_EQ(window->Shown()->certificateSubject, "CN=localhost,O=Corvane Tests");
}

TEST_F(HttpsNginxTest, CertificatesThatFailTheCheckAreQuestioned) {
    struct Case {
        TestAuthority::Kind kind;
        const char* reason;
        const char* issuedTo = "localhost";
    };
    const Case cases[] = {
        {TestAuthority::Kind::kWrongHost, "(wrong host name)", "other.example"},
        {TestAuthority::Kind::kExpired, "(expired)"},
        {TestAuthority::Kind::kSelfSigned, "(self-signed certificate)"},
        {TestAuthority::Kind::kUnknownIssuer, "(unknown issuer)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        const auto web = SecureServer(c.kind);
        window = std::make_unique<core::COvalonDoc>(host, nullptr);
        ui.certificateQuestions.clear();
        // No, then Yes, then no question at all.
        ui.certificateAnswers = {false, true};
        Load(web->Url("/page.html"));
        EXPECT_EQ(Shown(), "(nothing)");
        ASSERT_EQ(ui.certificateQuestions.size(), 1u);
        const std::string& question = ui.certificateQuestions[0];
        EXPECT_EQ(question, "The certificate of 127.0.0.1 cannot be verified " +
                                std::string(c.reason) + ".\nIt was issued to: CN=" +
                                c.issuedTo + ",O=Corvane Tests\n\nContinue anyway?");
        EXPECT_TRUE(ui.messages.empty()) << LastMessage();
        for (const char* query : {"?yes", "?remembered"}) {
            Load(web->Url("/page.html") + query);
            EXPECT_EQ(Shown(), "<p>secure");
            EXPECT_EQ(ShownSecurity(), Security::kAccepted);
        }
        EXPECT_EQ(ui.certificateQuestions.size(), 2u);
        // Only the accepted connections asked for anything.
        const std::string log = web->AccessLogWith("GET /page.html", 2);
        EXPECT_EQ(log.find("GET /page.html HTTP"), std::string::npos) << log;
        EXPECT_NE(log.find("GET /page.html?remembered HTTP"), std::string::npos) << log;
    }
}

TEST_F(HttpsNginxTest, ServerOfferingOnlyTls10IsRefused) {
    const auto web = SecureServer(TestAuthority::Kind::kValid, {},
                                  "ssl_protocols TLSv1; ssl_ciphers DEFAULT:@SECLEVEL=0;");
    Load(web->Url("/page.html"));
    EXPECT_EQ(Shown(), "(nothing)");
    EXPECT_TRUE(LastMessage().starts_with("Cannot connect to ")) << LastMessage();
    bool toldWhy = false;
    for (const std::string& text : ui.statusTexts)
        toldWhy = toldWhy || text.find("alert protocol version") != std::string::npos;
    EXPECT_TRUE(toldWhy) << ::testing::PrintToString(ui.statusTexts);
}

TEST_F(HttpsNginxTest, RedirectionToPlainHttpIsFollowed) {
    NginxServer plain("");
    plain.Root().Write("plain.html", "<p>plain");
    ASSERT_TRUE(plain.Start()) << plain.Log();
    const auto web =
        SecureServer(TestAuthority::Kind::kValid,
                     "location = /moved { return 302 " + plain.Url("/plain.html") + "; }");
    Load(web->Url("/moved"));
    EXPECT_EQ(Shown(), "<p>plain");
    EXPECT_EQ(ShownSecurity(), Security::kNone);
    EXPECT_EQ(window->Shown()->canonicalUrl, plain.Url("/plain.html"));
}

}  // namespace
}  // namespace corvane::protocols

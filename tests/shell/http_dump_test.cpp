// The program against nginx on loopback: pages, redirections, a redirect loop, the server's own
// 404 page and a 4 MiB file, through --dump-source and --dump-text.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/shell/run_program.h"
#include "tests/support/nginx_server.h"
#include "tests/support/scratch_directory.h"

namespace corvane::shell {
namespace {

using testing::RunCorvaneProgram;

const char kPage[] = "<title>T</title><h1>Head</h1><p>Para with <a href=next.html>a link</a>.";
const char kNext[] = "<p>The next page";

class HttpDumpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        web.Root().Write("page.html", kPage);
        web.Root().Write("next.html", kNext);
        web.Root().Write("refresh.html", "<p>Refreshing");
        web.Root().Write("404.html", "<p>Nothing here");
        for (int line = 0; big.size() < (4u << 20); ++line)
            big += "line " + std::to_string(line) + " of the big file\n";
        web.Root().Write("big.txt", big);
        ASSERT_TRUE(web.Start()) << web.Log();
    }
    corvane::shell::testing::ProgramOutcome Run(std::string_view mode, std::string_view path) {
        return RunCorvaneProgram({"--profile", profile.path(), std::string(mode), web.Url(path)});
    }

    corvane::testing::ScratchDirectory profile;
    corvane::testing::NginxServer web{
        "location = /moved { return 301 /next.html; }\n"
        "location = /found { return 302 /next.html; }\n"
        "location = /relative { absolute_redirect off; return 302 next.html; }\n"
        "location = /loop { return 302 /loop; }\n"
        "location = /refresh.html { add_header Refresh \"2; URL=next.html\"; }\n"};
    std::string big;
};

TEST_F(HttpDumpTest, PagesAndRedirectionsShowTheirSource) {
    const struct {
        const char* path;
        std::string source;
    } cases[] = {
        {"/page.html", kPage},
        {"/moved", kNext},
        {"/found", kNext},
        {"/relative", kNext},
        {"/refresh.html", "<p>Refreshing"},
        {"/missing.html", "<p>Nothing here"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const auto outcome = Run("--dump-source", c.path);
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        EXPECT_EQ(outcome.out, c.source);
    }
}

TEST_F(HttpDumpTest, RedirectLoopEndsWithCannotConnect) {
    const auto outcome = Run("--dump-source", "/loop");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.err.find("Cannot connect to "), std::string::npos) << outcome.err;
    // The first request and twenty redirections.
    const std::string log = web.AccessLogWith("GET /loop", 21);
    std::size_t requests = 0;
    for (std::size_t at = 0; (at = log.find("GET /loop", at)) != std::string::npos; ++at)
        ++requests;
    EXPECT_EQ(requests, 21u);
}

TEST_F(HttpDumpTest, NextRunRevalidatesTheCopyOnce) {
    for (int run = 0; run < 2; ++run) {
        const auto outcome = Run("--dump-text", "/page.html");
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        EXPECT_EQ(outcome.out, "Head\n\nPara with a link.\n");
    }
    // The server's 404 page is shown but never kept.
    EXPECT_EQ(Run("--dump-text", "/missing.html").out, "Nothing here\n");
    std::size_t copies = 0;
    for (const auto& entry : std::filesystem::directory_iterator(profile.File("cache")))
        copies += entry.path().extension() == ".cvc";
    EXPECT_EQ(copies, 1u);
    const std::string log = web.AccessLogWith("\"GET /page.html HTTP/1.0\" 304");
    const std::size_t first = log.find("\"GET /page.html HTTP/1.0\" 200");
    EXPECT_NE(first, std::string::npos) << log;
    EXPECT_NE(log.find("\"GET /page.html HTTP/1.0\" 304", first), std::string::npos) << log;
}

TEST_F(HttpDumpTest, BigFileArrivesWhole) {
    const auto outcome = Run("--dump-source", "/big.txt");
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out.size(), big.size());
    EXPECT_TRUE(outcome.out == big);
}

}  // namespace
}  // namespace corvane::shell

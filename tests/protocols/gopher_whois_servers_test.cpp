// Gopher and whois against real servers on loopback: gophernicus under socat, and a socat whois
// responder running a canned-answer script.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "core/save_to_file.h"
#include "protocols/gopher_protocol.h"
#include "tests/support/loopback_server.h"
#include "tests/support/protocol_load.h"
#include "tests/support/scratch_directory.h"

namespace corvane::protocols {
namespace {

using testing::LoopbackServer;
using testing::ProtocolLoad;
using testing::ScratchDirectory;

void WriteExecutable(const ScratchDirectory& scratch, const std::string& name,
                     const std::string& text) {
    scratch.Write(name, text);
    chmod(scratch.File(name).c_str(), 0755);
}

class GopherServer : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterGopherAndWhois();
        ASSERT_TRUE(testing::OpenToServers(scratch.path()));
        for (const char* directory : {"root", "root/sub", "root/cgi-bin"}) {
            ASSERT_EQ(mkdir(scratch.File(directory).c_str(), 0755), 0);
        }
        scratch.Write("root/gophermap",
                      "iWelcome <home>\t\t\t\r\n0Notes\tnotes.txt\r\n1Sub dir\tsub\r\n"
                      "7Search\t/cgi-bin/search\r\n9Data\tdata.bin\r\n");
        scratch.Write("root/notes.txt", "hello gopher\n");
        scratch.Write("root/sub/a.txt", "in sub\n");
        binary.resize(70000);
        for (std::size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 7 % 256);
        scratch.Write("root/data.bin", binary);
        WriteExecutable(scratch, "root/cgi-bin/search",
                        "#!/bin/sh\nprintf 'iyou asked %s\\t\\t\\t0\\r\\n.\\r\\n' "
                        "\"$SEARCHREQUEST\"\n");
        const std::string root = scratch.File("root");
        ASSERT_TRUE(server.Start(
            {"/usr/bin/socat", "TCP-LISTEN:{port},bind=127.0.0.1,reuseaddr,fork",
             "EXEC:/usr/bin/setpriv --reuid=_gophernicus --regid=_gophernicus --clear-groups "
             "/usr/sbin/gophernicus -h 127.0.0.1 -p {port} -r " +
                 root + " -nf -nd -nv -ns -nm,nofork"},
            scratch.File("server.log")))
            << server.Log();
    }
    std::string Url(const std::string& path) const {
        return "gopher://127.0.0.1:" + std::to_string(server.port()) + "/" + path;
    }
    std::string Link(const std::string& typeAndSelector) const {
        return "<a href=\"gopher://127.0.0.1:" + std::to_string(server.port()) + "/" +
               typeAndSelector + "\">";
    }

    ScratchDirectory scratch;
    LoopbackServer server;
    std::string binary;
};

TEST_F(GopherServer, RootMenuSubmenuFilesAndSearch) {
    {
        ProtocolLoad load;
        ASSERT_EQ(load.Load(Url("")), 1);
        const std::string page = load.Body();
        EXPECT_NE(page.find("\r\nWelcome &lt;home&gt;\r\n"), std::string::npos) << page;
        EXPECT_NE(page.find(Link("0/notes.txt") + "Notes</a>"), std::string::npos) << page;
        EXPECT_NE(page.find(Link("1/sub") + "Sub dir</a>"), std::string::npos) << page;
        EXPECT_NE(page.find(Link("7/cgi-bin/search") + "Search</a>"), std::string::npos);
        EXPECT_TRUE(page.ends_with("</pre><hr size=4>\r\n")) << page;
    }
    {
        ProtocolLoad load;
        ASSERT_EQ(load.Load(Url("1/sub")), 1);
        EXPECT_NE(load.Body().find(Link("0/sub/a.txt") + "a.txt</a>"), std::string::npos);
    }
    {
        ProtocolLoad load;
        ASSERT_EQ(load.Load(Url("0/notes.txt")), 1);
        EXPECT_EQ(load.request->protocol->contentType, "text/plain");
        // The server sends text items with CR LF line ends.
        EXPECT_EQ(load.Body(), "hello gopher\r\n");
    }
    {
        ProtocolLoad load;
        ASSERT_EQ(load.Load(Url("9/data.bin")), 1);
        EXPECT_EQ(load.request->protocol->contentType, "application/octet-stream");
        EXPECT_TRUE(load.Body() == binary) << load.Body().size();
    }
    {
        ProtocolLoad load;
        ASSERT_EQ(load.Load(Url("7/cgi-bin/search?two%20words")), 1);
        EXPECT_NE(load.Body().find("you asked two words\r\n"), std::string::npos) << load.Body();
    }
}

// A menu saved into a chosen file is the page the window shows for it.
TEST_F(GopherServer, AMenuIsSavedAsItsPage) {
    ProtocolLoad load;
    const std::string target = scratch.File("menu.htm");
    bool started = false;
    load.loop.Post([&] {
        core::SaveAddressToFile(load.host, Url(""), target, nullptr);
        started = true;
    });
    EXPECT_TRUE(load.loop.RunUntil(
        [&] {
            return started && load.host.BackgroundCount() == 0 &&
                   load.host.downloads.RunningCount(nullptr) == 0;
        },
        10000));
    EXPECT_TRUE(load.ui.messages.empty()) << load.ui.messages.back().text;
    ProtocolLoad shown;
    ASSERT_EQ(shown.Load(Url("")), 1);
    EXPECT_EQ(scratch.Read("menu.htm"), shown.Body());
    EXPECT_NE(shown.Body().find(Link("1/sub") + "Sub dir</a>"), std::string::npos);
}

TEST(WhoisServer, KnownAndUnknownQueries) {
    RegisterGopherAndWhois();
    ScratchDirectory scratch;
    ASSERT_TRUE(testing::OpenToServers(scratch.path()));
    WriteExecutable(scratch, "whoisd",
                    "#!/bin/sh\nIFS= read -r q\nq=$(printf %s \"$q\" | tr -d '\\r')\n"
                    "if [ \"$q\" = example.test ]; then\n"
                    "  printf 'Domain: EXAMPLE.TEST\\r\\nSee http://example.test/info\\r\\n'\n"
                    "else\n  printf 'No match for \"%s\".\\r\\n' \"$q\"\nfi\n");
    LoopbackServer server;
    ASSERT_TRUE(server.Start({"/usr/bin/socat", "TCP-LISTEN:{port},bind=127.0.0.1,reuseaddr,fork",
                              "EXEC:" + scratch.File("whoisd")},
                             scratch.File("server.log")))
        << server.Log();
    const std::string base = "whois://127.0.0.1:" + std::to_string(server.port()) + "/";
    {
        ProtocolLoad load;
        ASSERT_EQ(load.Load(base + "example.test"), 1);
        EXPECT_NE(load.Body().find("Domain: EXAMPLE.TEST<br>\r\nSee <a "
                                   "href=\"http://example.test/info\">http://example.test/info</a>"
                                   "<br>\r\n"),
                  std::string::npos)
            << load.Body();
    }
    {
        ProtocolLoad load;
        ASSERT_EQ(load.Load(base + "nobody"), 1);
        EXPECT_TRUE(load.Body().ends_with("No match for &quot;nobody&quot;.<br>\r\n"))
            << load.Body();
    }
}

}  // namespace
}  // namespace corvane::protocols

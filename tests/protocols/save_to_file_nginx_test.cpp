// Saving an address into a chosen file through the real retrieval path, against nginx: the data
// lands whole (also behind a redirection), a fresh cached copy is written without asking the
// server, and a transfer cut short leaves the earlier file as it was and nothing beside it.
#include <gtest/gtest.h>

#include "core/save_to_file.h"
#include "protocols/file_protocol.h"
#include "protocols/gopher_protocol.h"
#include "tests/protocols/http_fixture.h"
#include "tests/support/nginx_server.h"

namespace corvane::protocols {
namespace {

using testing::NginxServer;
using testing::ScratchDirectory;

std::string Bytes(std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<char>((i * 7919 + i / 251) & 0xFF);
    return bytes;
}

class SaveToFileTest : public testing_support::HttpTest {
  protected:
    SaveToFileTest()
        : web("location = /moved { return 301 /data.bin; }\n"
              "location = /slow.bin { limit_rate 32k; }\n") {
        web.Root().Write("page.html", "<p>page");
        web.Root().Write("data.bin", data);
        web.Root().Write("slow.bin", Bytes(2 << 20));
        EXPECT_TRUE(web.Start()) << web.Log();
        target.Write("kept.bin", "the old file");
    }

    // Starts the save from inside the loop, as a menu command does.
    void StartSave(const std::string& url, const std::string& file = "kept.bin") {
        bool started = false;
        loop.Post([&] {
            core::SaveAddressToFile(host, url, target.File(file), window.get());
            started = true;
        });
        loop.RunUntil([&] { return started; }, 1000);
    }
    bool Settled() {
        return host.BackgroundCount() == 0 && host.downloads.RunningCount(window.get()) == 0;
    }
    void Save(const std::string& url) {
        StartSave(url);
        EXPECT_TRUE(loop.RunUntil([this] { return Settled(); }, 10000));
    }

    const std::string data = Bytes(300000);
    NginxServer web;
    ScratchDirectory target;
};

TEST_F(SaveToFileTest, TheDataReplacesTheChosenFileAndThePageStays) {
    Load(web.Url("/page.html"));
    for (const char* path : {"/data.bin", "/moved"}) {
        SCOPED_TRACE(path);
        target.Write("kept.bin", "the old file");
        Save(web.Url(path));
        EXPECT_EQ(target.Read("kept.bin"), data);
        EXPECT_EQ(target.Names(), std::vector<std::string>{"kept.bin"});
        EXPECT_EQ(Shown(), "<p>page");
        EXPECT_EQ(window->LoadTask(), nullptr);
        EXPECT_TRUE(ui.messages.empty()) << LastMessage();
    }
    EXPECT_EQ(host.PrivateRequestCount(), 0u);
}

TEST_F(SaveToFileTest, AFreshCachedCopyIsWrittenWithoutAskingTheServer) {
    stores.copy = "the cached copy";
    stores.check = core::CopyCheck::kServe;
    Save(web.Url("/data.bin"));
    EXPECT_EQ(target.Read("kept.bin"), "the cached copy");
    EXPECT_EQ(web.AccessLog().find("/data.bin"), std::string::npos) << web.AccessLog();
}

TEST_F(SaveToFileTest, ACutTransferLeavesTheOldFileAndNoPart) {
    StartSave(web.Url("/slow.bin"));
    // Some data has been written under the temporary name when the server goes away.
    loop.RunUntil([this] { return target.Names().size() > 1; }, 5000);
    loop.RunUntil([] { return false; }, 300);
    EXPECT_EQ(target.Names().size(), 2u);
    web.Stop();
    EXPECT_TRUE(loop.RunUntil([this] { return Settled(); }, 10000));
    EXPECT_EQ(target.Read("kept.bin"), "the old file");
    EXPECT_EQ(target.Names(), std::vector<std::string>{"kept.bin"});
    EXPECT_EQ(LastMessage(), "Cannot complete loading " + web.Url("/slow.bin"));
}

TEST_F(SaveToFileTest, AnUnwritableTargetIsToldAndNothingIsFetchedIntoIt) {
    StartSave(web.Url("/data.bin"), "no/such/dir/x.bin");
    EXPECT_TRUE(loop.RunUntil([this] { return Settled(); }, 10000));
    EXPECT_EQ(LastMessage(), "Cannot create file");
    EXPECT_EQ(target.Names(), std::vector<std::string>{"kept.bin"});
}

// A menu or a listing the protocol writes itself is saved as the HTML the window would show.
TEST_F(SaveToFileTest, PagesTheProtocolWritesAreSavedAsShown) {
    RegisterFileProtocol();
    RegisterGopherAndWhois();
    ScratchDirectory listed;
    listed.Write("notes.txt", "n");
    const struct {
        std::string url;
        std::string expected;  // the whole page, or a part of it
    } cases[] = {
        {"gopher://127.0.0.1:1/7/find", "Gopher Search"},
        {"file://" + listed.path() + "/", "notes.txt</A>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        target.Write("kept.bin", "the old file");
        Save(c.url);
        const std::string saved = target.Read("kept.bin");
        EXPECT_NE(saved.find(c.expected), std::string::npos) << saved;
        EXPECT_EQ(target.Names(), std::vector<std::string>{"kept.bin"});
        EXPECT_TRUE(ui.messages.empty()) << LastMessage();
    }
    EXPECT_EQ(host.PrivateRequestCount(), 0u);
}

}  // namespace
}  // namespace corvane::protocols

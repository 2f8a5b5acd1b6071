#include "shell/download_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QRegularExpression>
#include <string>

#include "core/ht_host_services.h"
#include "core/scheduler.h"
#include "platform/poll_event_loop.h"
#include "platform/scripted_host_services.h"
#include "protocols/tcp_protocol.h"
#include "tests/shell/qt_application.h"
#include "tests/support/scratch_directory.h"
#include "tests/support/scripted_peer.h"

namespace corvane::shell {
namespace {

// Asks for a file and takes the size from the answer "200 <size>"; the body follows that line.
class FileClient : public protocols::CHTTCP {
  public:
    void StartDialogue(int error) override {
        CHTTCP::StartDialogue(error);
        if (error == 0) SendCommand("GET /file.bin", &FileClient::OnStatus);
    }

  private:
    void OnStatus(int result) {
        if (ReadReply(result) <= 0) return;
        if (replyCode != 200) {
            Fail(core::kFailure);
            return;
        }
        request->size = std::stoull(std::string(Line().substr(4)));
        contentType = "application/x-corvane-test";
        StartBody(kAfterLine, "/file.bin");
    }
};

CDownloadWindow* ShownDownloadWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == "CVDownLoad" && widget->isVisible())
            return static_cast<CDownloadWindow*>(widget);
    }
    return nullptr;
}

class DownloadWindowTest : public ::testing::Test {
  protected:
    DownloadWindowTest() {
        testing::TestApplication();
        host.SetLoop(&loop);
        host.makeDownloadReporter = MakeDownloadWindow;
        scheduler.AttachTo(loop);
        ui.fileAnswers.push_back(scratch.File("saved.bin"));
        request = host.GetRequest("http://peer/file.bin", nullptr, core::kMethodShared, nullptr);
        auto client = std::make_unique<FileClient>();
        client->Attach(request, false, false);
        FileClient& opened = *client;
        request->protocol = std::move(client);
        peer.Expect("GET /file.bin")
            .Send("200 2000\r\n")
            .Send(std::string(1000, 'a'))
            .Pause(300)
            .Send(std::string(1000, 'b'))
            .Close();
        EXPECT_EQ(opened.Connect("127.0.0.1:" + std::to_string(peer.Listen()), "http", 80),
                  core::kOpenWaiting);
    }
    ~DownloadWindowTest() override {
        request->Stop();
        scheduler.DeleteRetired();
        scheduler.Detach();
    }
    bool DownloadRunning() const { return host.downloads.RunningCount(nullptr) > 0; }

    platform::PollEventLoop loop;
    platform::ScriptedHostServices ui;
    core::CHTScheduler scheduler{[] { return platform::TickCount(); }};
    core::CHTHostServices host{ui, scheduler};
    corvane::testing::ScratchDirectory scratch;
    corvane::testing::ScriptedPeer peer{loop};
    core::CHTRequest* request = nullptr;
};

TEST_F(DownloadWindowTest, ShowsTheFiguresWhileTheFileArrives) {
    CDownloadWindow* window = nullptr;
    ASSERT_TRUE(loop.RunUntil(
        [&] {
            window = ShownDownloadWindow();
            return window != nullptr && window->BytesText().startsWith("1000/2000 bytes @ ");
        },
        5000));
    EXPECT_EQ(window->windowTitle(), "Corvane: Saving File 50%");
    EXPECT_EQ(window->UrlText(), "http://peer/file.bin");
    EXPECT_EQ(window->Bar().value(), 64);
    EXPECT_TRUE(window->Bar().isEnabled());
    EXPECT_EQ(window->TimeLabel(), "Time remaining:");
    EXPECT_TRUE(window->TimeText().contains(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$")));

    ASSERT_TRUE(loop.RunUntil([&] { return !DownloadRunning(); }, 5000));
    scheduler.DeleteRetired();
    EXPECT_EQ(corvane::testing::ReadFile(scratch.File("saved.bin")),
              std::string(1000, 'a') + std::string(1000, 'b'));
    EXPECT_EQ(ShownDownloadWindow(), nullptr);
    EXPECT_EQ(ui.messages.size(), 1u);  // only the question whether to save: no failure
}

TEST_F(DownloadWindowTest, CancelStopsTheDownloadAndLeavesNoFile) {
    CDownloadWindow* window = nullptr;
    ASSERT_TRUE(loop.RunUntil([&] { return (window = ShownDownloadWindow()) != nullptr; }, 5000));
    window->CancelButton().click();
    ASSERT_TRUE(loop.RunUntil([&] { return !DownloadRunning(); }, 5000));
    scheduler.DeleteRetired();
    EXPECT_TRUE(scratch.Names().empty());
    EXPECT_EQ(ui.messages.size(), 1u);  // only the question whether to save: no failure
    EXPECT_TRUE(loop.RunUntil([&] { return peer.ClientClosed(); }, 5000));
}

TEST(DownloadWindow, UnknownTotalShowsTimeUsedWithoutProgress) {
    testing::TestApplication();
    CDownloadWindow window("http://peer/x", [] {});
    window.Show(core::ComputeTransferFigures(5000, 0, 3723000));
    EXPECT_EQ(window.BytesText(), "5000 bytes");
    EXPECT_EQ(window.TimeLabel(), "Time used:");
    EXPECT_EQ(window.TimeText(), "01:02:03");
    EXPECT_FALSE(window.Bar().isEnabled());
}

}  // namespace
}  // namespace corvane::shell

// Handing downloads to a configured application: hostile names from the URL stay inside our
// private directory, and the application gets the path as one plain argument, never via a shell.

#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "core/convertor_registry.h"
#include "core/file_convertor.h"
#include "scripted_load.h"
#include "tests/support/recording_event_loop.h"
#include "tests/support/scratch_directory.h"

namespace corvane::core::testing_support {
namespace {

namespace fs = std::filesystem;

class ConvertorExecute : public LoadFixture {
  protected:
    ConvertorExecute() : savedRegistry_(Convertors()) {
        Schemes().SetProtocolClass(kSchemeHttp, &CTypedProtocol::kRuntimeClass);
        CHTConvertorRegistry fresh;
        RegisterBuiltinTypes(fresh);
        viewed_ = fresh.Register("application/x-viewed", nullptr, "");
        fresh.Entry(viewed_).action = ConvertorAction::kApplication;
        Convertors() = fresh;

        // The application writes its arguments, NUL-terminated, into a file.
        viewer_ = scratch.File("viewer.sh");
        scratch.Write("viewer.sh",
                      "#!/bin/sh\nprintf '%s\\0' \"$@\" > '" + scratch.File("argv") + "'\n");
        fs::permissions(viewer_, fs::perms::owner_all);
        fs::create_directory(scratch.File("tmp"));
        host->downloads.SetDirectory(std::make_unique<DownloadDirectory>(scratch.File("tmp")));
        SetApplication("\"" + viewer_ + "\" --title \"two words\"");
    }
    ~ConvertorExecute() override { Convertors() = savedRegistry_; }

    void SetApplication(const std::string& command) {
        Convertors().Entry(viewed_).application = command;
    }

    // Loads the URL and answers the arguments the application was started with.
    std::vector<std::string> LoadAndRecord(const std::string& url, const std::string& body) {
        fs::remove(scratch.File("argv"));
        scripts[url].pieces = {{body}, {"", kNeedMoreData}};
        scripts[url].contentType = "application/x-viewed";
        // A launcher per load: destroying it reaps the child, so the next wait sees the next one.
        platform::ProgramLauncher launcher(loop_);
        host->downloads.launcher = &launcher;
        OpenAt(url);
        host->downloads.launcher = nullptr;
        siginfo_t info{};
        if (::waitid(P_ALL, 0, &info, WEXITED | WNOWAIT) != 0) return {};
        std::ifstream in(scratch.File("argv"), std::ios::binary);
        std::vector<std::string> arguments;
        std::string argument;
        while (std::getline(in, argument, '\0')) arguments.push_back(argument);
        return arguments;
    }

    corvane::testing::ScratchDirectory scratch;
    std::string viewer_;

  private:
    CHTConvertorRegistry savedRegistry_;
    corvane::testing::RecordingEventLoop loop_;
    int viewed_ = -1;
};

TEST_F(ConvertorExecute, HostileNamesStayInsideAndArriveAsOneArgument) {
    const std::string hostile[] = {
        "..%2F..%2F.profile",
        "%2Fetc%2Fpasswd",
        "a;rm%20-rf%20~.ps",
        "%24(id).pdf",
        "line%0Abreak.pdf",
        "-rf",
        std::string(10 * 1024, 'n') + ".pdf",
        "%22quoted%22%20name.ps",
    };
    int index = 0;
    for (const std::string& segment : hostile) {
        std::string url = "http://h/" + segment;
        std::string body = "body " + std::to_string(index++);
        std::vector<std::string> arguments = LoadAndRecord(url, body);
        ASSERT_EQ(arguments.size(), 3u) << segment;
        EXPECT_EQ(arguments[0], "--title");
        EXPECT_EQ(arguments[1], "two words");
        fs::path file(arguments[2]);
        EXPECT_EQ(file.parent_path(), fs::path(host->downloads.Directory().Path())) << segment;
        EXPECT_EQ(file.parent_path().parent_path(), fs::path(scratch.File("tmp"))) << segment;
        std::string name = file.filename().string();
        EXPECT_LE(name.size(), kMaxDownloadNameLength);
        EXPECT_TRUE(name[0] != '.' && name[0] != '-') << name;
        EXPECT_EQ(name.find('\n'), std::string::npos);
        EXPECT_EQ(corvane::testing::ReadFile(file.string()), body) << segment;
    }
    // Nothing was created anywhere else.
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(scratch.File("tmp"))) entries += entry.exists();
    EXPECT_EQ(entries, 1);
    EXPECT_FALSE(fs::exists(scratch.path() + "/.profile"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(host->PrivateRequestCount(), 0u);
}

TEST_F(ConvertorExecute, PlantedSymlinkAtTheTargetNameIsNotFollowed) {
    auto warmup = host->downloads.Directory().Create("/warmup");
    ASSERT_TRUE(warmup);
    std::string victim = scratch.File("victim");
    scratch.Write("victim", "precious");
    fs::path planted = fs::path(host->downloads.Directory().Path()) / "doc.pdf";
    fs::create_symlink(victim, planted);

    std::vector<std::string> arguments = LoadAndRecord("http://h/doc.pdf", "evil");
    ASSERT_EQ(arguments.size(), 3u);
    EXPECT_NE(fs::path(arguments[2]), planted);
    EXPECT_EQ(fs::path(arguments[2]).extension(), ".pdf");
    EXPECT_EQ(corvane::testing::ReadFile(arguments[2]), "evil");
    EXPECT_EQ(corvane::testing::ReadFile(victim), "precious");
    EXPECT_TRUE(fs::is_symlink(planted));
}

TEST_F(ConvertorExecute, ApplicationThatCannotStartFailsTheDownload) {
    corvane::testing::RecordingEventLoop loop;
    platform::ProgramLauncher launcher(loop);
    host->downloads.launcher = &launcher;
    for (const std::string& command : {scratch.File("no-such-viewer"), std::string()}) {
        ui.messages.clear();
        SetApplication(command);
        scripts["http://h/a.ps"].pieces = {{"data"}};
        scripts["http://h/a.ps"].contentType = "application/x-viewed";
        OpenAt("http://h/a.ps");
        ASSERT_EQ(ui.messages.size(), 1u) << command;
        EXPECT_EQ(ui.messages[0].text, "Cannot complete loading http://h/a.ps");
        EXPECT_EQ(host->PrivateRequestCount(), 0u);
    }
}

}  // namespace
}  // namespace corvane::core::testing_support

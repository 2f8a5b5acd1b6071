#include "config/settings.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "config/settings_paths.h"
#include "core/address.h"
#include "core/scheme_registry.h"
#include "platform/profile_file.h"
#include "tests/support/scratch_directory.h"

namespace corvane::config {
namespace {

namespace fs = std::filesystem;

class SettingsTest : public ::testing::Test {
  protected:
    void TearDown() override {
        for (const char* scheme : {"http", "ftp", "gopher"}) core::SetProxySlot(scheme, -1);
    }
    std::string File() const { return SettingsFilePath(profile_); }
    static int Slot(const char* scheme) {
        return core::Schemes().ProxySlot(core::FindScheme(scheme));
    }

    corvane::testing::ScratchDirectory scratch_;
    std::string profile_ = scratch_.path();
};

TEST_F(SettingsTest, MissingFileGivesDefaultsWithoutCreatingIt) {
    Settings settings(profile_, "file:/opt/corvane/start.html");
    settings.LoadAllSettings();
    EXPECT_EQ(settings.General(),
              (GeneralSettings{"file:/opt/corvane/start.html", 1, "", profile_ + "/bookmark.htm"}));
    EXPECT_EQ(settings.Proxy(), ProxySettings{});
    EXPECT_EQ(settings.Cache(), (CacheSettings{1000, 1, 0}));
    EXPECT_EQ(Slot("http"), -1);
    EXPECT_FALSE(fs::exists(File()));  // reading never creates the file
}

TEST_F(SettingsTest, SectionsAndKeysMatchWithoutRegardToCase) {
    scratch_.Write(fs::path(File()).filename().string(),
                   "[general]\r\nHOME PAGE=http://home/\r\nautoload home page=0\r\n"
                   "[SETTINGS]\r\npropfontsize=14\r\nText Color=255\r\n"
                   "[proxy]\r\nhttp proxy=proxy.lan:3128\r\nGOPHER PROXY=gp:70\r\n"
                   "[Cache]\r\ncache limit (kbytes)=-1\r\n");
    Settings settings(profile_, "file:/start.html");
    settings.LoadAllSettings();
    EXPECT_EQ(settings.General().homePage, "http://home/");
    EXPECT_EQ(settings.General().autoloadHomePage, 0);
    EXPECT_EQ(settings.Display().propFontSize, 14);
    EXPECT_EQ(settings.Display().textColor, 255);
    EXPECT_EQ(settings.Cache().limitKBytes, -1);
    EXPECT_EQ(settings.Proxy().http, "proxy.lan:3128");
    EXPECT_EQ(Slot("http"), 0);
    EXPECT_EQ(Slot("ftp"), -1);
    EXPECT_EQ(Slot("gopher"), 2);

    ProxySettings edited = settings.Proxy();
    edited.http.clear();
    edited.ftp = "fp:21";
    EXPECT_TRUE(settings.SaveProxy(edited));
    EXPECT_EQ(Slot("http"), -1);
    EXPECT_EQ(Slot("ftp"), 1);
}

TEST_F(SettingsTest, ValuesAreWrittenOnlyWhenChanged) {
    Settings settings(profile_, "file:/start.html");
    settings.LoadAllSettings();
    EXPECT_TRUE(settings.SaveDisplay(settings.Display()));
    EXPECT_TRUE(settings.SaveGeneral(settings.General()));
    EXPECT_TRUE(settings.SaveCache(settings.Cache()));
    EXPECT_FALSE(fs::exists(File()));

    DisplaySettings display = settings.Display();
    display.fixFontSize = 11;
    display.propFontName = "Liberation Serif";
    EXPECT_TRUE(settings.SaveDisplay(display));
    EXPECT_EQ(settings.Display(), display);
    const std::string text = corvane::testing::ReadFile(File());
    EXPECT_NE(text.find("FixFontSize=11"), std::string::npos) << text;
    EXPECT_NE(text.find("PropFontName=Liberation Serif"), std::string::npos) << text;
    EXPECT_EQ(text.find("PropFontSize"), std::string::npos) << text;  // unchanged, not written

    Settings again(profile_, "file:/start.html");
    again.LoadAllSettings();
    EXPECT_EQ(again.Display(), display);

    const fs::file_time_type before = fs::last_write_time(File());
    fs::last_write_time(File(), before - std::chrono::hours(1));
    EXPECT_TRUE(again.SaveDisplay(display));
    EXPECT_EQ(fs::last_write_time(File()), before - std::chrono::hours(1));
}

TEST_F(SettingsTest, AFailedWriteIsReported) {
    CSettingsSection section(SettingsFilePath(profile_ + "/no/such/dir"), "General");
    EXPECT_FALSE(section.WriteString("Home Page", "x"));
    EXPECT_FALSE(fs::exists(profile_ + "/no"));
}

// A writer killed at any moment leaves the old settings or the new ones, never a mixture.
TEST_F(SettingsTest, AWriterKilledMidWriteNeverLeavesGarbage) {
    const auto value = [](int round) { return std::string(20000 + round, char('a' + round % 26)); };
    CSettingsSection(File(), "General").WriteString("Home Page", value(0));
    for (int kill = 0; kill < 5; ++kill) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ready[0]);
            CSettingsSection section(File(), "General");
            for (int round = 1;; ++round) {
                if (!section.WriteString("Home Page", value(round))) _exit(1);
                if (round == 3) (void)!write(ready[1], "x", 1);
            }
        }
        close(ready[1]);
        char byte;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        close(ready[0]);
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        // A fresh reader: the accessor's own store answers from what this process wrote.
        const std::string read =
            platform::ProfileFile(File()).ReadString("General", "Home Page", "");
        ASSERT_GE(read.size(), 20000u);
        EXPECT_EQ(read, value(static_cast<int>(read.size()) - 20000));
    }
}

TEST_F(SettingsTest, DirectoriesAreMadeOnFirstUseOrReplacedByTheTemporaryDirectory) {
    const CSettingsSection cache(File(), "Cache");
    EXPECT_EQ(CacheDirectory(cache, profile_, "/tmp"), profile_ + "/cache");
    EXPECT_TRUE(fs::is_directory(profile_ + "/cache"));

    CSettingsSection mail(File(), "Mail and News");
    ASSERT_TRUE(mail.WriteString("Mail Directory", profile_ + "/deep/er/mail/"));
    EXPECT_EQ(MailDirectory(mail, profile_, "/tmp"), profile_ + "/deep/er/mail");
    EXPECT_TRUE(fs::is_directory(profile_ + "/deep/er/mail"));
    EXPECT_EQ(fs::status(profile_ + "/deep").permissions() & fs::perms::all, fs::perms::owner_all);

    scratch_.Write("plain", "a file, not a directory");
    ASSERT_TRUE(mail.WriteString("Mail Directory", profile_ + "/plain/mail"));
    EXPECT_EQ(MailDirectory(mail, profile_, "/tmp"), "/tmp");
    EXPECT_EQ(ResolveDirectory(profile_ + "/plain", "/tmp"), "/tmp");
}

TEST_F(SettingsTest, StartPageIsFoundBesideTheExecutable) {
    EXPECT_EQ(StartPageUrl(profile_), "");
    scratch_.Write("start.html", "<TITLE>x</TITLE>");
    EXPECT_EQ(StartPageUrl(profile_ + "/"), "file:" + profile_ + "/start.html");
    // The build puts the shipped page beside the corvane binary.
    EXPECT_EQ(StartPageUrl(CORVANE_BINARY_DIR),
              core::LocalFileUrl(CORVANE_BINARY_DIR "/start.html"));
    EXPECT_NE(
        corvane::testing::ReadFile(CORVANE_BINARY_DIR "/start.html").find("HREF=\"file:///~/\""),
        std::string::npos);

    const std::string exeDirectory = ExecutableDirectory();
    ASSERT_FALSE(exeDirectory.empty());
    EXPECT_TRUE(fs::exists(exeDirectory + "config_tests"));
}

}  // namespace
}  // namespace corvane::config

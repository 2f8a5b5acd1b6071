// The configuration sheet on the offscreen platform: the Helper Apps page edits the MIME
// database through its dialogs, and OK puts the other pages' values into "ovalon.ini" and into
// effect at once.
#include "shell/configuration_sheet.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>

#include "core/scheme_registry.h"
#include "platform/profile_file.h"
#include "platform/scripted_host_services.h"
#include "shell/application.h"
#include "shell/helper_apps_page.h"
#include "shell/main_frame.h"
#include "shell/qt_event_loop.h"
#include "tests/shell/qt_application.h"
#include "tests/support/scratch_directory.h"

namespace corvane::shell {
namespace {

// Fills a dialog's fields by name, then presses OK once the dialog runs.
void FillAndAccept(QDialog& dialog, const std::vector<std::pair<const char*, QString>>& fields) {
    for (const auto& [name, text] : fields) dialog.findChild<QLineEdit*>(name)->setText(text);
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.accept(); });
}

TEST(HelperAppsPageTest, DialogsEditTheDatabaseAndOkWritesOnlyTheUsersFile) {
    testing::TestApplication();
    corvane::testing::ScratchDirectory scratch;
    scratch.Write("mime.types", "application/pdf pdf\nvideo/mpeg mpeg mpg\n");
    const auto database = [&scratch] {
        return config::MimeDatabase(
            scratch.File("mime.types"), scratch.File(".mime.types"),
            config::CSettingsSection(scratch.File("ovalon.ini"), "Content Type"));
    };
    core::CHTConvertorRegistry registry;
    core::RegisterBuiltinTypes(registry);
    config::MimeDatabase mime = database();
    config::LoadMimeDatabase(registry, mime);
    platform::ScriptedHostServices answers;
    HelperAppsPage page(registry, mime, answers);

    // Add: a bad subtype is refused and the dialog stays open until it is mended.
    int attempts = 0;
    page.beforeDialog = [&attempts](QDialog& dialog) {
        FillAndAccept(dialog,
                      {{"type", "application"}, {"subtype", "x-my;type"}, {"suffixes", "my"}});
        QTimer::singleShot(20, &dialog, [&dialog, &attempts] {
            ++attempts;
            FillAndAccept(dialog, {{"subtype", "x-mine"}});
        });
    };
    page.Add();
    EXPECT_EQ(attempts, 1);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, "MIME SubType is invalid... please try again.");
    QTreeWidgetItem* added = page.List().currentItem();
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->text(0), "application/x-mine");
    EXPECT_EQ(added->text(2), "Prompt User");
    // Use Application: the desktop's opener is the first suggestion; a program that is not an
    // executable is refused at once.
    EXPECT_EQ(page.ApplicationField().placeholderText(), "xdg-open");
    page.ApplicationField().setText("no-such-viewer-corvane");
    page.ChooseAction(3);
    EXPECT_EQ(answers.messages.back().text, "Configured browser is invalid... please try again.");
    EXPECT_EQ(page.List().currentItem()->text(2), "Prompt User");
    page.ApplicationField().setText("sh -c");
    page.ChooseAction(3);
    EXPECT_EQ(page.List().currentItem()->text(2), "sh -c");

    // Edit an existing type's suffixes.
    page.List().setCurrentItem(page.List().topLevelItem(page.Model().Find("video/mpeg")));
    page.beforeDialog = [](QDialog& dialog) {
        EXPECT_EQ(dialog.findChild<QLineEdit*>("subtype")->text(), "mpeg");
        FillAndAccept(dialog, {{"suffixes", "mpeg,mpg,m2v"}});
    };
    page.Edit();
    page.ChooseAction(1);

    // Delete asks first; No keeps the row.
    const int pdf = page.Model().Find("application/pdf");
    page.List().setCurrentItem(page.List().topLevelItem(pdf));
    answers.messageAnswers = {platform::MessageAnswer::kNo, platform::MessageAnswer::kYes};
    page.Delete();
    EXPECT_EQ(answers.messages.back().text,
              "Are you sure you want to delete the file type \napplication/pdffrom the registry "
              "MIME database?");
    EXPECT_EQ(page.Model().Find("application/pdf"), pdf);
    page.Delete();
    EXPECT_EQ(page.Model().Find("application/pdf"), -1);

    ASSERT_TRUE(page.Apply());
    EXPECT_EQ(scratch.Read(".mime.types"), "video/mpeg m2v\napplication/x-mine my\n");
    EXPECT_EQ(scratch.Read("mime.types"), "application/pdf pdf\nvideo/mpeg mpeg mpg\n");
    platform::ProfileFile ini(scratch.File("ovalon.ini"));
    EXPECT_EQ(ini.Keys("Content Type"),
              (std::vector<std::string>{"application/pdf", "video/mpeg", "application/x-mine"}));
    EXPECT_EQ(ini.ReadString("Content Type", "application/x-mine", ""), "3,sh -c");
    EXPECT_EQ(ini.ReadString("Content Type", "video/mpeg", ""), "1,");

    // The next run sees the same.
    core::CHTConvertorRegistry next;
    core::RegisterBuiltinTypes(next);
    config::MimeDatabase again = database();
    config::LoadMimeDatabase(next, again);
    EXPECT_EQ(next.Entry(next.FindType("application/x-mine")).application, "sh -c");
    EXPECT_EQ(next.FindTypeByExtension("m2v"), next.FindType("video/mpeg"));
    EXPECT_EQ(next.FindType("application/pdf"), -1);
}

TEST(ConfigurationSheetTest, OkStoresThePagesAndPutsThemIntoEffect) {
    testing::TestApplication();
    corvane::testing::ScratchDirectory profile;
    QtEventLoop loop;
    CMainFrame frame;
    platform::ScriptedHostServices answers;
    frame.Host().AnswerQuestionsWith(&answers);
    CApplication application(profile.path(), loop, frame.Host());
    ASSERT_TRUE(frame.ViewWidget().View().ApplySettings(application.ViewSettings()));
    const std::string cacheDirectory = profile.File("elsewhere");
    bool cleared = false;
    RunConfigurationSheet(frame, application, [&](ConfigurationSheet& sheet) {
        EXPECT_EQ(sheet.Pages().count(), 9);
        sheet.findChild<QLineEdit*>("httpProxy")->setText("proxy.test:3128");
        sheet.findChild<QLineEdit*>("cacheDirectory")
            ->setText(QString::fromStdString(cacheDirectory));
        sheet.findChild<QSpinBox*>("cacheLimit")->setValue(0);
        sheet.findChild<QLineEdit*>("telnetApp")->setText("xterm -e telnet");
        // The colour dialog's choice.
        sheet.Values().display.backgroundColor = 0x00CCFF;
        sheet.clearCache = [&cleared] { cleared = true; };
        answers.messageAnswers = {platform::MessageAnswer::kCancel};
        sheet.findChild<QPushButton*>("clearCache")->click();
        EXPECT_FALSE(cleared);
        sheet.findChild<QPushButton*>("clearCache")->click();
        EXPECT_TRUE(cleared);
        QTimer::singleShot(0, &sheet, [&sheet] { sheet.accept(); });
    });
    ASSERT_EQ(answers.messages.size(), 2u);
    EXPECT_EQ(answers.messages[0].text,
              "This will clear all the files currectly in you cache.\nProceed?");

    platform::ProfileFile ini(profile.File("ovalon.ini"));
    EXPECT_EQ(ini.ReadString("Proxy", "HTTP Proxy", ""), "proxy.test:3128");
    EXPECT_EQ(ini.ReadString("Cache", "Cache Limit (KBytes)", ""), "0");
    EXPECT_EQ(ini.ReadString("Settings", "Background Color", ""), std::to_string(0x00CCFF));
    // In effect: the proxy bound, the cache moved, the view's background.
    EXPECT_EQ(application.Settings().ProxyHost(0), "proxy.test:3128");
    EXPECT_EQ(application.Cache().Directory(), cacheDirectory);
    const render::Color background = frame.ViewWidget().View().Settings().colors.background;
    EXPECT_EQ(background, render::MakeColor(0xFF, 0xCC, 0x00));
    EXPECT_EQ(ini.ReadString("Services", "Use Telnet App", ""), "xterm -e telnet");
    frame.Host().AnswerQuestionsWith(nullptr);
    core::SetProxySlot("http", -1);
}

}  // namespace
}  // namespace corvane::shell

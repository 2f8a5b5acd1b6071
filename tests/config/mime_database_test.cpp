#include "config/mime_database.h"

#include <sys/stat.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "config/settings.h"
#include "core/runtime_class.h"
#include "platform/profile_file.h"
#include "tests/support/scratch_directory.h"

namespace corvane::config {
namespace {

using core::ConvertorAction;

// The page type's internal convertor, as the layers above give it.
const core::CRuntimeClass kPageClass{"CPageConvertor", 0, nullptr, nullptr};

constexpr std::string_view kSystemFixture =
    "# system database\n"
    "text/html html htm shtml\n"
    "application/pdf pdf\n"
    "application/x-rival pdf rvl\n"  // a second claim of pdf
    "video/mpeg mpeg mpg\n"
    "not-a-type foo\n"
    "audio/basic\n";

class MimeDatabaseTest : public ::testing::Test {
  protected:
    MimeDatabaseTest() { scratch_.Write("mime.types", kSystemFixture); }
    // The built-in registry, as at the start of a run.
    static core::CHTConvertorRegistry Builtin() {
        core::CHTConvertorRegistry registry;
        core::RegisterBuiltinTypes(registry);
        registry.SetConvertorClass("text/html", &kPageClass);
        return registry;
    }
    MimeDatabase Database() const {
        return MimeDatabase(scratch_.File("mime.types"), scratch_.File(".mime.types"),
                            CSettingsSection(scratch_.File("ovalon.ini"), "Content Type"));
    }
    // A fresh run: the built-in registry, then both databases.
    core::CHTConvertorRegistry Reload() const {
        core::CHTConvertorRegistry registry = Builtin();
        MimeDatabase database = Database();
        LoadMimeDatabase(registry, database);
        return registry;
    }
    std::string Section() const {
        platform::ProfileFile file(scratch_.File("ovalon.ini"));
        std::string text;
        for (const std::string& key : file.Keys("Content Type"))
            text += key + "=" + file.ReadString("Content Type", key, "") + "\n";
        return text;
    }

    corvane::testing::ScratchDirectory scratch_;
    core::CHTConvertorRegistry registry_ = Builtin();
};

TEST(MimeTokens, TheDialogsFieldsAcceptOnlyTokensAndSuffixes) {
    struct Case {
        std::string_view text;
        bool token;
        std::optional<std::string> suffixes;
    };
    const Case cases[] = {
        {"x-foo", true, "x-foo"},
        {"vnd.ms-excel+xml", true, std::nullopt},  // a token; "." is no suffix character
        {"", false, ""},
        {"a b", false, std::nullopt},
        {"a;b", false, std::nullopt},
        {"a=b", false, std::nullopt},
        {"a/b", false, std::nullopt},
        {"a\nb", false, std::nullopt},  // could forge a second line in ~/.mime.types
        {"tar, tgz ,gz", false, "tar,tgz,gz"},
        {"tar,,gz", false, std::nullopt},
        {"caf\xc3\xa9", false, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsMimeToken(c.text), c.token) << c.text;
        EXPECT_EQ(NormalizeSuffixList(c.text), c.suffixes) << c.text;
    }
}

TEST(MimeTokens, ApplicationColumnTextsMapBothWays) {
    EXPECT_EQ(ApplicationText(ConvertorAction::kDisplay, ""), "Corvane");
    EXPECT_EQ(ApplicationText(ConvertorAction::kSave, "x"), "Save to Disk");
    EXPECT_EQ(ApplicationText(ConvertorAction::kAsk, ""), "Prompt User");
    EXPECT_EQ(ApplicationText(ConvertorAction::kApplication, "xdg-open"), "xdg-open");
    EXPECT_EQ(ActionOfText("").action, ConvertorAction::kAsk);
    EXPECT_EQ(ActionOfText("Save to Disk").action, ConvertorAction::kSave);
    const ActionChoice app = ActionOfText("mpv --fs");
    EXPECT_EQ(app.action, ConvertorAction::kApplication);
    EXPECT_EQ(app.application, "mpv --fs");
}

TEST_F(MimeDatabaseTest, LoadingMergesBothFilesWithTheFirstClaimWinning) {
    scratch_.Write(".mime.types",
                   "video/mpeg mpe\n"
                   "application/x-late pdf late\n"  // pdf is taken: stays application/pdf's
                   "x-bad/a;b zz\n");
    CSettingsSection(scratch_.File("ovalon.ini"), "Content Type")
        .WriteString("video/mpeg", "3,mpv");
    CSettingsSection(scratch_.File("ovalon.ini"), "Content Type")
        .WriteString("application/pdf", "7,junk");
    MimeDatabase database = Database();
    LoadMimeDatabase(registry_, database);
    const auto entry = [this](std::string_view type) {
        return registry_.Entry(registry_.FindType(type));
    };
    EXPECT_EQ(entry("text/html").extensions, "htm,html,shtml");
    EXPECT_EQ(entry("video/mpeg").extensions, "mpeg,mpg,mpe");
    EXPECT_EQ(entry("video/mpeg").action, ConvertorAction::kApplication);
    EXPECT_EQ(entry("video/mpeg").application, "mpv");
    EXPECT_EQ(entry("application/x-rival").extensions, "rvl");
    EXPECT_EQ(entry("application/x-late").extensions, "late");
    EXPECT_EQ(registry_.FindTypeByExtension("PDF"), registry_.FindType("application/pdf"));
    // No program value, or one that is no action: Prompt User.
    EXPECT_EQ(entry("audio/basic").action, ConvertorAction::kAsk);
    EXPECT_EQ(entry("application/pdf").action, ConvertorAction::kAsk);
    EXPECT_EQ(HelperAppsModel(registry_)
                  .Rows()[static_cast<std::size_t>(registry_.FindType("audio/basic"))]
                  .application,
              "Prompt User");
    EXPECT_LT(registry_.FindType("not-a-type"), 0);
    EXPECT_LT(registry_.FindType("x-bad/a;b"), 0);
}

TEST_F(MimeDatabaseTest, ADeferredLoadWaitsUntilTheBuiltinTypesCannotAnswer) {
    CSettingsSection actions(scratch_.File("ovalon.ini"), "Content Type");
    actions.WriteString("text/html", "1,");
    actions.WriteString("application/pdf", "3,evince");
    {
        MimeDatabase database = Database();
        database.DeferLoad(registry_);
        // The built-in types have their actions at once; their lookups read no file.
        EXPECT_EQ(registry_.Entry(registry_.FindTypeByExtension("HTM")).action,
                  ConvertorAction::kSave);
        EXPECT_FALSE(registry_.Merged());
        // A miss merges, and the answer is the merged registry's.
        const int pdf = registry_.FindTypeByExtension("pdf");
        EXPECT_TRUE(registry_.Merged());
        EXPECT_EQ(pdf, registry_.FindType("application/pdf"));
        EXPECT_EQ(registry_.Entry(pdf).application, "evince");
        EXPECT_EQ(registry_.Entry(registry_.FindType("text/html")).extensions, "htm,html,shtml");
    }
    // Listing every type merges too.
    core::CHTConvertorRegistry listed = Builtin();
    MimeDatabase database = Database();
    database.DeferLoad(listed);
    const HelperAppsModel model(listed);
    const std::vector<HelperAppRow>& rows = model.Rows();
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(),
                            [](const HelperAppRow& row) { return row.type == "video/mpeg"; }));
    // A database gone before anything needed it leaves nothing behind to run.
    core::CHTConvertorRegistry unused = Builtin();
    Database().DeferLoad(unused);
    EXPECT_LT(unused.FindType("application/pdf"), 0);
    EXPECT_FALSE(unused.Merged());
}

TEST_F(MimeDatabaseTest, ThePageModelEditsSavesAndReloads) {
    scratch_.Write(".mime.types", "# mine\napplication/x-mine mine\n");
    MimeDatabase database = Database();
    LoadMimeDatabase(registry_, database);
    HelperAppsModel page(registry_);

    // A new type claims its free extensions only.
    const auto added = page.PutType("application", "x-new", "new, pdf,NW");
    ASSERT_TRUE(std::holds_alternative<int>(added));
    const int row = std::get<int>(added);
    EXPECT_EQ(page.Rows()[static_cast<std::size_t>(row)].application, "Prompt User");
    EXPECT_EQ(page.SetAction(row, ConvertorAction::kApplication, "/bin/sh -c"), std::nullopt);
    // Editing an existing type updates its row.
    EXPECT_EQ(std::get<int>(page.PutType("video", "mpeg", "mpeg,mpg,m1v")),
              page.Find("video/mpeg"));
    EXPECT_EQ(page.SetAction(page.Find("video/mpeg"), ConvertorAction::kSave), std::nullopt);
    // Back to "Corvane" for the built-in page type: no value kept.
    EXPECT_EQ(page.SetAction(page.Find("text/html"), ConvertorAction::kDisplay), std::nullopt);
    page.Delete(page.Find("application/x-mine"));
    page.Delete(page.Find("audio/basic"));
    ASSERT_TRUE(page.Save(registry_, database));

    EXPECT_EQ(scratch_.Read(".mime.types"), "# mine\nvideo/mpeg m1v\napplication/x-new new NW\n");
    EXPECT_EQ(Section(), "audio/basic=-1,\nvideo/mpeg=1,\napplication/x-new=3,/bin/sh -c\n");
    // Gone for the rest of the run too: the page opened again does not list them.
    const HelperAppsModel reopened(registry_);
    EXPECT_LT(reopened.Find("application/x-mine"), 0);
    EXPECT_LT(reopened.Find("audio/basic"), 0);
    EXPECT_LT(registry_.FindTypeByExtension("mine"), 0);

    const core::CHTConvertorRegistry again = Reload();
    const auto entry = [&again](std::string_view type) {
        return again.Entry(again.FindType(type));
    };
    EXPECT_EQ(entry("application/x-new").extensions, "new,NW");
    EXPECT_EQ(entry("application/x-new").application, "/bin/sh -c");
    EXPECT_EQ(entry("video/mpeg").extensions, "mpeg,mpg,m1v");
    EXPECT_EQ(entry("video/mpeg").action, ConvertorAction::kSave);
    EXPECT_LT(again.FindType("application/x-mine"), 0);
    EXPECT_LT(again.FindType("audio/basic"), 0);  // hidden, /etc untouched
    EXPECT_EQ(scratch_.Read("mime.types"), kSystemFixture);

    // OK without a change in the next run rewrites nothing.
    const std::string before = scratch_.Read(".mime.types");
    core::CHTConvertorRegistry fresh = Builtin();
    MimeDatabase next = Database();
    LoadMimeDatabase(fresh, next);
    ASSERT_TRUE(HelperAppsModel(fresh).Save(fresh, next));
    EXPECT_EQ(scratch_.Read(".mime.types"), before);
    EXPECT_EQ(Section(), "audio/basic=-1,\nvideo/mpeg=1,\napplication/x-new=3,/bin/sh -c\n");
}

TEST_F(MimeDatabaseTest, BadEntriesAreRefusedWithTheirMessages) {
    MimeDatabase database = Database();
    LoadMimeDatabase(registry_, database);
    HelperAppsModel page(registry_);
    const auto message = [&page](std::string_view t, std::string_view s, std::string_view x) {
        const auto answer = page.PutType(t, s, x);
        return std::holds_alternative<std::string_view>(answer)
                   ? std::string(std::get<std::string_view>(answer))
                   : std::string();
    };
    EXPECT_EQ(message("", "x", ""), "MIME Type is invalid... please try again.");
    EXPECT_EQ(message("a", "b\nevil/type x", ""), "MIME SubType is invalid... please try again.");
    EXPECT_EQ(message("a", "b", "x\ny"), "Suffix List is invalid... please try again.");
    const int row = page.Find("text/html");
    ::chmod(scratch_.File("mime.types").c_str(), 0644);
    for (const std::string& command :
         {std::string("no-such-program-corvane"), scratch_.File("mime.types"), std::string()}) {
        EXPECT_EQ(page.SetAction(row, ConvertorAction::kApplication, command),
                  "Configured browser is invalid... please try again.")
            << command;
    }
    EXPECT_EQ(page.Rows()[static_cast<std::size_t>(row)].application, "Corvane");
    EXPECT_EQ(ConfigureViewer(registry_, database, row, "no-such-program-corvane"),
              "Configured browser is invalid... please try again.");
    EXPECT_EQ(ConfigureViewer(registry_, database, row, "sh"), std::nullopt);
    EXPECT_EQ(Section(), "text/html=3,sh\n");
}

TEST_F(MimeDatabaseTest, DeletingTheLastRowSelectsTheOneBefore) {
    HelperAppsModel page(registry_);
    const int last = static_cast<int>(page.Rows().size()) - 1;
    EXPECT_EQ(page.Delete(last), last - 1);
    EXPECT_EQ(page.Delete(0), 0);
}

}  // namespace
}  // namespace corvane::config

#include "render/view_settings.h"

#include <gtest/gtest.h>

#include "tests/support/scratch_directory.h"

namespace corvane::render {
namespace {

TEST(ViewSettings, DefaultsOfTheSettingsSection) {
    testing::ScratchDirectory profile;
    config::Settings settings(profile.path(), "file:start.html");
    settings.LoadAllSettings();
    const ViewSettings view = ViewSettingsFromDisplay(settings.Display());
    EXPECT_EQ(view.fonts, FontSettings{});
    EXPECT_EQ(view.colors.link, MakeColor(0, 0, 255));
    EXPECT_EQ(view.colors.visitedLink, MakeColor(128, 0, 128));
    EXPECT_EQ(view.colors.activeLink, MakeColor(255, 0, 0));
    EXPECT_EQ(view.colors.text, kBlack);
    EXPECT_EQ(view.colors.background, kWhite);
    EXPECT_TRUE(view.colors.underlineLinks);
    EXPECT_TRUE(view.useDocumentColors);
}

}  // namespace
}  // namespace corvane::render

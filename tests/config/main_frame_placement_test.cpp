#include "config/main_frame_placement.h"

#include <gtest/gtest.h>

#include "config/settings.h"
#include "tests/support/scratch_directory.h"

namespace corvane::config {
namespace {

TEST(MainFramePlacementTest, DefaultsRoundTripAndEmptyRectangles) {
    corvane::testing::ScratchDirectory scratch;
    CSettingsSection section(SettingsFilePath(scratch.path()), "Main Frame");

    const MainFramePlacement defaults = ReadMainFramePlacement(section);
    EXPECT_EQ(defaults, MainFramePlacement{});
    EXPECT_TRUE(defaults.restored.IsEmpty());

    MainFramePlacement closed;
    closed.maximized = true;
    closed.statusBar = false;
    closed.restored = {10, 20, 0, 300};  // width 0: the system's placement stays
    closed.toolDocked = false;
    closed.toolBarRectangle = {5, 6, 40, 300};
    ASSERT_TRUE(WriteMainFramePlacement(section, closed));
    const MainFramePlacement read =
        ReadMainFramePlacement(CSettingsSection(SettingsFilePath(scratch.path()), "main frame"));
    EXPECT_EQ(read, closed);
    EXPECT_TRUE(read.restored.IsEmpty());
    EXPECT_EQ(read.FloatingOrientation(), Orientation::kVertical);
}

TEST(MainFramePlacementTest, DockedToolbarGoesToTheNearestSide) {
    const Rectangle frame{100, 100, 800, 600};
    const struct {
        Rectangle toolBar;
        DockSide side;
    } cases[] = {
        {{100, 100, 800, 30}, DockSide::kTop},
        {{100, 670, 800, 30}, DockSide::kBottom},
        {{100, 130, 30, 500}, DockSide::kLeft},
        {{870, 130, 30, 500}, DockSide::kRight},
        {{0, 0, 0, 0}, DockSide::kTop},  // tie between top and left: the top wins
        {{-2147483647, 2147483647, 2147483647, 2147483647}, DockSide::kLeft},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NearestDockSide(frame, c.toolBar), c.side) << c.toolBar.x << "," << c.toolBar.y;
    }
}

}  // namespace
}  // namespace corvane::config

#include "shell/page_image.h"

#include <gtest/gtest.h>

#include "tests/shell/qt_application.h"

namespace corvane::shell {
namespace {

TEST(PageImage, TextWidthsAddUpWordByWord) {
    testing::TestApplication();
    QtDrawingSurface surface;
    auto font = surface.CreateFont(render::FontSpec{"Times New Roman", 12});
    ASSERT_TRUE(font);
    // Layout sums words; drawing the whole run must take the same room.
    EXPECT_EQ(font->TextWidth("hello world, office fifty"),
              font->TextWidth("hello ") + font->TextWidth("world, ") + font->TextWidth("office ") +
                  font->TextWidth("fifty"));
    EXPECT_GT(font->Metrics().height, 12);
    EXPECT_GT(font->Metrics().averageCharWidth, 0);
}

}  // namespace
}  // namespace corvane::shell

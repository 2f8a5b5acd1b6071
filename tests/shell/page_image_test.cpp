#include "shell/page_image.h"

#include <gtest/gtest.h>

#include "platform/scripted_host_services.h"
#include "render/average_char_width.h"
#include "tests/html/build_document.h"
#include "tests/shell/qt_application.h"

namespace corvane::shell {
namespace {

// Columns of the first text line holding ink of a colour: dark grey to black, or blue.
struct Ink {
    int blackRight = -1;
    int blueLeft = 1 << 20;
    int blueRight = -1;
};

Ink InkOf(const QImage& image, int top, int bottom) {
    Ink ink;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() > 128 && c.red() < 128) {
                ink.blueLeft = std::min(ink.blueLeft, x);
                ink.blueRight = std::max(ink.blueRight, x);
            } else if (c.red() < 128 && c.blue() < 128) {
                ink.blackRight = std::max(ink.blackRight, x);
            }
        }
    }
    return ink;
}

// What layout measured is what Qt draws: a bold link right after a long run of plain words
// starts where the plain run's ink ends, and the line ends where it was measured to end.
TEST(PageImage, LinesAreDrawnAsWideAsTheyWereMeasured) {
    testing::TestApplication();
    QtDrawingSurface surface;
    platform::ScriptedHostServices host;
    render::CHiddenViewWindow window;
    render::CHTMLView view(surface, host, window);
    render::ViewSettings settings;
    settings.colors.underlineLinks = false;
    ASSERT_TRUE(view.ApplySettings(settings));
    view.OnSize(2000, 100);
    view.OnRelayout();
    for (const char* run : {"a", "fi", "w."}) {
        SCOPED_TRACE(run);
        std::string page;
        for (int i = 0; i < 60; ++i) page += std::string(run) + ' ';
        page += std::string(run) + "<a href=x><b>XX</b></a>";
        view.SetDocument(nullptr, "", "");
        const auto built = html::testing::BuildDocument(page);
        view.SetDocument(built.document.get(), built.document->url(), "");
        view.Finish();
        const render::DisplayList& list = view.Layout().Display();
        ASSERT_EQ(list.lines.size(), 1u);
        const render::LayoutBox& link = list.boxes.back();
        ASSERT_EQ(link.text, "XX");

        const QImage image = RenderPage(view, surface, 2000, 100);
        const Ink ink = InkOf(image, list.lines[0].top, list.lines[0].bottom);
        EXPECT_LE(ink.blackRight, ink.blueLeft);  // no overlap
        EXPECT_LE(ink.blueLeft - ink.blackRight, 4);
        EXPECT_NEAR(ink.blueLeft, link.rect.left, 2);
        EXPECT_NEAR(ink.blueRight + 1, link.rect.right, 2);
    }
    view.SetDocument(nullptr, "", "");
}

TEST(PageImage, AverageWidthIsTheWeightedOneOfLowerCaseAndSpace) {
    testing::TestApplication();
    QtDrawingSurface surface;
    auto font = surface.CreateFont(render::FontSpec{"Times New Roman", 12});
    ASSERT_TRUE(font);
    EXPECT_GT(font->Metrics().height, 12);
    EXPECT_NEAR(font->Metrics().averageCharWidth, render::WeightedAverageCharWidth(*font), 0.5);
}

}  // namespace
}  // namespace corvane::shell

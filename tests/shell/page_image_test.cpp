#include "shell/page_image.h"

#include <gtest/gtest.h>

#include "platform/scripted_host_services.h"
#include "tests/html/build_document.h"
#include "tests/shell/qt_application.h"

namespace corvane::shell {
namespace {

class NoWindow : public render::CViewWindow {
  public:
    void SetScrollSizes(const render::ScrollSizes&) override {}
    void Repaint(const render::Rect&) override {}
    void PostRelayout() override {}
    void SetCursor(render::CursorKind) override {}
    void ScrollToY(int) override {}
};

int CountPixels(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == colour;
    }
    return count;
}

TEST(PageImage, DrawsTextRulesAndLinksWithRealFonts) {
    testing::TestApplication();
    QtDrawingSurface surface;
    platform::ScriptedHostServices host;
    NoWindow window;
    render::CHTMLView view(surface, host, window);
    ASSERT_TRUE(view.ApplySettings(render::ViewSettings{}));
    view.OnSize(400, 300);
    view.OnRelayout();
    auto built = html::testing::BuildDocument(
        "<body bgcolor=#ffffe0><h1>Heading</h1><p>Some text <a href=x>a link</a><hr>"
        "<ul><li>item</ul>");
    view.SetDocument(built.document.get(), built.document->url(), "");
    view.Finish();

    const QImage image = RenderPage(view, surface, 400, std::nullopt);
    EXPECT_EQ(image.width(), 400);
    EXPECT_EQ(image.height(), view.Layout().DocumentHeight());
    // The BODY background, black text and rule, blue link pixels.
    EXPECT_GT(CountPixels(image, qRgb(255, 255, 224)), 400 * 100);
    EXPECT_GT(CountPixels(image, qRgb(0, 0, 0)), 100);
    EXPECT_GT(CountPixels(image, qRgb(0, 0, 255)), 20);

    const QImage top = RenderPage(view, surface, 400, 30);
    EXPECT_EQ(top.height(), 30);
    view.SetDocument(nullptr, "", "");
}

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

// A picture of a page whose images come over http after the page itself: the program waits for
// every one of them, however many and however slow, and draws them decoded.
#include <gtest/gtest.h>

#include <QImage>
#include <map>

#include "tests/images/image_fixtures.h"
#include "tests/shell/run_program.h"
#include "tests/support/nginx_server.h"
#include "tests/support/scratch_directory.h"

namespace corvane::shell {
namespace {

using images::testing::Frame;
using images::testing::WriteGif;

constexpr int kImages = 20;

std::string OneColourGif(int side, std::uint32_t rgb) {
    const auto gif =
        WriteGif(side, side, {rgb, 0}, {Frame(side, side, std::vector<int>(side * side, 0))});
    return std::string(gif.begin(), gif.end());
}

std::uint32_t ColourOf(int n) {
    return static_cast<std::uint32_t>(((n * 12) << 16) | (200 << 8) | 40);
}

TEST(HttpScreenshot, EveryImageIsDrawnHoweverSlowItComes) {
    corvane::testing::ScratchDirectory profile;
    // About a kilobyte at 300 bytes a second: the page has long loaded when it ends.
    corvane::testing::NginxServer web("location = /slow.gif { limit_rate 300; }\n");
    std::string page = "<body bgcolor=white><img src=slow.gif>";
    for (int n = 0; n < kImages; ++n) {
        web.Root().Write("i" + std::to_string(n) + ".gif", OneColourGif(4, ColourOf(n)));
        page += "<img src=i" + std::to_string(n) + ".gif> ";
    }
    web.Root().Write("slow.gif", OneColourGif(40, 0x0000FF));
    web.Root().Write("page.html", page);
    ASSERT_TRUE(web.Start()) << web.Log();

    const std::string file = profile.File("shot.png");
    const auto outcome =
        testing::RunCorvaneProgram({"--profile", profile.path(), "--screenshot", file, "--width",
                                    "400", "--height", "200", web.Url("/page.html")});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    const QImage image(QString::fromStdString(file));
    ASSERT_FALSE(image.isNull());
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y)];
    EXPECT_EQ(counts[qRgb(0, 0, 255)], 40 * 40);
    for (int n = 0; n < kImages; ++n) {
        const std::uint32_t rgb = ColourOf(n);
        EXPECT_EQ(counts[qRgb(rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF)], 16) << n;
    }
}

}  // namespace
}  // namespace corvane::shell

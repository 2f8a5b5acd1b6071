// The command-line modes end to end: the built program loads fixture pages through the file
// protocol, lays them out (in fixed-pitch columns for text, with real fonts on the offscreen
// platform for pictures) and writes what was asked.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <QImage>
#include <algorithm>

#include "tests/images/image_fixtures.h"
#include "tests/shell/run_program.h"
#include "tests/support/scratch_directory.h"

namespace corvane::shell {
namespace {

using testing::RunCorvaneProgram;

const char kPage[] =
    "<title>Fixture</title><h1>Head</h1><p>Para with <a href=next.html>a link</a>.\r\n"
    "<ul><li>one<li>two</ul><pre>a\tb</pre><p>end";

class HeadlessTest : public ::testing::Test {
  protected:
    void SetUp() override { pages.Write("page.html", kPage); }
    std::vector<std::string> With(std::vector<std::string> words) {
        words.insert(words.begin(), {"--profile", profile.path()});
        return words;
    }

    corvane::testing::ScratchDirectory profile;
    corvane::testing::ScratchDirectory pages;
};

// Also: a temporary that a writer killed long ago left in the profile is gone after start.
TEST_F(HeadlessTest, DumpTextWritesTheLaidOutLines) {
    profile.Write(".ovalon.ini.Zq09aB", "half");
    const timespec old[2] = {{1000, 0}, {1000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, profile.File(".ovalon.ini.Zq09aB").c_str(), old, 0), 0);
    const auto outcome = RunCorvaneProgram(With({"--dump-text", pages.File("page.html")}));
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "Head\n\nPara with a link.\n\n   * one\n   * two\n\na       b\n\nend\n");
    const std::vector<std::string> names = profile.Names();
    EXPECT_EQ(std::find(names.begin(), names.end(), ".ovalon.ini.Zq09aB"), names.end());
}

TEST_F(HeadlessTest, DumpTextFillsExactColumns) {
    // 800 pixels less the margins hold 97 columns of 8 pixels: 49 one-letter words.
    std::string words;
    for (int i = 0; i < 60; ++i) words += "a ";
    pages.Write("words.html", words);
    const auto outcome = RunCorvaneProgram(With({"--dump-text", pages.File("words.html")}));
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out.substr(0, outcome.out.find('\n')).size(), 97u) << outcome.out;
}

TEST_F(HeadlessTest, DumpSourceWritesTheBytesAsDelivered) {
    const auto outcome = RunCorvaneProgram(With({"--dump-source", pages.File("page.html")}));
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, kPage);
}

TEST_F(HeadlessTest, AMissingFileFailsWithTheMessage) {
    const auto outcome = RunCorvaneProgram(With({"--dump-text", pages.File("missing.html")}));
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.out.empty());
    EXPECT_NE(outcome.err.find("missing.html"), std::string::npos) << outcome.err;
}

TEST_F(HeadlessTest, ScreenshotIsAPictureOfThePage) {
    const std::string file = pages.File("shot.png");
    const auto outcome =
        RunCorvaneProgram(With({"--screenshot", file, "--width", "320", pages.File("page.html")}));
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    QImage image(QString::fromStdString(file));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 320);
    EXPECT_GT(image.height(), 100);
    int dark = 0, blue = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            dark += qGray(pixel) < 64;
            blue += qBlue(pixel) > 200 && qRed(pixel) < 64 && qGreen(pixel) < 64;
        }
    }
    EXPECT_GT(dark, 100);  // text
    EXPECT_GT(blue, 10);   // the link

    const auto cut = RunCorvaneProgram(
        With({"--screenshot", file, "--width", "200", "--height", "50", pages.File("page.html")}));
    ASSERT_EQ(cut.exitCode, 0) << cut.err;
    EXPECT_EQ(QImage(QString::fromStdString(file)).size(), QSize(200, 50));
}

// A file-size limit fails the write as a full disk would: reported, and no partial picture.
TEST_F(HeadlessTest, AScreenshotThatCannotBeWrittenFailsAndLeavesNothing) {
    const std::string file = pages.File("shot.png");
    const std::vector<std::string> before = pages.Names();
    const auto outcome = RunCorvaneProgram(
        With({"--screenshot", file, "--width", "320", pages.File("page.html")}), {}, 2048);
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.err.find("cannot write " + file), std::string::npos) << outcome.err;
    EXPECT_EQ(pages.Names(), before);
}

int CountPixels(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == colour;
    return count;
}

// A 4 x 2 red GIF with a transparent blue column, inline and stretched, and alone in its window.
TEST_F(HeadlessTest, ImagesAreDrawnStretchedThroughTheirMask) {
    using images::testing::Frame;
    auto frame = Frame(4, 2, {0, 0, 0, 1, 0, 0, 0, 1});
    frame.transparentIndex = 1;
    const auto gif = images::testing::WriteGif(4, 2, {0xFF0000, 0x0000FF}, {frame});
    pages.Write("red.gif", std::string(gif.begin(), gif.end()));
    pages.Write("images.html",
                "<body bgcolor=white><img src=red.gif width=40 height=20><img src=none.gif>");
    for (const auto& [page, red] :
         std::vector<std::pair<std::string, int>>{{"images.html", 30 * 20}, {"red.gif", 3 * 2}}) {
        const std::string file = pages.File("shot.png");
        const auto outcome = RunCorvaneProgram(
            With({"--screenshot", file, "--width", "200", "--height", "100", pages.File(page)}));
        ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
        QImage image(QString::fromStdString(file));
        EXPECT_EQ(CountPixels(image, qRgb(255, 0, 0)), red) << page;
        EXPECT_EQ(CountPixels(image, qRgb(0, 0, 255)), 0) << page;
    }
}

// A text dump fetches no pictures: an image whose size came in mid-page re-laid the page out
// and wrote its lines again.
TEST_F(HeadlessTest, DumpTextWritesEachLineOnceWhateverTheImages) {
    const auto gif = images::testing::WriteGif(
        4, 2, {0xFF0000}, {images::testing::Frame(4, 2, {0, 0, 0, 0, 0, 0, 0, 0})});
    pages.Write("red.gif", std::string(gif.begin(), gif.end()));
    std::string page;
    for (int i = 0; i < 6000; ++i) {
        if (i == 3000) page += "<img src=red.gif width=300 height=200 alt=red>\n";
        page += "<p>paragraph " + std::to_string(i) + "\n";
    }
    pages.Write("long.html", page);
    const auto outcome = RunCorvaneProgram(With({"--dump-text", pages.File("long.html")}));
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    std::string expected;
    for (int i = 0; i < 6000; ++i) {
        expected += "paragraph " + std::to_string(i) + (i == 2999 ? " [red]" : "");
        expected += i + 1 < 6000 ? "\n\n" : "\n";
    }
    EXPECT_EQ(outcome.out.size(), expected.size());
    EXPECT_TRUE(outcome.out == expected);  // not printed: 95 KB
}

TEST_F(HeadlessTest, WithoutADisplayTheWindowIsNotTried) {
    const std::string fresh = profile.File("new/profile");
    const auto outcome = RunCorvaneProgram({"--profile", fresh, pages.File("page.html")},
                                           {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.err.find("no display"), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("--dump-text"), std::string::npos) << outcome.err;
    EXPECT_EQ(access(fresh.c_str(), F_OK), 0);  // the profile was made first
}

}  // namespace
}  // namespace corvane::shell

// A page's images loaded from local files through embedded requests, the file protocol and the
// image convertors: sizes and rows for the painter, failures, and one JPEG message per page.

#include "render/image_loads.h"

#include <gtest/gtest.h>

#include "html/document.h"
#include "images/image_convertor.h"
#include "protocols/file_protocol.h"
#include "tests/html/build_document.h"
#include "tests/images/image_fixtures.h"
#include "tests/support/window_load_test.h"

namespace corvane::render {
namespace {

class ImageLoadsTest : public corvane::testing::WindowLoadTest {
  protected:
    void SetUp() override {
        protocols::RegisterFileProtocol();
        images::RegisterImageConvertors();
        const auto gif = images::testing::WriteGif(
            3, 2, {0xFF0000, 0}, {images::testing::Frame(3, 2, {0, 0, 0, 0, 0, 0})});
        scratch_.Write("good.gif", std::string(gif.begin(), gif.end()));
        // Damaged JPEGs: a frame header announcing an empty picture.
        const std::string damaged("\xFF\xD8\xFF\xC0\x00\x0B\x08\x00\x00\x00\x00\x01\x01\x11\x00",
                                  15);
        scratch_.Write("bad1.jpg", damaged);
        scratch_.Write("bad2.jpg", damaged);
        page_ = html::testing::BuildDocument(
            "<img src=good.gif><img src=bad1.jpg><img src=bad2.jpg><img src=none.gif>", {},
            "file:" + scratch_.path() + "/page.html");
    }
    void TearDown() override {
        loads_.reset();
        page_.document.reset();
        WindowLoadTest::TearDown();
    }
    void Settle() {
        for (int pass = 0; pass < 1000 && (loads_->Busy() || scheduler_.RunPass()); ++pass)
            scheduler_.RunPass();
    }
    const html::CHTMLImage* Image(int index) const {
        return page_.document->images[static_cast<std::size_t>(index)];
    }

    std::unique_ptr<CImageLoads> loads_ = std::make_unique<CImageLoads>(*host_, nullptr);
    html::testing::Built page_;
};

TEST_F(ImageLoadsTest, LoadedImagesFailuresAndOneJpegMessage) {
    loads_->AddAll(*page_.document, true);
    Settle();
    EXPECT_EQ(loads_->Changes(), CImageLoads::Change::kSizes);

    const ImageInfo good = loads_->InfoOf(Image(0));
    EXPECT_EQ(good.state, ImageState::kDecoded);
    EXPECT_EQ(good.naturalWidth, 3);
    EXPECT_EQ(good.bitmap.height, 2);
    EXPECT_EQ(good.bitmap.pixels[0] & 0xFFFFFF, MakeColor(255, 0, 0));
    for (int index : {1, 2, 3})
        EXPECT_EQ(loads_->InfoOf(Image(index)).state, ImageState::kFailed) << index;

    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, images::kJpegErrorMessage);
    EXPECT_EQ(ui_.messages[0].icon, platform::MessageIcon::kStop);
    ASSERT_FALSE(ui_.statusTexts.empty());
    EXPECT_NE(ui_.statusTexts.back().find("bad2.jpg"), std::string::npos);
    EXPECT_EQ(loads_->Changes(), CImageLoads::Change::kNone);
}

TEST_F(ImageLoadsTest, WithoutAutoLoadOnlyAskedImagesLoad) {
    loads_->AddAll(*page_.document, false);
    Settle();
    EXPECT_EQ(loads_->InfoOf(Image(0)).state, ImageState::kLoading);
    loads_->StartOne(Image(0));
    Settle();
    EXPECT_EQ(loads_->InfoOf(Image(0)).state, ImageState::kDecoded);
    EXPECT_EQ(loads_->InfoOf(Image(1)).state, ImageState::kLoading);
    EXPECT_TRUE(ui_.messages.empty());
}

// On a display of 256 colours the images are drawn in palette colours, remade when the choice
// changes; a deeper display gets the decoded colours back.
TEST_F(ImageLoadsTest, FewColourDisplaysDrawThePalettesNearestColours) {
    const auto gif = images::testing::WriteGif(2, 1, {0xFA0A0A, 0x0A0A0A},
                                               {images::testing::Frame(2, 1, {0, 1})});
    scratch_.Write("dull.gif", std::string(gif.begin(), gif.end()));
    auto page = html::testing::BuildDocument("<img src=dull.gif>", {},
                                             "file:" + scratch_.path() + "/page.html");
    const html::CHTMLImage* image = page.document->images[0];
    loads_->AddAll(*page.document, true);
    Settle();
    loads_->UsePalette(true, true);
    EXPECT_NE(loads_->Changes(), CImageLoads::Change::kNone);
    auto pixels = loads_->InfoOf(image).bitmap.pixels;
    ASSERT_EQ(pixels.size(), 2u);
    EXPECT_EQ(pixels[0] & 0xFFFFFF, MakeColor(255, 0, 0));
    loads_->UsePalette(false, true);
    loads_->Changes();
    EXPECT_EQ(loads_->InfoOf(image).bitmap.pixels[0] & 0xFFFFFF, MakeColor(250, 10, 10));
    loads_->Clear();
}

}  // namespace
}  // namespace corvane::render

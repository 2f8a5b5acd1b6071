// Local documents end to end: a file: URL typed into a window goes through Navigate, the load
// task, CHTFile and the text convertors, and leaves a parsed document in its request.

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/convertor_registry.h"
#include "html/text_convertor.h"
#include "protocols/file_protocol.h"
#include "tests/html/build_document.h"
#include "tests/support/window_load_test.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

class LocalDocumentsTest : public corvane::testing::WindowLoadTest {
  protected:
    void SetUp() override {
        protocols::RegisterFileProtocol();
        html::RegisterTextConvertors();
    }
    void Write(const std::string& name, const std::string& bytes) { scratch_.Write(name, bytes); }

    static std::vector<std::string> Elements(const core::CHTRequest& request) {
        const auto* result = dynamic_cast<const html::CHTMLDocument*>(request.document.get());
        return result != nullptr ? html::testing::Elements(*result->html)
                                 : std::vector<std::string>{};
    }

    std::string root_ = scratch_.path();
};

TEST_F(LocalDocumentsTest, HtmlFileBecomesAnHtmlDocument) {
    const std::string page = "<TITLE>Local</TITLE><H1>Hi</H1><P>text";
    Write("page.html", page);
    core::CHTRequest* request = Load("file:" + root_ + "/page.html");
    ASSERT_NE(request, nullptr);
    EXPECT_TRUE(ui_.messages.empty());
    EXPECT_EQ(doc_->Current(), request);
    EXPECT_EQ(request->localFile, root_ + "/page.html");
    EXPECT_EQ(request->size, page.size());
    const std::vector<std::string> elements = Elements(*request);
    ASSERT_FALSE(elements.empty());
    EXPECT_NE(std::find(elements.begin(), elements.end(), "text:406:Hi"), elements.end());
    EXPECT_NE(std::find(elements.begin(), elements.end(), "text:0:text"), elements.end());
    EXPECT_EQ(dynamic_cast<const html::CHTMLDocument&>(*request->document).html->title, "Local");
}

TEST_F(LocalDocumentsTest, DirectoryBecomesAListingWithLinks) {
    Write("b&c.txt", "x");
    fs::create_directory(root_ + "/sub");
    core::CHTRequest* request = Load("file:" + root_ + "/");
    ASSERT_NE(request, nullptr);
    const auto& document = *dynamic_cast<const html::CHTMLDocument&>(*request->document).html;
    EXPECT_EQ(document.title, "Directory Listing of " + root_ + "/");
    std::vector<std::string> links;
    for (const html::CHTMLAnchor* anchor : document.anchors) links.push_back(anchor->url);
    ASSERT_EQ(links.size(), 3u) << ::testing::PrintToString(links);
    EXPECT_NE(links[1].find("/b%26c.txt"), std::string::npos) << links[1];
    EXPECT_NE(links[2].find("/sub/"), std::string::npos) << links[2];
    const std::vector<std::string> elements = Elements(*request);
    EXPECT_NE(std::find(elements.begin(), elements.end(), "pre:b&c.txt"), elements.end())
        << ::testing::PrintToString(elements);
}

// A name whose escaped line is longer than the protocol's whole buffer arrives in pieces, entire;
// 0x1A in a name would end the generated page for the text convertor, yet every entry shows,
// its control bytes as blanks like every control byte in preformatted text.
TEST_F(LocalDocumentsTest, HostileNamesListWhole) {
    const std::string name = std::string(250, '"') + "<&>";
    Write(name, "x");
    Write("a\x1a\x01", "x");
    core::CHTRequest* request = Load("file:" + root_);
    ASSERT_NE(request, nullptr);
    const auto& document = *dynamic_cast<const html::CHTMLDocument&>(*request->document).html;
    ASSERT_EQ(document.anchors.size(), 3u);
    std::string escaped;
    for (int i = 0; i < 250; ++i) escaped += "%22";
    EXPECT_NE(document.anchors[1]->url.find("/" + escaped + "%3C%26%3E"), std::string::npos);
    const std::vector<std::string> elements = Elements(*request);
    for (const std::string& shown : {"pre:" + name, std::string("pre:a  ")}) {
        EXPECT_NE(std::find(elements.begin(), elements.end(), shown), elements.end())
            << ::testing::PrintToString(elements);
    }
}

// A file reporting size 0 that never ends stops at the allowance beyond its size.
TEST_F(LocalDocumentsTest, AFileThatNeverEndsStopsWithAFailure) {
    protocols::RegisterFileProtocol(64 * 1024);
    const std::string url = "file:///proc/self/pagemap";
    ui_.messageAnswers = {platform::MessageAnswer::kNo};  // binary: show it as text
    Load(url);
    ASSERT_EQ(ui_.messages.size(), 2u);
    EXPECT_EQ(ui_.messages[1].text, "Cannot complete loading " + url);
}

// A missing file, a FIFO (reading it could block the window) and a file: URL naming a host.
TEST_F(LocalDocumentsTest, WhatCannotBeServedCannotConnect) {
    ASSERT_EQ(mkfifo((root_ + "/fifo").c_str(), 0600), 0);
    Write("there.html", "x");
    const std::string urls[] = {"file:" + root_ + "/missing.html", "file:" + root_ + "/fifo",
                                "file://elsewhere" + root_ + "/there.html"};
    for (const std::string& url : urls) {
        ui_.messages.clear();
        Load(url);
        ASSERT_EQ(ui_.messages.size(), 1u) << url;
        EXPECT_EQ(ui_.messages[0].text, "Cannot connect to " + url);
        EXPECT_EQ(ui_.messages[0].icon, platform::MessageIcon::kStop);
        EXPECT_EQ(doc_->Current(), nullptr);
    }
}

// Cancel at the unknown-type question ends the load quietly: nothing failed.
TEST_F(LocalDocumentsTest, UnknownTypeCancelledIsNoFailure) {
    Write("notes", "some words");
    ui_.messageAnswers = {platform::MessageAnswer::kCancel};
    Load("file:" + root_ + "/notes");
    ASSERT_EQ(ui_.messages.size(), 1u);
    EXPECT_EQ(ui_.messages[0].text, "File Type has not been configured.\nSave to Disk?");
    EXPECT_EQ(doc_->Current(), nullptr);
}

}  // namespace
}  // namespace corvane

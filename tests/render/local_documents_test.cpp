// Local documents end to end: a file: URL typed into a window goes through Navigate, the load
// task, CHTFile and the text convertors, and leaves a parsed document in its request.

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/convertor_registry.h"
#include "core/ovalon_doc.h"
#include "core/ht_host_services.h"
#include "core/request.h"
#include "core/scheduler.h"
#include "html/text_convertor.h"
#include "platform/scripted_host_services.h"
#include "protocols/file_protocol.h"
#include "tests/html/build_document.h"
#include "tests/support/scratch_directory.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;

class LocalDocumentsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        protocols::RegisterFileProtocol();
        html::RegisterTextConvertors();
    }
    void TearDown() override {
        doc_.reset();
        host_.reset();
        scheduler_.DeleteRetired();
    }
    void Write(const std::string& name, const std::string& bytes) { scratch_.Write(name, bytes); }

    // Loads the URL into the window and runs the scheduler until the load is over.
    core::CHTRequest* Load(const std::string& url) {
        doc_->Navigate(url);
        for (int pass = 0; pass < 1000 && scheduler_.RunPass(); ++pass) {
        }
        core::CHTRequestEntry* entry =
            host_->FindEntry(core::FormatAddress(core::ParseAddress(url)));
        return entry != nullptr ? entry->request.get() : nullptr;
    }

    static std::vector<std::string> Elements(const core::CHTRequest& request) {
        std::vector<std::string> words;
        const auto* result = dynamic_cast<const html::CHTMLDocument*>(request.document.get());
        if (result == nullptr) return words;
        const html::CHTML& document = *result->html;
        for (const html::CHTMLElement* e = document.First(); e != document.End(); e = e->next) {
            words.push_back(html::testing::Describe(*e));
        }
        return words;
    }

    corvane::testing::ScratchDirectory scratch_;
    std::string root_ = scratch_.path();
    std::uint32_t now_ = 1;
    platform::ScriptedHostServices ui_;
    core::CHTScheduler scheduler_{[this] { return now_ += 10; }};
    std::unique_ptr<core::CHTHostServices> host_ =
        std::make_unique<core::CHTHostServices>(ui_, scheduler_);
    std::unique_ptr<core::COvalonDoc> doc_ = std::make_unique<core::COvalonDoc>(*host_, nullptr);
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

// Its escaped line is longer than the protocol's whole buffer: it arrives in pieces, entire.
TEST_F(LocalDocumentsTest, ANameLongerThanTheBufferOnceEscapedListsWhole) {
    const std::string name = std::string(250, '"') + "<&>";
    Write(name, "x");
    core::CHTRequest* request = Load("file:" + root_);
    ASSERT_NE(request, nullptr);
    const auto& document = *dynamic_cast<const html::CHTMLDocument&>(*request->document).html;
    ASSERT_EQ(document.anchors.size(), 2u);
    std::string escaped;
    for (int i = 0; i < 250; ++i) escaped += "%22";
    EXPECT_NE(document.anchors[1]->url.find("/" + escaped + "%3C%26%3E"), std::string::npos);
    const std::vector<std::string> elements = Elements(*request);
    EXPECT_NE(std::find(elements.begin(), elements.end(), "pre:" + name), elements.end());
}

// 0x1A in a name would end the generated page for the text convertor: every entry still shows.
TEST_F(LocalDocumentsTest, ControlBytesInNamesDoNotCutTheListing) {
    Write("a\x1a\x01", "x");
    Write("b", "x");
    core::CHTRequest* request = Load("file:" + root_);
    ASSERT_NE(request, nullptr);
    const std::vector<std::string> elements = Elements(*request);
    // Shown as blanks, like every control byte in preformatted text.
    EXPECT_NE(std::find(elements.begin(), elements.end(), "pre:a  "), elements.end())
        << ::testing::PrintToString(elements);
    EXPECT_NE(std::find(elements.begin(), elements.end(), "pre:b"), elements.end())
        << ::testing::PrintToString(elements);
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

// Save As and the source viewer's bytes, from a disk cache copy (a page loaded over the network)
// and from a local file.
#include "shell/document_copy.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "core/convertor_registry.h"
#include "tests/store/store_fixture.h"

namespace corvane::shell {
namespace {

class DocumentCopyTest : public store::testing::StoreTest {
  protected:
    void SetUp() override {
        if (core::Convertors().FindType("text/html") < 0)
            core::RegisterBuiltinTypes(core::Convertors());
    }
    core::CHTRequest& Shown(const std::string& url, const std::string& type) {
        core::CHTRequest& request = Request(url);
        request.convertorIndex = core::Convertors().FindType(type);
        return request;
    }
};

TEST_F(DocumentCopyTest, SavedPagesKeepTheirBaseUnlessTheyAreLocalFiles) {
    const std::string page = "<a href=next.html>next</a>";
    ASSERT_TRUE(Store("http://example.org/dir/page.html", page));
    ASSERT_TRUE(Store("http://example.org/notes.txt", page));
    scratch_.Write("local.html", page);
    core::CHTRequest& local = Shown("file:" + scratch_.File("local.html"), "text/html");
    local.localFile = scratch_.File("local.html");

    struct Case {
        const char* name;
        core::CHTRequest* request;
        std::string expected;
    };
    const Case cases[] = {
        {"network page", &Shown("http://example.org/dir/page.html", "text/html"),
         "<BASE HREF=\"http://example.org/dir/page.html\">" + page},
        {"network text", &Shown("http://example.org/notes.txt", "text/plain"), page},
        {"local file", &local, page},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string target = scratch_.File("saved");
        ASSERT_EQ(SaveDocumentAs(*c.request, *cache_, target), SaveResult::kSaved);
        EXPECT_EQ(scratch_.Read("saved"), c.expected);
        EXPECT_EQ(ReadStoredDocument(*c.request, *cache_, 1 << 20), page);
    }
    EXPECT_EQ(ReadStoredDocument(local, *cache_, 5), "<a hr");
}

TEST_F(DocumentCopyTest, FailuresAreToldAndLeaveTheOldFileWhole) {
    scratch_.Write("old", "old contents");
    core::CHTRequest& missing = Shown("http://example.org/gone.html", "text/html");
    EXPECT_EQ(SaveDocumentAs(missing, *cache_, scratch_.File("old")), SaveResult::kNoSource);
    EXPECT_EQ(SaveDocumentAs(missing, *cache_, ""), SaveResult::kNoName);
    ASSERT_TRUE(Store("http://example.org/a.html", "new"));
    core::CHTRequest& stored = Shown("http://example.org/a.html", "text/html");
    EXPECT_EQ(SaveDocumentAs(stored, *cache_, scratch_.File("no/such/dir/x")),
              SaveResult::kCannotCreate);
    EXPECT_EQ(scratch_.Read("old"), "old contents");
    EXPECT_EQ(SaveResultMessage(SaveResult::kNoSource),
              "Source not avaliable at this time.\nPlease try to reload URL.");
    EXPECT_EQ(SaveResultMessage(SaveResult::kNoName),
              "No target filename found... please select a valid filename");
}

TEST_F(DocumentCopyTest, AnHtmlPageSavedUnderATextNameIsItsShownText) {
    core::CHTRequest& page = Shown("gopher://h/1/menu", "text/html");
    core::CHTRequest& text = Shown("http://h/notes.txt", "text/plain");
    EXPECT_TRUE(SavesShownText(page, "/x/menu.TXT"));
    EXPECT_FALSE(SavesShownText(page, "/x/menu.htm"));
    EXPECT_FALSE(SavesShownText(text, "/x/notes.txt"));
    scratch_.Write("menu.txt", "old");
    ASSERT_EQ(SaveTextAs("Docs\nNotes\n", scratch_.File("menu.txt")), SaveResult::kSaved);
    EXPECT_EQ(scratch_.Read("menu.txt"), "Docs\nNotes\n");
    EXPECT_EQ(SaveTextAs("x", scratch_.File("no/such/dir/x.txt")), SaveResult::kCannotCreate);
}

TEST_F(DocumentCopyTest, TheProposalIsASafeNameAndTheTypesFilter) {
    const SaveAsProposal page =
        ProposeSaveAs(Shown("http://h/dir/Report%20one.html?x=1", "text/html"));
    EXPECT_EQ(page.name, "Report one.html");
    EXPECT_EQ(page.filter, "text/html Files (*.htm)|*.htm|All Files (*.*)|*.*||");
    const SaveAsProposal hostile = ProposeSaveAs(Shown("http://h/..%2F..%2F.bashrc", "text/html"));
    EXPECT_EQ(hostile.name, "bashrc");
    EXPECT_EQ(ProposeSaveAs(Shown("http://h/", "text/html")).name, "");
}

}  // namespace
}  // namespace corvane::shell

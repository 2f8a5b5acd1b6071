// --print-pdf end to end: the built program prints a fixture page into a PDF, which pdftotext
// (poppler-utils) reads back: the page count, the header and the footer of every page.
#include <gtest/gtest.h>

#include <regex>

#include "tests/shell/run_program.h"
#include "tests/support/scratch_directory.h"

namespace corvane::shell {
namespace {

using testing::RunCorvaneProgram;

// The text of a PDF, pages separated by form feeds.
std::string PdfText(const std::string& pdf, const std::string& textFile) {
    const std::vector<std::string> words{"pdftotext", "-layout", pdf, textFile};
    std::vector<char*> argv;
    for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, "pdftotext", nullptr, nullptr, argv.data(), environ) != 0) {
        ADD_FAILURE() << "pdftotext cannot be started: install poppler-utils";
        return {};
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return corvane::testing::ReadFile(textFile);
}

std::vector<std::string> Pages(const std::string& text) {
    std::vector<std::string> pages;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\f', start)) != std::string::npos; start = end + 1)
        pages.push_back(text.substr(start, end - start));
    return pages;
}

class PrintPdfTest : public ::testing::Test {
  protected:
    std::vector<std::string> Print(const std::string& html) {
        pages.Write("page.html", html);
        const auto outcome = RunCorvaneProgram({"--profile", profile.path(), "--print-pdf",
                                                pages.File("out.pdf"), pages.File("page.html")});
        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        return Pages(PdfText(pages.File("out.pdf"), pages.File("out.txt")));
    }
    corvane::testing::ScratchDirectory profile;
    corvane::testing::ScratchDirectory pages;
};

TEST_F(PrintPdfTest, EveryPageOfALongDocumentHasItsHeaderAndFooter) {
    std::string html = "<title>Long Page</title>";
    for (int i = 0; i < 1500; ++i) html += "<p>Paragraph " + std::to_string(i) + " of the page.";
    const std::vector<std::string> printed = Print(html);
    // No page is dropped after the 40th.
    ASSERT_GT(printed.size(), 40u);
    const std::string count = std::to_string(printed.size());
    const std::regex date(R"(\b\d{1,2}/\d{1,2}/\d{4}\b)");
    for (std::size_t i = 0; i < printed.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(printed[i].rfind("Long Page", 0), 0u) << printed[i].substr(0, 200);
        EXPECT_NE(printed[i].find("file:" + pages.File("page.html")), std::string::npos);
        EXPECT_NE(printed[i].find("Page " + std::to_string(i + 1) + " of " + count),
                  std::string::npos);
        EXPECT_TRUE(std::regex_search(printed[i], date));
    }
    EXPECT_NE(printed.back().find("Paragraph 1499 of the page."), std::string::npos);
    // Each paragraph is printed once: a line cut by a page end moves whole to the next page.
    std::string all;
    for (const std::string& page : printed) all += page;
    for (const char* line : {"Paragraph 0 ", "Paragraph 700 ", "Paragraph 1499 "}) {
        const std::size_t first = all.find(line);
        ASSERT_NE(first, std::string::npos) << line;
        EXPECT_EQ(all.find(line, first + 1), std::string::npos) << line;
    }
}

TEST_F(PrintPdfTest, OneLineIsOnePageWithHeaderAndFooter) {
    const std::vector<std::string> printed = Print("<title>One</title>just one line");
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].rfind("One", 0), 0u);
    EXPECT_NE(printed[0].find("just one line"), std::string::npos);
    EXPECT_NE(printed[0].find("Page 1 of 1"), std::string::npos);
}

// Form controls print as their widgets draw them, on every page they fall on: their texts are in
// the PDF, at the place the page gives them.
TEST_F(PrintPdfTest, FormControlsPrintWithTheirTexts) {
    std::string html = "<title>Form</title><form>Name <input name=n value=\"Ada Lovelace\">";
    for (int i = 0; i < 80; ++i) html += "<p>Line " + std::to_string(i);
    html +=
        "<p><textarea name=t>Notes inside</textarea> <input type=submit value=\"Send it\">"
        "<select name=s><option>Chosen option<option>Other</select></form>";
    const std::vector<std::string> printed = Print(html);
    ASSERT_GE(printed.size(), 2u);
    EXPECT_NE(printed.front().find("Ada Lovelace"), std::string::npos) << printed.front();
    for (const char* text : {"Notes inside", "Send it", "Chosen option"}) {
        EXPECT_NE(printed.back().find(text), std::string::npos) << text << "\n" << printed.back();
        EXPECT_EQ(printed.front().find(text), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace corvane::shell

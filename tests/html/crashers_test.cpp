// Inputs the fuzzer once stopped on, kept so they stay fixed.
#include <gtest/gtest.h>

#include <filesystem>

#include "build_document.h"
#include "tests/support/scratch_directory.h"

namespace corvane::html {
namespace {

TEST(Crashers, EveryOneBuildsAWholeDocument) {
    const std::filesystem::path directory =
        std::filesystem::path(CORVANE_SOURCE_DIR) / "tests/html/crashers";
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        const auto built =
            testing::BuildDocument(corvane::testing::ReadFile(entry.path().string()));
        std::size_t elements = 0;
        for (const CHTMLElement* e = built.document->First(); e != built.document->End();
             e = e->next) {
            ASSERT_EQ(e->next->previous, e) << entry.path();
            ++elements;
        }
        EXPECT_EQ(elements, built.document->ElementCount()) << entry.path();
        ++count;
    }
    EXPECT_GT(count, 0);
}

TEST(Crashers, UnclosedTitleHoldingATextareaShowsItsText) {
    // The title swallows every token, TEXTAREA text with its line ends stored as CR LF; left
    // open, it shows as preformatted text, so it may be longer than the bytes it came from.
    const auto built = testing::BuildDocument("<title>a<textarea>b\n\nc");
    EXPECT_EQ(testing::Elements(*built.document),
              std::vector<std::string>{"pre:a<textareab\n\n\n\nc"});
}

}  // namespace
}  // namespace corvane::html

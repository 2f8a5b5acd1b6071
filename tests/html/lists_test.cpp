#include <gtest/gtest.h>

#include "build_document.h"

namespace corvane::html {
namespace {

using testing::Elements;
using Words = std::vector<std::string>;

Words Items(std::string_view html) {
    Words items;
    for (const std::string& word : Elements(html)) {
        if (word.starts_with("bullet") || word.starts_with("number")) items.push_back(word);
    }
    return items;
}

TEST(Lists, ElementSequences) {
    const std::pair<const char*, Words> cases[] = {
        {"<ul><li>a<li>b</ul>",
         {"break:2", "break:1", "align:3", "ul+1", "bullet:1", "text:0:a", "break:2", "bullet:1",
          "text:0:b", "break:2", "break:1", "align:3", "ul-0"}},
        {"</ul></ol>x", {"text:0:x"}},  // a stray list end adds nothing
        {"<dl><dt>t<dd>d</dl>",
         {"break:2", "break:1", "align:3", "dl+1", "dt", "text:0:t", "break:2", "dd", "text:0:d",
          "break:2", "break:1", "align:3", "dl-0"}},
        // Compact data follows its term on the line.
        {"<dl compact><dt>t<dd>d</dl>",
         {"break:2", "break:1", "align:3", "dl+1", "dt:compact", "text:0:t", "dd:compact",
          "text:0:d", "break:2", "break:1", "align:3", "dl-0"}},
    };
    for (const auto& [html, elements] : cases) EXPECT_EQ(Elements(html), elements) << html;
}

struct ItemCase {
    const char* name;
    const char* html;
    Words items;
};

class ListItems : public ::testing::TestWithParam<ItemCase> {};

TEST_P(ListItems, NumbersAndBullets) {
    EXPECT_EQ(Items(GetParam().html), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ListItems,
    ::testing::Values(
        ItemCase{"BulletsByDepth",
                 "<ul><li>a<ul><li>b<ul><li>c<ul><li>d</ul></ul></ul><li>e</ul>",
                 {"bullet:1", "bullet:2", "bullet:3", "bullet:4", "bullet:1"}},
        ItemCase{"BulletTypes",
                 "<ul type=square><li>a</ul><ul type=Circle><li>b</ul><ul type=disc><ul><li>c",
                 {"bullet:3", "bullet:2", "bullet:2"}},
        ItemCase{"DirAndMenuAreBulleted",
                 "<dir><li>a</dir><menu><li>b</menu>",
                 {"bullet:1", "bullet:1"}},
        ItemCase{"NumberedFromOne",
                 "<ol><li>a<li>b<li>c</ol>",
                 {"number:0:1", "number:0:2", "number:0:3"}},
        // START names the first item's number.
        ItemCase{
            "StartIsTheFirstNumber", "<ol start=4><li>a<li>b</ol>", {"number:0:4", "number:0:5"}},
        ItemCase{"StartBelowOneStartsAtOne", "<ol start=-3><li>a</ol>", {"number:0:1"}},
        ItemCase{"NumberIsCapped",
                 "<ol start=99999999><li>a<li>b</ol>",
                 {"number:0:8388607", "number:0:8388607"}},
        ItemCase{"NumberStyles",
                 "<ol type=A><li>a</ol><ol type=a><li>a</ol><ol type=I><li>a</ol>"
                 "<ol type=i><li>a</ol><ol type=x><li>a</ol>",
                 {"number:1:1", "number:2:1", "number:3:1", "number:4:1", "number:0:1"}},
        ItemCase{"NestedListsKeepTheirOwnCount",
                 "<ol><li>a<ol><li>b<li>c</ol><li>d</ol>",
                 {"number:0:1", "number:0:1", "number:0:2", "number:0:2"}},
        ItemCase{
            "ItemRightAfterItemIgnored", "<ol><li><li>a<li>b</ol>", {"number:0:1", "number:0:2"}},
        ItemCase{"ItemOutsideAnyList", "<li>a", {"bullet:0"}}),
    [](const ::testing::TestParamInfo<ItemCase>& info) { return info.param.name; });

TEST(Lists, ItemClosesStylesOpenedInThePreviousItem) {
    EXPECT_EQ(testing::Texts("<ul><li><b>a<li>b</ul>"), (Words{"text:20:a", "text:0:b"}));
}

TEST(DefinitionLists, CompactEndsWithTheList) {
    const Words words = Elements("<dl compact><dl><dd>a</dl><dd>b</dl><dl><dt>t<dd>c</dl>");
    Words data;
    for (const auto& w : words) {
        if (w.starts_with("dd")) data.push_back(w);
    }
    EXPECT_EQ(data, (Words{"dd", "dd:compact", "dd"}));
}

}  // namespace
}  // namespace corvane::html

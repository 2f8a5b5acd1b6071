#include "html/attributes.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>

#include "html/tags.h"

namespace corvane::html {
namespace {

struct AttributeCase {
    const char* tagText;
    const char* name;
    std::optional<std::string> expected;
};

class Attribute : public testing::TestWithParam<AttributeCase> {};

TEST_P(Attribute, Lookup) {
    const AttributeCase& c = GetParam();
    EXPECT_EQ(GetAttribute(c.tagText, c.name), c.expected) << c.tagText;
}

INSTANTIATE_TEST_SUITE_P(
    TagTexts, Attribute,
    testing::Values(AttributeCase{"<a href = \"a b.html\"", "HREF", "a b.html"},
                    AttributeCase{"<a name=href", "HREF", std::nullopt},
                    AttributeCase{"<a title=\"see href=x\" href=y", "HREF", "y"},
                    AttributeCase{"<img alt=\"x\"src=y.gif", "SRC", "y.gif"},
                    AttributeCase{"<hr noshade", "NOSHADE", ""},
                    AttributeCase{"<hr noshade size=3", "NOSHADE", ""},
                    AttributeCase{"<hr noshadey", "NOSHADE", std::nullopt},
                    AttributeCase{"<a HrEf=x", "HREF", "x"},
                    AttributeCase{"<a href='x y'", "HREF", "'x"},
                    AttributeCase{"<a href=\"unterminated", "HREF", "unterminated"},
                    AttributeCase{"<a href=\"x\ty\"", "HREF", "xy"},
                    AttributeCase{"<a\nhref=x", "HREF", "x"}, AttributeCase{"<a href=", "HREF", ""},
                    AttributeCase{"<a xhref=x", "HREF", std::nullopt},
                    AttributeCase{"<a", "A", std::nullopt}));

TEST(Attribute, BoolFormRejectsMissingAndEmptyValues) {
    std::string value = "kept";
    EXPECT_FALSE(GetAttribute("<hr noshade", "NOSHADE", value));
    EXPECT_FALSE(GetAttribute("<hr", "SIZE", value));
    EXPECT_EQ(value, "kept");
    EXPECT_TRUE(GetAttribute("<hr size=4", "SIZE", value));
    EXPECT_EQ(value, "4");
}

TEST(TagLookup, FindsEveryRowInAnyCaseAndNothingElse) {
    for (const TagRow& row : kTagTable) {
        std::string upper(row.name);
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(LookupTag(row.name), row.number) << row.name;
        EXPECT_EQ(LookupTag(upper + " attr=1"), row.number) << upper;
        EXPECT_EQ(LookupTag(std::string(row.name) + "x"), 0) << row.name;
    }
    EXPECT_EQ(LookupTag(""), 0);
    EXPECT_EQ(LookupTag("h"), 0);
    EXPECT_EQ(LookupTag("h7"), 0);
    EXPECT_EQ(LookupTag("blah"), 0);
    EXPECT_EQ(LookupTag("br/"), tag::kBr);
}

}  // namespace
}  // namespace corvane::html

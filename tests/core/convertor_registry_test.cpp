#include <gtest/gtest.h>

#include "core/convertor_registry.h"
#include "core/signature_probes.h"

namespace corvane::core {
namespace {

TEST(ConvertorRegistry, FindsTypesByWholeExtensionItems) {
    CHTConvertorRegistry registry;
    registry.Register("text/html", nullptr, "htm,html");
    registry.Register("image/jpeg", nullptr, "jpg,jpeg,JPE");
    struct Case {
        const char* extension;
        int expected;
    };
    const Case cases[] = {
        {"htm", 0},
        {"HTML", 0},
        {"jpeg", 1},
        {"jpe", 1},
        {"jpg", 1},
        // Items match whole: a prefix or an extension that merely starts with an item is no match.
        {"ht", -1},
        {"htmx", -1},
        {"jp", -1},
        {"jpegs", -1},
        {"", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(registry.FindTypeByExtension(c.extension), c.expected) << c.extension;
}

TEST(ConvertorRegistry, FindsTypesByNameInAnyCaseAndNotOnceRemoved) {
    CHTConvertorRegistry registry;
    registry.Register("text/html", nullptr, "htm");
    EXPECT_EQ(registry.Register("TEXT/HTML", nullptr, "html"), 0);  // the same type
    EXPECT_EQ(registry.Entry(0).extensions, "htm,html");
    registry.Register("image/gif", nullptr, "gif");
    EXPECT_EQ(registry.FindType("Text/Html"), 0);
    EXPECT_EQ(registry.FindType("text/htm"), -1);
    registry.Entry(0).removed = true;
    EXPECT_EQ(registry.FindType("text/html"), -1);
    // Registered again: a new entry, the removed one stays unfound.
    EXPECT_EQ(registry.Register("text/html", nullptr, "htm"), 2);
    EXPECT_EQ(registry.FindType("text/html"), 2);
    EXPECT_EQ(registry.FindType("image/gif"), 1);
}

TEST(ConvertorSignatures, GifAndJpeg) {
    struct Case {
        const char* bytes;
        bool gif;
        bool jpeg;
    };
    const Case cases[] = {
        {"GIF87a\x01", true, false},        {"GIF89a\x01", true, false},
        {"GIF88a\x01", false, false},       {"GIF89b\x01", false, false},
        {"gif89a\x01", false, false},       {"\xFF\xD8\xFF\xE0", false, true},
        {"\xFF\xD8\xFF\xE1", false, true},  {"\xFF\xD8\xFF\xEF", false, true},
        {"\xFF\xD8\xFF\xDB", false, false}, {"\xFF\xD9\xFF\xE0", false, false},
    };
    for (const Case& c : cases) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(c.bytes);
        EXPECT_EQ(HasGifSignature(bytes), c.gif) << c.bytes;
        EXPECT_EQ(HasJpegSignature(bytes), c.jpeg) << c.bytes;
    }
}

}  // namespace
}  // namespace corvane::core

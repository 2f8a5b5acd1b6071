#include "platform/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

#include "tests/support/scratch_directory.h"

namespace corvane::platform {
namespace {

using testing::ScratchDirectory;
using Names = std::vector<std::string>;

TEST(ProfileFile, SectionsAndKeysMatchWithoutRegardToCase) {
    ScratchDirectory dir;
    dir.Write("ovalon.ini", "[General]\nHome Page=http://a/\n");
    ProfileFile profile(dir.File("ovalon.ini"));
    EXPECT_EQ(profile.ReadString("GENERAL", "home PAGE", "none"), "http://a/");
    EXPECT_EQ(profile.ReadString("General", "Home Pages", "none"), "none");

    ASSERT_TRUE(profile.WriteString("general", "HOME PAGE", "http://b/"));
    // The key is replaced where it stands, as first spelled, not added a second time.
    EXPECT_EQ(dir.Read("ovalon.ini"), "[General]\nHome Page=http://b/\n");
}

TEST(ProfileFile, EveryChangeReachesTheDiskAtOnce) {
    ScratchDirectory dir;
    const std::string path = dir.File("ovalon.dir");
    ProfileFile profile(path);
    ASSERT_TRUE(profile.WriteString("Cache Dir", "http://h/q?a=b&c=d", "QV01A2.cvc,text/html"));
    ASSERT_TRUE(profile.WriteString("Cache Dir", "http://h/2", "QV0B.cvc,"));
    ASSERT_TRUE(profile.WriteString("Other", "k", "v"));
    EXPECT_EQ(ProfileFile(path).Sections(), (Names{"Cache Dir", "Other"}));
    EXPECT_EQ(ProfileFile(path).Keys("CACHE DIR"), (Names{"http://h/q?a=b&c=d", "http://h/2"}));
    EXPECT_EQ(ProfileFile(path).ReadString("cache dir", "HTTP://H/Q?A=B&C=D", ""),
              "QV01A2.cvc,text/html");

    ASSERT_TRUE(profile.DeleteKey("cache dir", "HTTP://H/2"));
    EXPECT_EQ(ProfileFile(path).Keys("Cache Dir"), Names{"http://h/q?a=b&c=d"});
    ASSERT_TRUE(profile.DeleteSection("OTHER"));
    EXPECT_EQ(ProfileFile(path).Sections(), Names{"Cache Dir"});
    EXPECT_FALSE(profile.WriteString("Cache Dir", "", "empty keys are refused"));

    // Several keys at once: new ones appended, existing ones changed, empty ones skipped.
    ASSERT_TRUE(profile.WriteStrings("Batch", {"a", "", "B"}, "yes"));
    ASSERT_TRUE(profile.WriteStrings("batch", {"b", "c"}, "again"));
    EXPECT_EQ(ProfileFile(path).Keys("Batch"), (Names{"a", "B", "c"}));
    EXPECT_EQ(ProfileFile(path).ReadString("Batch", "b", ""), "again");
}

// A value that is there but holds no number reads 0, as the profile service read it; only a
// missing key gives the default.
TEST(ProfileFile, ReadIntTakesTheLeadingDecimalNumber) {
    struct Case {
        const char* value;
        int expected;
    };
    const Case cases[] = {{"12", 12},        {"-1000", -1000}, {"+7", 7},
                          {"  42", 42},      {"12abc", 12},    {"abc", 0},
                          {"", 0},           {"-", 0},         {"2147483647", INT_MAX},
                          {"2147483648", 0}, {"0x10", 0},      {"\"5\"", 5}};
    ScratchDirectory dir;
    std::string text = "[S]\n";
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        text += std::to_string(i) + "=" + cases[i].value + "\n";
    }
    dir.Write("p.ini", text);
    ProfileFile profile(dir.File("p.ini"));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(profile.ReadInt("S", std::to_string(i), -99), cases[i].expected)
            << "value \"" << cases[i].value << "\"";
    }
    EXPECT_EQ(profile.ReadInt("S", "missing", 30), 30);
}

// Realm names, subjects and URLs come from the network: whatever they hold, a written key stays
// one key of one section, and reads back exactly.
TEST(ProfileFile, NamesAndValuesNeverSplitIntoOtherKeysOrSections) {
    struct Case {
        std::string section, key, value;
    };
    const Case cases[] = {
        {"Realms", "evil\r\n[Injected]\r\nkey", "v"},
        {"Realms", "k", "line1\nline2\r\n[Injected]\nx=y"},
        {"A]\n[Injected", "k", "v"},
        {"Realms", "a=b", "=c"},
        {"Realms", "[k]", "v"},
        {"Realms", ";k", "v"},
        {"Realms", "#k", "v"},
        {"  padded ", " padded\t", "  padded value\t"},
        {"Realms", "back\\slash\\x41\\r", "C:\\new\\x41\\"},
        {"Realms", "k", "\"quoted\""},
        {"Realms", "k", "'single'"},
        {"Realms", "k", "\"half"},
        {"Realms", "k", std::string("nul\0byte\x7f\x01", 10)},
        {"Realms", "k", ""},
    };
    for (const Case& c : cases) {
        ScratchDirectory dir;
        ASSERT_TRUE(ProfileFile(dir.File("ovalon.rlm")).WriteString(c.section, c.key, c.value));
        ProfileFile reread(dir.File("ovalon.rlm"));
        EXPECT_EQ(reread.Sections(), Names{c.section}) << c.key;
        EXPECT_EQ(reread.Keys(c.section), Names{c.key}) << c.key;
        EXPECT_EQ(reread.ReadString(c.section, c.key, "missing"), c.value) << c.key;
        std::string text = dir.Read("ovalon.rlm");
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
    }
}

TEST(ProfileFile, JunkLinesAreToleratedAndKeptOnRewrite) {
    ScratchDirectory dir;
    const std::string junk[] = {"junk before any section",
                                "; a comment",
                                "no equals sign",
                                std::string("\x01\xff binary\0", 10),
                                "=no key",
                                "[unterminated"};
    std::string text = junk[0];
    text +=
        "\n[General]\r\n  Home Page = http://a/ \r\nQuoted= \"http://q/\"\nSingle='a b'\n"
        "Unmatched=\"x'\n";
    for (std::size_t i = 1; i < std::size(junk); ++i) text.append(junk[i]).append("\n");
    dir.Write("ovalon.ini", text + "\n[Second]\nk=v\n[ general ]\nLate=1\n");
    ProfileFile profile(dir.File("ovalon.ini"));
    EXPECT_EQ(profile.ReadString("General", "Home Page", ""), "http://a/");
    EXPECT_EQ(profile.ReadString("General", "Quoted", ""), "http://q/");
    EXPECT_EQ(profile.ReadString("General", "Single", ""), "a b");
    EXPECT_EQ(profile.ReadString("General", "Unmatched", ""), "\"x'");
    EXPECT_EQ(profile.ReadString("General", "Late", ""), "1");
    EXPECT_EQ(profile.Keys("General"),
              (Names{"Home Page", "Quoted", "Single", "Unmatched", "Late"}));
    EXPECT_EQ(profile.Sections(), (Names{"General", "Second"}));

    ASSERT_TRUE(profile.WriteString("Second", "k", "w"));
    text = dir.Read("ovalon.ini");
    for (const std::string& line : junk) {
        EXPECT_NE(text.find(line + "\n"), std::string::npos) << line;
    }
    EXPECT_EQ(ProfileFile(dir.File("ovalon.ini")).ReadString("second", "K", ""), "w");

    // Lines ending in several CRs once made every rewrite differ from the one before (fuzzing).
    std::string once = SerializeProfile(ParseProfile("[S]\njunk\r\r\r\nk=v\r\r\n"));
    EXPECT_EQ(SerializeProfile(ParseProfile(once)), once);
}

// Two processes (two windows) share a settings file: neither may drop the other's changes.
TEST(ProfileFile, ChangesOfAnotherWriterAreKept) {
    ScratchDirectory dir;
    ProfileFile first(dir.File("ovalon.ini"));
    ProfileFile second(dir.File("ovalon.ini"));
    ASSERT_TRUE(first.WriteString("S", "one", "1"));
    ASSERT_TRUE(second.WriteString("S", "two", "2"));
    ASSERT_TRUE(first.WriteString("S", "three", "3"));
    EXPECT_EQ(ProfileFile(dir.File("ovalon.ini")).Keys("S"), (Names{"one", "two", "three"}));
}

TEST(ProfileFile, UnwritableChangeIsKeptAndWrittenByFlush) {
    ScratchDirectory dir;
    ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0700), 0);
    ProfileFile profile(dir.File("sub/ovalon.ini"));
    ASSERT_EQ(::rmdir(dir.File("sub").c_str()), 0);
    EXPECT_FALSE(profile.WriteString("S", "k", "v"));
    EXPECT_EQ(profile.ReadString("S", "k", ""), "v");
    EXPECT_FALSE(profile.Flush());

    ASSERT_EQ(::mkdir(dir.File("sub").c_str(), 0700), 0);
    EXPECT_TRUE(profile.Flush());
    EXPECT_EQ(ProfileFile(dir.File("sub/ovalon.ini")).ReadString("S", "k", ""), "v");
}

// Sections are found by hash: 200,000 of them read in well under the test's timeout (a search
// per header took minutes), and the index stays right when one is deleted.
TEST(ProfileFile, HugeFilesAreReadInLinearTime) {
    constexpr int kCount = 200'000;
    std::string text;
    for (int i = 0; i < kCount; ++i)
        text += "[S" + std::to_string(i) + "]\nk=" + std::to_string(i) + "\n";
    ScratchDirectory dir;
    dir.Write("ovalon.ini", text);
    ProfileFile profile(dir.File("ovalon.ini"));
    EXPECT_EQ(profile.ReadInt("s199999", "K", -1), 199999);
    ASSERT_TRUE(profile.DeleteSection("S5"));
    EXPECT_EQ(profile.ReadInt("S5", "k", -1), -1);
    EXPECT_EQ(profile.ReadInt("S6", "k", -1), 6);
    EXPECT_EQ(profile.ReadInt("S199999", "k", -1), 199999);
}

// The first of duplicate keys is read; deleting removes every copy, and later keys stay found.
TEST(ProfileFile, DuplicateKeysAndSectionsAfterDeletion) {
    ScratchDirectory dir;
    dir.Write("ovalon.ini", "[S]\nk=1\nK=2\nj=3\n[T]\nx=1\n[s]\nl=4\n");
    ProfileFile profile(dir.File("ovalon.ini"));
    EXPECT_EQ(profile.ReadInt("S", "k", -1), 1);
    EXPECT_EQ(profile.ReadInt("S", "L", -1), 4);
    ASSERT_TRUE(profile.DeleteKey("s", "K"));
    EXPECT_EQ(profile.ReadInt("S", "k", -1), -1);
    EXPECT_EQ(profile.ReadInt("S", "j", -1), 3);
    ASSERT_TRUE(profile.DeleteSection("s"));
    ASSERT_TRUE(profile.WriteString("T", "y", "2"));
    EXPECT_EQ(dir.Read("ovalon.ini"), "[T]\nx=1\ny=2\n");
}

}  // namespace
}  // namespace corvane::platform

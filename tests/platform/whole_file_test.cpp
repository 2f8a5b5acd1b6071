#include "platform/whole_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "platform/profile_file.h"
#include "tests/support/scratch_directory.h"

namespace corvane::platform {
namespace {

using testing::ScratchDirectory;

mode_t Mode(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

TEST(WriteFileAtomically, ReplacesTheFileAndKeepsItsPermissions) {
    ScratchDirectory dir;
    ASSERT_FALSE(WriteFileAtomically(dir.File("new"), "first"));
    EXPECT_EQ(dir.Read("new"), "first");
    EXPECT_EQ(Mode(dir.File("new")), 0600u);

    ASSERT_EQ(::chmod(dir.File("new").c_str(), 0640), 0);
    ASSERT_FALSE(WriteFileAtomically(dir.File("new"), "second"));
    EXPECT_EQ(dir.Read("new"), "second");
    EXPECT_EQ(Mode(dir.File("new")), 0640u);
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"new"});
}

TEST(WriteFileAtomically, MissingDirectoryFailsWithoutCreatingAnything) {
    ScratchDirectory dir;
    EXPECT_EQ(WriteFileAtomically(dir.File("absent/store"), "x"),
              std::errc::no_such_file_or_directory);
    EXPECT_TRUE(dir.Names().empty());
}

// A file-size limit makes write fail with EFBIG part-way, as a full disk fails with ENOSPC.
TEST(WriteFileAtomically, FailedWriteKeepsTheOldFileAndRemovesTheTemporary) {
    ScratchDirectory dir;
    dir.Write("store", "old content");
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::error_code error = WriteFileAtomically(dir.File("store"), std::string(100000, 'x'));
        ::_exit(error == std::errc::file_too_large ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(dir.Read("store"), "old content");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"store"});
}

// A writer killed at varying moments while it rewrites a profile file again and again: wherever
// the kill lands (mostly inside the long write of the next version), the file reads back as one
// complete version, never a torn mixture or an empty file.
TEST(WriteFileAtomically, KilledWriterLeavesTheOldOrTheNewFile) {
    ScratchDirectory dir;
    const std::string path = dir.File("ovalon.dir");
    const std::string values[2] = {std::string(4 << 20, 'a'), std::string(4 << 20, 'b')};
    const std::string versions[2] = {"[Cache Dir]\nkey=" + values[0] + "\n",
                                     "[Cache Dir]\nkey=" + values[1] + "\n"};
    ASSERT_FALSE(WriteFileAtomically(path, versions[0]));

    for (int round = 0; round < 12; ++round) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(pipeFds[0]);
            for (unsigned i = 1;; ++i) {
                if (WriteFileAtomically(path, versions[i % 2])) ::_exit(1);
                if (::write(pipeFds[1], "w", 1) != 1) ::_exit(1);
            }
        }
        ::close(pipeFds[1]);
        // Let the writer finish a varying number of rewrites, then kill it inside the next one.
        char done;
        bool wrote = true;
        for (int writes = 0; wrote && writes <= round % 3; ++writes) {
            wrote = ::read(pipeFds[0], &done, 1) == 1;
        }
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ::close(pipeFds[0]);
        ASSERT_TRUE(wrote && WIFSIGNALED(status)) << "the writer failed on its own";

        ProfileFile reread(path);
        std::string value = reread.ReadString("Cache Dir", "key", "");
        EXPECT_TRUE(value == values[0] || value == values[1])
            << "round " << round << ": " << value.size() << " bytes";
        EXPECT_EQ(reread.Sections(), std::vector<std::string>{"Cache Dir"});
        EXPECT_EQ(reread.Keys("Cache Dir"), std::vector<std::string>{"key"});
    }
}

TEST(WriteFileAtomically, NewFilesForTheUserFollowTheUmask) {
    ScratchDirectory dir;
    const mode_t old = ::umask(022);
    ASSERT_FALSE(WriteFileAtomically(dir.File("shot.png"), "png", NewFileAccess::kUmask));
    ::umask(old);
    EXPECT_EQ(Mode(dir.File("shot.png")), 0644u);
}

// Only the writer's own hidden temporaries, and only once nobody has touched them for a while.
TEST(RemoveLeftoverTemporaries, RemovesExactlyTheWritersOldTemporaries) {
    ScratchDirectory dir;
    const std::vector<std::string> kept = {".ovalon.ini.a1B2c", "ovalon.ini.a1B2c3",
                                           ".ovalon.ini.a1B2-3", "..a1B2c3", ".recent.a1B2c3"};
    for (const std::string& name : kept) dir.Write(name, "x");
    dir.Write(".ovalon.ini.a1B2c3", "x");
    ASSERT_EQ(::mkdir(dir.File(".sub.a1B2c3").c_str(), 0700), 0);
    const timespec old[2] = {{1000, 0}, {1000, 0}};
    for (const std::string& name : dir.Names()) {
        if (name == ".recent.a1B2c3") continue;
        ASSERT_EQ(::utimensat(AT_FDCWD, dir.File(name).c_str(), old, 0), 0);
    }
    EXPECT_EQ(RemoveLeftoverTemporaries(dir.path()), 1);
    std::vector<std::string> expected = kept;
    expected.push_back(".sub.a1B2c3");
    std::vector<std::string> names = dir.Names();
    std::sort(expected.begin(), expected.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
}

TEST(ReadWholeFile, RefusesFilesOverTheLimitAndNonRegularFiles) {
    ScratchDirectory dir;
    dir.Write("ten", "0123456789");
    std::string content;
    EXPECT_FALSE(ReadWholeFile(dir.File("ten"), 10, content));
    EXPECT_EQ(content, "0123456789");
    EXPECT_EQ(ReadWholeFile(dir.File("ten"), 9, content), std::errc::file_too_large);
    EXPECT_EQ(ReadWholeFile(dir.File("absent"), 10, content), std::errc::no_such_file_or_directory);
    EXPECT_EQ(ReadWholeFile(dir.path(), 10, content), std::errc::is_a_directory);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    EXPECT_EQ(ReadWholeFile(dir.File("fifo"), 10, content), std::errc::invalid_argument);
}

}  // namespace
}  // namespace corvane::platform

#pragma once
// Runs the built corvane program as a child process with a chosen environment and collects its
// exit status and output, for tests of the command-line modes.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/scratch_directory.h"

namespace corvane::shell::testing {

struct ProgramOutcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// `unset` names environment variables the child does not get; `fileSizeLimit` is the largest
// file the child may write (a stand-in for a full disk).
inline ProgramOutcome RunCorvaneProgram(const std::vector<std::string>& arguments,
                                        const std::vector<std::string>& unset = {},
                                        rlim_t fileSizeLimit = RLIM_INFINITY) {
    corvane::testing::ScratchDirectory capture;
    std::vector<std::string> words{std::string(CORVANE_BINARY_DIR) + "/corvane"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string entry = *variable;
        bool keep = true;
        for (const std::string& name : unset) keep = keep && entry.rfind(name + "=", 0) != 0;
        if (keep) environment.push_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    const std::string outPath = capture.File("out"), errPath = capture.File("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT, 0600);
    // The child starts with the default action for SIGXFSZ, whatever this process does with it.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGXFSZ);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    // The limit is inherited; this process writes nothing while it holds.
    rlimit ownLimit{};
    getrlimit(RLIMIT_FSIZE, &ownLimit);
    rlimit childLimit = ownLimit;
    childLimit.rlim_cur = std::min(fileSizeLimit, ownLimit.rlim_max);
    setrlimit(RLIMIT_FSIZE, &childLimit);
    ProgramOutcome outcome;
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), envp.data());
    setrlimit(RLIMIT_FSIZE, &ownLimit);
    posix_spawnattr_destroy(&attributes);
    if (spawned == 0) {
        int status = 0;
        waitpid(child, &status, 0);
        outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    outcome.out = capture.Read("out");
    outcome.err = capture.Read("err");
    return outcome;
}

}  // namespace corvane::shell::testing

#pragma once
// Runs the built corvane program as a child process with a chosen environment and collects its
// exit status and output, for tests of the command-line modes.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/scratch_directory.h"

namespace corvane::shell::testing {

struct ProgramOutcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// `unset` names environment variables the child does not get.
inline ProgramOutcome RunCorvaneProgram(const std::vector<std::string>& arguments,
                                        const std::vector<std::string>& unset = {}) {
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
    ProgramOutcome outcome;
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
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

#pragma once
// "corvane --check-mail [ACCOUNT]": the mail check of the window without one, for scripts (a timer
// that fetches mail) and tests. Messages and progress go to standard error; questions take their
// default answers, so a missing or refused password is an error.

#include <optional>
#include <string>

namespace corvane::shell {

// Checks the named POP account, or every POP account at once. Exit status 0 when every check
// succeeded (with or without new mail), 1 otherwise.
int RunMailCheck(const std::optional<std::string>& account, const std::string& profileDirectory);

}  // namespace corvane::shell

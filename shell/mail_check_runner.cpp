#include "shell/mail_check_runner.h"

#include <cstdio>

#include "config/settings.h"
#include "config/settings_paths.h"
#include "config/settings_section.h"
#include "mail/mail_session.h"
#include "platform/poll_event_loop.h"
#include "platform/scripted_host_services.h"

namespace corvane::shell {
namespace {

constexpr int kExitFailure = 1;

}  // namespace

int RunMailCheck(const std::optional<std::string>& account, const std::string& profileDirectory) {
    const config::CSettingsSection mailSettings(config::SettingsFilePath(profileDirectory),
                                                config::sections::kMailAndNews);
    platform::PollEventLoop loop;
    platform::ScriptedHostServices ui;
    ui.SetEchoMessages(true);
    mail::MailSession session(config::MailDirectory(mailSettings, profileDirectory), loop, ui,
                              false);
    mail::MailChecks& checks = session.checks;
    bool allSucceeded = true;
    checks.onProgress = [](mail::CMailSocket& check, std::string_view text) {
        std::fprintf(stderr, "%s: %.*s\n", check.accountName().c_str(),
                     static_cast<int>(text.size()), text.data());
    };
    checks.onFinished = [&](mail::CMailSocket& check, int) {
        if (check.passwordRefused()) {
            std::fprintf(stderr, "corvane: the POP server refused the password of %s\n",
                         check.accountName().c_str());
        }
        allSucceeded = allSucceeded && check.outcome() == 0 && !check.passwordRefused();
    };
    const std::vector<std::string> names =
        account ? std::vector<std::string>{*account} : checks.PopAccounts();
    if (names.empty()) {
        std::fprintf(stderr, "corvane: there is no POP account to check in %s\n",
                     session.store.directory().c_str());
        return kExitFailure;
    }
    for (const std::string& name : names) {
        const std::size_t asked = ui.credentialPrompts.size();
        if (checks.Start(name)) continue;
        allSucceeded = false;
        if (ui.credentialPrompts.size() > asked) {
            std::fprintf(stderr, "corvane: %s has no saved password (set one with Setup Mailbox)\n",
                         name.c_str());
        }
    }
    while (checks.AnyRunning()) loop.RunUntil([&] { return !checks.AnyRunning(); }, 60'000);
    return allSucceeded ? 0 : kExitFailure;
}

}  // namespace corvane::shell

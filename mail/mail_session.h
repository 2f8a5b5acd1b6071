#pragma once
// The mail of one run: the store loaded from the mail directory, its "mailid.ini" and the checks
// running against it. The window makes it when mail is first used; "--check-mail" makes one for
// its run.
//
// Memory: owns all three; the loop and user interface are the caller's and outlive it.

#include <string>

#include "mail/mail_checks.h"
#include "mail/mail_ids.h"
#include "mail/mail_store.h"

namespace corvane::mail {

struct MailSession {
    MailSession(const std::string& mailDirectory, platform::EventLoop& loop,
                platform::HostServices& ui, bool mayAsk)
        : store(mailDirectory), ids(mailDirectory), checks(loop, store, ids, ui, mayAsk) {
        store.Load();
    }

    MailStore store;
    MailIdFile ids;
    MailChecks checks;
};

}  // namespace corvane::mail

#include "mail/mail_checks.h"

#include <algorithm>

#include "platform/ascii.h"
#include "protocols/tcp_protocol.h"

namespace corvane::mail {

MailChecks::MailChecks(platform::EventLoop& loop, MailStore& store, MailIdFile& ids,
                       platform::HostServices& ui, bool mayAsk)
    : loop_(loop), store_(store), ids_(ids), ui_(ui), mayAsk_(mayAsk) {}

MailChecks::~MailChecks() = default;

bool MailChecks::Start(std::string_view accountName) {
    if (IsRunning(accountName)) return false;
    auto socket = std::make_unique<CMailSocket>(loop_, store_, ids_, *this);
    CMailSocket& started = *socket;
    running_.push_back(std::move(socket));
    if (started.Check(accountName)) return true;
    std::erase_if(running_, [&](const auto& owned) { return owned.get() == &started; });
    return false;
}

bool MailChecks::IsRunning(std::string_view accountName) const {
    return std::any_of(running_.begin(), running_.end(), [&](const auto& socket) {
        return EqualsIgnoreCase(socket->accountName(), accountName);
    });
}

std::vector<std::string> MailChecks::PopAccounts() const {
    std::vector<std::string> names;
    for (const auto& entry : store_.entries()) {
        if (entry->HasServer()) names.push_back(entry->name);
    }
    return names;
}

void MailChecks::ShowCheckProgress(CMailSocket& check, std::string_view text) {
    if (onProgress) onProgress(check, text);
}

bool MailChecks::TrustCertificate(std::string_view host, const platform::TlsPeer& peer) {
    return protocols::TrustUnverifiedPeer(ui_, *accepted_, host, peer);
}

void MailChecks::ShowWaitCursor(bool show) {
    if (showWaitCursor) showWaitCursor(show);
}

void MailChecks::MailboxChanged(PopAccount& account) {
    if (onMailboxChanged) onMailboxChanged(account);
}

void MailChecks::CheckFinished(CMailSocket& check, int result) {
    if (onFinished) onFinished(check, result);
    std::erase_if(running_, [&](const auto& owned) { return owned.get() == &check; });
}

}  // namespace corvane::mail

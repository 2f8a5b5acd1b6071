#pragma once
// The running mail checks of one program: one CMailSocket per check, kept until it reports its
// end, so the mail of several accounts is fetched at once. The window and the headless
// "--check-mail" mode both start checks here and are told about them through the callbacks.
//
// Memory and ownership: owns the running sockets; the loop, store, "mailid.ini" file and user
// interface are the caller's and outlive it.

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "mail/mail_ids.h"
#include "mail/mail_socket.h"
#include "mail/mail_store.h"

namespace corvane::mail {

class MailChecks : public MailCheckHost {
  public:
    // mayAsk: whether the user may be asked for a password again after the server refused one.
    MailChecks(platform::EventLoop& loop, MailStore& store, MailIdFile& ids,
               platform::HostServices& ui, bool mayAsk);
    ~MailChecks() override;

    // Starts a check of the account; false when it did not start (the user has been told).
    // A check already running for the account is not started twice.
    bool Start(std::string_view accountName);
    bool IsRunning(std::string_view accountName) const;
    bool AnyRunning() const { return !running_.empty(); }
    // The names of every POP mailbox, in store order.
    std::vector<std::string> PopAccounts() const;

    std::function<void(CMailSocket&, std::string_view)> onProgress;
    std::function<void(PopAccount&)> onMailboxChanged;
    // Certificates the user accepted: the program's set, so the browser and mail ask once.
    void ShareAcceptedCertificates(std::set<std::string>& accepted) { accepted_ = &accepted; }
    // The host's wait cursor (none when unset).
    std::function<void(bool show)> showWaitCursor;
    // Called before the socket is deleted.
    std::function<void(CMailSocket&, int result)> onFinished;

    platform::HostServices& Ui() override { return ui_; }
    bool MayAskUser() const override { return mayAsk_; }
    void ShowCheckProgress(CMailSocket& check, std::string_view text) override;
    bool TrustCertificate(std::string_view host, const platform::TlsPeer& peer) override;
    void ShowWaitCursor(bool show) override;
    void MailboxChanged(PopAccount& account) override;
    void CheckFinished(CMailSocket& check, int result) override;

  private:
    platform::EventLoop& loop_;
    MailStore& store_;
    MailIdFile& ids_;
    platform::HostServices& ui_;
    bool mayAsk_;
    std::set<std::string> ownAccepted_;
    std::set<std::string>* accepted_ = &ownAccepted_;
    std::vector<std::unique_ptr<CMailSocket>> running_;
};

}  // namespace corvane::mail

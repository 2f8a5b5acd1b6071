#pragma once
// A mail directory, a POP account in it and a host that records what checks show, for running
// CMailSocket on the poll loop against a scripted peer or a real server.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "mail/mail_ids.h"
#include "mail/mail_socket.h"
#include "mail/mail_store.h"
#include "platform/poll_event_loop.h"
#include "platform/scripted_host_services.h"
#include "protocols/tcp_protocol.h"
#include "tests/support/scratch_directory.h"

namespace corvane::mail {

class RecordingCheckHost : public MailCheckHost {
  public:
    platform::HostServices& Ui() override { return ui; }
    bool MayAskUser() const override { return mayAsk; }
    void ShowCheckProgress(CMailSocket&, std::string_view text) override {
        progress.emplace_back(text);
    }
    bool TrustCertificate(std::string_view host, const platform::TlsPeer& peer) override {
        return protocols::TrustUnverifiedPeer(ui, accepted, host, peer);
    }
    void ShowWaitCursor(bool show) override { waitCursor.push_back(show); }
    void MailboxChanged(PopAccount&) override { ++changes; }
    void CheckFinished(CMailSocket& check, int result) override {
        results.push_back(result);
        outcomes.push_back(check.outcome());
    }

    platform::ScriptedHostServices ui;
    bool mayAsk = true;
    std::vector<std::string> progress;
    std::vector<int> results;
    std::vector<int> outcomes;
    int changes = 0;
    std::vector<bool> waitCursor;
    std::set<std::string> accepted;

    std::vector<std::string> MessageTexts() const {
        std::vector<std::string> texts;
        for (const auto& message : ui.messages) texts.push_back(message.text);
        return texts;
    }
};

struct MailCheckFixture {
    MailCheckFixture() { store.Load(); }

    PopAccount& Account(const std::string& server, bool deleteFromServer = false,
                        const std::string& user = "me", const std::string& password = "pw") {
        PopAccount& account = store.AddAccount(user + "@" + server, server, user);
        account.password = password;
        account.deleteFromServer = deleteFromServer;
        return account;
    }

    // Runs one check to its end; answers the result it reported (1 when it did not start or
    // did not end in time).
    int Check(const std::string& accountName, std::uint32_t timeoutMs = 10000) {
        const std::size_t before = host.results.size();
        CMailSocket socket(loop, store, ids, host);
        if (!socket.Check(accountName)) return 1;
        if (!loop.RunUntil([&] { return host.results.size() > before; }, timeoutMs)) return 1;
        return host.results.back();
    }

    MailFolder& Inbox(const std::string& accountName) {
        return MailStore::DefaultFolder(*store.FindEntry(accountName));
    }

    platform::PollEventLoop loop;
    testing::ScratchDirectory scratch;
    MailStore store{scratch.path()};
    MailIdFile ids{scratch.path()};
    RecordingCheckHost host;
};

}  // namespace corvane::mail

#include "news/nntp_session.h"

#include <algorithm>
#include <cstring>

#include "core/ht_host_services.h"
#include "core/status.h"
#include "news/news_html.h"
#include "protocols/pending_text.h"
#include "protocols/whois_protocol.h"

namespace corvane::news {

using core::kFailure;

const core::CRuntimeClass CNNTP::kRuntimeClass =
    core::MakeAbstractRuntimeClass<CNNTP, protocols::CHTTCP>("CNNTP");

CNNTP::CNNTP() {
    SetBuffer(pageBuffer_, kPageBufferSize);
}

CNNTP::~CNNTP() = default;

bool CNNTP::ChooseServer() {
    services = TheNewsServices();
    if (services == nullptr || request == nullptr) return false;
    const core::CHTAddress& address = request->address;
    if (address.hasLocation) {
        serverName = address.host.empty() ? "localhost" : address.host;
    } else {
        serverName = services->DefaultServer();
    }
    linkStart = NewsLinkStart(address.host, address.hasLocation && !address.host.empty());
    server = &services->Server(serverName);
    return true;
}

int CNNTP::ConnectToServer() {
    securing_ = false;
    const int opened = server->security == platform::TlsMode::kTls
                           ? Connect(serverName, "nntps", 563, protocols::Transport::kTls)
                           : Connect(serverName, "nntp", 119);
    if (opened == core::kOpenWaiting && Socket() != nullptr && !Socket()->connected)
        request->Host().Ui().SetStatusText("Connecting to NNTP Server " + serverName + "...");
    return opened;
}

void CNNTP::StartDialogue(int connectError) {
    ReleaseWaitCursor();
    if (request != nullptr) request->Host().Ui().SetStatusText("");
    CHTTCP::StartDialogue(connectError);
    if (connectError != 0) return;
    if (securing_) {
        securing_ = false;
        Login();
        return;
    }
    SetReplyHandler(&CNNTP::OnGreeting);
}

bool CNNTP::IsCurrent() const {
    return request != nullptr && request->protocol.get() == this;
}

bool CNNTP::AcceptReply(int result, int expectedClass, bool loginOnRefusal) {
    const int reply = ReadReply(result);
    if (reply == 0) return false;
    if (reply < 0) {
        Fail(kFailure);
        return false;
    }
    if (replyCode / 100 == expectedClass) return true;
    if (loginOnRefusal && replyCode / 10 == 48) {
        StartLogin();
        return false;
    }
    Fail(kFailure);
    return false;
}

void CNNTP::OnGreeting(int result) {
    if (!AcceptReply(result, 2, false)) return;
    if (server->security == platform::TlsMode::kStartTls) {
        SendCommand("STARTTLS", &CNNTP::OnStartTls);
        return;
    }
    Login();
}

void CNNTP::OnStartTls(int result) {
    const int reply = ReadReply(result);
    if (reply == 0) return;
    if (reply > 0 && replyCode == 382) {
        securing_ = true;
        // The certificate names the host, without the port the server name may carry.
        const std::optional<protocols::HostAndPort> target =
            protocols::SplitHostAndPort(serverName);
        StartTls(target ? target->host : serverName);
        return;
    }
    if (reply > 0) {
        request->Host().Ui().ShowMessage(
            "The news server " + serverName + " does not offer a secure connection (STARTTLS).",
            platform::MessageButtons::kOk, platform::MessageIcon::kExclamation);
    }
    if (IsCurrent()) Fail(kFailure);
}

void CNNTP::Login() {
    if (!server->user.empty()) {
        SendUser();
    } else {
        FirstCommand();
    }
}

void CNNTP::StartLogin() {
    const bool confirmed = services->AskLogin(*server);
    if (!IsCurrent()) return;
    if (!confirmed || server->user.empty()) {
        Fail(kFailure);
        return;
    }
    SendUser();
}

void CNNTP::SendUser() {
    // A user name or password holding a line end would smuggle in a command of its own.
    if (!protocols::IsSafeCommandText(server->user) ||
        !protocols::IsSafeCommandText(server->password)) {
        Fail(kFailure);
        return;
    }
    SendCommand("AUTHINFO USER " + server->user, &CNNTP::OnUser);
}

void CNNTP::OnUser(int result) {
    const int reply = ReadReply(result);
    if (reply == 0) return;
    if (reply < 0) {
        Fail(kFailure);
    } else if (replyCode / 100 == 3) {
        SendCommand("AUTHINFO PASS " + server->password, &CNNTP::OnPassword);
    } else if (replyCode / 100 == 2) {
        FirstCommand();  // the user name alone was enough
    } else {
        LoginRefused();
    }
}

void CNNTP::OnPassword(int result) {
    const int reply = ReadReply(result);
    if (reply == 0) return;
    if (reply < 0) {
        Fail(kFailure);
    } else if (replyCode / 100 == 2) {
        FirstCommand();
    } else {
        LoginRefused();
    }
}

void CNNTP::LoginRefused() {
    const bool again = services->mayAsk() && services->AskLogin(*server);
    if (!IsCurrent()) return;
    if (!again || server->user.empty()) {
        Fail(kFailure);
        return;
    }
    // A server that refused a login may not take another on the same connection.
    if (ConnectToServer() == core::kOpenFailed) Fail(kFailure);
}

bool CNNTP::StartPage() {
    pending_.clear();
    taken_ = 0;
    units_.reset();
    pageEnded_ = false;
    SetDataSource(&CNNTP::PageSource);
    if (!StartOwnPage()) {
        Fail(kFailure);
        return false;
    }
    request->status = 0;
    request->Wake();
    return true;
}

void CNNTP::Emit(std::string_view html) {
    pending_.append(html);
    if (request != nullptr) request->Wake();
}

void CNNTP::SetUnits(std::unique_ptr<protocols::GeneratedUnits> units) {
    units_ = std::move(units);
    if (request != nullptr) request->Wake();
}

void CNNTP::EndPage() {
    pageEnded_ = true;
    SetReplyHandler(static_cast<void (CNNTP::*)(int)>(nullptr));
    if (request != nullptr) request->Wake();
}

bool CNNTP::SaveData(std::string data, std::string_view type) {
    pending_ = std::move(data);
    taken_ = 0;
    units_.reset();
    pageEnded_ = true;
    SetReplyHandler(static_cast<void (CNNTP::*)(int)>(nullptr));
    request->size = pending_.size();
    contentType = type;
    SetDataSource(&CNNTP::PageSource);
    if (SaveDataToFile() || convertor != nullptr) return true;
    Fail(kFailure);
    return false;
}

int CNNTP::ServeWithoutConnection(std::string header,
                                  std::unique_ptr<protocols::GeneratedUnits> units) {
    if (!StartPage()) return core::kOpenFailed;
    Emit(header);
    SetUnits(std::move(units));
    EndPage();
    return core::kOpenComplete;
}

std::int32_t CNNTP::PageSource(std::uint8_t* destination, std::int32_t maxLength) {
    if (const std::int32_t count =
            protocols::TakePendingText(pending_, taken_, destination, maxLength))
        return count;
    if (units_ != nullptr) {
        const int written = units_->Fill(reinterpret_cast<char*>(destination), maxLength);
        if (written > 0) return written;
        units_.reset();
    }
    return pageEnded_ ? 0 : core::kNeedMoreData;
}

}  // namespace corvane::news

#include "mail/mail_socket.h"

#include <algorithm>
#include <limits>

#include "platform/ascii.h"
#include "platform/file_services.h"
#include "platform/services.h"
#include "protocols/tcp_protocol.h"

namespace corvane::mail {
namespace {

constexpr int kOk = 0;
constexpr int kStopped = -52;
constexpr int kFailed = -255;
constexpr int kConnectionClosed = -65;
constexpr std::uint16_t kDefaultPop3Port = 110;
constexpr std::uint16_t kDefaultPop3sPort = 995;
// After QUIT, the server's answer is awaited this long (its deletions take effect on QUIT).
constexpr std::uint32_t kQuitWaitMs = 10'000;
// After Stop, a server that says nothing more is left this long.
constexpr std::uint32_t kStopWaitMs = 5'000;
// Reads per receive notification, so one fast connection cannot hold the loop.
constexpr int kReadsPerNotification = 16;

// The first run of digits in the line, saturating at the 32-bit maximum.
std::uint32_t FirstNumber(std::string_view line) {
    std::size_t at = 0;
    while (at < line.size() && !IsAsciiDigit(line[at])) ++at;
    std::uint64_t value = 0;
    for (; at < line.size() && IsAsciiDigit(line[at]); ++at) {
        value = value * 10 + static_cast<std::uint64_t>(line[at] - '0');
        if (value > std::numeric_limits<std::uint32_t>::max())
            return std::numeric_limits<std::uint32_t>::max();
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace

CMailSocket::CMailSocket(platform::EventLoop& loop, MailStore& store, MailIdFile& ids,
                         MailCheckHost& host)
    : AsyncSocket(loop), loop_(loop), store_(store), ids_(ids), host_(host) {}

CMailSocket::~CMailSocket() {
    *alive_ = false;
    ReleaseWaitCursor();
    if (silenceTimer_ != 0) loop_.StopTimer(silenceTimer_);
    if (state_ != State::kIdle && state_ != State::kFinished)
        ids_.CloseBatch(accountName_, batchStamp_, kFailed);
}

PopAccount* CMailSocket::Account() const {
    return store_.FindEntry(accountName_);
}

bool CMailSocket::Check(std::string_view accountName) {
    platform::HostServices& ui = host_.Ui();
    accountName_ = std::string(accountName);
    PopAccount* account = Account();
    if (account == nullptr || !account->HasServer()) {
        ui.ShowMessage("Sorry, cannot retrieve mail to mailbox " + accountName_ + "\n",
                       platform::MessageButtons::kOk, platform::MessageIcon::kExclamation);
        return false;
    }
    if (account->password.empty()) {
        auto answer = ui.AskPassword(account->user + "@" + account->server, account->savePassword);
        account = Account();
        if (!answer || account == nullptr) return false;
        account->password = answer->password;
        account->savePassword = answer->savePassword;
        (void)store_.SaveEntries();
    }
    server_ = account->server;
    const std::optional<protocols::HostAndPort> target = protocols::SplitHostAndPort(server_);
    if (Create() != 0 || !target) {
        ui.ShowMessage("Cannot connect to POP3 of " + accountName_ + "\n",
                       platform::MessageButtons::kOk, platform::MessageIcon::kExclamation);
        return false;
    }
    ui.SetStatusText("Retrieving Mail from " + server_ + "...");
    security_ = account->security;
    tlsHost_ = target->host;
    const bool tls = security_ == platform::TlsMode::kTls;
    const std::uint16_t port = target->port != 0 ? target->port
                               : tls             ? platform::ServicePort("pop3s", kDefaultPop3sPort)
                                                 : platform::ServicePort("pop3", kDefaultPop3Port);
    const int error =
        tls && StartTls(tlsHost_) != 0 ? platform::kSocketTlsFailed : Connect(target->host, port);
    if (error != 0 && error != platform::kSocketWouldBlock) {
        ui.SetStatusText("");
        ui.ShowMessage("Cannot connect to POP3 of " + server_ + "\n", platform::MessageButtons::kOk,
                       platform::MessageIcon::kExclamation);
        return false;
    }
    state_ = error == 0 ? State::kGreeting : State::kConnecting;
    if (error == 0) {
        ui.SetStatusText("");
    } else {
        waitCursor_ = true;
        host_.ShowWaitCursor(true);
    }
    ArmSilenceTimer();
    return true;
}

void CMailSocket::Stop() {
    if (state_ == State::kIdle || state_ == State::kFinished) return;
    stopRequested_ = true;
    // The stop is seen at the next reply; a server that sends none is left after a while.
    loop_.StartTimer(kStopWaitMs, false, [this, alive = alive_] {
        if (*alive) Finish(kStopped);
    });
}

void CMailSocket::ArmSilenceTimer() {
    if (silenceTimer_ != 0) loop_.StopTimer(silenceTimer_);
    const bool quitting = state_ == State::kQuit;
    silenceTimer_ =
        loop_.StartTimer(quitting ? kQuitWaitMs : kSilenceTimeoutMs, false, [this, alive = alive_] {
            if (!*alive) return;
            silenceTimer_ = 0;
            Finish(state_ == State::kQuit ? outcome_ : kFailed);
        });
}

void CMailSocket::ReleaseWaitCursor() {
    if (!waitCursor_) return;
    waitCursor_ = false;
    host_.ShowWaitCursor(false);
}

void CMailSocket::Progress(std::string_view text) {
    progressShown_ = true;
    host_.ShowCheckProgress(*this, text);
}

void CMailSocket::SendCommand(std::string_view command) {
    outgoing_.append(command);
    outgoing_.append("\r\n");
    OnSend(0);
}

void CMailSocket::OnSend(int error) {
    if (error != 0 || state_ == State::kFinished) return;
    while (!outgoing_.empty()) {
        const platform::SocketTransfer sent = Send(outgoing_.data(), outgoing_.size());
        if (sent.error == platform::kSocketWouldBlock) return;
        if (sent.error != 0) {
            outgoing_.clear();
            loop_.Post([this, alive = alive_] {
                if (*alive) Finish(kFailed);
            });
            return;
        }
        outgoing_.erase(0, sent.bytes);
    }
}

void CMailSocket::OnConnect(int error) {
    if (state_ != State::kConnecting && state_ != State::kSecuring) return;
    ReleaseWaitCursor();
    host_.Ui().SetStatusText("");
    if (error == platform::kSocketUntrustedPeer) {
        auto alive = alive_;
        const platform::TlsPeer* peer = Peer();
        const bool yes = peer != nullptr && host_.TrustCertificate(tlsHost_, *peer);
        if (!*alive || state_ == State::kFinished) return;
        if (!yes) {
            // The user said No: nothing was sent, and nothing more needs saying.
            Finish(kFailed);
            return;
        }
        AcceptPeer();
        error = 0;
    }
    if (error != 0) {
        ConnectFailed();
        return;
    }
    if (state_ == State::kSecuring) {
        SendUser();
    } else {
        state_ = State::kGreeting;
    }
}

void CMailSocket::ConnectFailed() {
    std::string text = "Cannot connect to POP3 of " + server_ + "\n";
    if (!TlsFailureText().empty())
        text += "Secure connection to " + tlsHost_ + " failed: " + TlsFailureText() + "\n";
    host_.Ui().ShowMessage(text, platform::MessageButtons::kOk,
                           platform::MessageIcon::kExclamation);
    Finish(kFailed);
}

void CMailSocket::SendUser() {
    if (PopAccount* account = Account()) {
        SendCommand("USER " + account->user);
        state_ = State::kUser;
    } else {
        SendQuit(kFailed);
    }
}

void CMailSocket::OnReceive(int error) {
    if (state_ == State::kFinished) return;
    if (error != 0) {
        Finish(kFailed);
        return;
    }
    DrainSocket(false);
}

void CMailSocket::OnClose(int error) {
    if (state_ == State::kFinished) return;
    if (error != 0) {
        Finish(kFailed);
        return;
    }
    DrainSocket(true);
}

void CMailSocket::DrainSocket(bool closed) {
    if (inHandler_) return;
    auto alive = alive_;
    for (int reads = 0; reads < kReadsPerNotification; ++reads) {
        const platform::SocketTransfer got = Receive(reader_.FreeSpace(), reader_.FreeSize());
        if (got.error == platform::kSocketWouldBlock) break;
        if (got.error != 0) {
            Finish(kFailed);
            return;
        }
        if (got.bytes == 0) {
            closed = true;
            break;
        }
        reader_.Added(static_cast<std::int32_t>(got.bytes));
        ArmSilenceTimer();
        while (reader_.NextLine(false) > 0) {
            HandleLine(false);
            if (!*alive || state_ == State::kFinished || state_ == State::kSecuring) return;
        }
    }
    if (!closed) return;
    while (reader_.NextLine(true) > 0) {
        HandleLine(true);
        if (!*alive || state_ == State::kFinished) return;
    }
    // The server went away: after QUIT that is the end; anywhere else the check failed, and a
    // message cut short is discarded unfiled.
    Finish(state_ == State::kQuit ? outcome_ : kConnectionClosed);
}

void CMailSocket::HandleLine(bool /*closed*/) {
    inHandler_ = true;
    if (state_ == State::kHeaders || state_ == State::kBody) {
        HandleMessageLine();
    } else if (!reader_.IsContinuation()) {
        HandleReply();
    }
    inHandler_ = false;
}

bool CMailSocket::ReplyOk() {
    if (stopRequested_) {
        SendQuit(kStopped);
        return false;
    }
    if (!StartsWithIgnoreCase(reader_.Line(), "+OK")) {
        // The connection still works: QUIT makes the server keep the deletions done so far.
        if (state_ != State::kPass) SendQuit(kFailed);
        return false;
    }
    return true;
}

void CMailSocket::HandleReply() {
    if (state_ == State::kQuit) {
        Finish(outcome_);
        return;
    }
    PopAccount* account = Account();
    if (account == nullptr) {
        SendQuit(kFailed);
        return;
    }
    const State replying = state_;
    const bool ok = ReplyOk();
    if (replying == State::kPass && !ok && !stopRequested_) {
        PasswordRefused();
        return;
    }
    if (replying == State::kStls && !ok && !stopRequested_) {
        host_.Ui().ShowMessage(
            "The POP3 server " + server_ + " does not offer a secure connection (STLS).\n",
            platform::MessageButtons::kOk, platform::MessageIcon::kExclamation);
        return;
    }
    if (!ok) return;
    switch (state_) {
        case State::kGreeting:
            if (security_ == platform::TlsMode::kStartTls) {
                SendCommand("STLS");
                state_ = State::kStls;
            } else {
                SendUser();
            }
            break;
        case State::kStls:
            // Whatever came after the answer in the clear is not trusted: a man in the middle
            // could have put it there.
            reader_.Clear();
            state_ = State::kSecuring;
            if (StartTls(tlsHost_) != platform::kSocketWouldBlock) Finish(kFailed);
            break;
        case State::kUser:
            SendCommand("PASS " + account->password);
            state_ = State::kPass;
            break;
        case State::kPass:
            if (!progressShown_) {
                Progress("Logged into POP Server " + server_ + ".");
                Progress("Retrieving mail...");
            }
            SendCommand("STAT");
            state_ = State::kStat;
            break;
        case State::kStat:
            messageCount_ = FirstNumber(reader_.Line());
            if (messageCount_ == 0) {
                Progress("Done.");
                SendQuit(kOk);
                break;
            }
            // Messages are filed into the default folder, which "mailbox.ini" must name first.
            MailStore::DefaultFolder(*account);
            if (!store_.SaveEntries()) {
                SendQuit(kFailed);
                break;
            }
            batchStamp_ = ids_.NewBatchStamp(accountName_);
            messageNumber_ = 0;
            NextMessage();
            break;
        case State::kRetr:
            StartMessage();
            break;
        case State::kDele:
            SendNextDelete();
            break;
        default:
            break;
    }
}

void CMailSocket::PasswordRefused() {
    PopAccount* account = Account();
    if (account != nullptr && host_.MayAskUser()) {
        auto alive = alive_;
        auto answer =
            host_.Ui().AskPassword(account->user + "@" + account->server, account->savePassword);
        if (!*alive || state_ == State::kFinished) return;
        account = Account();
        if (answer && account != nullptr) {
            account->password = answer->password;
            account->savePassword = answer->savePassword;
            (void)store_.SaveEntries();
            SendCommand("USER " + account->user);
            state_ = State::kUser;
            return;
        }
    }
    passwordRefused_ = true;
    SendQuit(kOk);
}

void CMailSocket::StartMessage() {
    summary_ = MessageSummary{};
    lineOpen_ = false;
    const std::optional<std::string> path = store_.NewMessageFile();
    if (!path || !message_.Open(*path)) {
        if (path) platform::DeleteFile(*path);
        SendQuit(kFailed);
        return;
    }
    state_ = State::kHeaders;
}

void CMailSocket::HandleMessageLine() {
    std::string_view line = reader_.Line();
    // Only a true line start can end the message or carry a header; the pieces of a long line
    // are data.
    if (!lineOpen_) {
        if (line == ".") {
            FinishMessage();
            return;
        }
        if (line.starts_with('.')) line.remove_prefix(1);
        if (state_ == State::kHeaders) {
            if (line.empty()) {
                state_ = State::kBody;
            } else {
                ReadSummaryHeader(line, summary_);
            }
        }
    }
    lineOpen_ = reader_.IsCut();
    if (!message_.Append(line) || (!lineOpen_ && !message_.Append("\n"))) {
        message_.Discard();
        SendQuit(kFailed);
    }
}

void CMailSocket::FinishMessage() {
    std::optional<std::string> path = message_.Commit(ReceivedMessage::Durability::kLater);
    PopAccount* account = Account();
    if (!path || account == nullptr) {
        if (path) platform::DeleteFile(*path);
        SendQuit(kFailed);
        return;
    }
    if (ids_.IsKnown(accountName_, summary_.key)) {
        platform::DeleteFile(*path);
    } else {
        const bool hadDefault = std::any_of(account->folders.begin(), account->folders.end(),
                                            [](const auto& folder) { return folder->isDefault; });
        MailFolder& inbox = MailStore::DefaultFolder(*account);
        auto message = std::make_unique<MailMessage>();
        message->file = *path;
        message->from = summary_.from;
        message->subject = summary_.subject;
        message->date = summary_.date;
        MailStore::AddMessage(inbox, std::move(message));
        unsaved_ = true;
        if (!hadDefault && !store_.SaveEntries()) {
            SendQuit(kFailed);
            return;
        }
        newMail_ = true;
        ++filed_;
        host_.MailboxChanged(*account);
    }
    if (account->deleteFromServer) {
        pendingDeletes_.push_back(messageNumber_);
    } else {
        pendingKeys_.push_back(summary_.key);
    }
    if (pendingDeletes_.size() + pendingKeys_.size() >= kGroupSize ||
        messageNumber_ >= messageCount_) {
        CommitGroup();
        return;
    }
    NextMessage();
}

bool CMailSocket::SaveFiled() {
    if (unsaved_) {
        // Files first, then the index that names them: a message is never named before it is
        // whole on disk.
        if (!ReceivedMessage::MakeDurable(store_.directory()) || !store_.SaveMessages())
            return false;
        unsaved_ = false;
    }
    ids_.Record(batchStamp_, pendingKeys_);
    pendingKeys_.clear();
    return true;
}

void CMailSocket::CommitGroup() {
    if (!SaveFiled()) {
        pendingDeletes_.clear();
        SendQuit(kFailed);
        return;
    }
    SendNextDelete();
}

void CMailSocket::SendNextDelete() {
    if (pendingDeletes_.empty()) {
        NextMessage();
        return;
    }
    SendCommand("DELE " + std::to_string(pendingDeletes_.front()));
    pendingDeletes_.erase(pendingDeletes_.begin());
    state_ = State::kDele;
}

void CMailSocket::NextMessage() {
    if (messageNumber_ >= messageCount_) {
        SendQuit(kOk);
        return;
    }
    ++messageNumber_;
    Progress("Retrieving message " + std::to_string(messageNumber_) + " of " +
             std::to_string(messageCount_) + "...");
    SendCommand("RETR " + std::to_string(messageNumber_));
    state_ = State::kRetr;
}

void CMailSocket::SendQuit(int result) {
    outcome_ = result;
    state_ = State::kQuit;
    SendCommand("QUIT");
    ArmSilenceTimer();
}

void CMailSocket::Finish(int result) {
    if (state_ == State::kFinished || state_ == State::kIdle) return;
    state_ = State::kFinished;
    outcome_ = result;
    ReleaseWaitCursor();
    if (silenceTimer_ != 0) loop_.StopTimer(silenceTimer_);
    silenceTimer_ = 0;
    message_.Discard();
    // What was filed stays filed, whatever ended the check; nothing more is deleted.
    if (unsaved_ || !pendingKeys_.empty()) (void)SaveFiled();
    pendingDeletes_.clear();
    // A stop that could not wait for its turn still says goodbye.
    if (result == kStopped && stopRequested_ && IsConnected()) Send("QUIT\r\n", 6);
    Close();
    platform::HostServices& ui = host_.Ui();
    ui.SetStatusText("");
    if (progressShown_) {
        Progress(result == kOk || result == kStopped ? "Done."
                                                     : "Error occurs while checking mail.");
    }
    int reported = result;
    if (newMail_) {
        newMail_ = false;
        if (PopAccount* account = Account()) host_.MailboxChanged(*account);
        ui.ShowMessage("You have new mail.", platform::MessageButtons::kOk,
                       platform::MessageIcon::kExclamation);
        reported = kOk;
    } else if (result == kOk && !passwordRefused_) {
        ui.ShowMessage("Sorry, you don't have any new mail.", platform::MessageButtons::kOk,
                       platform::MessageIcon::kExclamation);
    }
    ids_.CloseBatch(accountName_, batchStamp_, result == kStopped ? kOk : result);
    loop_.Post([this, alive = alive_, reported] {
        if (*alive) host_.CheckFinished(*this, reported);
    });
}

}  // namespace corvane::mail

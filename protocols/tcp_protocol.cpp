#include "protocols/tcp_protocol.h"

#include <cstring>
#include <set>

#include "core/ht_host_services.h"
#include "core/status.h"
#include "core/transfer_progress.h"
#include "platform/ascii.h"
#include "platform/services.h"

namespace corvane::protocols {

using core::kEndOfData;
using core::kFailure;
using core::kNeedMoreData;

namespace {

// Reads per receive notification before the loop gets a turn again.
constexpr int kReadsPerNotification = 16;

bool IsWouldBlock(int error) {
    return error == platform::kSocketWouldBlock || error == platform::kSocketInProgress;
}

std::optional<std::uint16_t> ParsePort(std::string_view text) {
    if (text.empty()) return 0;
    if (text.size() > 5) return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (!IsAsciiDigit(c)) return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<HostAndPort> SplitHostAndPort(std::string_view hostText) {
    std::string_view host = hostText;
    std::string_view port;
    if (hostText.starts_with('[')) {
        const std::size_t close = hostText.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        host = hostText.substr(1, close - 1);
        std::string_view rest = hostText.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return std::nullopt;
            port = rest.substr(1);
        }
    } else if (const std::size_t colon = hostText.rfind(':'); colon != std::string_view::npos) {
        host = hostText.substr(0, colon);
        port = hostText.substr(colon + 1);
    }
    const std::optional<std::uint16_t> number = ParsePort(port);
    if (host.empty() || !number) return std::nullopt;
    return HostAndPort{std::string(host), *number};
}

bool TrustUnverifiedPeer(platform::HostServices& ui, std::set<std::string>& accepted,
                         std::string_view host, const platform::TlsPeer& peer) {
    const std::string key = std::string(host) + " " + peer.fingerprint;
    if (accepted.contains(key)) return true;
    const bool yes = ui.AskTrustCertificate(
        "The certificate of " + std::string(host) + " cannot be verified (" + peer.problem +
        ").\nIt was issued to: " + (peer.subject.empty() ? "(nobody)" : peer.subject) +
        "\n\nContinue anyway?");
    if (yes) accepted.insert(key);
    return yes;
}

// CHTSocket

CHTSocket::CHTSocket(platform::EventLoop& loop, CHTTCP& tcp) : AsyncSocket(loop), owner(tcp) {}

CHTSocket::~CHTSocket() {
    *alive_ = false;
}

void CHTSocket::OnConnect(int error) {
    const std::shared_ptr<bool> alive = alive_;
    CHTTCP& tcp = owner;
    tcp.StopWatchingConnect();
    if (error == platform::kSocketUntrustedPeer) {
        const CHTTCP::PeerAnswer answer = tcp.ConfirmPeer();
        if (!*alive || answer == CHTTCP::PeerAnswer::kGone) return;
        if (answer == CHTTCP::PeerAnswer::kRefused) {
            tcp.Fail(core::kSilentEnd);
            return;
        }
        error = 0;
    }
    if (error == 0) {
        connected = true;
        if (tcp.securing_) receiveStep = &CHTTCP::ReceiveLine;
        tcp.securing_ = false;
        tcp.NoteSecurity();
    } else if (!TlsFailureText().empty()) {
        if (tcp.request != nullptr) {
            tcp.request->Host().Ui().SetStatusText("Secure connection to " + tcp.tlsHost_ +
                                                   " failed: " + TlsFailureText());
        }
    }
    tcp.StartDialogue(error);
}

void CHTSocket::OnReceive(int error) {
    // The platform never re-enters a receive notification; the guard keeps that promise here
    // even if a handler pumps events some other way.
    if (inReceive) return;
    const std::shared_ptr<bool> alive = alive_;
    CHTTCP& tcp = owner;
    inReceive = true;
    if (receiveStep == nullptr) {
        if (replyHandler != nullptr) (tcp.*replyHandler)(error);
    } else if (error != 0) {
        tcp.DeliverLines(kFailure);
    } else {
        for (int reads = 0; reads < kReadsPerNotification; ++reads) {
            const int result = tcp.ReceiveLine();
            tcp.DeliverLines(result);
            if (result <= 0 || !*alive || receiveStep == nullptr) break;
        }
    }
    if (*alive) inReceive = false;
}

void CHTSocket::OnSend(int /*error*/) {
    const std::shared_ptr<bool> alive = alive_;
    owner.FlushSend();
    if (*alive && owner.unsent_.empty() && sendReadyHandler != nullptr) (owner.*sendReadyHandler)();
}

void CHTSocket::OnClose(int error) {
    if (error != 0 || receiveStep == nullptr) {
        OnReceive(error);
        return;
    }
    if (inReceive) return;
    const std::shared_ptr<bool> alive = alive_;
    inReceive = true;
    owner.DeliverLines(kEndOfData);
    if (*alive) inReceive = false;
}

// CHTTCP

const core::CRuntimeClass CHTTCP::kRuntimeClass =
    core::MakeAbstractRuntimeClass<CHTTCP, core::CHTProtocol>("CHTTCP");

CHTTCP::CHTTCP() = default;

CHTTCP::~CHTTCP() {
    StopWatchingConnect();
}

void CHTTCP::Attach(core::CHTRequest* servedRequest, bool reloadFlag, bool embeddedFlag) {
    CHTProtocol::Attach(servedRequest, reloadFlag, embeddedFlag);
    if (request != nullptr) {
        SetProgressReporter(std::make_unique<core::CStatusBarProgress>(request->Host().Ui()));
    }
}

void CHTTCP::Abort() {
    StopWatchingConnect();
    socket_.reset();
    unsent_.clear();
    ReleaseWaitCursor();
}

std::unique_ptr<CHTSocket> CHTTCP::MakeSocket(platform::EventLoop& loop) {
    return std::make_unique<CHTSocket>(loop, *this);
}

int CHTTCP::Connect(std::string_view hostText, std::string_view service, std::uint16_t defaultPort,
                    Transport transport) {
    platform::EventLoop* loop = request != nullptr ? request->Host().Loop() : nullptr;
    const std::optional<HostAndPort> target = SplitHostAndPort(hostText);
    if (loop == nullptr || !target) {
        error = kFailure;
        return core::kOpenFailed;
    }
    // A new connection (a retry) starts with no trace of the last one.
    StopWatchingConnect();
    socket_ = MakeSocket(*loop);
    streamEnded_ = false;
    bodyMode_ = false;
    unsent_.clear();
    EmptyLineArea();
    request->security = core::CHTRequest::Security::kNone;
    request->certificateSubject.clear();
    securing_ = false;
    tlsHost_ = target->host;
    if (socket_->Create() != 0 ||
        (transport == Transport::kTls && socket_->StartTls(target->host) != 0)) {
        socket_.reset();
        error = kFailure;
        return core::kOpenFailed;
    }
    request->Host().Ui().SetStatusText("Connecting to " + std::string(hostText) + "...");
    ShowWaitCursor();
    const std::uint16_t port =
        target->port != 0 ? target->port : platform::ServicePort(service, defaultPort);
    socket_->receiveStep = &CHTTCP::ReceiveLine;
    const int result = socket_->Connect(target->host, port);
    if (result == 0) {
        socket_->connected = true;
        StartDialogue(0);
    } else if (result != platform::kSocketWouldBlock) {
        socket_.reset();
        error = kFailure;
        return core::kOpenFailed;
    } else {
        WatchConnecting("Connecting to " + std::string(hostText) + " timed out");
    }
    return core::kOpenWaiting;
}

void CHTTCP::WatchConnecting(std::string timeoutText) {
    StopWatchingConnect();
    timerLoop_ = request != nullptr ? request->Host().Loop() : nullptr;
    if (timerLoop_ == nullptr) return;
    connectTimer_ = timerLoop_->StartTimer(
        request->Host().connectTimeoutMs, false, [this, text = std::move(timeoutText)] {
            connectTimer_ = 0;
            if (request != nullptr) request->Host().Ui().SetStatusText(text);
            Abort();
            Fail(kFailure);
        });
}

void CHTTCP::StopWatchingConnect() {
    if (connectTimer_ != 0) timerLoop_->StopTimer(connectTimer_);
    connectTimer_ = 0;
}

void CHTTCP::StartDialogue(int connectError) {
    if (connectError != 0) Fail(kFailure);
}

void CHTTCP::StartTls(std::string_view host) {
    if (socket_ == nullptr) return;
    tlsHost_ = host;
    EmptyLineArea();
    socket_->receiveStep = nullptr;
    socket_->replyHandler = nullptr;
    securing_ = true;
    if (socket_->StartTls(host) != platform::kSocketWouldBlock) Fail(kFailure);
}

CHTTCP::PeerAnswer CHTTCP::ConfirmPeer() {
    const platform::TlsPeer* peer = socket_ != nullptr ? socket_->Peer() : nullptr;
    if (peer == nullptr || request == nullptr) return PeerAnswer::kRefused;
    const bool yes = TrustUnverifiedPeer(request->Host().Ui(), request->Host().acceptedCertificates,
                                         tlsHost_, *peer);
    // The user may have stopped the load while the question was up.
    if (request == nullptr || request->protocol.get() != this || socket_ == nullptr)
        return PeerAnswer::kGone;
    if (!yes) return PeerAnswer::kRefused;
    socket_->AcceptPeer();
    return PeerAnswer::kAccepted;
}

void CHTTCP::NoteSecurity() {
    const platform::TlsPeer* peer = socket_ != nullptr ? socket_->Peer() : nullptr;
    if (peer == nullptr || request == nullptr) return;
    request->security = peer->verified ? core::CHTRequest::Security::kVerified
                                       : core::CHTRequest::Security::kAccepted;
    request->certificateSubject = peer->subject;
}

void CHTTCP::SendLine(std::string_view text) {
    unsent_.append(text);
    unsent_.append("\r\n");
    EmptyLineArea();
    FlushSend();
}

void CHTTCP::SendBytes(std::string_view bytes) {
    unsent_.append(bytes);
    FlushSend();
}

void CHTTCP::FlushSend() {
    while (!unsent_.empty() && socket_ != nullptr) {
        const platform::SocketTransfer sent = socket_->Send(unsent_.data(), unsent_.size());
        // The rest waits for OnSend; nothing is dropped.
        if (sent.error == platform::kSocketWouldBlock) return;
        if (sent.error != 0) {
            Fail(kFailure);
            return;
        }
        unsent_.erase(0, sent.bytes);
        if (sent.bytes == 0) return;
    }
}

void CHTTCP::EmptyLineArea() {
    lines_.Clear();
    replies_.Reset();
}

int CHTTCP::ReceiveLine() {
    if (socket_ == nullptr) return kFailure;
    const std::int32_t space = lines_.FreeSize();
    if (space <= 0) return 0;
    const platform::SocketTransfer got = socket_->Receive(lines_.FreeSpace(), space);
    if (IsWouldBlock(got.error)) return 0;
    if (got.error != 0) return kFailure;
    if (got.bytes == 0) return kEndOfData;
    lines_.Added(static_cast<std::int32_t>(got.bytes));
    return 1;
}

void CHTTCP::DeliverLines(int readResult) {
    if (streamEnded_) return;
    if (readResult < 0 && readResult != kEndOfData) {
        streamEnded_ = true;
        if (socket_ != nullptr && socket_->replyHandler != nullptr)
            (this->*socket_->replyHandler)(kFailure);
        return;
    }
    const bool atEnd = readResult == kEndOfData;
    while (socket_ != nullptr && socket_->replyHandler != nullptr && !bodyMode_) {
        const int line = lines_.NextLine(atEnd);
        if (line == 0) break;
        (this->*socket_->replyHandler)(line);
    }
    if (!atEnd) return;
    streamEnded_ = true;
    if (socket_ != nullptr && socket_->replyHandler != nullptr && !bodyMode_)
        (this->*socket_->replyHandler)(kEndOfData);
}

int CHTTCP::ReadReply(int lineResult) {
    const int answer = replies_.Read(lineResult, lines_.Line(), lines_.IsContinuation());
    if (answer < 0) error = answer;
    replyCode = replies_.code;
    return answer;
}

void CHTTCP::StartBody(std::size_t consumed, std::string_view fileName) {
    const std::int32_t count = lines_.TakeRest(consumed);
    replies_.Reset();
    UseBodyBuffer();
    std::memcpy(buffer, lines_.Block(), static_cast<std::size_t>(count));
    available = count;
    StartData(fileName);
}

void CHTTCP::UseBodyBuffer() {
    // Read a few KiB at a time, a large download would spend more time in system calls than
    // in moving its bytes.
    if (!body_) body_ = std::make_unique_for_overwrite<std::uint8_t[]>(kBodyCapacity);
    SetBuffer(body_.get(), kBodyCapacity);
}

void CHTTCP::StartData(std::string_view fileName) {
    bodyMode_ = true;
    if (buffer == nullptr) UseBodyBuffer();
    if (socket_ != nullptr) {
        SetDataSource(&CHTTCP::SocketSource);
        socket_->receiveStep = nullptr;
        socket_->replyHandler = &CHTTCP::BodyNotification;
    }
    ChooseConvertor(fileName);
    // The questions may have let the user stop the load meanwhile.
    if (request == nullptr || request->protocol.get() != this) return;
    request->status = static_cast<std::int16_t>(convertor != nullptr ? 0 : kFailure);
    request->Wake();
}

void CHTTCP::BodyNotification(int notificationError) {
    if (notificationError != 0) {
        Fail(kFailure);
        return;
    }
    receiving = false;
    SetDataSource(&CHTTCP::SocketSource);
    if (request != nullptr) request->Wake();
}

std::int32_t CHTTCP::SocketSource(std::uint8_t* destination, std::int32_t maxLength) {
    if (socket_ == nullptr) return kFailure;
    const platform::SocketTransfer got = socket_->Receive(destination, maxLength);
    if (IsWouldBlock(got.error)) {
        // Nothing more until the next receive notification puts the socket source back.
        if (receiving) SetDataSource(&CHTTCP::WaitingSource);
        return kNeedMoreData;
    }
    if (got.error != 0) return kFailure;
    receiving = true;
    return static_cast<std::int32_t>(got.bytes);
}

std::int32_t CHTTCP::WaitingSource(std::uint8_t*, std::int32_t) {
    return kNeedMoreData;
}

std::int32_t CHTTCP::FailedSource(std::uint8_t*, std::int32_t) {
    return error < 0 ? error : kFailure;
}

void CHTTCP::Fail(int code) {
    error = code;
    EmptyLineArea();
    available = 0;
    SetDataSource(&CHTTCP::FailedSource);
    unsent_.clear();
    if (socket_ != nullptr) {
        socket_->receiveStep = nullptr;
        socket_->replyHandler = nullptr;
        socket_->sendReadyHandler = nullptr;
    }
    if (request != nullptr) {
        request->status = static_cast<std::int16_t>(code);
        request->Wake();
    }
}

}  // namespace corvane::protocols

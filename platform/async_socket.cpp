#include "platform/async_socket.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

namespace corvane::platform {
namespace {

// Encrypted bytes queued for the peer beyond which Send on a secured socket waits for OnSend.
constexpr std::size_t kSecureSendBacklog = 64 * 1024;
// Encrypted bytes taken from the descriptor at once.
constexpr std::size_t kRawReadSize = 64 * 1024;

}  // namespace

AsyncSocket::AsyncSocket(EventLoop& loop) : loop_(loop), lookup_(loop) {}

AsyncSocket::~AsyncSocket() {
    Close();
    *alive_ = false;
}

int AsyncSocket::Create(std::uint16_t port, std::string_view bindAddress) {
    if (state_ != State::kClosed) return EALREADY;
    bound_ = false;
    if (port != 0 || !bindAddress.empty()) {
        const std::string text = bindAddress.empty() ? "0.0.0.0" : std::string(bindAddress);
        const auto parsed = ParseNumericHost(text, port);
        if (!parsed || parsed->empty()) return EADDRNOTAVAIL;
        bindAddress_ = parsed->front();
        bound_ = true;
    }
    if (const int error = OpenDescriptor(bound_ ? bindAddress_.Family() : AF_INET)) {
        bound_ = false;
        return error;
    }
    state_ = State::kCreated;
    return 0;
}

int AsyncSocket::OpenDescriptor(int family) {
    CloseDescriptor();
    const int fd = socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return errno;
    if (bound_ && bind(fd, bindAddress_.Get(), bindAddress_.length) != 0) {
        const int error = errno;
        close(fd);
        return error;
    }
    fd_ = fd;
    fdFamily_ = family;
    fdUsed_ = false;
    return 0;
}

void AsyncSocket::CloseDescriptor() {
    if (watch_ != 0) loop_.UnwatchFd(watch_);
    watch_ = 0;
    watchedEvents_ = 0;
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    fdFamily_ = AF_UNSPEC;
    ++generation_;
    receivePosted_ = false;
}

void AsyncSocket::Close() {
    lookup_.Abandon();
    CloseDescriptor();
    state_ = State::kClosed;
    bound_ = false;
    candidates_.clear();
    nextCandidate_ = 0;
    receiveArmed_ = false;
    receiveEnded_ = false;
    sendWanted_ = false;
    acceptArmed_ = false;
    receiveDeferred_ = false;
    tls_.reset();
    tlsFailure_.clear();
    rawWriteWanted_ = false;
    peerHeld_ = false;
    rawError_ = 0;
}

int AsyncSocket::Connect(std::string_view host, std::uint16_t port) {
    switch (state_) {
        case State::kCreated:
            break;
        case State::kClosed:
            return EBADF;
        case State::kResolving:
        case State::kConnecting:
        case State::kHandshaking:
            return EALREADY;
        case State::kConnected:
            return EISCONN;
        case State::kListening:
            return EINVAL;
    }
    const std::string text(host);
    candidates_.clear();
    nextCandidate_ = 0;
    if (auto numeric = ParseNumericHost(text, port)) {
        candidates_ = std::move(*numeric);
        return TryNextAddress(Report::kToCaller, kSocketHostNotFound);
    }
    const int error =
        lookup_.Start(text, port, [this](int result, std::vector<SocketAddress> list) {
            LookupDone(result, std::move(list));
        });
    if (error != 0) return error;
    state_ = State::kResolving;
    return kSocketWouldBlock;
}

void AsyncSocket::LookupDone(int error, std::vector<SocketAddress> addresses) {
    if (error != 0) {
        state_ = State::kCreated;
        UpdateWatch();
        Deliver([&] { OnConnect(error); });
        return;
    }
    candidates_ = std::move(addresses);
    nextCandidate_ = 0;
    TryNextAddress(Report::kByNotification, kSocketHostNotFound);
}

int AsyncSocket::TryNextAddress(Report report, int lastError) {
    int error = lastError;
    while (nextCandidate_ < candidates_.size()) {
        const SocketAddress address = candidates_[nextCandidate_++];
        if (bound_ && address.Family() != bindAddress_.Family()) {
            error = EAFNOSUPPORT;
            continue;
        }
        // A descriptor that saw a failed connect is not reused for the next try.
        if (fdUsed_ || address.Family() != fdFamily_) {
            error = OpenDescriptor(address.Family());
            if (error != 0) continue;
        }
        fdUsed_ = true;
        if (connect(fd_, address.Get(), address.length) == 0) {
            // Nothing of the object may be touched once a notification has run.
            const int answer = tls_ != nullptr ? kSocketWouldBlock : 0;
            Connected(report);
            return answer;
        }
        if (errno == EINPROGRESS) {
            state_ = State::kConnecting;
            UpdateWatch();
            return kSocketWouldBlock;
        }
        error = errno;
    }
    state_ = State::kCreated;
    UpdateWatch();
    if (report == Report::kByNotification) Deliver([&] { OnConnect(error); });
    return error;
}

void AsyncSocket::FinishConnect() {
    const int error = PendingError();
    if (error != 0) {
        TryNextAddress(Report::kByNotification, error);
        return;
    }
    Connected(Report::kByNotification);
}

void AsyncSocket::Connected(Report report) {
    if (tls_ != nullptr) {
        // The handshake begins on the next turn, when the descriptor is writable, so that no
        // notification ever comes from inside Connect or StartTls.
        state_ = State::kHandshaking;
        rawWriteWanted_ = true;
        UpdateWatch();
        return;
    }
    state_ = State::kConnected;
    receiveArmed_ = true;
    UpdateWatch();
    if (report == Report::kByNotification) Deliver([&] { OnConnect(0); });
}

int AsyncSocket::StartTls(std::string_view host) {
    if (tls_ != nullptr) return EALREADY;
    if (state_ == State::kClosed || state_ == State::kListening) return EINVAL;
    tlsFailure_.clear();
    tls_ = TlsSession::StartClient(host);
    if (tls_ == nullptr) return kSocketTlsFailed;
    if (state_ != State::kConnected) return 0;
    receiveArmed_ = false;
    Connected(Report::kByNotification);
    return kSocketWouldBlock;
}

void AsyncSocket::StepHandshake() {
    rawWriteWanted_ = false;
    for (;;) {
        const int step = tls_->Handshake();
        if (!FlushRaw()) {
            HandshakeFailed(rawError_);
            return;
        }
        if (step == 0) break;
        if (step != kSocketWouldBlock) {
            HandshakeFailed(step);
            return;
        }
        const SocketTransfer got = ReadRaw();
        if (got.error == kSocketWouldBlock) {
            UpdateWatch();
            return;
        }
        if (got.error != 0) {
            HandshakeFailed(got.error);
            return;
        }
        // Bytes or the end of the stream: the next step takes them.
    }
    state_ = State::kConnected;
    peerHeld_ = !tls_->Peer().verified;
    // An unverified peer gets no receive notifications until it is accepted: the owner may be
    // asking the user meanwhile.
    receiveArmed_ = !peerHeld_;
    UpdateWatch();
    if (receiveArmed_ && tls_->HasBufferedInput()) PostReceive();
    const int result = peerHeld_ ? kSocketUntrustedPeer : 0;
    Deliver([&] { OnConnect(result); });
}

void AsyncSocket::HandshakeFailed(int error) {
    tlsFailure_ = error == kSocketTlsFailed ? tls_->FailureText() : SocketErrorText(error);
    tls_.reset();
    CloseDescriptor();
    state_ = State::kClosed;
    Deliver([&] { OnConnect(error); });
}

void AsyncSocket::AcceptPeer() {
    if (!peerHeld_) return;
    peerHeld_ = false;
    if (state_ != State::kConnected) return;
    receiveArmed_ = true;
    UpdateWatch();
    if (tls_->HasBufferedInput()) PostReceive();
}

const TlsPeer* AsyncSocket::Peer() const {
    return tls_ != nullptr && state_ == State::kConnected ? &tls_->Peer() : nullptr;
}

SocketTransfer AsyncSocket::ReadRaw() {
    char block[kRawReadSize];
    const ssize_t got = recv(fd_, block, sizeof block, MSG_DONTWAIT);
    if (got > 0) {
        tls_->PutReceived(block, static_cast<std::size_t>(got));
        return {static_cast<std::size_t>(got), 0};
    }
    if (got == 0) {
        tls_->PeerClosed();
        return {0, 0};
    }
    return {0, errno == EAGAIN ? kSocketWouldBlock : errno};
}

bool AsyncSocket::FlushRaw() {
    std::string& out = tls_->Outgoing();
    while (!out.empty()) {
        const ssize_t sent = send(fd_, out.data(), out.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EAGAIN) break;
            rawError_ = errno;
            out.clear();
            return false;
        }
        out.erase(0, static_cast<std::size_t>(sent));
    }
    return true;
}

bool AsyncSocket::SendRoom() const {
    return tls_ == nullptr || rawError_ != 0 || tls_->Outgoing().size() < kSecureSendBacklog;
}

SocketTransfer AsyncSocket::SecureSend(const void* data, std::size_t size) {
    if (rawError_ != 0) return {0, rawError_};
    if (peerHeld_) return {0, kSocketUntrustedPeer};
    if (size == 0) return {0, 0};
    if (!SendRoom()) {
        sendWanted_ = true;
        UpdateWatch();
        return {0, kSocketWouldBlock};
    }
    const SocketTransfer written = tls_->Write(data, std::min(size, kSecureSendBacklog));
    if (written.error != 0) return written;
    if (!FlushRaw()) return {0, rawError_};
    if (written.bytes < size) sendWanted_ = true;  // OnSend follows for the rest
    UpdateWatch();
    return written;
}

SocketTransfer AsyncSocket::SecureReceive(void* buffer, std::size_t size) {
    if (peerHeld_) return {0, kSocketUntrustedPeer};
    if (size == 0) return {0, EINVAL};
    SocketTransfer got = tls_->Read(buffer, size);
    while (got.error == kSocketWouldBlock) {
        const SocketTransfer raw = ReadRaw();
        if (raw.error == kSocketWouldBlock) break;
        if (raw.error != 0) {
            got = raw;
            break;
        }
        got = tls_->Read(buffer, size);
    }
    FlushRaw();  // alerts and key updates the reading produced; a failure shows in the next Send
    if (got.bytes > 0 || got.error == kSocketWouldBlock) {
        if (!receiveArmed_ && !receiveEnded_) receiveArmed_ = true;  // reading re-enables OnReceive
        UpdateWatch();
        // Bytes left in the session raise no descriptor event.
        if (got.bytes > 0 && tls_->HasBufferedInput()) PostReceive();
    } else {
        receiveEnded_ = true;
        receiveArmed_ = false;
        if (got.error == kSocketTlsFailed) tlsFailure_ = tls_->FailureText();
        UpdateWatch();
    }
    return got;
}

void AsyncSocket::PostReceive() {
    if (receivePosted_) return;
    receivePosted_ = true;
    const std::shared_ptr<bool> alive = alive_;
    const std::uint64_t generation = generation_;
    loop_.Post([this, alive, generation] {
        if (!*alive || generation != generation_) return;
        receivePosted_ = false;
        if (state_ != State::kConnected || !receiveArmed_ || receiveEnded_) return;
        if (inReceive_) {
            receiveDeferred_ = true;
            receiveArmed_ = false;
            UpdateWatch();
            return;
        }
        DeliverReceive();
    });
}

int AsyncSocket::PendingError() const {
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
    return error;
}

SocketTransfer AsyncSocket::Send(const void* data, std::size_t size) {
    if (state_ == State::kResolving || state_ == State::kConnecting ||
        state_ == State::kHandshaking) {
        sendWanted_ = true;  // OnSend follows the connection
        UpdateWatch();
        return {0, kSocketWouldBlock};
    }
    if (state_ != State::kConnected) return {0, ENOTCONN};
    if (tls_ != nullptr) return SecureSend(data, size);
    if (size == 0) return {0, 0};
    const ssize_t sent = send(fd_, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0 && errno != EAGAIN) return {0, errno};
    if (sent < 0 || static_cast<std::size_t>(sent) < size) {
        sendWanted_ = true;
        UpdateWatch();
    }
    if (sent < 0) return {0, kSocketWouldBlock};
    return {static_cast<std::size_t>(sent), 0};
}

SocketTransfer AsyncSocket::Receive(void* buffer, std::size_t size) {
    if (state_ != State::kConnected) return {0, ENOTCONN};
    if (tls_ != nullptr) return SecureReceive(buffer, size);
    // A zero-byte read would look like the end of the stream.
    if (size == 0) return {0, EINVAL};
    const ssize_t received = recv(fd_, buffer, size, MSG_DONTWAIT);
    const int error = received < 0 ? errno : 0;
    if (!receiveArmed_ && !receiveEnded_) {
        receiveArmed_ = true;  // reading re-enables OnReceive
        UpdateWatch();
    }
    if (received < 0) return {0, error};
    return {static_cast<std::size_t>(received), 0};
}

int AsyncSocket::Listen(int backlog) {
    if (state_ != State::kCreated || fdUsed_) return EINVAL;
    if (listen(fd_, backlog) != 0) return errno;
    state_ = State::kListening;
    acceptArmed_ = true;
    UpdateWatch();
    return 0;
}

int AsyncSocket::Accept(AsyncSocket& connection) {
    if (state_ != State::kListening || &connection == this) return EINVAL;
    const int fd = accept4(fd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    const int error = fd < 0 ? errno : 0;
    acceptArmed_ = true;  // accepting re-enables OnAccept
    UpdateWatch();
    if (fd < 0) return error;
    connection.AdoptConnection(fd);
    return 0;
}

void AsyncSocket::AdoptConnection(int fd) {
    Close();
    fd_ = fd;
    fdUsed_ = true;
    state_ = State::kConnected;
    receiveArmed_ = true;
    UpdateWatch();
}

int AsyncSocket::GetLocalAddress(SocketEndpoint& endpoint) const {
    return GetAddress(getsockname, endpoint);
}

int AsyncSocket::GetPeerAddress(SocketEndpoint& endpoint) const {
    return GetAddress(getpeername, endpoint);
}

int AsyncSocket::GetAddress(int (*query)(int, sockaddr*, socklen_t*),
                            SocketEndpoint& endpoint) const {
    if (fd_ < 0) return EBADF;
    SocketAddress address;
    address.length = sizeof address.storage;
    if (query(fd_, address.Get(), &address.length) != 0) return errno;
    endpoint = DescribeAddress(address);
    return 0;
}

int AsyncSocket::ShutDown(SocketShutdown how) {
    if (fd_ < 0) return EBADF;
    const int mode = how == SocketShutdown::kReceives ? SHUT_RD
                     : how == SocketShutdown::kSends  ? SHUT_WR
                                                      : SHUT_RDWR;
    return shutdown(fd_, mode) == 0 ? 0 : errno;
}

void AsyncSocket::UpdateWatch() {
    unsigned events = 0;
    if (state_ == State::kConnecting) {
        events = kIoWrite;
    } else if (state_ == State::kHandshaking) {
        events = kIoRead;
        if (rawWriteWanted_ || !tls_->Outgoing().empty()) events |= kIoWrite;
    } else if (state_ == State::kConnected) {
        if (receiveArmed_ && !receiveEnded_) events |= kIoRead;
        if (sendWanted_) events |= kIoWrite;
        if (tls_ != nullptr && !tls_->Outgoing().empty()) events |= kIoWrite;
    } else if (state_ == State::kListening && acceptArmed_) {
        events = kIoRead;
    }
    if (fd_ < 0) events = 0;
    // Nothing wanted means no watch at all: a hung-up descriptor would otherwise keep waking
    // the loop with errors nobody asked for.
    if (events == 0) {
        if (watch_ != 0) loop_.UnwatchFd(watch_);
        watch_ = 0;
    } else if (watch_ == 0) {
        const std::uint64_t generation = generation_;
        watch_ = loop_.WatchFd(fd_, events, [this, generation](int, unsigned ready) {
            HandleEvents(generation, ready);
        });
    } else if (events != watchedEvents_) {
        loop_.SetFdEvents(watch_, events);
    }
    watchedEvents_ = events;
}

template <typename Notify>
bool AsyncSocket::Deliver(Notify notify) {
    const std::shared_ptr<bool> alive = alive_;
    const std::uint64_t generation = generation_;
    notify();
    return *alive && generation == generation_;
}

void AsyncSocket::HandleEvents(std::uint64_t generation, unsigned events) {
    if (generation != generation_) return;
    switch (state_) {
        case State::kConnecting:
            FinishConnect();
            return;
        case State::kHandshaking:
            StepHandshake();
            return;
        case State::kListening:
            if (!acceptArmed_) return;
            acceptArmed_ = false;
            UpdateWatch();
            Deliver([&] { OnAccept(0); });
            return;
        case State::kConnected:
            if (tls_ != nullptr && (events & (kIoWrite | kIoError)) && !tls_->Outgoing().empty()) {
                FlushRaw();
                UpdateWatch();
            }
            if ((events & (kIoWrite | kIoError)) && sendWanted_ && SendRoom()) {
                sendWanted_ = false;
                UpdateWatch();
                if (!Deliver([&] { OnSend(0); })) return;
            }
            if (events & (kIoRead | kIoError)) HandleReadable(events);
            return;
        default:
            return;
    }
}

void AsyncSocket::HandleReadable(unsigned events) {
    if (state_ != State::kConnected || !receiveArmed_ || receiveEnded_) return;
    if (inReceive_) {
        // Held back until the running OnReceive returns.
        receiveDeferred_ = true;
        receiveArmed_ = false;
        UpdateWatch();
        return;
    }
    // A secured stream finds its end or its fault in Receive: bytes may wait decrypted.
    if (tls_ != nullptr) {
        DeliverReceive();
        return;
    }
    char probe;
    const ssize_t peeked = recv(fd_, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (peeked > 0) {
        DeliverReceive();
        return;
    }
    int error = peeked == 0 ? 0 : errno;
    if (error == EAGAIN) {
        if (!(events & kIoError)) return;  // the data was taken before this turn came
        error = PendingError();
        if (error == 0) error = ECONNRESET;
    }
    receiveEnded_ = true;
    UpdateWatch();
    DeliverClose(error);
}

void AsyncSocket::DeliverReceive() {
    receiveArmed_ = false;
    UpdateWatch();
    const std::shared_ptr<bool> alive = alive_;
    inReceive_ = true;
    OnReceive(0);
    if (!*alive) return;
    inReceive_ = false;
    if (receiveDeferred_) {
        receiveDeferred_ = false;
        if (state_ == State::kConnected && !receiveEnded_) {
            receiveArmed_ = true;
            UpdateWatch();
            if (tls_ != nullptr && tls_->HasBufferedInput()) PostReceive();
        }
    }
}

void AsyncSocket::DeliverClose(int error) {
    Deliver([&] { OnClose(error); });
}

}  // namespace corvane::platform

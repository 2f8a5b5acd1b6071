#pragma once
// An asynchronous TCP socket on the event loop: what every protocol connection derives from.
//
// Operations never block. A result of kSocketWouldBlock means "not now": a notification follows
// when trying again can succeed. Notifications are virtual calls made from the event loop, never
// from inside the operation that caused them:
//   OnConnect(error)  a pending connect ended (0: connected); on a secured socket, the TLS
//                     handshake ended (see StartTls);
//   OnReceive(error)  data can be received;
//   OnSend(error)     sending can resume after a send that would block or was partial;
//   OnClose(error)    the peer closed the connection (0) or reset it (an error);
//   OnAccept(error)   a listening socket has a connection to accept.
// Like the Windows socket notifications they stand in for, each one is re-enabled only by the
// operation that consumes it (Receive, Send, Accept), so a handler that leaves data unread is
// not called again and again. OnReceive (and OnClose, which ends the same stream) is never
// delivered while an OnReceive of the same socket is still running, even when that handler
// pumps the event loop; the deferred notification follows once it returns.
//
// A handler may close, reuse or delete its own socket; nothing of the object is touched after
// a notification that destroyed it. Descriptors are non-blocking and close-on-exec; sending to a
// closed peer reports EPIPE instead of raising SIGPIPE.
//
// StartTls secures the connection: the same operations and notifications then carry plain
// bytes over TLS (TlsSession), so every protocol gets TLS without plumbing of its own. Receive
// may then find bytes already decrypted; when some are left after a Receive, OnReceive follows
// from a posted turn instead of from the descriptor.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"
#include "platform/name_lookup.h"
#include "platform/socket_address.h"
#include "platform/socket_error.h"
#include "platform/tls_session.h"

namespace corvane::platform {

// Result of Send and Receive: bytes moved, or an error. Receive answering {0, 0} means the peer
// closed its side and everything it sent has been read.
struct SocketTransfer {
    std::size_t bytes = 0;
    int error = 0;
};

enum class SocketShutdown { kReceives, kSends, kBoth };

class AsyncSocket {
  public:
    explicit AsyncSocket(EventLoop& loop);
    AsyncSocket(const AsyncSocket&) = delete;
    AsyncSocket& operator=(const AsyncSocket&) = delete;
    virtual ~AsyncSocket();

    // Makes the system socket. With a numeric bind address or a port other than 0 it is bound
    // there, which is how a listening socket gets its place; port 0 lets the system choose.
    // Answers 0 or an error.
    [[nodiscard]] int Create(std::uint16_t port = 0, std::string_view bindAddress = {});

    // Connects to a host text (a name or a numeric address) and a port. Answers 0 when the
    // connection was made at once (no OnConnect follows), kSocketWouldBlock when it is pending
    // (name lookup or handshake; OnConnect follows), or an error. When a name has several
    // addresses they are tried in turn until one accepts.
    [[nodiscard]] int Connect(std::string_view host, std::uint16_t port);

    SocketTransfer Send(const void* data, std::size_t size);
    SocketTransfer Receive(void* buffer, std::size_t size);

    [[nodiscard]] int Listen(int backlog);
    // Accepts a waiting connection into another socket object, closing whatever that held.
    [[nodiscard]] int Accept(AsyncSocket& connection);

    // The bound or connected local address; answers 0 or an error.
    [[nodiscard]] int GetLocalAddress(SocketEndpoint& endpoint) const;
    // The connected peer's address; answers 0 or an error.
    [[nodiscard]] int GetPeerAddress(SocketEndpoint& endpoint) const;

    // Secures the connection with TLS toward `host`, the name (or address) the certificate must
    // carry. Before Connect: the handshake follows the TCP connection, and OnConnect reports the
    // end of both. On a connected socket (after a proxy's CONNECT, or a command that switches
    // to TLS): the handshake starts now, the answer is kSocketWouldBlock, and OnConnect reports
    // its end. OnConnect's error is then 0 for a verified server, kSocketUntrustedPeer when the
    // certificate did not pass the check (nothing is sent or received until AcceptPeer), or
    // kSocketTlsFailed (the socket is closed).
    [[nodiscard]] int StartTls(std::string_view host);
    // The owner accepts a certificate that did not pass the check.
    void AcceptPeer();
    // The server's certificate once the handshake has ended; null before that and on a plain
    // socket. The reason of a failed handshake is in TlsFailureText.
    const TlsPeer* Peer() const;
    std::string TlsFailureText() const { return tlsFailure_; }
    bool IsSecure() const { return tls_ != nullptr; }

    int ShutDown(SocketShutdown how);
    // Closes the system socket and abandons a pending lookup. No notification follows.
    void Close();

    bool IsOpen() const { return state_ != State::kClosed; }
    bool IsConnected() const { return state_ == State::kConnected; }

  protected:
    virtual void OnConnect(int /*error*/) {}
    virtual void OnReceive(int /*error*/) {}
    virtual void OnSend(int /*error*/) {}
    virtual void OnClose(int /*error*/) {}
    virtual void OnAccept(int /*error*/) {}

  private:
    enum class State {
        kClosed,
        kCreated,
        kResolving,
        kConnecting,
        kHandshaking,
        kConnected,
        kListening
    };
    enum class Report { kToCaller, kByNotification };

    int OpenDescriptor(int family);
    void CloseDescriptor();
    void AdoptConnection(int fd);
    // Tries the remaining candidate addresses; lastError is the answer when none is left.
    int TryNextAddress(Report report, int lastError);
    void LookupDone(int error, std::vector<SocketAddress> addresses);
    void FinishConnect();
    // The TCP connection is up: connected, or on to the TLS handshake.
    void Connected(Report report);
    void StepHandshake();
    void HandshakeFailed(int error);
    // Moves received bytes into the TLS session: {n, 0}; {0, 0} at the end of the stream;
    // {0, kSocketWouldBlock}; or {0, error}.
    SocketTransfer ReadRaw();
    // Sends what the TLS session has for the peer; false on an error (stored in rawError_).
    bool FlushRaw();
    SocketTransfer SecureSend(const void* data, std::size_t size);
    SocketTransfer SecureReceive(void* buffer, std::size_t size);
    void PostReceive();
    bool SendRoom() const;
    void UpdateWatch();
    void HandleEvents(std::uint64_t generation, unsigned events);
    void HandleReadable(unsigned events);
    int PendingError() const;
    // getsockname or getpeername of the descriptor.
    int GetAddress(int (*query)(int, sockaddr*, socklen_t*), SocketEndpoint& endpoint) const;
    void DeliverReceive();
    void DeliverClose(int error);
    // Runs a notification; answers false when the socket was destroyed or its descriptor
    // replaced by it, so the caller stops at once.
    template <typename Notify>
    bool Deliver(Notify notify);

    EventLoop& loop_;
    State state_ = State::kClosed;
    int fd_ = -1;
    int fdFamily_ = AF_UNSPEC;
    bool fdUsed_ = false;  // a connect was attempted on fd_, so the next attempt needs a new one
    std::uint64_t generation_ = 0;  // changes whenever fd_ does
    WatchId watch_ = 0;
    unsigned watchedEvents_ = 0;
    bool bound_ = false;
    SocketAddress bindAddress_;
    NameLookup lookup_;
    std::vector<SocketAddress> candidates_;
    std::size_t nextCandidate_ = 0;

    bool receiveArmed_ = false;
    bool receiveEnded_ = false;
    bool sendWanted_ = false;
    bool acceptArmed_ = false;
    bool inReceive_ = false;
    bool receiveDeferred_ = false;
    std::unique_ptr<TlsSession> tls_;
    std::string tlsFailure_;
    bool rawWriteWanted_ = false;  // the handshake has bytes to send or has not begun
    bool peerHeld_ = false;        // an unverified certificate waits for AcceptPeer
    bool receivePosted_ = false;
    int rawError_ = 0;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace corvane::platform

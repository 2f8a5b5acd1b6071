#pragma once
// The client side of one TLS connection, without a socket of its own: bytes from the network go
// in through PutReceived (and PeerClosed at the end of the stream), bytes for the network
// collect in Outgoing(), and the application's plain bytes pass through Read and Write.
// AsyncSocket runs one over its descriptor once it is secured.
//
// Only TLS 1.2 and 1.3 are spoken. The server's chain is checked against the system's trust
// store (OpenSSL's default places, so SSL_CERT_FILE and SSL_CERT_DIR are honoured) and against
// the host name or address connected to; a name also goes out as SNI. A chain that fails the
// check does not stop the handshake: Peer() tells why, and the owner decides whether anything
// may be sent.
//
// The end of the stream without a close_notify alert is taken as a normal end when it falls
// between records (servers often skip the alert); inside a record it is a failure, so a cut
// connection never passes for a complete answer.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include <openssl/types.h>

#include "platform/socket_error.h"

namespace corvane::platform {

struct SocketTransfer;

// The server's certificate as the handshake left it.
struct TlsPeer {
    bool verified = false;
    std::string problem;      // why it is not verified: "unknown issuer", "expired", ...
    std::string subject;      // the certificate's subject, RFC 2253 style
    std::string fingerprint;  // SHA-256 of the certificate, upper-case hex
};

// What a mail or news server's setting asks of its connection: nothing, the protocol's command
// that switches to TLS (POP3 "STLS", NNTP "STARTTLS"), or TLS from the start (pop3s, nntps).
enum class TlsMode { kNone, kStartTls, kTls };

class TlsSession {
  public:
    // A session for the name or numeric address connected to; null when OpenSSL cannot make one.
    static std::unique_ptr<TlsSession> StartClient(std::string_view host);
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;

    // Moves the handshake on: 0 when it is complete, kSocketWouldBlock when it waits for the
    // peer (Outgoing may hold bytes to send first), kSocketTlsFailed when it failed.
    int Handshake();

    void PutReceived(const char* data, std::size_t size);
    void PeerClosed();
    // Bytes to send to the peer; the caller erases what it sent.
    std::string& Outgoing() { return outgoing_; }

    // Plain bytes: {n, 0}; {0, kSocketWouldBlock} when more bytes from the peer are needed;
    // {0, 0} at the end of the stream; {0, kSocketTlsFailed} for a broken or cut stream.
    SocketTransfer Read(void* buffer, std::size_t size);
    // Encrypts all of `data` into Outgoing.
    SocketTransfer Write(const void* data, std::size_t size);
    // Read can answer without more bytes from the network.
    bool HasBufferedInput() const;

    const TlsPeer& Peer() const { return peer_; }
    // The last failure as OpenSSL told it, for status texts.
    const std::string& FailureText() const { return failure_; }

  private:
    TlsSession() = default;
    static int VerifyCallback(int ok, X509_STORE_CTX* context);
    void TakeOutgoing();
    void NoteFailure();
    void DescribePeer();
    bool BetweenRecords() const { return headerFill_ == 0 && bodyLeft_ == 0; }

    SSL* ssl_ = nullptr;
    BIO* input_ = nullptr;   // owned by ssl_
    BIO* output_ = nullptr;  // owned by ssl_
    std::string outgoing_;
    TlsPeer peer_;
    int firstVerifyError_ = 0;
    std::string failure_;
    bool handshakeDone_ = false;
    bool peerClosed_ = false;
    // The record framing of what arrived, to tell a cut inside a record from one between them.
    std::uint8_t header_[5] = {};
    std::size_t headerFill_ = 0;
    std::size_t bodyLeft_ = 0;
};

}  // namespace corvane::platform

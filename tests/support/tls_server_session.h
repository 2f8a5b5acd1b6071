#pragma once
// The server side of one TLS connection for the scripted peer, without a socket: bytes from the
// client go in, and what the server has to send comes out, so a test decides how it is cut into
// packets (and where a record is cut off).

#include <openssl/types.h>

#include <string>
#include <string_view>

namespace corvane::testing {

class TlsServerSession {
  public:
    // PEM files of the server's certificate and key.
    TlsServerSession(const std::string& certificate, const std::string& key);
    ~TlsServerSession();
    TlsServerSession(const TlsServerSession&) = delete;
    TlsServerSession& operator=(const TlsServerSession&) = delete;

    // Takes bytes from the client and moves the handshake or the reading on; false once the
    // session has failed.
    bool PutReceived(const char* data, std::size_t size);
    bool HandshakeDone() const { return handshakeDone_; }
    // Plain bytes the client sent, taken out.
    std::string TakePlain();
    // Handshake bytes (and alerts) to send, taken out.
    std::string TakeOutgoing();
    // The bytes to send for `plain`: one record per 16 KiB.
    std::string Seal(std::string_view plain);

  private:
    void Advance();

    SSL_CTX* context_ = nullptr;
    SSL* ssl_ = nullptr;
    BIO* input_ = nullptr;
    BIO* output_ = nullptr;
    bool handshakeDone_ = false;
    bool failed_ = false;
    std::string plain_;
};

}  // namespace corvane::testing

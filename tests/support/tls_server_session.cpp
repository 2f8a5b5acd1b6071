#include "tests/support/tls_server_session.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <utility>

namespace corvane::testing {

TlsServerSession::TlsServerSession(const std::string& certificate, const std::string& key) {
    context_ = SSL_CTX_new(TLS_server_method());
    if (context_ == nullptr ||
        SSL_CTX_use_certificate_chain_file(context_, certificate.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context_, key.c_str(), SSL_FILETYPE_PEM) != 1) {
        failed_ = true;
        return;
    }
    ssl_ = SSL_new(context_);
    input_ = BIO_new(BIO_s_mem());
    output_ = BIO_new(BIO_s_mem());
    SSL_set_bio(ssl_, input_, output_);
    SSL_set_accept_state(ssl_);
}

TlsServerSession::~TlsServerSession() {
    SSL_free(ssl_);
    SSL_CTX_free(context_);
}

bool TlsServerSession::PutReceived(const char* data, std::size_t size) {
    if (failed_) return false;
    BIO_write(input_, data, static_cast<int>(size));
    Advance();
    return !failed_;
}

void TlsServerSession::Advance() {
    ERR_clear_error();
    if (!handshakeDone_) {
        const int result = SSL_do_handshake(ssl_);
        if (result == 1) {
            handshakeDone_ = true;
        } else {
            failed_ = SSL_get_error(ssl_, result) != SSL_ERROR_WANT_READ;
            return;
        }
    }
    char block[16384];
    for (;;) {
        const int got = SSL_read(ssl_, block, sizeof block);
        if (got > 0) {
            plain_.append(block, static_cast<std::size_t>(got));
            continue;
        }
        failed_ = SSL_get_error(ssl_, got) != SSL_ERROR_WANT_READ;
        return;
    }
}

std::string TlsServerSession::TakePlain() {
    return std::exchange(plain_, {});
}

std::string TlsServerSession::TakeOutgoing() {
    std::string bytes;
    char block[16384];
    for (;;) {
        const int got = BIO_read(output_, block, sizeof block);
        if (got <= 0) break;
        bytes.append(block, static_cast<std::size_t>(got));
    }
    return bytes;
}

std::string TlsServerSession::Seal(std::string_view plain) {
    if (!plain.empty() && ssl_ != nullptr)
        SSL_write(ssl_, plain.data(), static_cast<int>(plain.size()));
    return TakeOutgoing();
}

}  // namespace corvane::testing

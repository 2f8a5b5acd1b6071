#include "platform/tls_session.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cstdlib>

#include "platform/async_socket.h"

namespace corvane::platform {
namespace {

struct ContextFree {
    void operator()(SSL_CTX* context) const { SSL_CTX_free(context); }
};

// One client context for the program, made again when SSL_CERT_FILE changes so that a trust
// store named after start (as tests do) is the one used.
SSL_CTX* ClientContext(int (*verify)(int, X509_STORE_CTX*)) {
    static std::unique_ptr<SSL_CTX, ContextFree> context;
    static std::string madeFor;
    const char* file = std::getenv("SSL_CERT_FILE");
    const std::string wanted = file != nullptr ? file : "";
    if (context != nullptr && wanted == madeFor) return context.get();
    context.reset(SSL_CTX_new(TLS_client_method()));
    madeFor = wanted;
    if (context == nullptr) return nullptr;
    SSL_CTX* made = context.get();
    SSL_CTX_set_min_proto_version(made, TLS1_2_VERSION);
    SSL_CTX_set_max_proto_version(made, TLS1_3_VERSION);
    SSL_CTX_set_default_verify_paths(made);
    SSL_CTX_set_verify(made, SSL_VERIFY_PEER, verify);
    SSL_CTX_set_session_cache_mode(made, SSL_SESS_CACHE_OFF);
    return made;
}

bool IsNumericAddress(const std::string& host) {
    unsigned char address[16];
    return inet_pton(AF_INET, host.c_str(), address) == 1 ||
           inet_pton(AF_INET6, host.c_str(), address) == 1;
}

std::string ProblemText(int error) {
    switch (error) {
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
            return "unknown issuer";
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
            return "self-signed certificate";
        case X509_V_ERR_CERT_HAS_EXPIRED:
            return "expired";
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return "not yet valid";
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return "wrong host name";
        default:
            return X509_verify_cert_error_string(error);
    }
}

}  // namespace

std::unique_ptr<TlsSession> TlsSession::StartClient(std::string_view hostView) {
    ERR_clear_error();
    SSL_CTX* context = ClientContext(&TlsSession::VerifyCallback);
    if (context == nullptr) return nullptr;
    std::unique_ptr<TlsSession> session(new TlsSession);
    session->ssl_ = SSL_new(context);
    if (session->ssl_ == nullptr) return nullptr;
    session->input_ = BIO_new(BIO_s_mem());
    session->output_ = BIO_new(BIO_s_mem());
    if (session->input_ == nullptr || session->output_ == nullptr) {
        BIO_free(session->input_);
        BIO_free(session->output_);
        session->input_ = session->output_ = nullptr;
        return nullptr;
    }
    SSL_set_bio(session->ssl_, session->input_, session->output_);
    SSL_set_app_data(session->ssl_, session.get());
    SSL_set_connect_state(session->ssl_);
    const std::string host(hostView);
    if (IsNumericAddress(host)) {
        if (X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(session->ssl_), host.c_str()) != 1)
            return nullptr;
    } else {
        SSL_set_hostflags(session->ssl_, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        if (SSL_set1_host(session->ssl_, host.c_str()) != 1 ||
            SSL_set_tlsext_host_name(session->ssl_, host.c_str()) != 1) {
            return nullptr;
        }
    }
    return session;
}

TlsSession::~TlsSession() {
    SSL_free(ssl_);
}

// Records the first fault of the chain and lets the handshake go on: whether the connection
// may be used is the user's question, asked once the handshake is over.
int TlsSession::VerifyCallback(int ok, X509_STORE_CTX* context) {
    auto* ssl = static_cast<SSL*>(
        X509_STORE_CTX_get_ex_data(context, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* session = ssl != nullptr ? static_cast<TlsSession*>(SSL_get_app_data(ssl)) : nullptr;
    if (!ok && session != nullptr && session->firstVerifyError_ == 0) {
        session->firstVerifyError_ = X509_STORE_CTX_get_error(context);
        if (session->firstVerifyError_ == 0) session->firstVerifyError_ = X509_V_ERR_UNSPECIFIED;
    }
    return 1;
}

int TlsSession::Handshake() {
    if (handshakeDone_) return 0;
    ERR_clear_error();
    const int result = SSL_do_handshake(ssl_);
    TakeOutgoing();
    if (result == 1) {
        handshakeDone_ = true;
        DescribePeer();
        return 0;
    }
    if (SSL_get_error(ssl_, result) == SSL_ERROR_WANT_READ && !peerClosed_) {
        return kSocketWouldBlock;
    }
    NoteFailure();
    if (failure_.empty()) failure_ = "connection closed during the handshake";
    return kSocketTlsFailed;
}

void TlsSession::DescribePeer() {
    peer_ = TlsPeer{};
    X509* certificate = SSL_get1_peer_certificate(ssl_);
    if (certificate != nullptr) {
        if (BIO* text = BIO_new(BIO_s_mem())) {
            X509_NAME_print_ex(text, X509_get_subject_name(certificate), 0,
                               XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
            char* data = nullptr;
            const long length = BIO_get_mem_data(text, &data);
            if (length > 0) peer_.subject.assign(data, static_cast<std::size_t>(length));
            BIO_free(text);
        }
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int digestLength = 0;
        if (X509_digest(certificate, EVP_sha256(), digest, &digestLength) == 1) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            for (unsigned int i = 0; i < digestLength; ++i) {
                peer_.fingerprint += kHex[digest[i] >> 4];
                peer_.fingerprint += kHex[digest[i] & 15];
            }
        }
        X509_free(certificate);
    }
    const long result = SSL_get_verify_result(ssl_);
    const int fault = firstVerifyError_ != 0 ? firstVerifyError_ : static_cast<int>(result);
    peer_.verified = certificate != nullptr && fault == X509_V_OK;
    if (certificate == nullptr) {
        peer_.problem = "no certificate";
    } else if (!peer_.verified) {
        peer_.problem = ProblemText(fault);
    }
}

void TlsSession::PutReceived(const char* data, std::size_t size) {
    if (size == 0) return;
    BIO_write(input_, data, static_cast<int>(size));
    // Follow the record framing: a five-byte header whose last two bytes are the body length.
    std::size_t at = 0;
    while (at < size) {
        if (bodyLeft_ > 0) {
            const std::size_t take = std::min(bodyLeft_, size - at);
            bodyLeft_ -= take;
            at += take;
            continue;
        }
        header_[headerFill_++] = static_cast<std::uint8_t>(data[at++]);
        if (headerFill_ == sizeof header_) {
            bodyLeft_ = static_cast<std::size_t>(header_[3]) << 8 | header_[4];
            headerFill_ = 0;
        }
    }
}

void TlsSession::PeerClosed() {
    peerClosed_ = true;
    // An empty input now reads as the end of the stream instead of "try again".
    BIO_set_mem_eof_return(input_, 0);
}

SocketTransfer TlsSession::Read(void* buffer, std::size_t size) {
    ERR_clear_error();
    const int chunk = static_cast<int>(std::min<std::size_t>(size, 1 << 30));
    const int result = SSL_read(ssl_, buffer, chunk);
    TakeOutgoing();
    if (result > 0) return {static_cast<std::size_t>(result), 0};
    switch (SSL_get_error(ssl_, result)) {
        case SSL_ERROR_ZERO_RETURN:
            return {0, 0};
        case SSL_ERROR_WANT_READ:
            if (!peerClosed_) return {0, kSocketWouldBlock};
            break;
        default:
            break;
    }
    if (peerClosed_ && BetweenRecords() && BIO_ctrl_pending(input_) == 0) {
        ERR_clear_error();
        return {0, 0};
    }
    NoteFailure();
    if (failure_.empty()) failure_ = "connection closed inside a record";
    return {0, kSocketTlsFailed};
}

SocketTransfer TlsSession::Write(const void* data, std::size_t size) {
    if (size == 0) return {0, 0};
    ERR_clear_error();
    const int chunk = static_cast<int>(std::min<std::size_t>(size, 1 << 30));
    const int result = SSL_write(ssl_, data, chunk);
    TakeOutgoing();
    if (result > 0) return {static_cast<std::size_t>(result), 0};
    NoteFailure();
    return {0, kSocketTlsFailed};
}

bool TlsSession::HasBufferedInput() const {
    return SSL_has_pending(ssl_) == 1 || BIO_ctrl_pending(input_) > 0;
}

void TlsSession::TakeOutgoing() {
    char block[16384];
    for (;;) {
        const int got = BIO_read(output_, block, sizeof block);
        if (got <= 0) break;
        outgoing_.append(block, static_cast<std::size_t>(got));
    }
}

void TlsSession::NoteFailure() {
    const unsigned long code = ERR_get_error();
    if (code != 0) {
        const char* reason = ERR_reason_error_string(code);
        failure_ = reason != nullptr ? reason : "TLS failure";
    }
    ERR_clear_error();
}

}  // namespace corvane::platform

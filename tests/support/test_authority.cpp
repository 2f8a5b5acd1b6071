#include "tests/support/test_authority.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace corvane::testing {
namespace {

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateFree {
    void operator()(X509* certificate) const { X509_free(certificate); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Certificate = std::unique_ptr<X509, CertificateFree>;

constexpr long kDay = 24 * 60 * 60;
constexpr char kLocalNames[] = "DNS:localhost,IP:127.0.0.1";

struct Request {
    const char* commonName;
    const char* altNames;  // null for an authority
    long validFromDays;
    long validToDays;
};

void AddExtension(X509* certificate, X509V3_CTX& context, int nid, const char* value) {
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (extension == nullptr) throw std::runtime_error("bad certificate extension");
    X509_add_ext(certificate, extension, -1);
    X509_EXTENSION_free(extension);
}

// Signed by `issuer` with `issuerKey`; self-signed when the issuer is null.
Certificate Make(const Request& request, EVP_PKEY* key, X509* issuer, EVP_PKEY* issuerKey) {
    static long serial = 1;
    Certificate made(X509_new());
    X509* certificate = made.get();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), serial++);
    X509_gmtime_adj(X509_getm_notBefore(certificate), request.validFromDays * kDay);
    X509_gmtime_adj(X509_getm_notAfter(certificate), request.validToDays * kDay);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    const auto* organisation = reinterpret_cast<const unsigned char*>("Corvane Tests");
    const auto* commonName = reinterpret_cast<const unsigned char*>(request.commonName);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, organisation, -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, commonName, -1, -1, 0);
    X509_set_issuer_name(certificate, issuer != nullptr ? X509_get_subject_name(issuer) : name);
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer != nullptr ? issuer : certificate, certificate, nullptr,
                   nullptr, 0);
    AddExtension(certificate, context, NID_subject_key_identifier, "hash");
    if (request.altNames == nullptr) {
        AddExtension(certificate, context, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(certificate, context, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        AddExtension(certificate, context, NID_basic_constraints, "CA:FALSE");
        AddExtension(certificate, context, NID_subject_alt_name, request.altNames);
        if (issuer != nullptr)
            AddExtension(certificate, context, NID_authority_key_identifier, "keyid:always");
    }
    if (X509_sign(certificate, issuerKey != nullptr ? issuerKey : key, EVP_sha256()) == 0)
        throw std::runtime_error("cannot sign a test certificate");
    return made;
}

void WritePem(const std::string& path, X509* certificate, EVP_PKEY* key) {
    FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr) throw std::runtime_error("cannot write " + path);
    const bool written = certificate != nullptr ? PEM_write_X509(file, certificate) == 1
                                                : PEM_write_PrivateKey(file, key, nullptr, nullptr,
                                                                       0, nullptr, nullptr) == 1;
    std::fclose(file);
    if (!written) throw std::runtime_error("cannot write " + path);
    chmod(path.c_str(), 0644);
}

}  // namespace

TestAuthority& TestAuthority::Trusted() {
    static TestAuthority authority;
    return authority;
}

TestAuthority::TestAuthority() {
    // Servers that drop privileges read these files.
    chmod(directory_.path().c_str(), 0755);
    const Key authorityKey(EVP_EC_gen("P-256"));
    const Key strangerKey(EVP_EC_gen("P-256"));
    const Certificate authority =
        Make({"Corvane Test Authority", nullptr, -1, 3650}, authorityKey.get(), nullptr, nullptr);
    const Certificate stranger =
        Make({"Stranger Authority", nullptr, -1, 3650}, strangerKey.get(), nullptr, nullptr);
    authority_ = {directory_.File("authority.pem"), directory_.File("authority.key")};
    WritePem(authority_.certificate, authority.get(), nullptr);

    struct Server {
        Kind kind;
        Request request;
        bool selfSigned;
        bool byStranger;
    };
    const Server servers[] = {
        {Kind::kValid, {"localhost", kLocalNames, -1, 365}, false, false},
        {Kind::kWrongHost, {"other.example", "DNS:other.example", -1, 365}, false, false},
        {Kind::kExpired, {"localhost", kLocalNames, -30, -1}, false, false},
        {Kind::kSelfSigned, {"localhost", kLocalNames, -1, 365}, true, false},
        {Kind::kUnknownIssuer, {"localhost", kLocalNames, -1, 365}, false, true},
    };
    for (const Server& server : servers) {
        const Key key(EVP_EC_gen("P-256"));
        X509* issuer = server.selfSigned   ? nullptr
                       : server.byStranger ? stranger.get()
                                           : authority.get();
        EVP_PKEY* issuerKey = server.selfSigned   ? nullptr
                              : server.byStranger ? strangerKey.get()
                                                  : authorityKey.get();
        const Certificate certificate = Make(server.request, key.get(), issuer, issuerKey);
        const std::string name = "server" + std::to_string(static_cast<int>(server.kind));
        Files& files = servers_[static_cast<int>(server.kind)];
        files = {directory_.File(name + ".pem"), directory_.File(name + ".key")};
        WritePem(files.certificate, certificate.get(), nullptr);
        WritePem(files.key, nullptr, key.get());
    }
    setenv("SSL_CERT_FILE", authority_.certificate.c_str(), 1);
}

}  // namespace corvane::testing

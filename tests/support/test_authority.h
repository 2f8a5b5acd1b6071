#pragma once
// A certificate authority made by the tests themselves and trusted, for the whole test program,
// through SSL_CERT_FILE; with server certificates of each kind a client must tell apart. Keys
// are P-256, made fresh for every run: nothing secret lives in the tree.
//
//   const auto server = TestAuthority::Trusted().Server(TestAuthority::Kind::kValid);
//   web.UseTls(server.certificate, server.key);

#include <string>

#include "tests/support/scratch_directory.h"

namespace corvane::testing {

class TestAuthority {
  public:
    enum class Kind {
        kValid,          // for localhost and 127.0.0.1, signed by the trusted authority
        kWrongHost,      // for other.example only
        kExpired,        // ended yesterday
        kSelfSigned,     // its own issuer
        kUnknownIssuer,  // signed by an authority nobody trusts
    };
    struct Files {
        std::string certificate;  // PEM
        std::string key;          // PEM, unencrypted
    };

    // The program's authority, made on first use; from then on SSL_CERT_FILE names it.
    static TestAuthority& Trusted();

    const Files& Server(Kind kind) const { return servers_[static_cast<int>(kind)]; }

  private:
    TestAuthority();

    ScratchDirectory directory_;
    Files authority_;
    Files servers_[5];
};

}  // namespace corvane::testing

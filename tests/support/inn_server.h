#pragma once
// INN on loopback for news tests: innd with a private configuration in a scratch directory, fed
// fixture articles over IHAVE, and two standalone readers (nnrpd): an open one and one that
// answers 480 until AUTHINFO USER/PASS logs in. Everything runs as the news user and stops when
// the object goes.

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/loopback_server.h"
#include "tests/support/scratch_directory.h"

namespace corvane::testing {

struct InnGroup {
    std::string name;
    std::string description;
};

class InnServer {
  public:
    InnServer() = default;
    ~InnServer();

    // Before Start: the readers offer STARTTLS with this certificate (PEM files), and a third
    // reader speaks TLS from the start on TlsReaderPort().
    void UseTls(const std::string& certificate, const std::string& key);

    // Writes the configuration with these groups and starts innd and the readers; false when
    // any of them failed (Log() says why).
    bool Start(const std::vector<InnGroup>& groups);
    // Offers an article (headers and body with LF or CR LF line ends, not yet dot-stuffed) over
    // IHAVE; true when innd took it.
    bool Feed(const std::string& messageId, const std::string& article);

    std::uint16_t ReaderPort() const { return reader_.port(); }
    std::uint16_t AuthReaderPort() const { return authReader_.port(); }
    std::uint16_t TlsReaderPort() const { return tlsReader_.port(); }
    // The login the authenticating reader accepts.
    static constexpr const char* kUser = "reader";
    static constexpr const char* kPassword = "secret";
    std::string Log() const;

  private:
    bool Configure(const std::vector<InnGroup>& groups);
    std::vector<std::string> AsNews(std::vector<std::string> command) const;

    ScratchDirectory scratch_;
    std::string conf_;
    std::uint16_t innPort_ = 0;
    LoopbackServer innd_;
    LoopbackServer reader_;
    LoopbackServer authReader_;
    LoopbackServer tlsReader_;
    std::string certificate_;
    std::string key_;
};

}  // namespace corvane::testing

#pragma once
// The SMTP servers the mail tests send to, each on 127.0.0.1 and a free port inside a scratch
// directory: aiosmtpd as a recorder (every message's envelope and exact bytes in files; recipients
// whose local part is "reject" get 550, "later" 451), and exim4 as a real MTA that delivers
// every message to one Maildir, offering STARTTLS with the test authority's certificate.

#include <string>
#include <vector>

#include "tests/support/loopback_server.h"

namespace corvane::testing {

class RecordingSmtpServer {
  public:
    explicit RecordingSmtpServer(std::string directory);
    bool Start();
    std::uint16_t port() const { return server_.port(); }
    std::string Log() const;

    // Message `n` (from 1): "HELO name", "MAIL from" and one line per recipient; and the data as
    // received, dot-stuffing undone. Empty when there is none.
    std::string Envelope(int n) const;
    std::string Data(int n) const;

  private:
    std::string directory_;
    LoopbackServer server_;
};

class EximServer {
  public:
    explicit EximServer(std::string directory);
    bool Start();
    std::uint16_t port() const { return server_.port(); }
    std::string Log() const;
    // The files delivered to the Maildir's "new" folder, waiting up to 10 s for `count` of them.
    std::vector<std::string> Delivered(std::size_t count) const;

  private:
    std::string directory_;
    LoopbackServer server_;
};

}  // namespace corvane::testing

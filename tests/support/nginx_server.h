#pragma once
// nginx on 127.0.0.1 and a free port, with a private configuration, document root and logs in
// a scratch directory, started by the test and stopped (TERM, then KILL after 5 s) when it
// ends. A missing nginx fails the test; it is never skipped.
//
//   NginxServer web("location = /moved { return 301 /next.html; }");
//   web.Root().Write("next.html", "...");        // before or after Start
//   ASSERT_TRUE(web.Start()) << web.Log();
//   ... "http://127.0.0.1:" + std::to_string(web.Port()) + "/moved" ...

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "tests/support/loopback_server.h"
#include "tests/support/scratch_directory.h"

namespace corvane::testing {

class NginxServer {
  public:
    // `serverLines` go into the server block, after the listen, root and 404 page lines.
    explicit NginxServer(std::string serverLines);
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    // Before Start: serves TLS with the certificate and key files (PEM); `lines` go beside them
    // ("ssl_protocols TLSv1;"). Url() then names https.
    void UseTls(std::string certificate, std::string key, std::string lines = {});

    // Starts nginx and waits (up to 10 s) until it listens. False with the reason in Log().
    bool Start();
    void Stop();
    std::uint16_t Port() const { return port_; }
    std::string Url(std::string_view path) const;
    // The document root; every file in it is given a fixed time, 2020-01-02 03:04:05 UTC.
    const ScratchDirectory& Root() const { return root_; }
    std::string AccessLog() const { return ReadFile(state_.File("access.log")); }
    // The access log once `text` stands in it `count` times, or as it is after 5 s. nginx writes
    // an entry only after the answer has gone, so a client may be done before its line is there.
    std::string AccessLogWith(std::string_view text, std::size_t count = 1) const;
    std::string Log() const { return log_ + process_.Log() + ReadFile(state_.File("error.log")); }

  private:
    ScratchDirectory state_;
    ScratchDirectory root_;
    std::string serverLines_;
    std::string tlsLines_;  // empty: plain http
    std::uint16_t port_ = 0;
    LoopbackServer process_;
    std::string log_;
};

}  // namespace corvane::testing

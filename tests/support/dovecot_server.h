#pragma once
// dovecot's POP3 server on 127.0.0.1 and a free port, with a private configuration, a
// password file and Maildirs inside a scratch directory; run in the foreground and stopped when
// the object goes.

#include <string>

#include "tests/support/loopback_server.h"

namespace corvane::testing {

class DovecotServer {
  public:
    // directory: an empty scratch directory (its path under about 60 characters, since the
    // server's sockets live in it).
    explicit DovecotServer(std::string directory);

    // A user with a plain-text password and an empty Maildir.
    void AddUser(const std::string& user, const std::string& password);
    // A message in the user's Maildir "new" folder, with LF line ends as stored there.
    void AddMessage(const std::string& user, const std::string& name, const std::string& text);
    // The files in the user's Maildir (new and cur).
    int MessagesOnServer(const std::string& user) const;

    // Before Start: TLS with these PEM files, offered through STLS on port() and from the start
    // on tlsPort().
    void UseTls(const std::string& certificate, const std::string& key);

    bool Start();
    std::uint16_t port() const { return server_.port(); }
    std::uint16_t tlsPort() const { return tlsPort_; }
    std::string Log() const;

  private:
    std::string Maildir(const std::string& user) const;

    std::string directory_;
    std::string passwords_;
    std::string tlsSettings_ = "ssl = no\n";
    std::uint16_t tlsPort_ = 0;
    LoopbackServer server_;
};

}  // namespace corvane::testing

#pragma once
// A real server started by a test on 127.0.0.1 and a free port, run without a shell, and stopped
// when the test ends (TERM, up to 5 s, then KILL). Its standard error goes to a log that failing
// tests show.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::testing {

// A port on 127.0.0.1 that nothing listens on at the moment of asking.
std::uint16_t FreeLoopbackPort();

// A listening socket on 127.0.0.1 that never accepts, its queue filled at once, so that a
// further connect to it neither succeeds nor fails: a server that never answers.
class StalledListener {
  public:
    StalledListener();
    ~StalledListener();
    StalledListener(const StalledListener&) = delete;
    StalledListener& operator=(const StalledListener&) = delete;

    std::uint16_t port() const { return port_; }

  private:
    int listenFd_ = -1;
    std::vector<int> queued_;
    std::uint16_t port_ = 0;
};

// Connects from `fromAddress` (any 127.x.y.z) to 127.0.0.1:port, writes `bytes` and answers the
// descriptor, -1 on failure. The caller closes it.
int ConnectFrom(const char* fromAddress, std::uint16_t port, const std::string& bytes);

class LoopbackServer {
  public:
    LoopbackServer() = default;
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Starts the program (argv[0] a full path); every "{port}" in an argument becomes port(),
    // `port` when given, else a free one. Waits up to 10 s for the port to accept; false when it
    // never does (the log says why).
    bool Start(std::vector<std::string> argv, const std::string& logPath, std::uint16_t port = 0);
    void Stop();

    std::uint16_t port() const { return port_; }
    std::string Log() const;

  private:
    pid_t pid_ = -1;
    std::uint16_t port_ = 0;
    std::string logPath_;
};

// Makes the directory readable and searchable by others, as servers that drop their privileges
// need; false when that fails or a parent directory is not searchable by others.
bool OpenToServers(const std::string& directory);

}  // namespace corvane::testing

#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/support/scratch_directory.h"

namespace corvane::testing {
namespace {

sockaddr_in Loopback(std::uint16_t port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    return address;
}

bool Accepts(std::uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(port);
    const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return connected;
}

}  // namespace

std::uint16_t FreeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    std::uint16_t port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

StalledListener::StalledListener() {
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listenFd_, 0) != 0 ||
        getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return;
    port_ = ntohs(address.sin_port);
    // A backlog of 0 still queues a connection or two; later ones wait for ever.
    for (int i = 0; i < 3; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        address = Loopback(port_);
        (void)connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        queued_.push_back(fd);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
}

StalledListener::~StalledListener() {
    for (const int fd : queued_) close(fd);
    if (listenFd_ >= 0) close(listenFd_);
}

int ConnectFrom(const char* fromAddress, std::uint16_t port, const std::string& bytes) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in from = Loopback(0);
    inet_pton(AF_INET, fromAddress, &from.sin_addr);
    sockaddr_in to = Loopback(port);
    if (bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
        connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 ||
        write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        close(fd);
        return -1;
    }
    return fd;
}

LoopbackServer::~LoopbackServer() {
    Stop();
}

bool LoopbackServer::Start(std::vector<std::string> argv, const std::string& logPath,
                           std::uint16_t port) {
    port_ = port != 0 ? port : FreeLoopbackPort();
    logPath_ = logPath;
    const std::string portText = std::to_string(port_);
    for (std::string& argument : argv) {
        for (std::size_t at; (at = argument.find("{port}")) != std::string::npos;)
            argument.replace(at, 6, portText);
    }
    std::vector<char*> pointers;
    for (std::string& argument : argv) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        // A test that aborts (a sanitizer's report) must not leave its server running.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(log, 1);
        dup2(log, 2);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    close(log);
    for (int tries = 0; tries < 100; ++tries) {
        if (Accepts(port_)) return true;
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

void LoopbackServer::Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int tries = 0; tries < 50; ++tries) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

std::string LoopbackServer::Log() const {
    return ReadFile(logPath_);
}

bool OpenToServers(const std::string& directory) {
    if (chmod(directory.c_str(), 0755) != 0) return false;
    for (std::string path = directory; !path.empty() && path != "/";) {
        path = path.substr(0, path.rfind('/'));
        struct stat status {};
        if (stat(path.empty() ? "/" : path.c_str(), &status) != 0 ||
            (status.st_mode & S_IXOTH) == 0)
            return false;
    }
    return true;
}

}  // namespace corvane::testing

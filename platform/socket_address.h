#pragma once
// A socket address of either family, as the system calls take it, and its readable form.

#include <sys/socket.h>

#include <cstdint>
#include <string>

namespace corvane::platform {

struct SocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;

    int Family() const { return storage.ss_family; }
    const sockaddr* Get() const { return reinterpret_cast<const sockaddr*>(&storage); }
    sockaddr* Get() { return reinterpret_cast<sockaddr*>(&storage); }
    void SetPort(std::uint16_t port);
};

// Numeric host text and port in host order. An IPv6-mapped IPv4 address reads as plain IPv4,
// which is what a PORT command or a log line wants.
struct SocketEndpoint {
    std::string address;
    std::uint16_t port = 0;
};

SocketEndpoint DescribeAddress(const SocketAddress& address);

}  // namespace corvane::platform

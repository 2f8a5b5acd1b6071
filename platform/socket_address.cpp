#include "platform/socket_address.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstring>

namespace corvane::platform {

void SocketAddress::SetPort(std::uint16_t port) {
    if (Family() == AF_INET) {
        reinterpret_cast<sockaddr_in*>(&storage)->sin_port = htons(port);
    } else if (Family() == AF_INET6) {
        reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port = htons(port);
    }
}

SocketEndpoint DescribeAddress(const SocketAddress& address) {
    SocketEndpoint endpoint;
    char text[INET6_ADDRSTRLEN] = {};
    if (address.Family() == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&address.storage);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        endpoint.port = ntohs(v4->sin_port);
    } else if (address.Family() == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&address.storage);
        if (IN6_IS_ADDR_V4MAPPED(&v6->sin6_addr)) {
            in_addr v4;
            std::memcpy(&v4, v6->sin6_addr.s6_addr + 12, sizeof v4);
            inet_ntop(AF_INET, &v4, text, sizeof text);
        } else {
            inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        }
        endpoint.port = ntohs(v6->sin6_port);
    }
    endpoint.address = text;
    return endpoint;
}

}  // namespace corvane::platform

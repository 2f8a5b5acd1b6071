#include "platform/services.h"

#include <limits.h>
#include <netdb.h>
#include <netinet/in.h>
#include <unistd.h>

#include <vector>

namespace corvane::platform {

std::uint16_t ServicePort(std::string_view name, std::uint16_t defaultPort) {
    // A name with a NUL inside would be looked up cut short, as some other service.
    if (name.empty() || name.find('\0') != std::string_view::npos) return defaultPort;
    const std::string service(name);
    servent entry{};
    servent* found = nullptr;
    std::vector<char> buffer(1024);
    while (getservbyname_r(service.c_str(), "tcp", &entry, buffer.data(), buffer.size(), &found) ==
               ERANGE &&
           buffer.size() < 65536) {
        buffer.resize(buffer.size() * 2);
    }
    if (found == nullptr) return defaultPort;
    return ntohs(static_cast<std::uint16_t>(found->s_port));
}

std::string LocalHostName() {
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

}  // namespace corvane::platform

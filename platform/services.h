#pragma once
// The system's services database and the machine's own name.

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::platform {

// The TCP port of a named service ("http", "nntp"...) in host order, or defaultPort when the
// services database does not know the name.
std::uint16_t ServicePort(std::string_view name, std::uint16_t defaultPort);

// The local host name as the system reports it; empty if it cannot be had.
std::string LocalHostName();

}  // namespace corvane::platform

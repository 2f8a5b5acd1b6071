#include "platform/socket_error.h"

#include <cstring>

namespace corvane::platform {

std::string SocketErrorText(int error) {
    if (error == 0) return "no error";
    if (error == kSocketHostNotFound) return "host not found";
    if (error == kSocketTlsFailed) return "secure connection failed";
    if (error == kSocketUntrustedPeer) return "certificate not trusted";
    return std::strerror(error);
}

}  // namespace corvane::platform

#pragma once
// Error codes of the asynchronous socket: 0 for success, otherwise an errno value or one of the
// codes below. Code that came from the Windows socket world compares against the two "would
// block" names; on this system a pending operation only ever reports kSocketWouldBlock.

#include <cerrno>
#include <string>

namespace corvane::platform {

inline constexpr int kSocketWouldBlock = EWOULDBLOCK;  // WSAEWOULDBLOCK: try again on notification
inline constexpr int kSocketInProgress = EINPROGRESS;  // WSAEINPROGRESS
// The host text names no address (outside the errno range).
inline constexpr int kSocketHostNotFound = 0x10000;
// The TLS handshake failed, or a secured stream was broken or cut inside a record.
inline constexpr int kSocketTlsFailed = 0x10001;
// The TLS handshake ended but the server's certificate did not pass the check: the connection
// stays unusable until its owner accepts the certificate.
inline constexpr int kSocketUntrustedPeer = 0x10002;

// A short English description for status texts and diagnostics.
std::string SocketErrorText(int error);

}  // namespace corvane::platform

#pragma once
// CHTTP fetches http and https addresses, and every address whose scheme goes through a proxy,
// over one HTTP/1.0 connection per request (TLS for https; through the http proxy, https goes in
// a CONNECT tunnel): it serves the disk cache's copy when allowed, sends a GET or
// a form POST, reads the status line and the headers, hands redirections to the load, serves
// the copy again on a 304 answer to a conditional request, asks for Basic logins, and streams
// the body to the convertor its content type chooses.
//
// Order of calls: Attach -> Open (cache check, then Connect) -> [through a proxy, https only:
// StartDialogue asks for the tunnel -> OnTunnelStatus -> OnTunnelLine until the empty line ->
// StartTls] -> StartDialogue sends the request
// -> OnStatusLine -> OnHeaderLine until the empty line -> EndOfHeaders: redirect, connect again
// with a login, or StartBody -> the convertor pulls -> Abort -> destroy.
//
// Headers are read from true line starts only: a piece of a line longer than the line area is
// never taken for a header, so a huge line cannot smuggle a Location, Refresh or Content-Type.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/web_stores.h"
#include "protocols/tcp_protocol.h"

namespace corvane::protocols {

class CHTTP : public CHTTCP {
  public:
    // Header bytes read before an answer is given up as hostile.
    static constexpr std::size_t kMaxHeaderBytes = 1 << 20;

    int Open() override;
    void Abort() override;
    void StartDialogue(int error) override;

    // The host text connected to: the proxy's or the address's.
    const std::string& ConnectHost() const { return connectHost_; }

    static const core::CRuntimeClass kRuntimeClass;
    const core::CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    int ConnectToServer();
    // Opens the cached copy; false when there is none to serve.
    bool OpenCopy();
    // Answers from the opened copy.
    void ServeCopy();
    std::string RequestText();
    void OnTunnelStatus(int result);
    void OnTunnelLine(int result);
    // Counts the current header line; false when the answer is to be given up as hostile.
    bool CountHeaderLine();
    void OnStatusLine(int result);
    void OnHeaderLine(int result);
    void TakeHeader(std::string_view name, std::string_view value);
    void TakeAuthenticate(std::string_view value);
    void EndOfHeaders();
    // Connects again with the current login; false when that failed (the request has failed).
    bool Reconnect();
    std::string FileName() const;
    std::string LoginHost() const;
    int LoginPort() const;
    std::int32_t CopySource(std::uint8_t* destination, std::int32_t maxLength);

    enum class Tunnel { kNone, kNeeded, kAsked, kOpen };

    std::string connectHost_;
    std::int16_t proxySlot_ = -1;
    Tunnel tunnel_ = Tunnel::kNone;
    std::unique_ptr<core::CHTStoredCopy> copy_;
    std::optional<core::CHTLogin> login_;  // sent with the request
    std::string askedRealm_;               // named by the server's WWW-Authenticate
    bool locationSeen_ = false;
    bool authenticationNeeded_ = false;
    bool realmReused_ = false;  // connected again once with a known login of the realm
    std::size_t headerBytes_ = 0;
};

// Puts CHTTP in the scheme registry for "http" (and so for every proxied scheme) and "https".
void RegisterHttpProtocol();

}  // namespace corvane::protocols

#pragma once
// What the HTTP client asks of the disk cache and of the realm store of Basic authentication.
// The stores layer implements it and the application hands it to the host services; without it
// nothing is served from a copy and no login is remembered.
//
// Logins are keyed by the address's host and port (never by a proxy's), so one site's password
// is never sent to another site behind the same proxy.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::core {

class CHTRequest;

// What a request about to be fetched does about its cached copy.
enum class CopyCheck {
    kFetch,       // no copy, or none for this request: ask the server
    kRevalidate,  // ask the server with If-Modified-Since the request's lastUsed
    kServe,       // serve the copy without asking the server
};

// A copy opened for serving.
class CHTStoredCopy {
  public:
    virtual ~CHTStoredCopy() = default;
    virtual const std::string& ContentType() const = 0;
    // Bytes read (above 0), 0 at the end, a negative error.
    virtual std::int32_t Read(std::uint8_t* destination, std::int32_t maxLength) = 0;
};

struct CHTLogin {
    std::string realm;
    std::string pathPattern;  // the paths it covers
    std::string user;
    std::string password;
    bool saved = false;
};

class CHTWebStores {
  public:
    virtual ~CHTWebStores() = default;

    // Decides for a plain request; sets its lastUsed (0 unless revalidating).
    virtual CopyCheck CheckCopy(CHTRequest& request) = 0;
    // The request's copy opened for serving; null when it has none or it cannot be read.
    virtual std::unique_ptr<CHTStoredCopy> OpenCopy(CHTRequest& request) = 0;
    // The answer now arriving is no document (an error page): it must not become the copy.
    virtual void KeepNoCopy(CHTRequest& request) = 0;

    // The login that covers the path on the server.
    virtual std::optional<CHTLogin> FindLogin(std::string_view host, int port,
                                              std::string_view path) = 0;
    // Any login known for the realm on the server.
    virtual std::optional<CHTLogin> FindRealm(std::string_view host, int port,
                                              std::string_view realm) = 0;
    // Keeps a login the user gave for the path. `refused` is the login that was sent and
    // refused: its record takes the new values, and so do the server's other records that held
    // the same realm, user and password.
    virtual void StoreLogin(std::string_view host, int port, std::string_view path,
                            const CHTLogin& login, const CHTLogin* refused) = 0;
};

}  // namespace corvane::core

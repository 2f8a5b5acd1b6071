#pragma once
// Turning a host text into addresses without blocking the thread.
//
// Numeric addresses are parsed at once. Names go to the system resolver in the background
// (getaddrinfo_a); its completion thread only writes to an eventfd that the event loop watches,
// so the answer is delivered on the loop's thread like any other event. Abandoning a lookup
// (destroying the object) is always safe: the background request keeps its own share of the
// state and frees it when it ends.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/event_loop.h"
#include "platform/socket_address.h"

namespace corvane::platform {

// Host texts longer than a DNS name can be are refused without asking anyone.
inline constexpr std::size_t kMaxHostText = 255;

// The addresses of a numeric host text (IPv4 or IPv6) with the port set; nullopt for a name.
std::optional<std::vector<SocketAddress>> ParseNumericHost(const std::string& host,
                                                           std::uint16_t port);

class NameLookup {
  public:
    // error is 0 or kSocketHostNotFound; addresses come in the resolver's order.
    using Completion = std::function<void(int error, std::vector<SocketAddress> addresses)>;

    explicit NameLookup(EventLoop& loop) : loop_(loop) {}
    NameLookup(const NameLookup&) = delete;
    NameLookup& operator=(const NameLookup&) = delete;
    ~NameLookup();

    // Starts resolving a name; the completion runs later from the event loop, never from here.
    // Answers 0, or the error that kept the lookup from starting (then no completion follows).
    // The completion may destroy this object.
    [[nodiscard]] int Start(const std::string& host, std::uint16_t port, Completion completion);

    bool Running() const { return pending_ != nullptr; }
    // Forgets a running lookup; its completion will not run.
    void Abandon();

  private:
    struct Pending;
    void Finish();

    EventLoop& loop_;
    Pending* pending_ = nullptr;  // shared with the resolver's completion thread
    WatchId watch_ = 0;
    std::uint16_t port_ = 0;
    Completion completion_;
};

}  // namespace corvane::platform

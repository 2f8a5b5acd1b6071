#include "platform/name_lookup.h"

#include <netdb.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "platform/socket_error.h"

namespace corvane::platform {
namespace {

std::vector<SocketAddress> CollectAddresses(const addrinfo* list, std::uint16_t port) {
    std::vector<SocketAddress> addresses;
    for (const addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family != AF_INET && entry->ai_family != AF_INET6) continue;
        if (entry->ai_addrlen > sizeof(sockaddr_storage)) continue;
        SocketAddress address;
        std::memcpy(&address.storage, entry->ai_addr, entry->ai_addrlen);
        address.length = entry->ai_addrlen;
        address.SetPort(port);
        addresses.push_back(address);
    }
    return addresses;
}

addrinfo StreamHints(int flags) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    return hints;
}

bool UsableHostText(const std::string& host) {
    return !host.empty() && host.size() <= kMaxHostText && host.find('\0') == std::string::npos;
}

}  // namespace

// Owned jointly by the NameLookup and the resolver's completion thread; the last one to let go
// frees it, so neither can outlive the memory the other still uses.
struct NameLookup::Pending {
    std::atomic<int> owners{2};
    int eventFd = -1;
    std::string host;
    addrinfo hints = StreamHints(0);
    gaicb request{};

    ~Pending() {
        if (request.ar_result != nullptr) freeaddrinfo(request.ar_result);
        if (eventFd >= 0) close(eventFd);
    }

    static void Release(Pending* pending) {
        if (pending->owners.fetch_sub(1, std::memory_order_acq_rel) == 1) delete pending;
    }

    // Runs on the resolver's thread: only signal the loop.
    static void Notify(sigval value) {
        auto* pending = static_cast<Pending*>(value.sival_ptr);
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(pending->eventFd, &one, sizeof one);
        Release(pending);
    }
};

std::optional<std::vector<SocketAddress>> ParseNumericHost(const std::string& host,
                                                           std::uint16_t port) {
    if (!UsableHostText(host)) return std::nullopt;
    const addrinfo hints = StreamHints(AI_NUMERICHOST);
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0) return std::nullopt;
    std::vector<SocketAddress> addresses = CollectAddresses(list, port);
    freeaddrinfo(list);
    return addresses;
}

NameLookup::~NameLookup() {
    Abandon();
}

int NameLookup::Start(const std::string& host, std::uint16_t port, Completion completion) {
    Abandon();
    if (!UsableHostText(host)) return kSocketHostNotFound;
    const int eventFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (eventFd < 0) return errno;

    auto* pending = new Pending;
    pending->eventFd = eventFd;
    pending->host = host;
    pending->request.ar_name = pending->host.c_str();
    pending->request.ar_request = &pending->hints;

    sigevent notification{};
    notification.sigev_notify = SIGEV_THREAD;
    notification.sigev_notify_function = &Pending::Notify;
    notification.sigev_value.sival_ptr = pending;
    gaicb* requests[] = {&pending->request};
    if (getaddrinfo_a(GAI_NOWAIT, requests, 1, &notification) != 0) {
        delete pending;  // never queued, so no completion thread holds it
        return EAGAIN;
    }
    pending_ = pending;
    port_ = port;
    completion_ = std::move(completion);
    watch_ = loop_.WatchFd(eventFd, kIoRead, [this](int, unsigned) { Finish(); });
    return 0;
}

void NameLookup::Finish() {
    std::uint64_t count = 0;
    if (read(pending_->eventFd, &count, sizeof count) != sizeof count) return;  // spurious
    loop_.UnwatchFd(watch_);
    watch_ = 0;
    const int status = gai_error(&pending_->request);
    std::vector<SocketAddress> addresses;
    if (status == 0) addresses = CollectAddresses(pending_->request.ar_result, port_);
    Pending::Release(pending_);
    pending_ = nullptr;
    // The completion may delete this object, so nothing of it is touched after the call.
    Completion completion = std::move(completion_);
    completion_ = nullptr;
    const int error = addresses.empty() ? kSocketHostNotFound : 0;
    completion(error, std::move(addresses));
}

void NameLookup::Abandon() {
    if (pending_ == nullptr) return;
    // No gai_cancel: a cancelled request never notifies, which would leave its share unreleased
    // inside the resolver. Letting it run out costs one background lookup.
    loop_.UnwatchFd(watch_);
    watch_ = 0;
    Pending::Release(pending_);
    pending_ = nullptr;
    completion_ = nullptr;
}

}  // namespace corvane::platform

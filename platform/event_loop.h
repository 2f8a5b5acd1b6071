#pragma once
// The one-thread event loop every subsystem runs on. It stands in for the window message loop:
// file-descriptor readiness and timers only wake work up; the idle hook steps the cooperative
// tasks while it reports remaining work; posted callbacks play the role of posted window messages.
//
// Two implementations share this interface: PollEventLoop (poll(), tests and headless runs) and
// the Qt adapter in shell/ (QSocketNotifier, QTimer) for the window.
//
// Callbacks are never run from inside the call that registered them: a callback registered or
// posted while another runs waits for a later turn of the loop.

#include <cstdint>
#include <functional>

namespace corvane::platform {

// Readiness bits for WatchFd and the callback's argument.
enum IoEvents : unsigned {
    kIoRead = 1u << 0,
    kIoWrite = 1u << 1,
    kIoError = 1u << 2,  // error or hang-up; delivered whatever was asked for
};

using WatchId = std::uint64_t;
using TimerId = std::uint64_t;

class EventLoop {
public:
    using Callback = std::function<void()>;
    using FdCallback = std::function<void(int fd, unsigned events)>;
    // Returns true while it has more work to do; the loop then calls it again as soon as no
    // other event is ready, and otherwise sleeps until an event arrives.
    using IdleHook = std::function<bool()>;

    virtual ~EventLoop() = default;

    // Watches fd for the given readiness bits until UnwatchFd. The callback may unwatch itself.
    virtual WatchId WatchFd(int fd, unsigned events, FdCallback callback) = 0;
    virtual void SetFdEvents(WatchId id, unsigned events) = 0;
    virtual void UnwatchFd(WatchId id) = 0;

    // One-shot or repeating timer; a repeating timer fires every intervalMs until stopped.
    virtual TimerId StartTimer(std::uint32_t intervalMs, bool repeating, Callback callback) = 0;
    virtual void StopTimer(TimerId id) = 0;

    // Runs the callback on a later turn of the loop, as a posted window message would.
    virtual void Post(Callback callback) = 0;

    // The scheduler pass hangs here. One hook per loop; an empty function removes it.
    virtual void SetIdleHook(IdleHook hook) = 0;

    // True when user input, a due timer or a posted message is waiting: cooperative tasks that
    // yield ask this to decide whether to give the loop a turn.
    virtual bool HasPendingInput() = 0;

    // Runs until Quit is called.
    virtual void Run() = 0;
    virtual void Quit() = 0;

    // Runs until condition() answers true or timeoutMs elapse; answers condition() at the end.
    // The condition is checked after every event handled.
    virtual bool RunUntil(const std::function<bool()>& condition, std::uint32_t timeoutMs) = 0;
};

// Milliseconds from a fixed, monotonic origin; wraps like the 32-bit tick count it replaces.
std::uint32_t TickCount();

}  // namespace corvane::platform

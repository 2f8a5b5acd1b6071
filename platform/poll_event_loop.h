#pragma once
// The event loop of tests and headless runs, built on poll().
//
// One turn of the loop: poll the watched descriptors (without sleeping when posted callbacks wait
// or the idle hook has work, otherwise until the next timer), then deliver ready descriptors, due
// timers and posted callbacks in that order. Each turn delivers only what was ready when it began,
// so anything registered from a callback waits for a later turn. The idle hook runs on a turn in
// which nothing else was ready; after it answers false the loop sleeps until some other event.
//
// Dispatch is safe against callbacks that unwatch, stop or replace anything, themselves included:
// the callback being run is kept alive until it returns. Run and RunUntil may be nested inside a
// callback (a long job pumping the loop). Not thread-safe: everything happens on the thread that
// runs the loop, and the loop must outlive every watch, timer and posted callback it holds.

#include <poll.h>

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "platform/event_loop.h"

namespace corvane::platform {

class PollEventLoop final : public EventLoop {
  public:
    PollEventLoop() = default;
    PollEventLoop(const PollEventLoop&) = delete;
    PollEventLoop& operator=(const PollEventLoop&) = delete;
    ~PollEventLoop() override = default;

    WatchId WatchFd(int fd, unsigned events, FdCallback callback) override;
    void SetFdEvents(WatchId id, unsigned events) override;
    void UnwatchFd(WatchId id) override;

    TimerId StartTimer(std::uint32_t intervalMs, bool repeating, Callback callback) override;
    void StopTimer(TimerId id) override;

    void Post(Callback callback) override;
    void SetIdleHook(IdleHook hook) override;

    // Due timers and posted callbacks; this loop has no user input.
    bool HasPendingInput() override;

    // Quit ends the innermost Run; a RunUntil in progress returns too, leaving the request for
    // the Run around it. A Quit with no Run active makes the next Run return at once.
    void Run() override;
    void Quit() override;
    bool RunUntil(const std::function<bool()>& condition, std::uint32_t timeoutMs) override;

  private:
    struct Watch {
        int fd;
        unsigned events;
        FdCallback callback;
    };
    struct Timer {
        std::int64_t due;
        std::uint32_t interval;
        bool repeating;
        Callback callback;
    };
    using StopCheck = std::function<bool()>;

    // wakeAt < 0: no deadline of the caller's own.
    void Turn(std::int64_t wakeAt, const StopCheck& stop);
    int PollTimeout(std::int64_t wakeAt) const;
    bool TimerDue(std::int64_t now) const;
    // Each answers whether it ran a callback and sets stopped when stop() turned true.
    bool DispatchFds(const std::vector<pollfd>& fds, const std::vector<WatchId>& ids,
                     const StopCheck& stop, bool& stopped);
    bool DispatchTimers(const std::vector<TimerId>& due, std::int64_t now, const StopCheck& stop,
                        bool& stopped);
    bool DispatchPosted(std::size_t count, const StopCheck& stop, bool& stopped);
    void Schedule(TimerId id, Timer& timer, std::int64_t due);

    std::map<WatchId, std::shared_ptr<Watch>> watches_;
    std::map<TimerId, std::shared_ptr<Timer>> timers_;
    std::set<std::pair<std::int64_t, TimerId>> timerQueue_;  // (due, id), earliest first
    std::deque<Callback> posted_;
    std::shared_ptr<IdleHook> idleHook_;
    bool idleHasWork_ = false;
    bool quitRequested_ = false;
    std::uint64_t nextId_ = 1;
};

}  // namespace corvane::platform

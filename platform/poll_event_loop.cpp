#include "platform/poll_event_loop.h"

#include <cerrno>
#include <climits>

#include "platform/monotonic_clock.h"

namespace corvane::platform {
namespace {

short ToPollEvents(unsigned events) {
    short result = 0;
    if (events & kIoRead) result |= POLLIN;
    if (events & kIoWrite) result |= POLLOUT;
    return result;
}

unsigned FromPollEvents(short revents) {
    unsigned result = 0;
    if (revents & (POLLIN | POLLPRI)) result |= kIoRead;
    if (revents & POLLOUT) result |= kIoWrite;
    if (revents & (POLLERR | POLLHUP | POLLNVAL)) result |= kIoError;
    return result;
}

}  // namespace

WatchId PollEventLoop::WatchFd(int fd, unsigned events, FdCallback callback) {
    const WatchId id = nextId_++;
    watches_.emplace(id, std::make_shared<Watch>(Watch{fd, events, std::move(callback)}));
    return id;
}

void PollEventLoop::SetFdEvents(WatchId id, unsigned events) {
    if (auto it = watches_.find(id); it != watches_.end()) it->second->events = events;
}

void PollEventLoop::UnwatchFd(WatchId id) {
    watches_.erase(id);
}

TimerId PollEventLoop::StartTimer(std::uint32_t intervalMs, bool repeating, Callback callback) {
    const TimerId id = nextId_++;
    auto timer = std::make_shared<Timer>(Timer{0, intervalMs, repeating, std::move(callback)});
    Schedule(id, *timer, MonotonicMilliseconds() + intervalMs);
    timers_.emplace(id, std::move(timer));
    return id;
}

void PollEventLoop::StopTimer(TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    timerQueue_.erase({it->second->due, id});
    timers_.erase(it);
}

void PollEventLoop::Schedule(TimerId id, Timer& timer, std::int64_t due) {
    timerQueue_.erase({timer.due, id});
    timer.due = due;
    timerQueue_.insert({due, id});
}

void PollEventLoop::Post(Callback callback) {
    posted_.push_back(std::move(callback));
}

void PollEventLoop::SetIdleHook(IdleHook hook) {
    idleHook_ = hook ? std::make_shared<IdleHook>(std::move(hook)) : nullptr;
    idleHasWork_ = true;
}

bool PollEventLoop::TimerDue(std::int64_t now) const {
    return !timerQueue_.empty() && timerQueue_.begin()->first <= now;
}

bool PollEventLoop::HasPendingInput() {
    return !posted_.empty() || TimerDue(MonotonicMilliseconds());
}

void PollEventLoop::Run() {
    const StopCheck stop = [this] { return quitRequested_; };
    while (!quitRequested_) Turn(-1, stop);
    quitRequested_ = false;
}

void PollEventLoop::Quit() {
    quitRequested_ = true;
}

bool PollEventLoop::RunUntil(const std::function<bool()>& condition, std::uint32_t timeoutMs) {
    const std::int64_t deadline = MonotonicMilliseconds() + timeoutMs;
    const StopCheck stop = [&] { return quitRequested_ || condition(); };
    while (!stop() && MonotonicMilliseconds() < deadline) Turn(deadline, stop);
    return condition();
}

int PollEventLoop::PollTimeout(std::int64_t wakeAt) const {
    if (!posted_.empty() || (idleHasWork_ && idleHook_)) return 0;
    std::int64_t wake = wakeAt;
    if (!timerQueue_.empty() && (wake < 0 || timerQueue_.begin()->first < wake)) {
        wake = timerQueue_.begin()->first;
    }
    if (wake < 0) return -1;
    const std::int64_t wait = wake - MonotonicMilliseconds();
    if (wait <= 0) return 0;
    return wait > INT_MAX ? INT_MAX : static_cast<int>(wait);
}

void PollEventLoop::Turn(std::int64_t wakeAt, const StopCheck& stop) {
    std::vector<pollfd> fds;
    std::vector<WatchId> ids;
    fds.reserve(watches_.size());
    ids.reserve(watches_.size());
    for (const auto& [id, watch] : watches_) {
        fds.push_back({watch->fd, ToPollEvents(watch->events), 0});
        ids.push_back(id);
    }
    const int ready = poll(fds.data(), fds.size(), PollTimeout(wakeAt));
    if (ready < 0) return;  // EINTR; nothing else can fail with a well-formed set

    // What this turn delivers is fixed now, so nothing registered by its callbacks runs in it.
    const std::int64_t now = MonotonicMilliseconds();
    std::vector<TimerId> dueTimers;
    for (auto it = timerQueue_.begin(); it != timerQueue_.end() && it->first <= now; ++it) {
        dueTimers.push_back(it->second);
    }
    const std::size_t postedCount = posted_.size();

    bool stopped = false;
    bool handled = ready > 0 && DispatchFds(fds, ids, stop, stopped);
    if (!stopped) handled |= DispatchTimers(dueTimers, now, stop, stopped);
    if (!stopped) handled |= DispatchPosted(postedCount, stop, stopped);
    if (handled) {
        idleHasWork_ = true;  // whatever ran may have given the idle hook work
        return;
    }
    if (idleHasWork_ && idleHook_ && posted_.empty() && !TimerDue(MonotonicMilliseconds())) {
        const std::shared_ptr<IdleHook> hook = idleHook_;
        const bool moreWork = (*hook)();
        // A hook replaced from inside itself gets its own first call.
        idleHasWork_ = moreWork || hook != idleHook_;
    }
}

bool PollEventLoop::DispatchFds(const std::vector<pollfd>& fds, const std::vector<WatchId>& ids,
                                const StopCheck& stop, bool& stopped) {
    bool handled = false;
    for (std::size_t i = 0; i < fds.size(); ++i) {
        if (fds[i].revents == 0) continue;
        auto it = watches_.find(ids[i]);
        if (it == watches_.end()) continue;  // unwatched by an earlier callback of this turn
        const std::shared_ptr<Watch> watch = it->second;
        const unsigned events = FromPollEvents(fds[i].revents) & (watch->events | kIoError);
        if (events == 0) continue;
        watch->callback(watch->fd, events);
        handled = true;
        if (stop()) {
            stopped = true;
            break;
        }
    }
    return handled;
}

bool PollEventLoop::DispatchTimers(const std::vector<TimerId>& due, std::int64_t now,
                                   const StopCheck& stop, bool& stopped) {
    bool handled = false;
    for (const TimerId id : due) {
        auto it = timers_.find(id);
        // Stopped, or already fired by a loop nested in an earlier callback.
        if (it == timers_.end() || it->second->due > now) continue;
        const std::shared_ptr<Timer> timer = it->second;
        if (timer->repeating) {
            // Periods missed while the thread was busy are skipped, not fired in a burst.
            std::int64_t next = timer->due + timer->interval;
            if (next <= now) next = now + timer->interval;
            Schedule(id, *timer, next);
        } else {
            timerQueue_.erase({timer->due, id});
            timers_.erase(it);
        }
        timer->callback();
        handled = true;
        if (stop()) {
            stopped = true;
            break;
        }
    }
    return handled;
}

bool PollEventLoop::DispatchPosted(std::size_t count, const StopCheck& stop, bool& stopped) {
    bool handled = false;
    // A loop nested in one of these callbacks may already have run some of the others.
    for (; count > 0 && !posted_.empty(); --count) {
        Callback callback = std::move(posted_.front());
        posted_.pop_front();
        callback();
        handled = true;
        if (stop()) {
            stopped = true;
            break;
        }
    }
    return handled;
}

}  // namespace corvane::platform

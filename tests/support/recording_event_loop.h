#pragma once
// An event loop that only records timers and the idle hook; nothing runs by itself.

#include <map>

#include "platform/event_loop.h"

namespace corvane::testing {

class RecordingEventLoop : public platform::EventLoop {
  public:
    platform::WatchId WatchFd(int, unsigned, FdCallback) override { return ++lastId; }
    void SetFdEvents(platform::WatchId, unsigned) override {}
    void UnwatchFd(platform::WatchId) override {}
    platform::TimerId StartTimer(std::uint32_t intervalMs, bool, Callback callback) override {
        timers[++lastId] = {intervalMs, std::move(callback)};
        return lastId;
    }
    void StopTimer(platform::TimerId id) override { timers.erase(id); }
    void Post(Callback callback) override { callback(); }
    void SetIdleHook(IdleHook hook) override { idle = std::move(hook); }
    bool HasPendingInput() override { return false; }
    void Run() override {}
    void Quit() override {}
    bool RunUntil(const std::function<bool()>& condition, std::uint32_t) override {
        return condition();
    }

    struct Timer {
        std::uint32_t interval;
        Callback callback;
    };
    std::map<platform::TimerId, Timer> timers;
    std::uint64_t lastId = 0;
    IdleHook idle;
};

}  // namespace corvane::testing

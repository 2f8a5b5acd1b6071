#pragma once
// The cooperative scheduler: one per program, stepped from the event loop's idle hook. A pass
// wakes tasks whose timers ran out, then steps runnable tasks for at most one slice (200 ms unless
// set).
//
// Objects that may be on the call stack when they are cancelled (tasks, protocols, requests) are
// handed to DeleteLater; the scheduler destroys them after the running step has returned, or at
// the start of the next pass, so no callback ever returns into freed memory.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/task.h"
#include "platform/event_loop.h"

namespace corvane::core {

class CHTScheduler {
  public:
    using Clock = std::function<std::uint32_t()>;  // milliseconds, wrapping
    using InputProbe = std::function<bool()>;      // true when user input or messages wait

    static constexpr std::uint32_t kTimeSliceMs = 200;

    explicit CHTScheduler(Clock clock, InputProbe hasPendingInput = {});
    ~CHTScheduler();
    CHTScheduler(const CHTScheduler&) = delete;
    CHTScheduler& operator=(const CHTScheduler&) = delete;

    // Puts the task at the tail of the run queue unless it is linked somewhere already.
    void Schedule(CHTTask& task);
    template <class Derived>
    void Schedule(CHTTask& task, int (Derived::*step)()) {
        task.SetStep(step);
        Schedule(task);
    }
    // Arms the task's timer; a task whose delay was 0 joins the timer list.
    void SetDelay(CHTTask& task, std::uint32_t milliseconds);
    void RemoveTimer(CHTTask& task);

    // One pass. Answers true while work remains (queued tasks or running timers); a pass that is
    // already running answers false at once.
    bool RunPass();

    // Unlinks the task from every list; it is never stepped again. Safe on the running task.
    void Cancel(CHTTask& task);
    // Destroys the object at the next safe point. A task is cancelled first.
    void DeleteLater(std::unique_ptr<CObject> object);
    // Destroys what DeleteLater collected; only call where no such object is on the stack.
    void DeleteRetired();

    // Runs passes from the loop's idle hook. When only timers or retries wait, the loop sleeps
    // until the nearest timer (or a short retry period) instead of spinning.
    void AttachTo(platform::EventLoop& loop);
    void Detach();

    // How long a pass may step tasks while no input waits; a program that acts on each step's
    // result as soon as it is there (a text dump) sets a short one.
    void SetTimeSlice(std::uint32_t milliseconds) { timeSliceMs_ = milliseconds; }

    bool HasQueuedTasks() const;
    bool HasTimers() const { return !timers_.empty(); }
    std::uint32_t Now() const { return clock_(); }
    const CHTTask* Current() const { return current_; }

    // Called by a task's destructor.
    void Forget(CHTTask& task);

  private:
    enum class SliceEnd { kGoOn, kEndSlice };

    void WakeExpiredTimers();
    SliceEnd Step(CHTTask& task);
    bool SliceUsedUp() const;
    std::uint32_t NearestTimer() const;

    Clock clock_;
    InputProbe hasPendingInput_;
    std::uint32_t sliceStart_ = 0;
    std::uint32_t timeSliceMs_ = kTimeSliceMs;
    bool running_ = false;
    std::uint32_t lastTick_ = 0;
    CHTTask* current_ = nullptr;
    CHTTaskList runQueue_;
    CHTTaskList laterQueue_;
    CHTTaskList backgroundQueue_;
    std::vector<CHTTask*> timers_;
    std::vector<std::unique_ptr<CObject>> retired_;
    bool passOnlyRetried_ = false;  // every step of the last pass answered "later"

    platform::EventLoop* loop_ = nullptr;
    platform::TimerId wakeTimer_ = 0;
};

}  // namespace corvane::core

#include "core/scheduler.h"

#include <algorithm>
#include <utility>

namespace corvane::core {
namespace {

// How long the loop sleeps when every runnable task is only polling for data.
constexpr std::uint32_t kRetryPeriodMs = 10;

}  // namespace

CHTScheduler::CHTScheduler(Clock clock, InputProbe hasPendingInput)
    : clock_(std::move(clock)), hasPendingInput_(std::move(hasPendingInput)) {
    if (!hasPendingInput_) hasPendingInput_ = [] { return false; };
    lastTick_ = clock_();
}

CHTScheduler::~CHTScheduler() {
    Detach();
    DeleteRetired();
    runQueue_.Clear();
    laterQueue_.Clear();
    backgroundQueue_.Clear();
    for (CHTTask* task : timers_) task->inTimerList_ = false;
    timers_.clear();
}

void CHTScheduler::Schedule(CHTTask& task) {
    if (task.retired_ || task.IsLinked()) return;
    runQueue_.PushBack(task);
}

void CHTScheduler::SetDelay(CHTTask& task, std::uint32_t milliseconds) {
    if (task.retired_) return;
    if (!task.inTimerList_) {
        if (timers_.empty()) lastTick_ = clock_();
        timers_.push_back(&task);
        task.inTimerList_ = true;
    }
    task.delay = milliseconds;
}

void CHTScheduler::RemoveTimer(CHTTask& task) {
    if (!task.inTimerList_) return;
    timers_.erase(std::find(timers_.begin(), timers_.end(), &task));
    task.inTimerList_ = false;
    task.delay = 0;
}

void CHTScheduler::Cancel(CHTTask& task) {
    task.retired_ = true;
    task.Unlink();
    RemoveTimer(task);
}

void CHTScheduler::DeleteLater(std::unique_ptr<CObject> object) {
    if (object == nullptr) return;
    if (object->IsKindOf(&CHTTask::kRuntimeClass)) Cancel(static_cast<CHTTask&>(*object));
    retired_.push_back(std::move(object));
}

void CHTScheduler::DeleteRetired() {
    // Destructors may retire further objects.
    while (!retired_.empty()) {
        std::vector<std::unique_ptr<CObject>> batch;
        batch.swap(retired_);
        batch.clear();
    }
}

void CHTScheduler::Forget(CHTTask& task) {
    RemoveTimer(task);
    if (current_ == &task) current_ = nullptr;
}

bool CHTScheduler::HasQueuedTasks() const {
    return !runQueue_.Empty() || !laterQueue_.Empty() || !backgroundQueue_.Empty();
}

void CHTScheduler::WakeExpiredTimers() {
    std::uint32_t now = clock_();
    if (timers_.empty()) {
        lastTick_ = now;
        return;
    }
    std::uint32_t elapsed = now - lastTick_;
    std::vector<CHTTask*> due;
    for (CHTTask* task : timers_) {
        task->delay -= std::min(task->delay, elapsed);
        if (task->delay == 0) due.push_back(task);
    }
    for (CHTTask* task : due) {
        // A task that was rescheduled meanwhile keeps its place; one waiting on a list wakes.
        if (task->IsLinked() && task->lastResult != kStepWait) continue;
        RemoveTimer(*task);
        runQueue_.PushBack(*task);
    }
    lastTick_ += elapsed;
}

bool CHTScheduler::RunPass() {
    if (running_) return false;
    running_ = true;
    DeleteRetired();
    WakeExpiredTimers();
    runQueue_.Splice(laterQueue_);
    if (runQueue_.Empty()) runQueue_.Splice(backgroundQueue_);
    if (runQueue_.Empty()) {
        running_ = false;
        passOnlyRetried_ = false;
        return HasTimers();
    }

    passOnlyRetried_ = true;
    sliceStart_ = clock_();
    while (CHTTask* task = runQueue_.PopFront()) {
        if (Step(*task) == SliceEnd::kEndSlice) break;
        if (SliceUsedUp()) break;
    }
    running_ = false;
    return true;
}

bool CHTScheduler::SliceUsedUp() const {
    return clock_() - sliceStart_ > timeSliceMs_;
}

CHTScheduler::SliceEnd CHTScheduler::Step(CHTTask& task) {
    current_ = &task;
    for (;;) {
        int result = task.CallStep();
        DeleteRetired();
        if (current_ == nullptr || task.retired_) {
            current_ = nullptr;
            return SliceEnd::kGoOn;
        }
        task.lastResult = result;
        if (result != kStepLater) passOnlyRetried_ = false;
        switch (result) {
            case kStepFinished:
            case kStepWait:
                current_ = nullptr;
                return SliceEnd::kGoOn;
            case kStepYield:
                // Waiting input gets its turn at once; without any, the work goes on while
                // the slice lasts. (Stepping on while input waits kept every key and menu of
                // the window waiting until a long page had loaded.)
                if (hasPendingInput_() || SliceUsedUp()) {
                    runQueue_.PushBack(task);
                    current_ = nullptr;
                    return SliceEnd::kEndSlice;
                }
                if (runQueue_.Empty()) continue;
                runQueue_.PushBack(task);
                current_ = nullptr;
                return SliceEnd::kGoOn;
            case kStepLater:
                laterQueue_.PushBack(task);
                current_ = nullptr;
                return SliceEnd::kGoOn;
            case kStepBackground:
                backgroundQueue_.PushBack(task);
                current_ = nullptr;
                return SliceEnd::kGoOn;
            case kStepYieldToFront:
                if (!hasPendingInput_() && !SliceUsedUp()) continue;
                runQueue_.PushFront(task);
                current_ = nullptr;
                return SliceEnd::kEndSlice;
            default:
                continue;
        }
    }
}

std::uint32_t CHTScheduler::NearestTimer() const {
    std::uint32_t nearest = UINT32_MAX;
    for (const CHTTask* task : timers_) nearest = std::min(nearest, task->delay);
    return nearest;
}

void CHTScheduler::AttachTo(platform::EventLoop& loop) {
    Detach();
    loop_ = &loop;
    hasPendingInput_ = [&loop] { return loop.HasPendingInput(); };
    loop.SetIdleHook([this] {
        bool work = RunPass();
        if (!work) return false;
        bool runnable = !runQueue_.Empty() || (!laterQueue_.Empty() && !passOnlyRetried_) ||
                        !backgroundQueue_.Empty();
        if (runnable) return true;
        // Only timers, or tasks polling for data, remain: sleep until one can have news.
        std::uint32_t wait = laterQueue_.Empty() ? NearestTimer() : kRetryPeriodMs;
        if (!laterQueue_.Empty()) wait = std::min(wait, NearestTimer());
        if (wakeTimer_ != 0) loop_->StopTimer(wakeTimer_);
        wakeTimer_ =
            loop_->StartTimer(std::max<std::uint32_t>(wait, 1), false, [this] { wakeTimer_ = 0; });
        return false;
    });
}

void CHTScheduler::Detach() {
    if (loop_ == nullptr) return;
    if (wakeTimer_ != 0) loop_->StopTimer(wakeTimer_);
    wakeTimer_ = 0;
    loop_->SetIdleHook({});
    loop_ = nullptr;
}

}  // namespace corvane::core

#pragma once
// Cooperative tasks. Every long-running activity (loads, protocol pumps, refresh countdowns, cache
// writers, inline images) is a CHTTask whose current step the scheduler calls from the event
// loop's idle hook. A step returns a StepResult telling the scheduler what to do next.
//
// A task is linked in at most one list at a time (a scheduler queue, a request's or a signal's
// waiting list) and separately, while its delay runs, in the scheduler's timer list. Destroying a
// task unlinks it from both.

#include <cstdint>
#include <string>

#include "core/runtime_class.h"
#include "core/status.h"

namespace corvane::core {

class CHTScheduler;
class CHTTaskList;

enum StepResult : int {
    kStepContinue = 0,      // 0, 1, 2 and above 8: run the (possibly new) step again at once
    kStepFinished = 3,      // leave the queues; the owner deletes or reschedules the task
    kStepYield = 4,         // give pending input a turn; without any, go on while the slice lasts
    kStepLater = 5,         // run again on the next pass
    kStepWait = 6,          // stay in the waiting list the step joined, or sleep on the timer
    kStepBackground = 7,    // run only when nothing else is runnable
    kStepYieldToFront = 8,  // run again first, unless input is waiting
};

// A pump that answered -1 with one of these protocol errors has paused, not failed.
inline bool IsPause(int error) {
    return error == kNeedMoreData || error == kYielded;
}
// The step that resumes a pause: data that has not arrived is looked for on a later pass; a
// convertor that merely yielded continues once pending input has had its turn.
inline StepResult PauseStep(int error) {
    return error == kYielded ? kStepYield : kStepLater;
}

class CHTTask : public CObject {
  public:
    using Step = int (CHTTask::*)();

    explicit CHTTask(CHTScheduler& scheduler);
    ~CHTTask() override;
    CHTTask(const CHTTask&) = delete;
    CHTTask& operator=(const CHTTask&) = delete;

    // The first step of a new task; the base has nothing to do but come back later.
    virtual int Run() { return kStepLater; }

    template <class Derived>
    void SetStep(int (Derived::*step)()) {
        step_ = static_cast<Step>(step);
    }
    int CallStep() { return (this->*step_)(); }

    bool IsLinked() const { return list_ != nullptr; }
    bool IsRetired() const { return retired_; }
    void Unlink();
    CHTScheduler& Scheduler() const { return scheduler_; }

    std::uint32_t delay = 0;  // milliseconds left on the timer; 0 when not waiting on it
    int lastResult = 0;

    static const CRuntimeClass kRuntimeClass;
    const CRuntimeClass* GetRuntimeClass() const override { return &kRuntimeClass; }

  private:
    friend class CHTTaskList;
    friend class CHTScheduler;

    int StartStep() { return Run(); }

    CHTScheduler& scheduler_;
    Step step_ = &CHTTask::StartStep;
    CHTTask* next_ = nullptr;
    CHTTask* previous_ = nullptr;
    CHTTaskList* list_ = nullptr;
    bool inTimerList_ = false;
    bool retired_ = false;  // cancelled: never stepped or queued again
};

// An intrusive list of tasks that does not own them.
class CHTTaskList {
  public:
    CHTTaskList() = default;
    ~CHTTaskList() { Clear(); }
    CHTTaskList(const CHTTaskList&) = delete;
    CHTTaskList& operator=(const CHTTaskList&) = delete;

    bool Empty() const { return head_ == nullptr; }
    CHTTask* Front() const { return head_; }
    bool Contains(const CHTTask& task) const { return task.list_ == this; }
    // A task already linked elsewhere is moved here.
    void PushBack(CHTTask& task);
    void PushFront(CHTTask& task);
    CHTTask* PopFront();
    void Remove(CHTTask& task);
    // Moves every task of `other` to the tail of this list.
    void Splice(CHTTaskList& other);
    // Unlinks every task without waking it.
    void Clear();
    // Moves every task to the scheduler's run queue.
    void WakeAll(CHTScheduler& scheduler);

  private:
    CHTTask* head_ = nullptr;
    CHTTask* tail_ = nullptr;
};

// Tasks waiting for something, with the status it ended with.
struct CHTSignal {
    CHTTaskList waiting;
    std::int16_t status = 0;
    std::int16_t code = 0;
    std::uint32_t word = 0;
    std::string message;

    // Sets the status and wakes every waiting task.
    void Raise(CHTScheduler& scheduler, int newStatus);
};

}  // namespace corvane::core

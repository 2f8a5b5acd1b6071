#include "core/task.h"

#include "core/scheduler.h"

namespace corvane::core {

const CRuntimeClass CHTTask::kRuntimeClass = MakeAbstractRuntimeClass<CHTTask, CObject>("CHTTask");

CHTTask::CHTTask(CHTScheduler& scheduler) : scheduler_(scheduler) {}

CHTTask::~CHTTask() {
    Unlink();
    scheduler_.Forget(*this);
}

void CHTTask::Unlink() {
    if (list_ != nullptr) list_->Remove(*this);
}

void CHTTaskList::PushBack(CHTTask& task) {
    task.Unlink();
    task.list_ = this;
    task.previous_ = tail_;
    task.next_ = nullptr;
    if (tail_ != nullptr) {
        tail_->next_ = &task;
    } else {
        head_ = &task;
    }
    tail_ = &task;
}

void CHTTaskList::PushFront(CHTTask& task) {
    task.Unlink();
    task.list_ = this;
    task.previous_ = nullptr;
    task.next_ = head_;
    if (head_ != nullptr) {
        head_->previous_ = &task;
    } else {
        tail_ = &task;
    }
    head_ = &task;
}

CHTTask* CHTTaskList::PopFront() {
    CHTTask* task = head_;
    if (task != nullptr) Remove(*task);
    return task;
}

void CHTTaskList::Remove(CHTTask& task) {
    if (task.list_ != this) return;
    (task.previous_ != nullptr ? task.previous_->next_ : head_) = task.next_;
    (task.next_ != nullptr ? task.next_->previous_ : tail_) = task.previous_;
    task.next_ = task.previous_ = nullptr;
    task.list_ = nullptr;
}

void CHTTaskList::Splice(CHTTaskList& other) {
    while (CHTTask* task = other.PopFront()) PushBack(*task);
}

void CHTTaskList::Clear() {
    while (PopFront() != nullptr) {
    }
}

void CHTTaskList::WakeAll(CHTScheduler& scheduler) {
    while (CHTTask* task = PopFront()) scheduler.Schedule(*task);
}

void CHTSignal::Raise(CHTScheduler& scheduler, int newStatus) {
    status = static_cast<std::int16_t>(newStatus);
    waiting.WakeAll(scheduler);
}

}  // namespace corvane::core

#include "shell/qt_event_loop.h"

#include <poll.h>

#include <algorithm>
#include <cstdint>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDeadlineTimer>

namespace corvane::shell {
namespace {

using platform::kIoError;
using platform::kIoRead;
using platform::kIoWrite;

unsigned ReadyEvents(int fd, unsigned wanted) {
    pollfd probe{fd, 0, 0};
    if (wanted & kIoRead) probe.events |= POLLIN;
    if (wanted & kIoWrite) probe.events |= POLLOUT;
    if (poll(&probe, 1, 0) <= 0) return 0;
    unsigned ready = 0;
    if (probe.revents & (POLLIN | POLLPRI)) ready |= kIoRead;
    if (probe.revents & POLLOUT) ready |= kIoWrite;
    if (probe.revents & (POLLERR | POLLHUP | POLLNVAL)) ready |= kIoError;
    return ready & (wanted | kIoError);
}

}  // namespace

QtEventLoop::QtEventLoop()
    : postTarget_(std::make_unique<QObject>()), idleTimer_(std::make_unique<QTimer>()) {
    idleTimer_->setInterval(0);
    QObject::connect(idleTimer_.get(), &QTimer::timeout, idleTimer_.get(),
                     [this] { RunIdleHook(); });
}

QtEventLoop::~QtEventLoop() = default;

platform::WatchId QtEventLoop::WatchFd(int fd, unsigned events, FdCallback callback) {
    const platform::WatchId id = nextId_++;
    auto watch = std::make_shared<Watch>(Watch{fd, events, std::move(callback), nullptr, nullptr});
    ApplyEvents(id, *watch);
    watches_.emplace(id, std::move(watch));
    return id;
}

void QtEventLoop::ApplyEvents(platform::WatchId id, Watch& watch) {
    const auto apply = [&](std::unique_ptr<QSocketNotifier>& notifier, QSocketNotifier::Type type,
                           bool wanted) {
        if (wanted && !notifier) {
            notifier = std::make_unique<QSocketNotifier>(watch.fd, type);
            QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(),
                             [this, id] { FdReady(id); });
        }
        if (notifier) notifier->setEnabled(wanted);
    };
    apply(watch.readNotifier, QSocketNotifier::Read, watch.events & kIoRead);
    apply(watch.writeNotifier, QSocketNotifier::Write, watch.events & kIoWrite);
}

void QtEventLoop::SetFdEvents(platform::WatchId id, unsigned events) {
    auto it = watches_.find(id);
    if (it == watches_.end()) return;
    it->second->events = events;
    ApplyEvents(id, *it->second);
}

void QtEventLoop::UnwatchFd(platform::WatchId id) {
    auto it = watches_.find(id);
    if (it == watches_.end()) return;
    Watch& watch = *it->second;
    for (auto* notifier : {&watch.readNotifier, &watch.writeNotifier}) {
        if (*notifier) {
            (*notifier)->setEnabled(false);
            Retire(std::move(*notifier));
        }
    }
    watches_.erase(it);
}

void QtEventLoop::FdReady(platform::WatchId id) {
    auto it = watches_.find(id);
    if (it == watches_.end()) return;
    const std::shared_ptr<Watch> watch = it->second;
    const unsigned ready = ReadyEvents(watch->fd, watch->events);
    if (ready == 0) return;  // consumed by an earlier callback of the same pass
    Dispatch([&] { watch->callback(watch->fd, ready); });
}

platform::TimerId QtEventLoop::StartTimer(std::uint32_t intervalMs, bool repeating,
                                          Callback callback) {
    const platform::TimerId id = nextId_++;
    auto timer = std::make_shared<Timer>(Timer{std::make_unique<QTimer>(), std::move(callback)});
    timer->timer->setTimerType(Qt::PreciseTimer);
    timer->timer->setSingleShot(!repeating);
    QObject::connect(timer->timer.get(), &QTimer::timeout, timer->timer.get(),
                     [this, id] { FireTimer(id); });
    // QTimer takes an int; longer intervals than 24 days are clamped.
    timer->timer->start(static_cast<int>(std::min<std::uint32_t>(intervalMs, INT32_MAX)));
    timers_.emplace(id, std::move(timer));
    return id;
}

void QtEventLoop::StopTimer(platform::TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    it->second->timer->stop();
    Retire(std::move(it->second->timer));
    timers_.erase(it);
}

void QtEventLoop::FireTimer(platform::TimerId id) {
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    const std::shared_ptr<Timer> timer = it->second;
    Dispatch([&] {
        // Inside the dispatch, so the QTimer now firing is retired rather than destroyed.
        if (timer->timer->isSingleShot()) StopTimer(id);
        timer->callback();
    });
}

void QtEventLoop::Post(Callback callback) {
    posted_.push_back(std::move(callback));
    QMetaObject::invokeMethod(
        postTarget_.get(), [this] { RunPosted(); }, Qt::QueuedConnection);
}

void QtEventLoop::RunPosted() {
    if (posted_.empty()) return;
    Callback callback = std::move(posted_.front());
    posted_.pop_front();
    Dispatch([&] { callback(); });
}

void QtEventLoop::SetIdleHook(IdleHook hook) {
    idleHook_ = hook ? std::make_shared<IdleHook>(std::move(hook)) : nullptr;
    if (idleHook_) {
        ArmIdle();
    } else {
        idleTimer_->stop();
    }
}

void QtEventLoop::ArmIdle() {
    if (idleHook_ && !idleTimer_->isActive()) idleTimer_->start();
}

void QtEventLoop::RunIdleHook() {
    if (!idleHook_) {
        idleTimer_->stop();
        return;
    }
    const std::shared_ptr<IdleHook> hook = idleHook_;
    ++dispatchDepth_;
    idleSince_ = platform::TickCount();
    inIdleHook_ = true;
    const bool moreWork = (*hook)();
    inIdleHook_ = false;
    if (--dispatchDepth_ == 0) retired_.clear();
    if (!moreWork && hook == idleHook_) idleTimer_->stop();
}

bool QtEventLoop::HasPendingInput() {
    if (!posted_.empty()) return true;
    // Window-system input cannot be seen (see the header): after kInputTurnMs in the idle hook,
    // some may be waiting, and the window gets a turn.
    if (inIdleHook_ && platform::TickCount() - idleSince_ >= kInputTurnMs) return true;
    for (const auto& [id, timer] : timers_) {
        if (timer->timer->isActive() && timer->timer->remainingTime() == 0) return true;
    }
    return false;
}

template <typename Function>
void QtEventLoop::Dispatch(Function&& function) {
    ++dispatchDepth_;
    function();
    if (--dispatchDepth_ == 0) retired_.clear();
    ArmIdle();  // what just ran may have given the idle hook work
}

void QtEventLoop::Retire(std::unique_ptr<QObject> object) {
    if (dispatchDepth_ > 0) retired_.push_back(std::move(object));
}

void QtEventLoop::Run() {
    while (!quitRequested_) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    quitRequested_ = false;
}

void QtEventLoop::Quit() {
    quitRequested_ = true;
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) dispatcher->wakeUp();
}

bool QtEventLoop::RunUntil(const std::function<bool()>& condition, std::uint32_t timeoutMs) {
    const int timeout = static_cast<int>(std::min<std::uint32_t>(timeoutMs, INT32_MAX));
    const QDeadlineTimer deadline(timeout, Qt::PreciseTimer);
    // Only there to end the wait in time; it needs no slot.
    QTimer alarm;
    alarm.setTimerType(Qt::PreciseTimer);
    alarm.setSingleShot(true);
    alarm.start(timeout);
    while (!quitRequested_ && !condition() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return condition();
}

}  // namespace corvane::shell

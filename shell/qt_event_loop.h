#pragma once
// The event loop of the window: the EventLoop interface over Qt's own loop, so sockets, timers and
// the task scheduler run on the GUI thread between user-interface events.
//
// - Descriptors: a QSocketNotifier per direction. When one fires, a zero-timeout poll() on the
//   descriptor tells exactly what is ready, so hang-ups and errors arrive as kIoError. Unlike
//   PollEventLoop, a watch asking for nothing (events 0) hears nothing, errors included.
// - Timers: one precise QTimer each.
// - Posted callbacks: our own queue, one queued invocation per callback, run in posting order.
// - Idle hook: a zero-interval QTimer, which Qt fires only once the other pending events of the
//   pass are handled. It runs while the hook answers true, stops when it answers false, and is
//   started again by anything the loop dispatches (fd, timer, posted callback) or by
//   SetIdleHook. Work that appears from a Qt event handler outside this loop must Post (even an
//   empty callback) so the idle hook runs again.
// - HasPendingInput: our posted callbacks and due timers. Qt 6 has no public way to ask whether
//   window-system input is queued (hasPendingEvents was removed), so once the idle hook has run
//   for kInputTurnMs, input is taken to be waiting: a task that yields then gives the window its
//   turn, and keys, menus and paints wait no longer than that.
// - Run and RunUntil drive QCoreApplication::processEvents; RunUntil checks its condition after
//   each pass of Qt's event processing (a pass may hold several events).
//
// Needs a QCoreApplication (or QApplication) on this thread. Callbacks may unwatch or stop
// anything, themselves included; the Qt objects involved are destroyed only when the outermost
// callback has returned.

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <deque>
#include <map>
#include <memory>
#include <vector>

#include "platform/event_loop.h"

namespace corvane::shell {

class QtEventLoop final : public platform::EventLoop {
  public:
    QtEventLoop();
    QtEventLoop(const QtEventLoop&) = delete;
    QtEventLoop& operator=(const QtEventLoop&) = delete;
    ~QtEventLoop() override;

    platform::WatchId WatchFd(int fd, unsigned events, FdCallback callback) override;
    void SetFdEvents(platform::WatchId id, unsigned events) override;
    void UnwatchFd(platform::WatchId id) override;

    platform::TimerId StartTimer(std::uint32_t intervalMs, bool repeating,
                                 Callback callback) override;
    void StopTimer(platform::TimerId id) override;

    void Post(Callback callback) override;
    void SetIdleHook(IdleHook hook) override;
    bool HasPendingInput() override;
    static constexpr std::uint32_t kInputTurnMs = 30;

    // Same quit rules as PollEventLoop: Quit ends the innermost Run, and a RunUntil in progress.
    void Run() override;
    void Quit() override;
    bool RunUntil(const std::function<bool()>& condition, std::uint32_t timeoutMs) override;

  private:
    struct Watch {
        int fd;
        unsigned events;
        FdCallback callback;
        std::unique_ptr<QSocketNotifier> readNotifier;
        std::unique_ptr<QSocketNotifier> writeNotifier;
    };
    struct Timer {
        std::unique_ptr<QTimer> timer;
        Callback callback;
    };

    void ApplyEvents(platform::WatchId id, Watch& watch);
    void FdReady(platform::WatchId id);
    void FireTimer(platform::TimerId id);
    void RunPosted();
    void RunIdleHook();
    void ArmIdle();
    template <typename Function>
    void Dispatch(Function&& function);
    void Retire(std::unique_ptr<QObject> object);

    std::map<platform::WatchId, std::shared_ptr<Watch>> watches_;
    std::map<platform::TimerId, std::shared_ptr<Timer>> timers_;
    std::deque<Callback> posted_;
    std::unique_ptr<QObject> postTarget_;
    std::unique_ptr<QTimer> idleTimer_;
    std::shared_ptr<IdleHook> idleHook_;
    std::vector<std::unique_ptr<QObject>> retired_;  // freed once no callback is running
    int dispatchDepth_ = 0;
    bool inIdleHook_ = false;
    std::uint32_t idleSince_ = 0;
    bool quitRequested_ = false;
    std::uint64_t nextId_ = 1;
};

}  // namespace corvane::shell

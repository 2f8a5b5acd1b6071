#pragma once
// Behaviour every EventLoop implementation must show. A test program instantiates the suite
// with a factory type: struct F { static std::unique_ptr<platform::EventLoop> Make(); };
//   INSTANTIATE_TYPED_TEST_SUITE_P(Poll, EventLoopContract, PollFactory);

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/event_loop.h"

namespace corvane::testing {

template <typename Factory>
class EventLoopContract : public ::testing::Test {
  protected:
    std::unique_ptr<platform::EventLoop> loop_ = Factory::Make();
    platform::EventLoop& loop = *loop_;

    // Runs the loop for a while with nothing to wait for but time.
    void RunFor(std::uint32_t ms) {
        loop.RunUntil([] { return false; }, ms);
    }
};

TYPED_TEST_SUITE_P(EventLoopContract);

TYPED_TEST_P(EventLoopContract, OneShotTimerFiresOnceNotBeforeItsInterval) {
    int fired = 0;
    std::uint32_t firedAt = 0;
    const std::uint32_t start = platform::TickCount();
    this->loop.StartTimer(20, false, [&] {
        ++fired;
        firedAt = platform::TickCount();
    });
    ASSERT_TRUE(this->loop.RunUntil([&] { return fired > 0; }, 2000));
    EXPECT_GE(firedAt - start, 19u);
    this->RunFor(40);
    EXPECT_EQ(fired, 1);
}

TYPED_TEST_P(EventLoopContract, RepeatingTimerRunsUntilItStopsItself) {
    int fired = 0;
    platform::TimerId id = 0;
    id = this->loop.StartTimer(2, true, [&] {
        if (++fired == 3) this->loop.StopTimer(id);
    });
    ASSERT_TRUE(this->loop.RunUntil([&] { return fired == 3; }, 2000));
    this->RunFor(30);
    EXPECT_EQ(fired, 3);
}

TYPED_TEST_P(EventLoopContract, TimerStoppedByAnEarlierCallbackOfTheSameTurnNeverFires) {
    std::vector<int> fired;
    platform::TimerId second = 0;
    // Both are due together; whichever runs first stops the other.
    const platform::TimerId first = this->loop.StartTimer(0, false, [&] {
        fired.push_back(1);
        this->loop.StopTimer(second);
    });
    second = this->loop.StartTimer(0, false, [&] {
        fired.push_back(2);
        this->loop.StopTimer(first);
    });
    this->RunFor(30);
    EXPECT_EQ(fired.size(), 1u);
}

TYPED_TEST_P(EventLoopContract, PostedCallbacksRunInOrderNeverInsideThePoster) {
    std::string order;
    bool insideA = false;
    this->loop.Post([&] {
        insideA = true;
        this->loop.Post([&] {
            EXPECT_FALSE(insideA);
            order += 'D';
        });
        order += 'A';
        insideA = false;
    });
    this->loop.Post([&] { order += 'B'; });
    this->loop.Post([&] { order += 'C'; });
    EXPECT_EQ(order, "");  // nothing runs from inside Post
    ASSERT_TRUE(this->loop.RunUntil([&] { return order.size() == 4; }, 2000));
    EXPECT_EQ(order, "ABCD");
}

TYPED_TEST_P(EventLoopContract, PostFromATimerWakesTheSleepingLoop) {
    bool ran = false;
    this->loop.StartTimer(5, false, [&] { this->loop.Post([&] { ran = true; }); });
    const std::uint32_t start = platform::TickCount();
    ASSERT_TRUE(this->loop.RunUntil([&] { return ran; }, 10000));
    EXPECT_LT(platform::TickCount() - start, 5000u);  // did not sleep until the deadline
}

TYPED_TEST_P(EventLoopContract, IdleHookRunsWhileItHasWorkThenWaitsForAnEvent) {
    int calls = 0;
    this->loop.SetIdleHook([&] { return ++calls < 5; });
    ASSERT_TRUE(this->loop.RunUntil([&] { return calls == 5; }, 2000));
    this->RunFor(30);
    EXPECT_EQ(calls, 5);  // answered false: not called again without an event
    this->loop.Post([] {});
    ASSERT_TRUE(this->loop.RunUntil([&] { return calls == 6; }, 2000));
    this->loop.SetIdleHook({});
    this->loop.Post([] {});
    this->RunFor(30);
    EXPECT_EQ(calls, 6);
}

TYPED_TEST_P(EventLoopContract, BusyIdleHookLeavesRoomForTimersAndPostedCallbacks) {
    int idle = 0;
    bool timerFired = false;
    bool postRan = false;
    this->loop.SetIdleHook([&] {
        ++idle;
        return true;
    });
    // The hook is busy before the timer and the callback exist, however late this thread runs.
    ASSERT_TRUE(this->loop.RunUntil([&] { return idle > 0; }, 2000));
    this->loop.StartTimer(10, false, [&] { timerFired = true; });
    this->loop.Post([&] { postRan = true; });
    EXPECT_TRUE(this->loop.RunUntil([&] { return timerFired && postRan; }, 2000));
    this->loop.SetIdleHook({});
}

TYPED_TEST_P(EventLoopContract, HasPendingInputSeesPostedCallbacksAndDueTimers) {
    EXPECT_FALSE(this->loop.HasPendingInput());
    const platform::TimerId later = this->loop.StartTimer(60000, false, [] {});
    EXPECT_FALSE(this->loop.HasPendingInput());
    this->loop.Post([] {});
    EXPECT_TRUE(this->loop.HasPendingInput());
    this->RunFor(20);
    EXPECT_FALSE(this->loop.HasPendingInput());
    bool fired = false;
    this->loop.StartTimer(0, false, [&] { fired = true; });
    EXPECT_TRUE(this->loop.HasPendingInput());
    ASSERT_TRUE(this->loop.RunUntil([&] { return fired; }, 2000));
    EXPECT_FALSE(this->loop.HasPendingInput());
    this->loop.StopTimer(later);
}

TYPED_TEST_P(EventLoopContract, FdWatchReportsReadinessUntilUnwatched) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::vector<unsigned> seen;
    platform::WatchId id = 0;
    id = this->loop.WatchFd(fds[0], platform::kIoRead, [&](int fd, unsigned events) {
        EXPECT_EQ(fd, fds[0]);
        seen.push_back(events);
        char c;
        EXPECT_EQ(read(fd, &c, 1), 1);
        if (c == 'x') this->loop.UnwatchFd(id);  // unwatching itself
    });
    this->RunFor(10);
    EXPECT_TRUE(seen.empty());
    ASSERT_EQ(write(fds[1], "a", 1), 1);
    ASSERT_TRUE(this->loop.RunUntil([&] { return seen.size() == 1; }, 2000));
    EXPECT_EQ(seen[0], platform::kIoRead);

    this->loop.SetFdEvents(id, 0);
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    this->RunFor(20);
    EXPECT_EQ(seen.size(), 1u);
    this->loop.SetFdEvents(id, platform::kIoRead);
    ASSERT_TRUE(this->loop.RunUntil([&] { return seen.size() == 2; }, 2000));
    ASSERT_EQ(write(fds[1], "b", 1), 1);
    this->RunFor(20);
    EXPECT_EQ(seen.size(), 2u);
    close(fds[0]);
    close(fds[1]);
}

TYPED_TEST_P(EventLoopContract, HangUpIsReportedAsAnError) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    unsigned events = 0;
    const platform::WatchId id =
        this->loop.WatchFd(fds[0], platform::kIoRead, [&](int, unsigned e) { events = e; });
    close(fds[1]);
    ASSERT_TRUE(this->loop.RunUntil([&] { return events != 0; }, 2000));
    EXPECT_TRUE(events & platform::kIoError);
    this->loop.UnwatchFd(id);
    close(fds[0]);
}

TYPED_TEST_P(EventLoopContract, WritableWatchAndUnwatchingAnotherReadyWatch) {
    int first[2];
    int second[2];
    ASSERT_EQ(pipe(first), 0);
    ASSERT_EQ(pipe(second), 0);
    int calls = 0;
    platform::WatchId a = 0;
    platform::WatchId b = 0;
    // Both are ready in the same turn; whichever runs first unwatches the other.
    a = this->loop.WatchFd(first[1], platform::kIoWrite, [&](int, unsigned events) {
        EXPECT_EQ(events, platform::kIoWrite);
        ++calls;
        this->loop.UnwatchFd(b);
        this->loop.UnwatchFd(a);
    });
    b = this->loop.WatchFd(second[1], platform::kIoWrite, [&](int, unsigned) {
        ++calls;
        this->loop.UnwatchFd(a);
        this->loop.UnwatchFd(b);
    });
    this->RunFor(30);
    EXPECT_EQ(calls, 1);
    for (int fd : {first[0], first[1], second[0], second[1]}) close(fd);
}

TYPED_TEST_P(EventLoopContract, QuitEndsRunAndRunUntilAnswersItsCondition) {
    this->loop.StartTimer(5, false, [&] { this->loop.Quit(); });
    this->loop.Run();  // returns only through Quit

    const std::uint32_t start = platform::TickCount();
    EXPECT_FALSE(this->loop.RunUntil([] { return false; }, 30));
    EXPECT_GE(platform::TickCount() - start, 29u);
    EXPECT_TRUE(this->loop.RunUntil([] { return true; }, 60000));
}

REGISTER_TYPED_TEST_SUITE_P(EventLoopContract, OneShotTimerFiresOnceNotBeforeItsInterval,
                            RepeatingTimerRunsUntilItStopsItself,
                            TimerStoppedByAnEarlierCallbackOfTheSameTurnNeverFires,
                            PostedCallbacksRunInOrderNeverInsideThePoster,
                            PostFromATimerWakesTheSleepingLoop,
                            IdleHookRunsWhileItHasWorkThenWaitsForAnEvent,
                            BusyIdleHookLeavesRoomForTimersAndPostedCallbacks,
                            HasPendingInputSeesPostedCallbacksAndDueTimers,
                            FdWatchReportsReadinessUntilUnwatched, HangUpIsReportedAsAnError,
                            WritableWatchAndUnwatchingAnotherReadyWatch,
                            QuitEndsRunAndRunUntilAnswersItsCondition);

}  // namespace corvane::testing

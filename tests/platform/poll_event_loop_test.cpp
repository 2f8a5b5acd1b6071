#include "platform/poll_event_loop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "tests/support/async_socket_contract.h"
#include "tests/support/event_loop_contract.h"

namespace corvane::platform {
namespace {

struct PollFactory {
    static std::unique_ptr<EventLoop> Make() { return std::make_unique<PollEventLoop>(); }
};

}  // namespace
}  // namespace corvane::platform

namespace corvane::testing {
INSTANTIATE_TYPED_TEST_SUITE_P(Poll, EventLoopContract, platform::PollFactory);
INSTANTIATE_TYPED_TEST_SUITE_P(Poll, AsyncSocketContract, platform::PollFactory);
}  // namespace corvane::testing

namespace corvane::platform {
namespace {

// The poll loop promises more than the interface: a strict order inside a turn.
TEST(PollEventLoop, WorkRegisteredDuringATurnWaitsForTheNextTurn) {
    PollEventLoop loop;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::string order;
    loop.Post([&] { order += 'P'; });
    WatchId watch = 0;
    watch = loop.WatchFd(fds[0], kIoRead, [&](int, unsigned) {
        order += 'F';
        loop.UnwatchFd(watch);
        loop.StartTimer(0, false, [&] { order += 'T'; });  // due at once, but not this turn
        loop.Post([&] { order += 'Q'; });
    });
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    ASSERT_TRUE(loop.RunUntil([&] { return order.size() == 4; }, 2000));
    EXPECT_EQ(order, "FPTQ");
    close(fds[0]);
    close(fds[1]);
}

TEST(PollEventLoop, IdleHookWaitsWhilePostedCallbacksKeepComing) {
    PollEventLoop loop;
    int chain = 0;
    int idleDuringChain = 0;
    std::function<void()> step = [&] {
        if (++chain < 20) loop.Post(step);
    };
    loop.SetIdleHook([&] {
        if (chain < 20) ++idleDuringChain;
        return false;
    });
    loop.Post(step);
    ASSERT_TRUE(loop.RunUntil([&] { return chain == 20; }, 2000));
    EXPECT_EQ(idleDuringChain, 0);
}

TEST(PollEventLoop, QuitBeforeRunEndsTheNextRunAtOnce) {
    PollEventLoop loop;
    loop.Quit();
    loop.Run();
    bool ran = false;
    loop.Post([&] { ran = true; });
    loop.RunUntil([&] { return ran; }, 1000);  // the request was used up by Run
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace corvane::platform

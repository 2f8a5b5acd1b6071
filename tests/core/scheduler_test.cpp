#include "core/scheduler.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/support/recording_event_loop.h"

namespace corvane::core {
namespace {

// A task that answers a prepared list of step results and logs its name at every step.
class ScriptedTask : public CHTTask {
  public:
    ScriptedTask(CHTScheduler& scheduler, std::string name, std::vector<int> results,
                 std::string& log)
        : CHTTask(scheduler), name_(std::move(name)), results_(std::move(results)), log_(log) {}

    int Run() override {
        log_ += name_;
        if (onStep) onStep();
        if (next_ >= results_.size()) return kStepFinished;
        return results_[next_++];
    }
    std::function<void()> onStep;

  private:
    std::string name_;
    std::vector<int> results_;
    std::size_t next_ = 0;
    std::string& log_;
};

class SchedulerTest : public ::testing::Test {
  protected:
    ScriptedTask& Add(const std::string& name, std::vector<int> results) {
        tasks.push_back(std::make_unique<ScriptedTask>(scheduler, name, std::move(results), log));
        scheduler.Schedule(*tasks.back());
        return *tasks.back();
    }
    std::string Pass() {
        log.clear();
        scheduler.RunPass();
        return log;
    }

    std::uint32_t now = 100;
    std::uint32_t tickPerRead = 0;
    bool input = false;
    std::string log;
    CHTScheduler scheduler{[this] { return now += tickPerRead; }, [this] { return input; }};
    std::vector<std::unique_ptr<ScriptedTask>> tasks;
};

TEST_F(SchedulerTest, StepCodesMoveTasksBetweenQueues) {
    struct Case {
        const char* name;
        bool input;
        std::vector<int> a;
        std::vector<int> b;
        std::vector<std::string> passes;  // the steps run by each pass
    };
    const Case kCases[] = {
        {"continue codes step again at once", false, {0, 1, 2, 9}, {}, {"AAAAAB"}},
        {"finished leaves the queues", false, {3}, {3}, {"AB", ""}},
        {"later waits for the next pass", false, {5, 5}, {3}, {"AB", "A", "A", ""}},
        {"background runs when nothing else can", false, {7}, {5, 5}, {"AB", "B", "B", "A", ""}},
        {"yield without input lets the next task run", false, {4}, {}, {"ABA", ""}},
        {"yield with input ends the slice", true, {4}, {}, {"A", "BA", ""}},
        {"yield to front without input steps again", false, {8}, {}, {"AAB", ""}},
        {"yield to front with input ends the slice", true, {8}, {}, {"A", "AB", ""}},
        {"wait parks the task", false, {6}, {}, {"AB", ""}},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        tasks.clear();
        input = c.input;
        Add("A", c.a);
        Add("B", c.b);
        for (const std::string& expected : c.passes) EXPECT_EQ(Pass(), expected);
        EXPECT_FALSE(scheduler.HasQueuedTasks());
    }
}

// A yielding task alone steps on while nothing waits, but never past the slice: input that
// arrives meanwhile (or a slice used up) gets the loop back at once.
TEST_F(SchedulerTest, YieldingTaskAloneStepsOnUntilInputOrTheSliceEnds) {
    ScriptedTask& task = Add("A", {4, 4, 4, 4, 4, 4});
    EXPECT_EQ(Pass(), "AAAAAAA");
    tasks.clear();
    ScriptedTask& typed = Add("T", {4, 4, 4, 4, 4, 4});
    typed.onStep = [&] { input = log.size() == 2; };
    EXPECT_EQ(Pass(), "TT");
    input = false;
    tickPerRead = 60;
    const std::string sliced = Pass();
    EXPECT_GE(sliced.size(), 1u);
    EXPECT_LT(sliced.size(), 5u);  // four yields and the last step were left
    (void)task;
}

TEST_F(SchedulerTest, TimersWakeTasksWhenTheirDelayIsUsedUp) {
    ScriptedTask& sleeper = Add("S", {6, 3});
    sleeper.onStep = [&] {
        if (sleeper.lastResult == 0) scheduler.SetDelay(sleeper, 250);
    };
    EXPECT_EQ(Pass(), "S");
    EXPECT_FALSE(scheduler.HasQueuedTasks());
    EXPECT_TRUE(scheduler.RunPass());  // timers still count as work
    now += 249;
    EXPECT_EQ(Pass(), "");
    now += 1;
    EXPECT_EQ(Pass(), "S");
    EXPECT_FALSE(scheduler.HasTimers());
    EXPECT_FALSE(scheduler.RunPass());
}

TEST_F(SchedulerTest, TaskRetiredDuringItsStepIsNeverSteppedAgain) {
    std::unique_ptr<ScriptedTask> owned =
        std::make_unique<ScriptedTask>(scheduler, "X", std::vector<int>{0, 0, 0}, log);
    ScriptedTask* task = owned.get();
    task->onStep = [&] { scheduler.DeleteLater(std::move(owned)); };
    scheduler.Schedule(*task);
    EXPECT_EQ(Pass(), "X");
    EXPECT_FALSE(scheduler.HasQueuedTasks());
}

// A task that waits on a list (a request's waiters) with a timeout: the timer wakes it and takes
// it off the list, so waking the list later does not step it a second time.
TEST_F(SchedulerTest, TimerWakesATaskWaitingOnAList) {
    CHTTaskList waiting;
    ScriptedTask& task = Add("W", {kStepWait, kStepFinished});
    task.onStep = [&] {
        if (task.lastResult != 0) return;
        waiting.PushBack(task);
        scheduler.SetDelay(task, 50);
    };
    EXPECT_EQ(Pass(), "W");
    EXPECT_TRUE(waiting.Contains(task));
    now += 50;
    EXPECT_EQ(Pass(), "W");
    EXPECT_TRUE(waiting.Empty());
    waiting.WakeAll(scheduler);
    EXPECT_EQ(Pass(), "");
}

TEST_F(SchedulerTest, TaskCancelledInsideItsStepIsNeverSteppedAgain) {
    for (const int result : {kStepContinue, kStepYield, kStepLater, kStepBackground}) {
        tasks.clear();
        ScriptedTask& task = Add("C", {result, result, result});
        task.onStep = [&] { scheduler.Cancel(task); };
        scheduler.SetDelay(task, 10);
        EXPECT_EQ(Pass(), "C") << result;
        now += 10;
        scheduler.Schedule(task);
        EXPECT_EQ(Pass(), "") << result;
        EXPECT_FALSE(scheduler.HasQueuedTasks());
        EXPECT_FALSE(scheduler.HasTimers());
    }
}

TEST_F(SchedulerTest, TaskDestroyedWhileLinkedLeavesEveryList) {
    ScriptedTask& task = Add("D", {5});
    scheduler.SetDelay(task, 100);
    tasks.clear();
    EXPECT_FALSE(scheduler.HasQueuedTasks());
    EXPECT_FALSE(scheduler.HasTimers());
    EXPECT_EQ(Pass(), "");
}

TEST_F(SchedulerTest, IdleHookSleepsUntilTheNearestTimer) {
    corvane::testing::RecordingEventLoop loop;
    scheduler.AttachTo(loop);
    ASSERT_TRUE(loop.idle);
    ScriptedTask& task = Add("T", {0, 6, 3});
    task.onStep = [&] {
        if (task.lastResult == 0) scheduler.SetDelay(task, 700);
    };
    EXPECT_FALSE(loop.idle());  // only the timer is left: no busy loop
    ASSERT_EQ(loop.timers.size(), 1u);
    EXPECT_EQ(loop.timers.begin()->second.interval, 700u);

    Add("P", {5, 5, 3});
    EXPECT_FALSE(loop.idle());  // only polling for data: a short sleep
    EXPECT_LE(loop.timers.rbegin()->second.interval, 700u);
    Add("Q", {0});
    EXPECT_TRUE(loop.idle());
    scheduler.Detach();
    EXPECT_FALSE(loop.idle);
}

// A convertor that stops with data left must not be slowed down to the pace of one that waits
// for data: a yielding task keeps the loop calling the scheduler, with no sleep in between.
TEST_F(SchedulerTest, YieldingTaskKeepsTheLoopBusyWithoutSleeping) {
    corvane::testing::RecordingEventLoop loop;
    scheduler.AttachTo(loop);
    tickPerRead = 100;  // every pass ends with its slice, the task still yielding
    Add("Y", std::vector<int>(20, kStepYield));
    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_TRUE(loop.idle()) << "pass " << pass;
        EXPECT_TRUE(loop.timers.empty()) << "pass " << pass;
    }
    EXPECT_EQ(PauseStep(kYielded), kStepYield);
    EXPECT_EQ(PauseStep(kNeedMoreData), kStepLater);
    EXPECT_FALSE(IsPause(kFailure));
    scheduler.Detach();
}

}  // namespace
}  // namespace corvane::core

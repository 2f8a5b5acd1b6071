#include "core/transfer_progress.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/scripted_host_services.h"

namespace corvane::core {
namespace {

TEST(TransferProgress, StatusTextAndControl) {
    struct Case {
        std::uint64_t received, expected;
        std::uint32_t elapsedMs;
        std::string text;
        int control;
    };
    const std::vector<Case> cases = {
        {51200, 102400, 10000,
         "Time remaining: 00:00:10 Transferred: 51200/102400 bytes @ 5120 bps", 64},
        {5000, 0, 3723000, "Time used: 01:02:03 Transferred: 5000 bytes", 0},
        // Past 4 GiB the counts, the rate and the share stay right.
        {6442450944, 8589934592, 60000,
         "Time remaining: 00:00:20 Transferred: 6442450944/8589934592 bytes @ 107374182 bps", 96},
        // A first read within the same millisecond counts as 1 ms.
        {100, 200, 0, "Time remaining: 00:00:00 Transferred: 100/200 bytes @ 100000 bps", 64},
        // More than announced: nothing remains, and the share leaves the control's range.
        {150, 100, 1000, "Time remaining: 00:00:00 Transferred: 150/100 bytes @ 150 bps", 192},
    };
    for (const Case& c : cases) {
        const TransferFigures figures = ComputeTransferFigures(c.received, c.expected, c.elapsedMs);
        EXPECT_EQ(StatusProgressText(figures), c.text);
        EXPECT_EQ(figures.control, c.control) << c.text;
    }
}

TEST(TransferProgress, StatusBarReporterSetsTheControlOnceAndClearsAtTheEnd) {
    platform::ScriptedHostServices ui;
    {
        CStatusBarProgress reporter(ui);
        reporter.Report(51200, 102400, 10000);
        reporter.Report(51300, 102400, 10010);   // still 64: not set again
        reporter.Report(150000, 102400, 20000);  // beyond the range: cleared to 0
    }
    EXPECT_EQ(ui.progressValues, (std::vector<int>{64, 0, -1}));
    EXPECT_EQ(ui.statusTexts.size(), 3u);
    EXPECT_EQ(ui.statusTexts[1],
              "Time remaining: 00:00:00 Transferred: 150000/102400 bytes @ 7500 bps");
    EXPECT_EQ(ui.statusTexts.back(), "");
}

}  // namespace
}  // namespace corvane::core

#pragma once
// Transfer progress: the figures shown for a transfer (rate, time remaining, share of the
// control) and the status-bar reporter every network protocol starts with. Downloads show the
// same figures in a window of their own (shell/).
//
// Byte counts are 64-bit; an elapsed time of 0 ms counts as 1 ms.

#include <cstdint>
#include <string>

#include "core/protocol.h"
#include "platform/host_services.h"

namespace corvane::core {

struct TransferFigures {
    std::uint64_t received = 0;
    std::uint64_t expected = 0;        // 0: the total was not announced
    std::uint64_t elapsedSeconds = 0;  // whole seconds since the first read
    std::uint64_t bytesPerSecond = 0;
    std::uint64_t remainingSeconds = 0;  // with a known total
    int control = 0;                     // received share of the total on the 0..128 progress scale
    int percent = 0;                     // the same share in percent, at most 100

    bool TotalKnown() const { return expected != 0; }
};

TransferFigures ComputeTransferFigures(std::uint64_t received, std::uint64_t expected,
                                       std::uint32_t elapsedMs);

// "%02d:%02d:%02d" hours, minutes and seconds.
std::string FormatClock(std::uint64_t seconds);
// "%lu/%lu bytes @ %lu bps" (known total) or "%ld bytes".
std::string TransferredText(const TransferFigures& figures);
// The status-bar text: "Time remaining: ... Transferred: ..." or "Time used: ...".
std::string StatusProgressText(const TransferFigures& figures);

// Shows progress in the status bar and its progress control; clears both when destroyed. Reads
// come every few kilobytes: the text is rewritten at most every kTextIntervalMs of the
// transfer's time, the control only when its value changes.
class CStatusBarProgress : public CHTProgressReporter {
  public:
    explicit CStatusBarProgress(platform::HostServices& ui) : ui_(ui) {}
    ~CStatusBarProgress() override;
    void Report(std::uint64_t received, std::uint64_t expected, std::uint32_t elapsedMs) override;

    static constexpr std::uint32_t kTextIntervalMs = 100;

  private:
    platform::HostServices& ui_;
    int lastControl_ = -1;
    std::int64_t lastTextMs_ = -1;
};

}  // namespace corvane::core

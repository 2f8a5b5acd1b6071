#include "core/transfer_progress.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <limits>

namespace corvane::core {
namespace {

// received / expected on a scale, truncated: in integers while they cannot overflow.
double Share(std::uint64_t received, std::uint64_t expected, std::uint64_t scale) {
    if (received <= std::numeric_limits<std::uint64_t>::max() / scale)
        return static_cast<double>(received * scale / expected);
    return std::floor(static_cast<double>(received) / static_cast<double>(expected) *
                      static_cast<double>(scale));
}

}  // namespace

TransferFigures ComputeTransferFigures(std::uint64_t received, std::uint64_t expected,
                                       std::uint32_t elapsedMs) {
    TransferFigures figures;
    figures.received = received;
    figures.expected = expected;
    figures.elapsedSeconds = elapsedMs / 1000;
    // A first read in the same millisecond would divide by zero.
    const double elapsed = elapsedMs == 0 ? 1.0 : static_cast<double>(elapsedMs);
    if (received == 0) return figures;
    figures.bytesPerSecond =
        static_cast<std::uint64_t>(static_cast<double>(received) / elapsed * 1000);
    if (expected == 0) return figures;
    const double totalMs =
        static_cast<double>(expected) / (static_cast<double>(received) / elapsed) + 0.5;
    const double remainingMs = totalMs - elapsed;
    // More bytes than announced: nothing remains (rather than a wrapped, enormous time).
    figures.remainingSeconds =
        remainingMs <= 0 ? 0 : static_cast<std::uint64_t>(remainingMs) / 1000;
    figures.control = static_cast<int>(std::min(Share(received, expected, 128), 1000.0));
    figures.percent = static_cast<int>(std::min(Share(received, expected, 100), 100.0));
    return figures;
}

std::string FormatClock(std::uint64_t seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%02" PRIu64 ":%02" PRIu64 ":%02" PRIu64, seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
    return text;
}

std::string TransferredText(const TransferFigures& figures) {
    char text[96];
    if (figures.TotalKnown()) {
        std::snprintf(text, sizeof text, "%" PRIu64 "/%" PRIu64 " bytes @ %" PRIu64 " bps",
                      figures.received, figures.expected, figures.bytesPerSecond);
    } else {
        std::snprintf(text, sizeof text, "%" PRIu64 " bytes", figures.received);
    }
    return text;
}

std::string StatusProgressText(const TransferFigures& figures) {
    if (figures.TotalKnown()) {
        return "Time remaining: " + FormatClock(figures.remainingSeconds) +
               " Transferred: " + TransferredText(figures);
    }
    return "Time used: " + FormatClock(figures.elapsedSeconds) +
           " Transferred: " + TransferredText(figures);
}

CStatusBarProgress::~CStatusBarProgress() {
    ui_.SetStatusText("");
    ui_.SetProgress(-1);
}

void CStatusBarProgress::Report(std::uint64_t received, std::uint64_t expected,
                                std::uint32_t elapsedMs) {
    if (expected != 0 && received == 0) return;
    const TransferFigures figures = ComputeTransferFigures(received, expected, elapsedMs);
    if (lastTextMs_ < 0 || elapsedMs < lastTextMs_ || elapsedMs - lastTextMs_ >= kTextIntervalMs) {
        lastTextMs_ = elapsedMs;
        ui_.SetStatusText(StatusProgressText(figures));
    }
    if (!figures.TotalKnown()) return;
    // The control runs from 0 to 128; anything else clears it.
    const int control = figures.control <= platform::kProgressRange ? figures.control : 0;
    if (control == lastControl_) return;
    lastControl_ = control;
    ui_.SetProgress(control);
}

}  // namespace corvane::core

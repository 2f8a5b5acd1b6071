#include "platform/monotonic_clock.h"

#include <chrono>

#include "platform/event_loop.h"

namespace corvane::platform {

std::int64_t MonotonicMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::uint32_t TickCount() {
    return static_cast<std::uint32_t>(MonotonicMilliseconds());
}

}  // namespace corvane::platform

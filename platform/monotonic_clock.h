#pragma once
// The clock behind TickCount and every timer: milliseconds that never go backwards.

#include <cstdint>

namespace corvane::platform {

// Milliseconds from a fixed origin (boot); unlike TickCount it does not wrap.
std::int64_t MonotonicMilliseconds();

}  // namespace corvane::platform

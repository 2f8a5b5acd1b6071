#pragma once
// Memory for large arrays that are filled soon after they are made (pictures, big group lists).
// It is asked of the kernel in whole 2 MB huge pages: filling 48 MB then costs a few dozen page
// faults instead of twelve thousand, which on a loaded or virtual machine is much of the work.

#include <cstddef>

namespace corvane::platform {

inline constexpr std::size_t kHugePageBytes = 2 * 1024 * 1024;

// At least `bytes` (rounded up to whole huge pages), aligned to one; free it with std::free.
// Throws std::bad_alloc when there is no memory. The kernel may still use small pages: the
// advice is only a wish, and the memory works without it.
void* AllocateHugePages(std::size_t bytes);

}  // namespace corvane::platform

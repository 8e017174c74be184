#pragma once

#include <cstddef>

namespace brevanor {

// Asks the system to back `bytes` bytes from `data` with large pages, before
// they are first written: filling 100 MB then costs a few dozen page faults
// rather than tens of thousands. Only a hint; nothing happens where the system
// offers no such thing or the range is too small to hold one large page.
void adviseLargePages(const void* data, std::size_t bytes);

}  // namespace brevanor

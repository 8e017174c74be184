#include "core/store/LargePages.h"

namespace brevanor {

// The system picks page sizes itself.
void adviseLargePages(const void*, std::size_t) {}

}  // namespace brevanor

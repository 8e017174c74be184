#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "core/store/LargePages.h"

namespace brevanor {

void adviseLargePages(const void* data, std::size_t bytes) {
    static const auto kPage = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    // The advice takes whole pages: the part of the range that covers them.
    const auto start = (reinterpret_cast<std::uintptr_t>(data) + kPage - 1) / kPage * kPage;
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) / kPage * kPage;
    if (end <= start) return;
    ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);  // a refusal changes nothing but speed
}

}  // namespace brevanor

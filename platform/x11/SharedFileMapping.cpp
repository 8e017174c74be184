#include "platform/x11/SharedFileMapping.h"

#include <signal.h>
#include <sys/mman.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <mutex>
#include <system_error>

namespace brevanor {

namespace {

// The mappings the SIGBUS handler may repair. The handler reads them without
// a lock, so each field is a lock-free atomic; a slot is free while `begin` is 0.
struct Slot {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::size_t> bytes{0};
    std::atomic<bool> detached{false};
};
Slot slots[SharedFileMapping::kMaxMappings];
struct sigaction previousAction {};

static_assert(std::atomic<std::uintptr_t>::is_always_lock_free && std::atomic<std::size_t>::is_always_lock_free &&
              std::atomic<bool>::is_always_lock_free);

// Runs in the faulting thread; it calls nothing but mmap and sigaction, both safe in a signal handler.
void onBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Slot& slot : slots) {
        const std::uintptr_t begin = slot.begin.load(std::memory_order_acquire);
        const std::size_t bytes = slot.bytes.load(std::memory_order_acquire);
        if (begin == 0 || address < begin || address - begin >= bytes) continue;
        // The same addresses, now backed by memory of our own: the faulting access is made again and succeeds.
        void* replaced = ::mmap(reinterpret_cast<void*>(begin), bytes, PROT_READ | PROT_WRITE,
                                MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (replaced != MAP_FAILED) {
            slot.detached.store(true, std::memory_order_release);
            return;
        }
        break;
    }
    // Not a fault of ours: what would have happened without this handler.
    if ((previousAction.sa_flags & SA_SIGINFO) != 0 && previousAction.sa_sigaction != nullptr) {
        previousAction.sa_sigaction(signal, info, context);
    } else if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
        previousAction.sa_handler(signal);
    } else {
        // The access faults again on return and the default action ends the process as it would have.
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        ::sigaction(SIGBUS, &fallback, nullptr);
    }
}

void installHandler() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &previousAction);
    });
}

}  // namespace

SharedFileMapping::SharedFileMapping(int fd, std::size_t bytes) : bytes_(bytes), slot_(kMaxMappings) {
    installHandler();
    data_ = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data_ == MAP_FAILED) throw std::system_error(errno, std::generic_category(), "mmap");
    // Taking a free slot is rare and never happens in the handler: a lock will do.
    static std::mutex slotsMutex;
    const std::lock_guard lock(slotsMutex);
    for (std::size_t i = 0; i < kMaxMappings; ++i) {
        if (slots[i].begin.load(std::memory_order_relaxed) != 0) continue;
        slots[i].bytes.store(bytes, std::memory_order_relaxed);
        slots[i].detached.store(false, std::memory_order_relaxed);
        // Published last: the handler reads the size only of a slot whose place it sees.
        slots[i].begin.store(reinterpret_cast<std::uintptr_t>(data_), std::memory_order_release);
        slot_ = i;
        return;
    }
    ::munmap(data_, bytes);
    throw std::system_error(EMFILE, std::generic_category(), "too many shared mappings");
}

SharedFileMapping::~SharedFileMapping() {
    // Out of the handler's list before the addresses may be handed to anything else.
    slots[slot_].begin.store(0, std::memory_order_release);
    ::munmap(data_, bytes_);
}

bool SharedFileMapping::detached() const { return slots[slot_].detached.load(std::memory_order_acquire); }

}  // namespace brevanor

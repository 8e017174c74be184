#include "cli/InterruptSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace brevanor {

namespace {

// The write end of the active watcher's pipe; the signal handler may only do async-signal-safe work.
std::atomic<int> activeWriteEnd{-1};

void forwardSignal(int signalNumber) {
    const int savedErrno = errno;
    const int fd = activeWriteEnd.load();
    const auto byte = static_cast<unsigned char>(signalNumber);
    if (fd >= 0) [[maybe_unused]]
        const ssize_t written = write(fd, &byte, 1);
    errno = savedErrno;
}

}  // namespace

InterruptSignals::InterruptSignals(Handler handler) : handler_(std::move(handler)) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
    readEnd_ = FileDescriptor(ends[0]);
    writeEnd_ = FileDescriptor(ends[1]);
    thread_ = std::thread([this] {
        unsigned char byte = 0;
        // Ends when the write end is closed at destruction.
        while (true) {
            const ssize_t n = read(readEnd_.get(), &byte, 1);
            if (n == 1) {
                handler_(byte);
            } else if (n == 0 || errno != EINTR) {
                return;
            }
        }
    });
    activeWriteEnd.store(writeEnd_.get());
    struct sigaction action {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInterrupt_);
    sigaction(SIGTERM, &action, &previousTerminate_);
}

InterruptSignals::~InterruptSignals() {
    sigaction(SIGINT, &previousInterrupt_, nullptr);
    sigaction(SIGTERM, &previousTerminate_, nullptr);
    activeWriteEnd.store(-1);
    writeEnd_.reset();
    thread_.join();
}

}  // namespace brevanor

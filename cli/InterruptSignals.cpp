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
    if (pipe2(pipe_, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
    activeWriteEnd.store(pipe_[1]);
    thread_ = std::thread([this] {
        unsigned char byte = 0;
        // Ends when the write end is closed at destruction.
        while (true) {
            const ssize_t n = read(pipe_[0], &byte, 1);
            if (n == 1) {
                handler_(byte);
            } else if (n == 0 || errno != EINTR) {
                return;
            }
        }
    });
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
    close(pipe_[1]);
    thread_.join();
    close(pipe_[0]);
}

}  // namespace brevanor

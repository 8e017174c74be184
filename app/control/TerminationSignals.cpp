#include "app/control/TerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>

namespace brevanor {

namespace {

// The pipe the handler writes to: [0] is read by the event loop, [1] written by the handler.
std::array<int, 2> gPipe{-1, -1};
constexpr std::array<int, 2> kSignals{SIGTERM, SIGINT};
std::array<struct sigaction, 2> gPrevious{};

void onSignal(int signalNumber) {
    const int savedErrno = errno;  // async-signal-safe: write() only, errno kept for the interrupted code
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(gPipe[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (gPipe[0] != -1) throw std::logic_error("only one TerminationSignals per process");
    if (::pipe(gPipe.data()) != 0) throw std::runtime_error("cannot create the signal pipe");
    for (int fd : gPipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);  // a full pipe drops a signal, never blocks
    }
    notifier_ = std::make_unique<QSocketNotifier>(gPipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::drain);
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(kSignals[i], &action, &gPrevious[i]);
    }
}

TerminationSignals::~TerminationSignals() {
    for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &gPrevious[i], nullptr);
    notifier_.reset();
    ::close(gPipe[0]);
    ::close(gPipe[1]);
    gPipe = {-1, -1};
}

void TerminationSignals::drain() {
    unsigned char byte = 0;
    while (::read(gPipe[0], &byte, 1) == 1) emit received(byte);
}

}  // namespace brevanor

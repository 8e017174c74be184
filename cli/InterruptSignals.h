#pragma once

#include <csignal>
#include <functional>
#include <thread>

#include "core/store/FileDescriptor.h"

namespace brevanor {

// Turns SIGINT and SIGTERM (Ctrl+C, kill) into calls of a handler on a thread
// of its own, so that a recording or playback can end in order instead of the
// process dying with a key held. While it exists, the signals no longer end the
// program; destroying it puts their previous handling back. One at a time per
// process: the signal handler can reach only one pipe.
class InterruptSignals {
public:
    using Handler = std::function<void(int signalNumber)>;

    explicit InterruptSignals(Handler handler);
    ~InterruptSignals();
    InterruptSignals(const InterruptSignals&) = delete;
    InterruptSignals& operator=(const InterruptSignals&) = delete;

private:
    Handler handler_;
    FileDescriptor readEnd_;
    FileDescriptor writeEnd_;  // closing it ends the thread
    struct sigaction previousInterrupt_ {};
    struct sigaction previousTerminate_ {};
    std::thread thread_;
};

}  // namespace brevanor

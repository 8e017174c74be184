#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <string_view>

#include "core/store/FileDescriptor.h"

namespace brevanor {

// A display server keeps what a client pressed down after that client dies
// (the X server every XTest key and button, sway a virtual pointer's buttons),
// so a held letter repeats for ever. A guardian is a small program of its own
// (among the helper programs, one per kind of display server) with its own
// connection. It holds one end of a socket whose other end only this process
// holds: when this process ends in any way, even SIGKILL, the guardian reads
// end-of-file and lets go of what is still held. When this object is destroyed
// in an orderly way it tells the guardian to leave quietly instead.
class GuardianProcess {
public:
    // The byte that asks a guardian to end without releasing anything.
    static constexpr char kQuietExit = 'q';

    // Starts `programName` for `displayName` (empty: the session's own); nothing
    // when its program cannot be found or started.
    static std::unique_ptr<GuardianProcess> launch(const char* programName, const std::string& displayName);
    // Where `programName` is: in the helper programs' folder of an installed tree,
    // else beside the running program or beside the Brevanor library; empty when nowhere.
    static std::string programPath(const char* programName);

    ~GuardianProcess();
    GuardianProcess(const GuardianProcess&) = delete;
    GuardianProcess& operator=(const GuardianProcess&) = delete;

    pid_t processId() const { return pid_; }
    // Tells the guardian something; one that is gone is no error.
    void send(std::string_view message);

private:
    GuardianProcess(pid_t pid, FileDescriptor socket) : pid_(pid), socket_(std::move(socket)) {}

    pid_t pid_;
    FileDescriptor socket_;
};

}  // namespace brevanor

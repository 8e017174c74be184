#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

namespace brevanor {

// The X server keeps what an XTest client pressed down after that client dies
// (a held letter repeats forever). The guardian is a small process of its own
// ("brevanor-input-guardian", installed among the helper programs) with its own X
// connection. It holds one end of a socket whose other end only this process
// holds: when this process ends in any way, even SIGKILL, the guardian reads
// end-of-file and releases every key and button the XTest devices still hold.
// When this object is destroyed in an orderly way it tells the guardian to
// leave quietly instead.
class X11InputGuardian {
public:
    // Starts the guardian for `displayName` (empty: $DISPLAY); nothing when its program cannot be found or started.
    static std::unique_ptr<X11InputGuardian> launch(const std::string& displayName);
    // Where the guardian's program is: in the helper programs' folder of an installed tree,
    // else beside the running program or beside the Brevanor library; empty when nowhere.
    static std::string programPath();

    ~X11InputGuardian();
    X11InputGuardian(const X11InputGuardian&) = delete;
    X11InputGuardian& operator=(const X11InputGuardian&) = delete;

    pid_t processId() const { return pid_; }

    // The byte that asks the guardian to end without releasing anything.
    static constexpr char kQuietExit = 'q';

private:
    X11InputGuardian(pid_t pid, int socket) : pid_(pid), socket_(socket) {}

    pid_t pid_;
    int socket_;
};

}  // namespace brevanor

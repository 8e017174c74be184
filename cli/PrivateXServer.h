#pragma once

#include <memory>
#include <string>

#include "cli/ChildProcess.h"
#include "core/store/FileDescriptor.h"

namespace brevanor {

// A private X server (Xvfb) for the demo and the end-to-end runs. The server
// picks a free display number itself (-displayfd), so parallel runs never
// collide; it runs with -noreset and one extra client connection is held
// open, because a server that resets when its last client leaves would
// release stuck keys and hide exactly the faults these runs look for. It is
// scheduled in real time where the system allows it. Ended, by its process
// id, when destroyed. The X11 tests start theirs with it too.
class PrivateXServer {
public:
    // Throws CliError when Xvfb is missing or does not come up within 10 s.
    PrivateXServer(int width, int height);
    ~PrivateXServer() = default;
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // ":N", to pass on as DISPLAY.
    const std::string& displayName() const { return displayName_; }

private:
    std::unique_ptr<ChildProcess> server_;
    std::string displayName_;
    FileDescriptor client_;  // the extra connection, declared last so it closes before the server ends
};

}  // namespace brevanor

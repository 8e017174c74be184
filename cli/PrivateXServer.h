#pragma once

#include <memory>
#include <string>

#include "cli/ChildProcess.h"

namespace brevanor {

// A private X server (Xvfb) for the demo and the end-to-end runs. The server
// picks a free display number itself (-displayfd), so parallel runs never
// collide; it runs with -noreset and one extra client connection is held
// open, because a server that resets when its last client leaves would
// release stuck keys and hide exactly the faults these runs look for. Ended,
// by its process id, when destroyed.
class PrivateXServer {
public:
    // Throws CliError when Xvfb is missing or does not come up within 10 s.
    PrivateXServer(int width, int height);
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    // ":N", to pass on as DISPLAY.
    const std::string& displayName() const { return displayName_; }

private:
    std::unique_ptr<ChildProcess> server_;
    std::string displayName_;
    int client_ = -1;  // the extra connection
};

}  // namespace brevanor

#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

namespace brevanor::testing {

// A private X server for one test program: Xvfb on a free display number,
// started with -noreset so stuck-input faults are not hidden by a server reset,
// optionally with openbox so windows can be moved, and one extra client
// connection kept open for the same reason. Everything started is ended, by
// its process id, when the session is destroyed.
class XvfbSession {
public:
    struct Options {
        bool windowManager = false;
        int width = 1280;
        int height = 800;
    };

    explicit XvfbSession(Options options);
    XvfbSession() : XvfbSession(Options{}) {}
    ~XvfbSession();
    XvfbSession(const XvfbSession&) = delete;
    XvfbSession& operator=(const XvfbSession&) = delete;

    // False when Xvfb could not be started here; `failure()` says why.
    bool isRunning() const { return running_; }
    const std::string& failure() const { return failure_; }
    // ":N", also exported as DISPLAY while the session lives, with a private XDG_RUNTIME_DIR.
    const std::string& displayName() const { return displayName_; }

    // Runs a shell command against this display (DISPLAY set); returns its exit status.
    int run(const std::string& command) const;

private:
    bool waitForServer();
    void startWindowManager();

    std::string displayName_;
    std::string failure_;
    std::string previousDisplay_;
    bool hadDisplay_ = false;
    std::string runtimeFolder_;
    std::optional<std::string> previousRuntimeFolder_;
    pid_t serverPid_ = -1;
    pid_t windowManagerPid_ = -1;
    void* keepAlive_ = nullptr;  // the extra client connection (Display*)
    bool running_ = false;
};

}  // namespace brevanor::testing

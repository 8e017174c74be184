#pragma once

#include <memory>
#include <optional>
#include <string>

#include "cli/ChildProcess.h"
#include "cli/PrivateXServer.h"
#include "tests/support/ScopedEnvironment.h"

namespace brevanor::testing {

// A private X server for one test program, started as brevanor-cli starts its
// own (Xvfb on a display number it picks, -noreset, one extra connection held
// open), optionally with openbox so windows can be moved. While it lives,
// DISPLAY names it and XDG_RUNTIME_DIR is a private folder; everything started
// is ended, by its process id, when the session is destroyed.
class XvfbSession {
public:
    struct Options {
        bool windowManager = false;
    };

    // A 1280 × 800 screen.
    explicit XvfbSession(Options options);
    XvfbSession() : XvfbSession(Options{}) {}
    ~XvfbSession();
    XvfbSession(const XvfbSession&) = delete;
    XvfbSession& operator=(const XvfbSession&) = delete;

    // False when Xvfb could not be started here; `failure()` says why.
    bool isRunning() const { return server_ != nullptr; }
    const std::string& failure() const { return failure_; }
    // ":N", also exported as DISPLAY while the session lives.
    const std::string& displayName() const;

    // Runs a shell command against this display (DISPLAY set); returns its exit status.
    int run(const std::string& command) const;

private:
    std::string failure_;
    std::optional<ScopedEnvironment> display_;
    std::string runtimeFolder_;
    std::optional<ScopedEnvironment> runtimeFolderVariable_;
    std::unique_ptr<PrivateXServer> server_;
    std::unique_ptr<ChildProcess> windowManager_;  // ended before the server
};

}  // namespace brevanor::testing

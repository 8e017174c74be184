#include "tests/x11/XvfbSession.h"

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "platform/x11/X11Ewmh.h"
#include "tests/support/WaitUntil.h"

namespace brevanor::testing {

XvfbSession::XvfbSession(Options options) {
    try {
        server_ = std::make_unique<PrivateXServer>(1280, 800);
    } catch (const std::exception& error) {
        failure_ = error.what();
        return;
    }
    display_.emplace("DISPLAY", server_->displayName());
    // Brevanor keeps per-display files (its synthetic-input journal) in the runtime folder: a private one per session.
    std::string pattern = (std::filesystem::temp_directory_path() / "brevanor-runtime-XXXXXX").string();
    if (mkdtemp(pattern.data())) {
        runtimeFolder_ = pattern;
        runtimeFolderVariable_.emplace("XDG_RUNTIME_DIR", runtimeFolder_);
    }
    if (!options.windowManager) return;
    windowManager_ =
        std::make_unique<ChildProcess>(std::vector<std::string>{"openbox", "--sm-disable"}, ChildProcess::Options{});
    // openbox announces what it supports on the root window once it manages the screen.
    X11Ewmh ewmh(std::make_shared<X11Connection>(server_->displayName()));
    waitUntil([&] { return ewmh.supports("_NET_ACTIVE_WINDOW"); }, std::chrono::seconds(5));
}

XvfbSession::~XvfbSession() {
    if (!server_) return;
    windowManager_.reset();
    server_.reset();
    if (!runtimeFolder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(runtimeFolder_, ignored);
    }
}

const std::string& XvfbSession::displayName() const {
    static const std::string none;
    return server_ ? server_->displayName() : none;
}

int XvfbSession::run(const std::string& command) const {
    const std::string withDisplay = "DISPLAY=" + displayName() + " " + command;
    const int status = std::system(withDisplay.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace brevanor::testing

#include "tests/x11/XvfbSession.h"

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <X11/Xlib.h>

#include "tests/support/WaitUntil.h"

namespace brevanor::testing {

XvfbSession::XvfbSession(Options options) {
    try {
        server_ = std::make_unique<PrivateXServer>(options.width, options.height);
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
    if (options.windowManager) startWindowManager();
}

void XvfbSession::startWindowManager() {
    windowManager_ =
        std::make_unique<ChildProcess>(std::vector<std::string>{"openbox", "--sm-disable"}, ChildProcess::Options{});
    // openbox announces itself by setting _NET_SUPPORTING_WM_CHECK on the root window.
    const std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(server_->displayName().c_str()),
                                                              XCloseDisplay);
    if (!display) return;
    const Atom check = XInternAtom(display.get(), "_NET_SUPPORTING_WM_CHECK", False);
    waitUntil(
        [&] {
            Atom type = None;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            const int status = XGetWindowProperty(display.get(), DefaultRootWindow(display.get()), check, 0, 1, False,
                                                  AnyPropertyType, &type, &format, &count, &after, &data);
            if (data) XFree(data);
            return status == Success && type != None;
        },
        std::chrono::seconds(5));
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

int XvfbSession::heldKeysAndButtons() const {
    const std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(displayName().c_str()), XCloseDisplay);
    if (!display) return -1;
    char keys[32] = {};
    XQueryKeymap(display.get(), keys);
    int held = 0;
    for (const char byte : keys) held += __builtin_popcount(static_cast<unsigned char>(byte));
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    XQueryPointer(display.get(), DefaultRootWindow(display.get()), &root, &child, &rootX, &rootY, &x, &y, &mask);
    return held + __builtin_popcount(mask & (Button1Mask | Button2Mask | Button3Mask | Button4Mask | Button5Mask));
}

int XvfbSession::run(const std::string& command) const {
    const std::string withDisplay = "DISPLAY=" + displayName() + " " + command;
    const int status = std::system(withDisplay.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace brevanor::testing

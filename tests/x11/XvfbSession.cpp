#include "tests/x11/XvfbSession.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <X11/Xlib.h>

#include "tests/support/WaitUntil.h"

namespace brevanor::testing {

namespace {

// A display number whose lock file and socket are both absent.
int freeDisplayNumber() {
    for (int n = 90 + static_cast<int>(getpid() % 400); n < 1000; ++n) {
        const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
        struct stat info {};
        if (stat(lock.c_str(), &info) != 0 && stat(socket.c_str(), &info) != 0) return n;
    }
    return -1;
}

pid_t spawn(const char* file, char* const argv[]) {
    const pid_t pid = fork();
    if (pid == 0) {
        const int devnull = open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            dup2(devnull, STDOUT_FILENO);
            dup2(devnull, STDERR_FILENO);
        }
        execvp(file, argv);
        _exit(127);
    }
    return pid;
}

void endProcess(pid_t pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    if (waitUntil([pid] { return waitpid(pid, nullptr, WNOHANG) == pid; }, std::chrono::seconds(2))) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

}  // namespace

XvfbSession::XvfbSession(Options options) {
    if (const char* current = std::getenv("DISPLAY")) {
        hadDisplay_ = true;
        previousDisplay_ = current;
    }
    const int number = freeDisplayNumber();
    if (number < 0) {
        failure_ = "no free X display number";
        return;
    }
    displayName_ = ":" + std::to_string(number);
    const std::string screen = std::to_string(options.width) + "x" + std::to_string(options.height) + "x24";
    std::string args[] = {"Xvfb", displayName_, "-screen", "0", screen, "-noreset", "-nolisten", "tcp"};
    char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(), args[4].data(),
                    args[5].data(), args[6].data(), args[7].data(), nullptr};
    serverPid_ = spawn("Xvfb", argv);
    if (!waitForServer()) return;
    setenv("DISPLAY", displayName_.c_str(), 1);
    // Brevanor keeps per-display files (its synthetic-input journal) in the runtime folder: a private one per session.
    if (const char* current = std::getenv("XDG_RUNTIME_DIR")) previousRuntimeFolder_ = current;
    std::string pattern = (std::filesystem::temp_directory_path() / "brevanor-runtime-XXXXXX").string();
    if (mkdtemp(pattern.data())) {
        runtimeFolder_ = pattern;
        setenv("XDG_RUNTIME_DIR", runtimeFolder_.c_str(), 1);
    }
    if (options.windowManager) startWindowManager();
    running_ = true;
}

bool XvfbSession::waitForServer() {
    bool exited = false;
    waitUntil(
        [&] {
            exited = waitpid(serverPid_, nullptr, WNOHANG) == serverPid_;
            keepAlive_ = exited ? nullptr : XOpenDisplay(displayName_.c_str());
            return exited || keepAlive_;
        },
        std::chrono::seconds(5));
    if (exited) {
        serverPid_ = -1;
        failure_ = "Xvfb exited at start (is the xvfb package installed?)";
    } else if (!keepAlive_) {
        failure_ = "Xvfb did not accept connections within 5 s";
    }
    return keepAlive_ != nullptr;
}

void XvfbSession::startWindowManager() {
    std::string args[] = {"openbox", "--sm-disable"};
    char* argv[] = {args[0].data(), args[1].data(), nullptr};
    windowManagerPid_ = spawn("openbox", argv);
    // openbox announces itself by setting _NET_SUPPORTING_WM_CHECK on the root window.
    auto* display = static_cast<Display*>(keepAlive_);
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    waitUntil(
        [&] {
            Atom type = None;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                                  AnyPropertyType, &type, &format, &count, &after, &data);
            if (data) XFree(data);
            return status == Success && type != None;
        },
        std::chrono::seconds(5));
}

XvfbSession::~XvfbSession() {
    endProcess(windowManagerPid_);
    if (keepAlive_) XCloseDisplay(static_cast<Display*>(keepAlive_));
    endProcess(serverPid_);
    if (!runtimeFolder_.empty()) {
        previousRuntimeFolder_ ? setenv("XDG_RUNTIME_DIR", previousRuntimeFolder_->c_str(), 1)
                               : unsetenv("XDG_RUNTIME_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(runtimeFolder_, ignored);
    }
    if (hadDisplay_) {
        setenv("DISPLAY", previousDisplay_.c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
}

int XvfbSession::run(const std::string& command) const {
    const std::string withDisplay = "DISPLAY=" + displayName_ + " " + command;
    const int status = std::system(withDisplay.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace brevanor::testing

// Cost of the X11 environment reads, in a private Xvfb with openbox: the
// displays, the front application and the running ones (with ten windows and
// this machine's installed desktop entries), a key's character on the current
// layout, and the Secure Input state the recorder polls every 250 ms.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/x11/X11Applications.h"
#include "platform/x11/X11DisplayService.h"
#include "platform/x11/X11KeyboardLayout.h"
#include "platform/x11/X11SecureInput.h"
#include "platform/x11/X11WorkspaceService.h"
#include "tests/x11/XvfbSession.h"

namespace {

using namespace brevanor;

testing::XvfbSession& session() {
    static testing::XvfbSession instance({.windowManager = true});
    return instance;
}

// Ten managed windows of another process, the last one active.
struct Desktop {
    Display* display = XOpenDisplay(session().displayName().c_str());
    std::shared_ptr<X11Applications> applications = std::make_shared<X11Applications>(
        std::make_shared<X11Ewmh>(std::make_shared<X11Connection>(session().displayName())),
        std::make_shared<DesktopEntryCatalog>(DesktopEntryCatalog::defaultApplicationFolders()));

    Desktop() {
        Window last = 0;
        for (int i = 0; i < 10; ++i) {
            last = XCreateSimpleWindow(display, DefaultRootWindow(display), 20 * i, 20 * i, 300, 200, 0, 0, 0);
            char instance[] = "bench", className[] = "BrevanorBench";
            XClassHint hint{instance, className};
            XSetClassHint(display, last, &hint);
            const long pid = getppid();
            XChangeProperty(display, last, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&pid), 1);
            XMapWindow(display, last);
        }
        XSync(display, False);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (applications->ewmh().activeWindow() != last && std::chrono::steady_clock::now() < deadline) {
            applications->ewmh().requestActivation(last);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~Desktop() { XCloseDisplay(display); }
};

void ActiveDisplays(benchmark::State& state) {
    if (!session().isRunning()) return state.SkipWithError(session().failure().c_str());
    X11DisplayService displays(std::make_shared<X11Connection>(session().displayName()));
    for (auto _ : state) benchmark::DoNotOptimize(displays.activeDisplays());
}
BENCHMARK(ActiveDisplays)->Unit(benchmark::kMicrosecond);

void FrontmostApplication(benchmark::State& state) {
    if (!session().isRunning()) return state.SkipWithError(session().failure().c_str());
    Desktop desktop;
    X11WorkspaceService workspace(desktop.applications);
    if (!workspace.frontmostApplication()) return state.SkipWithError("no window became active");
    for (auto _ : state) benchmark::DoNotOptimize(workspace.frontmostApplication());
}
BENCHMARK(FrontmostApplication)->Unit(benchmark::kMicrosecond);

void RunningApplicationIds(benchmark::State& state) {
    if (!session().isRunning()) return state.SkipWithError(session().failure().c_str());
    Desktop desktop;
    X11WorkspaceService workspace(desktop.applications);
    for (auto _ : state) benchmark::DoNotOptimize(workspace.runningApplicationIds());
}
BENCHMARK(RunningApplicationIds)->Unit(benchmark::kMicrosecond);

void KeyCharacter(benchmark::State& state) {
    if (!session().isRunning()) return state.SkipWithError(session().failure().c_str());
    X11KeyboardLayout layout(session().displayName());
    for (auto _ : state) benchmark::DoNotOptimize(layout.character(16));
}
BENCHMARK(KeyCharacter)->Unit(benchmark::kMicrosecond);

void SecureInputState(benchmark::State& state) {
    if (!session().isRunning()) return state.SkipWithError(session().failure().c_str());
    X11SecureInput secureInput(session().displayName());
    for (auto _ : state) benchmark::DoNotOptimize(secureInput.isSecureInputEnabled());
}
BENCHMARK(SecureInputState);

}  // namespace

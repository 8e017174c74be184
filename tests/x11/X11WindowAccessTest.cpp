#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <memory>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/x11/X11Applications.h"
#include "platform/x11/X11WindowAccess.h"
#include "platform/x11/X11WorkspaceService.h"
#include "tests/store/TemporaryDirectory.h"
#include "tests/support/WaitUntil.h"
#include "tests/x11/XvfbSuite.h"

namespace brevanor {
namespace {

using testing::waitUntil;  // the window manager runs on its own

// The test's windows claim to belong to another process: this process's own
// windows are Brevanor's. The parent process is one that surely runs.
const std::int32_t kOtherProcess = static_cast<std::int32_t>(getppid());

// A top-level window the test owns, on the test's own connection.
class TestWindow {
public:
    struct Options {
        std::string title = "Probe";
        std::string className = "BrevanorProbe";
        int width = 300, height = 200;
        bool fixedSize = false;
        bool fullScreen = false;
        long pid = kOtherProcess;
    };

    TestWindow(Display* display, const Options& options) : display_(display) {
        window_ =
            XCreateSimpleWindow(display, DefaultRootWindow(display), 100, 100, static_cast<unsigned>(options.width),
                                static_cast<unsigned>(options.height), 0, 0, 0);
        XChangeProperty(display, window_, XInternAtom(display, "_NET_WM_NAME", False),
                        XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(options.title.data()),
                        static_cast<int>(options.title.size()));
        XClassHint hint{const_cast<char*>("probe"), const_cast<char*>(options.className.c_str())};
        XSetClassHint(display, window_, &hint);
        XChangeProperty(display, window_, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&options.pid), 1);
        if (options.fixedSize) {
            XSizeHints* sizes = XAllocSizeHints();
            sizes->flags = PMinSize | PMaxSize;
            sizes->min_width = sizes->max_width = options.width;
            sizes->min_height = sizes->max_height = options.height;
            XSetWMNormalHints(display, window_, sizes);
            XFree(sizes);
        }
        if (options.fullScreen) {
            const Atom state = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
            XChangeProperty(display, window_, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(&state), 1);
        }
        XMapWindow(display, window_);
        XSync(display, False);
    }
    ~TestWindow() { destroy(); }

    void destroy() {
        if (!window_) return;
        XDestroyWindow(display_, window_);
        XSync(display_, False);
        window_ = 0;
    }
    Window id() const { return window_; }

private:
    Display* display_;
    Window window_ = 0;
};

class X11WindowAccessTest : public testing::XvfbSuiteWithWindowManager {
protected:
    void SetUp() override {
        XvfbSuiteWithWindowManager::SetUp();
        if (IsSkipped()) return;
        auto connection = std::make_shared<X11Connection>(session_->displayName());
        applications_ = std::make_shared<X11Applications>(
            std::make_shared<X11Ewmh>(connection),
            std::make_shared<DesktopEntryCatalog>(std::vector<std::filesystem::path>{folder_.path()}));
        workspace_ = std::make_unique<X11WorkspaceService>(applications_);
        windows_ = std::make_unique<X11WindowAccess>(applications_);
    }
    // Maps a window and waits until the window manager manages and activates it.
    std::unique_ptr<TestWindow> managedWindow(const TestWindow::Options& options) {
        auto window = std::make_unique<TestWindow>(display_, options);
        const Window id = window->id();
        // The window manager announces the decorations it gave the window. A window
        // mapped while openbox is still starting can be missed: mapping it again helps.
        const Atom extents = XInternAtom(display_, "_NET_FRAME_EXTENTS", False);
        const auto managed = [&] {
            Atom type = None;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            XGetWindowProperty(display_, id, extents, 0, 4, False, XA_CARDINAL, &type, &format, &count, &after, &data);
            if (data) XFree(data);
            return count == 4;
        };
        for (int attempt = 0; attempt < 50 && !waitUntil(managed, std::chrono::milliseconds(100)); ++attempt) {
            XUnmapWindow(display_, id);
            XMapWindow(display_, id);
            XSync(display_, False);
        }
        EXPECT_TRUE(managed()) << "the window manager did not take the window";
        // openbox gives new windows the focus, except sometimes the first one after it started.
        if (applications_->ewmh().activeWindow() != id) applications_->ewmh().requestActivation(id);
        EXPECT_TRUE(waitUntil([&] { return applications_->ewmh().activeWindow() == id; }));
        return window;
    }

    RunningApplication self() { return RunningApplication{kOtherProcess, "BrevanorProbe", "BrevanorProbe"}; }

    TemporaryDirectory folder_;
    std::shared_ptr<X11Applications> applications_;
    std::unique_ptr<X11WorkspaceService> workspace_;
    std::unique_ptr<X11WindowAccess> windows_;
};

TEST_F(X11WindowAccessTest, TheFrontApplicationIsTheActiveWindowsOwner) {
    const auto window = managedWindow({.title = "Grüße"});
    const auto front = workspace_->frontmostApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(*front, self());
    EXPECT_TRUE(workspace_->runningApplicationIds().contains("BrevanorProbe"));
    EXPECT_EQ(workspace_->runningApplications("BrevanorProbe"), std::vector{self()});
    EXPECT_TRUE(workspace_->runningApplications("Nobody").empty());

    const auto focused = windows_->focusedWindow(*front);
    ASSERT_TRUE(focused);
    EXPECT_EQ(focused->value, window->id());
    EXPECT_EQ(windows_->mainWindow(*front), focused);
    EXPECT_EQ(windows_->title(*focused), "Grüße");
    EXPECT_EQ(windows_->isFullScreen(*focused), false);
    EXPECT_TRUE(windows_->isTrusted());

    // This process's own windows are Brevanor's.
    const auto own = managedWindow({.title = "Library", .className = "Brevanor", .pid = getpid()});
    const auto ownFront = workspace_->frontmostApplication();
    ASSERT_TRUE(ownFront);
    EXPECT_EQ(ownFront->appId, workspace_->ownApplicationId());
    EXPECT_EQ(ownFront->pid, getpid());

    // Activation brings another application's window forward. The probe and this window claim one
    // process: the application id tells them apart.
    const auto other = managedWindow({.title = "Other", .className = "OtherApp"});
    ASSERT_EQ(workspace_->frontmostApplication()->appId, "OtherApp");
    workspace_->activate(self());
    EXPECT_TRUE(waitUntil([&] { return applications_->ewmh().activeWindow() == window->id(); }));
}

TEST_F(X11WindowAccessTest, TheDesktopEntryNamesAndLaunchesTheApplication) {
    const auto marker = folder_.path() / "started";
    std::ofstream(folder_.path() / "org.example.Probe.desktop")
        << "[Desktop Entry]\nType=Application\nName=Probe Deluxe\nExec=probe\nStartupWMClass=BrevanorProbe\n";
    std::ofstream(folder_.path() / "marker.desktop")
        << "[Desktop Entry]\nType=Application\nName=Marker\nExec=touch " << marker.string() << " %U\n";
    std::ofstream(folder_.path() / "broken.desktop") << "[Desktop Entry]\nType=Application\nExec=/no/such/program\n";
    const auto window = managedWindow({});
    const auto front = workspace_->frontmostApplication();
    ASSERT_TRUE(front);
    EXPECT_EQ(front->appId, "org.example.Probe");
    EXPECT_EQ(front->name, "Probe Deluxe");
    EXPECT_TRUE(workspace_->isInstalled("org.example.Probe"));
    EXPECT_FALSE(workspace_->isInstalled("BrevanorProbe"));

    // Launching starts the entry's command and answers the application, or nothing.
    std::optional<RunningApplication> launched;
    int calls = 0;
    workspace_->launch("marker", [&](std::optional<RunningApplication> app) {
        ++calls;
        launched = std::move(app);
    });
    EXPECT_EQ(calls, 1);
    ASSERT_TRUE(launched);
    EXPECT_GT(launched->pid, 0);
    EXPECT_EQ(launched->appId, "marker");
    EXPECT_EQ(launched->name, "Marker");
    EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(marker); }));
    workspace_->launch("broken", [&](std::optional<RunningApplication> app) {
        ++calls;
        EXPECT_FALSE(app);
    });
    workspace_->launch("missing", [&](std::optional<RunningApplication> app) {
        ++calls;
        EXPECT_FALSE(app);
    });
    EXPECT_EQ(calls, 3);
}

TEST_F(X11WindowAccessTest, AWindowMovedAndResizedReadsBackWhatWasSetAndFailsSoftlyOnceGone) {
    auto window = managedWindow({.width = 320, .height = 240});
    const WindowHandle handle{window->id()};
    ASSERT_TRUE(windows_->isPositionSettable(handle));
    ASSERT_TRUE(windows_->isSizeSettable(handle));
    const auto frame = applications_->ewmh().frame(window->id());
    ASSERT_TRUE(frame);

    windows_->setPosition(handle, {412, 233});
    EXPECT_EQ(windows_->position(handle), (Point{412, 233}));
    windows_->setSize(handle, {500, 400});
    EXPECT_EQ(windows_->size(handle), (Size{500, 400}));
    EXPECT_EQ(windows_->position(handle), (Point{412, 233}));
    // What the user sees moved there: the window manager's frame window, a child of the root.
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    ASSERT_TRUE(XQueryTree(display_, window->id(), &root, &parent, &children, &count));
    if (children) XFree(children);
    int frameX = 0, frameY = 0;
    unsigned int frameWidth = 0, frameHeight = 0, border = 0, depth = 0;
    XGetGeometry(display_, parent, &root, &frameX, &frameY, &frameWidth, &frameHeight, &border, &depth);
    EXPECT_EQ(frameX, 412);
    EXPECT_EQ(frameY, 233);
    EXPECT_EQ(frameWidth + 2 * border, 500u);
    // The frame includes the decorations: the client area is smaller by the frame extents.
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, window->id(), &attributes);
    const auto extents = applications_->ewmh().frameExtents(window->id());
    EXPECT_EQ(attributes.width + extents.left + extents.right, 500);
    EXPECT_EQ(attributes.height + extents.top + extents.bottom, 400);

    window->destroy();
    EXPECT_EQ(windows_->title(handle), std::nullopt);
    EXPECT_EQ(windows_->position(handle), std::nullopt);
    EXPECT_EQ(windows_->size(handle), std::nullopt);
    EXPECT_EQ(windows_->isFullScreen(handle), std::nullopt);
    EXPECT_FALSE(windows_->isPositionSettable(handle));
    EXPECT_FALSE(windows_->isSizeSettable(handle));
    windows_->setPosition(handle, {10, 10});
    windows_->setSize(handle, {10, 10});
    EXPECT_TRUE(waitUntil([&] { return windows_->windows(self()).empty(); }));
    EXPECT_EQ(windows_->mainWindow(self()), std::nullopt);
}

TEST_F(X11WindowAccessTest, FixedSizeAndFullScreenWindowsAreReported) {
    const auto fixed = managedWindow({.title = "Fixed", .fixedSize = true});
    EXPECT_FALSE(windows_->isSizeSettable({fixed->id()}));
    EXPECT_TRUE(windows_->isPositionSettable({fixed->id()}));

    const auto full = managedWindow({.title = "Full", .fullScreen = true});
    EXPECT_EQ(windows_->isFullScreen({full->id()}), true);
    EXPECT_EQ(windows_->size({full->id()}), (Size{1280, 800}));
    // Front to back: the full-screen window came last and is in front.
    const auto all = windows_->windows(self());
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].value, full->id());
    EXPECT_EQ(all[1].value, fixed->id());
}

}  // namespace
}  // namespace brevanor

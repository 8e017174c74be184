#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include "cli/ChildProcess.h"
#include "platform/x11/X11Ewmh.h"
#include "tests/desktop/BrevanorEnvironment.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/store/TemporaryDirectory.h"
#include "tests/support/WaitUntil.h"
#include "tests/x11/XvfbSuite.h"

namespace brevanor {
namespace {

using namespace std::chrono_literals;

// A window as the screen shows it.
struct Placed {
    Window window = None;
    int x = 0, y = 0, width = 0, height = 0;
    int centreX() const { return x + width / 2; }
    int centreY() const { return y + height / 2; }
};

// Each look is a round trip to the server or a screen grab: not too often.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s) {
    return testing::waitUntil(condition, timeout, 50ms);
}

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

// Brevanor as a user meets it: the real program in a private X server with
// openbox and trayer (an XEmbed tray), on a library and preferences of its
// own, driven by xdotool. A window of the test's lies under the status pill
// and takes what is typed. Screenshots go to the build folder.
class TrayDesktopTest : public testing::XvfbSuiteWithWindowManager {
protected:
    void SetUp() override {
        for (const char* tool : {"openbox", "trayer", "xdotool", "import"}) {
            if (!ChildProcess::isAvailable(tool)) GTEST_SKIP() << tool << " is not installed";
        }
        XvfbSuiteWithWindowManager::SetUp();
        if (IsSkipped()) return;
        ewmh_ = std::make_unique<X11Ewmh>(std::make_shared<X11Connection>(session_->displayName()));
        std::filesystem::create_directories(BREVANOR_SCREENSHOT_DIR);
        // Not the first launch (no onboarding), and a short countdown.
        testing::makeBrevanorFolders(folder_.path(), "hasLaunchedBefore=true\ncountdownSeconds=2\n");
    }

    void TearDown() override {
        if (brevanor_) brevanor_->terminate();
        brevanor_.reset();
        tray_.reset();
        if (target_ != None) XDestroyWindow(display_, target_);
    }

    void startTray() {
        tray_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"trayer", "--edge", "bottom", "--align", "right", "--widthtype", "request",
                                     "--height", "28", "--SetDockType", "true", "--SetPartialStrut", "true",
                                     "--transparent", "true", "--alpha", "0", "--tint", "0x2b3035"},
            ChildProcess::Options{});  // DISPLAY is the session's
        const Atom selection = XInternAtom(display_, "_NET_SYSTEM_TRAY_S0", False);
        ASSERT_TRUE(waitFor([&] { return XGetSelectionOwner(display_, selection) != None; })) << "trayer started";
    }

    void startBrevanor() {
        const auto& base = folder_.path();
        ChildProcess::Options options;
        options.environment = testing::brevanorEnvironment(base, session_->displayName());
        options.standardOutput = base / "brevanor.out";
        options.standardError = base / "brevanor.err";
        brevanor_ = std::make_unique<ChildProcess>(std::vector<std::string>{BREVANOR_APP_PROGRAM}, options);
    }

    // A window under where the pill shows, taking the keyboard, as an editor would.
    void openTargetWindow() {
        target_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 290, 0, 700, 400, 0, 0, 0xf4f4f4);
        XSizeHints hints{};
        hints.flags = USPosition | USSize;
        hints.x = 290;
        hints.y = 0;
        hints.width = 700;
        hints.height = 400;
        XSetWMNormalHints(display_, target_, &hints);
        XStoreName(display_, target_, "Target");
        XSelectInput(display_, target_, KeyPressMask | ButtonPressMask | StructureNotifyMask);
        XMapWindow(display_, target_);
        XSync(display_, False);
        ASSERT_TRUE(waitFor([&] { return placed(target_).has_value(); }));
    }

    // Where a viewable window is on the screen; nothing while it is not shown.
    std::optional<Placed> placed(Window window) const {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display_, window, &attributes) || attributes.map_state != IsViewable) {
            return std::nullopt;
        }
        Placed result{window, 0, 0, attributes.width, attributes.height};
        Window child = None;
        XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &result.x, &result.y, &child);
        return result;
    }

    // Brevanor's first viewable window that matches `fits`.
    std::optional<Placed> brevanorWindow(const std::function<bool(const Placed&, bool overrideRedirect)>& fits) const {
        std::optional<Placed> found;
        std::function<void(Window)> visit = [&](Window window) {
            XClassHint hint{};
            if (XGetClassHint(display_, window, &hint)) {
                const bool ours = hint.res_class && std::string(hint.res_class) == "Brevanor";
                if (hint.res_name) XFree(hint.res_name);
                if (hint.res_class) XFree(hint.res_class);
                XWindowAttributes attributes{};
                if (ours && !found && XGetWindowAttributes(display_, window, &attributes)) {
                    if (const auto where = placed(window); where && fits(*where, attributes.override_redirect)) {
                        found = where;
                    }
                }
            }
            Window root = None, parent = None, *children = nullptr;
            unsigned int count = 0;
            if (!XQueryTree(display_, window, &root, &parent, &children, &count)) return;
            for (unsigned int i = 0; i < count; ++i) visit(children[i]);
            if (children) XFree(children);
        };
        visit(DefaultRootWindow(display_));
        return found;
    }

    std::optional<Placed> trayIcon() const {
        return brevanorWindow(
            [](const Placed& window, bool) { return window.width <= 48 && window.height <= 48 && window.y > 700; });
    }
    std::optional<Placed> pill() const {
        return brevanorWindow([](const Placed& window, bool overrideRedirect) {
            return overrideRedirect && window.width == 500 && window.height == 48;
        });
    }
    // Brevanor's shown window with this title, at least this wide (the library
    // window is titled as the tray icon is, but far larger).
    std::optional<Placed> windowTitled(const std::string& title, int minimumWidth = 0) const {
        return brevanorWindow([&](const Placed& window, bool) {
            char* name = nullptr;
            const bool matches = XFetchName(display_, window.window, &name) && name && title == name;
            if (name) XFree(name);
            return matches && window.width >= minimumWidth;
        });
    }
    std::optional<Placed> popupMenu() const {
        return brevanorWindow(
            [](const Placed& window, bool overrideRedirect) { return overrideRedirect && window.height > 100; });
    }

    Window activeWindow() const { return ewmh_->activeWindow().value_or(None); }

    // Letters typed and clicks that reached the target window so far.
    void readTargetEvents() {
        while (XPending(display_) > 0) {
            XEvent event{};
            XNextEvent(display_, &event);
            if (event.xany.window != target_) continue;
            // Letters only: the shortcuts' modifiers reach the window too.
            const KeySym symbol = event.type == KeyPress ? XLookupKeysym(&event.xkey, 0) : NoSymbol;
            if (symbol >= XK_a && symbol <= XK_z) ++targetLetters_;
            if (event.type == ButtonPress) targetClicks_.emplace_back(event.xbutton.x_root, event.xbutton.y_root);
        }
    }

    // The pixels of a part of the screen, to see whether it changed.
    std::vector<unsigned long> pixels(int x, int y, int width, int height) const {
        std::vector<unsigned long> result;
        XImage* image = XGetImage(display_, DefaultRootWindow(display_), x, y, width, height, AllPlanes, ZPixmap);
        if (!image) return result;
        for (int row = 0; row < height; ++row) {
            for (int column = 0; column < width; ++column) result.push_back(XGetPixel(image, column, row));
        }
        XDestroyImage(image);
        return result;
    }
    std::vector<unsigned long> pixels(const Placed& window) const {
        return pixels(window.x, window.y, window.width, window.height);
    }
    // Waits until Qt has drawn `window`: more than its background shows.
    bool waitUntilDrawn(const Placed& window) const {
        return waitFor([&] {
            const auto shown = pixels(window);
            return std::set<unsigned long>(shown.begin(), shown.end()).size() > 2;
        });
    }

    // Waits until `window` settles on a picture none of `seen` shows, and adds it: settled once
    // several looks in a row find it unchanged, as a page that faded in stays.
    bool waitUntilSettledOnAnother(const Placed& window, std::vector<std::vector<unsigned long>>& seen) const {
        // Settled by time, not by a count of grabs: a grab is slow on a loaded machine, and a
        // step that moves on by itself would pass before enough grabs were taken.
        std::vector<unsigned long> last;
        auto since = std::chrono::steady_clock::now();
        return waitFor([&] {
            auto shown = pixels(window);
            if (shown != last) {
                last = std::move(shown);
                since = std::chrono::steady_clock::now();
                return false;
            }
            if (std::chrono::steady_clock::now() - since < 250ms ||
                std::find(seen.begin(), seen.end(), last) != seen.end()) {
                return false;
            }
            seen.push_back(last);
            return true;
        });
    }

    int run(const std::string& command) const { return session_->run(command); }
    void click(int x, int y) const {
        run("xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y) + " click 1");
    }
    // The whole screen, or one window alone without the desktop around it.
    void screenshot(const std::string& name, std::optional<Placed> window = std::nullopt) const {
        run("import -window " + (window ? std::to_string(window->window) : "root") + " " + BREVANOR_SCREENSHOT_DIR +
            "/" + name + ".png");
    }

    std::vector<std::filesystem::path> recordingFiles() const {
        std::vector<std::filesystem::path> files;
        const auto folder = folder_.path() / "data/Brevanor/Recordings";
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
            if (entry.path().extension() == ".json") files.push_back(entry.path());
        }
        return files;
    }

    TemporaryDirectory folder_;
    std::unique_ptr<X11Ewmh> ewmh_;
    Window target_ = None;
    int targetLetters_ = 0;
    std::vector<std::pair<int, int>> targetClicks_;
    std::unique_ptr<ChildProcess> tray_;
    std::unique_ptr<ChildProcess> brevanor_;
};

TEST_F(TrayDesktopTest, RecordFromTheTrayMenuStopByShortcutReplayStopFromTheTrayThenRenameInTheLibrary) {
    startTray();
    openTargetWindow();
    startBrevanor();
    std::optional<Placed> icon;
    ASSERT_TRUE(waitFor([&] { return (icon = trayIcon()).has_value(); })) << "Brevanor's icon docked in the tray";

    // A left click opens the menu; its first item records.
    click(icon->centreX(), icon->centreY());
    ASSERT_TRUE(waitFor([&] { return popupMenu().has_value(); })) << "the menu opened";
    screenshot("tray-menu");
    run("xdotool key --delay 80 Down Return");

    std::optional<Placed> shown;
    ASSERT_TRUE(waitFor([&] { return (shown = pill()).has_value(); })) << "the pill shows the countdown";
    EXPECT_EQ(shown->x, (1280 - 500) / 2);
    EXPECT_EQ(shown->y, 10);
    screenshot("pill-countdown");
    run("xdotool key ctrl+alt+super+r");  // starts at once, as the pill offers

    // The pill takes no click: the window beneath gets it, and the focus.
    click(shown->centreX(), shown->y + 40);
    ASSERT_TRUE(waitFor([&] {
        readTargetEvents();
        return !targetClicks_.empty();
    })) << "the click went through the pill";
    EXPECT_EQ(targetClicks_.front(), std::make_pair(shown->centreX(), shown->y + 40));
    ASSERT_TRUE(waitFor([&] { return activeWindow() == target_; }));
    // Slowly (half a second a letter), so that the replay lasts long enough to be stopped half-way
    // below even on a busy machine.
    run("xdotool type --delay 1000 brevanor");
    screenshot("pill-recording");
    EXPECT_EQ(activeWindow(), target_) << "the pill never became the active window";
    run("xdotool key ctrl+alt+super+x");  // the stop shortcut

    ASSERT_TRUE(waitFor([&] { return recordingFiles().size() == 1; })) << "the recording was saved";
    ASSERT_TRUE(waitFor([&] { return !pill().has_value(); })) << "idle hides the pill";
    const std::string document = readFile(recordingFiles().front());
    EXPECT_EQ(countOf(document, "\"keyDown\""), 8u) << "the eight letters, without the shortcut's keys";
    readTargetEvents();
    const int typed = targetLetters_;

    // Play it back by the play-last shortcut, stopped at once by a left click on the tray icon.
    run("xdotool key ctrl+alt+super+p");
    ASSERT_TRUE(waitFor([&] { return pill().has_value(); })) << "the pill shows the playback";
    screenshot("pill-playing");
    // The replay begins with the recorded click, pressing the same button of the same synthetic
    // pointer as xdotool does: click the tray only once the letters come, or the two clicks mix.
    ASSERT_TRUE(waitFor([&] {
        readTargetEvents();
        return targetLetters_ > typed;
    })) << "the replay began";
    click(icon->centreX(), icon->centreY());
    ASSERT_TRUE(waitFor([&] { return !pill().has_value(); }, 1500ms)) << "stopped before its end";
    EXPECT_FALSE(popupMenu().has_value()) << "a click during playback stops and opens no menu";
    readTargetEvents();
    const int stoppedAt = targetLetters_;
    EXPECT_LT(stoppedAt - typed, 8);

    // Played again in full: the letters arrive again. The stopped playback's rest would
    // come meanwhile, a letter a second: it never does.
    run("xdotool key ctrl+alt+super+p");
    ASSERT_TRUE(waitFor([&] { return pill().has_value(); })) << "the pill shows the playback";
    ASSERT_TRUE(waitFor([&] { return !pill().has_value(); })) << "the playback ended";
    ASSERT_TRUE(waitFor([&] {
        readTargetEvents();
        return targetLetters_ >= stoppedAt + 8;
    })) << "replayed "
        << targetLetters_ - stoppedAt << " letters";
    EXPECT_EQ(targetLetters_, stoppedAt + 8) << "the rest of the stopped playback came after all";

    // The library, from the menu (third item from its end): the recording is its first row.
    click(icon->centreX(), icon->centreY());
    ASSERT_TRUE(waitFor([&] { return popupMenu().has_value(); }));
    run("xdotool key --delay 80 Up Up Up Return");
    std::optional<Placed> library;
    ASSERT_TRUE(waitFor([&] { return (library = windowTitled("Brevanor", 760)).has_value(); }))
        << "the library window opened";
    ASSERT_TRUE(waitFor([&] { return activeWindow() == library->window; }));
    ASSERT_TRUE(waitUntilDrawn(*library));
    click(library->x + 100, library->y + 60);  // the row, left of its play button
    // A new name typed in its editor's name field is saved, and the row follows: its name line is drawn anew.
    click(library->x + 500, library->y + 29);
    run("xdotool key ctrl+a");
    const auto rowName = [&] { return pixels(library->x + 4, library->y + 50, 300, 18); };
    const auto before = rowName();
    run("xdotool type --delay 20 'Morning report'");
    EXPECT_TRUE(waitFor([&] {
        return readFile(recordingFiles().front()).find("\"name\":\"Morning report\"") != std::string::npos;
    })) << "the new name was saved";
    EXPECT_TRUE(waitFor([&] { return rowName() != before; })) << "the row shows the new name";
    EXPECT_EQ(recordingFiles().size(), 1u);
    screenshot("library-window", *library);
    // Further down the editor, among the recording's facts, the last replay's fidelity.
    run("xdotool mousemove --sync " + std::to_string(library->x + 600) + " " + std::to_string(library->y + 300) +
        " click --repeat 15 --delay 20 5");
    screenshot("editor-last-replay", *library);

    EXPECT_EQ(brevanor_->terminate(5s), 0) << readFile(folder_.path() / "brevanor.err");
    brevanor_.reset();
}

TEST_F(TrayDesktopTest, AFirstLaunchGuidesThroughThePermissionsThenTheSettingsTakeEffectAtOnce) {
    testing::writeBrevanorPreferences(folder_.path(), "");
    startTray();
    startBrevanor();
    std::optional<Placed> guide;
    ASSERT_TRUE(waitFor([&] { return (guide = windowTitled("Welcome to Brevanor")).has_value(); }))
        << "the first launch shows the onboarding";
    EXPECT_EQ(guide->width, 580);
    EXPECT_EQ(guide->height, 480);
    ASSERT_TRUE(waitUntilDrawn(*guide));
    screenshot("onboarding-welcome", *guide);

    // X11 grants both permissions when the server has the extensions, as Xvfb
    // does: each step shows it and moves on by itself.
    ASSERT_TRUE(waitFor([&] { return activeWindow() == guide->window; })) << "the guide is in front";
    const auto welcome = pixels(*guide);
    run("xdotool key Return");  // Continue
    std::vector<std::vector<unsigned long>> steps{welcome};
    ASSERT_TRUE(waitUntilSettledOnAnother(*guide, steps)) << "the accessibility step";
    screenshot("onboarding-accessibility", *guide);
    ASSERT_TRUE(waitUntilSettledOnAnother(*guide, steps)) << "the input monitoring step";
    ASSERT_TRUE(waitUntilSettledOnAnother(*guide, steps)) << "the last step";
    screenshot("onboarding-done", *guide);
    run("xdotool key Return");  // Done
    ASSERT_TRUE(waitFor([&] { return !windowTitled("Welcome to Brevanor").has_value(); })) << "Done hides the guide";
    EXPECT_NE(readFile(folder_.path() / "config/Brevanor/Brevanor.conf").find("hasLaunchedBefore=true"),
              std::string::npos);

    // The settings, from the tray menu: Record, Open Library…, Settings… (the
    // items between are disabled while nothing was recorded).
    std::optional<Placed> icon;
    ASSERT_TRUE(waitFor([&] { return (icon = trayIcon()).has_value(); }));
    click(icon->centreX(), icon->centreY());
    ASSERT_TRUE(waitFor([&] { return popupMenu().has_value(); }));
    run("xdotool key --delay 80 Down Down Down Return");
    std::optional<Placed> settings;
    ASSERT_TRUE(waitFor([&] { return (settings = windowTitled("Brevanor Settings")).has_value(); }));
    EXPECT_EQ(settings->width, 560);
    EXPECT_EQ(settings->height, 480);
    ASSERT_TRUE(waitFor([&] { return activeWindow() == settings->window; }));
    ASSERT_TRUE(waitUntilDrawn(*settings));
    screenshot("settings-general", *settings);

    // The login item's toggle is the first row: the autostart entry is written at once.
    const auto autostart = folder_.path() / "config/autostart/com.brevanor.Brevanor.desktop";
    EXPECT_FALSE(std::filesystem::exists(autostart));
    click(settings->x + 40, settings->y + 69);
    EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(autostart); })) << "Open Brevanor at login, at once";

    for (const char* tab : {"settings-hotkeys", "settings-playback", "settings-about"}) {
        const auto before = pixels(*settings);
        run("xdotool key ctrl+Tab");
        EXPECT_TRUE(waitFor([&] { return pixels(*settings) != before; })) << tab;
        screenshot(tab, *settings);
    }

    // Closing only hides the window; the program runs on.
    run("xdotool key alt+F4");
    ASSERT_TRUE(waitFor([&] { return !windowTitled("Brevanor Settings").has_value(); }));
    EXPECT_TRUE(trayIcon().has_value());
    EXPECT_EQ(brevanor_->terminate(5s), 0) << readFile(folder_.path() / "brevanor.err");
    brevanor_.reset();
}

// The same program on a bare X server: no window manager to pass the focus
// on or to minimize anything, and no tray, so the library window is the way in.
class BareDesktopTest : public TrayDesktopTest {
protected:
    static void SetUpTestSuite() { session_ = new testing::XvfbSession(); }

    std::optional<Placed> library() const { return windowTitled("Brevanor", 760); }

    // The recording files' documents, oldest first.
    std::vector<std::string> documents() const {
        auto files = recordingFiles();
        std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) {
            return std::filesystem::last_write_time(a) < std::filesystem::last_write_time(b);
        });
        std::vector<std::string> result;
        for (const auto& file : files) result.push_back(readFile(file));
        return result;
    }
};

TEST_F(BareDesktopTest, EveryKeyIsRecordedThroughACutJournalTheLibraryComesBackAndAQuitSavesTheRecordingUnderWay) {
    testing::writeBrevanorPreferences(folder_.path(), "hasLaunchedBefore=true\ncountdownSeconds=0\n");
    startBrevanor();
    std::optional<Placed> shown;
    ASSERT_TRUE(waitFor([&] { return (shown = library()).has_value(); })) << "without a tray the library opens";
    ASSERT_TRUE(waitUntilDrawn(*shown));
    screenshot("library-empty", *shown);
    // Another program cuts the shared synthetic-input journal short (as `: > file` does): the
    // application must neither die of it nor lose a key.
    const auto journal = folder_.path() / "runtime" / ("brevanor-synthetic-input-v1-" + session_->displayName());
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(journal); })) << "the journal was never made";
    ASSERT_EQ(::truncate(journal.c_str(), 0), 0);
    openTargetWindow();

    // Recorded at once: the library gets out of the way, and what is typed is the target's.
    run("xdotool key ctrl+alt+super+r");
    ASSERT_TRUE(waitFor([&] { return pill().has_value(); })) << "recording";
    EXPECT_TRUE(waitFor([&] { return !library().has_value(); })) << "the library hid for the recording";
    click(500, 200);
    run("xdotool type --delay 100 hello");
    run("xdotool key ctrl+alt+super+r");
    ASSERT_TRUE(waitFor([&] { return recordingFiles().size() == 1; })) << "the recording was saved";
    std::string document = documents().front();
    EXPECT_EQ(countOf(document, "\"keyDown\""), 5u) << document;
    EXPECT_EQ(countOf(document, "\"keyUp\""), 5u) << document;
    EXPECT_EQ(countOf(document, "\"mouseDown\""), 1u) << document;
    EXPECT_EQ(countOf(document, "\"flagsChanged\""), 0u) << "neither shortcut's keys: " << document;
    ASSERT_TRUE(waitFor([&] { return library().has_value(); })) << "the library came back after the recording";

    // A replay hides the library as well, and brings it back once it ends.
    run("xdotool key ctrl+alt+super+p");
    ASSERT_TRUE(waitFor([&] { return pill().has_value(); })) << "playing";
    EXPECT_TRUE(waitFor([&] { return !library().has_value(); }, 1s)) << "hidden for the replay";
    ASSERT_TRUE(waitFor([&] { return !pill().has_value(); })) << "the replay ended";
    EXPECT_TRUE(waitFor([&] { return library().has_value(); })) << "the library came back after the replay";

    // A second recording, ended by the system's request to quit, is saved whole.
    run("xdotool key ctrl+alt+super+r");
    ASSERT_TRUE(waitFor([&] { return pill().has_value(); }));
    ASSERT_TRUE(waitFor([&] { return !library().has_value(); }));
    click(520, 220);
    readTargetEvents();
    const int typed = targetLetters_;
    run("xdotool type --delay 100 abc");
    // The server has handed the letters out: to the window and to Brevanor's listener alike.
    ASSERT_TRUE(waitFor([&] {
        readTargetEvents();
        return targetLetters_ >= typed + 3;
    }));
    EXPECT_EQ(brevanor_->terminate(5s), 0) << readFile(folder_.path() / "brevanor.err");
    brevanor_.reset();
    ASSERT_EQ(recordingFiles().size(), 2u) << "saved when told to quit";
    document = documents().back();
    EXPECT_EQ(countOf(document, "\"keyDown\""), 3u) << document;
    EXPECT_EQ(countOf(document, "\"mouseDown\""), 1u) << document;
}

}  // namespace
}  // namespace brevanor

#include <gtest/gtest.h>

#include <thread>

#include "base/text/Localized.h"
#include "core/checks/WindowRestorer.h"
#include "platform/fake/FakeWindowAccess.h"
#include "platform/fake/FakeWorkspaceService.h"
#include "platform/fake/ManualMainQueue.h"

namespace brevanor {
namespace {

using Write = FakeWindowAccess::Write;
constexpr std::uint64_t kMillisecond = 1'000'000;
constexpr std::uint64_t kSecond = 1'000'000'000;
const RunningApplication kSafari{42, "com.apple.Safari", "Safari"};

class WindowRestorerTest : public ::testing::Test {
protected:
    // A restore of Safari's window back to (100, 50) 800 × 600.
    FrontmostAppInfo recorded(std::optional<std::string> title = std::nullopt) {
        return {"com.apple.Safari", "Safari", std::move(title), FrameRect{100, 50, 800, 600}};
    }

    WindowHandle addWindow(std::int32_t pid, std::optional<std::string> title = std::nullopt) {
        FakeWindowAccess::Window window;
        window.pid = pid;
        window.title = std::move(title);
        window.position = Point{0, 0};
        window.size = Size{300, 200};
        return windows_->addWindow(window);
    }

    void restore(const FrontmostAppInfo& app, bool launchIfNeeded = false) {
        restorer_->restore(app, launchIfNeeded, [this](WindowRestoreResult result) { results_.push_back(result); });
    }

    std::vector<Write> movedBack(WindowHandle window) const {
        return {{window, Write::What::position, 100, 50},
                {window, Write::What::size, 800, 600},
                {window, Write::What::position, 100, 50}};
    }

    std::vector<WindowRestoreResult> skipped(const std::string& reason) const {
        return {WindowRestoreResult::skipped(reason)};
    }

    std::shared_ptr<ManualMainQueue> queue_ = std::make_shared<ManualMainQueue>();
    std::shared_ptr<FakeWorkspaceService> workspace_ = std::make_shared<FakeWorkspaceService>();
    std::shared_ptr<FakeWindowAccess> windows_ =
        std::make_shared<FakeWindowAccess>([queue = queue_] { return queue->now(); });
    std::unique_ptr<WindowRestorer> restorer_ =
        std::make_unique<WindowRestorer>(workspace_, windows_, queue_, [queue = queue_] { return queue->now(); });
    std::vector<WindowRestoreResult> results_;
    const std::vector<WindowRestoreResult> restored_{WindowRestoreResult::restored()};
};

class WindowRestorerConcurrency : public WindowRestorerTest {};

// What cannot be restored is told at once, launching nothing and leaving nothing pending.
TEST_F(WindowRestorerTest, WhatCannotBeRestoredCompletesAtOnce) {
    const FrontmostAppInfo editor{"org.example.Editor", std::nullopt, std::nullopt, std::nullopt};
    const std::tuple<FrontmostAppInfo, bool, std::string> cases[] = {
        {{std::nullopt, "Safari", std::nullopt, FrameRect{}},
         true,
         "The recording does not say which app was in front."},
        {recorded(), true, "Safari is not installed on " + std::string(thisComputer) + "."},
        {recorded(), false, "Safari is not running."},
        {editor, false, "org.example.Editor is not running."},
    };
    for (const auto& [app, launch, reason] : cases) {
        results_.clear();
        if (!launch) workspace_->install("com.apple.Safari", kSafari);
        restore(app, launch);
        EXPECT_EQ(results_, skipped(reason));
        EXPECT_EQ(queue_->pendingCount(), 0u);
        EXPECT_EQ(workspace_->calls > 0, app.bundleID.has_value()) << "without an app, nothing is asked";
    }
    EXPECT_TRUE(workspace_->launches.empty());
}

// Of several running instances, only the first is used; the restore outlives the restorer.
TEST_F(WindowRestorerTest, RunningAppIsActivatedThenItsWindowMovedAfterTheSettleDelay) {
    workspace_->running = {kSafari, {43, "com.apple.Safari", "Safari"}};
    const WindowHandle window = addWindow(42);
    addWindow(43);
    restore(recorded());
    restorer_.reset();
    EXPECT_EQ(workspace_->activations, std::vector{kSafari});
    queue_->advanceBy(250 * kMillisecond - 1);
    EXPECT_TRUE(results_.empty());
    EXPECT_TRUE(windows_->writes.empty());

    queue_->advanceBy(1);
    EXPECT_EQ(results_, restored_);
    EXPECT_EQ(windows_->writes, movedBack(window));
    EXPECT_EQ(windows_->position(window), (Point{100, 50}));
}

// Without a recorded frame the app is only activated.
TEST_F(WindowRestorerTest, WindowChoiceTitleThenFocusedThenMainThenFirstAndNoneWithoutAFrame) {
    workspace_->running = {kSafari};
    const WindowHandle untitled = addWindow(42);
    const WindowHandle start = addWindow(42, "Start");
    const WindowHandle docs = addWindow(42, "Docs");
    windows_->setFocusedWindow(42, docs);
    windows_->setMainWindow(42, start);

    const auto chosen = [&](const FrontmostAppInfo& app) {
        windows_->writes.clear();
        results_.clear();
        restore(app);
        queue_->advanceBy(kSecond);
        EXPECT_EQ(results_, restored_);
        return windows_->writes.empty() ? WindowHandle{} : windows_->writes.front().window;
    };
    EXPECT_EQ(chosen(recorded("Start")), start);
    EXPECT_EQ(chosen({"com.apple.Safari", std::nullopt, "Start", std::nullopt}), WindowHandle{});
    EXPECT_EQ(chosen(recorded("")), docs);
    EXPECT_EQ(chosen(recorded("Gone")), docs);
    windows_->setFocusedWindow(42, std::nullopt);
    EXPECT_EQ(chosen(recorded()), start);
    windows_->setMainWindow(42, std::nullopt);
    EXPECT_EQ(chosen(recorded()), untitled);
}

// Each problem with the window is named; the position read back must be within two points.
TEST_F(WindowRestorerTest, WindowProblemsAreNamedAndTheReadBackPositionMustBeWithinTwoPoints) {
    workspace_->running = {kSafari};
    restore(recorded());
    queue_->advanceBy(kSecond);
    EXPECT_EQ(results_, skipped("Safari has no window to position."));

    const WindowHandle window = addWindow(42);
    const FakeWindowAccess::Window fresh = windows_->window(window);
    const auto attempt = [&](auto&& script) {
        script(windows_->window(window));
        results_.clear();
        restore(recorded());
        queue_->advanceBy(kSecond);
        windows_->window(window) = fresh;
        return results_;
    };
    const auto cannotMove = skipped("Safari's window cannot be moved.");
    EXPECT_EQ(attempt([](auto& w) { w.fullScreen = true; }),
              skipped("Safari's window is full screen, so it was left where it is."));
    // An unreadable full-screen state counts as not full screen.
    EXPECT_EQ(attempt([](auto& w) {
                  w.fullScreen = std::nullopt;
                  w.sizeSettable = false;
              }),
              cannotMove);
    EXPECT_EQ(attempt([](auto& w) { w.positionSettable = false; }), cannotMove);
    EXPECT_TRUE(windows_->writes.empty());

    const auto couldNotMove = skipped("Safari's window could not be moved back to its recorded position.");
    EXPECT_EQ(attempt([](auto& w) { w.landingOffset = {2.0, -2.0}; }), restored_);
    EXPECT_EQ(attempt([](auto& w) { w.refusesToResize = true; }), restored_);
    EXPECT_EQ(attempt([](auto& w) { w.landingOffset = {2.01, 0}; }), couldNotMove);
    EXPECT_EQ(attempt([](auto& w) { w.landingOffset = {0, -2.01}; }), couldNotMove);
    EXPECT_EQ(attempt([](auto& w) { w.refusesToMove = true; }), couldNotMove);
    EXPECT_EQ(attempt([](auto& w) { w.size.reset(); }), couldNotMove);
}

TEST_F(WindowRestorerTest, FailedLaunchOrNoWindowAfterTenSecondsIsReportedOnTheMainQueue) {
    workspace_->install("com.apple.Safari", std::nullopt);
    restore(recorded(), true);
    EXPECT_TRUE(results_.empty());
    queue_->runReady();
    EXPECT_EQ(results_, skipped("Safari could not be launched."));
    EXPECT_EQ(workspace_->launches, std::vector<std::string>{"com.apple.Safari"});

    // Launched but without a window, it gives up after ten seconds.
    results_.clear();
    workspace_->install("com.apple.Safari", kSafari);
    restore(recorded(), true);
    queue_->advanceBy(10 * kSecond - 1);
    EXPECT_TRUE(results_.empty());
    queue_->advanceBy(kSecond);
    EXPECT_EQ(results_, skipped("Safari launched but showed no window within 10 seconds."));
    EXPECT_EQ(queue_->pendingCount(), 0u);
    EXPECT_TRUE(workspace_->activations.empty());
}

// A window that is there at once is positioned without polling; otherwise the
// app is polled until its first window shows, also when the launch is reported
// on another thread.
TEST_F(WindowRestorerConcurrency, LaunchedAppIsPositionedOnceItsFirstWindowShows) {
    workspace_->install("com.apple.Safari", kSafari);
    const WindowHandle window = addWindow(42);
    restore(recorded(), true);
    queue_->advanceBy(250 * kMillisecond);
    EXPECT_EQ(results_, restored_);
    EXPECT_EQ(workspace_->activations, std::vector{kSafari});
    EXPECT_EQ(windows_->writes, movedBack(window));

    results_.clear();
    windows_->writes.clear();
    workspace_->activations.clear();
    workspace_->running.clear();  // quit, to be launched again
    workspace_->holdLaunches = true;
    windows_->window(window).appearsAtNanos = queue_->now() + 5 * kSecond;
    restore(recorded(), true);
    std::thread([&] { workspace_->finishLaunches(); }).join();
    queue_->advanceBy(5 * kSecond);
    EXPECT_TRUE(workspace_->activations.empty());
    queue_->advanceBy(300 * kMillisecond);  // the poll after the window showed
    EXPECT_EQ(workspace_->activations, std::vector{kSafari});
    EXPECT_TRUE(results_.empty());
    queue_->advanceBy(250 * kMillisecond);
    EXPECT_EQ(results_, restored_);
    EXPECT_EQ(windows_->writes, movedBack(window));
}

}  // namespace
}  // namespace brevanor

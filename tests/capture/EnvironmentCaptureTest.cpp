#include <gtest/gtest.h>

#include "core/capture/EnvironmentCapture.h"
#include "platform/fake/FakeDisplayService.h"
#include "platform/fake/FakeKeyboardLayout.h"
#include "platform/fake/FakeWindowAccess.h"
#include "platform/fake/FakeWorkspaceService.h"

namespace brevanor {
namespace {

const RunningApplication kEditor{7, "org.example.Editor", "Editor"};

class EnvironmentCaptureTest : public ::testing::Test {
protected:
    EnvironmentCaptureTest() { workspace_->frontmost = kEditor; }

    WindowHandle addWindow(std::optional<std::string> title, std::optional<Point> position, std::optional<Size> size) {
        FakeWindowAccess::Window window;
        window.pid = kEditor.pid;
        window.title = std::move(title);
        window.position = position;
        window.size = size;
        return windows_->addWindow(window);
    }

    std::shared_ptr<FakeDisplayService> displays_ = std::make_shared<FakeDisplayService>();
    std::shared_ptr<FakeWorkspaceService> workspace_ = std::make_shared<FakeWorkspaceService>();
    std::shared_ptr<FakeWindowAccess> windows_ = std::make_shared<FakeWindowAccess>();
    std::shared_ptr<FakeKeyboardLayout> keyboard_ = std::make_shared<FakeKeyboardLayout>(FakeKeyboardLayout::german());
    EnvironmentCapture capture_{displays_, workspace_, windows_, keyboard_};
};

// The focused window, or else the main one; a frame needs both position and
// size; without window access only the app is known; missing parts stay absent.
TEST_F(EnvironmentCaptureTest, SnapshotHoldsDisplaysAppWindowAndLayoutAndMissingPartsStayAbsent) {
    displays_->displays = {{5, {0, 0, 2560, 1440}, 2.0}, {3, {2560, 0, 1920, 1080}, 1.0}};
    windows_->setMainWindow(kEditor.pid, addWindow("Main", Point{1, 2}, Size{3, 4}));
    EXPECT_EQ(
        capture_.capture(),
        (EnvironmentSnapshot{displays_->displays,
                             FrontmostAppInfo{"org.example.Editor", "Editor", "Main", FrameRect{1, 2, 3, 4}}, "de"}));

    windows_->setFocusedWindow(kEditor.pid, addWindow("Half", Point{1, 2}, std::nullopt));
    EXPECT_EQ(capture_.captureFrontmostApp(), (FrontmostAppInfo{"org.example.Editor", "Editor", "Half", std::nullopt}));

    const FrontmostAppInfo appOnly{"org.example.Editor", "Editor", std::nullopt, std::nullopt};
    windows_->setFocusedWindow(kEditor.pid, addWindow(std::nullopt, std::nullopt, Size{3, 4}));
    EXPECT_EQ(capture_.captureFrontmostApp(), appOnly);

    windows_->setFocusedWindow(kEditor.pid, addWindow("Secret", Point{1, 2}, Size{3, 4}));
    windows_->trusted = false;
    EXPECT_EQ(capture_.captureFrontmostApp(), appOnly);

    // Missing parts stay absent.
    workspace_->frontmost = RunningApplication{9, std::nullopt, std::nullopt};
    EXPECT_EQ(capture_.captureFrontmostApp(), FrontmostAppInfo{});
    workspace_->frontmost.reset();
    displays_->displays.clear();
    keyboard_->inputSourceId.reset();
    EXPECT_EQ(capture_.capture(), EnvironmentSnapshot::empty());

    const EnvironmentCapture withoutServices(nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(withoutServices.capture(), EnvironmentSnapshot::empty());
}

}  // namespace
}  // namespace brevanor

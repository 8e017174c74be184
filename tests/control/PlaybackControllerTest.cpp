#include <gtest/gtest.h>

#include "base/time/MonotonicClock.h"
#include "core/capture/InputEventTap.h"
#include "core/control/PlaybackController.h"
#include "core/control/ReleaseWait.h"
#include "platform/fake/FakeDisplayService.h"
#include "platform/fake/FakeHeldInput.h"
#include "platform/fake/FakeInputInjector.h"
#include "platform/fake/FakeInputSource.h"
#include "platform/fake/FakeKeyboardLayout.h"
#include "platform/fake/FakeWindowAccess.h"
#include "platform/fake/FakeWorkspaceService.h"
#include "platform/fake/ManualMainQueue.h"
#include "tests/support/WaitUntil.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kMilli = 1'000'000;
constexpr std::uint64_t kSecond = 1'000 * kMilli;

using Phase = PlaybackController::Phase;

// A controller on the fake backend; the engine plays in real time on its own
// thread and reports through the manual queue, which the test drains.
class PlaybackControllerTest : public ::testing::Test {
protected:
    PlaybackControllerTest() {
        displays->displays = {DisplayInfo{1, FrameRect{0, 0, 1920, 1080}, 1.0}};
        keyboard->inputSourceId = "us";
        platform.injector = injector;
        platform.displays = displays;
        platform.workspace = workspace;
        platform.windows = windows;
        platform.keyboard = keyboard;
        platform.heldInput = heldInput;
        controller = PlaybackController::make(platform, queue, [this] { return queue->now(); });
        controller->onChange = [this] {
            if (phases.empty() || phases.back() != controller->phase()) phases.push_back(controller->phase());
        };
        controller->onFinished = [this](bool completed) { finished.push_back(completed); };
    }

    // Made on this machine: types "a".
    Recording typing() const {
        EnvironmentSnapshot environment;
        environment.displays = displays->displays;
        environment.keyboardInputSourceID = "us";
        return Recording(
            Uuid::random(), "Typing", Date{}, environment, RecordingSettings{}, TrimRange{},
            {RecordingEvent::keyDown({10 * kMilli, 0, 0, false}), RecordingEvent::keyUp({20 * kMilli, 0, 0, false})});
    }

    bool waitForIdle() {
        return testing::waitUntil([&] {
            queue->runReady();
            return controller->phase() == Phase::idle;
        });
    }

    PlatformServices platform;
    std::shared_ptr<ManualMainQueue> queue = std::make_shared<ManualMainQueue>();
    std::shared_ptr<FakeInputInjector> injector = std::make_shared<FakeInputInjector>();
    std::shared_ptr<FakeDisplayService> displays = std::make_shared<FakeDisplayService>();
    std::shared_ptr<FakeWorkspaceService> workspace = std::make_shared<FakeWorkspaceService>();
    std::shared_ptr<FakeWindowAccess> windows = std::make_shared<FakeWindowAccess>();
    std::shared_ptr<FakeKeyboardLayout> keyboard = std::make_shared<FakeKeyboardLayout>();
    std::shared_ptr<FakeHeldInput> heldInput = std::make_shared<FakeHeldInput>();
    std::shared_ptr<PlaybackController> controller;
    std::vector<Phase> phases;
    std::vector<bool> finished;
};

// Each playback plays every pass and reports its end once, judged by its keys
// as the listener hands them back before that; a listener that does not run
// judges nothing.
TEST_F(PlaybackControllerTest, PlaysEveryPassAndReportsTheEndOnceJudgedByWhatTheListenerSaw) {
    const auto source = std::make_shared<FakeInputSource>();
    const auto tap = std::make_shared<InputEventTap>(source);
    controller->judgeBy(tap);
    injector->onPost([&](const SyntheticInput& input) {
        source->push({.kind = input.type == SyntheticInput::Type::keyDown
                                  ? TapEvent::Kind::keyDown(input.keyCode, false)
                                  : TapEvent::Kind::keyUp(input.keyCode),
                      .timestamp = MonotonicClock::now(),
                      .location = {},
                      .isSynthetic = true});
    });
    std::optional<FidelityReport> atTheEnd;
    const Recording recording = typing();
    controller->onFinished = [&](bool completed) {
        finished.push_back(completed);
        atTheEnd = controller->fidelity(recording.id);
    };

    PlaybackOptions options(recording.settings);
    options.repeatCount = 2;
    controller->start(recording, options, false, false);
    EXPECT_EQ(controller->phase(), Phase::playing);
    EXPECT_EQ(controller->repeatTotal(), std::optional<std::int64_t>(2));
    controller->start(recording, options, false, false);  // ignored while playing
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(phases, (std::vector<Phase>{Phase::preparing, Phase::playing, Phase::idle}));
    EXPECT_EQ(finished, std::vector<bool>{true});
    EXPECT_EQ(injector->postedInputs().size(), 4u);
    // What posting needs was set up when the playback was asked for, not at its first event.
    EXPECT_EQ(injector->preparedCount(), 1);
    EXPECT_EQ(injector->postedWhenPrepared(), 0u);
    EXPECT_FALSE(atTheEnd) << "no listener ran";

    tap->start();
    controller->start(recording, PlaybackOptions(recording.settings), false, false);
    ASSERT_TRUE(waitForIdle());
    ASSERT_TRUE(atTheEnd);
    EXPECT_EQ(atTheEnd->expected, 2);
    EXPECT_EQ(atTheEnd->observed, 2);
    EXPECT_EQ(controller->fidelity(typing().id), std::nullopt) << "another recording never played";
    tap->stop();
}

// Positions that are sums of a mouse's movements (a listener that sees no
// screen) never play as places on the screen, whatever the cursor mode says.
TEST_F(PlaybackControllerTest, RelativePositionsPlayFromTheCursorInEveryMode) {
    Recording recording = typing();
    recording.environment.relativePositions = true;
    recording.events = {RecordingEvent::mouseDown({10 * kMilli, MouseButton::left, 0, 5, -3}),
                        RecordingEvent::mouseUp({20 * kMilli, MouseButton::left, 0, 15, -3})};
    injector->setCursorPosition(Point{100, 200});
    PlaybackOptions options(recording.settings);
    options.cursorMode = CursorMode::absolute;
    controller->start(recording, options, false, false);
    ASSERT_TRUE(waitForIdle());
    std::vector<std::pair<double, double>> clicks;
    for (const SyntheticInput& input : injector->postedInputs()) {
        if (input.type == SyntheticInput::Type::mouseDown || input.type == SyntheticInput::Type::mouseUp) {
            clicks.emplace_back(input.x, input.y);
        }
    }
    EXPECT_EQ(clicks, (std::vector<std::pair<double, double>>{{100, 200}, {110, 200}}));
}

// Stopped while the recorded window is put back, or while keys are held: the
// late restore or release plays nothing, and the end is reported once.
TEST_F(PlaybackControllerTest, StoppingWhilePreparingPlaysNothingLater) {
    workspace->install("org.example.Editor", RunningApplication{42, "org.example.Editor", "Editor"});
    workspace->holdLaunches = true;
    Recording inEditor = typing();  // with another keyboard layout
    inEditor.environment.frontmostApp = FrontmostAppInfo{"org.example.Editor", "Editor", std::nullopt, std::nullopt};
    inEditor.environment.keyboardInputSourceID = "de";
    controller->start(inEditor, PlaybackOptions(), true, true);
    ASSERT_EQ(controller->phase(), Phase::preparing);
    controller->stop();
    EXPECT_EQ(controller->phase(), Phase::idle);

    // A second playback waits for held keys when the first one's restore reports back.
    heldInput->setHeld(true);
    controller->start(typing(), PlaybackOptions(), false, false);
    workspace->finishLaunches();
    queue->advanceBy(ReleaseWait::maxWaitNanos / 2);
    ASSERT_TRUE(controller->isWaitingForRelease()) << "the stopped request started nothing";
    controller->stop();
    EXPECT_FALSE(controller->isWaitingForRelease());
    heldInput->setHeld(false);
    queue->advanceBy(15 * kSecond);

    EXPECT_EQ(controller->phase(), Phase::idle);
    EXPECT_EQ(finished, (std::vector<bool>{false, false}));
    EXPECT_TRUE(injector->postedInputs().empty());
}

}  // namespace
}  // namespace brevanor

#include <QSignalSpy>

#include "core/control/ReleaseWait.h"
#include "tests/app/CoordinatorTest.h"

namespace brevanor::testing {
namespace {

class AppCoordinatorPlaybackTest : public CoordinatorTest {
protected:
    // Recorded while Editor was in front, on a machine with another keyboard layout.
    Recording recordingWithWarnings() const {
        Recording recording = typingRecording("Fill the form");
        recording.environment.frontmostApp =
            FrontmostAppInfo{"org.example.Editor", "Editor", std::nullopt, std::nullopt};
        recording.environment.keyboardInputSourceID = "de";
        return recording;
    }

    std::vector<AppState> statesSeen;
};

TEST_F(AppCoordinatorPlaybackTest, EveryPassIsReportedAndEndlessRepetitionHasNoTotal) {
    make();
    QObject::connect(coordinator.get(), &AppCoordinator::stateChanged,
                     [this] { statesSeen.push_back(coordinator->state()); });
    Recording repeated = typingRecording("Three times");
    repeated.settings.repeatCount = 3;
    coordinator->play(repeated);
    ASSERT_TRUE(waitForIdle());
    std::vector<AppState> passes;
    for (const AppState& state : statesSeen) {
        if (state.kind() == AppState::Kind::playing && (passes.empty() || passes.back() != state)) {
            passes.push_back(state);
        }
    }
    EXPECT_EQ(passes,
              (std::vector<AppState>{AppState::playing(1, 3), AppState::playing(2, 3), AppState::playing(3, 3)}));

    Recording endless = typingRecording("Forever");
    endless.settings.repeatInfinite = true;
    coordinator->play(endless);
    EXPECT_EQ(coordinator->state(), AppState::playing(1, std::nullopt));
    coordinator->stop();
    EXPECT_EQ(coordinator->state().kind(), AppState::Kind::playing) << "idle comes with the engine's finish";
    ASSERT_TRUE(waitForIdle());
}

TEST_F(AppCoordinatorPlaybackTest, TheAlertNamesEveryWarningLaunchesTheAppWhenAskedAndGivesWayToARecording) {
    make();
    prompts->preflightAnswer = {1, true};  // Cancel, with the checkbox ticked
    const Recording recording = stored(recordingWithWarnings());
    coordinator->play(recording);
    ASSERT_EQ(prompts->alerts.size(), 1u);
    EXPECT_EQ(prompts->alerts[0].buttons, (std::vector<std::string>{"Play", "Cancel"})) << "Editor is not installed";

    workspace->install("org.example.Editor", RunningApplication{42, "org.example.Editor", "Editor"});
    prompts->preflightAnswer = {2, true};
    coordinator->play(recording);
    ASSERT_EQ(prompts->alerts.size(), 2u);
    const PreflightAlert& alert = prompts->alerts[1];
    EXPECT_EQ(alert.messageText, "Before playing “Fill the form”");
    EXPECT_EQ(alert.informativeText,
              "• Editor was in front when this was recorded but is not running.\n"
              "• The keyboard layout was de when this was recorded; it is now us. Keys may type different characters.");
    EXPECT_EQ(alert.buttons, (std::vector<std::string>{"Launch Editor and Play", "Play Anyway", "Cancel"}));

    // Cancelled: nothing changes, whatever the checkbox said.
    EXPECT_EQ(coordinator->state(), AppState::idle());
    EXPECT_EQ(store->load(recording.id), recording);
    EXPECT_EQ(activation->hides, 0);

    // Launched, the application shows no window: the restorer polls, then gives up with a reason, and it plays.
    prompts->preflightAnswer = {0, false};
    coordinator->play(recording);
    EXPECT_EQ(workspace->launches, std::vector<std::string>{"org.example.Editor"});
    EXPECT_EQ(coordinator->state(), AppState::preparing());
    mainQueue->advanceBy(11 * kSeconds);
    EXPECT_EQ(coordinator->state().kind(), AppState::Kind::playing);
    EXPECT_EQ(coordinator->playbackNotice(),
              std::optional<std::string>("Editor launched but showed no window within 10 seconds."));
    ASSERT_TRUE(waitForIdle());

    // A recording started while the alert is up is not cut short by the playback the alert then allows.
    injector->clear();
    settings->setCountdownSeconds(0);
    prompts->whileAsking = [&] { coordinator->handleHotkeyAction(HotkeyAction::record(), now(), 15); };
    prompts->preflightAnswer = {1, false};  // "Play Anyway"
    coordinator->play(recording);
    EXPECT_EQ(coordinator->state(), AppState::recording());
    EXPECT_TRUE(injector->postedInputs().empty());
}

TEST_F(AppCoordinatorPlaybackTest, PlayAnywayWithTheCheckboxSilencesTheShownWarningsForThisRecording) {
    make();
    settings->setRestoreWindowBeforePlayback(false);
    prompts->preflightAnswer = {0, true};  // "Play", checkbox ticked
    const Recording recording = stored(recordingWithWarnings());
    coordinator->play(recording);
    EXPECT_EQ(coordinator->state().kind(), AppState::Kind::playing);
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(postedKeys().size(), 4u) << "played the recording as it was passed in";

    const Recording silenced = store->load(recording.id);
    EXPECT_EQ(silenced.settings.silencedWarnings,
              (std::set<PreflightWarningKind>{PreflightWarningKind::appNotRunning,
                                              PreflightWarningKind::inputSourceMismatch}));
    coordinator->play(silenced);
    EXPECT_EQ(prompts->alerts.size(), 1u) << "no second alert";
    EXPECT_EQ(coordinator->state().kind(), AppState::Kind::playing);
    ASSERT_TRUE(waitForIdle());
}

TEST_F(AppCoordinatorPlaybackTest, ARecordingMadeWhileBrevanorWasInFrontRestoresNoWindow) {
    make();
    Recording recording = typingRecording("Own window");
    recording.environment.frontmostApp = FrontmostAppInfo{workspace->ownId, "Brevanor", std::nullopt, std::nullopt};
    workspace->running.push_back({7, workspace->ownId, "Brevanor"});
    coordinator->play(recording);
    EXPECT_EQ(coordinator->state(), AppState::playing(1, 1));
    EXPECT_TRUE(workspace->activations.empty());
    EXPECT_EQ(coordinator->playbackNotice(), std::nullopt);
    ASSERT_TRUE(waitForIdle());
}

TEST_F(AppCoordinatorPlaybackTest, HeldKeysHoldBackTheFirstEventUntilReleasedOrThreeSecondsPassed) {
    make();
    QSignalSpy waitingChanges(coordinator.get(), &AppCoordinator::waitingForReleaseChanged);
    // The shortcut's modifiers are still down as the playback starts.
    heldInput->setHeld(true);
    coordinator->play(stored(typingRecording("Typing")));
    EXPECT_EQ(coordinator->state(), AppState::preparing());
    EXPECT_TRUE(coordinator->waitingForRelease());
    mainQueue->advanceBy(ReleaseWait::maxWaitNanos / 2);
    EXPECT_TRUE(injector->postedInputs().empty()) << "nothing goes out while a key is held";
    heldInput->setHeld(false);
    mainQueue->advanceBy(ReleaseWait::pollNanos);
    EXPECT_FALSE(coordinator->waitingForRelease());
    EXPECT_EQ(coordinator->state(), AppState::playing(1, 1));
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(postedKeys().size(), 4u);
    EXPECT_EQ(waitingChanges.count(), 2);

    // A key that never comes up (a stuck key) delays the playback by the longest wait only.
    injector->clear();
    heldInput->setHeld(true);
    coordinator->play(*coordinator->lastRecording());
    mainQueue->advanceBy(ReleaseWait::maxWaitNanos - ReleaseWait::pollNanos);
    EXPECT_TRUE(coordinator->waitingForRelease());
    mainQueue->advanceBy(ReleaseWait::pollNanos);
    EXPECT_FALSE(coordinator->waitingForRelease());
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(postedKeys().size(), 4u) << "played anyway";
}

// A shutdown stops the playback and lets go of the key it holds, also when the
// process ends right after it, without waiting for the engine to finish.
TEST_F(AppCoordinatorPlaybackTest, QuittingDuringAPlaybackLetsGoOfEveryKey) {
    make();
    Recording held = typingRecording("Holds Shift");
    held.events = {RecordingEvent::keyDown({0, 56, 0x20000, false}),
                   RecordingEvent::idleGap({1 * kMillis, 60 * kSeconds})};
    for (const bool processEnds : {false, true}) {
        SCOPED_TRACE(processEnds ? "the process ends" : "the engine finishes");
        injector->clear();
        coordinator->play(held);
        ASSERT_TRUE(waitUntil([&] { return !postedKeys().empty(); }));
        coordinator->shutdown();
        if (processEnds) {
            coordinator.reset();
        } else {
            ASSERT_TRUE(waitForIdle());
        }
        const auto keys = postedKeys();
        ASSERT_EQ(keys.size(), 2u);
        EXPECT_EQ(keys.back().type, SyntheticInput::Type::keyUp);
        EXPECT_EQ(keys.back().keyCode, 56);
    }
}

}  // namespace
}  // namespace brevanor::testing

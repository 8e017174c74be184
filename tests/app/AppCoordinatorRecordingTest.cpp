#include <unistd.h>

#include <fstream>

#include "tests/app/CoordinatorTest.h"
#include "tests/support/ScopedEnvironment.h"

namespace brevanor::testing {
namespace {

using AppCoordinatorRecordingTest = CoordinatorTest;

bool isKeyEvent(const RecordingEvent& event, std::uint16_t keyCode) {
    return (event.kind() == RecordingEvent::Kind::keyDown || event.kind() == RecordingEvent::Kind::keyUp) &&
           event.key().keyCode == keyCode;
}

TEST_F(AppCoordinatorRecordingTest, TheCountdownStepsDownEverySecondThenRecordsOrTheShortcutSkipsItOrAStopEndsIt) {
    make();
    coordinator->toggleRecording();
    EXPECT_EQ(coordinator->state(), AppState::countdown(3));

    mainQueue->advanceBy(kSeconds - 1);
    EXPECT_EQ(coordinator->state(), AppState::countdown(3));
    mainQueue->advanceBy(1);
    EXPECT_EQ(coordinator->state(), AppState::countdown(2));
    mainQueue->advanceBy(kSeconds);
    EXPECT_EQ(coordinator->state(), AppState::countdown(1));
    mainQueue->advanceBy(kSeconds);
    EXPECT_EQ(coordinator->state(), AppState::recording());
    EXPECT_TRUE(source->isRunning());
    coordinator->stop(now(), std::nullopt);

    // The record shortcut during the countdown starts recording at once.
    coordinator->handleHotkeyAction(HotkeyAction::record(), now(), 15);
    coordinator->handleHotkeyAction(HotkeyAction::record(), now(), 15);
    EXPECT_EQ(coordinator->state(), AppState::recording());
    mainQueue->advanceBy(5 * kSeconds);  // the countdown's ticks are void
    EXPECT_EQ(coordinator->state(), AppState::recording());
    coordinator->stop(now(), std::nullopt);

    // Below one second there is no countdown, and an application not in front is not hidden:
    // the one hide was the first recording's.
    activation->active = false;
    startRecording();
    EXPECT_EQ(activation->hides, 1);
    coordinator->stop();

    // Stopped in any way, a countdown returns to idle without a recording.
    settings->setCountdownSeconds(3);
    const std::vector<std::function<void()>> stops{
        [&] { coordinator->stop(now(), 7); },
        [&] { coordinator->handleHotkeyAction(HotkeyAction::stop(), now(), 53); },  // the Esc hold
        [&] { coordinator->shutdown(); },
    };
    for (const auto& stopIt : stops) {
        coordinator->toggleRecording();
        mainQueue->advanceBy(kSeconds);
        ASSERT_EQ(coordinator->state(), AppState::countdown(2));
        stopIt();
        EXPECT_EQ(coordinator->state(), AppState::idle());
        mainQueue->advanceBy(5 * kSeconds);
        EXPECT_EQ(coordinator->state(), AppState::idle());
    }
    EXPECT_TRUE(coordinator->recordings().empty());
}

TEST_F(AppCoordinatorRecordingTest, ARecordOrPlayRequestFailingACheckSaysWhyAndOpensTheLibrary) {
    struct Case {
        bool accessibility;
        bool inputMonitoring;
        bool listenerFails;
        const char* message;
    };
    const Case cases[] = {
        {false, false, false,
         "Brevanor cannot record: the X server lacks the XTEST extension and both XInput 2.2 and RECORD."},
        {false, true, false, "Brevanor cannot record or play: the X server does not offer the XTEST extension."},
        {true, false, false, "Brevanor cannot record: the X server offers neither XInput 2.2 nor RECORD."},
        {true, true, true,
         "Brevanor could not start listening for input through XInput 2.2 or RECORD. Quit and reopen Brevanor; if it "
         "happens again, run it in an X11 session on the screen you sit at."},
    };
    make();
    for (const Case& c : cases) {
        permissions->accessibility = c.accessibility;
        permissions->inputMonitoring = c.inputMonitoring;
        tap->stop();
        source->setStartFails(c.listenerFails);
        const int opened = libraryOpened;
        coordinator->toggleRecording();
        EXPECT_EQ(coordinator->state(), AppState::idle());
        EXPECT_EQ(coordinator->errorMessage(), std::optional<std::string>(c.message));
        EXPECT_EQ(libraryOpened, opened + 1);
    }
    EXPECT_EQ(activation->hides, 0);

    // A play request is refused the same way, before any alert.
    permissions->accessibility = false;
    coordinator->play(typingRecording("Typing"));
    EXPECT_EQ(coordinator->state(), AppState::idle());
    EXPECT_EQ(coordinator->errorMessage(),
              std::optional<std::string>(
                  "Brevanor cannot play recordings: the X server does not offer the XTEST extension."));
    EXPECT_EQ(libraryOpened, 5) << "once for each refusal";
    EXPECT_TRUE(prompts->alerts.empty());

    // A request that passes clears the message.
    permissions->accessibility = permissions->inputMonitoring = true;
    source->setStartFails(false);
    coordinator->toggleRecording();
    EXPECT_EQ(coordinator->state(), AppState::countdown(3));
    EXPECT_EQ(coordinator->errorMessage(), std::nullopt);
}

// Keys typed into Brevanor's own windows are left out, and the user is told where it cannot be missed.
TEST_F(AppCoordinatorRecordingTest, ARecordingStoppedByItsShortcutIsSavedWithTheDefaultsWithoutBrevanorsOwnKeys) {
    make();
    settings->setDefaultSpeed(2.0);
    settings->setDefaultCursorMode(CursorMode::relativeToCursor);
    startRecording();
    const std::uint64_t start = now();
    const auto ours = [&](TapEvent event) {
        event.targetPID = static_cast<std::int32_t>(getpid());
        return event;
    };
    const std::uint64_t pressed = start + 300 * kMillis;
    // "h" and "i" reach Brevanor's own window, "a" the app being recorded; then Control-Option-Command-R to stop,
    // also into Brevanor.
    feed({ours(key(true, 4, start + 100 * kMillis)), ours(key(false, 4, start + 110 * kMillis)),
          ours(key(true, 34, start + 120 * kMillis)), key(true, 0, start + 130 * kMillis),
          key(false, 0, start + 140 * kMillis), ours(key(true, 15, pressed, kChordFlags))});
    mainQueue->advanceBy(400 * kMillis);
    coordinator->handleHotkeyAction(HotkeyAction::record(), pressed, 15);

    EXPECT_EQ(coordinator->state(), AppState::idle());
    ASSERT_EQ(coordinator->recordings().size(), 1u);
    const Recording& saved = *coordinator->recordings().front();
    EXPECT_TRUE(saved.name.starts_with("Recording 1 – ")) << saved.name;
    EXPECT_EQ(saved.settings, settings->newRecordingSettings());
    EXPECT_TRUE(std::any_of(saved.events.begin(), saved.events.end(),
                            [](const RecordingEvent& e) { return isKeyEvent(e, 0); }));
    EXPECT_TRUE(std::none_of(saved.events.begin(), saved.events.end(),
                             [](const RecordingEvent& e) { return isKeyEvent(e, 4) || isKeyEvent(e, 34); }));
    EXPECT_EQ(store->load(saved.id), saved) << "the library mirrors the folder";
    EXPECT_EQ(coordinator->errorMessage(),
              std::optional<std::string>("2 key presses went to windows of Brevanor and were not recorded. Type into "
                                         "the app you are recording."))
        << "the stop shortcut's own press is not counted";
    EXPECT_EQ(libraryOpened, 1);
}

TEST_F(AppCoordinatorRecordingTest, TheCountersFollowTheRecordingAndOneWithNothingButPausesIsDroppedSilently) {
    make();
    startRecording();
    mainQueue->advanceBy(2 * kSeconds);  // only a pause; it would become an idle gap
    coordinator->toggleRecording();
    EXPECT_EQ(coordinator->state(), AppState::idle());
    EXPECT_TRUE(coordinator->recordings().empty());
    EXPECT_EQ(coordinator->errorMessage(), std::nullopt);
    EXPECT_EQ(preferences->getInteger(RecordingStore::recordingCounterKey), std::nullopt) << "no name handed out";

    startRecording();
    feed({key(true, 0, now()), key(false, 0, now() + kMillis), key(true, 1, now() + 2 * kMillis)});
    mainQueue->advanceBy(250 * kMillis);
    EXPECT_EQ(coordinator->elapsedNanos(), 200 * kMillis) << "refreshed every 100 ms";
    EXPECT_EQ(coordinator->recordedEventCount(), 3);

    coordinator->stop();
    EXPECT_EQ(coordinator->errorMessage(), std::nullopt) << "no key went to Brevanor's own windows";
    EXPECT_EQ(coordinator->elapsedNanos(), 0u);
    EXPECT_EQ(coordinator->recordedEventCount(), 3) << "kept until the next recording begins";
    mainQueue->advanceBy(kSeconds);
    EXPECT_EQ(coordinator->elapsedNanos(), 0u) << "the refresh stopped with the recording";

    startRecording();
    EXPECT_EQ(coordinator->recordedEventCount(), 0);
}

// A library that cannot take a new recording (a full or read-only disk; here
// a file where its folder should be) must not cost the user the recording: it
// is kept in the state folder, and the message says where.
TEST_F(AppCoordinatorRecordingTest, ARecordingTheLibraryCannotTakeIsKeptOutsideIt) {
    const std::string stateFolder = (folder.path() / "state").string();
    const ScopedEnvironment stateHome("XDG_STATE_HOME", stateFolder);
    make();
    startRecording();
    feed({key(true, 0, now()), key(false, 0, now() + kMillis)});
    mainQueue->advanceBy(100 * kMillis);
    std::filesystem::remove_all(store->directory());
    std::ofstream(store->directory()) << "in the library's way";

    coordinator->toggleRecording();
    ASSERT_TRUE(coordinator->errorMessage());
    const std::string& message = *coordinator->errorMessage();
    EXPECT_TRUE(message.starts_with("Could not save “Recording 1 – ")) << message;
    const std::string kept = "It is kept in “";
    const auto at = message.find(kept);
    ASSERT_NE(at, std::string::npos) << message;
    const std::string file = message.substr(at + kept.size(), message.find("”", at + kept.size()) - at - kept.size());
    EXPECT_TRUE(file.starts_with(stateFolder + "/Brevanor/Unsaved/")) << file;
    const Recording rescued = store->load(std::filesystem::path(file));
    EXPECT_TRUE(std::any_of(rescued.events.begin(), rescued.events.end(),
                            [](const RecordingEvent& e) { return isKeyEvent(e, 0); }));
}

}  // namespace
}  // namespace brevanor::testing

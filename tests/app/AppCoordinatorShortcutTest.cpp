#include "tests/app/CoordinatorTest.h"

namespace brevanor::testing {
namespace {

class AppCoordinatorShortcutTest : public CoordinatorTest {
protected:
    Recording withShortcut(std::string name, HotkeyChord chord) const {
        Recording recording = typingRecording(std::move(name));
        recording.settings.playHotkey = chord;
        return recording;
    }
    // Presses a registered chord as the hot-key service would, and runs the queue.
    void press(HotkeyChord chord) {
        ASSERT_TRUE(hotKeys->press(chord));
        mainQueue->runReady();
    }
};

TEST_F(AppCoordinatorShortcutTest, ShortcutsThatDoNotApplyInTheCurrentStateAreIgnored) {
    make();
    const Recording recording = stored(withShortcut("Mine", {18, kChordFlags}));

    startRecording();
    press(HotkeyChord::defaultPlayLast);
    coordinator->handleHotkeyAction(HotkeyAction::playRecording(recording.id), now(), 18);
    EXPECT_EQ(coordinator->state(), AppState::recording());
    EXPECT_TRUE(prompts->alerts.empty());
    coordinator->stop();

    Recording endless = typingRecording("Forever");
    endless.settings.repeatInfinite = true;
    coordinator->play(endless);
    press(HotkeyChord::defaultRecord);
    press(HotkeyChord::defaultPlayLast);
    EXPECT_EQ(coordinator->state(), AppState::playing(1, std::nullopt));
    press(HotkeyChord::defaultStop);
    ASSERT_TRUE(waitForIdle());

    press(HotkeyChord::defaultStop);  // nothing to stop
    EXPECT_EQ(coordinator->state(), AppState::idle());
}

TEST_F(AppCoordinatorShortcutTest, PlayLastPlaysTheNewestRecordingUnlessAReplayTypedItAndPlayRecordingTheOneNamed) {
    make();
    Recording older = typingRecording("Older");
    older.createdAt -= std::chrono::hours(24);
    stored(older);
    Recording newer = typingRecording("Newer");
    newer.events.erase(newer.events.begin() + 2, newer.events.end());  // types "a" only
    stored(newer);
    ASSERT_EQ(coordinator->lastRecording()->id, newer.id);

    // A replay (this process's or, as the platform tells, another Brevanor process's) typed the shortcut's key:
    // that press is not the user's.
    ASSERT_TRUE(
        injector->post({.type = SyntheticInput::Type::keyDown, .keyCode = HotkeyChord::defaultPlayLast.keyCode}));
    press(HotkeyChord::defaultPlayLast);
    EXPECT_EQ(coordinator->state(), AppState::idle());

    injector->clear();
    press(HotkeyChord::defaultPlayLast);
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(postedKeys().size(), 2u);

    injector->clear();
    coordinator->handleHotkeyAction(HotkeyAction::playRecording(older.id), now(), 18);
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(postedKeys().size(), 4u);

    injector->clear();
    coordinator->handleHotkeyAction(HotkeyAction::playRecording(Uuid::random()), now(), 18);
    EXPECT_EQ(coordinator->state(), AppState::idle());
}

TEST_F(AppCoordinatorShortcutTest, ARefusedShortcutIsNamed) {
    hotKeys->refuse(HotkeyChord::defaultRecord);
    make();
    EXPECT_EQ(coordinator->errorMessage(),
              std::optional<std::string>(
                  "Could not register the shortcut Ctrl+Alt+Super+R. Another app may already use it."));

    // A later registration without failures leaves the message alone.
    hotKeys->allow(HotkeyChord::defaultRecord);
    coordinator->registerHotkeys();
    EXPECT_TRUE(hotKeys->idOf(HotkeyChord::defaultRecord));
    EXPECT_TRUE(coordinator->errorMessage());

    // On Wayland the shortcuts are heard from the input devices, which may be unreadable.
    coordinator.reset();
    backend = PlatformBackend::wayland;
    permissions->inputMonitoring = false;
    hotKeys->refuse(HotkeyChord::defaultStop);
    make();
    EXPECT_EQ(coordinator->errorMessage(),
              std::optional<std::string>("Brevanor cannot hear the shortcut Ctrl+Alt+Super+X without reading "
                                         "/dev/input: add yourself to the input group (sudo usermod -aG input "
                                         "$USER), then log out and back in."));
}

TEST_F(AppCoordinatorShortcutTest, ARecordingsShortcutWorksOnceStoredAndGoesWhenItIsDeleted) {
    make();
    EXPECT_EQ(hotKeys->registered().size(), 3u);
    const HotkeyChord imported{17, kChordFlags};
    const HotkeyChord mine{18, kChordFlags};
    Recording recording = stored(withShortcut("Mine", imported));
    EXPECT_TRUE(hotKeys->idOf(imported)) << "an imported recording's shortcut works";
    recording.settings.playHotkey = mine;
    coordinator->save(recording);
    EXPECT_FALSE(hotKeys->idOf(imported));
    EXPECT_TRUE(hotKeys->idOf(mine)) << "a saved shortcut works right away";
    press(mine);
    EXPECT_EQ(coordinator->state(), AppState::playing(1, 1));
    ASSERT_TRUE(waitForIdle());

    coordinator->duplicate(recording);
    EXPECT_EQ(coordinator->recordings().size(), 2u);
    EXPECT_EQ(hotKeys->registered().size(), 4u) << "the copy's shortcut is not registered yet";
    coordinator->registerHotkeys();
    EXPECT_EQ(hotKeys->registered().size(), 5u);

    for (const auto& each : RecordingList(coordinator->recordings())) coordinator->deleteRecording(*each);
    EXPECT_FALSE(hotKeys->idOf(mine));
    EXPECT_EQ(hotKeys->registered().size(), 3u);
}

TEST_F(AppCoordinatorShortcutTest, SettingsChangesReRegisterOnce50MillisecondsAfterTheLast) {
    make();
    const int calls = hotKeys->callCount();
    settings->setRecordHotkey({16, kChordFlags});
    mainQueue->advanceBy(30 * kMillis);
    settings->setStopHotkey({8, kChordFlags});
    mainQueue->advanceBy(49 * kMillis);
    EXPECT_EQ(hotKeys->callCount(), calls) << "50 ms after the last change, not the first";
    mainQueue->advanceBy(1 * kMillis);
    EXPECT_TRUE(hotKeys->idOf({16, kChordFlags}));
    EXPECT_TRUE(hotKeys->idOf({8, kChordFlags}));
    EXPECT_FALSE(hotKeys->idOf(HotkeyChord::defaultStop));
    EXPECT_EQ(coordinator->stopHint(), "Stop: Ctrl+Alt+Super+C or hold Esc");
}

}  // namespace
}  // namespace brevanor::testing

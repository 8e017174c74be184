#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <ostream>

#include "app/control/AppCoordinator.h"
#include "app/control/AppSettings.h"
#include "base/time/MonotonicClock.h"
#include "core/capture/InputEventTap.h"
#include "core/model/RecordingJSONEncoder.h"
#include "core/store/RecordingStore.h"
#include "platform/fake/FakeDisplayService.h"
#include "platform/fake/FakeHeldInput.h"
#include "platform/fake/FakeHotKeyService.h"
#include "platform/fake/FakeInputInjector.h"
#include "platform/fake/FakeInputSource.h"
#include "platform/fake/FakeKeyboardLayout.h"
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/FakePermissionService.h"
#include "platform/fake/FakeSecureInput.h"
#include "platform/fake/FakeWindowAccess.h"
#include "platform/fake/FakeWorkspaceService.h"
#include "platform/fake/InMemoryPreferencesStore.h"
#include "platform/fake/ManualMainQueue.h"
#include "tests/app/AnsweringPrompts.h"
#include "tests/app/RecordingActivation.h"
#include "tests/store/TemporaryDirectory.h"
#include "tests/support/CollectingConsumer.h"
#include "tests/support/WaitUntil.h"

namespace brevanor {

// Readable failures for states.
inline void PrintTo(const AppState& state, std::ostream* out) {
    static constexpr const char* kNames[] = {"idle", "countdown", "recording", "preparing", "playing"};
    *out << kNames[static_cast<int>(state.kind())];
    if (state.kind() == AppState::Kind::countdown) *out << " " << state.remaining();
    if (state.kind() == AppState::Kind::playing) {
        *out << " " << state.repeatIndex() << " of ";
        if (state.repeatTotal()) {
            *out << *state.repeatTotal();
        } else {
            *out << "endless";
        }
    }
}

}  // namespace brevanor

namespace brevanor::testing {

constexpr std::uint64_t kMillis = 1'000'000;
constexpr std::uint64_t kSeconds = 1'000'000'000;
constexpr std::uint64_t kChordFlags = HotkeyChord::controlFlag | HotkeyChord::optionFlag | HotkeyChord::commandFlag;

// A coordinator on the fake backend with a manual main queue. Its clock is the
// queue's virtual clock (from a real starting point), so countdowns, counters
// and debounces move only when the test advances the queue; playback runs in
// real time on the engine's own thread and reports through the queue.
class CoordinatorTest : public ::testing::Test {
protected:
    CoordinatorTest() {
        permissions->accessibility = true;
        permissions->inputMonitoring = true;
        displays->displays = {DisplayInfo{1, FrameRect{0, 0, 1920, 1080}, 1.0}};
        keyboard->inputSourceId = "us";
    }

    ~CoordinatorTest() override {
        coordinator.reset();
        tap->stop();
    }

    // The fakes, the queue and the virtual clock as the coordinator takes them.
    AppCoordinator::Services services() const {
        AppCoordinator::Services services;
        services.platform = {source,      injector,    displays, workspace, windows,  keyboard,
                             secureInput, permissions, hotKeys,  loginItem, heldInput};
        services.platform.backend = backend;
        services.tap = tap;
        services.mainQueue = mainQueue;
        services.prompts = prompts;
        services.activation = activation;
        services.now = [queue = mainQueue, base = baseNanos] { return base + queue->now(); };
        return services;
    }

    // Made by each test once the fakes are arranged.
    AppCoordinator& make() {
        settings = std::make_unique<AppSettings>(preferences, loginItem);
        store = std::make_shared<RecordingStore>(folder.path() / "Recordings", preferences);
        coordinator = std::make_unique<AppCoordinator>(*settings, store, services());
        coordinator->openLibrary = [this] { ++libraryOpened; };
        return *coordinator;
    }

    std::uint64_t now() const { return baseNanos + mainQueue->now(); }

    // Starts recording without a countdown.
    void startRecording() {
        settings->setCountdownSeconds(0);
        coordinator->toggleRecording();
        ASSERT_EQ(coordinator->state(), AppState::recording());
    }

    // Hands events to the listener and waits until the recorder has taken them.
    void feed(const std::vector<TapEvent>& events) {
        auto witness = std::make_shared<CollectingConsumer>();
        tap->addConsumer(witness);  // after the recorder: it sees each event once the recorder has
        for (const TapEvent& event : events) ASSERT_TRUE(source->push(event));
        ASSERT_TRUE(witness->waitForCount(events.size()));
        tap->removeConsumer(*witness);
    }

    TapEvent key(bool down, std::uint16_t keyCode, std::uint64_t at, std::uint64_t flags = 0) const {
        TapEvent event;
        event.kind = down ? TapEvent::Kind::keyDown(keyCode, false) : TapEvent::Kind::keyUp(keyCode);
        event.timestamp = at;
        event.flags = flags;
        return event;
    }

    // A recording made on this machine (no warnings) that types "a" then "s".
    Recording typingRecording(std::string name) const {
        std::vector<RecordingEvent> events{
            RecordingEvent::keyDown({10 * kMillis, 0, 0, false}), RecordingEvent::keyUp({20 * kMillis, 0, 0, false}),
            RecordingEvent::keyDown({30 * kMillis, 1, 0, false}), RecordingEvent::keyUp({40 * kMillis, 1, 0, false})};
        EnvironmentSnapshot environment;
        environment.displays = displays->displays;
        environment.keyboardInputSourceID = "us";
        return Recording(Uuid::random(), std::move(name),
                         std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()), environment,
                         RecordingSettings{}, TrimRange{}, std::move(events));
    }

    // Stored in the library; the coordinator lists it again.
    Recording stored(Recording recording) {
        store->add(recording);
        coordinator->importFiles({});  // reloads the library (and registers its shortcuts)
        return recording;
    }

    // Runs the main queue until the coordinator is idle again (playback runs in real time).
    bool waitForIdle() {
        return waitUntil([&] {
            mainQueue->runReady();
            return coordinator->state().isIdle();
        });
    }

    // A file in the test's folder, for importing.
    std::filesystem::path writeFile(const std::string& name, const std::string& contents) const {
        const auto path = folder.path() / name;
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }
    static std::string document(const Recording& recording) { return Recording::makeJSONEncoder().encode(recording); }

    std::vector<SyntheticInput> postedKeys() const {
        std::vector<SyntheticInput> keys;
        for (const SyntheticInput& input : injector->postedInputs()) {
            if (input.type == SyntheticInput::Type::keyDown || input.type == SyntheticInput::Type::keyUp) {
                keys.push_back(input);
            }
        }
        return keys;
    }

    TemporaryDirectory folder;
    std::shared_ptr<PreferencesStore> preferences = std::make_shared<InMemoryPreferencesStore>();
    PlatformBackend backend = PlatformBackend::automatic;  // the texts of X11
    std::shared_ptr<FakeInputSource> source = std::make_shared<FakeInputSource>();
    std::shared_ptr<FakeInputInjector> injector = std::make_shared<FakeInputInjector>();
    std::shared_ptr<FakeDisplayService> displays = std::make_shared<FakeDisplayService>();
    std::shared_ptr<FakeWorkspaceService> workspace = std::make_shared<FakeWorkspaceService>();
    std::shared_ptr<FakeWindowAccess> windows = std::make_shared<FakeWindowAccess>();
    std::shared_ptr<FakeKeyboardLayout> keyboard = std::make_shared<FakeKeyboardLayout>(FakeKeyboardLayout::us());
    std::shared_ptr<FakeSecureInput> secureInput = std::make_shared<FakeSecureInput>();
    std::shared_ptr<FakePermissionService> permissions = std::make_shared<FakePermissionService>();
    std::shared_ptr<FakeHotKeyService> hotKeys = std::make_shared<FakeHotKeyService>();
    std::shared_ptr<FakeLoginItem> loginItem = std::make_shared<FakeLoginItem>();
    std::shared_ptr<FakeHeldInput> heldInput = std::make_shared<FakeHeldInput>();
    std::shared_ptr<InputEventTap> tap = std::make_shared<InputEventTap>(source);
    std::shared_ptr<ManualMainQueue> mainQueue = std::make_shared<ManualMainQueue>();
    std::shared_ptr<AnsweringPrompts> prompts = std::make_shared<AnsweringPrompts>();
    std::shared_ptr<RecordingActivation> activation = std::make_shared<RecordingActivation>();
    const std::uint64_t baseNanos = MonotonicClock::now();

    std::unique_ptr<AppSettings> settings;
    std::shared_ptr<RecordingStore> store;
    int libraryOpened = 0;
    std::unique_ptr<AppCoordinator> coordinator;
};

}  // namespace brevanor::testing

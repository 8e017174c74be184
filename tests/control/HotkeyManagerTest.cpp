#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/control/HotkeyManager.h"
#include "base/time/MonotonicClock.h"
#include "platform/fake/FakeHotKeyService.h"
#include "platform/fake/ManualMainQueue.h"
#include "tests/support/WaitUntil.h"

namespace brevanor {
namespace {

using Kind = TapEvent::Kind;

constexpr std::uint64_t kCapsLock = 0x10000;
constexpr std::uint64_t kChordFlags = HotkeyChord::controlFlag | HotkeyChord::optionFlag | HotkeyChord::commandFlag;
// Short enough to keep the suite quick, long enough that a cancel issued right
// after a press always comes first, even on a loaded machine.
constexpr std::uint64_t kTestHoldNanos = 300'000'000;

struct Dispatched {
    HotkeyAction action;
    std::uint64_t time = 0;
    std::uint16_t keyCode = 0;
    friend bool operator==(const Dispatched&, const Dispatched&) = default;
};

std::vector<HotkeyBinding> defaultBindings() {
    return {{HotkeyAction::record(), HotkeyChord::defaultRecord, "Record"},
            {HotkeyAction::playLast(), HotkeyChord::defaultPlayLast, "Play Last Recording"},
            {HotkeyAction::stop(), HotkeyChord::defaultStop, "Stop"}};
}

TapEvent keyDown(std::uint16_t keyCode, std::uint64_t timestamp, std::uint64_t flags = 0) {
    return {.kind = Kind::keyDown(keyCode, false), .timestamp = timestamp, .location = {}, .flags = flags};
}

class HotkeyManagerTest : public ::testing::Test {
protected:
    void SetUp() override { makeManager(HotkeyManager::defaultEscHoldNanos); }

    void makeManager(std::uint64_t escHoldNanos) {
        manager = HotkeyManager::make(service, nullptr, mainQueue, escHoldNanos);
        manager->setOnAction([this](const HotkeyAction& action, std::uint64_t time, std::uint16_t keyCode) {
            dispatched.push_back({action, time, keyCode});
        });
    }

    std::vector<Dispatched> drain() {
        mainQueue->runReady();
        return dispatched;
    }

    // Waits (on real time) until `count` actions arrived through the main queue.
    bool waitForActions(std::size_t count) {
        return testing::waitUntil([&] {
            mainQueue->runReady();
            return dispatched.size() >= count;
        });
    }

    // Lets more than one hold pass on the queue's clock, then collects what arrived.
    std::vector<Dispatched> drainAfterHold() {
        mainQueue->advanceBy(3 * kTestHoldNanos);
        return drain();
    }

    std::shared_ptr<FakeHotKeyService> service = std::make_shared<FakeHotKeyService>();
    std::shared_ptr<ManualMainQueue> mainQueue = std::make_shared<ManualMainQueue>();
    std::shared_ptr<HotkeyManager> manager;
    std::vector<Dispatched> dispatched;
};

TEST_F(HotkeyManagerTest, RegistersEveryBindingUnderIdsThatNeverRepeatUntilDestroyed) {
    EXPECT_TRUE(manager->update(defaultBindings()).empty());
    EXPECT_EQ(service->registeredIds(), (std::vector<std::uint32_t>{1, 2, 3}));

    auto changed = defaultBindings();
    changed[0].chord.keyCode = 16;
    EXPECT_TRUE(manager->update(changed).empty());
    EXPECT_EQ(service->registeredIds(), (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6}));
    const auto registered = service->registered();
    ASSERT_EQ(registered.size(), 3u);
    EXPECT_EQ(registered.at(4), changed[0].chord);
    EXPECT_EQ(registered.at(6), HotkeyChord::defaultStop);

    // Destruction unregisters everything, and the handler goes with the manager.
    manager.reset();
    EXPECT_TRUE(service->registered().empty());
    service->pressId(4);
    EXPECT_TRUE(drain().empty());
}

// A refusal uses up no id and leaves the list to be registered again at the
// next update; a fully registered list that did not change is left alone.
TEST_F(HotkeyManagerTest, RefusedBindingIsReportedAndRetriedWhileTheOthersWorkAndAnUnchangedListIsLeftAlone) {
    service->refuse(HotkeyChord::defaultPlayLast, -42);
    const auto failures = manager->update(defaultBindings());
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0], (HotkeyManager::RegistrationFailure{defaultBindings()[1], -42}));
    EXPECT_EQ(service->registeredIds(), (std::vector<std::uint32_t>{1, 2}));

    EXPECT_TRUE(service->press(HotkeyChord::defaultRecord));
    EXPECT_TRUE(service->press(HotkeyChord::defaultStop));
    const auto actions = drain();
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[0].action, HotkeyAction::record());
    EXPECT_EQ(actions[1].action, HotkeyAction::stop());

    EXPECT_EQ(manager->update(defaultBindings()).size(), 1u) << "a list with a failure is registered again";
    service->allow(HotkeyChord::defaultPlayLast);
    EXPECT_TRUE(manager->update(defaultBindings()).empty());
    EXPECT_EQ(service->registered().size(), 3u);
    const int calls = service->callCount();
    EXPECT_TRUE(manager->update(defaultBindings()).empty());
    EXPECT_EQ(service->callCount(), calls);
}

TEST_F(HotkeyManagerTest, APressReachesTheHandlerOnlyThroughTheMainQueueAndTheFilter) {
    const auto id = Uuid::random();
    auto bindings = defaultBindings();
    bindings.push_back({HotkeyAction::playRecording(id), {18, kChordFlags}, "Mine"});
    manager->update(bindings);

    // The action carries the time of the press, which the service saw before it called back.
    ASSERT_TRUE(service->press({18, kChordFlags}, 1234));
    EXPECT_TRUE(dispatched.empty());
    EXPECT_EQ(drain(), (std::vector<Dispatched>{{HotkeyAction::playRecording(id), 1234, 18}}));

    // Presses that the filter rejects or that match no registration are dropped.
    std::vector<std::uint16_t> asked;
    manager->setShouldIgnoreTrigger([&](std::uint16_t keyCode) {
        asked.push_back(keyCode);
        return keyCode == HotkeyChord::defaultRecord.keyCode;
    });
    manager->update(defaultBindings());

    service->press(HotkeyChord::defaultRecord);
    service->pressId(99);
    service->press(HotkeyChord::defaultPlayLast);
    ASSERT_EQ(drain().size(), 2u);
    EXPECT_EQ(dispatched[1].action, HotkeyAction::playLast());
    EXPECT_EQ(asked, (std::vector<std::uint16_t>{15, 35}));
}

TEST_F(HotkeyManagerTest, SuspensionRemovesEveryRegistrationAndResumingBringsTheSameShortcutsBack) {
    manager->update(defaultBindings());
    const auto stopId = service->idOf(HotkeyChord::defaultStop);
    manager->setSuspended(true);
    EXPECT_TRUE(service->registered().empty());

    service->pressId(*stopId);
    manager->consume(keyDown(7, 100, kChordFlags));
    EXPECT_TRUE(manager->update(defaultBindings()).empty());
    EXPECT_TRUE(service->registered().empty()) << "no registration while suspended";
    EXPECT_TRUE(drain().empty());

    manager->setSuspended(false);
    EXPECT_EQ(service->registered().size(), 3u);
    EXPECT_NE(service->idOf(HotkeyChord::defaultStop), stopId) << "resumed under new ids";
    EXPECT_TRUE(service->press(HotkeyChord::defaultStop));
    ASSERT_EQ(drain().size(), 1u);
    EXPECT_EQ(dispatched[0].action, HotkeyAction::stop());
}

// Which presses match a chord is the watch's rule:
// ShortcutWatchConcurrency.ShortcutsCountWithExactlyTheirModifiersAndNeverAsBrevanorsOwnKeys.
TEST_F(HotkeyManagerTest, TheListenerDispatchesOnlyTheBoundStopChord) {
    manager->update(defaultBindings());
    manager->consume(keyDown(7, 1000, kChordFlags | kCapsLock));
    manager->consume(keyDown(15, 6000, kChordFlags));  // record is the hot-key service's business
    EXPECT_EQ(drain(), (std::vector<Dispatched>{{HotkeyAction::stop(), 1000, 7}}));

    auto withoutStop = defaultBindings();
    withoutStop.pop_back();
    manager->update(withoutStop);
    manager->consume(keyDown(7, 7000, kChordFlags));
    EXPECT_EQ(drain().size(), 1u) << "without a stop binding the listener dispatches nothing";
}

class HotkeyManagerEscHoldTest : public HotkeyManagerTest {
protected:
    void SetUp() override { makeManager(kTestHoldNanos); }
};

// Off or suspended, Esc does nothing; held, it stops once with the press's time. Synthetic Esc and
// repeats are the watch's: ShortcutWatchConcurrency.HoldingEscapeStopsWithTheTimeOfItsKeyDown.
TEST_F(HotkeyManagerEscHoldTest, HoldingEscStopsOnceWithThePressTimeWhileTheHoldIsOn) {
    manager->consume(keyDown(53, 1));
    manager->setEscHoldEnabled(true);
    EXPECT_TRUE(drainAfterHold().empty());

    manager->consume(keyDown(53, 3));
    manager->setEscHoldEnabled(false);  // cancels the hold under way
    manager->setEscHoldEnabled(true);
    manager->setSuspended(true);
    manager->consume(keyDown(53, 4));
    EXPECT_TRUE(drainAfterHold().empty());

    manager->setSuspended(false);
    const std::uint64_t pressedAt = MonotonicClock::now();
    manager->consume(keyDown(53, pressedAt));
    mainQueue->advanceBy(kTestHoldNanos - 1);
    EXPECT_TRUE(drain().empty()) << "never before the hold is complete";
    EXPECT_EQ(drainAfterHold(), (std::vector<Dispatched>{{HotkeyAction::stop(), pressedAt, 53}}));
}

}  // namespace
}  // namespace brevanor

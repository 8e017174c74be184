#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

#include "app/control/HotkeyManager.h"
#include "base/time/MonotonicClock.h"
#include "core/capture/InputEventTap.h"
#include "platform/fake/FakeHotKeyService.h"
#include "platform/fake/FakeInputSource.h"
#include "platform/fake/ManualMainQueue.h"
#include "tests/support/WaitUntil.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kChordFlags = HotkeyChord::controlFlag | HotkeyChord::optionFlag | HotkeyChord::commandFlag;
constexpr std::uint64_t kShortHoldNanos = 2'000'000;

TapEvent key(bool down, std::uint16_t keyCode, std::uint64_t flags = 0) {
    return {.kind = down ? TapEvent::Kind::keyDown(keyCode, false) : TapEvent::Kind::keyUp(keyCode),
            .timestamp = MonotonicClock::now(),
            .location = {},
            .flags = flags};
}

// The listener's thread, the delivery queue, the hotkeys queue and the main
// thread all meet in the manager; the main thread is the test's own.
class HotkeyManagerConcurrency : public ::testing::Test {
protected:
    void SetUp() override {
        tap->start();
        manager = HotkeyManager::make(service, tap, mainQueue, kShortHoldNanos);
        manager->setOnAction([this](const HotkeyAction& action, std::uint64_t time, std::uint16_t keyCode) {
            actions.push_back(action);
            times.push_back(time);
            keyCodes.push_back(keyCode);
        });
    }

    void TearDown() override { tap->stop(); }

    std::vector<HotkeyBinding> bindings(std::uint16_t recordKey) {
        return {{HotkeyAction::record(), {recordKey, kChordFlags}, "Record"},
                {HotkeyAction::stop(), HotkeyChord::defaultStop, "Stop"}};
    }

    std::shared_ptr<FakeHotKeyService> service = std::make_shared<FakeHotKeyService>();
    std::shared_ptr<FakeInputSource> source = std::make_shared<FakeInputSource>();
    std::shared_ptr<InputEventTap> tap = std::make_shared<InputEventTap>(source);
    std::shared_ptr<ManualMainQueue> mainQueue = std::make_shared<ManualMainQueue>();
    std::shared_ptr<HotkeyManager> manager;
    std::vector<HotkeyAction> actions;
    std::vector<std::uint64_t> times;
    std::vector<std::uint16_t> keyCodes;
};

TEST_F(HotkeyManagerConcurrency, ListenerEventsRaceWithRegistrationSuspensionAndTheEscHold) {
    std::atomic<bool> done{false};
    std::atomic<int> stopChordsPushed{0};
    std::vector<std::thread> listeners;
    for (int t = 0; t < 2; ++t) {
        listeners.emplace_back([&] {
            while (!done.load()) {
                source->push(key(true, HotkeyChord::escapeKeyCode));
                source->push(key(true, 7, kChordFlags));
                stopChordsPushed.fetch_add(1);
                source->push(key(false, HotkeyChord::escapeKeyCode));
                source->push(key(false, 7));
            }
        });
    }
    // The main thread keeps changing things until the listeners have pushed plenty
    // (a loaded machine may start them late), or for ten seconds at most.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int round = 0; (round < 300 || stopChordsPushed.load() < 200) && std::chrono::steady_clock::now() < deadline;
         ++round) {
        manager->update(bindings(static_cast<std::uint16_t>(round % 2 == 0 ? 15 : 16)));
        manager->setEscHoldEnabled(round % 3 != 0);
        if (round % 5 == 0) manager->setSuspended(true);
        service->press({static_cast<std::uint16_t>(round % 2 == 0 ? 15 : 16), kChordFlags});
        manager->setSuspended(false);
        mainQueue->runReady();
    }
    done = true;
    for (auto& thread : listeners) thread.join();
    tap->stop();
    manager->setEscHoldEnabled(false);
    mainQueue->runReady();

    EXPECT_GT(stopChordsPushed.load(), 0);
    for (std::size_t i = 0; i < actions.size(); ++i) {
        if (actions[i] == HotkeyAction::stop()) {
            EXPECT_TRUE(keyCodes[i] == 7 || keyCodes[i] == HotkeyChord::escapeKeyCode);
        } else {
            EXPECT_EQ(actions[i], HotkeyAction::record());
        }
    }
}

TEST_F(HotkeyManagerConcurrency, EachEscHoldStopsAtMostOnceWhateverTheReleaseRacesWith) {
    manager->setEscHoldEnabled(true);
    constexpr int kHolds = 200;
    std::vector<std::uint64_t> pressTimes;
    std::atomic<bool> listening{true};
    std::atomic<int> steps{0};  // of the main thread's clock, half a hold each
    std::thread listener([&] {
        for (int i = 0; i < kHolds; ++i) {
            const TapEvent down = key(true, HotkeyChord::escapeKeyCode);
            pressTimes.push_back(down.timestamp);
            source->push(down);
            // Zero to three half holds later, so the release sometimes wins and sometimes loses.
            const int pressedAt = steps;
            testing::waitUntil([&] { return steps >= pressedAt + i % 4; });
            source->push(key(false, HotkeyChord::escapeKeyCode));
        }
        listening = false;
    });
    // The holds complete on the main thread's clock while releases arrive on the listener's.
    while (listening.load()) {
        mainQueue->advanceBy(kShortHoldNanos / 2);
        ++steps;
    }
    listener.join();
    // A last hold that nobody releases must fire.
    const TapEvent last = key(true, HotkeyChord::escapeKeyCode);
    source->push(last);
    ASSERT_TRUE(testing::waitUntil([&] {
        mainQueue->advanceBy(kShortHoldNanos);
        return !times.empty() && times.back() == last.timestamp;
    }));

    pressTimes.push_back(last.timestamp);
    std::multiset<std::uint64_t> seen(times.begin(), times.end());
    for (std::uint64_t time : seen) {
        EXPECT_EQ(seen.count(time), 1u) << "one hold stopped twice";
        EXPECT_NE(std::find(pressTimes.begin(), pressTimes.end(), time), pressTimes.end());
    }
    for (std::uint16_t keyCode : keyCodes) EXPECT_EQ(keyCode, HotkeyChord::escapeKeyCode);
}

}  // namespace
}  // namespace brevanor

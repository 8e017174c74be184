// The hotkey manager sees every input event of the session on the listener's
// delivery queue. What one event costs it: a mouse move (returns after reading
// the kind), an ordinary key press (three values copied under the lock) and the
// stop chord (an action posted to the main queue).
#include <benchmark/benchmark.h>

#include "app/control/HotkeyManager.h"
#include "platform/fake/FakeHotKeyService.h"
#include "platform/fake/ManualMainQueue.h"

namespace brevanor {
namespace {

constexpr std::uint64_t kChordFlags = HotkeyChord::controlFlag | HotkeyChord::optionFlag | HotkeyChord::commandFlag;

struct Manager {
    Manager() {
        manager->setOnAction([](const HotkeyAction&, std::uint64_t, std::uint16_t) {});
        manager->update({{HotkeyAction::record(), HotkeyChord::defaultRecord, "Record"},
                         {HotkeyAction::playLast(), HotkeyChord::defaultPlayLast, "Play Last Recording"},
                         {HotkeyAction::stop(), HotkeyChord::defaultStop, "Stop"}});
        manager->setEscHoldEnabled(true);
    }

    std::shared_ptr<ManualMainQueue> mainQueue = std::make_shared<ManualMainQueue>();
    std::shared_ptr<HotkeyManager> manager =
        HotkeyManager::make(std::make_shared<FakeHotKeyService>(), nullptr, mainQueue);
};

TapEvent event(TapEvent::Kind kind, std::uint64_t flags = 0) {
    TapEvent e;
    e.kind = kind;
    e.timestamp = 1'000'000'000;
    e.flags = flags;
    return e;
}

void BM_ConsumeMouseMove(benchmark::State& state) {
    Manager m;
    const TapEvent move = event(TapEvent::Kind::mouseMoved());
    for (auto _ : state) m.manager->consume(move);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConsumeMouseMove);

void BM_ConsumeOrdinaryKeyDown(benchmark::State& state) {
    Manager m;
    const TapEvent key = event(TapEvent::Kind::keyDown(0, false));
    for (auto _ : state) m.manager->consume(key);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConsumeOrdinaryKeyDown);

void BM_ConsumeStopChord(benchmark::State& state) {
    Manager m;
    const TapEvent chord = event(TapEvent::Kind::keyDown(7, false), kChordFlags);
    std::int64_t sinceDrain = 0;
    for (auto _ : state) {
        m.manager->consume(chord);
        if (++sinceDrain == 1024) {
            state.PauseTiming();
            m.mainQueue->runReady();
            sinceDrain = 0;
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConsumeStopChord);

}  // namespace
}  // namespace brevanor

// Listing a library of 1,000 recordings of about 100 KB each (about 100 MB):
// from cold (every document decoded, on one thread or on all cores), when
// nothing changed (decoded recordings reused), and after one save.
#include <benchmark/benchmark.h>

#include "bench/BenchLibrary.h"
#include "core/store/RecordingStore.h"
#include "platform/fake/InMemoryPreferencesStore.h"

namespace brevanor {
namespace {

RecordingStore makeStore(unsigned threads) {
    RecordingStore::Options options;
    options.listingThreads = threads;
    return RecordingStore(library().path(), std::make_shared<InMemoryPreferencesStore>(), options);
}

void reportLibrary(benchmark::State& state) {
    state.counters["recordings"] = kRecordingCount;
    state.counters["MB"] = static_cast<double>(library().totalBytes()) / 1e6;
}

// Every document read and decoded: the first listing of a session. Arg: threads.
void BM_ListCold(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        RecordingStore store = makeStore(static_cast<unsigned>(state.range(0)));
        state.ResumeTiming();
        benchmark::DoNotOptimize(store.list());
    }
    reportLibrary(state);
}
BENCHMARK(BM_ListCold)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// Nothing changed since the last listing: the folder is read, nothing decoded.
void BM_ListUnchanged(benchmark::State& state) {
    RecordingStore store = makeStore(0);
    store.list();
    for (auto _ : state) benchmark::DoNotOptimize(store.list());
    reportLibrary(state);
}
BENCHMARK(BM_ListUnchanged)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// The listing that follows a save: one document decoded again.
void BM_ListAfterSave(benchmark::State& state) {
    RecordingStore store = makeStore(0);
    Recording changed = library().first();
    store.list();
    for (auto _ : state) {
        state.PauseTiming();
        changed.settings.notes += "x";
        store.save(changed);
        state.ResumeTiming();
        benchmark::DoNotOptimize(store.list());
    }
    reportLibrary(state);
}
BENCHMARK(BM_ListAfterSave)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// One atomic save of a 100 KB document (flushes included).
void BM_Save(benchmark::State& state) {
    RecordingStore store = makeStore(1);
    Recording changed = library().first();
    for (auto _ : state) {
        changed.settings.notes += "x";
        store.save(changed);
    }
}
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace brevanor

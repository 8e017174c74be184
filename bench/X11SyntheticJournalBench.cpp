// What the shared synthetic-input journal costs the injector per request, and
// the listener per event it reads back, beside the baseline it replaced: a
// journal of one process, a deque behind a mutex.
//
//   build/release/bench/X11SyntheticJournalBench

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>

#include "platform/x11/X11SyntheticJournal.h"

namespace brevanor {
namespace {

using Request = X11SyntheticJournal::Request;
constexpr std::uint64_t kNow = 1'000'000'000'000ULL;

// The journal file lives in a folder of the benchmark's own for the whole run.
class JournalFolder {
public:
    JournalFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brevanor-journal-bench-XXXXXX").string();
        if (mkdtemp(pattern.data())) folder_ = pattern;
    }
    ~JournalFolder() {
        if (!folder_.empty()) std::filesystem::remove_all(folder_);
    }
    std::filesystem::path file() const { return folder_ / "journal"; }

private:
    std::filesystem::path folder_;
};

JournalFolder& folder() {
    static JournalFolder folder;
    return folder;
}

// The per-process journal as it was: noting takes a lock and trims expired entries.
class ProcessJournal {
public:
    void note(const X11SyntheticJournal::Entry& entry) {
        std::lock_guard lock(mutex_);
        while (!entries_.empty() &&
               entry.notedAtNanos - entries_.front().notedAtNanos > X11SyntheticJournal::kLifetimeNanos) {
            entries_.pop_front();
        }
        if (entries_.size() >= X11SyntheticJournal::kCapacity) entries_.pop_front();
        entries_.push_back(entry);
    }

private:
    std::mutex mutex_;
    std::deque<X11SyntheticJournal::Entry> entries_;
};

void BM_NoteProcessJournalBaseline(benchmark::State& state) {
    static ProcessJournal journal;
    int x = 0;
    for (auto _ : state) journal.note({Request::motion, 0, ++x & 1023, 7, kNow});
}
BENCHMARK(BM_NoteProcessJournalBaseline)->Threads(1)->Threads(2);

void BM_NoteSharedJournal(benchmark::State& state) {
    static X11SyntheticJournal journal(folder().file());
    if (journal.problem()) return state.SkipWithError(journal.problem()->c_str());
    int x = 0;
    for (auto _ : state) journal.note({Request::motion, 0, ++x & 1023, 7, kNow});
}
BENCHMARK(BM_NoteSharedJournal)->Threads(1)->Threads(2);

// One request noted by the injector's journal and claimed by a listener's, as during a replay.
void BM_NoteAndClaimAcrossJournals(benchmark::State& state) {
    X11SyntheticJournal player(folder().file()), listener(folder().file());
    int x = 0;
    for (auto _ : state) {
        x = (x + 1) & 1023;
        player.note({Request::motion, 0, x, 7, kNow});
        benchmark::DoNotOptimize(listener.claim(Request::motion, 0, x, 7, kNow));
    }
}
BENCHMARK(BM_NoteAndClaimAcrossJournals);

}  // namespace
}  // namespace brevanor

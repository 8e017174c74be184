// The shared synthetic-input journal with writers and readers at once: in
// threads of this process and in processes of their own, on one file.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/ChildProcess.h"
#include "platform/x11/X11SyntheticJournal.h"
#include "tests/store/TemporaryDirectory.h"

namespace brevanor::testing {
namespace {

using Request = X11SyntheticJournal::Request;
constexpr std::uint64_t kNotedAtNanos = 1'000'000'000'000ULL;  // the time brevanor_x11_journal_writer notes at
constexpr int kPerWriter = 1500;
constexpr int kThreadWriters = 2;
constexpr int kProcessWriters = 2;
constexpr int kWriters = kThreadWriters + kProcessWriters;
static_assert(kWriters * kPerWriter < static_cast<int>(X11SyntheticJournal::kCapacity), "readers may lag a whole run");

// Claims every writer's moves in the order it noted them, as a listener sees
// them come back; answers how many it claimed before its deadline.
int claimEverything(X11SyntheticJournal& journal) {
    std::vector<int> next(kWriters, 0);
    int claimed = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (claimed < kWriters * kPerWriter && std::chrono::steady_clock::now() < deadline) {
        bool progressed = false;
        for (int writer = 0; writer < kWriters; ++writer) {
            while (next[writer] < kPerWriter &&
                   journal.claim(Request::motion, 0, next[writer], writer, kNotedAtNanos)) {
                ++next[writer];
                ++claimed;
                progressed = true;
            }
        }
        if (!progressed) std::this_thread::yield();
    }
    return claimed;
}

TEST(SyntheticJournalConcurrency, EveryReaderClaimsEveryEntryOfEveryWriter) {
    const TemporaryDirectory folder;
    const std::filesystem::path file = folder.path() / "journal";

    // Two listeners (the tray application and brevanor-cli record), opened before anything is posted.
    X11SyntheticJournal app(file), recorder(file);
    ASSERT_FALSE(app.problem()) << *app.problem();
    int appClaimed = 0, recorderClaimed = 0;
    std::thread appThread([&] { appClaimed = claimEverything(app); });
    std::thread recorderThread([&] { recorderClaimed = claimEverything(recorder); });

    std::vector<std::unique_ptr<ChildProcess>> processes;
    for (int writer = kThreadWriters; writer < kWriters; ++writer) {
        processes.push_back(
            std::make_unique<ChildProcess>(std::vector<std::string>{BREVANOR_JOURNAL_WRITER, file.string(),
                                                                    std::to_string(writer), std::to_string(kPerWriter)},
                                           ChildProcess::Options{}));
    }
    std::vector<std::thread> writers;
    for (int writer = 0; writer < kThreadWriters; ++writer) {
        writers.emplace_back([&, writer] {
            X11SyntheticJournal journal(file);
            for (int i = 0; i < kPerWriter; ++i) journal.note({Request::motion, 0, i, writer, kNotedAtNanos});
        });
    }
    for (std::thread& writer : writers) writer.join();
    for (const auto& process : processes) EXPECT_EQ(process->waitFor(std::chrono::seconds(60)), 0);
    appThread.join();
    recorderThread.join();

    EXPECT_EQ(appClaimed, kWriters * kPerWriter);
    EXPECT_EQ(recorderClaimed, kWriters * kPerWriter);
}

}  // namespace
}  // namespace brevanor::testing

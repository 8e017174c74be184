// The application and every brevanor-cli take automatic name numbers from one
// counter in the preferences file: no two of them may ever get the same number.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <numeric>
#include <sstream>
#include <thread>

#include "core/store/IniPreferencesStore.h"
#include "core/store/RecordingStore.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/store/TemporaryDirectory.h"

namespace brevanor {
namespace {

constexpr int kTakers = 4;
constexpr int kNumbersEach = 20;

// Takes kNumbersEach automatic names through a store of its own, as a separate process would, and answers their
// numbers.
std::vector<int> takeNumbers(const std::filesystem::path& folder) {
    RecordingStore store(folder / "Recordings", std::make_shared<IniPreferencesStore>(folder / "Brevanor.conf"),
                         RecordingStore::Options{AutoNameDateFormat("en_US", "UTC"), AtomicFileWriter(), 1});
    std::vector<int> numbers;
    for (int i = 0; i < kNumbersEach; ++i) {
        const std::string name = store.nextAutoName(Date{});  // "Recording <n> – <date>"
        numbers.push_back(std::stoi(name.substr(name.find(' ') + 1)));
    }
    return numbers;
}

// Every number from 1 up, each exactly once, and the counter left at the last.
void expectEachNumberOnce(std::vector<int> numbers, const std::filesystem::path& folder) {
    std::sort(numbers.begin(), numbers.end());
    std::vector<int> expected(kTakers * kNumbersEach);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(numbers, expected);
    EXPECT_EQ(IniPreferencesStore(folder / "Brevanor.conf").getInteger(RecordingStore::recordingCounterKey),
              kTakers * kNumbersEach);
}

TEST(AutoNameCounterConcurrency, ThreadsNeverShareANumber) {
    TemporaryDirectory folder;
    std::vector<std::vector<int>> taken(kTakers);
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kTakers; ++t) threads.emplace_back([&, t] { taken[t] = takeNumbers(folder.path()); });
    }
    std::vector<int> numbers;
    for (const auto& each : taken) numbers.insert(numbers.end(), each.begin(), each.end());
    expectEachNumberOnce(numbers, folder.path());
}

TEST(AutoNameCounterConcurrency, ProcessesNeverShareANumber) {
    TemporaryDirectory folder;
    const auto takenBy = [&](int taker) { return folder.path() / ("taken-" + std::to_string(taker)); };
    std::vector<pid_t> children;
    for (int t = 0; t < kTakers; ++t) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                std::string text;
                for (const int number : takeNumbers(folder.path())) text += std::to_string(number) + " ";
                writeFile(takenBy(t), text);
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        children.push_back(child);
    }
    std::vector<int> numbers;
    for (int t = 0; t < kTakers; ++t) {
        int status = -1;
        ::waitpid(children[t], &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a taker failed";
        std::istringstream taken(readFile(takenBy(t)));
        for (int number; taken >> number;) numbers.push_back(number);
    }
    expectEachNumberOnce(numbers, folder.path());
}

}  // namespace
}  // namespace brevanor

// The application and every brevanor-cli take automatic name numbers from one
// counter in the preferences file: no two of them may ever get the same number.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <numeric>
#include <thread>

#include "core/store/IniPreferencesStore.h"
#include "core/store/RecordingStore.h"
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
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    std::vector<pid_t> children;
    for (int t = 0; t < kTakers; ++t) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeEnds[0]);
            int status = 0;
            try {
                const std::vector<int> numbers = takeNumbers(folder.path());
                const auto bytes = static_cast<ssize_t>(numbers.size() * sizeof(int));
                if (::write(pipeEnds[1], numbers.data(), static_cast<std::size_t>(bytes)) != bytes) status = 2;
            } catch (...) {
                status = 1;
            }
            ::_exit(status);
        }
        children.push_back(child);
    }
    ::close(pipeEnds[1]);
    std::vector<int> numbers(kTakers * kNumbersEach + 1);
    std::size_t received = 0;
    for (ssize_t count; (count = ::read(pipeEnds[0], reinterpret_cast<char*>(numbers.data()) + received,
                                        numbers.size() * sizeof(int) - received)) > 0;) {
        received += static_cast<std::size_t>(count);
    }
    ::close(pipeEnds[0]);
    for (const pid_t child : children) {
        int status = -1;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a taker failed";
    }
    ASSERT_EQ(received, kTakers * kNumbersEach * sizeof(int));
    numbers.resize(kTakers * kNumbersEach);
    expectEachNumberOnce(numbers, folder.path());
}

}  // namespace
}  // namespace brevanor

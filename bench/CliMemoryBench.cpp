// Peak resident memory of brevanor-cli's library commands, as users run them:
// show, show --events, list and duplicate of a document of one million events
// (about 51 MB) and of one of 4.9 million (about 253 MB, near the largest
// document the library takes), and list, show and duplicate by name in a
// library of 1,000 recordings of about 130 KB each. Each command runs as its
// own process; the counters are its peak resident set ("peakMB", the most of
// the runs, and "lowestMB", the least), the size of the library
// ("libraryMB": the one document, or all 1,000) and their ratio ("ratio",
// from the most). Two baselines run beside them: `brevanor-cli help`,
// which reads nothing, and a plain read of the whole document into memory
// (`dd` with one block as large as the file). BREVANOR_CLI_PROGRAM in the
// environment measures another build of the program.
//
// Linux carries a process's peak over exec, and a spawned child starts in its
// parent's memory: the documents are therefore made by a child process of
// their own, so that this process stays small and its peak is not counted.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/model/RecordingJSONEncoder.h"

extern char** environ;

namespace brevanor {
namespace {

constexpr int kBigEventCount = 1'000'000;
constexpr int kHugeEventCount = 4'900'000;
constexpr int kLibrarySize = 1000;

std::string program() {
    const char* other = std::getenv("BREVANOR_CLI_PROGRAM");
    return other && *other ? other : BREVANOR_CLI_PROGRAM;
}

Recording recording(std::string name, int eventCount, int minutesAgo) {
    std::vector<RecordingEvent> events;
    events.reserve(static_cast<std::size_t>(eventCount));
    for (int i = 0; i < eventCount; ++i) {
        // Short times and key events make the densest documents: the most to parse per byte.
        const auto t = static_cast<std::uint64_t>(i);
        const auto key = static_cast<std::uint16_t>(i / 2 % 50);
        events.push_back(i % 2 ? RecordingEvent::keyUp({t, key, 0, false})
                               : RecordingEvent::keyDown({t, key, 0, false}));
    }
    const Date created =
        std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()) - std::chrono::minutes(minutesAgo);
    return Recording(Uuid::random(), std::move(name), created, EnvironmentSnapshot::empty(), RecordingSettings(),
                     TrimRange{}, std::move(events));
}

// A data folder holding one library, written once and removed at exit.
class Library {
public:
    Library(const std::string& label, int recordingCount, int eventCount) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / ("brevanor-bench-" + label + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
        data_ = pattern;
        const auto folder = data_ / "Brevanor" / "Recordings";
        std::filesystem::create_directories(folder);
        const pid_t writer = ::fork();
        if (writer == 0) {
            for (int i = 0; i < recordingCount; ++i) {
                const Recording made = recording("Recording " + std::to_string(i), eventCount, i);
                std::ofstream(folder / (made.id.toString() + ".json"), std::ios::binary)
                    << RecordingJSONEncoder().encode(made);
            }
            ::_exit(0);
        }
        int status = 0;
        if (writer < 0 || ::waitpid(writer, &status, 0) != writer || status != 0) {
            throw std::runtime_error("cannot write the library");
        }
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            totalBytes_ += entry.file_size();
            firstId_ = entry.path().stem().string();
        }
    }
    ~Library() { std::filesystem::remove_all(data_); }

    const std::filesystem::path& data() const { return data_; }
    std::size_t totalBytes() const { return totalBytes_; }
    // The id of one of its recordings.
    const std::string& firstId() const { return firstId_; }

private:
    std::filesystem::path data_;
    std::size_t totalBytes_ = 0;
    std::string firstId_;
};

const Library& big() {
    static const Library instance("big", 1, kBigEventCount);
    return instance;
}

const Library& many() {
    static const Library instance("many", kLibrarySize, 2000);
    return instance;
}

const Library& huge() {
    static const Library instance("huge", 1, kHugeEventCount);
    return instance;
}

// Runs `words` (a program found on PATH and its arguments) on the library and
// answers its peak resident set in bytes.
std::size_t peakBytes(const Library& library, std::vector<std::string> words) {
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables{"XDG_DATA_HOME=" + library.data().string(),
                                       "XDG_CONFIG_HOME=" + (library.data() / "config").string(), "DISPLAY="};
    for (char** variable = environ; *variable; ++variable) {
        const std::string_view entry(*variable);
        if (!entry.starts_with("XDG_DATA_HOME=") && !entry.starts_with("XDG_CONFIG_HOME=") &&
            !entry.starts_with("DISPLAY=")) {
            variables.emplace_back(entry);
        }
    }
    std::vector<char*> envp;
    for (std::string& variable : variables) envp.push_back(variable.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int started = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) throw std::runtime_error("cannot start " + words[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error(words[0] + " " + words[1] + " failed");
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

void measure(benchmark::State& state, const Library& library, const std::vector<std::string>& words) {
    std::size_t peak = 0;
    std::size_t lowest = SIZE_MAX;
    for (auto _ : state) {
        const std::size_t bytes = peakBytes(library, words);
        peak = std::max(peak, bytes);
        lowest = std::min(lowest, bytes);
    }
    state.counters["peakMB"] = static_cast<double>(peak) / 1e6;
    state.counters["lowestMB"] = static_cast<double>(lowest) / 1e6;
    state.counters["libraryMB"] = static_cast<double>(library.totalBytes()) / 1e6;
    state.counters["ratio"] = static_cast<double>(peak) / static_cast<double>(library.totalBytes());
}

// The command `arguments` of brevanor-cli.
void cli(benchmark::State& state, const Library& library, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), program());
    measure(state, library, std::move(arguments));
}

// The whole document read into one buffer of its size, and nothing else.
void plainRead(benchmark::State& state, const Library& library) {
    const std::filesystem::path file = library.data() / "Brevanor" / "Recordings" / (library.firstId() + ".json");
    measure(state, library,
            {"dd", "if=" + file.string(), "of=/dev/null", "bs=" + std::to_string(library.totalBytes()), "count=1",
             "iflag=fullblock", "status=none"});
}

void BM_Help(benchmark::State& state) { cli(state, big(), {"help"}); }
void BM_BigPlainRead(benchmark::State& state) { plainRead(state, big()); }
void BM_BigShow(benchmark::State& state) { cli(state, big(), {"show", big().firstId()}); }
void BM_BigShowEvents(benchmark::State& state) { cli(state, big(), {"show", big().firstId(), "--events"}); }
void BM_BigDuplicate(benchmark::State& state) { cli(state, big(), {"duplicate", big().firstId()}); }
void BM_BigList(benchmark::State& state) { cli(state, big(), {"list"}); }
void BM_HugePlainRead(benchmark::State& state) { plainRead(state, huge()); }
void BM_HugeShow(benchmark::State& state) { cli(state, huge(), {"show", huge().firstId()}); }
void BM_HugeDuplicate(benchmark::State& state) { cli(state, huge(), {"duplicate", huge().firstId()}); }
void BM_HugeList(benchmark::State& state) { cli(state, huge(), {"list"}); }
void BM_LibraryList(benchmark::State& state) { cli(state, many(), {"list"}); }
void BM_LibraryShowByName(benchmark::State& state) { cli(state, many(), {"show", "Recording 500"}); }
void BM_LibraryDuplicateByName(benchmark::State& state) { cli(state, many(), {"duplicate", "Recording 500"}); }

BENCHMARK(BM_Help)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BigPlainRead)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BigShow)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BigShowEvents)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BigList)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BigDuplicate)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HugePlainRead)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HugeShow)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HugeList)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HugeDuplicate)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibraryList)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibraryShowByName)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibraryDuplicateByName)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace brevanor

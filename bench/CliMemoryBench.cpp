// Peak resident memory of brevanor-cli, as users run it: each command runs as
// its own process, and its peak resident set is what wait4 reports of it.
//
// - show, show --events, list and duplicate of a document of one million key
//   events (about 51 MB);
// - import, show, show --events, duplicate, list and play of two documents
//   near the largest the library takes, written by brevanor-large-recording: a
//   working session's mix of paths, clicks, typing and idle gaps (2.88 million
//   events, about 224 MB) and 5 million key events (about 258 MB), the most
//   events and playback actions per byte. play runs against a private Xvfb
//   with its status line on a terminal of its own, and is stopped with SIGINT
//   as soon as it says it is playing: its schedule is then built, and its peak
//   is that of reading the document and building the schedule;
// - list, show and duplicate by name in a library of 1,000 recordings of about
//   130 KB each.
//
// The counters are the peak resident set ("peakMB", the most of the runs, and
// "lowestMB", the least), the size of the library ("libraryMB": the one
// document, or all 1,000) and their ratio ("ratio", from the most). Two
// baselines run beside them: `brevanor-cli help`, which reads nothing, and a
// plain read of the whole document into memory (`dd` with one block as large
// as the file), whose ratio is about 1. BREVANOR_CLI_PROGRAM in the
// environment measures another build of the program.
//
// Linux carries a process's peak over exec, and a spawned child starts in its
// parent's memory: the documents are therefore made by child processes of
// their own, so that this process stays small and its peak is not counted.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
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

#include "cli/PrivateXServer.h"
#include "core/model/RecordingJSONEncoder.h"

extern char** environ;

namespace brevanor {
namespace {

constexpr int kBigEventCount = 1'000'000;
constexpr int kSessionEventCount = 2'880'000;
constexpr int kKeyEventCount = 5'000'000;
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
        const auto folder = makeDataFolder(label);
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
    // One document of `eventCount` events of `kind` ("session" or "keys"), written by brevanor-large-recording.
    Library(const std::string& label, const std::string& kind, int eventCount) {
        const auto folder = makeDataFolder(label);
        const auto written = data_ / "written.json";
        std::vector<std::string> words{BREVANOR_LARGE_RECORDING_PROGRAM, written.string(), std::to_string(eventCount),
                                       kind};
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        pid_t writer = 0;
        int status = 0;
        if (::posix_spawn(&writer, argv[0], nullptr, nullptr, argv.data(), environ) != 0 ||
            ::waitpid(writer, &status, 0) != writer || status != 0) {
            throw std::runtime_error("cannot write the document");
        }
        // Named by its id, as the library keeps it. The id follows the events, near the end; the rest
        // of the document is not read, so that this process stays small.
        std::ifstream in(written, std::ios::binary);
        in.seekg(-4096, std::ios::end);
        std::string tail(4096, '\0');
        in.read(tail.data(), static_cast<std::streamsize>(tail.size()));
        const std::size_t at = tail.rfind("\"id\":\"");
        if (at == std::string::npos) throw std::runtime_error("the document has no id near its end");
        firstId_ = tail.substr(at + 6, 36);
        std::filesystem::rename(written, folder / (firstId_ + ".json"));
        totalBytes_ = std::filesystem::file_size(folder / (firstId_ + ".json"));
    }
    ~Library() { std::filesystem::remove_all(data_); }

    const std::filesystem::path& data() const { return data_; }
    std::size_t totalBytes() const { return totalBytes_; }
    // The id of one of its recordings, and its file.
    const std::string& firstId() const { return firstId_; }
    std::filesystem::path firstFile() const { return data_ / "Brevanor" / "Recordings" / (firstId_ + ".json"); }

private:
    // A new data folder for `label` with an empty library in it; answers the library's folder.
    std::filesystem::path makeDataFolder(const std::string& label) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / ("brevanor-bench-" + label + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
        data_ = pattern;
        const auto folder = data_ / "Brevanor" / "Recordings";
        std::filesystem::create_directories(folder);
        return folder;
    }

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

const Library& session() {
    static const Library instance("session", "session", kSessionEventCount);
    return instance;
}

const Library& keys() {
    static const Library instance("keys", "keys", kKeyEventCount);
    return instance;
}

// One private X server for every playback, ended at exit.
const PrivateXServer& xServer() {
    static const PrivateXServer instance(1280, 1024);
    return instance;
}

// Runs `words` (a program found on PATH and its arguments) on the library and
// answers its peak resident set in bytes. With `display`, the program gets
// that X display and a terminal for its standard error, and is stopped with
// SIGINT once it writes "Playing" there.
std::size_t peakBytes(const Library& library, std::vector<std::string> words, const std::string& display = {}) {
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables{"XDG_DATA_HOME=" + library.data().string(),
                                       "XDG_CONFIG_HOME=" + (library.data() / "config").string(), "DISPLAY=" + display};
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

    int terminal = -1;
    int terminalSide = -1;
    if (!display.empty() && ::openpty(&terminal, &terminalSide, nullptr, nullptr, nullptr) != 0) {
        throw std::runtime_error("cannot open a terminal");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (terminal >= 0) {
        posix_spawn_file_actions_adddup2(&actions, terminalSide, 2);
        posix_spawn_file_actions_addclose(&actions, terminal);
    }
    pid_t pid = 0;
    const int started = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (terminal >= 0) ::close(terminalSide);
    if (started != 0) throw std::runtime_error("cannot start " + words[0]);
    bool stopped = false;
    if (terminal >= 0) {
        std::string seen;
        char buffer[4096];
        for (;;) {
            const ssize_t count = ::read(terminal, buffer, sizeof buffer);
            if (count <= 0) break;
            seen.append(buffer, static_cast<std::size_t>(count));
            if (seen.find("Playing") != std::string::npos) {
                stopped = ::kill(pid, SIGINT) == 0;
                break;
            }
        }
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    if (terminal >= 0) ::close(terminal);
    const bool succeeded = WIFEXITED(status) && (WEXITSTATUS(status) == 0 || (stopped && WEXITSTATUS(status) == 130));
    if (!succeeded) throw std::runtime_error(words[0] + " " + words[1] + " failed");
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

void measure(benchmark::State& state, const Library& library, const std::vector<std::string>& words,
             const std::string& display = {}) {
    std::size_t peak = 0;
    std::size_t lowest = SIZE_MAX;
    for (auto _ : state) {
        const std::size_t bytes = peakBytes(library, words, display);
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
    measure(state, library,
            {"dd", "if=" + library.firstFile().string(), "of=/dev/null", "bs=" + std::to_string(library.totalBytes()),
             "count=1", "iflag=fullblock", "status=none"});
}

// The document, named by its file, imported into the library beside it (which grows by one each run:
// imports and duplicates are measured last).
void importFile(benchmark::State& state, const Library& library) {
    cli(state, library, {"import", library.firstFile().string()});
}

// Played as fast as the options allow, until the schedule is built and playing begins.
void play(benchmark::State& state, const Library& library) {
    measure(state, library, {program(), "play", library.firstId(), "--yes", "--speed", "10"}, xServer().displayName());
}

void BM_Help(benchmark::State& state) { cli(state, big(), {"help"}); }
void BM_BigPlainRead(benchmark::State& state) { plainRead(state, big()); }
void BM_BigShow(benchmark::State& state) { cli(state, big(), {"show", big().firstId()}); }
void BM_BigShowEvents(benchmark::State& state) { cli(state, big(), {"show", big().firstId(), "--events"}); }
void BM_BigDuplicate(benchmark::State& state) { cli(state, big(), {"duplicate", big().firstId()}); }
void BM_BigList(benchmark::State& state) { cli(state, big(), {"list"}); }
void BM_SessionPlainRead(benchmark::State& state) { plainRead(state, session()); }
void BM_SessionImport(benchmark::State& state) { importFile(state, session()); }
void BM_SessionShow(benchmark::State& state) { cli(state, session(), {"show", session().firstId()}); }
void BM_SessionShowEvents(benchmark::State& state) { cli(state, session(), {"show", session().firstId(), "--events"}); }
void BM_SessionPlay(benchmark::State& state) { play(state, session()); }
void BM_KeysPlainRead(benchmark::State& state) { plainRead(state, keys()); }
void BM_KeysImport(benchmark::State& state) { importFile(state, keys()); }
void BM_KeysShow(benchmark::State& state) { cli(state, keys(), {"show", keys().firstId()}); }
void BM_KeysShowEvents(benchmark::State& state) { cli(state, keys(), {"show", keys().firstId(), "--events"}); }
void BM_KeysDuplicate(benchmark::State& state) { cli(state, keys(), {"duplicate", keys().firstId()}); }
void BM_KeysList(benchmark::State& state) { cli(state, keys(), {"list"}); }
void BM_KeysPlay(benchmark::State& state) { play(state, keys()); }
void BM_LibraryList(benchmark::State& state) { cli(state, many(), {"list"}); }
void BM_LibraryShowByName(benchmark::State& state) { cli(state, many(), {"show", "Recording 500"}); }
void BM_LibraryDuplicateByName(benchmark::State& state) { cli(state, many(), {"duplicate", "Recording 500"}); }

BENCHMARK(BM_Help)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BigPlainRead)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BigShow)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BigShowEvents)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BigList)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BigDuplicate)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SessionPlainRead)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SessionShow)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SessionShowEvents)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SessionPlay)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SessionImport)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeysPlainRead)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeysShow)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeysShowEvents)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeysList)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeysPlay)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeysDuplicate)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeysImport)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibraryList)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibraryShowByName)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibraryDuplicateByName)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace brevanor

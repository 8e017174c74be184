#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <set>

#include "cli/ChildProcess.h"
#include "core/model/RecordingJSONEncoder.h"
#include "core/store/LibraryLock.h"
#include "core/store/RecordingStore.h"
#include "platform/fake/InMemoryPreferencesStore.h"
#include "tests/store/StoreTestFiles.h"
#include "tests/store/TemporaryDirectory.h"

namespace brevanor {
namespace {

constexpr int kTrials = 10;

// Idle time at both ends, so that trimming changes the document.
Recording padded(std::string name) {
    std::vector<RecordingEvent> events{
        RecordingEvent::idleGap({0, 1'000'000'000}),
        RecordingEvent::keyDown({1'000'000'000, 0, 0, false}),
        RecordingEvent::keyUp({1'050'000'000, 0, 0, false}),
        RecordingEvent::idleGap({1'050'000'000, 2'000'000'000}),
    };
    return Recording(Uuid::random(), std::move(name),
                     std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()),
                     EnvironmentSnapshot::empty(), RecordingSettings{}, TrimRange{}, std::move(events));
}

// One brevanor-cli process of a trial, with what it printed.
struct CliRun {
    std::vector<std::string> arguments;
    std::unique_ptr<ChildProcess> process;
    int status = -1;
    std::string out;
    std::string err;

    bool succeeded() const { return status == 0; }
    // The id a successful import or duplicate printed.
    Uuid printedId() const {
        const auto id = Uuid::parse(out.substr(0, out.find('\n')));
        return id.value_or(Uuid());
    }
};

class LibraryConcurrency : public ::testing::Test {
protected:
    std::filesystem::path library() const { return folder_.path() / "data" / "Brevanor" / "Recordings"; }

    CliRun& start(std::vector<std::string> arguments) {
        CliRun& run = runs_.emplace_back();
        const std::string index = std::to_string(runs_.size());
        ChildProcess::Options options;
        options.environment = {{"XDG_DATA_HOME", (folder_.path() / "data").string()},
                               {"XDG_CONFIG_HOME", (folder_.path() / "config").string()},
                               {"DISPLAY", ""}};
        options.standardOutput = folder_.path() / ("out-" + index);
        options.standardError = folder_.path() / ("err-" + index);
        run.arguments = arguments;
        arguments.insert(arguments.begin(), BREVANOR_CLI_PROGRAM);
        run.process = std::make_unique<ChildProcess>(arguments, options);
        return run;
    }

    void finishAll() {
        for (std::size_t i = 0; i < runs_.size(); ++i) {
            CliRun& run = runs_[i];
            run.status = run.process->waitFor(std::chrono::seconds(60)).value_or(-1);
            run.out = readFile(folder_.path() / ("out-" + std::to_string(i + 1)));
            run.err = readFile(folder_.path() / ("err-" + std::to_string(i + 1)));
            // Success, or one sentence saying why not: never a crash or a hang.
            EXPECT_TRUE(run.status == 0 || (run.status == 1 && run.err.find('\n') + 1 == run.err.size()))
                << run.arguments[0] << " " << run.arguments[1] << " ended with " << run.status << ": " << run.err;
        }
    }

    // The recordings in the library by id, and every other file name.
    std::map<Uuid, Recording> recordings(std::set<std::string>& others) const {
        RecordingStore store(library(), std::make_shared<InMemoryPreferencesStore>());
        std::map<Uuid, Recording> byId;
        for (const std::string& name : fileNames(library())) {
            const auto id = Uuid::parse(std::filesystem::path(name).stem().string());
            if (id && name.ends_with(".json")) {
                byId.emplace(*id, store.load(*id));
            } else {
                others.insert(name);
            }
        }
        return byId;
    }

    TemporaryDirectory folder_;
    std::deque<CliRun> runs_;
};

// Twenty-three processes at once on one library, mixing import, trim, rename,
// edit, duplicate and delete: every change that reported success is there
// afterwards, a deleted recording never comes back, and nothing else appears.
TEST_F(LibraryConcurrency, ProcessesAtOnceLoseNothingAndBringNothingBack) {
    for (int trial = 0; trial < kTrials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        std::filesystem::remove_all(folder_.path() / "data");
        runs_.clear();
        RecordingStore seeding(library(), std::make_shared<InMemoryPreferencesStore>());
        const Uuid kept = seeding.add(padded("kept")).id;
        const Uuid twice = seeding.add(padded("twice")).id;
        const Uuid deleted = seeding.add(padded("deleted")).id;
        const Uuid copiedAway = seeding.add(padded("copied away")).id;
        // Six different files that all carry one id.
        const Uuid shared = Uuid::random();
        std::vector<CliRun*> imports;
        for (int i = 0; i < 6; ++i) {
            Recording recording = padded("import " + std::to_string(i));
            recording.id = shared;
            const auto file = folder_.path() / ("import-" + std::to_string(i) + ".macro");
            writeFile(file, RecordingJSONEncoder().encode(recording));
            imports.push_back(&start({"import", file.string()}));
        }
        const std::string keptId = kept.toString(), twiceId = twice.toString(), deletedId = deleted.toString(),
                          copiedAwayId = copiedAway.toString();
        CliRun& renameKept = start({"rename", keptId, "renamed"});
        CliRun& trimKept = start({"trim", keptId});
        CliRun& copyKept = start({"duplicate", keptId});
        CliRun& renameTwiceA = start({"rename", twiceId, "a"});
        CliRun& renameTwiceB = start({"rename", twiceId, "b"});
        CliRun& trimTwice = start({"trim", twiceId});
        std::vector<CliRun*> edits;
        for (int i = 0; i < 3; ++i) edits.push_back(&start({"edit", twiceId, "--wait-after", "3=100"}));
        start({"trim", deletedId});
        start({"rename", deletedId, "resurrected"});
        CliRun& copyDeleted = start({"duplicate", deletedId});
        CliRun& deleteDeleted = start({"delete", deletedId});
        CliRun& copyAway1 = start({"duplicate", copiedAwayId});
        CliRun& copyAway2 = start({"duplicate", copiedAwayId});
        start({"trim", copiedAwayId});
        CliRun& deleteCopiedAway = start({"delete", copiedAwayId});
        ASSERT_EQ(runs_.size(), 23u);
        finishAll();

        std::set<std::string> others;
        const std::map<Uuid, Recording> found = recordings(others);
        EXPECT_EQ(others, std::set<std::string>{std::string(LibraryLock::fileName)}) << "temporary or stray files";

        std::set<std::string> expected{kept.toString(), twice.toString()};
        std::set<std::string> importedNames;
        for (const CliRun* run : imports) {
            ASSERT_TRUE(run->succeeded()) << run->err;
            expected.insert(run->printedId().toString());
            if (found.contains(run->printedId())) importedNames.insert(found.at(run->printedId()).name);
        }
        EXPECT_EQ(importedNames.size(), 6u) << "each import keeps its own recording under an id of its own";

        ASSERT_TRUE(renameKept.succeeded() && trimKept.succeeded() && copyKept.succeeded());
        ASSERT_TRUE(found.contains(kept));
        EXPECT_EQ(found.at(kept).name, "renamed");
        EXPECT_TRUE(found.at(kept).canUndoTrim()) << "the trim was lost to the rename";

        ASSERT_TRUE(renameTwiceA.succeeded() && renameTwiceB.succeeded() && trimTwice.succeeded());
        ASSERT_TRUE(found.contains(twice));
        EXPECT_TRUE(found.at(twice).name == "a" || found.at(twice).name == "b") << found.at(twice).name;
        EXPECT_TRUE(found.at(twice).canUndoTrim());
        for (const CliRun* edit : edits) ASSERT_TRUE(edit->succeeded()) << edit->err;
        EXPECT_EQ(found.at(twice).durationNanos(), padded("").durationNanos() + 300'000'000) << "an edit was lost";

        EXPECT_TRUE(deleteDeleted.succeeded() && deleteCopiedAway.succeeded());
        for (const CliRun* copy : {&copyKept, &copyDeleted, &copyAway1, &copyAway2}) {
            if (!copy->succeeded()) continue;
            expected.insert(copy->printedId().toString());
            if (found.contains(copy->printedId())) {
                EXPECT_TRUE(found.at(copy->printedId()).name.ends_with(" copy"));
            }
        }
        std::set<std::string> present;
        for (const auto& [id, recording] : found) {
            present.insert(id.toString());
            // Copies are written while others change the library: each must still hold every recorded event.
            EXPECT_EQ(recording.recordedEvents.value_or(recording.events), padded("").events) << recording.name;
        }
        EXPECT_EQ(present, expected);
    }
}

}  // namespace
}  // namespace brevanor

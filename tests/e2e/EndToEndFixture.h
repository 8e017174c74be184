#pragma once

#include <gtest/gtest.h>
#include <simdjson.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>

#include "cli/AcceptanceSession.h"
#include "cli/ChildProcess.h"
#include "cli/PrivateXServer.h"
#include "cli/WitnessedReplay.h"
#include "core/acceptance/AcceptanceComparator.h"

namespace brevanor {

// One private X server and one acceptance session per test. The session's
// folder (logs, library, the programs' output) is kept when a test fails, so
// that the logs can be read.
class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool"}) {
            if (!ChildProcess::isAvailable(tool)) GTEST_SKIP() << tool << " is not installed";
        }
        server_ = std::make_unique<PrivateXServer>(1280, 800);
        std::string pattern = (std::filesystem::temp_directory_path() / "brevanor-e2e-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        session_ = std::make_unique<AcceptanceSession>(
            AcceptanceSession::Programs{BREVANOR_CLI_PROGRAM, BREVANOR_LOGGER_PROGRAM}, server_->displayName(),
            folder_);
    }

    void TearDown() override {
        session_.reset();
        server_.reset();
        if (folder_.empty()) return;
        if (HasFailure()) {
            std::cout << "Brevanor's own report of its last replay: " << ownReport_ << stalls_ << "\n";
            std::cout << "The logs of this run are in " << folder_ << "\n";
        } else {
            std::filesystem::remove_all(folder_);
        }
    }

    // Replays and judges, setting aside a replay that failed only where the machine itself stood
    // still. Brevanor's own report of the replay must count every event the outside logger judges,
    // all back where they were posted; a failed test shows it, to tell whether Brevanor posted late
    // or the events came back late.
    AcceptanceReport replay(const std::string& id, std::vector<std::string> options,
                            const WitnessedReplay::Expectation& expectation = {},
                            const std::function<void()>& prepare = {}) {
        options.insert(options.end(), {"--report", "--json"});
        const WitnessedReplay replayed = WitnessedReplay::play(*session_, id, options, expectation, prepare);
        const auto& played = replayed.played;
        EXPECT_EQ(played.exitStatus, 0) << played.errors;
        for (const std::string& line : replayed.setAside) std::cout << line << "\n";
        ownReport_ = played.output;
        stalls_ = replayed.stalls;
        AcceptanceReport report = replayed.report;
        std::int64_t expected = 0;
        for (const AcceptanceRunResult& run : report.runs) expected += run.expectedCount;
        simdjson::dom::parser parser;
        simdjson::dom::object own;
        EXPECT_EQ(parser.parse(played.output).get(own), simdjson::SUCCESS) << played.output;
        EXPECT_EQ(own["expected"].get_int64().value_unsafe(), expected) << played.output;
        EXPECT_EQ(own["observed"].get_int64().value_unsafe(), expected) << played.output;
        EXPECT_EQ(own["pointerErrorPx"].get_double().value_unsafe(), 0.0) << played.output;
        return report;
    }

    static std::size_t countOf(const std::string& text, const std::string& part) {
        std::size_t count = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
        return count;
    }

    static std::vector<HarnessLogEntry> comparable(const std::vector<HarnessLogEntry>& entries, bool synthetic) {
        return synthetic ? AcceptanceComparator::replayEvents(entries) : AcceptanceComparator::referenceEvents(entries);
    }

    std::unique_ptr<PrivateXServer> server_;
    std::filesystem::path folder_;
    std::unique_ptr<AcceptanceSession> session_;
    std::string ownReport_;  // of the last replay, as play --report --json printed it
    std::string stalls_;     // what the stall witness saw during the last replay
};

#define EXPECT_PASSES(report) EXPECT_TRUE((report).passed()) << (report).summary()

}  // namespace brevanor

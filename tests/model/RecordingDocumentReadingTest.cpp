#include <gtest/gtest.h>

#include <limits>

#include "core/model/RecordingDecodingError.h"
#include "core/model/RecordingEventDecodingError.h"
#include "core/model/RecordingJSONDecoder.h"
#include "core/model/RecordingJSONEncoder.h"
#include "tests/model/RecordingDocumentTestSupport.h"
#include "tests/model/RecordingSamples.h"
#include "tests/support/Thrown.h"

namespace brevanor {
namespace {

using samples::document;
using samples::documentError;
using testing::thrown;

class RecordingDocumentReading : public ::testing::Test {
protected:
    Recording read(std::string_view bytes) { return decoder_.decode(bytes); }
    std::vector<RecordingEvent> events(std::string_view array) { return read(document(array)).events; }

    RecordingJSONDecoder decoder_ = Recording::makeJSONDecoder();
};

TEST_F(RecordingDocumentReading, MissingOrEmptySectionsTakeTheirDefaults) {
    const Recording bare = read(document());
    EXPECT_EQ(bare.settings, RecordingSettings());
    EXPECT_EQ(bare.environment, EnvironmentSnapshot::empty());
    EXPECT_EQ(bare.trim, TrimRange{});
    EXPECT_EQ(bare.id.toString(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    EXPECT_EQ(bare.createdAt, samples::decemberFifth());

    // null stands for a missing key, at every level (an empty section holds only missing keys).
    const Recording nulls = read(document(
        "[]", R"(,"settings":{"speed":null,"playHotkey":null},"environment":null,"trim":null,"durationNanos":null)"));
    EXPECT_EQ(nulls.settings, RecordingSettings());
    EXPECT_EQ(nulls.environment, EnvironmentSnapshot::empty());
    EXPECT_EQ(nulls.trim, TrimRange{});
}

TEST_F(RecordingDocumentReading, NewerSchemaVersionsAreRefusedAsAWhole) {
    // The version is checked before anything else, so the missing id does not matter.
    const auto error = thrown<RecordingDecodingError>([&] { read(R"({"schemaVersion":2,"events":"whatever"})"); });
    EXPECT_EQ(error, RecordingDecodingError::unsupportedSchemaVersion(2));
    EXPECT_THROW(read(R"({"schemaVersion":9223372036854775807})"), RecordingDecodingError);
    // Also when a fault comes before the version in the text.
    EXPECT_EQ(
        thrown<RecordingDecodingError>([&] { read(R"({"events":[{"type":"keyDown"}],"id":5,"schemaVersion":3})"); }),
        RecordingDecodingError::unsupportedSchemaVersion(3));

    // Older and odd versions up to 1 are kept and written back unchanged.
    for (std::int64_t version : {std::int64_t{0}, std::int64_t{-3}}) {
        std::string text = document();
        text.replace(text.find(":1,"), 3, ":" + std::to_string(version) + ",");
        const Recording recording = read(text);
        EXPECT_EQ(recording.schemaVersion, version);
        EXPECT_EQ(read(Recording::makeJSONEncoder().encode(recording)).schemaVersion, version);
    }
    EXPECT_EQ(documentError(R"({"schemaVersion":"1"})").location(), "schemaVersion");
    EXPECT_EQ(documentError(R"({"schemaVersion":null,"id":"x"})").what(),
              std::string("schemaVersion: required key is missing"));
}

// Unknown types are skipped, missing optional keys take their defaults, and integer fields take
// integral numbers in range however they are written.
TEST_F(RecordingDocumentReading, EventArraysReadAsTheirEvents) {
    using E = RecordingEvent;
    constexpr auto kMaxU64 = std::numeric_limits<std::uint64_t>::max();
    const std::pair<const char*, std::vector<RecordingEvent>> cases[] = {
        {R"([{"type":"keyDown","t":1,"keyCode":4},{"type":"pinch","magnification":1.5,"fingers":[1,2,{"x":null}]},)"
         R"({"type":"mouseDown"  ,"t":2,"button":"left","x":1,"y":2, "extra":{"ignored":true}},)"
         R"({"type":"KEYUP","t":3},{"type":"keyUp","t":3,"keyCode":4}])",
         {E::keyDown({1, 4, 0, false}), E::mouseDown({2, MouseButton::left, 0, 1, 2, 1, 0}),
          E::keyUp({3, 4, 0, false})}},
        {R"([{"type":"mouseUp","t":5,"button":"right","x":-1.5,"y":2e3},{"type":"scroll","t":6,"x":0,"y":0},)"
         R"({"type":"keyDown","t":7,"keyCode":65535,"isRepeat":null},)"
         R"({"type":"flagsChanged","t":8,"keyCode":56,"down":false},{"type":"mousePath","t":9,"points":[]}])",
         {E::mouseUp({5, MouseButton::right, 0, -1.5, 2000, 1, 0}), E::scroll({6, 0, 0, 0, 0, 0, 0, false, 0, 0, 0}),
          E::keyDown({7, 65535, 0, false}), E::flagsChanged({8, 56, 0, false}), E::mousePath({9, {}})}},
        // Path points are arrays of three numbers; more elements are ignored.
        {R"([{"type":"mousePath","t":0,"points":[[0,10.0,20.0],[8000000,12.5,20,"extra",[]]]}])",
         {E::mousePath({0, {{0, 10.0, 20.0}, {8'000'000, 12.5, 20.0}}})}},
        // Decision: an integral value written as a fraction or with an exponent is the same integer.
        {R"([{"type":"keyDown","t":1e3,"keyCode":3.0,"mods":18446744073709551615},)"
         R"({"type":"scroll","t":18446744073709551615,"x":1,"y":1,"deltaX":-9223372036854775808,)"
         R"("pointDeltaY":-2.0e2,"scrollPhase":4294967295,"momentumPhase":0.0}])",
         {E::keyDown({1000, 3, kMaxU64, false}),
          E::scroll({kMaxU64, 1, 1, std::numeric_limits<std::int64_t>::min(), 0, 0, -200, false, 4294967295u, 0, 0})}},
    };
    for (const auto& [array, expected] : cases) EXPECT_EQ(events(array), expected) << array;
}

// Values out of range are read as stored: RecordingDocumentRoundTrip.RandomRecordingsReadBackEqual.
// A warning silenced twice counts once.
TEST_F(RecordingDocumentReading, KeysOfOtherTypesAndUnknownKeysAreIgnoredAndARepeatedWarningCountsOnce) {
    const Recording recording = read(
        R"({"future":{"a":[1,2,3]},"events":[{"type":"keyDown","t":1,"keyCode":4,"x":"left","x":[],"points":[[0,"a"]],)"
        R"("down":"yes","durationNanos":-1,"button":"fourth"}],)"
        R"("createdAt":"2026-12-05T16:43:01Z","schemaVersion":1,"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","name":"n",)"
        R"("settings":{"theme":"dark","silencedWarnings":["appNotRunning","displayMismatch","appNotRunning"]},)"
        R"("trim":{"leadingNanos":1,"trailingNanos":2,"unit":"ns"},)"
        R"("environment":{"displays":[{"id":1,"frame":{"x":0,"y":0,"width":1,"height":1,"z":0},"scale":1,"hdr":true}],)"
        R"("frontmostApp":{"pid":42,"bundleID":"b"},"gpu":null}})");
    EXPECT_EQ(recording.events, (std::vector{RecordingEvent::keyDown({1, 4, 0, false})}));
    EXPECT_EQ(recording.trim, (TrimRange{1, 2}));
    EXPECT_EQ(recording.settings.silencedWarnings,
              (std::set{PreflightWarningKind::appNotRunning, PreflightWarningKind::displayMismatch}));
    EXPECT_EQ(recording.environment.displays, (std::vector<DisplayInfo>{{1, {0, 0, 1, 1}, 1}}));
    EXPECT_EQ(recording.environment.frontmostApp, (FrontmostAppInfo{"b", std::nullopt, std::nullopt, std::nullopt}));
}

// Keys and strings are read where they stand in the document, unless escapes must be read.
TEST_F(RecordingDocumentReading, EscapedKeysAndStringsReadAsTheirText) {
    const Recording recording =
        read(R"({"schemaVersion":1,"id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","n\u0061me":"tab\there \"quoted\"",)"
             R"("createdAt":"2026-12-05T16:43:01Z","events":[{"\u0074ype":"key\u0044own","t":1,"keyCode":4},)"
             R"({"type":"keyUp","t":2,"keyCode":4}]})");
    EXPECT_EQ(recording.name, "tab\there \"quoted\"");
    EXPECT_EQ(recording.events,
              (std::vector{RecordingEvent::keyDown({1, 4, 0, false}), RecordingEvent::keyUp({2, 4, 0, false})}));
}

TEST_F(RecordingDocumentReading, EventsCanBeReadOneByOne) {
    EXPECT_EQ(decoder_.decodeEvent(R"({"type":"idleGap","t":4,"durationNanos":5})"), RecordingEvent::idleGap({4, 5}));
    EXPECT_EQ(thrown<RecordingEventDecodingError>([&] { decoder_.decodeEvent(R"({"type":"gesture","t":4})"); }),
              RecordingEventDecodingError::unknownType("gesture"));
    // An unknown type is not an excuse for malformed text.
    EXPECT_THROW(decoder_.decodeEvent(R"({"type":"gesture","t":[1,}})"), RecordingDocumentError);
    EXPECT_THROW(decoder_.decodeEvent(R"({"type":"idleGap","t":4})"), RecordingDocumentError);
}

// What a listing or `show` reads: everything but the events, which are handed
// over one by one instead of kept, with the same checks as a whole reading.
// The document's count and duration are informative copies: the summary counts for itself.
TEST_F(RecordingDocumentReading, ASummaryReadsTheWholeDocumentWithoutKeepingItsEvents) {
    const Recording recording = samples::everyField();
    std::string good = Recording::makeJSONEncoder().encode(recording);
    good.replace(good.find(R"("durationNanos":3780000000,)"), 27, R"("durationNanos":0,)");
    good.replace(good.find(R"("eventCount":11,)"), 16, R"("eventCount":0,)");
    std::vector<RecordingEvent> walked;
    const RecordingSummary summary =
        decoder_.decodeSummary(DocumentBytes(good), [&](const RecordingEvent& event) { walked.push_back(event); });
    EXPECT_EQ(summary, RecordingSummary::of(recording));
    EXPECT_EQ(walked, recording.events);
    EXPECT_THROW(decoder_.decodeSummary(DocumentBytes(good.substr(0, good.size() - 2))), RecordingDocumentError);
}

}  // namespace
}  // namespace brevanor

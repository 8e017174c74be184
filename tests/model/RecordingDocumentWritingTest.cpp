#include <gtest/gtest.h>
#include <simdjson.h>

#include <cmath>
#include <functional>
#include <limits>

#include "core/model/RecordingEncodingError.h"
#include "core/model/RecordingJSONDecoder.h"
#include "core/model/RecordingJSONEncoder.h"
#include "tests/model/RecordingSamples.h"
#include "tests/support/Thrown.h"

namespace brevanor {
namespace {

using namespace std::chrono_literals;

const RecordingJSONEncoder kEncoder = Recording::makeJSONEncoder();

Recording smallRecording() {
    EnvironmentSnapshot environment;
    environment.displays = {{1, {0, 0, 1512, 982}, 2.0}};
    environment.keyboardInputSourceID = "com.apple.keylayout.US";
    RecordingSettings settings;
    settings.silencedWarnings = {PreflightWarningKind::inputSourceMismatch};
    return Recording(*Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f"), "Demo / “1”", samples::decemberFifth(750ms),
                     environment, settings, TrimRange{0, 500'000'000},
                     {
                         RecordingEvent::mousePath({0, {{0, 10.0, 20.0}, {8'000'000, 12.5, 20.0}}}),
                         RecordingEvent::mouseDown({8'000'000, MouseButton::left, 0, 12.5, 20.0, 1, 0}),
                         RecordingEvent::keyDown({9'000'000, 4, 0x100000, false}),
                         RecordingEvent::idleGap({9'000'000, 500'000'000}),
                     });
}

TEST(RecordingDocumentWriting, SmallRecordingIsWrittenByteForByte) {
    EXPECT_EQ(kEncoder.encode(smallRecording()),
              R"({"createdAt":"2026-12-05T16:43:01Z","durationNanos":509000000,)"
              R"("environment":{"displays":[{"frame":{"height":982,"width":1512,"x":0,"y":0},"id":1,"scale":2}],)"
              R"("keyboardInputSourceID":"com.apple.keylayout.US"},"eventCount":4,"events":[)"
              R"({"points":[[0,10,20],[8000000,12.5,20]],"t":0,"type":"mousePath"},)"
              R"({"button":"left","clickCount":1,"mods":0,"t":8000000,"type":"mouseDown","x":12.5,"y":20},)"
              R"({"keyCode":4,"mods":1048576,"t":9000000,"type":"keyDown"},)"
              R"({"durationNanos":500000000,"t":9000000,"type":"idleGap"}],)"
              R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","name":"Demo / “1”","schemaVersion":1,)"
              R"("settings":{"containsSensitiveInput":false,"cursorMode":"absolute","delayBetweenRepeatsSec":0,)"
              R"("extraDelayBeforeClickMs":0,"notes":"","repeatCount":1,"repeatInfinite":false,)"
              R"("silencedWarnings":["inputSourceMismatch"],"speed":1},)"
              R"("trim":{"leadingNanos":0,"trailingNanos":500000000}})");
}

// Walks a parsed document and reports every object whose keys are not in ascending order.
void expectSortedKeys(simdjson::dom::element element, const std::string& where) {
    if (element.is_object()) {
        std::string_view previous;
        bool first = true;
        for (auto [key, value] : element.get_object()) {
            EXPECT_TRUE(first || previous < key) << where << ": \"" << key << "\" after \"" << previous << "\"";
            expectSortedKeys(value, where + "." + std::string(key));
            previous = key;
            first = false;
        }
    } else if (element.is_array()) {
        std::size_t i = 0;
        for (simdjson::dom::element child : element.get_array()) {
            expectSortedKeys(child, where + "[" + std::to_string(i++) + "]");
        }
    }
}

// The number of blanks and line breaks outside strings.
int blanksBetweenTokens(std::string_view document) {
    int blanks = 0;
    bool inString = false;
    for (std::size_t i = 0; i < document.size(); ++i) {
        const char c = document[i];
        if (inString && c == '\\') {
            ++i;
        } else if (c == '"') {
            inString = !inString;
        } else if (!inString && (c == ' ' || c == '\n' || c == '\t' || c == '\r')) {
            ++blanks;
        }
    }
    return blanks;
}

// A recording too long to hold twice is written out in pieces, byte for byte the same.
TEST(RecordingDocumentWriting, LongDocumentsWrittenInPiecesAreTheSameBytes) {
    Recording recording = smallRecording();
    for (std::uint64_t i = 0; i < 5000; ++i) recording.events.push_back(RecordingEvent::keyUp({i, 4, 0, false}));
    std::string pieces;
    int count = 0;
    kEncoder.encode(
        RecordingSummary::of(recording),
        [&](const auto& visit) {
            for (const RecordingEvent& event : recording.events) visit(event);
        },
        [&](std::string_view piece) {
            pieces += piece;
            ++count;
        });
    EXPECT_EQ(pieces, kEncoder.encode(recording));
    EXPECT_GT(count, 1);
}

TEST(RecordingDocumentWriting, KeysAreSortedAtEveryLevelAndNothingIsIndented) {
    const std::string document = kEncoder.encode(samples::everyField());
    EXPECT_EQ(blanksBetweenTokens(document), 0);
    simdjson::dom::parser parser;
    expectSortedKeys(parser.parse(document), "document");
}

// Absent values the byte-for-byte document already shows; here the ones it has.
TEST(RecordingDocumentWriting, OptionalKeysAreWrittenOnlyWhenPresent) {
    Recording recording = samples::everyField();
    recording.environment.frontmostApp = FrontmostAppInfo{};
    recording.environment.keyboardInputSourceID.reset();
    const std::string document = kEncoder.encode(recording);
    EXPECT_EQ(document.find("keyboardInputSourceID"), std::string::npos);
    EXPECT_NE(document.find(R"("frontmostApp":{})"), std::string::npos);
}

TEST(RecordingDocumentWriting, NumbersKeepTheirFullRangeWithoutFractions) {
    Recording recording = smallRecording();
    recording.createdAt = samples::decemberFifth();
    constexpr auto kMaxU64 = std::numeric_limits<std::uint64_t>::max();
    constexpr auto kMinI64 = std::numeric_limits<std::int64_t>::min();
    recording.events = {
        RecordingEvent::scroll({kMaxU64, 0.1, -1e300, kMinI64, -1, 0, 1, false, 4294967295u, 0, kMaxU64}),
        RecordingEvent::mousePath({1, {{kMaxU64, 5e-324, 123456789.125}}})};
    recording.settings.repeatCount = kMinI64;
    const std::string document = kEncoder.encode(recording);
    EXPECT_NE(document.find(R"("t":18446744073709551615)"), std::string::npos);
    EXPECT_NE(document.find(R"("deltaX":-9223372036854775808)"), std::string::npos);
    EXPECT_NE(document.find(R"("scrollPhase":4294967295)"), std::string::npos);
    EXPECT_NE(document.find(R"("x":0.1,"y":-1e+300)"), std::string::npos);
    EXPECT_NE(document.find(R"([[18446744073709551615,5e-324,123456789.125]])"), std::string::npos);
    EXPECT_NE(document.find(R"("repeatCount":-9223372036854775808)"), std::string::npos);
    EXPECT_EQ(Recording::makeJSONDecoder().decode(document), recording);
}

TEST(RecordingDocumentWriting, NonFiniteDoublesFailNamingWhereTheySit) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

    const std::pair<std::function<void(Recording&)>, const char*> cases[] = {
        {[&](Recording& r) { r.settings.speed = kInf; }, "settings.speed"},
        {[&](Recording& r) {
             r.events[4] = RecordingEvent::scroll({1, kNaN, 0, 0, 0, 0, 0, false, 0, 0, 0});
         },
         "events[4].x"},
        {[&](Recording& r) { r.events[1].path().points[1].y = -kInf; }, "events[1].points"},
        {[&](Recording& r) { r.environment.displays[1].frame.width = kNaN; }, "environment.displays[1].frame.width"},
        {[&](Recording& r) { r.environment.frontmostApp->windowFrame->x = kInf; },
         "environment.frontmostApp.windowFrame.x"},
    };
    for (const auto& [change, where] : cases) {
        Recording recording = samples::everyField();
        change(recording);
        const auto error = testing::thrown<RecordingEncodingError>([&] { kEncoder.encode(recording); });
        EXPECT_EQ(error ? error->what() : "written", std::string(where) + ": a non-finite number cannot be written");
    }
}

// Escaped where JSON requires it, and where a terminal showing the document
// would act on the text: DEL, C1 controls, bidirectional controls.
TEST(RecordingDocumentWriting, StringsAreEscapedWhereJsonOrATerminalRequires) {
    Recording recording = smallRecording();
    recording.name =
        std::string("a/b \"q\" \\ \t\n\r\b\f \x01\x1f\x7f é “x” 😀 \u0085\u009b\u202e\u2066\u2069") + '\0' + "end";
    const std::string document = kEncoder.encode(recording);
    EXPECT_NE(document.find(R"("name":"a/b \"q\" \\ \t\n\r\b\f \u0001\u001f\u007f é “x” 😀 )"
                            R"(\u0085\u009b\u202e\u2066\u2069\u0000end")"),
              std::string::npos)
        << document;
    EXPECT_EQ(Recording::makeJSONDecoder().decode(document).name, recording.name);
}

TEST(RecordingDocumentWriting, BytesThatAreNotUtf8BecomeReplacementCharacters) {
    Recording recording = smallRecording();
    // A stray continuation byte, a truncated sequence, an overlong form and an encoded surrogate.
    recording.environment.frontmostApp = FrontmostAppInfo{};
    recording.environment.frontmostApp->windowTitle =
        "a\x80"
        "b\xE2\x82"
        "c\xC0\xAF"
        "d\xED\xA0\x80"
        "e";
    const Recording read = Recording::makeJSONDecoder().decode(kEncoder.encode(recording));
    EXPECT_EQ(read.environment.frontmostApp->windowTitle,
              "a\uFFFD"
              "b\uFFFD\uFFFD"
              "c\uFFFD\uFFFD"
              "d\uFFFD\uFFFD\uFFFD"
              "e");
}

}  // namespace
}  // namespace brevanor

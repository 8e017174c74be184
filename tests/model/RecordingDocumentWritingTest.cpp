#include <gtest/gtest.h>

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
              R"("environment":{"displays":[{"frame":{"height":982,"width":1512,"x":0,"y":0},"id":1,"scale":2}]},)"
              R"("eventCount":4,"events":[)"
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

// Every kind of event and every optional key, present; keys sorted at every level, nothing indented.
TEST(RecordingDocumentWriting, EveryFieldIsWrittenByteForByte) {
    EXPECT_EQ(kEncoder.encode(samples::everyField()),
              R"({"createdAt":"2026-12-05T16:43:01Z","durationNanos":3780000000,)"
              R"("environment":{"displays":[{"frame":{"height":982,"width":1512,"x":0,"y":0},"id":69733382,)"
              R"("scale":2},{"frame":{"height":1080,"width":1920,"x":-1920,"y":-108.5},"id":2,"scale":1}],)"
              R"("frontmostApp":{"bundleID":"com.example.Editor","name":"Editor","windowFrame":{"height":600.25,)"
              R"("width":800,"x":10,"y":40.5},"windowTitle":"notes.txt — Editor"},)"
              R"("keyboardInputSourceID":"com.apple.keylayout.German"},"eventCount":11,)"
              R"("events":[{"durationNanos":1500000000,"t":0,"type":"idleGap"},)"
              R"({"points":[[0,10,20],[8000000,12.5,20],[16000000,-3.75,1e+06]],"t":1500000000,"type":"mousePath"},)"
              R"({"button":"left","clickCount":2,"mods":1048576,"t":1600000000,"type":"mouseDown","x":12.5,"y":20},)"
              R"({"button":"other","buttonNumber":4,"clickCount":1,"mods":0,"t":1650000000,"type":"mouseUp",)"
              R"("x":12.5,"y":21},{"continuous":true,"deltaX":-3,"deltaY":2,"mods":524288,"momentumPhase":4,)"
              R"("pointDeltaX":-42,"pointDeltaY":17,"scrollPhase":1,"t":1700000000,"type":"scroll","x":300.5,)"
              R"("y":400.25},{"down":true,"keyCode":56,"mods":131074,"t":1710000000,"type":"flagsChanged"},)"
              R"({"keyCode":0,"mods":131072,"t":1720000000,"type":"keyDown"},{"isRepeat":true,"keyCode":0,)"
              R"("mods":131072,"t":1760000000,"type":"keyDown"},{"keyCode":0,"mods":131072,"t":1770000000,)"
              R"("type":"keyUp"},{"down":false,"keyCode":56,"mods":0,"t":1780000000,"type":"flagsChanged"},)"
              R"({"durationNanos":2000000000,"t":1780000000,"type":"idleGap"}],)"
              R"("id":"E621E1F8-C36C-495A-93FC-0C247A3E6E5F","name":"Login – “staging”","schemaVersion":1,)"
              R"("settings":{"containsSensitiveInput":true,"cursorMode":"relativeToCursor",)"
              R"("delayBetweenRepeatsSec":0.25,"extraDelayBeforeClickMs":120,"notes":"line one\nline \"two\" / ok",)"
              R"("playHotkey":{"keyCode":15,"modifiers":1310720},"repeatCount":3,"repeatInfinite":true,)"
              R"("silencedWarnings":["appNotRunning"],"speed":1.5},"trim":{"leadingNanos":1500000000,)"
              R"("trailingNanos":2000000000}})");
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

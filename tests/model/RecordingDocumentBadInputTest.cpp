#include <gtest/gtest.h>

#include "core/model/RecordingDecodingError.h"
#include "core/model/RecordingJSONDecoder.h"
#include "core/model/RecordingJSONEncoder.h"
#include "tests/model/RecordingDocumentTestSupport.h"
#include "tests/model/RecordingSamples.h"

namespace brevanor {
namespace {

using samples::document;
using samples::documentError;

// A value out of range in a later event: ALongEventListIsCheckedAsAShortOne.
TEST(RecordingDocumentBadInput, ErrorsNameTheKeyAndTheEventIndex) {
    EXPECT_EQ(std::string(documentError(document(R"([{"type":"keyUp","keyCode":1,"t":-5}])")).what()),
              "events[0].t: expected an integer from 0 to 18446744073709551615");
    EXPECT_EQ(std::string(documentError(document(R"([{"type":"keyDown","t":1}])")).what()),
              "events[0].keyCode: required key is missing");
    EXPECT_EQ(
        std::string(documentError(document(R"([{"type":"mouseDown","t":1,"button":"fourth","x":0,"y":0}])")).what()),
        R"(events[0].button: expected "left", "right", "middle" or "other")");
    EXPECT_EQ(std::string(documentError(document(R"([{"type":"mousePath","t":1,"points":[[0,1]]}])")).what()),
              "events[0].points[0]: expected an array of three numbers (dt, x, y)");
    EXPECT_EQ(std::string(documentError(document(R"([{"type":"flagsChanged","t":1,"keyCode":1,"down":1}])")).what()),
              "events[0].down: expected true or false");
}

// Long event lists are parsed in runs of elements: a fault anywhere, between
// elements too, fails the document as in a short one, and is located by its
// index in the whole list; quotes and brackets inside strings cut nothing.
TEST(RecordingDocumentBadInput, ALongEventListIsCheckedAsAShortOne) {
    constexpr int kCount = 40'000;  // about 2.4 MB: several runs
    const auto events = [](int faultAt, std::string_view fault, std::string_view separator) {
        std::string array = "[ ";
        for (int i = 0; i < kCount; ++i) {
            if (i > 0) array += i == faultAt ? std::string(separator) : " ,\n";
            array += i == faultAt && separator == ","
                         ? std::string(fault)
                         : R"({"note":"a\"]}[","type":"keyDown","keyCode":)" + std::to_string(i % 100) + R"(,"t":)" +
                               std::to_string(i) + "}";
        }
        return document(array + " ]");
    };

    RecordingJSONDecoder decoder;
    const Recording read = decoder.decode(events(kCount / 2, R"({"type":"fromTheFuture","t":1})", ","));
    ASSERT_EQ(read.events.size(), static_cast<std::size_t>(kCount - 1));
    EXPECT_EQ(read.events.back(), RecordingEvent::keyDown({kCount - 1, (kCount - 1) % 100, 0, false}));

    EXPECT_EQ(std::string(documentError(events(kCount - 1, R"({"type":"keyDown","keyCode":70000,"t":1})", ",")).what()),
              "events[39999].keyCode: expected an integer from 0 to 65535");
    EXPECT_EQ(documentError(events(30'000, R"({"type":"keyDown","t":1})", ",")).location(), "events[30000].keyCode");
    documentError(events(30'000, "", ";"));
    documentError(events(30'000, "", ",,"));
    documentError(events(30'000, R"({"type":"keyDown","keyCode":1,"t":1,"note":"open})", ","));
    documentError(events(30'000, R"({"type":"keyDown","keyCode":1,"t":1}})", ","));
}

TEST(RecordingDocumentBadInput, EveryOtherFaultFailsTheWholeDocument) {
    const std::vector<std::pair<std::string, std::string>> cases{
        {document(R"([{"t":1,"keyCode":1}])"), "events[0].type"},
        {document(R"([{"type":7,"t":1}])"), "events[0].type"},
        {document(R"([{"type":null,"t":1}])"), "events[0].type"},
        {document(R"([{"type":"keyDown","keyCode":1}])"), "events[0].t"},
        {document(R"([{"type":"keyDown","keyCode":1,"t":"1"}])"), "events[0].t"},
        {document(R"([{"type":"keyDown","keyCode":1,"t":1},[]])"), "events[1]"},
        {document(R"([{"type":"keyDown","keyCode":1,"t":1},null])"), "events[1]"},
        {document(R"({})"), "events"},
        {document("null"), "events"},
        {document(R"([{"type":"mousePath","t":1}])"), "events[0].points"},
        {document(R"([{"type":"mousePath","t":1,"points":[[0,1,2],[1,"2",3]]}])"), "events[0].points[1][1]"},
        {document(R"([{"type":"mousePath","t":1,"points":[{"dt":0}]}])"), "events[0].points[0]"},
        {document(R"([{"type":"scroll","t":1,"x":0,"y":0,"scrollPhase":4294967296}])"), "events[0].scrollPhase"},
        {document(R"([{"type":"keyUp","keyCode":3.5,"t":1}])"), "events[0].keyCode"},
        {document(R"([{"type":"idleGap","t":1,"durationNanos":18446744073709551616}])"), "events[0].durationNanos"},
        {document(R"([{"type":"idleGap","t":1,"durationNanos":1,"durationNanos":2}])"), "events[0].durationNanos"},
        {document("[]", R"(,"settings":{"cursorMode":"sideways"})"), "settings.cursorMode"},
        {document("[]", R"(,"settings":{"silencedWarnings":["appNotRunning",null]})"), "settings.silencedWarnings[1]"},
        {document("[]", R"(,"settings":{"silencedWarnings":"appNotRunning"})"), "settings.silencedWarnings"},
        {document("[]", R"(,"settings":{"playHotkey":{"keyCode":1}})"), "settings.playHotkey.modifiers"},
        {document("[]", R"(,"settings":{"repeatCount":1e30})"), "settings.repeatCount"},
        {document("[]", R"(,"settings":{"speed":"fast"})"), "settings.speed"},
        {document("[]", R"(,"settings":[])"), "settings"},
        {document("[]", R"(,"trim":{"leadingNanos":1})"), "trim.trailingNanos"},
        {document("[]", R"(,"environment":{})"), "environment.displays"},
        {document("[]", R"(,"environment":{"displays":[{"id":-1,"frame":{},"scale":1}]})"),
         "environment.displays[0].id"},
        {document("[]", R"(,"environment":{"displays":[{"id":1,"frame":{"x":0,"y":0,"width":1},"scale":1}]})"),
         "environment.displays[0].frame.height"},
        {document("[]", R"(,"environment":{"displays":[],"frontmostApp":{"windowTitle":5}})"),
         "environment.frontmostApp.windowTitle"},
        {document("[]", R"(,"environment":{"displays":[],"keyboardInputSourceID":true})"),
         "environment.keyboardInputSourceID"},
        {document("[]", R"(,"name":"twice")"), "name"},
        {R"({"schemaVersion":1,"name":"n","createdAt":"2026-12-05T16:43:01Z","events":[]})", "id"},
        {R"({"schemaVersion":1,"id":"e621e1f8c36c495a93fc0c247a3e6e5f","name":"n","events":[]})", "id"},
        {R"({"schemaVersion":1,"id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","createdAt":"2026-12-05T16:43:01Z","events":[]})",
         "name"},
        {R"({"schemaVersion":1,"id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","name":"n","createdAt":"2026-12-05 16:43:01",)"
         R"("events":[]})",
         "createdAt"},
        {R"({"schemaVersion":1,"id":"e621e1f8-c36c-495a-93fc-0c247a3e6e5f","name":"n","createdAt":1796575381,"events":[]})",
         "createdAt"},
    };
    for (const auto& [bytes, location] : cases) {
        EXPECT_EQ(documentError(bytes).location(), location) << bytes;
    }
}

TEST(RecordingDocumentBadInput, MalformedTextIsADocumentErrorNeverACrash) {
    const std::string deep(100000, '[');
    const std::vector<std::string> cases{
        "",
        "   \n",
        "[]",
        "null",
        "\"text\"",
        document() + "{}",
        document() + "]",
        document("[]", R"(,"x":tru)"),
        document("[]", R"(,"x":[1,2,)"),
        document("[]", R"(,"x":01)"),
        document("[]", R"(,"x":1e400)"),
        document("[]", R"(,"x":"\q")"),
        document("[]", ",\"x\":\"\xff\xfe\""),
        document("[]", ",\"x\":\"tab\tinside\""),
        document("[]", R"(,"x":)" + deep),
        document("[]", R"(,"x":)" + std::string(200, '[') + std::string(200, ']')),
        document(R"([{"type":"future","t":[1,}])"),
        document(R"([{"type":"mousePath","t":1,"points":[[0,1,2,{"a":nul}]]}])"),
        document(R"([{"type":"scroll","t":1,"x":1e999,"y":0}])"),
        std::string("{\"schemaVersion\":1,\0}", 21),
    };
    for (const std::string& bytes : cases) {
        RecordingJSONDecoder decoder;
        EXPECT_THROW(decoder.decode(bytes), RecordingDocumentError) << bytes.substr(0, 80);
    }
    EXPECT_EQ(std::string(documentError("").what()), "the document is empty");
    EXPECT_EQ(documentError(document("[]", ",\"x\":\"\xff\"")).problem(), "the document is not valid UTF-8");
    EXPECT_EQ(documentError(document() + "{}").problem(), "unexpected content after the document");
}

// One decoder reads them all: it keeps its parser between documents, and no failure spoils the next read.
TEST(RecordingDocumentBadInput, EveryTruncationOfADocumentFails) {
    const std::string whole = Recording::makeJSONEncoder().encode(samples::everyField());
    RecordingJSONDecoder decoder;
    for (std::size_t length = 0; length < whole.size(); ++length) {
        EXPECT_THROW(decoder.decode(std::string_view(whole).substr(0, length)), RecordingDocumentError)
            << "cut after " << length << " bytes";
    }
    EXPECT_EQ(decoder.decode(whole), samples::everyField());
    EXPECT_EQ(RecordingJSONDecoder(std::move(decoder)).decode(whole), samples::everyField());
}

}  // namespace
}  // namespace brevanor

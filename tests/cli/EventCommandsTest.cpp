#include <gtest/gtest.h>
#include <simdjson.h>

#include "core/model/EventEdits.h"
#include "tests/cli/CliHarness.h"

namespace brevanor {
namespace {

constexpr std::uint64_t ms = 1'000'000;

// A pause, a path to a click, then Shift+A.
Recording clickAndType(std::string name = "Edit me") {
    std::vector<RecordingEvent> events{
        RecordingEvent::idleGap({0, 500 * ms}),
        RecordingEvent::mousePath({500 * ms, {{0, 10, 10}, {50 * ms, 20, 15}, {100 * ms, 40, 40}}}),
        RecordingEvent::mouseDown({700 * ms, MouseButton::left, 0, 40, 40, 1, 0}),
        RecordingEvent::mouseUp({780 * ms, MouseButton::left, 0, 40, 40, 1, 0}),
        RecordingEvent::flagsChanged({2000 * ms, 56, 0x20000, true}),
        RecordingEvent::keyDown({2100 * ms, 0, 0x20000, false}),
        RecordingEvent::keyUp({2700 * ms, 0, 0x20000, false}),
        RecordingEvent::flagsChanged({2800 * ms, 56, 0, false}),
    };
    return Recording(Uuid::random(), std::move(name),
                     std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()),
                     EnvironmentSnapshot::empty(), RecordingSettings{}, TrimRange{}, std::move(events));
}

class EventCommands : public ::testing::Test {
protected:
    Recording add(Recording recording) { return cli_.add(std::move(recording)); }
    Recording stored(const Recording& recording) { return cli_.store().load(recording.id); }

    CliHarness cli_;
};

TEST_F(EventCommands, ListsEveryEventWithItsIndexTimeGapTypeAndDetails) {
    const Recording recording = add(clickAndType());
    const auto result = cli_.run({"events", recording.name});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              " index        time         gap  type           details\n"
              "     0     0.000 s    +0.500 s  Pause          0.500 s\n"
              "     1     0.500 s    +0.500 s  Path           3 points (10, 10) → (40, 40) in 0.100 s\n"
              "     2     0.700 s    +0.100 s  Mouse down     Left button at (40, 40)\n"
              "     3     0.780 s    +0.080 s  Mouse up       Left button at (40, 40)\n"
              "     4     2.000 s    +1.220 s  Modifier down  Shift\n"
              "     5     2.100 s    +0.100 s  Key down       A  Shift\n"
              "     6     2.700 s    +0.600 s  Key up         A  Shift\n"
              "     7     2.800 s    +0.100 s  Modifier up    Shift\n");

    const auto json = cli_.run({"events", recording.id.toString(), "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    simdjson::dom::parser parser;
    const simdjson::dom::array list = parser.parse(json.out).get_array();
    ASSERT_EQ(list.size(), 8u);
    EXPECT_EQ(
        simdjson::minify(list.at(5)),
        R"({"event":{"keyCode":0,"mods":131072,"t":2100000000,"type":"keyDown"},"gapNanos":100000000,"index":5})");
}

TEST_F(EventCommands, MasksTheKeysOfASensitiveRecordingAndKeepsTheCount) {
    Recording secret = clickAndType("Secret");
    secret.settings.containsSensitiveInput = true;
    add(secret);
    const auto text = cli_.run({"events", "Secret"});
    ASSERT_EQ(text.status, 0);
    EXPECT_EQ(text.err, "brevanor-cli: “Secret” is marked as containing sensitive input, so its keys are hidden.\n");
    EXPECT_NE(text.out.find("Key down       •••\n"), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find(" A"), std::string::npos) << text.out;
    EXPECT_EQ(std::count(text.out.begin(), text.out.end(), '\n'), 9);

    const auto json = cli_.run({"events", "Secret", "--json"});
    simdjson::dom::parser parser;
    const simdjson::dom::array list = parser.parse(json.out).get_array();
    ASSERT_EQ(list.size(), 8u);
    EXPECT_EQ(simdjson::minify(list.at(5)),
              R"({"event":{"t":2100000000,"type":"keyDown"},"gapNanos":100000000,"index":5,"masked":true})");
    EXPECT_EQ(json.out.find("\"keyCode\":0"), std::string::npos);
}

TEST_F(EventCommands, AppliesEveryKindOfEditInOrderAndReverts) {
    const Recording recording = add(clickAndType());
    // The click goes (with its release), then the indices are those after it.
    const auto result = cli_.run({"edit", recording.name, "--delete", "3", "--gap=2=300", "--speed", "0-1=2",
                                  "--wait-after", "5=1000", "--revert", "--move", "2=5,6", "--delete", "4-5"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.out.starts_with(recording.id.toString() + "  Edit me  ")) << result.out;
    Recording edited = stored(recording);
    // After --revert only the move and the second delete count.
    EXPECT_EQ(edited.recordedEvents, recording.events);
    EXPECT_EQ(edited.events.size(), 4u) << "Shift and A went, with their releases";
    EXPECT_EQ(edited.events[2].mouseButton().x, 5);
    EXPECT_EQ(edited.events[3].mouseButton().y, 6) << "the release moved with the press";

    Recording expected = recording;
    EventEdits::deleteRange(expected, 3, 3);
    EventEdits::setGap(expected, 2, 300 * ms);
    EventEdits::speedRange(expected, 0, 1, 2);
    EventEdits::insertWaitAfter(expected, 5, 1000 * ms);
    ASSERT_EQ(cli_.run({"edit", recording.name, "--revert", "--delete", "3", "--gap", "2=300", "--speed", "0-1=2",
                        "--wait-after", "5=1000"})
                  .status,
              0);
    EXPECT_EQ(stored(recording).events, expected.events);

    ASSERT_EQ(cli_.run({"edit", recording.name, "--revert"}).status, 0);
    EXPECT_EQ(stored(recording), recording) << "reverted, the document is as recorded";
}

TEST_F(EventCommands, RefusesBadInputWithOneSentenceAndChangesNothing) {
    const Recording recording = add(clickAndType());
    // Here the values of edit's own options; what every option shares is CommandLine's
    // (CommandLine.RefusesUnknownOptionsAndValuesOutOfRangeInOneSentence).
    const std::vector<std::pair<std::vector<std::string>, std::string>> usage{
        {{"edit", "Edit me"},
         "brevanor-cli: edit needs at least one of --delete, --gap, --speed, --move, --wait-after and --revert; run "
         "brevanor-cli help for its usage.\n"},
        {{"edit", "Edit me", "--delete", "x"},
         "brevanor-cli: The option --delete takes an event index or a range such as 3-7, not “x”.\n"},
        {{"edit", "Edit me", "--delete", "-1"},
         "brevanor-cli: The option --delete takes an event index or a range such as 3-7, not “-1”.\n"},
        {{"edit", "Edit me", "--gap", "3"},
         "brevanor-cli: The option --gap takes INDEX=MILLISECONDS such as 4=250 (at most a day), not “3”.\n"},
        {{"edit", "Edit me", "--gap", "3=-5"},
         "brevanor-cli: The option --gap takes INDEX=MILLISECONDS such as 4=250 (at most a day), not “3=-5”.\n"},
        {{"edit", "Edit me", "--speed", "1-2"},
         "brevanor-cli: The option --speed takes FIRST-LAST=FACTOR such as 3-9=2 (2: twice as fast), not “1-2”.\n"},
        {{"edit", "Edit me", "--move", "2=5"},
         "brevanor-cli: The option --move takes INDEX=X,Y such as 5=640,400, not “2=5”.\n"},
        {{"edit", "Edit me", "--wait-after", "2=nan"},
         "brevanor-cli: The option --wait-after takes INDEX=MILLISECONDS such as 4=1000 (at most a day), not "
         "“2=nan”.\n"},
        {{"events"},
         "brevanor-cli: events needs a recording (its id, name or file); run brevanor-cli help for its usage.\n"},
    };
    for (const auto& [arguments, message] : usage) {
        const auto result = cli_.run(arguments);
        EXPECT_EQ(result.status, 2) << arguments.back();
        EXPECT_EQ(result.err, message);
    }
    // The edits' own words are theirs (EventEdits.RefusesBadArgumentsInWordsWithoutChangingAnything) and
    // a name found nowhere is said as for every command (LibraryCommands.SaysPlainlyWhatItCannotFind).
    const auto failed = cli_.run({"edit", "Edit me", "--gap", "2=10", "--delete", "8"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(
        failed.err,
        "brevanor-cli: Could not edit “Edit me”: --delete 8: there is no event 8: the events are numbered 0 to 7; "
        "nothing was changed.\n");
    EXPECT_EQ(stored(recording), recording) << "all or nothing";
}

}  // namespace
}  // namespace brevanor

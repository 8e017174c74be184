#include <gtest/gtest.h>

#include <random>

#include "core/model/EventEditError.h"
#include "core/model/EventEdits.h"
#include "core/model/EventPairing.h"
#include "core/model/RecordingJSONDecoder.h"
#include "core/model/RecordingJSONEncoder.h"
#include "tests/support/Thrown.h"

namespace brevanor {
namespace {

constexpr std::uint64_t ms = 1'000'000;
constexpr std::uint16_t kShiftKey = 56;
constexpr std::uint64_t kShiftMask = 0x20000;

RecordingEvent keyDown(std::uint64_t t, std::uint16_t code, bool repeat = false) {
    return RecordingEvent::keyDown({t, code, 0, repeat});
}
RecordingEvent keyUp(std::uint64_t t, std::uint16_t code) { return RecordingEvent::keyUp({t, code, 0, false}); }
RecordingEvent press(std::uint64_t t, double x, double y) {
    return RecordingEvent::mouseDown({t, MouseButton::left, 0, x, y, 1, 0});
}
RecordingEvent release(std::uint64_t t, double x, double y) {
    return RecordingEvent::mouseUp({t, MouseButton::left, 0, x, y, 1, 0});
}
RecordingEvent modifier(std::uint64_t t, bool down) {
    return RecordingEvent::flagsChanged({t, kShiftKey, down ? kShiftMask : 0, down});
}
RecordingEvent path(std::uint64_t t, std::vector<PathPoint> points) {
    return RecordingEvent::mousePath({t, std::move(points)});
}
RecordingEvent idle(std::uint64_t t, std::uint64_t duration) { return RecordingEvent::idleGap({t, duration}); }

Recording recordingOf(std::vector<RecordingEvent> events) {
    return Recording(Uuid::random(), "Edited", Date{}, EnvironmentSnapshot::empty(), RecordingSettings{}, TrimRange{},
                     std::move(events));
}

std::vector<std::uint64_t> times(const Recording& recording) {
    std::vector<std::uint64_t> result;
    for (const RecordingEvent& event : recording.events) result.push_back(event.timestamp());
    return result;
}

std::vector<RecordingEvent::Kind> kinds(const Recording& recording) {
    std::vector<RecordingEvent::Kind> result;
    for (const RecordingEvent& event : recording.events) result.push_back(event.kind());
    return result;
}

using K = RecordingEvent::Kind;

// A path to a stray click, then typing "a" with Shift held.
Recording sample() {
    return recordingOf({
        idle(0, 500 * ms),                                                     // 0
        path(500 * ms, {{0, 10, 10}, {50 * ms, 20, 15}, {100 * ms, 40, 40}}),  // 1
        press(700 * ms, 40, 40),                                               // 2
        release(780 * ms, 40, 40),                                             // 3
        idle(780 * ms, 1220 * ms),                                             // 4
        modifier(2000 * ms, true),                                             // 5
        keyDown(2100 * ms, 0),                                                 // 6
        keyDown(2600 * ms, 0, true),                                           // 7
        keyUp(2700 * ms, 0),                                                   // 8
        modifier(2800 * ms, false),                                            // 9
    });
}

TEST(EventPairing, GroupsPressesWithRepeatsAndReleasesAndFindsLeftovers) {
    const Recording recording = recordingOf({keyUp(0, 3), modifier(10, true), keyDown(20, 1), keyDown(30, 1, true),
                                             keyUp(40, 1), press(50, 0, 0), keyDown(60, 2)});
    const EventPairing pairing(recording.events);
    EXPECT_EQ(pairing.group(3), (std::vector<std::size_t>{2, 3, 4}));
    EXPECT_EQ(pairing.group(4), (std::vector<std::size_t>{2, 3, 4}));
    EXPECT_EQ(pairing.releasesWithoutPress(), (std::vector<std::size_t>{0}));
    EXPECT_EQ(pairing.heldAtEnd(), (std::vector<std::size_t>{1, 5, 6}));
    EXPECT_FALSE(pairing.isPaired(0) && pairing.group(0).size() > 1);
}

TEST(EventEdits, DeleteTakesEveryPartnerAndKeepsTheOtherTimes) {
    Recording recording = sample();
    EXPECT_EQ(EventEdits::deleteEvents(recording, {3}), 2u) << "the release takes its press";
    EXPECT_EQ(kinds(recording), (std::vector<K>{K::idleGap, K::mousePath, K::idleGap, K::flagsChanged, K::keyDown,
                                                K::keyDown, K::keyUp, K::flagsChanged}));
    EXPECT_EQ(recording.events[3].timestamp(), 2000 * ms);
    EXPECT_EQ(EventEdits::deleteEvents(recording, {3}), 2u) << "a modifier's press takes its release";
    EXPECT_EQ(EventEdits::deleteEvents(recording, {4}), 3u) << "a repeat takes its press and release";
    EXPECT_EQ(kinds(recording), (std::vector<K>{K::idleGap, K::mousePath, K::idleGap}));
    ASSERT_TRUE(recording.recordedEvents);
    EXPECT_EQ(*recording.recordedEvents, sample().events);
    EventEdits::revert(recording);
    EXPECT_EQ(recording.events, sample().events);
    EXPECT_FALSE(recording.isEdited());
}

TEST(EventEdits, CutClosesTheTimeTheRangeTook) {
    Recording recording = sample();
    EXPECT_EQ(EventEdits::cutRange(recording, 1, 3), 3u);
    // The path began at 500 ms and the idle gap after the click at 780 ms: everything after moves 280 ms earlier.
    EXPECT_EQ(times(recording),
              (std::vector<std::uint64_t>{0, 500 * ms, 1720 * ms, 1820 * ms, 2320 * ms, 2420 * ms, 2520 * ms}));
}

TEST(EventEdits, GapsMeasureTheQuietTimeAndMoveWhatFollows) {
    Recording recording = sample();
    EXPECT_EQ(EventEdits::gapBefore(recording.events, 1), 500 * ms) << "from the start";
    EXPECT_EQ(EventEdits::gapBefore(recording.events, 2), 100 * ms) << "from the end of the path";
    EXPECT_EQ(EventEdits::gapBefore(recording.events, 5), 1220 * ms) << "across the idle gap";
    EXPECT_EQ(EventEdits::gapBefore(recording.events, 4), 1220 * ms) << "an idle gap stands for its pause";

    EventEdits::setGap(recording, 5, 300 * ms);
    EXPECT_EQ(EventEdits::gapBefore(recording.events, 5), 300 * ms);
    EXPECT_EQ(recording.events[4].idle().durationNanos, 300 * ms) << "the pause's idle gap follows it";
    EXPECT_EQ(recording.events[9].timestamp(), 1880 * ms) << "later events move with it";
    EventEdits::setGap(recording, 5, 20 * ms);
    EXPECT_EQ(recording.events[4].kind(), K::flagsChanged) << "a pause under 50 ms is no idle gap";

    Recording waited = sample();
    EventEdits::insertWaitAfter(waited, 3, 1000 * ms);
    EXPECT_EQ(EventEdits::gapBefore(waited.events, 5), 2220 * ms);
    EventEdits::insertWaitAfter(waited, 9, 400 * ms);
    EXPECT_EQ(waited.events.back().kind(), K::idleGap);
    EXPECT_EQ(waited.durationNanos(), 3800 * ms + 400 * ms);
}

TEST(EventEdits, SpeedScalesTheRangeAndMovesTheRest) {
    Recording recording = sample();
    EventEdits::speedRange(recording, 1, 3, 2.0);
    // 500..780 ms (the range up to the next event, the idle gap) plays in half the time.
    EXPECT_EQ(times(recording), (std::vector<std::uint64_t>{0, 500 * ms, 600 * ms, 640 * ms, 640 * ms, 1860 * ms,
                                                            1960 * ms, 2460 * ms, 2560 * ms, 2660 * ms}));
    EXPECT_EQ(recording.events[1].path().points.back().dt, 50 * ms);
    EXPECT_EQ(recording.events[4].idle().durationNanos, 1220 * ms) << "the pause after the range stays";
    EventEdits::speedRange(recording, 1, 3, 0.5);
    EXPECT_EQ(recording.events, sample().events) << "half as fast undoes twice as fast here";

    Recording capped = sample();
    EventEdits::capPauses(capped, 0, 9, 200 * ms);
    EXPECT_EQ(EventEdits::gapBefore(capped.events, 0), 200 * ms) << "the leading pause counts as inside";
    for (std::size_t i = 0; i < capped.events.size(); ++i) {
        EXPECT_LE(EventEdits::gapBefore(capped.events, i), 200 * ms) << i;
    }
}

TEST(EventEdits, MovesClicksWithTheirPartnerAndStraightensPaths) {
    Recording recording = sample();
    EventEdits::moveClick(recording, 2, 100, 120);
    EXPECT_EQ(recording.events[2].mouseButton().x, 100);
    EXPECT_EQ(recording.events[3].mouseButton().y, 120);
    EXPECT_EQ(recording.events[1].path().points.back().x, 40) << "the path before the press stays";

    Recording drag = recordingOf({press(0, 0, 0), path(10, {{0, 5, 5}, {10, 10, 10}}), release(30, 10, 10)});
    EventEdits::moveClick(drag, 2, 20, 20);
    EXPECT_EQ(drag.events[0].mouseButton().x, 10);
    EXPECT_EQ(drag.events[1].path().points[0].x, 15) << "a drag's path moves with it";

    EventEdits::straightenPaths(recording, 0, 9);
    const auto& points = recording.events[1].path().points;
    EXPECT_EQ(points[1].x, 25);
    EXPECT_EQ(points[1].y, 25);
    EXPECT_EQ(points.back().dt, 100 * ms) << "the duration stays";
}

// The command line says these words: EventCommands.RefusesBadInputWithOneSentenceAndChangesNothing.
TEST(EventEdits, RefusesBadArgumentsInWordsWithoutChangingAnything) {
    Recording recording = sample();
    const Recording unchanged = recording;
    const auto refusal = [&](auto&& edit) {
        const auto error = testing::thrown<EventEditError>(edit);
        EXPECT_EQ(recording, unchanged);
        return std::string(error ? error->what() : "no error");
    };
    const std::string noEventTen = "there is no event 10: the events are numbered 0 to 9";
    EXPECT_EQ(refusal([&] { EventEdits::deleteRange(recording, 3, 10); }), noEventTen);
    EXPECT_EQ(refusal([&] { EventEdits::setGap(recording, 10, 0); }), noEventTen);
    EXPECT_EQ(refusal([&] { EventEdits::speedRange(recording, 4, 2, 2); }), "the range 4-2 ends before it begins");
    EXPECT_EQ(refusal([&] { EventEdits::speedRange(recording, 1, 2, 0); }),
              "the speed factor must be from 0.01 to 100");
    EXPECT_EQ(refusal([&] { EventEdits::moveClick(recording, 1, 0, 0); }),
              "event 1 is a mouse path, not a mouse button press or release");
}

TEST(EventEdits, CheckRefusesNewlyHeldKeysAndDisorderButAllowsRecordedLeftovers) {
    const std::vector<RecordingEvent> recorded{keyDown(0, 1), keyUp(10, 1), modifier(20, true)};
    EXPECT_NO_THROW(EventEdits::check(recorded, recorded)) << "the stop shortcut's leftover stays allowed";
    EXPECT_THROW(EventEdits::check(recorded, {keyDown(0, 1), modifier(20, true)}), EventEditError);
    EXPECT_THROW(EventEdits::check(recorded, {keyDown(10, 1), keyUp(0, 1)}), EventEditError);
}

TEST(EventEdits, AnExcerptPressesTheHeldModifiersFirstAndReleasesWhatItLeavesHeld) {
    const Recording recording = sample();
    // From the A's press to its repeat: Shift was down, the A stays down.
    const std::vector<RecordingEvent> part = EventEdits::excerpt(recording.events, 6, 7);
    EXPECT_EQ(part, (std::vector<RecordingEvent>{modifier(0, true), keyDown(0, 0), keyDown(500 * ms, 0, true),
                                                 keyUp(500 * ms, 0), modifier(500 * ms, false)}));
    // A release whose press came before is left out.
    EXPECT_EQ(EventEdits::excerpt(recording.events, 3, 3).size(), 0u);
}

TEST(EventEdits, TheRecordedEventsRoundTripThroughTheDocument) {
    std::vector<RecordingEvent> events;
    for (std::uint64_t i = 0; i < 40'000; ++i) events.push_back(i % 2 == 0 ? keyDown(i * ms, 1) : keyUp(i * ms, 1));
    Recording recording = recordingOf(std::move(events));
    recording.createdAt = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    const std::string unedited = RecordingJSONEncoder().encode(recording);
    EXPECT_EQ(unedited.find("recordedEvents"), std::string::npos) << "written only once edited";
    EventEdits::deleteRange(recording, 10, 13);
    const std::string edited = RecordingJSONEncoder().encode(recording);
    EXPECT_NE(edited.find("\"name\":\"Edited\",\"recordedEvents\":[{"), std::string::npos) << "in key order";
    ASSERT_GT(edited.size(), 4u << 20) << "the copy is written, and each array is read in several batches";
    RecordingJSONDecoder decoder;
    EXPECT_EQ(decoder.decode(edited), recording);
    std::size_t walked = 0, walkedRecorded = 0;
    const RecordingSummary summary = decoder.decodeSummary(
        DocumentBytes(edited), [&](const RecordingEvent&) { ++walked; },
        [&](const RecordingEvent&) { ++walkedRecorded; });
    EXPECT_EQ(summary.recordedEventCount, 40'000);
    EXPECT_EQ(summary.eventCount, 39'996);
    EXPECT_EQ(walked, 39'996u);
    EXPECT_EQ(walkedRecorded, 40'000u);

    // An earlier build knows no "recordedEvents": it reads the edited events and plays them.
    std::string earlier = edited;
    const auto begin = earlier.find(",\"recordedEvents\"");
    earlier.erase(begin, earlier.find(",\"schemaVersion\"") - begin);
    Recording asEarlier = decoder.decode(earlier);
    EXPECT_EQ(asEarlier.events, recording.events);
    EXPECT_FALSE(asEarlier.isEdited());
}

// --- Property: random edit sequences ----------------------------------------------------------

// A recording of balanced input: keys (with repeats), buttons, modifiers, paths, scrolls and pauses.
Recording randomRecording(std::mt19937& random) {
    std::vector<RecordingEvent> events;
    std::uint64_t t = 0;
    std::vector<std::uint16_t> keysDown;
    bool buttonDown = false, shiftDown = false;
    const int count = std::uniform_int_distribution<int>(0, 40)(random);
    const auto step = [&] { t += std::uniform_int_distribution<std::uint64_t>(0, 300)(random) * ms; };
    for (int i = 0; i < count; ++i) {
        step();
        switch (std::uniform_int_distribution<int>(0, 7)(random)) {
            case 0:
                if (keysDown.size() < 3) {
                    const auto code = static_cast<std::uint16_t>(std::uniform_int_distribution<int>(0, 5)(random));
                    if (std::find(keysDown.begin(), keysDown.end(), code) == keysDown.end()) {
                        events.push_back(keyDown(t, code));
                        keysDown.push_back(code);
                    }
                }
                break;
            case 1:
                if (!keysDown.empty()) {
                    const std::size_t which =
                        std::uniform_int_distribution<std::size_t>(0, keysDown.size() - 1)(random);
                    events.push_back(keyUp(t, keysDown[which]));
                    keysDown.erase(keysDown.begin() + static_cast<std::ptrdiff_t>(which));
                }
                break;
            case 2:
                if (!keysDown.empty()) events.push_back(keyDown(t, keysDown.back(), true));
                break;
            case 3:
                events.push_back(buttonDown ? release(t, 5, 5) : press(t, 5, 5));
                buttonDown = !buttonDown;
                break;
            case 4:
                events.push_back(modifier(t, !shiftDown));
                shiftDown = !shiftDown;
                break;
            case 5: {
                std::vector<PathPoint> points;
                std::uint64_t dt = 0;
                for (int p = 0; p < 4; ++p, dt += 8 * ms) points.push_back({dt, 1.0 * p, 2.0 * p});
                events.push_back(path(t, points));
                t += dt;
                break;
            }
            case 6: events.push_back(RecordingEvent::scroll({t, 1, 2, 0, -1, 0, 0, false, 0, 0, 0})); break;
            default: {
                const std::uint64_t duration = std::uniform_int_distribution<std::uint64_t>(60, 2000)(random) * ms;
                events.push_back(idle(t, duration));
                t += duration;
                break;
            }
        }
    }
    step();
    for (const std::uint16_t code : keysDown) events.push_back(keyUp(t, code));
    if (buttonDown) events.push_back(release(t, 5, 5));
    if (shiftDown) events.push_back(modifier(t, false));
    return recordingOf(std::move(events));
}

void randomEdit(Recording& recording, std::mt19937& random) {
    const std::size_t n = recording.events.size();
    // Indices sometimes past the end, to exercise the refusals.
    const auto index = [&] { return std::uniform_int_distribution<std::size_t>(0, n + 1)(random); };
    std::size_t a = index(), b = index();
    if (std::bernoulli_distribution(0.9)(random) && a > b) std::swap(a, b);
    const auto nanos = [&] { return std::uniform_int_distribution<std::uint64_t>(0, 3000)(random) * ms; };
    switch (std::uniform_int_distribution<int>(0, 9)(random)) {
        case 0: EventEdits::deleteEvents(recording, {a}); break;
        case 1: EventEdits::deleteRange(recording, a, b); break;
        case 2: EventEdits::cutRange(recording, a, b); break;
        case 3: EventEdits::setGap(recording, a, nanos()); break;
        case 4:
            EventEdits::speedRange(recording, a, b, std::uniform_real_distribution<double>(0.05, 20)(random));
            break;
        case 5: EventEdits::capPauses(recording, a, b, nanos()); break;
        case 6: EventEdits::moveClick(recording, a, 50, 60); break;
        case 7: EventEdits::insertWaitAfter(recording, a, nanos()); break;
        case 8: EventEdits::straightenPaths(recording, a, b); break;
        default:
            if (std::bernoulli_distribution(0.2)(random)) EventEdits::revert(recording);
            break;
    }
}

TEST(EventEditsProperty, TenThousandRandomEditSequencesKeepPairsAndTimeOrder) {
    std::mt19937 random(2612);
    for (int sequence = 0; sequence < 10'000; ++sequence) {
        const Recording original = randomRecording(random);
        ASSERT_TRUE(EventPairing(original.events).heldAtEnd().empty());
        Recording recording = original;
        const int edits = std::uniform_int_distribution<int>(1, 8)(random);
        for (int e = 0; e < edits; ++e) {
            const Recording before = recording;
            try {
                randomEdit(recording, random);
            } catch (const EventEditError&) {
                ASSERT_EQ(recording, before) << "a refused edit changes nothing (sequence " << sequence << ")";
            }
            const EventPairing pairing(recording.events);
            ASSERT_TRUE(pairing.heldAtEnd().empty()) << "sequence " << sequence << ", edit " << e;
            ASSERT_TRUE(pairing.releasesWithoutPress().empty()) << "sequence " << sequence << ", edit " << e;
            ASSERT_NO_THROW(EventEdits::check(original.events, recording.events))
                << "sequence " << sequence << ", edit " << e;
            ASSERT_EQ(recording.recordedEvents.value_or(recording.events), original.events);
        }
        EventEdits::revert(recording);
        ASSERT_EQ(recording.events, original.events) << "sequence " << sequence;
    }
}

}  // namespace
}  // namespace brevanor

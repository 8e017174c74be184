#include <gtest/gtest.h>

#include "cli/RecordingText.h"
#include "core/model/DurationText.h"
#include "tests/store/SampleRecordings.h"

namespace brevanor {
namespace {

TEST(DurationText, ShowsSecondsUnderAMinuteAndMinutesAfter) {
    EXPECT_EQ(DurationText::duration(0), "0.0 s");
    EXPECT_EQ(DurationText::duration(9'960'000'000), "10.0 s");
    EXPECT_EQ(DurationText::duration(59'900'000'000), "59.9 s");
    EXPECT_EQ(DurationText::duration(75'400'000'000), "1 min 15 s");
    EXPECT_EQ(DurationText::duration(3'600'000'000'000), "60 min 0 s");
    EXPECT_EQ(DurationText::elapsed(5'300'000'000), "0:05.3");
    EXPECT_EQ(DurationText::elapsed(62'000'000'000), "1:02.0");
    EXPECT_EQ(DurationText::elapsed(0), "0:00.0");
    EXPECT_EQ(DurationText::elapsed(59'960'000'000), "1:00.0") << "never 0:60.0";
    EXPECT_EQ(DurationText::elapsed(UINT64_MAX), "307445734:33.7") << "no overflow";
}

TEST(RecordingText, TheSummaryAndTheShortcutAreTheLibraryRows) {
    Recording recording = sampleRecording("Row", std::chrono::sys_days{std::chrono::December / 6 / 2026});
    // ICU versions differ in the blank before "AM".
    const std::string american = RecordingText::summary(RecordingSummary::of(recording), DateText("en_US", "UTC"));
    EXPECT_TRUE(american.starts_with("2.4 s • 18 events • Dec 6, 2026, 12:00")) << american;
    EXPECT_TRUE(american.ends_with("AM")) << american;
    EXPECT_EQ(RecordingText::summary(RecordingSummary::of(recording), DateText("de_DE", "UTC")),
              "2.4 s • 18 events • 06.12.2026, 00:00");
    recording.settings.playHotkey = HotkeyChord{122, HotkeyChord::controlFlag};
    EXPECT_TRUE(RecordingText::row(RecordingSummary::of(recording), DateText(), nullptr).ends_with("  Ctrl+F1"));
}

// Documents keep values out of range as they are; show tells what playback makes of them.
TEST(RecordingText, DetailsShowThePlayedValuesBesideStoredOnesOutOfRange) {
    Recording recording = sampleRecording("Odd", std::chrono::system_clock::now());
    recording.settings.speed = -2;
    recording.settings.repeatCount = -3;
    recording.settings.delayBetweenRepeatsSec = 1e300;
    recording.settings.extraDelayBeforeClickMs = 5000;
    EXPECT_NE(RecordingText::details(RecordingSummary::of(recording), DateText(), nullptr)
                  .find("  playback    speed 0.5x (stored -2x) • repeat 1 (stored -3) • delay 3600 s (stored "
                        "1e+300 s) • cursor absolute • 2000 ms before each click (stored 5000 ms)\n"),
              std::string::npos);
    recording.settings = RecordingSettings{};
    recording.settings.repeatInfinite = true;
    recording.environment.relativePositions = true;
    const std::string details = RecordingText::details(RecordingSummary::of(recording), DateText(), nullptr);
    EXPECT_NE(details.find("  playback    speed 1x • repeat forever • delay 0 s • cursor absolute\n"),
              std::string::npos);
    EXPECT_NE(details.find("  positions   relative to where the pointer is when playback starts\n"), std::string::npos);
}

TEST(RecordingText, ScrollsAndModifiersReadPlainly) {
    std::string lines;
    for (const RecordingEvent& event : {
             RecordingEvent::scroll({0, 5, 6, 0, -3, 0, -30, true, 1, 0, 0}),
             RecordingEvent::scroll({1'000'000, 5, 6, 0, 2, 0, 20, false, 0, 0, HotkeyChord::shiftFlag}),
             RecordingEvent::flagsChanged({2'000'000, 56, HotkeyChord::shiftFlag, true}),
         }) {
        lines += RecordingText::eventLine(event);
    }
    EXPECT_EQ(lines,
              "     0.000 s  scroll       at (5, 6), 0, -30 px\n"
              "     0.001 s  scroll       at (5, 6), 0, 2 lines  Shift\n"
              "     0.002 s  flagsChanged key 56 down  Shift\n");
}

}  // namespace
}  // namespace brevanor

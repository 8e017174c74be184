#include <gtest/gtest.h>

#include "base/text/Localized.h"
#include "core/checks/PreflightChecker.h"
#include "core/model/RecordingJSONEncoder.h"

namespace brevanor {
namespace {

const DisplayInfo kLaptop{1, {0, 0, 1440, 900}, 2.0};
const DisplayInfo kMonitor{2, {1440, 0, 1920, 1080}, 1.0};

Recording recordedWith(std::vector<DisplayInfo> displays, std::optional<FrontmostAppInfo> app,
                       std::optional<std::string> inputSource) {
    Recording recording;
    recording.environment = {std::move(displays), std::move(app), std::move(inputSource)};
    return recording;
}

const FrontmostAppInfo kSafari{"com.apple.Safari", "Safari", std::nullopt, std::nullopt};

// Each rule needs its fact on both sides; the same machine in any display order warns of nothing.
TEST(PreflightChecker, NothingChangedOrNothingToCompareYieldsNothing) {
    const FrontmostAppInfo anonymous{std::nullopt, "Safari", std::nullopt, std::nullopt};
    struct Case {
        Recording recorded;
        std::vector<DisplayInfo> displays;
        std::optional<std::string> inputSource;
    };
    const Case cases[] = {
        {recordedWith({kLaptop, kMonitor}, kSafari, "com.apple.keylayout.US"),
         {kMonitor, kLaptop},
         "com.apple.keylayout.US"},
        {recordedWith({}, std::nullopt, std::nullopt), {kLaptop}, "us"},
        {recordedWith({kLaptop}, std::nullopt, "us"), {}, std::nullopt},
        {recordedWith({}, anonymous, std::nullopt), {}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(PreflightChecker::warnings(c.recorded, c.displays, {"com.apple.Safari", "org.other"}, c.inputSource)
                        .empty());
    }
}

// A moved display warns though both arrangements read alike.
TEST(PreflightChecker, DisplayWarningDescribesBothArrangements) {
    DisplayInfo moved = kMonitor;
    moved.frame.x = -1920;
    const std::pair<std::vector<DisplayInfo>, std::string> cases[] = {
        {{kLaptop}, "Recorded with 1 display (1440×900 @2x); "},
        {{kLaptop, moved}, "Recorded with 2 displays (1440×900 @2x, 1920×1080 @1x); "},
    };
    for (const auto& [recorded, start] : cases) {
        const auto warnings = PreflightChecker::warnings(recordedWith(recorded, std::nullopt, std::nullopt),
                                                         {kLaptop, kMonitor}, {}, std::nullopt);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_EQ(warnings[0].id(), PreflightWarningKind::displayMismatch);
        EXPECT_EQ(warnings[0].message, start + std::string(thisComputer) +
                                           " now has 2 displays (1440×900 @2x, 1920×1080 @1x). Clicks may land in "
                                           "the wrong place.");
    }
    // Sizes and scales are cut to whole numbers; values no display has (from
    // a hand-edited document) are shown, not undefined.
    EXPECT_EQ(PreflightChecker::describe({{7, {0, 0, 1439.9, 899.5}, 1.5}}), "1 display (1439×899 @1x)");
    EXPECT_EQ(PreflightChecker::describe({}), "0 displays ()");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(PreflightChecker::describe({{1, {0, 0, nan, 1e300}, -1e300}}),
              "1 display (0×9223372036854775807 @-9223372036854775808x)");
}

TEST(PreflightChecker, DisplaysMatchComparesExactFramesAndScalesButNotIds) {
    DisplayInfo renumbered = kLaptop;
    renumbered.id = 99;
    EXPECT_TRUE(PreflightChecker::displaysMatch({kLaptop}, {renumbered}));
    EXPECT_TRUE(PreflightChecker::displaysMatch({}, {}));

    DisplayInfo nudged = kLaptop;
    nudged.frame.width = 1440.0000000000002;
    EXPECT_FALSE(PreflightChecker::displaysMatch({kLaptop}, {nudged}));
    DisplayInfo rescaled = kLaptop;
    rescaled.scale = 1.5;
    EXPECT_FALSE(PreflightChecker::displaysMatch({kLaptop}, {rescaled}));
    EXPECT_FALSE(PreflightChecker::displaysMatch({kLaptop}, {kLaptop, kMonitor}));
    EXPECT_FALSE(PreflightChecker::displaysMatch({kLaptop, kLaptop}, {kLaptop, kMonitor}));
    // Signed zeros read differently, as they do in the shortest round-trip text.
    DisplayInfo negativeZero = kLaptop;
    negativeZero.frame.x = -0.0;
    EXPECT_FALSE(PreflightChecker::displaysMatch({kLaptop}, {negativeZero}));
}

TEST(PreflightChecker, AppWarningNamesTheAppOrItsBundleIDAndKeyboardWarningUsesFriendlyNames) {
    const auto named =
        PreflightChecker::warnings(recordedWith({}, kSafari, std::nullopt), {}, {"com.apple.safari"}, std::nullopt);
    ASSERT_EQ(named.size(), 1u);
    EXPECT_EQ(named[0], (PreflightWarning{PreflightWarningKind::appNotRunning,
                                          "Safari was in front when this was recorded but is not running."}));

    const FrontmostAppInfo unnamed{"org.example.Editor", std::nullopt, std::nullopt, std::nullopt};
    const auto byID = PreflightChecker::warnings(recordedWith({}, unnamed, std::nullopt), {}, {}, std::nullopt);
    ASSERT_EQ(byID.size(), 1u);
    EXPECT_EQ(byID[0].message, "org.example.Editor was in front when this was recorded but is not running.");

    // The keyboard warning names layouts without their prefixes: only the
    // layout prefixes of the whole name, each time, in the case they are written.
    const auto warnings = PreflightChecker::warnings(recordedWith({}, std::nullopt, "com.apple.keylayout.ABC"), {}, {},
                                                     std::optional<std::string>("com.apple.keylayout.US"));
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].kind, PreflightWarningKind::inputSourceMismatch);
    EXPECT_EQ(warnings[0].message,
              "The keyboard layout was ABC when this was recorded; it is now US. Keys may type different characters.");

    const std::pair<const char*, const char*> cases[] = {
        {"com.apple.inputmethod.Kotoeri", "Kotoeri"},
        {"x.com.apple.keylayout.A+com.apple.keylayout.B", "x.A+B"},
        {"de(nodeadkeys)", "de(nodeadkeys)"},
        {"COM.APPLE.KEYLAYOUT.US", "COM.APPLE.KEYLAYOUT.US"},
    };
    for (const auto& [id, name] : cases) EXPECT_EQ(PreflightChecker::friendlyInputSourceName(id), name);
}

TEST(PreflightChecker, SilencedKindsAreDroppedAndOrderKept) {
    Recording recording = recordedWith({kLaptop}, kSafari, "com.apple.keylayout.ABC");
    recording.settings.silencedWarnings = {PreflightWarningKind::appNotRunning};
    const auto warnings = PreflightChecker::warnings(recording, {kMonitor}, {}, "com.apple.keylayout.US");
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0].kind, PreflightWarningKind::displayMismatch);
    EXPECT_EQ(warnings[1].kind, PreflightWarningKind::inputSourceMismatch);

    recording.settings.silencedWarnings = {kSilenceablePreflightWarningKinds.begin(),
                                           kSilenceablePreflightWarningKinds.end()};
    EXPECT_TRUE(PreflightChecker::warnings(recording, {kMonitor}, {}, "com.apple.keylayout.US").empty());
}

// A playback longer than a day is asked about every time: silencing cannot
// hide it, and documents never name it, so older readers still read them.
TEST(PreflightChecker, APlaybackLongerThanADayIsAlwaysAskedAbout) {
    Recording recording;
    recording.events = {RecordingEvent::keyDown({0, 0, 0, false}), RecordingEvent::keyUp({50'000'000, 0, 0, false})};
    recording.settings.repeatCount = 9999;
    recording.settings.delayBetweenRepeatsSec = 1e300;  // played as an hour
    recording.settings.silencedWarnings = {kSilenceablePreflightWarningKinds.begin(),
                                           kSilenceablePreflightWarningKinds.end()};
    recording.settings.silencedWarnings.insert(PreflightWarningKind::longPlayback);
    const auto warnings = PreflightChecker::warnings(recording, {}, {}, std::nullopt);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], (PreflightWarning{PreflightWarningKind::longPlayback,
                                             "This playback would last about 416 days. Check its speed, repeats and "
                                             "the pause between them."}));
    EXPECT_EQ(Recording::makeJSONEncoder().encode(recording).find("longPlayback"), std::string::npos);

    // The options of one run count, not only the stored settings.
    PlaybackOptions once(recording.settings);
    once.repeatCount = 1;
    EXPECT_TRUE(PreflightChecker::warnings(recording, once, {}, {}, std::nullopt).empty());
    // An endless playback is asked about only when one run is that long.
    recording.events.push_back(RecordingEvent::keyDown({30 * 3600 * 1'000'000'000ull, 0, 0, false}));
    recording.settings.repeatInfinite = true;
    const auto endless = PreflightChecker::warnings(recording, {}, {}, std::nullopt);
    ASSERT_EQ(endless.size(), 1u);
    EXPECT_EQ(endless[0].message,
              "Each run of this endless playback would last about 30 hours. Check its speed, repeats and the pause "
              "between them.");
    recording.events.back() = RecordingEvent::keyDown({~0ull, 0, 0, false});
    recording.settings.repeatInfinite = false;
    recording.settings.repeatCount = 1;
    EXPECT_NE(PreflightChecker::warnings(recording, {}, {}, std::nullopt).at(0).message.find("213503 days"),
              std::string::npos);
}

}  // namespace
}  // namespace brevanor

#include "core/checks/PreflightChecker.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "base/text/Localized.h"

namespace brevanor::PreflightChecker {

namespace {

// The shortest text that reads back as the same double; whole numbers keep a
// trailing ".0" so that 1440 and 1440.0 never look alike to a reader.
std::string roundTripText(double value) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    std::string text(buffer, end);
    if (text.find_first_not_of("-0123456789") == std::string::npos) text += ".0";
    return text;
}

std::string signature(const DisplayInfo& display) {
    return roundTripText(display.frame.x) + "|" + roundTripText(display.frame.y) + "|" +
           roundTripText(display.frame.width) + "|" + roundTripText(display.frame.height) + "|" +
           roundTripText(display.scale);
}

// Truncation toward zero; values a document may hold but no integer can (NaN,
// infinities, beyond 64 bits) are pinned instead of being undefined.
long long truncated(double value) {
    if (std::isnan(value)) return 0;
    constexpr double kTwoTo63 = 9223372036854775808.0;
    if (value >= kTwoTo63) return std::numeric_limits<long long>::max();
    if (value < -kTwoTo63) return std::numeric_limits<long long>::min();
    return static_cast<long long>(value);
}

std::string describeOne(const DisplayInfo& display) {
    return std::to_string(truncated(display.frame.width)) + "×" + std::to_string(truncated(display.frame.height)) +
           " @" + std::to_string(truncated(display.scale)) + "x";
}

void eraseAll(std::string& text, std::string_view part) {
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at)) text.erase(at, part.size());
}

constexpr double kNanosPerSecond = 1e9;
constexpr double kLongPlaybackSeconds = 24 * 3600;

// "2 days" or, under two days, "30 hours": whole units, rounded down.
std::string lengthText(double seconds) {
    const double hours = seconds / 3600;
    if (hours < 48) return std::to_string(truncated(hours)) + tr(" hours");
    return std::to_string(truncated(hours / 24)) + tr(" days");
}

}  // namespace

std::vector<PreflightWarning> warnings(const Recording& recording, const std::vector<DisplayInfo>& currentDisplays,
                                       const std::set<std::string>& runningBundleIDs,
                                       const std::optional<std::string>& currentInputSourceID) {
    return warnings(recording, PlaybackOptions(recording.settings), currentDisplays, runningBundleIDs,
                    currentInputSourceID);
}

std::vector<PreflightWarning> warnings(const Recording& recording, const PlaybackOptions& options,
                                       const std::vector<DisplayInfo>& currentDisplays,
                                       const std::set<std::string>& runningBundleIDs,
                                       const std::optional<std::string>& currentInputSourceID) {
    const EnvironmentSnapshot& recorded = recording.environment;
    std::vector<PreflightWarning> found;

    if (!recorded.displays.empty() && !currentDisplays.empty() && !displaysMatch(recorded.displays, currentDisplays)) {
        const std::string message = tr("Recorded with ") + describe(recorded.displays) + tr("; ") + tr(thisComputer) +
                                    tr(" now has ") + describe(currentDisplays) +
                                    tr(". Clicks may land in the wrong place.");
        found.push_back({PreflightWarningKind::displayMismatch, message});
    }

    const std::optional<FrontmostAppInfo>& app = recorded.frontmostApp;
    if (app && app->bundleID && !runningBundleIDs.contains(*app->bundleID)) {
        found.push_back(
            {PreflightWarningKind::appNotRunning,
             app->name.value_or(*app->bundleID) + tr(" was in front when this was recorded but is not running.")});
    }

    if (recorded.keyboardInputSourceID && currentInputSourceID &&
        *recorded.keyboardInputSourceID != *currentInputSourceID) {
        found.push_back({PreflightWarningKind::inputSourceMismatch,
                         tr("The keyboard layout was ") + friendlyInputSourceName(*recorded.keyboardInputSourceID) +
                             tr(" when this was recorded; it is now ") +
                             friendlyInputSourceName(*currentInputSourceID) +
                             tr(". Keys may type different characters.")});
    }

    // Values a document may hold (a pause of 1e300 seconds, an event 584 years in) are played clamped,
    // but can still make a playback that no one would sit through.
    if (const double seconds = playbackSeconds(recording, options); seconds > kLongPlaybackSeconds) {
        found.push_back({PreflightWarningKind::longPlayback,
                         (options.repeatCount ? tr("This playback would last about ")
                                              : tr("Each run of this endless playback would last about ")) +
                             lengthText(seconds) + tr(". Check its speed, repeats and the pause between them.")});
    }

    std::erase_if(found, [&](const PreflightWarning& warning) {
        return isSilenceable(warning.kind) && recording.settings.silencedWarnings.contains(warning.kind);
    });
    return found;
}

double playbackSeconds(const Recording& recording, const PlaybackOptions& options) {
    const auto clicks = std::count_if(recording.events.begin(), recording.events.end(), [](const RecordingEvent& e) {
        return e.kind() == RecordingEvent::Kind::mouseDown;
    });
    const double run =
        (static_cast<double>(recording.trimmedDurationNanos()) / PlaybackOptions::clampSpeed(options.speed) +
         static_cast<double>(clicks) * static_cast<double>(options.extraDelayBeforeClickNanos)) /
        kNanosPerSecond;
    if (!options.repeatCount) return run;
    const double runs = static_cast<double>(std::max<std::int64_t>(*options.repeatCount, 1));
    return run * runs + (runs - 1) * static_cast<double>(options.delayBetweenRepeatsNanos) / kNanosPerSecond;
}

bool displaysMatch(const std::vector<DisplayInfo>& a, const std::vector<DisplayInfo>& b) {
    if (a.size() != b.size()) return false;
    std::set<std::string> signaturesA, signaturesB;
    for (const DisplayInfo& display : a) signaturesA.insert(signature(display));
    for (const DisplayInfo& display : b) signaturesB.insert(signature(display));
    return signaturesA == signaturesB;
}

std::string describe(const std::vector<DisplayInfo>& displays) {
    std::string joined;
    for (const DisplayInfo& display : displays) {
        if (!joined.empty()) joined += ", ";
        joined += describeOne(display);
    }
    if (displays.size() == 1) return tr("1 display (") + joined + ")";
    return std::to_string(static_cast<long long>(displays.size())) + tr(" displays (") + joined + ")";
}

std::string friendlyInputSourceName(std::string_view inputSourceID) {
    std::string name(inputSourceID);
    eraseAll(name, "com.apple.keylayout.");
    eraseAll(name, "com.apple.inputmethod.");
    return name;
}

}  // namespace brevanor::PreflightChecker

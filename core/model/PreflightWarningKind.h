#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace brevanor {

// The kinds of pre-playback warning. A recording may silence the first three;
// a playback that would last longer than a day is asked about every time.
enum class PreflightWarningKind { displayMismatch, appNotRunning, inputSourceMismatch, longPlayback };

// The kinds a recording may silence, and so the only ones its document names:
// documents stay readable by versions that know no other kind.
inline constexpr std::array<PreflightWarningKind, 3> kSilenceablePreflightWarningKinds{
    PreflightWarningKind::displayMismatch, PreflightWarningKind::appNotRunning,
    PreflightWarningKind::inputSourceMismatch};

constexpr bool isSilenceable(PreflightWarningKind kind) { return kind != PreflightWarningKind::longPlayback; }

constexpr std::string_view toString(PreflightWarningKind kind) {
    switch (kind) {
        case PreflightWarningKind::displayMismatch: return "displayMismatch";
        case PreflightWarningKind::appNotRunning: return "appNotRunning";
        case PreflightWarningKind::inputSourceMismatch: return "inputSourceMismatch";
        case PreflightWarningKind::longPlayback: return "longPlayback";
    }
    return "displayMismatch";
}

// A kind a document may silence, from its name there.
constexpr std::optional<PreflightWarningKind> silenceableWarningKindFromString(std::string_view text) {
    for (PreflightWarningKind kind : kSilenceablePreflightWarningKinds) {
        if (toString(kind) == text) return kind;
    }
    return std::nullopt;
}

}  // namespace brevanor

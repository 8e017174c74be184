#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace brevanor {

// The kinds of pre-playback warning; a recording may silence any of them.
enum class PreflightWarningKind { displayMismatch, appNotRunning, inputSourceMismatch };

inline constexpr std::array<PreflightWarningKind, 3> kAllPreflightWarningKinds{
    PreflightWarningKind::displayMismatch, PreflightWarningKind::appNotRunning,
    PreflightWarningKind::inputSourceMismatch};

constexpr std::string_view toString(PreflightWarningKind kind) {
    switch (kind) {
        case PreflightWarningKind::displayMismatch: return "displayMismatch";
        case PreflightWarningKind::appNotRunning: return "appNotRunning";
        case PreflightWarningKind::inputSourceMismatch: return "inputSourceMismatch";
    }
    return "displayMismatch";
}

constexpr std::optional<PreflightWarningKind> preflightWarningKindFromString(std::string_view text) {
    for (PreflightWarningKind kind : kAllPreflightWarningKinds) {
        if (toString(kind) == text) return kind;
    }
    return std::nullopt;
}

}  // namespace brevanor

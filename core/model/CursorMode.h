#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace brevanor {

// How recorded positions are mapped at playback.
enum class CursorMode { absolute, relativeToScreen, relativeToCursor };

inline constexpr std::array<CursorMode, 3> kAllCursorModes{CursorMode::absolute, CursorMode::relativeToScreen,
                                                           CursorMode::relativeToCursor};

constexpr std::string_view toString(CursorMode mode) {
    switch (mode) {
        case CursorMode::absolute: return "absolute";
        case CursorMode::relativeToScreen: return "relativeToScreen";
        case CursorMode::relativeToCursor: return "relativeToCursor";
    }
    return "absolute";
}

constexpr std::optional<CursorMode> cursorModeFromString(std::string_view text) {
    for (CursorMode mode : kAllCursorModes) {
        if (toString(mode) == text) return mode;
    }
    return std::nullopt;
}

}  // namespace brevanor

#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace brevanor {

// A mouse button; `other` is any further button, identified by its button number.
enum class MouseButton { left, right, middle, other };

inline constexpr std::array<MouseButton, 4> kAllMouseButtons{MouseButton::left, MouseButton::right, MouseButton::middle,
                                                             MouseButton::other};

constexpr std::string_view toString(MouseButton button) {
    switch (button) {
        case MouseButton::left: return "left";
        case MouseButton::right: return "right";
        case MouseButton::middle: return "middle";
        case MouseButton::other: return "other";
    }
    return "left";
}

constexpr std::optional<MouseButton> mouseButtonFromString(std::string_view text) {
    for (MouseButton button : kAllMouseButtons) {
        if (toString(button) == text) return button;
    }
    return std::nullopt;
}

}  // namespace brevanor

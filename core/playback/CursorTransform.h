#pragma once

#include <optional>
#include <variant>
#include <vector>

#include "base/values/DisplayInfo.h"
#include "core/model/CursorMode.h"
#include "core/model/EnvironmentSnapshot.h"
#include "core/model/Recording.h"

namespace brevanor {

// How recorded positions are mapped onto the current machine for one playback:
// unchanged, shifted by a fixed offset, or carried from the recorded displays
// onto the current ones. Compared by case and payload.
class CursorTransform {
public:
    struct Offset {
        double dx = 0;
        double dy = 0;
        friend bool operator==(const Offset&, const Offset&) = default;
    };
    struct Displays {
        std::vector<DisplayInfo> recorded;
        std::vector<DisplayInfo> current;
        friend bool operator==(const Displays&, const Displays&) = default;
    };
    struct Identity {
        friend bool operator==(const Identity&, const Identity&) = default;
    };

    static CursorTransform offset(double dx, double dy) { return CursorTransform(Offset{dx, dy}); }
    static CursorTransform displays(std::vector<DisplayInfo> recorded, std::vector<DisplayInfo> current) {
        return CursorTransform(Displays{std::move(recorded), std::move(current)});
    }
    static CursorTransform identity() { return CursorTransform(Identity{}); }

    // The transform for `mode`; falls back to identity when the mode lacks what it needs
    // (a display list on either side, or a recorded position to anchor on).
    static CursorTransform make(CursorMode mode, const EnvironmentSnapshot& recorded,
                                const std::vector<DisplayInfo>& currentDisplays, Point cursorAtStart,
                                std::optional<Point> firstRecordedPosition);

    // Maps one recorded position. Nothing is clamped to a display.
    Point apply(Point position) const;

    friend bool operator==(const CursorTransform&, const CursorTransform&) = default;

private:
    using Case = std::variant<Offset, Displays, Identity>;
    explicit CursorTransform(Case value) : case_(std::move(value)) {}

    Case case_;
};

}  // namespace brevanor

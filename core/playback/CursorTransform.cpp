#include "core/playback/CursorTransform.h"

#include <algorithm>

namespace brevanor {

namespace {

Point mapBetweenDisplays(const CursorTransform::Displays& displays, Point p) {
    if (displays.recorded.empty()) return p;
    // The display the point was recorded on; points off every display go with the first.
    auto source = std::find_if(displays.recorded.begin(), displays.recorded.end(),
                               [&](const DisplayInfo& d) { return d.frame.contains(p.x, p.y); });
    if (source == displays.recorded.end()) source = displays.recorded.begin();
    if (displays.current.empty()) return p;

    // The same display if it is still there, else one at the same place, else the first.
    auto target = std::find_if(displays.current.begin(), displays.current.end(),
                               [&](const DisplayInfo& d) { return d.id == source->id; });
    if (target == displays.current.end()) {
        target = std::find_if(displays.current.begin(), displays.current.end(), [&](const DisplayInfo& d) {
            return d.frame.x == source->frame.x && d.frame.y == source->frame.y;
        });
    }
    if (target == displays.current.end()) target = displays.current.begin();

    const FrameRect& from = source->frame;
    const FrameRect& to = target->frame;
    if (!(from.width > 0 && from.height > 0)) return p;
    return {to.x + (p.x - from.x) / from.width * to.width, to.y + (p.y - from.y) / from.height * to.height};
}

}  // namespace

CursorTransform CursorTransform::make(CursorMode mode, const EnvironmentSnapshot& recorded,
                                      const std::vector<DisplayInfo>& currentDisplays, Point cursorAtStart,
                                      std::optional<Point> firstRecordedPosition) {
    switch (mode) {
        case CursorMode::absolute: return identity();
        case CursorMode::relativeToScreen:
            if (recorded.displays.empty() || currentDisplays.empty()) return identity();
            return displays(recorded.displays, currentDisplays);
        case CursorMode::relativeToCursor:
            if (!firstRecordedPosition) return identity();
            return offset(cursorAtStart.x - firstRecordedPosition->x, cursorAtStart.y - firstRecordedPosition->y);
    }
    return identity();
}

Point CursorTransform::apply(Point position) const {
    if (const auto* shift = std::get_if<Offset>(&case_)) {
        return {position.x + shift->dx, position.y + shift->dy};
    }
    if (const auto* displayMap = std::get_if<Displays>(&case_)) {
        return mapBetweenDisplays(*displayMap, position);
    }
    return position;
}

}  // namespace brevanor

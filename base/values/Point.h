#pragma once

namespace brevanor {

// A position in the global display space: origin at the top-left corner of
// the main display, y growing downwards, in points.
struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

}  // namespace brevanor

#pragma once

namespace brevanor {

// A rectangle in global display points; (x, y) is the top-left corner and y
// grows downwards.
struct FrameRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    // The left and top edges belong to the frame, the right and bottom edges do not.
    bool contains(double px, double py) const { return px >= x && px < x + width && py >= y && py < y + height; }

    friend bool operator==(const FrameRect&, const FrameRect&) = default;
};

}  // namespace brevanor

#pragma once

#include <bitset>
#include <optional>
#include <vector>

#include "base/values/TapEvent.h"

namespace brevanor {

// Puts a mouse's relative motion on the screen. The kernel's devices give
// only deltas, which the compositor accelerates, so their sum drifts from the
// pointer's real place; the compositor's own place, asked for now and then
// (an anchor), sets it right. Anchors come at the start and after every
// release that leaves all buttons up, where no click can be in the way of
// asking: the events from a press to its release are held back until then
// and placed from the release's anchor backwards, so a click lands exactly
// where the compositor had it, and a drag ends exactly where it ended. The
// motion between clicks follows the deltas from the last anchor.
class AnchoredPointerPath {
public:
    // Whether positions are places on the screen: an anchor was ever set.
    bool isAnchored() const { return offset_.has_value(); }
    // Whether the compositor should be asked now: all buttons just came up.
    // Never on a path without a first anchor, which stays relative to the end
    // (a recording that began relative must not turn absolute halfway).
    bool wantsAnchor() const { return wantsAnchor_ && offset_.has_value(); }
    // Whether a button is held, when asking must wait.
    bool buttonHeld() const { return buttonsHeld_.any(); }

    // One converted event, its location the sum of the deltas (`raw`). The
    // events that are ready to be handed on, placed.
    std::vector<TapEvent> place(TapEvent event);
    // The compositor has the pointer at `exact` while the deltas sum to `raw`;
    // nothing when it could not say (then the last anchor holds). The events
    // held back, placed.
    std::vector<TapEvent> anchor(std::optional<Point> exact, Point raw);
    // Everything held back, placed from the last anchor; positions go back
    // to the deltas' sums until the next anchor.
    std::vector<TapEvent> reset();

private:
    Point placed(Point raw) const;

    std::optional<Point> offset_;  // exact place minus the sum of the deltas, at the last anchor
    std::bitset<32> buttonsHeld_;
    bool wantsAnchor_ = false;
    std::vector<TapEvent> heldBack_;
};

}  // namespace brevanor

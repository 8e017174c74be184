#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/values/Point.h"

struct wl_pointer;
struct wl_surface;

namespace brevanor {

class WaylandConnection;

// Finds where the compositor has the pointer, where no protocol simply tells a
// client: for a moment it lays a transparent surface over every output, on the
// layer-shell's overlay layer, reads the place the pointer enters it at, and
// takes it away again. The surface takes no keyboard focus; while it is up
// (about a round trip to the compositor) it would receive a click, so callers
// ask only when no button is held and none can be expected, as right after a
// release. Works on compositors with the layer shell and viewporter (the
// wlroots ones); elsewhere it finds nothing.
class PointerPositionProbe {
public:
    // `displayName` empty: $WAYLAND_DISPLAY. Connects on first use.
    explicit PointerPositionProbe(std::string displayName);
    ~PointerPositionProbe();
    PointerPositionProbe(const PointerPositionProbe&) = delete;
    PointerPositionProbe& operator=(const PointerPositionProbe&) = delete;

    // The pointer's place in the layout (logical pixels), or nothing when the
    // compositor cannot say within `timeoutMillis`.
    std::optional<Point> locate(int timeoutMillis = 200);

private:
    struct Overlay;
    friend struct ProbeListeners;

    bool ready();

    const std::string displayName_;
    std::unique_ptr<WaylandConnection> connection_;
    bool connectionTried_ = false;
    wl_pointer* pointer_ = nullptr;
    // While a probe runs: where the pointer entered, in a surface's own coordinates.
    wl_surface* enteredSurface_ = nullptr;
    Point entered_;
};

}  // namespace brevanor

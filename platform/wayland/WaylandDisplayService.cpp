#include "platform/wayland/WaylandDisplayService.h"

#include "platform/wayland/WaylandConnection.h"
#include "platform/x11/X11DisplayService.h"

namespace brevanor {

WaylandDisplayService::WaylandDisplayService(std::string displayName) : displayName_(std::move(displayName)) {}

WaylandDisplayService::~WaylandDisplayService() = default;

std::vector<DisplayInfo> WaylandDisplayService::activeDisplays() {
    std::lock_guard lock(mutex_);
    // A round trip brings in every output added, removed or moved since the last call.
    if (!connection_ || !connection_->roundtrip()) {
        try {
            connection_ = std::make_unique<WaylandConnection>(displayName_);
        } catch (const std::exception&) {
            connection_.reset();
            return {};
        }
    }
    std::vector<DisplayInfo> displays;
    for (const auto& output : connection_->outputs()) {
        displays.push_back({X11DisplayService::idForName(output.name),
                            FrameRect{static_cast<double>(output.x), static_cast<double>(output.y),
                                      static_cast<double>(output.width), static_cast<double>(output.height)},
                            static_cast<double>(output.scale)});
    }
    return displays;
}

}  // namespace brevanor

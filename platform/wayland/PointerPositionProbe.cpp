#include "platform/wayland/PointerPositionProbe.h"

#include <sys/mman.h>
#include <unistd.h>

#include <vector>
#include <wayland-client.h>

#include "base/time/MonotonicClock.h"
#include "core/store/FileDescriptor.h"
#include "platform/wayland/WaylandConnection.h"
#include "platform/wayland/viewporter-client-protocol.h"
#include "platform/wayland/wlr-layer-shell-unstable-v1-client-protocol.h"

namespace brevanor {

// One output's transparent cover while a probe runs.
struct PointerPositionProbe::Overlay {
    WaylandConnection::Output output;
    wl_surface* surface = nullptr;
    wp_viewport* viewport = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    wl_buffer* buffer = nullptr;  // shared by all overlays, owned by the probe's run

    ~Overlay() {
        if (layer) zwlr_layer_surface_v1_destroy(layer);
        if (viewport) wp_viewport_destroy(viewport);
        if (surface) wl_surface_destroy(surface);
    }
};

struct ProbeListeners {
    // The compositor gave the cover its size (the output's): one transparent
    // pixel stretched over it maps the surface.
    static void configure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                          std::uint32_t height) {
        auto* overlay = static_cast<PointerPositionProbe::Overlay*>(data);
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        if (width == 0 || height == 0) return;
        wp_viewport_set_destination(overlay->viewport, static_cast<std::int32_t>(width),
                                    static_cast<std::int32_t>(height));
        wl_surface_attach(overlay->surface, overlay->buffer, 0, 0);
        wl_surface_commit(overlay->surface);
    }
    static void closed(void*, zwlr_layer_surface_v1*) {}

    static void enter(void* data, wl_pointer*, std::uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y) {
        auto* probe = static_cast<PointerPositionProbe*>(data);
        probe->enteredSurface_ = surface;
        probe->entered_ = Point{wl_fixed_to_double(x), wl_fixed_to_double(y)};
    }
    static void leave(void*, wl_pointer*, std::uint32_t, wl_surface*) {}
    static void motion(void*, wl_pointer*, std::uint32_t, wl_fixed_t, wl_fixed_t) {}
    static void button(void*, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
    static void axis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {}
    static void frame(void*, wl_pointer*) {}
    static void axisSource(void*, wl_pointer*, std::uint32_t) {}
    static void axisStop(void*, wl_pointer*, std::uint32_t, std::uint32_t) {}
    static void axisDiscrete(void*, wl_pointer*, std::uint32_t, std::int32_t) {}
    static void axisValue120(void*, wl_pointer*, std::uint32_t, std::int32_t) {}

    static constexpr zwlr_layer_surface_v1_listener layerListener{configure, closed};
    static constexpr wl_pointer_listener pointerListener{enter, leave,      motion,   button,       axis,
                                                         frame, axisSource, axisStop, axisDiscrete, axisValue120};
};

PointerPositionProbe::PointerPositionProbe(std::string displayName) : displayName_(std::move(displayName)) {}

PointerPositionProbe::~PointerPositionProbe() {
    if (pointer_) wl_pointer_destroy(pointer_);
}

bool PointerPositionProbe::ready() {
    if (!connectionTried_) {
        connectionTried_ = true;
        try {
            connection_ = std::make_unique<WaylandConnection>(displayName_);
        } catch (const std::exception&) {
            return false;
        }
    }
    if (!connection_ || !connection_->isAlive()) return false;
    if (!connection_->compositor() || !connection_->sharedMemory() || !connection_->viewporter() ||
        !connection_->layerShell() || !connection_->seat()) {
        return false;
    }
    if (!pointer_ && connection_->seatHasPointer()) {
        pointer_ = wl_seat_get_pointer(connection_->seat());
        wl_pointer_add_listener(pointer_, &ProbeListeners::pointerListener, this);
    }
    return pointer_ != nullptr;
}

std::optional<Point> PointerPositionProbe::locate(int timeoutMillis) {
    if (!ready()) return std::nullopt;

    // One transparent pixel: no output's worth of memory per probe.
    const FileDescriptor pixelFile(memfd_create("brevanor-pointer-probe", MFD_CLOEXEC));
    if (!pixelFile.isOpen() || ftruncate(pixelFile.get(), 4) != 0) return std::nullopt;
    wl_shm_pool* pool = wl_shm_create_pool(connection_->sharedMemory(), pixelFile.get(), 4);
    wl_buffer* pixel = wl_shm_pool_create_buffer(pool, 0, 1, 1, 4, WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);

    enteredSurface_ = nullptr;
    std::vector<std::unique_ptr<Overlay>> overlays;
    for (const WaylandConnection::Output& output : connection_->outputs()) {
        auto overlay = std::make_unique<Overlay>();
        overlay->output = output;
        overlay->buffer = pixel;
        overlay->surface = wl_compositor_create_surface(connection_->compositor());
        overlay->viewport = wp_viewporter_get_viewport(connection_->viewporter(), overlay->surface);
        overlay->layer =
            zwlr_layer_shell_v1_get_layer_surface(connection_->layerShell(), overlay->surface, output.handle,
                                                  ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "brevanor-pointer-probe");
        zwlr_layer_surface_v1_set_anchor(overlay->layer,
                                         ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                             ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        // Over panels and bars too, and never taking the keyboard.
        zwlr_layer_surface_v1_set_exclusive_zone(overlay->layer, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(overlay->layer,
                                                         ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
        zwlr_layer_surface_v1_add_listener(overlay->layer, &ProbeListeners::layerListener, overlay.get());
        wl_surface_commit(overlay->surface);
        overlays.push_back(std::move(overlay));
    }

    const std::uint64_t deadline = MonotonicClock::now() + static_cast<std::uint64_t>(timeoutMillis) * 1'000'000;
    for (std::uint64_t now = MonotonicClock::now(); !enteredSurface_ && now < deadline; now = MonotonicClock::now()) {
        if (!connection_->flush(static_cast<int>((deadline - now + 999'999) / 1'000'000))) break;
    }
    std::optional<Point> place;
    for (const auto& overlay : overlays) {
        if (overlay->surface == enteredSurface_) {
            place = Point{overlay->output.x + entered_.x, overlay->output.y + entered_.y};
        }
    }
    // Gone at once, so the windows beneath get the pointer back.
    overlays.clear();
    wl_buffer_destroy(pixel);
    connection_->flush();
    enteredSurface_ = nullptr;
    return place;
}

}  // namespace brevanor

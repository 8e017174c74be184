#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct wl_compositor;
struct wl_display;
struct wl_registry;
struct wl_seat;
struct wl_keyboard;
struct wl_output;
struct wl_shm;
struct wp_viewporter;
struct zwlr_layer_shell_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;
struct zwlr_virtual_pointer_manager_v1;
struct zwp_virtual_keyboard_manager_v1;

namespace brevanor {

// One client connection to the Wayland compositor with the globals Brevanor
// needs: the first seat and its keymap, the outputs with their place in the
// layout, and where the compositor offers them (wlroots compositors do) the
// managers of virtual pointers and keyboards and the layer shell. Not thread-safe: each user
// owns its connection and calls it from one thread at a time.
class WaylandConnection {
public:
    // One output as the layout places it, in layout pixels.
    struct Output {
        std::string name;
        std::int32_t x = 0;
        std::int32_t y = 0;
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::int32_t scale = 1;
        wl_output* handle = nullptr;
    };

    // Connects to `displayName` (empty: $WAYLAND_DISPLAY, else wayland-0) and
    // reads the globals. Throws PlatformUnavailableError when it cannot.
    explicit WaylandConnection(const std::string& displayName = {});
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    wl_display* display() const { return display_; }
    wl_seat* seat() const { return seat_; }
    zwlr_virtual_pointer_manager_v1* pointerManager() const { return pointerManager_; }
    zwp_virtual_keyboard_manager_v1* keyboardManager() const { return keyboardManager_; }
    wl_compositor* compositor() const { return compositor_; }
    wl_shm* sharedMemory() const { return shm_; }
    wp_viewporter* viewporter() const { return viewporter_; }
    zwlr_layer_shell_v1* layerShell() const { return layerShell_; }
    // Whether the seat has a pointer now.
    bool seatHasPointer() const { return seatHasPointer_; }

    // The keymap text the seat's keyboard announced (XKB v1 format); empty
    // when the seat has no keyboard yet.
    const std::string& seatKeymap() const { return seatKeymap_; }
    // The outputs that announced a complete place in the layout, in announcement order.
    std::vector<Output> outputs() const;
    // Sends what is queued and handles what arrived, waiting for the
    // compositor to answer everything sent so far. False once the connection broke.
    bool roundtrip();
    // Sends what is queued and handles what arrived, waiting up to
    // `waitMillis` for something to arrive (none: not at all).
    bool flush(int waitMillis = 0);
    bool isAlive() const;

private:
    struct OutputEntry;
    friend struct WaylandListeners;

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    zxdg_output_manager_v1* xdgOutputManager_ = nullptr;
    zwlr_virtual_pointer_manager_v1* pointerManager_ = nullptr;
    zwp_virtual_keyboard_manager_v1* keyboardManager_ = nullptr;
    wl_compositor* compositor_ = nullptr;
    wl_shm* shm_ = nullptr;
    wp_viewporter* viewporter_ = nullptr;
    zwlr_layer_shell_v1* layerShell_ = nullptr;
    bool seatHasPointer_ = false;
    std::vector<OutputEntry*> outputs_;
    std::string seatKeymap_;
};

}  // namespace brevanor

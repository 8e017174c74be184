#include "platform/wayland/WaylandConnection.h"

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <wayland-client.h>

#include "base/platform/PlatformServices.h"
#include "core/store/FileDescriptor.h"
#include "platform/wayland/viewporter-client-protocol.h"
#include "platform/wayland/virtual-keyboard-unstable-v1-client-protocol.h"
#include "platform/wayland/wlr-layer-shell-unstable-v1-client-protocol.h"
#include "platform/wayland/wlr-virtual-pointer-unstable-v1-client-protocol.h"
#include "platform/wayland/xdg-output-unstable-v1-client-protocol.h"

namespace brevanor {

// What one wl_output has told so far. The layout place comes from xdg-output
// (logical position and size, scale already applied); the output's own mode
// stands in where the compositor has no xdg-output.
struct WaylandConnection::OutputEntry {
    std::uint32_t name = 0;  // the registry's, to find the output when it goes away
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    Output place;
    bool hasLogicalPosition = false;
    bool hasLogicalSize = false;
    std::int32_t modeWidth = 0;
    std::int32_t modeHeight = 0;
};

struct WaylandListeners {
    static void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                       std::uint32_t version) {
        auto* self = static_cast<WaylandConnection*>(data);
        const std::string_view id(interface);
        if (id == wl_seat_interface.name && !self->seat_) {
            self->seat_ = static_cast<wl_seat*>(
                wl_registry_bind(registry, name, &wl_seat_interface, std::min<std::uint32_t>(version, 5)));
            wl_seat_add_listener(self->seat_, &seatListener, self);
        } else if (id == wl_output_interface.name) {
            auto* entry = new WaylandConnection::OutputEntry;
            entry->name = name;
            entry->output = static_cast<wl_output*>(
                wl_registry_bind(registry, name, &wl_output_interface, std::min<std::uint32_t>(version, 3)));
            wl_output_add_listener(entry->output, &outputListener, entry);
            self->outputs_.push_back(entry);
            if (self->xdgOutputManager_) watchXdgOutput(self->xdgOutputManager_, entry);
        } else if (id == zxdg_output_manager_v1_interface.name) {
            self->xdgOutputManager_ = static_cast<zxdg_output_manager_v1*>(wl_registry_bind(
                registry, name, &zxdg_output_manager_v1_interface, std::min<std::uint32_t>(version, 3)));
            for (auto* entry : self->outputs_) watchXdgOutput(self->xdgOutputManager_, entry);
        } else if (id == zwlr_virtual_pointer_manager_v1_interface.name) {
            self->pointerManager_ = static_cast<zwlr_virtual_pointer_manager_v1*>(wl_registry_bind(
                registry, name, &zwlr_virtual_pointer_manager_v1_interface, std::min<std::uint32_t>(version, 2)));
        } else if (id == zwp_virtual_keyboard_manager_v1_interface.name) {
            self->keyboardManager_ = static_cast<zwp_virtual_keyboard_manager_v1*>(
                wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
        } else if (id == wl_compositor_interface.name) {
            self->compositor_ = static_cast<wl_compositor*>(
                wl_registry_bind(registry, name, &wl_compositor_interface, std::min<std::uint32_t>(version, 4)));
        } else if (id == wl_shm_interface.name) {
            self->shm_ = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
        } else if (id == wp_viewporter_interface.name) {
            self->viewporter_ =
                static_cast<wp_viewporter*>(wl_registry_bind(registry, name, &wp_viewporter_interface, 1));
        } else if (id == zwlr_layer_shell_v1_interface.name) {
            self->layerShell_ = static_cast<zwlr_layer_shell_v1*>(
                wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, std::min<std::uint32_t>(version, 3)));
        }
    }
    // An output unplugged leaves the layout.
    static void globalRemove(void* data, wl_registry*, std::uint32_t name) {
        auto& outputs = static_cast<WaylandConnection*>(data)->outputs_;
        const auto found =
            std::find_if(outputs.begin(), outputs.end(), [&](auto* entry) { return entry->name == name; });
        if (found == outputs.end()) return;
        destroy(*found);
        outputs.erase(found);
    }
    static void destroy(WaylandConnection::OutputEntry* entry) {
        if (entry->xdgOutput) zxdg_output_v1_destroy(entry->xdgOutput);
        wl_output_destroy(entry->output);
        delete entry;
    }

    static void watchXdgOutput(zxdg_output_manager_v1* manager, WaylandConnection::OutputEntry* entry) {
        if (entry->xdgOutput) return;
        entry->xdgOutput = zxdg_output_manager_v1_get_xdg_output(manager, entry->output);
        zxdg_output_v1_add_listener(entry->xdgOutput, &xdgOutputListener, entry);
    }

    static void capabilities(void* data, wl_seat* seat, std::uint32_t capabilities) {
        auto* self = static_cast<WaylandConnection*>(data);
        self->seatHasPointer_ = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
        if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !self->keyboard_) {
            self->keyboard_ = wl_seat_get_keyboard(seat);
            wl_keyboard_add_listener(self->keyboard_, &keyboardListener, self);
        }
    }
    static void seatName(void*, wl_seat*, const char*) {}

    static void keymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size) {
        auto* self = static_cast<WaylandConnection*>(data);
        const FileDescriptor keymapFile(fd);
        if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
            void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, keymapFile.get(), 0);
            if (text != MAP_FAILED) {
                // The text ends with its terminating zero, which the string does not keep.
                self->seatKeymap_.assign(static_cast<const char*>(text), strnlen(static_cast<const char*>(text), size));
                munmap(text, size);
            }
        }
    }
    static void enter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
    static void leave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
    static void key(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
    static void modifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                          std::uint32_t) {}
    static void repeatInfo(void*, wl_keyboard*, std::int32_t, std::int32_t) {}

    // The output's place as wl_output gives it; xdg-output's logical place, where there is one, counts instead.
    static void geometry(void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
                         std::int32_t, const char*, const char*, std::int32_t) {
        auto* entry = static_cast<WaylandConnection::OutputEntry*>(data);
        if (entry->hasLogicalPosition) return;
        entry->place.x = x;
        entry->place.y = y;
    }
    static void mode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
                     std::int32_t) {
        auto* entry = static_cast<WaylandConnection::OutputEntry*>(data);
        if (flags & WL_OUTPUT_MODE_CURRENT) {
            entry->modeWidth = width;
            entry->modeHeight = height;
        }
    }
    static void outputDone(void*, wl_output*) {}
    static void scale(void* data, wl_output*, std::int32_t factor) {
        static_cast<WaylandConnection::OutputEntry*>(data)->place.scale = factor;
    }

    static void logicalPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
        auto* entry = static_cast<WaylandConnection::OutputEntry*>(data);
        entry->place.x = x;
        entry->place.y = y;
        entry->hasLogicalPosition = true;
    }
    static void logicalSize(void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
        auto* entry = static_cast<WaylandConnection::OutputEntry*>(data);
        entry->place.width = width;
        entry->place.height = height;
        entry->hasLogicalSize = true;
    }
    static void xdgDone(void*, zxdg_output_v1*) {}
    static void xdgName(void* data, zxdg_output_v1*, const char* name) {
        static_cast<WaylandConnection::OutputEntry*>(data)->place.name = name;
    }
    static void xdgDescription(void*, zxdg_output_v1*, const char*) {}

    static constexpr wl_registry_listener registryListener{global, globalRemove};
    static constexpr wl_seat_listener seatListener{capabilities, seatName};
    static constexpr wl_keyboard_listener keyboardListener{keymap, enter, leave, key, modifiers, repeatInfo};
    static constexpr wl_output_listener outputListener{geometry, mode, outputDone, scale, nullptr, nullptr};
    static constexpr zxdg_output_v1_listener xdgOutputListener{logicalPosition, logicalSize, xdgDone, xdgName,
                                                               xdgDescription};
};

WaylandConnection::WaylandConnection(const std::string& displayName) {
    display_ = wl_display_connect(displayName.empty() ? nullptr : displayName.c_str());
    if (!display_) {
        throw PlatformUnavailableError("cannot connect to the Wayland compositor" +
                                       (displayName.empty() ? std::string() : " " + displayName));
    }
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &WaylandListeners::registryListener, this);
    // Globals first, then what the seat and outputs say, then the keyboard's keymap.
    for (int i = 0; i < 3; ++i) {
        if (!roundtrip()) throw PlatformUnavailableError("the Wayland compositor closed the connection");
    }
}

WaylandConnection::~WaylandConnection() {
    for (OutputEntry* entry : outputs_) WaylandListeners::destroy(entry);
    if (xdgOutputManager_) zxdg_output_manager_v1_destroy(xdgOutputManager_);
    if (pointerManager_) zwlr_virtual_pointer_manager_v1_destroy(pointerManager_);
    if (keyboardManager_) zwp_virtual_keyboard_manager_v1_destroy(keyboardManager_);
    if (layerShell_) zwlr_layer_shell_v1_destroy(layerShell_);
    if (viewporter_) wp_viewporter_destroy(viewporter_);
    if (shm_) wl_shm_destroy(shm_);
    if (compositor_) wl_compositor_destroy(compositor_);
    if (keyboard_) wl_keyboard_destroy(keyboard_);
    if (seat_) wl_seat_destroy(seat_);
    wl_registry_destroy(registry_);
    wl_display_flush(display_);
    wl_display_disconnect(display_);
}

std::vector<WaylandConnection::Output> WaylandConnection::outputs() const {
    std::vector<Output> places;
    for (const OutputEntry* entry : outputs_) {
        Output place = entry->place;
        place.handle = entry->output;
        if (!entry->hasLogicalSize) {
            // Without xdg-output the mode over the scale is the size in the layout.
            if (entry->modeWidth <= 0 || entry->place.scale <= 0) continue;
            place.width = entry->modeWidth / entry->place.scale;
            place.height = entry->modeHeight / entry->place.scale;
        }
        if (place.width > 0 && place.height > 0) places.push_back(place);
    }
    return places;
}

bool WaylandConnection::roundtrip() { return wl_display_roundtrip(display_) >= 0; }

bool WaylandConnection::flush(int waitMillis) {
    // Read whatever has arrived, so the compositor's queue to us never fills.
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) return false;
    }
    const bool sent = wl_display_flush(display_) >= 0 || errno == EAGAIN;
    pollfd socket{wl_display_get_fd(display_), POLLIN, 0};
    if (poll(&socket, 1, waitMillis) > 0) {
        wl_display_read_events(display_);
    } else {
        wl_display_cancel_read(display_);
    }
    return sent && wl_display_dispatch_pending(display_) >= 0;
}

bool WaylandConnection::isAlive() const { return wl_display_get_error(display_) == 0; }

}  // namespace brevanor

// A full-screen Wayland client that logs, one line each on standard output,
// what the compositor delivers to it: the outside witness of what a replay did
// on Wayland, for the tests and the benchmarks, as the harness logger is on X11.
//   ready WIDTH HEIGHT              the surface is up, full-screen
//   button BUTTON STATE X Y
//   key KEY STATE
//   modifiers DEPRESSED LATCHED LOCKED GROUP
// Started with --times, each button and key line ends with the moment it was
// received, CLOCK_MONOTONIC nanoseconds. It ends when it is terminated or the
// compositor goes away.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <wayland-client.h>

#include "xdg-shell-client-protocol.h"

namespace {

struct Client {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    wl_seat* seat = nullptr;
    xdg_wm_base* wmBase = nullptr;
    wl_surface* surface = nullptr;
    wl_buffer* buffer = nullptr;
    wl_pointer* pointer = nullptr;
    wl_keyboard* keyboard = nullptr;
    double x = 0, y = 0;
    int width = 0, height = 0;
    bool configured = false;
    bool closed = false;
};

bool withTimes = false;

unsigned long long receivedAt() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<unsigned long long>(now.tv_sec) * 1'000'000'000ull +
           static_cast<unsigned long long>(now.tv_nsec);
}

void line(const char* format, auto... values) {
    std::printf(format, values...);
    std::fflush(stdout);
}

// Ends a button or key line, with the moment it was received when asked for.
void endTimedLine() {
    if (withTimes) std::printf(" %llu", receivedAt());
    line("\n");
}

wl_buffer* whiteBuffer(wl_shm* shm, int width, int height) {
    const int stride = width * 4, size = stride * height;
    const int fd = memfd_create("logging-client", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, size) != 0) return nullptr;
    void* pixels = mmap(nullptr, static_cast<size_t>(size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (pixels != MAP_FAILED) {
        std::memset(pixels, 0xff, static_cast<size_t>(size));
        munmap(pixels, static_cast<size_t>(size));
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, size);
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_XRGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return buffer;
}

void pointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
    auto* client = static_cast<Client*>(data);
    client->x = wl_fixed_to_double(x);
    client->y = wl_fixed_to_double(y);
}
void pointerEnter(void* data, wl_pointer* pointer, uint32_t, wl_surface*, wl_fixed_t x, wl_fixed_t y) {
    pointerMotion(data, pointer, 0, x, y);
}
void pointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) {}
void pointerButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state) {
    auto* client = static_cast<Client*>(data);
    std::printf("button %u %u %.2f %.2f", button, state, client->x, client->y);
    endTimedLine();
}
void pointerAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void pointerFrame(void*, wl_pointer*) {}
void pointerAxisSource(void*, wl_pointer*, uint32_t) {}
void pointerAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void pointerAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
const wl_pointer_listener pointerListener{
    pointerEnter,      pointerLeave,    pointerMotion,       pointerButton, pointerAxis, pointerFrame,
    pointerAxisSource, pointerAxisStop, pointerAxisDiscrete, nullptr};  // axis_value120: never sent to a version-5 seat

void keymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { close(fd); }
void keyboardEnter(void*, wl_keyboard*, uint32_t, wl_surface*, wl_array*) {}
void keyboardLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
void key(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
    std::printf("key %u %u", key, state);
    endTimedLine();
}
void modifiers(void*, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t latched, uint32_t locked, uint32_t group) {
    line("modifiers %u %u %u %u\n", depressed, latched, locked, group);
}
void repeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}
const wl_keyboard_listener keyboardListener{keymap, keyboardEnter, keyboardLeave, key, modifiers, repeatInfo};

void capabilities(void* data, wl_seat* seat, uint32_t capabilities) {
    auto* client = static_cast<Client*>(data);
    if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && !client->pointer) {
        client->pointer = wl_seat_get_pointer(seat);
        wl_pointer_add_listener(client->pointer, &pointerListener, client);
    }
    if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !client->keyboard) {
        client->keyboard = wl_seat_get_keyboard(seat);
        wl_keyboard_add_listener(client->keyboard, &keyboardListener, client);
    }
}
void seatName(void*, wl_seat*, const char*) {}
const wl_seat_listener seatListener{capabilities, seatName};

void ping(void*, xdg_wm_base* base, uint32_t serial) { xdg_wm_base_pong(base, serial); }
const xdg_wm_base_listener wmBaseListener{ping};

void surfaceConfigure(void* data, xdg_surface* surface, uint32_t serial) {
    auto* client = static_cast<Client*>(data);
    xdg_surface_ack_configure(surface, serial);
    // The first configure may leave the size to us; the compositor maps the
    // window with a buffer of any size, then asks for the full screen.
    const bool sized = client->width > 0 && client->height > 0;
    const int width = sized ? client->width : 64, height = sized ? client->height : 64;
    if (client->buffer) wl_buffer_destroy(client->buffer);
    client->buffer = whiteBuffer(client->shm, width, height);
    wl_surface_attach(client->surface, client->buffer, 0, 0);
    wl_surface_damage(client->surface, 0, 0, width, height);
    wl_surface_commit(client->surface);
    client->configured = sized;
}
const xdg_surface_listener surfaceListener{surfaceConfigure};

void toplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
    auto* client = static_cast<Client*>(data);
    if (width > 0 && height > 0) {
        client->width = width;
        client->height = height;
    }
}
void toplevelClose(void* data, xdg_toplevel*) { static_cast<Client*>(data)->closed = true; }
const xdg_toplevel_listener toplevelListener{toplevelConfigure, toplevelClose};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    auto* client = static_cast<Client*>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        client->compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        client->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !client->seat) {
        client->seat =
            static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, version < 5 ? version : 5));
        wl_seat_add_listener(client->seat, &seatListener, client);
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
        client->wmBase = static_cast<xdg_wm_base*>(wl_registry_bind(registry, name, &xdg_wm_base_interface, 1));
        xdg_wm_base_add_listener(client->wmBase, &wmBaseListener, client);
    }
}
void globalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener{global, globalRemove};

}  // namespace

int main(int argc, char** argv) {
    withTimes = argc > 1 && std::strcmp(argv[1], "--times") == 0;
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "logging client: no Wayland compositor\n");
        return 1;
    }
    Client client;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &client);
    wl_display_roundtrip(display);
    if (!client.compositor || !client.shm || !client.wmBase || !client.seat) {
        std::fprintf(stderr, "logging client: the compositor lacks a needed global\n");
        return 1;
    }
    client.surface = wl_compositor_create_surface(client.compositor);
    xdg_surface* shellSurface = xdg_wm_base_get_xdg_surface(client.wmBase, client.surface);
    xdg_surface_add_listener(shellSurface, &surfaceListener, &client);
    xdg_toplevel* toplevel = xdg_surface_get_toplevel(shellSurface);
    xdg_toplevel_add_listener(toplevel, &toplevelListener, &client);
    xdg_toplevel_set_title(toplevel, "Brevanor logging client");
    xdg_toplevel_set_fullscreen(toplevel, nullptr);
    wl_surface_commit(client.surface);
    while (!client.configured && wl_display_dispatch(display) >= 0) {
    }
    wl_display_roundtrip(display);
    line("ready %d %d\n", client.width, client.height);

    while (!client.closed && wl_display_dispatch(display) >= 0) {
    }
    wl_display_disconnect(display);
    return 0;
}

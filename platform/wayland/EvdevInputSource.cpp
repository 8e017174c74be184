#include "platform/wayland/EvdevInputSource.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <libudev.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "core/store/FileDescriptor.h"
#include "platform/wayland/AnchoredPointerPath.h"
#include "platform/wayland/EvdevEventConverter.h"
#include "platform/wayland/PointerPositionProbe.h"
#include "platform/wayland/UinputInputInjector.h"

namespace brevanor {

namespace {

bool isInputProperty(udev_device* device, const char* name) {
    const char* value = udev_device_get_property_value(device, name);
    return value && std::strcmp(value, "1") == 0;
}

// Keyboards, mice and touchpads: the devices a user types and points with; or keyboards alone.
bool isUserInput(udev_device* device, EvdevInputSource::Devices devices) {
    const char* node = udev_device_get_devnode(device);
    if (!node || std::strncmp(node, "/dev/input/event", 16) != 0) return false;
    if (isInputProperty(device, "ID_INPUT_KEYBOARD")) return true;
    return devices == EvdevInputSource::Devices::all &&
           (isInputProperty(device, "ID_INPUT_MOUSE") || isInputProperty(device, "ID_INPUT_TOUCHPAD"));
}

// Calls `use` with each of those `devices` udev knows, until it returns false.
void forEachUserInput(udev* context, EvdevInputSource::Devices devices, const std::function<bool(udev_device*)>& use) {
    udev_enumerate* enumerate = udev_enumerate_new(context);
    udev_enumerate_add_match_subsystem(enumerate, "input");
    udev_enumerate_scan_devices(enumerate);
    udev_list_entry* entry = nullptr;
    bool more = true;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
        if (!more) break;
        udev_device* device = udev_device_new_from_syspath(context, udev_list_entry_get_name(entry));
        if (device && isUserInput(device, devices)) more = use(device);
        if (device) udev_device_unref(device);
    }
    udev_enumerate_unref(enumerate);
}

struct EvdevFree {
    void operator()(libevdev* evdev) const { libevdev_free(evdev); }
};

// One open input device. Its reader is freed before its descriptor closes.
struct Device {
    FileDescriptor fd;
    std::unique_ptr<libevdev, EvdevFree> evdev;
    bool toldUnreadable = false;
};

}  // namespace

struct EvdevInputSource::Session {
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
    FileDescriptor wakeRead;
    FileDescriptor wakeWrite;
    std::map<std::string, Device> devices;  // by device node
    EvdevInputSource::Devices devicesRead = EvdevInputSource::Devices::all;
    Sink sink;
    PointerPositionProbe* probe = nullptr;  // the source's; none: positions stay relative
    // Taken by the reading thread around each batch of events, and by a change of tracking.
    std::mutex positionsMutex;
    EvdevEventConverter converter;
    AnchoredPointerPath path;
    bool tracking = false;

    void handOn(const std::vector<TapEvent>& events) const {
        for (const TapEvent& event : events) sink(event);
    }
    // Where the compositor has the pointer, asked only with every button up:
    // the moment's overlay must never take a click.
    void anchor() {
        if (path.buttonHeld()) return;
        handOn(path.anchor(probe->locate(), converter.location()));
    }

    ~Session() {
        if (monitor) udev_monitor_unref(monitor);
        if (context) udev_unref(context);
    }

    // Opens the device unless it is open already; false when it cannot be read.
    bool open(udev_device* device) {
        const std::string node = udev_device_get_devnode(device);
        if (devices.contains(node)) return true;
        FileDescriptor fd(::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (!fd.isOpen()) return false;
        libevdev* evdev = nullptr;
        if (libevdev_new_from_fd(fd.get(), &evdev) != 0) return false;
        Device opened{std::move(fd), std::unique_ptr<libevdev, EvdevFree>(evdev)};
        // Brevanor's own replay device on KDE and GNOME: what it types is no user's input.
        const char* name = libevdev_get_name(evdev);
        if (name && std::strcmp(name, UinputInputInjector::kDeviceName) == 0) return true;
        // The events' own times on the clock of everything else; a device that
        // refuses keeps the kernel's default and its events are still recorded.
        libevdev_set_clock_id(evdev, CLOCK_MONOTONIC);
        devices[node] = std::move(opened);
        return true;
    }
};

EvdevInputSource::EvdevInputSource(Devices devices, std::unique_ptr<PointerPositionProbe> probe)
    : devices_(devices), probe_(std::move(probe)) {}

EvdevInputSource::~EvdevInputSource() { stop(); }

bool EvdevInputSource::canReadInputDevices() {
    udev* context = udev_new();
    if (!context) return false;
    // Asked on the UI thread at every permission check: the access rights of
    // the nodes answer without opening a device, up to the first readable one.
    bool readable = false;
    forEachUserInput(context, Devices::all, [&](udev_device* device) {
        readable = access(udev_device_get_devnode(device), R_OK) == 0;
        return !readable;
    });
    udev_unref(context);
    return readable;
}

bool EvdevInputSource::start(Sink sink) {
    std::lock_guard lock(mutex_);
    if (session_) return true;
    auto session = std::make_shared<Session>();
    session->devicesRead = devices_;
    session->sink = std::move(sink);
    session->probe = probe_.get();
    session->context = udev_new();
    int wake[2];
    if (!session->context || pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    session->wakeRead = FileDescriptor(wake[0]);
    session->wakeWrite = FileDescriptor(wake[1]);
    // Watch for devices before listing them, so none plugged in between is missed.
    session->monitor = udev_monitor_new_from_netlink(session->context, "udev");
    if (session->monitor) {
        udev_monitor_filter_add_match_subsystem_devtype(session->monitor, "input", nullptr);
        udev_monitor_enable_receiving(session->monitor);
    }
    forEachUserInput(session->context, devices_, [&](udev_device* device) {
        session->open(device);
        return true;
    });
    if (session->devices.empty()) return false;

    session_ = session;
    applyTracking(*session, tracking_ && probe_);
    thread_ = std::thread([session] {
        pthread_setname_np(pthread_self(), "input-tap");  // names hold 15 bytes, longer ones are refused
        run(*session);
    });
    return true;
}

bool EvdevInputSource::reportsScreenPositions() const {
    std::shared_ptr<Session> session;
    {
        std::lock_guard lock(mutex_);
        session = session_;
    }
    if (!session) return false;
    std::lock_guard lock(session->positionsMutex);
    return session->tracking && session->path.isAnchored();
}

void EvdevInputSource::trackScreenPositions(bool on) {
    std::shared_ptr<Session> session;
    {
        std::lock_guard lock(mutex_);
        tracking_ = on;
        session = session_;
    }
    if (session) applyTracking(*session, on && probe_);
}

void EvdevInputSource::applyTracking(Session& session, bool on) {
    std::lock_guard lock(session.positionsMutex);
    if (on == session.tracking) return;
    session.tracking = on;
    if (on) {
        session.anchor();
    } else {
        session.handOn(session.path.reset());
    }
}

void EvdevInputSource::stop() {
    std::thread thread;
    {
        std::lock_guard lock(mutex_);
        if (!session_) return;
        // Nothing held back is lost; the sink hears nothing once stop() returns.
        std::lock_guard positions(session_->positionsMutex);
        session_->handOn(session_->path.reset());
        session_->tracking = false;
        const char wake = 0;
        [[maybe_unused]] const auto written = write(session_->wakeWrite.get(), &wake, 1);
        thread = std::move(thread_);
        session_.reset();
    }
    // Joined, so the sink is not called once stop() returns.
    thread.join();
}

void EvdevInputSource::run(Session& session) {
    for (;;) {
        std::vector<pollfd> waits{{session.wakeRead.get(), POLLIN, 0}};
        if (session.monitor) waits.push_back({udev_monitor_get_fd(session.monitor), POLLIN, 0});
        std::vector<std::string> nodes;
        for (const auto& [node, device] : session.devices) {
            waits.push_back({device.fd.get(), POLLIN, 0});
            nodes.push_back(node);
        }
        if (poll(waits.data(), waits.size(), -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (waits[0].revents) return;
        const std::size_t firstDevice = session.monitor ? 2 : 1;
        if (session.monitor && (waits[1].revents & POLLIN)) {
            if (udev_device* device = udev_monitor_receive_device(session.monitor)) {
                const char* action = udev_device_get_action(device);
                const char* node = udev_device_get_devnode(device);
                if (action && std::strcmp(action, "add") == 0 && isUserInput(device, session.devicesRead))
                    session.open(device);
                if (action && node && std::strcmp(action, "remove") == 0) session.devices.erase(node);
                udev_device_unref(device);
            }
        }
        std::lock_guard positions(session.positionsMutex);
        for (std::size_t i = firstDevice; i < waits.size(); ++i) {
            if (!waits[i].revents) continue;
            const auto found = session.devices.find(nodes[i - firstDevice]);
            if (found == session.devices.end()) continue;
            input_event event{};
            unsigned int flag = LIBEVDEV_READ_FLAG_NORMAL;
            int status = 0;
            // Everything queued now, in order. After the kernel dropped events,
            // libevdev first hands out what brings the device's state up to date.
            for (;;) {
                status = libevdev_next_event(found->second.evdev.get(), flag, &event);
                if (status == -EAGAIN && flag == LIBEVDEV_READ_FLAG_SYNC) {
                    flag = LIBEVDEV_READ_FLAG_NORMAL;
                    continue;
                }
                if (status < 0) break;
                if (status == LIBEVDEV_READ_STATUS_SYNC) flag = LIBEVDEV_READ_FLAG_SYNC;
                for (const TapEvent& converted : session.converter.convert(event)) {
                    session.handOn(session.path.place(converted));
                }
            }
            if (status == -ENODEV) {
                session.devices.erase(found);  // unplugged
            } else if (status < 0 && status != -EAGAIN && !found->second.toldUnreadable) {
                // A read that gave no whole events (a driver's or an emulator's
                // fault): what it held is gone, and the user is told once.
                found->second.toldUnreadable = true;
                std::fprintf(stderr, "brevanor: reading %s failed (%s); some of its input may be missing.\n",
                             found->first.c_str(), std::strerror(-status));
            }
        }
        // Right after a release, before any new press can come.
        if (session.tracking && session.path.wantsAnchor()) session.anchor();
    }
}

}  // namespace brevanor

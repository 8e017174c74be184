#include "platform/x11/X11Ewmh.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/x11/X11Owned.h"

namespace brevanor {

namespace {

// Far more than any real list property holds (in 32-bit items).
constexpr long kMaxPropertyLongs = 1 << 16;

using XData = X11Owned<unsigned char>;

std::string latin1ToUtf8(std::string_view text) {
    std::string out;
    for (const unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string hostName() {
    char name[HOST_NAME_MAX + 1] = {};
    return gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string();
}

}  // namespace

X11Ewmh::X11Ewmh(std::shared_ptr<X11Connection> connection)
    : connection_(std::move(connection)), root_(DefaultRootWindow(connection_->display())) {}

unsigned long X11Ewmh::atom(const char* name) {
    // Xlib caches interned atoms, so only the first use of a name costs a round trip.
    return XInternAtom(connection_->display(), name, False);
}

std::optional<std::vector<unsigned long>> X11Ewmh::longs(XWindowId window, const char* property, unsigned long type) {
    if (!isAlive()) return std::nullopt;
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* raw = nullptr;
    const int status = XGetWindowProperty(connection_->display(), window, atom(property), 0, kMaxPropertyLongs, False,
                                          type, &actualType, &format, &count, &after, &raw);
    XData data(raw);
    if (status != Success || actualType != type || format != 32) return std::nullopt;
    // Xlib hands 32-bit items over as longs.
    const auto* items = reinterpret_cast<const long*>(data.get());
    std::vector<unsigned long> values;
    values.reserve(count);
    for (unsigned long i = 0; i < count; ++i) values.push_back(static_cast<unsigned long>(items[i]) & 0xFFFFFFFFul);
    return values;
}

std::optional<std::string> X11Ewmh::bytes(XWindowId window, unsigned long property, unsigned long type) {
    if (!isAlive()) return std::nullopt;
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* raw = nullptr;
    const int status = XGetWindowProperty(connection_->display(), window, property, 0, kMaxPropertyLongs, False, type,
                                          &actualType, &format, &count, &after, &raw);
    XData data(raw);
    if (status != Success || actualType != type || format != 8 || !data) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(data.get()), count);
}

bool X11Ewmh::supports(const char* feature) {
    const auto supported = longs(root_, "_NET_SUPPORTED", XA_ATOM);
    return supported && std::find(supported->begin(), supported->end(), atom(feature)) != supported->end();
}

std::optional<XWindowId> X11Ewmh::activeWindow() {
    const auto active = longs(root_, "_NET_ACTIVE_WINDOW", XA_WINDOW);
    if (!active || active->empty() || active->front() == None) return std::nullopt;
    return active->front();
}

std::vector<XWindowId> X11Ewmh::clientsFrontToBack() {
    if (auto stacking = longs(root_, "_NET_CLIENT_LIST_STACKING", XA_WINDOW)) {
        std::reverse(stacking->begin(), stacking->end());  // the property runs bottom to top
        return *stacking;
    }
    return longs(root_, "_NET_CLIENT_LIST", XA_WINDOW).value_or(std::vector<XWindowId>{});
}

std::optional<std::int32_t> X11Ewmh::processId(XWindowId window) {
    const auto pid = longs(window, "_NET_WM_PID", XA_CARDINAL);
    if (!pid || pid->empty() || pid->front() == 0 || pid->front() > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(pid->front());
}

std::optional<std::string> X11Ewmh::programName(XWindowId window) {
    const auto pid = processId(window);
    if (!pid) return std::nullopt;
    // A process id only means something on the machine the client runs on.
    const auto machine = bytes(window, XA_WM_CLIENT_MACHINE, XA_STRING);
    if (machine && *machine != hostName()) return std::nullopt;
    const std::filesystem::path process = "/proc/" + std::to_string(*pid);
    std::error_code error;
    const auto program = std::filesystem::read_symlink(process / "exe", error);
    if (!error) return program.filename().string();
    // Another user's process hides its program; its command name is still readable.
    std::ifstream comm(process / "comm");
    std::string name;
    if (std::getline(comm, name) && !name.empty()) return name;
    return std::nullopt;
}

std::optional<X11Ewmh::WindowClass> X11Ewmh::windowClass(XWindowId window) {
    const auto raw = bytes(window, XA_WM_CLASS, XA_STRING);
    if (!raw) return std::nullopt;
    const auto split = raw->find('\0');
    WindowClass result;
    result.instance = raw->substr(0, split);
    if (split != std::string::npos) {
        const std::string rest = raw->substr(split + 1);
        result.name = rest.substr(0, rest.find('\0'));
    }
    if (result.instance.empty() && result.name.empty()) return std::nullopt;
    return result;
}

std::optional<std::string> X11Ewmh::title(XWindowId window) {
    if (auto name = bytes(window, atom("_NET_WM_NAME"), atom("UTF8_STRING"))) return name;
    if (auto name = bytes(window, XA_WM_NAME, XA_STRING)) return latin1ToUtf8(*name);
    if (auto name = bytes(window, XA_WM_NAME, atom("UTF8_STRING"))) return name;
    if (!isAlive()) return std::nullopt;
    // Older clients may name their window in compound text.
    XTextProperty property{};
    if (!XGetWMName(connection_->display(), window, &property)) return std::nullopt;
    XData value(property.value);
    char** raw = nullptr;
    int count = 0;
    const int status = Xutf8TextPropertyToTextList(connection_->display(), &property, &raw, &count);
    const std::unique_ptr<char*[], X11Release<XFreeStringList>> list(raw);
    if (status < Success || !list || count <= 0 || !list[0]) return std::nullopt;
    return std::string(list[0]);
}

std::optional<std::vector<std::string>> X11Ewmh::atomList(XWindowId window, const char* property) {
    const auto atoms = longs(window, property, XA_ATOM);
    if (!atoms) return std::nullopt;
    std::vector<std::string> names;
    for (const unsigned long item : *atoms) {
        XData name(reinterpret_cast<unsigned char*>(XGetAtomName(connection_->display(), item)));
        if (name) names.emplace_back(reinterpret_cast<const char*>(name.get()));
    }
    return names;
}

std::optional<XWindowId> X11Ewmh::transientFor(XWindowId window) {
    const auto owner = longs(window, "WM_TRANSIENT_FOR", XA_WINDOW);
    if (!owner || owner->empty() || owner->front() == None) return std::nullopt;
    return owner->front();
}

std::optional<bool> X11Ewmh::hasFixedSize(XWindowId window) {
    if (!isAlive()) return std::nullopt;
    XSizeHints hints{};
    long supplied = 0;
    if (!XGetWMNormalHints(connection_->display(), window, &hints, &supplied)) {
        // No hints at all; tell an absent property from a vanished window.
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(connection_->display(), window, &attributes)) return std::nullopt;
        return false;
    }
    return (hints.flags & PMinSize) && (hints.flags & PMaxSize) && hints.min_width == hints.max_width &&
           hints.min_height == hints.max_height;
}

X11Ewmh::FrameExtents X11Ewmh::frameExtents(XWindowId window) {
    const auto extents = longs(window, "_NET_FRAME_EXTENTS", XA_CARDINAL);
    if (!extents || extents->size() < 4) return {};
    const auto at = [&](std::size_t i) { return static_cast<long>((*extents)[i]); };
    return {at(0), at(1), at(2), at(3)};
}

std::optional<FrameRect> X11Ewmh::frame(XWindowId window) {
    if (!isAlive()) return std::nullopt;
    Display* display = connection_->display();
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) return std::nullopt;
    int x = 0, y = 0;
    Window child = None;
    if (!XTranslateCoordinates(display, window, root_, 0, 0, &x, &y, &child)) return std::nullopt;
    const FrameExtents extents = frameExtents(window);
    const long border = attributes.border_width;
    return FrameRect{static_cast<double>(x - border - extents.left), static_cast<double>(y - border - extents.top),
                     static_cast<double>(attributes.width + 2 * border + extents.left + extents.right),
                     static_cast<double>(attributes.height + 2 * border + extents.top + extents.bottom)};
}

void X11Ewmh::requestActivation(XWindowId window) {
    if (!isAlive()) return;
    Display* display = connection_->display();
    if (supports("_NET_ACTIVE_WINDOW")) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = atom("_NET_ACTIVE_WINDOW");
        event.xclient.format = 32;
        event.xclient.data.l[0] = 2;  // source: a pager, acting for the user
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        XRaiseWindow(display, window);
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
    }
    XFlush(display);
}

void X11Ewmh::requestMoveResize(XWindowId window, std::optional<std::pair<int, int>> topLeft,
                                std::optional<std::pair<int, int>> clientSize) {
    if (!isAlive() || (!topLeft && !clientSize)) return;
    Display* display = connection_->display();
    if (supports("_NET_MOVERESIZE_WINDOW")) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = atom("_NET_MOVERESIZE_WINDOW");
        event.xclient.format = 32;
        // North-west gravity: x and y name the frame's outer top-left corner.
        long flags = NorthWestGravity | (2L << 12);
        if (topLeft) flags |= (1L << 8) | (1L << 9);
        if (clientSize) flags |= (1L << 10) | (1L << 11);
        event.xclient.data.l[0] = flags;
        event.xclient.data.l[1] = topLeft ? topLeft->first : 0;
        event.xclient.data.l[2] = topLeft ? topLeft->second : 0;
        event.xclient.data.l[3] = clientSize ? clientSize->first : 0;
        event.xclient.data.l[4] = clientSize ? clientSize->second : 0;
        XSendEvent(display, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else if (topLeft && clientSize) {
        XMoveResizeWindow(display, window, topLeft->first, topLeft->second, static_cast<unsigned>(clientSize->first),
                          static_cast<unsigned>(clientSize->second));
    } else if (topLeft) {
        XMoveWindow(display, window, topLeft->first, topLeft->second);
    } else {
        XResizeWindow(display, window, static_cast<unsigned>(clientSize->first),
                      static_cast<unsigned>(clientSize->second));
    }
    XFlush(display);
}

}  // namespace brevanor

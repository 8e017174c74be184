#pragma once

#include <cstdint>
#include <unordered_map>

struct _XDisplay;

namespace brevanor {

// Which process owns a top-level window (its _NET_WM_PID, or that of the
// client window a window manager frame holds). Remembered per window, since
// the listener asks for every event; a window that is gone reads as 0.
class X11WindowProcessIds {
public:
    explicit X11WindowProcessIds(_XDisplay* display);

    // 0 when the window, or every window within two levels below it, has no _NET_WM_PID.
    std::int32_t processId(unsigned long window);

private:
    std::int32_t lookUp(unsigned long window, int depth);

    static constexpr std::size_t kCapacity = 512;

    _XDisplay* display_;
    unsigned long pidAtom_;
    std::unordered_map<unsigned long, std::int32_t> known_;
};

}  // namespace brevanor

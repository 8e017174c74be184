#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "base/dispatch/MainQueue.h"
#include "cli/InterruptSignals.h"
#include "core/capture/InputEventTap.h"
#include "core/control/ShortcutWatch.h"

namespace brevanor {

// Everything that ends a recording or a playback run from the command line,
// gathered into one handler on the main queue: the keys ShortcutWatch watches
// through the listener (when one runs) and SIGINT or SIGTERM.
class StopSources {
public:
    struct Request {
        std::optional<ShortcutWatch::Press> press;  // the key that asked, if a key did
        int signalNumber = 0;                       // the signal that asked, if one did
    };
    using Handler = std::function<void(const Request&)>;

    // `tap` may be null: then only signals stop.
    StopSources(std::shared_ptr<InputEventTap> tap, std::optional<HotkeyChord> recordShortcut, HotkeyChord stopShortcut,
                std::shared_ptr<MainQueue> mainQueue, Handler handler);
    ~StopSources();
    StopSources(const StopSources&) = delete;
    StopSources& operator=(const StopSources&) = delete;

private:
    std::shared_ptr<InputEventTap> tap_;
    std::shared_ptr<ShortcutWatch> keys_;
    InterruptSignals signals_;
};

}  // namespace brevanor

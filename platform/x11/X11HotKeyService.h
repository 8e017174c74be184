#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "base/platform/HotKeyService.h"
#include "core/store/FileDescriptor.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11ModifierMap.h"
#include "platform/x11/X11ServerClock.h"

namespace brevanor {

class MainQueue;

// System-wide key combinations through passive key grabs on the root window,
// one for each combination of the chord with Caps Lock and Num Lock, so the
// chord works whatever the lock keys say. A combination another client grabbed
// first is refused with the X error code (BadAccess, 10); so is one this
// service already holds under another id. Holding a chord calls back once,
// not for every auto-repeat, and the grab a press starts is let go at once, so
// the keys that follow reach the focused window. Ctrl+Alt+F1...F12 can be grabbed but never
// arrive: the server turns them into console switches first.
//
// The grabs live on a connection and a thread of their own, which waits for
// key presses and carries out every request, so the connection is only ever
// used from that thread. Presses reach the handler through the main queue.
class X11HotKeyService final : public HotKeyService {
public:
    // The X error code for a key code no key on this server types, and for a
    // chord holding fn, which X servers never report (BadValue).
    static constexpr std::int32_t kUntypeableChord = 2;
    // The combination is taken (BadAccess).
    static constexpr std::int32_t kTaken = 10;
    // The X server went away: nothing can be registered.
    static constexpr std::int32_t kNoServer = -1;

    // Needs the display name (empty: $DISPLAY), for a connection of its own, and
    // the main queue presses are posted to. Throws PlatformUnavailableError
    // when the display cannot be opened.
    X11HotKeyService(const std::string& displayName, std::shared_ptr<MainQueue> mainQueue);
    ~X11HotKeyService() override;
    X11HotKeyService(const X11HotKeyService&) = delete;
    X11HotKeyService& operator=(const X11HotKeyService&) = delete;

    void setPressHandler(PressHandler handler) override;
    std::int32_t registerHotKey(std::uint32_t id, HotkeyChord chord) override;
    void unregisterHotKey(std::uint32_t id) override;
    std::optional<HotkeyChord> chordOfKeyEvent(std::uint32_t nativeKeyCode,
                                               std::uint32_t nativeModifiers) const override;

private:
    struct Grab {
        unsigned int keyCode = 0;
        unsigned int modifiers = 0;  // without the lock modifiers
    };
    // The handler, held weakly by presses waiting on the main queue.
    struct Handler {
        std::mutex mutex;
        PressHandler press;
    };

    void run();
    void runOnThread(std::function<void()> task);
    void wake();
    void selectKeyReleases();
    void readEvents();
    void grabOrUngrab(const Grab& grab, bool doGrab);
    std::int32_t doRegister(std::uint32_t id, HotkeyChord chord);

    X11Connection connection_;
    X11ModifierMap modifierMap_;
    std::shared_ptr<MainQueue> mainQueue_;
    std::shared_ptr<Handler> handler_ = std::make_shared<Handler>();
    FileDescriptor wakeRead_;
    FileDescriptor wakeWrite_;
    int xinputOpcode_ = -1;  // -1: no XInput 2, the grab stays until the chord's key is released

    std::mutex tasksMutex_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;

    // Only touched on the service's thread.
    std::map<std::uint32_t, Grab> grabs_;
    std::set<unsigned int> keysDown_;
    X11ServerClock serverClock_;  // the presses' server times on the monotonic clock

    std::thread thread_;
};

}  // namespace brevanor

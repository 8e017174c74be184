#include "platform/x11/X11HotKeyService.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <future>
#include <stdexcept>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include "base/dispatch/MainQueue.h"
#include "base/time/MonotonicClock.h"
#include "base/values/ModifierKeys.h"
#include "platform/x11/X11KeyCodeMap.h"

namespace brevanor {

namespace {

constexpr std::uint64_t kFnFlag = ModifierKeys::secondaryFnMask;
constexpr unsigned int kChordModifiers = ShiftMask | ControlMask | Mod1Mask | Mod2Mask | Mod3Mask | Mod4Mask | Mod5Mask;

}  // namespace

X11HotKeyService::X11HotKeyService(const std::string& displayName, std::shared_ptr<MainQueue> mainQueue)
    : connection_(displayName),
      modifierMap_(X11ModifierMap::fromServer(connection_.display())),
      mainQueue_(std::move(mainQueue)) {
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error("cannot create the wake-up pipe of the global shortcuts");
    }
    wakeRead_ = FileDescriptor(pipeEnds[0]);
    wakeWrite_ = FileDescriptor(pipeEnds[1]);
    // Without this, a held chord arrives as a stream of presses and releases.
    Bool detectable = False;
    XkbSetDetectableAutoRepeat(connection_.display(), True, &detectable);
    selectKeyReleases();
    XFlush(connection_.display());
    thread_ = std::thread([this] { run(); });
}

X11HotKeyService::~X11HotKeyService() {
    {
        std::lock_guard lock(tasksMutex_);
        stopping_ = true;
    }
    wake();
    thread_.join();
    // Closing the connection releases every grab it holds.
}

void X11HotKeyService::selectKeyReleases() {
    Display* display = connection_.display();
    int event = 0, error = 0, major = 2, minor = 2;
    if (!XQueryExtension(display, "XInputExtension", &xinputOpcode_, &event, &error) ||
        XIQueryVersion(display, &major, &minor) != Success) {
        xinputOpcode_ = -1;
        return;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
}

void X11HotKeyService::wake() {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeWrite_.get(), &byte, 1);
}

void X11HotKeyService::runOnThread(std::function<void()> task) {
    std::promise<void> done;
    auto finished = done.get_future();
    {
        std::lock_guard lock(tasksMutex_);
        tasks_.push_back([&] {
            task();
            done.set_value();
        });
    }
    wake();
    finished.wait();
}

void X11HotKeyService::setPressHandler(PressHandler handler) {
    std::lock_guard lock(handler_->mutex);
    handler_->press = std::move(handler);
}

std::int32_t X11HotKeyService::registerHotKey(std::uint32_t id, HotkeyChord chord) {
    std::int32_t status = 0;
    runOnThread([&] { status = doRegister(id, chord); });
    return status;
}

void X11HotKeyService::unregisterHotKey(std::uint32_t id) {
    runOnThread([&] {
        const auto found = grabs_.find(id);
        if (found == grabs_.end()) return;
        grabOrUngrab(found->second, false);
        XFlush(connection_.display());
        grabs_.erase(found);
    });
}

std::optional<HotkeyChord> X11HotKeyService::chordOfKeyEvent(std::uint32_t nativeKeyCode,
                                                             std::uint32_t nativeModifiers) const {
    if (nativeKeyCode < X11KeyCodeMap::kMinXKeyCode || nativeKeyCode > 255) return std::nullopt;
    return HotkeyChord{X11KeyCodeMap::neutralKeyCode(static_cast<std::uint8_t>(nativeKeyCode)),
                       modifierMap_.eventFlags(nativeModifiers)};
}

void X11HotKeyService::grabOrUngrab(const Grab& grab, bool doGrab) {
    Display* display = connection_.display();
    const Window root = DefaultRootWindow(display);
    const unsigned int numLock = modifierMap_.numLockMask();
    for (const unsigned int locks : {0u, static_cast<unsigned int>(LockMask), numLock, LockMask | numLock}) {
        if (doGrab) {
            XGrabKey(display, static_cast<int>(grab.keyCode), grab.modifiers | locks, root, False, GrabModeAsync,
                     GrabModeAsync);
        } else {
            XUngrabKey(display, static_cast<int>(grab.keyCode), grab.modifiers | locks, root);
        }
    }
}

std::int32_t X11HotKeyService::doRegister(std::uint32_t id, HotkeyChord chord) {
    if (!connection_.isAlive()) return kNoServer;
    const auto keyCode = X11KeyCodeMap::xKeyCode(chord.keyCode);
    if (!keyCode || (chord.modifiers & kFnFlag)) return kUntypeableChord;
    // Caps Lock never takes part in a chord: the lock variants cover it.
    const Grab grab{*keyCode, modifierMap_.xState(chord.modifiers & ~X11ModifierMap::kCapsLockFlag) & kChordModifiers};
    for (const auto& [otherId, other] : grabs_) {
        if (otherId != id && other.keyCode == grab.keyCode && other.modifiers == grab.modifiers) return kTaken;
    }
    if (const auto previous = grabs_.find(id); previous != grabs_.end()) {
        grabOrUngrab(previous->second, false);
        grabs_.erase(previous);
    }
    int error = 0;
    {
        X11Connection::ErrorTrap trap(connection_.display());
        grabOrUngrab(grab, true);
        error = trap.sync();
    }
    if (!connection_.isAlive()) return kNoServer;
    if (error != 0) {
        // Some variants may have been granted before one was refused: give them back.
        grabOrUngrab(grab, false);
        XFlush(connection_.display());
        return error;
    }
    grabs_[id] = grab;
    return 0;
}

void X11HotKeyService::readEvents() {
    Display* display = connection_.display();
    const unsigned int locks = LockMask | modifierMap_.numLockMask();
    while (connection_.isAlive() && XPending(display) > 0) {
        XEvent event{};
        XNextEvent(display, &event);
        if (event.type == GenericEvent && event.xcookie.extension == xinputOpcode_) {
            if (XGetEventData(display, &event.xcookie)) {
                const auto* raw = static_cast<const XIRawEvent*>(event.xcookie.data);
                if (raw->evtype == XI_RawKeyRelease) keysDown_.erase(static_cast<unsigned int>(raw->detail));
                XFreeEventData(display, &event.xcookie);
            }
            continue;
        }
        if (event.type == KeyRelease) {
            keysDown_.erase(event.xkey.keycode);
            continue;
        }
        if (event.type != KeyPress) continue;
        // The press started the passive grab, which would send every key to this
        // connection until the chord's key comes up: keys a playback started by the
        // chord types meanwhile would never reach the focused window. Releases are
        // seen as raw events, which arrive without a grab.
        if (xinputOpcode_ >= 0) {
            XUngrabKeyboard(display, CurrentTime);
            XFlush(display);
        }
        // With detectable auto-repeat a held key repeats its press without releases in between.
        if (!keysDown_.insert(event.xkey.keycode).second) continue;
        const unsigned int modifiers = event.xkey.state & kChordModifiers & ~locks;
        const std::uint64_t pressTime = serverClock_.monotonicNanos(event.xkey.time, MonotonicClock::now());
        for (const auto& [id, grab] : grabs_) {
            if (grab.keyCode != event.xkey.keycode || grab.modifiers != modifiers) continue;
            mainQueue_->post([weakHandler = std::weak_ptr<Handler>(handler_), id = id, pressTime] {
                const auto handler = weakHandler.lock();
                if (!handler) return;
                PressHandler press;
                {
                    std::lock_guard lock(handler->mutex);
                    press = handler->press;
                }
                if (press) press(id, pressTime);
            });
        }
    }
}

void X11HotKeyService::run() {
    while (true) {
        std::deque<std::function<void()>> tasks;
        {
            std::lock_guard lock(tasksMutex_);
            if (stopping_) return;
            tasks.swap(tasks_);
        }
        for (auto& task : tasks) task();
        // Requests may have read events into Xlib's queue: handle them before waiting.
        readEvents();

        pollfd waits[2] = {{wakeRead_.get(), POLLIN, 0}, {connection_.fileDescriptor(), POLLIN, 0}};
        // A connection that broke stays readable forever: then only requests wake the thread.
        const nfds_t count = connection_.isAlive() ? 2 : 1;
        if (::poll(waits, count, -1) < 0) continue;
        if (waits[0].revents & POLLIN) {
            char drain[64];
            while (::read(wakeRead_.get(), drain, sizeof drain) > 0) {
            }
        }
    }
}

}  // namespace brevanor

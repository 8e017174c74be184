#include "platform/x11/X11InputInjector.h"

#include <algorithm>
#include <cmath>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include "base/time/MonotonicClock.h"
#include "base/values/ModifierKeys.h"
#include "platform/x11/GuardianProcess.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyCodeMap.h"

namespace brevanor {

namespace {

using Request = X11SyntheticJournal::Request;
using Type = SyntheticInput::Type;

constexpr std::uint16_t kCapsLockKeyCode = ModifierKeys::capsLockKeyCode;
constexpr unsigned int kWheelUp = 4, kWheelDown = 5, kWheelLeft = 6, kWheelRight = 7;

// Scroll phases of the event-flag layout: a gesture begins, ends or is cancelled.
constexpr std::uint32_t kPhaseBegan = 1, kPhaseEnded = 4, kPhaseCancelled = 8, kPhaseMayBegin = 128;
constexpr std::uint32_t kMomentumEnded = 3;

// The X button of a neutral button: left 1, middle 2, right 3, and the
// buttons numbered 3, 4, ... after the four wheel buttons (X 8, 9, ...).
std::optional<unsigned int> xButton(const SyntheticInput& input) {
    switch (input.button) {
        case MouseButton::left: return 1;
        case MouseButton::middle: return 2;
        case MouseButton::right: return 3;
        case MouseButton::other: break;
    }
    if (input.buttonNumber == 0) return 1;
    if (input.buttonNumber == 1) return 3;
    if (input.buttonNumber == 2) return 2;
    if (input.buttonNumber < 0 || input.buttonNumber > 255 - 5) return std::nullopt;
    return static_cast<unsigned int>(input.buttonNumber + 5);
}

int toPixel(double coordinate) { return static_cast<int>(std::lround(std::clamp(coordinate, -32768.0, 32767.0))); }

}  // namespace

X11InputInjector::X11InputInjector(std::string displayName, std::shared_ptr<X11SyntheticJournal> journal)
    : displayName_(std::move(displayName)), journal_(std::move(journal)) {
    try {
        connection_ = std::make_unique<X11Connection>(displayName_);
    } catch (const std::exception&) {
        return;
    }
    int event = 0, error = 0, major = 0, minor = 0;
    hasXTest_ = XTestQueryExtension(connection_->display(), &event, &error, &major, &minor);
    // Our requests must reach the server even while another client holds a grab.
    if (hasXTest_) XTestGrabControl(connection_->display(), True);
}

X11InputInjector::~X11InputInjector() {
    std::lock_guard lock(mutex_);
    if (hasXTest_) releaseHeld();
    // Destroying the guardian tells it that nothing is left held.
    guardian_.reset();
}

void X11InputInjector::prepareToPost() {
    std::lock_guard lock(mutex_);
    if (hasXTest_) startGuardian();
}

bool X11InputInjector::post(const SyntheticInput& input) {
    std::lock_guard lock(mutex_);
    if (!hasXTest_) return false;
    startGuardian();

    bool posted = false;
    switch (input.type) {
        case Type::mouseMoved:
        case Type::mouseDragged: posted = moveTo(input.x, input.y); break;
        case Type::mouseDown:
        case Type::mouseUp: {
            const auto button = xButton(input);
            posted = button && moveTo(input.x, input.y) && pressButton(*button, input.type == Type::mouseDown);
            break;
        }
        case Type::scroll: posted = moveTo(input.x, input.y) && scroll(input); break;
        case Type::keyDown:
        case Type::keyUp:
        case Type::flagsChanged: {
            const auto keyCode = X11KeyCodeMap::xKeyCode(input.keyCode);
            if (!keyCode) break;
            const bool press = input.type == Type::flagsChanged ? input.keyIsDown : input.type == Type::keyDown;
            // Caps Lock toggles on each press: bring the lock to the state the event reports.
            posted = input.type == Type::flagsChanged && input.keyCode == kCapsLockKeyCode ? setCapsLock(press)
                                                                                           : pressKey(*keyCode, press);
            break;
        }
    }
    XFlush(connection_->display());
    return posted;
}

std::optional<Point> X11InputInjector::cursorPosition() {
    std::lock_guard lock(mutex_);
    if (!connection_) return std::nullopt;
    Display* display = connection_->display();
    Window root = None, child = None;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY, &mask)) {
        return std::nullopt;
    }
    return Point{static_cast<double>(rootX), static_cast<double>(rootY)};
}

bool X11InputInjector::didRecentlyPostKeyDown(std::uint16_t keyCode, std::uint64_t withinNanos,
                                              std::uint64_t nowNanos) {
    const auto xKeyCode = X11KeyCodeMap::xKeyCode(keyCode);
    return xKeyCode && journal_->notedKeyPressRecently(*xKeyCode, withinNanos, nowNanos);
}

void X11InputInjector::startGuardian() {
    if (guardianTried_) return;
    guardianTried_ = true;
    guardian_ = GuardianProcess::launch("brevanor-input-guardian", displayName_);
}

std::optional<int> X11InputInjector::guardianProcessId() {
    std::lock_guard lock(mutex_);
    if (!guardian_) return std::nullopt;
    return guardian_->processId();
}

bool X11InputInjector::moveTo(double x, double y) {
    const int pixelX = toPixel(x), pixelY = toPixel(y);
    // Noted before it is sent, so the listener always finds it.
    journal_->note({Request::motion, 0, pixelX, pixelY, MonotonicClock::now()});
    return XTestFakeMotionEvent(connection_->display(), -1, pixelX, pixelY, CurrentTime);
}

bool X11InputInjector::pressButton(unsigned int button, bool press) {
    journal_->note({press ? Request::buttonPress : Request::buttonRelease, button, 0, 0, MonotonicClock::now()});
    if (!XTestFakeButtonEvent(connection_->display(), button, press, CurrentTime)) return false;
    if (button < buttonsHeld_.size()) buttonsHeld_.set(button, press);
    return true;
}

bool X11InputInjector::pressKey(unsigned int keyCode, bool press) {
    journal_->note({press ? Request::keyPress : Request::keyRelease, keyCode, 0, 0, MonotonicClock::now()});
    if (!XTestFakeKeyEvent(connection_->display(), keyCode, press, CurrentTime)) return false;
    if (keyCode < keysHeld_.size()) keysHeld_.set(keyCode, press);
    return true;
}

bool X11InputInjector::scroll(const SyntheticInput& input) {
    std::int64_t vertical = input.wheelVertical;
    std::int64_t horizontal = input.wheelHorizontal;
    if (input.pixelUnits) {
        if (input.scrollPhase == kPhaseBegan || input.scrollPhase == kPhaseMayBegin) pixelRemainder_ = {};
        // Whole clicks now; the rest is carried to the next event of the gesture, so none is lost.
        const std::int64_t pixelsV = pixelRemainder_.vertical + vertical;
        const std::int64_t pixelsH = pixelRemainder_.horizontal + horizontal;
        vertical = pixelsV / kPixelsPerWheelClick;
        horizontal = pixelsH / kPixelsPerWheelClick;
        pixelRemainder_.vertical = static_cast<std::int32_t>(pixelsV - vertical * kPixelsPerWheelClick);
        pixelRemainder_.horizontal = static_cast<std::int32_t>(pixelsH - horizontal * kPixelsPerWheelClick);
        const bool gestureEnds = input.scrollPhase == kPhaseEnded || input.scrollPhase == kPhaseCancelled ||
                                 input.momentumPhase == kMomentumEnded;
        if (gestureEnds) {
            // What is left at the end rounds to the nearest click.
            if (2 * std::abs(pixelRemainder_.vertical) >= kPixelsPerWheelClick)
                vertical += pixelRemainder_.vertical > 0 ? 1 : -1;
            if (2 * std::abs(pixelRemainder_.horizontal) >= kPixelsPerWheelClick) {
                horizontal += pixelRemainder_.horizontal > 0 ? 1 : -1;
            }
            pixelRemainder_ = {};
        }
    }
    // Positive deltas scroll up and left.
    const bool verticalDone = wheelClicks(vertical, kWheelUp, kWheelDown);
    const bool horizontalDone = wheelClicks(horizontal, kWheelLeft, kWheelRight);
    return verticalDone && horizontalDone;
}

bool X11InputInjector::wheelClicks(std::int64_t clicks, unsigned int positiveButton, unsigned int negativeButton) {
    const unsigned int button = clicks > 0 ? positiveButton : negativeButton;
    const std::int64_t count = std::min<std::int64_t>(std::abs(clicks), kMaxWheelClicksPerEvent);
    for (std::int64_t i = 0; i < count; ++i) {
        if (!pressButton(button, true) || !pressButton(button, false)) return false;
    }
    return true;
}

bool X11InputInjector::setCapsLock(bool locked) {
    Display* display = connection_->display();
    Window root = None, child = None;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY, &mask)) {
        return false;
    }
    if (((mask & LockMask) != 0) == locked) return true;
    const auto keyCode = X11KeyCodeMap::xKeyCode(kCapsLockKeyCode);
    return keyCode && pressKey(*keyCode, true) && pressKey(*keyCode, false);
}

void X11InputInjector::releaseHeld() {
    for (unsigned int button = 0; button < buttonsHeld_.size(); ++button) {
        if (buttonsHeld_.test(button)) pressButton(button, false);
    }
    for (unsigned int keyCode = 0; keyCode < keysHeld_.size(); ++keyCode) {
        if (keysHeld_.test(keyCode)) pressKey(keyCode, false);
    }
    XSync(connection_->display(), False);
}

}  // namespace brevanor

#include "platform/wayland/UinputInputInjector.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <thread>

#include "base/platform/DisplayService.h"
#include "base/time/MonotonicClock.h"
#include "base/values/ModifierKeys.h"
#include "platform/wayland/UinputNode.h"
#include "platform/x11/X11KeyCodeMap.h"

namespace brevanor {

namespace {

using Type = SyntheticInput::Type;

// X key codes are the kernel's plus 8 and end at 255: recordings carry no kernel code above 247.
constexpr int kXKeyCodeOffset = 8;
constexpr int kLastKeyCode = 255 - kXKeyCodeOffset;

// The kernel key code of a neutral one; nothing for a key no recording can carry.
std::optional<int> kernelKeyCode(std::uint16_t neutralKeyCode) {
    const auto xKeyCode = X11KeyCodeMap::xKeyCode(neutralKeyCode);
    if (!xKeyCode || *xKeyCode <= kXKeyCodeOffset) return std::nullopt;
    return *xKeyCode - kXKeyCodeOffset;
}

// The kernel button of a neutral button: left, right, then by number (BTN_LEFT + 2 is the middle button,
// + 3 BTN_SIDE, + 4 BTN_EXTRA, ...), as the centre button stands for every further one.
std::optional<int> kernelButton(const SyntheticInput& input) {
    if (input.button == MouseButton::left) return BTN_LEFT;
    if (input.button == MouseButton::right) return BTN_RIGHT;
    if (input.buttonNumber < 0 || input.buttonNumber > BTN_TASK - BTN_LEFT) return std::nullopt;
    return static_cast<int>(BTN_LEFT + input.buttonNumber);
}

void append(std::vector<input_event>& events, int type, int code, std::int32_t value) {
    input_event event{};  // the kernel stamps the time itself
    event.type = static_cast<std::uint16_t>(type);
    event.code = static_cast<std::uint16_t>(code);
    event.value = value;
    events.push_back(event);
}

void report(std::vector<input_event>& events) { append(events, EV_SYN, SYN_REPORT, 0); }

std::int32_t clampToInt32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

UinputInputInjector::UinputInputInjector(std::unique_ptr<UinputNode> node, std::shared_ptr<DisplayService> displays,
                                         std::chrono::nanoseconds settleTime)
    : node_(std::move(node)), displays_(std::move(displays)), settleTime_(settleTime) {}

UinputInputInjector::~UinputInputInjector() {
    std::lock_guard lock(mutex_);
    if (device_) destroy();
}

void UinputInputInjector::prepareToPost() {
    std::lock_guard lock(mutex_);
    const auto box = readLayout();
    if (!box || device_ == box) return;
    // The axes of a device are fixed when it is made: a layout that changed needs a new one.
    if (device_) destroy();
    create(*box);
}

bool UinputInputInjector::canPost() {
    std::lock_guard lock(mutex_);
    if (device_) return true;
    // Opening makes no device yet: it only asks for the access rights.
    if (node_->open() != 0) return false;
    node_->close();
    return true;
}

bool UinputInputInjector::post(const SyntheticInput& input) {
    std::lock_guard lock(mutex_);
    if (!ready()) return false;

    std::vector<input_event> events;
    switch (input.type) {
        case Type::mouseMoved:
        case Type::mouseDragged: moveTo(input.x, input.y, events); break;
        case Type::mouseDown:
        case Type::mouseUp: {
            const auto button = kernelButton(input);
            if (!button) return false;
            const bool press = input.type == Type::mouseDown;
            // Its own frame after the motion's: the press happens where the pointer already is.
            moveTo(input.x, input.y, events);
            append(events, EV_KEY, *button, press ? 1 : 0);
            report(events);
            const bool written = write(events);
            // A press that failed may have come through in part: it counts as held, since
            // the input core ignores the release of a button that is not down.
            if (written || press) buttonsHeld_.set(static_cast<std::size_t>(*button - BTN_LEFT), press);
            if (written) lastPosition_ = Point{input.x, input.y};
            return written;
        }
        case Type::scroll:
            moveTo(input.x, input.y, events);
            scroll(input, events);
            break;
        case Type::keyDown:
        case Type::keyUp:
        case Type::flagsChanged: return key(input);
    }
    if (!write(events)) return false;
    lastPosition_ = Point{input.x, input.y};
    return true;
}

std::optional<Point> UinputInputInjector::cursorPosition() {
    std::lock_guard lock(mutex_);
    return lastPosition_;
}

bool UinputInputInjector::didRecentlyPostKeyDown(std::uint16_t keyCode, std::uint64_t withinNanos,
                                                 std::uint64_t nowNanos) {
    const auto code = kernelKeyCode(keyCode);
    if (!code) return false;
    std::lock_guard lock(mutex_);
    const std::uint64_t at = keyDownAt_[*code];
    return at != 0 && at <= nowNanos && nowNanos - at <= withinNanos;
}

std::optional<UinputInputInjector::LayoutBox> UinputInputInjector::readLayout() const {
    const auto displays = displays_->activeDisplays();
    if (displays.empty()) return std::nullopt;
    long long left = LLONG_MAX, top = LLONG_MAX, right = LLONG_MIN, bottom = LLONG_MIN;
    for (const auto& display : displays) {
        const FrameRect& frame = display.frame;
        left = std::min(left, std::llround(frame.x));
        top = std::min(top, std::llround(frame.y));
        right = std::max(right, std::llround(frame.x + frame.width));
        bottom = std::max(bottom, std::llround(frame.y + frame.height));
    }
    if (right - left < 1 || bottom - top < 1) return std::nullopt;
    return LayoutBox{clampToInt32(left), clampToInt32(top), clampToInt32(right - left), clampToInt32(bottom - top)};
}

bool UinputInputInjector::ready() {
    if (device_) return true;
    const auto box = readLayout();
    return box && create(*box);
}

bool UinputInputInjector::create(const LayoutBox& box) {
    // Opened anew at each attempt: access rights granted while Brevanor runs count at once.
    if (node_->open() != 0) return false;
    bool made = true;
    const auto enable = [&](unsigned long request, int value) { made = made && node_->control(request, value) == 0; };
    enable(UI_SET_EVBIT, EV_KEY);
    enable(UI_SET_EVBIT, EV_REL);
    enable(UI_SET_EVBIT, EV_ABS);
    // No EV_REP: the compositor repeats held keys for its clients itself.
    for (int code = KEY_ESC; code <= kLastKeyCode; ++code) enable(UI_SET_KEYBIT, code);
    for (int button = BTN_LEFT; button <= BTN_TASK; ++button) enable(UI_SET_KEYBIT, button);
    for (int axis : {REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES}) enable(UI_SET_RELBIT, axis);
    enable(UI_SET_ABSBIT, ABS_X);
    enable(UI_SET_ABSBIT, ABS_Y);

    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    std::strncpy(setup.name, kDeviceName, UINPUT_MAX_NAME_SIZE - 1);
    made = made && node_->setUpDevice(setup) == 0;
    // libinput maps an axis onto the screen as (value - minimum) * size / (maximum - minimum + 1):
    // from 0 to the extent less one, layout pixel p lands on pixel p.
    for (const auto& [code, extent] : {std::pair{ABS_X, box.width}, std::pair{ABS_Y, box.height}}) {
        uinput_abs_setup axis{};
        axis.code = static_cast<std::uint16_t>(code);
        axis.absinfo.minimum = 0;
        axis.absinfo.maximum = extent - 1;
        made = made && node_->setUpAxis(axis) == 0;
    }
    made = made && node_->control(UI_DEV_CREATE, 0) == 0;
    if (!made) {
        node_->close();
        return false;
    }
    device_ = box;
    settledAt_ = MonotonicClock::now() + static_cast<std::uint64_t>(settleTime_.count());
    keysHeld_.reset();
    buttonsHeld_.reset();
    std::fill(std::begin(wheelRemainder_), std::end(wheelRemainder_), 0);
    return true;
}

void UinputInputInjector::destroy() {
    releaseHeld();
    node_->control(UI_DEV_DESTROY, 0);
    node_->close();
    device_.reset();
}

void UinputInputInjector::moveTo(double x, double y, std::vector<input_event>& events) {
    // Points off the layout stop at its edge, as the pointer itself would.
    const auto along = [](double coordinate, std::int32_t origin, std::int32_t extent) {
        const double pixel = std::isfinite(coordinate) ? std::round(coordinate) - origin : 0;
        return static_cast<std::int32_t>(std::clamp<double>(pixel, 0, extent - 1));
    };
    append(events, EV_ABS, ABS_X, along(x, device_->x, device_->width));
    append(events, EV_ABS, ABS_Y, along(y, device_->y, device_->height));
    report(events);
}

void UinputInputInjector::scroll(const SyntheticInput& input, std::vector<input_event>& events) {
    // As a high-resolution mouse reports: the fine units with every motion, and
    // the classic wheel once they add up to a whole click, for readers that know
    // only that. Neutral deltas are positive upwards and leftwards; the kernel's
    // wheel turns positive away from the user and to the right.
    const std::int64_t perStep = input.pixelUnits ? kHighResolutionPerPixel : kHighResolutionPerClick;
    const auto axis = [&](std::int64_t delta, int lowResolution, int highResolution, std::int32_t& remainder) {
        if (delta == 0) return;
        const std::int32_t fine = clampToInt32(delta * perStep);
        const std::int64_t total = static_cast<std::int64_t>(remainder) + fine;
        const std::int64_t clicks = total / kHighResolutionPerClick;
        remainder = static_cast<std::int32_t>(total - clicks * kHighResolutionPerClick);
        append(events, EV_REL, highResolution, fine);
        if (clicks != 0) append(events, EV_REL, lowResolution, clampToInt32(clicks));
    };
    const std::size_t before = events.size();
    axis(input.wheelVertical, REL_WHEEL, REL_WHEEL_HI_RES, wheelRemainder_[0]);
    axis(-static_cast<std::int64_t>(input.wheelHorizontal), REL_HWHEEL, REL_HWHEEL_HI_RES, wheelRemainder_[1]);
    if (events.size() > before) report(events);
}

bool UinputInputInjector::key(const SyntheticInput& input) {
    const auto code = kernelKeyCode(input.keyCode);
    if (!code) return false;
    std::vector<input_event> events;
    const bool press = input.type == Type::flagsChanged ? input.keyIsDown : input.type == Type::keyDown;
    if (input.type == Type::flagsChanged && input.keyCode == ModifierKeys::capsLockKeyCode) {
        // Caps Lock toggles on each press: bring the lock to the state the event reports.
        if (capsLocked_ == press) return true;
        append(events, EV_KEY, KEY_CAPSLOCK, 1);
        report(events);
        append(events, EV_KEY, KEY_CAPSLOCK, 0);
        report(events);
        if (!write(events)) return false;
        capsLocked_ = press;
        return true;
    }
    append(events, EV_KEY, *code, press ? 1 : 0);
    report(events);
    const bool written = write(events);
    if (written || press) keysHeld_.set(static_cast<std::size_t>(*code), press);  // as for buttons
    if (written && press) keyDownAt_[*code] = MonotonicClock::now();
    return written;
}

bool UinputInputInjector::write(const std::vector<input_event>& events) {
    const std::uint64_t now = MonotonicClock::now();
    if (now < settledAt_) std::this_thread::sleep_for(std::chrono::nanoseconds(settledAt_ - now));
    const auto expected = static_cast<ssize_t>(events.size() * sizeof(input_event));
    return node_->write(events) == expected;
}

void UinputInputInjector::releaseHeld() {
    std::vector<input_event> events;
    for (std::size_t offset = 0; offset < buttonsHeld_.size(); ++offset) {
        if (buttonsHeld_.test(offset)) append(events, EV_KEY, static_cast<int>(BTN_LEFT + offset), 0);
    }
    for (std::size_t code = 0; code < keysHeld_.size(); ++code) {
        if (keysHeld_.test(code)) append(events, EV_KEY, static_cast<int>(code), 0);
    }
    if (events.empty()) return;
    report(events);
    // Should the write fail, closing the node still has the input core release them.
    write(events);
    keysHeld_.reset();
    buttonsHeld_.reset();
}

}  // namespace brevanor

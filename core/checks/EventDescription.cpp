#include "core/checks/EventDescription.h"

#include <cstdio>

#include "base/keys/HotkeyChord.h"
#include "base/keys/KeyCodeNames.h"
#include "base/text/Localized.h"

namespace brevanor {

namespace {

std::string formatted(const char* format, auto... values) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, format, values...);
    return buffer;
}

std::string point(double x, double y) { return formatted("(%g, %g)", x, y); }

std::string withModifiers(std::string text, std::uint64_t flags) {
    const std::string names = HotkeyChord{0, flags}.modifierNames();
    return names.empty() ? text : text + "  " + names;
}

std::string buttonName(const MouseButtonEvent& button) {
    switch (button.button) {
        case MouseButton::left: return tr("Left button");
        case MouseButton::right: return tr("Right button");
        case MouseButton::middle: return tr("Middle button");
        case MouseButton::other: return formatted("Button %lld", static_cast<long long>(button.buttonNumber));
    }
    return {};
}

}  // namespace

std::string EventDescription::seconds(std::uint64_t nanos) {
    return formatted("%.3f s", static_cast<double>(nanos) / 1e9);
}

std::string EventDescription::type(const RecordingEvent& event) {
    using Kind = RecordingEvent::Kind;
    switch (event.kind()) {
        case Kind::mouseDown: return tr("Mouse down");
        case Kind::mouseUp: return tr("Mouse up");
        case Kind::mousePath: return tr("Path");
        case Kind::scroll: return tr("Scroll");
        case Kind::keyDown: return tr("Key down");
        case Kind::keyUp: return tr("Key up");
        case Kind::flagsChanged: return event.flags().isDown ? tr("Modifier down") : tr("Modifier up");
        case Kind::idleGap: return tr("Pause");
    }
    return {};
}

std::string EventDescription::details(const RecordingEvent& event, KeyboardLayout* layout, bool maskKeys) {
    return details(
        event, [layout](std::uint16_t keyCode) { return KeyCodeNames::name(keyCode, layout); }, maskKeys);
}

std::string EventDescription::details(const RecordingEvent& event,
                                      const std::function<std::string(std::uint16_t)>& keyName, bool maskKeys) {
    using Kind = RecordingEvent::Kind;
    switch (event.kind()) {
        case Kind::mouseDown:
        case Kind::mouseUp: {
            const MouseButtonEvent& button = event.mouseButton();
            std::string text = buttonName(button) + " at " + point(button.x, button.y);
            if (button.clickCount > 1) text += formatted(", click %lld", static_cast<long long>(button.clickCount));
            return withModifiers(std::move(text), button.modifiers);
        }
        case Kind::mousePath: {
            const auto& points = event.path().points;
            if (points.empty()) return tr("no points");
            return formatted("%zu points ", points.size()) + point(points.front().x, points.front().y) + " → " +
                   point(points.back().x, points.back().y) + " in " + seconds(points.back().dt);
        }
        case Kind::scroll: {
            const ScrollEvent& scroll = event.scrollEvent();
            const ScrollPayload& s = scroll.scroll;
            const std::string amount =
                s.isContinuous
                    ? formatted("%lld, %lld px", static_cast<long long>(s.pointDeltaX),
                                static_cast<long long>(s.pointDeltaY))
                    : formatted("%lld, %lld lines", static_cast<long long>(s.deltaX), static_cast<long long>(s.deltaY));
            return withModifiers(amount + " at " + point(scroll.x, scroll.y), scroll.modifiers);
        }
        case Kind::keyDown:
        case Kind::keyUp: {
            const KeyEvent& key = event.key();
            if (maskKeys) return std::string(maskedKey);
            return withModifiers(keyName(key.keyCode) + (key.isRepeat ? " (repeat)" : ""), key.modifiers);
        }
        case Kind::flagsChanged: return keyName(event.flags().keyCode);
        case Kind::idleGap: return seconds(event.idle().durationNanos);
    }
    return {};
}

}  // namespace brevanor

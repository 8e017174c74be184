#include "bench/BareSchedule.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "core/playback/CursorTransform.h"
#include "core/playback/EventPoster.h"
#include "core/playback/PlaybackTimeline.h"
#include "platform/x11/X11KeyCodeMap.h"

namespace brevanor {

namespace {

// Stands where the X11 injector stands behind the event poster and writes
// what it would send: a move before every pointer event, wheel clicks for
// line scrolls, the X key of each key event. Notes what the harness logger
// logs of it too: presses and releases where the pointer is, one scroll per
// wheel click, key events as the logger names them.
class ScheduleInjector final : public InputInjector {
public:
    explicit ScheduleInjector(const std::filesystem::path& file) : out_(file) {}

    void setOffset(std::uint64_t offsetNanos) { offsetNanos_ = offsetNanos; }

    void prepareToPost() override {}
    bool post(const SyntheticInput& input) override {
        using Type = SyntheticInput::Type;
        switch (input.type) {
            case Type::mouseMoved:
            case Type::mouseDragged: move(input); break;
            case Type::mouseDown:
            case Type::mouseUp:
                move(input);
                write(input.type == Type::mouseDown ? 'B' : 'b', xButton(input));
                log(input.type == Type::mouseDown ? "mouseDown" : "mouseUp", input);
                break;
            case Type::scroll:
                move(input);
                wheel(input, input.wheelVertical, 4, 5);
                wheel(input, input.wheelHorizontal, 6, 7);
                break;
            case Type::keyDown:
            case Type::keyUp:
            case Type::flagsChanged: {
                const auto key = X11KeyCodeMap::xKeyCode(input.keyCode);
                if (!key) return false;
                const bool press = input.type == Type::flagsChanged ? input.keyIsDown : input.type == Type::keyDown;
                write(press ? 'K' : 'k', *key);
                log(input.type == Type::flagsChanged ? "flagsChanged" : press ? "keyDown" : "keyUp", input);
                break;
            }
        }
        return true;
    }
    std::optional<Point> cursorPosition() override { return std::nullopt; }
    // Nothing listens for shortcuts while the schedule is written.
    bool didRecentlyPostKeyDown(std::uint16_t, std::uint64_t, std::uint64_t) override { return false; }

    std::vector<HarnessLogEntry> takeLogged() { return std::move(logged_); }

private:
    static unsigned int xButton(const SyntheticInput& input) {
        switch (input.buttonNumber) {
            case 0: return 1;
            case 1: return 3;
            case 2: return 2;
            default: return static_cast<unsigned int>(input.buttonNumber + 5);
        }
    }
    void move(const SyntheticInput& input) { write('M', 0, std::lround(input.x), std::lround(input.y)); }
    void wheel(const SyntheticInput& input, std::int32_t clicks, unsigned int positive, unsigned int negative) {
        for (std::int32_t i = 0; i < std::abs(clicks); ++i) {
            write('B', clicks > 0 ? positive : negative);
            write('b', clicks > 0 ? positive : negative);
            log("scroll", input);
        }
    }
    void log(const char* type, const SyntheticInput& input) {
        HarnessLogEntry entry;
        entry.t = offsetNanos_;
        entry.type = type;
        entry.x = static_cast<double>(std::lround(input.x));
        entry.y = static_cast<double>(std::lround(input.y));
        logged_.push_back(std::move(entry));
    }
    void write(char kind, unsigned int detail, long x = 0, long y = 0) {
        out_ << offsetNanos_ << ' ' << kind << ' ' << detail << ' ' << x << ' ' << y << '\n';
    }

    std::ofstream out_;
    std::uint64_t offsetNanos_ = 0;
    std::vector<HarnessLogEntry> logged_;
};

}  // namespace

std::vector<HarnessLogEntry> writeBareSchedule(const Recording& recording, const std::filesystem::path& file) {
    const PlaybackOptions options(recording.settings);
    const auto injector = std::make_shared<ScheduleInjector>(file);
    EventPoster poster(injector);
    for (const ScheduledAction& scheduled : PlaybackTimeline::build(recording, options, CursorTransform::identity())) {
        injector->setOffset(scheduled.offsetNanos);
        poster.perform(scheduled.action);
    }
    return injector->takeLogged();
}

}  // namespace brevanor

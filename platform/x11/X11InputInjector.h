#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "base/platform/InputInjector.h"
#include "platform/x11/X11SyntheticJournal.h"

namespace brevanor {

class X11Connection;
class GuardianProcess;

// Posts synthetic input through XTest on a connection of its own. Every
// request is noted in the journal the listener reads, which is how Brevanor's
// own events read as synthetic. Preparing, or else the first post, starts the
// guardian process that releases what XTest holds should this process die;
// destroying the injector releases what it still holds itself.
class X11InputInjector final : public InputInjector {
public:
    // Pixel scrolls become wheel clicks of this many pixels each.
    static constexpr std::int32_t kPixelsPerWheelClick = 10;
    // A scroll event never turns into more wheel clicks than this per axis.
    static constexpr std::int32_t kMaxWheelClicksPerEvent = 100;

    // `displayName` empty: $DISPLAY. When the display cannot be opened or has
    // no XTest, every post fails (returns false).
    X11InputInjector(std::string displayName, std::shared_ptr<X11SyntheticJournal> journal);
    ~X11InputInjector() override;

    void prepareToPost() override;
    bool post(const SyntheticInput& input) override;
    std::optional<Point> cursorPosition() override;
    // Asks the journal, so it answers for every Brevanor process on the display.
    bool didRecentlyPostKeyDown(std::uint16_t keyCode, std::uint64_t withinNanos, std::uint64_t nowNanos) override;

    // The guardian's process id once one runs (for tests).
    std::optional<int> guardianProcessId();

private:
    struct Remainder {
        std::int32_t vertical = 0;
        std::int32_t horizontal = 0;
    };

    bool moveTo(double x, double y);
    bool pressButton(unsigned int button, bool press);
    bool pressKey(unsigned int keyCode, bool press);
    bool scroll(const SyntheticInput& input);
    bool wheelClicks(std::int64_t clicks, unsigned int positiveButton, unsigned int negativeButton);
    bool setCapsLock(bool locked);
    void releaseHeld();
    // Starts the guardian unless one was tried already; the caller holds the lock.
    void startGuardian();

    const std::string displayName_;
    const std::shared_ptr<X11SyntheticJournal> journal_;

    std::mutex mutex_;  // guards the fields below; posts come from the playback queue, queries from anywhere
    std::unique_ptr<X11Connection> connection_;
    bool hasXTest_ = false;
    std::unique_ptr<GuardianProcess> guardian_;  // releases what XTest holds should this process die
    bool guardianTried_ = false;
    std::bitset<256> keysHeld_;
    std::bitset<256> buttonsHeld_;
    Remainder pixelRemainder_;
};

}  // namespace brevanor

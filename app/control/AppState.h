#pragma once

#include <cstdint>
#include <optional>

namespace brevanor {

// What the application is doing. Compared by case and payload.
class AppState {
public:
    enum class Kind { idle, countdown, recording, preparing, playing };

    AppState() : AppState(Kind::idle) {}

    static AppState idle() { return AppState(Kind::idle); }
    // A recording starts when the countdown ends; `remaining` seconds are left.
    static AppState countdown(std::int64_t remaining) {
        AppState state(Kind::countdown);
        state.remaining_ = remaining;
        return state;
    }
    static AppState recording() { return AppState(Kind::recording); }
    // A playback was confirmed; the recorded application is being brought forward.
    static AppState preparing() { return AppState(Kind::preparing); }
    // Pass `repeatIndex` (from 1) of `repeatTotal`, absent when repeating until stopped.
    static AppState playing(std::int64_t repeatIndex, std::optional<std::int64_t> repeatTotal) {
        AppState state(Kind::playing);
        state.repeatIndex_ = repeatIndex;
        state.repeatTotal_ = repeatTotal;
        return state;
    }

    Kind kind() const { return kind_; }
    bool isIdle() const { return kind_ == Kind::idle; }
    // countdown only (0 otherwise).
    std::int64_t remaining() const { return remaining_; }
    // playing only (0 and absent otherwise).
    std::int64_t repeatIndex() const { return repeatIndex_; }
    std::optional<std::int64_t> repeatTotal() const { return repeatTotal_; }

    friend bool operator==(const AppState&, const AppState&) = default;

private:
    explicit AppState(Kind kind) : kind_(kind) {}

    Kind kind_;
    std::int64_t remaining_ = 0;
    std::int64_t repeatIndex_ = 0;
    std::optional<std::int64_t> repeatTotal_;
};

}  // namespace brevanor

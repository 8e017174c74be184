#include "core/playback/ReplayFidelity.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace brevanor {

namespace {

using Type = TapEvent::Kind::Type;

// How far ahead an event that came back looks for its posted twin: the ones it
// passes never came back (another program may have swallowed them).
constexpr std::size_t kLookahead = 32;
// A posted event still missing this long after a later one was due never comes back.
constexpr std::uint64_t kGiveUpNanos = 5'000'000'000;
// Platforms post at most this many wheel clicks for one scroll.
constexpr std::int64_t kMaxNotches = 100;

double signedMillis(std::uint64_t from, std::uint64_t to) {
    return (static_cast<double>(to) - static_cast<double>(from)) / 1e6;
}

}  // namespace

void ReplayFidelity::begin() {
    std::lock_guard lock(mutex_);
    pending_.clear();
    runStart_.reset();
    notchesToAbsorb_ = 0;
    expected_ = observed_ = 0;
    maxErrorMs_ = pointerErrorPx_ = arrivedLateMs_ = 0;
    postedLateMs_.store(0, std::memory_order_relaxed);
    bins_.fill(0);
}

void ReplayFidelity::expect(const PlaybackAction& action, std::uint64_t deadlineNanos, std::int64_t run) {
    Expected expected;
    expected.deadlineNanos = deadlineNanos;
    expected.run = run;
    switch (action.kind()) {
        case PlaybackAction::Kind::moveCursor: return;
        case PlaybackAction::Kind::mouseDown:
        case PlaybackAction::Kind::mouseUp:
            expected.type = action.kind() == PlaybackAction::Kind::mouseDown ? Type::mouseDown : Type::mouseUp;
            expected.position = Point{action.button().x, action.button().y};
            break;
        case PlaybackAction::Kind::scroll: {
            const ScrollAction& scroll = action.scrollAction();
            expected.notches =
                std::min<std::int64_t>(std::abs(scroll.scroll.deltaX) + std::abs(scroll.scroll.deltaY), kMaxNotches);
            if (scroll.scroll.isContinuous || expected.notches == 0) return;
            expected.type = Type::scroll;
            expected.position = Point{scroll.x, scroll.y};
            break;
        }
        case PlaybackAction::Kind::keyDown:
        case PlaybackAction::Kind::keyUp:
            expected.type = action.kind() == PlaybackAction::Kind::keyDown ? Type::keyDown : Type::keyUp;
            expected.keyCode = action.key().keyCode;
            break;
        case PlaybackAction::Kind::flagsChanged:
            expected.type = Type::flagsChanged;
            expected.keyCode = action.flags().keyCode;
            break;
    }
    std::lock_guard lock(mutex_);
    forgetOverdue(deadlineNanos);
    pending_.push_back(expected);
    ++expected_;
}

void ReplayFidelity::posted(std::uint64_t deadlineNanos, std::uint64_t postedNanos) {
    // Only the engine's thread writes it, so no lock is taken between two posts.
    const double late = signedMillis(deadlineNanos, postedNanos);
    if (late > postedLateMs_.load(std::memory_order_relaxed)) postedLateMs_.store(late, std::memory_order_relaxed);
}

void ReplayFidelity::forgetOverdue(std::uint64_t nowDeadlineNanos) {
    while (!pending_.empty() && pending_.front().deadlineNanos + kGiveUpNanos < nowDeadlineNanos) pending_.pop_front();
}

bool ReplayFidelity::matches(const Expected& expected, const TapEvent& event) const {
    if (expected.type != event.kind.type) return false;
    switch (event.kind.type) {
        case Type::keyDown:
        case Type::keyUp:
        case Type::flagsChanged: return expected.keyCode == event.kind.keyCode;
        default: return true;
    }
}

void ReplayFidelity::consume(const TapEvent& event) {
    if (!event.isSynthetic || event.kind.type == Type::mouseMoved) return;
    std::lock_guard lock(mutex_);
    if (event.kind.type == Type::scroll && notchesToAbsorb_ > 0) {
        --notchesToAbsorb_;
        return;
    }
    const std::size_t reach = std::min(pending_.size(), kLookahead);
    for (std::size_t i = 0; i < reach; ++i) {
        if (!matches(pending_[i], event)) continue;
        const Expected expected = pending_[i];
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        pair(expected, event);
        if (pending_.empty()) settled_.notify_all();
        return;
    }
    // Nothing posted looks like it: another program's, or a trackpad scroll's.
}

void ReplayFidelity::pair(const Expected& expected, const TapEvent& event) {
    ++observed_;
    notchesToAbsorb_ = expected.type == Type::scroll ? expected.notches - 1 : 0;
    if (!runStart_ || runStart_->run != expected.run) {
        runStart_ = RunStart{expected.run, expected.deadlineNanos, event.timestamp};
    }
    const double errorMs = std::abs(signedMillis(runStart_->observedNanos, event.timestamp) -
                                    signedMillis(runStart_->deadlineNanos, expected.deadlineNanos));
    maxErrorMs_ = std::max(maxErrorMs_, errorMs);
    arrivedLateMs_ = std::max(arrivedLateMs_, signedMillis(expected.deadlineNanos, event.timestamp));
    ++bins_[std::min(kBins - 1, static_cast<std::size_t>(errorMs / kBinMs))];
    if (expected.position) {
        pointerErrorPx_ = std::max(pointerErrorPx_, std::hypot(event.location.x - expected.position->x,
                                                               event.location.y - expected.position->y));
    }
}

bool ReplayFidelity::waitUntilSettled(std::uint64_t timeoutNanos) {
    std::unique_lock lock(mutex_);
    return settled_.wait_for(lock, std::chrono::nanoseconds(timeoutNanos), [this] { return pending_.empty(); });
}

FidelityReport ReplayFidelity::report() const {
    std::lock_guard lock(mutex_);
    FidelityReport report;
    report.expected = expected_;
    report.observed = observed_;
    report.timingMaxMs = maxErrorMs_;
    report.pointerErrorPx = pointerErrorPx_;
    report.postedLateMaxMs = postedLateMs_.load(std::memory_order_relaxed);
    report.arrivedLateMaxMs = arrivedLateMs_;
    if (observed_ > 0) {
        // The rank an outside comparison takes as the 95th percentile, found in the bins.
        const std::int64_t rank = std::max<std::int64_t>(0, static_cast<std::int64_t>(observed_ * 0.95) - 1);
        std::int64_t seen = 0;
        for (std::size_t bin = 0; bin < kBins; ++bin) {
            seen += bins_[bin];
            if (seen > rank) {
                report.timingP95Ms = std::min(maxErrorMs_, (static_cast<double>(bin) + 0.5) * kBinMs);
                break;
            }
        }
    }
    return report;
}

}  // namespace brevanor

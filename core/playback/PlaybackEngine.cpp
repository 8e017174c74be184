#include "core/playback/PlaybackEngine.h"

#include <algorithm>

#include "base/time/MonotonicClock.h"
#include "core/model/SaturatingMath.h"

namespace brevanor {

std::shared_ptr<PlaybackEngine> PlaybackEngine::make(std::shared_ptr<EventPoster> poster,
                                                     std::shared_ptr<MainQueue> mainQueue,
                                                     std::shared_ptr<TimedQueue> queue,
                                                     std::shared_ptr<ReplayFidelity> fidelity) {
    return std::shared_ptr<PlaybackEngine>(
        new PlaybackEngine(std::move(poster), std::move(mainQueue), std::move(queue), std::move(fidelity)));
}

PlaybackEngine::PlaybackEngine(std::shared_ptr<EventPoster> poster, std::shared_ptr<MainQueue> mainQueue,
                               std::shared_ptr<TimedQueue> queue, std::shared_ptr<ReplayFidelity> fidelity)
    : poster_(std::move(poster)),
      mainQueue_(std::move(mainQueue)),
      queue_(std::move(queue)),
      fidelity_(std::move(fidelity)) {}

PlaybackEngine::~PlaybackEngine() {
    // Every step holds the engine while it runs, so none is under way now, and
    // the ones still queued find it gone, a stop's releases among them: release
    // here instead, so that quitting never leaves a key down.
    poster_->releaseAll();
}

bool PlaybackEngine::isPlaying() const {
    std::lock_guard lock(mutex_);
    return playing_;
}

bool PlaybackEngine::isCurrent(std::int64_t generation) const {
    std::lock_guard lock(mutex_);
    return playing_ && generation == generation_;
}

void PlaybackEngine::start(std::vector<ScheduledAction> actions, PlaybackOptions options) {
    std::int64_t generation;
    {
        std::lock_guard lock(mutex_);
        if (playing_) return;
        playing_ = true;
        generation = ++generation_;
    }
    queue_->async([weak = weak_from_this(), actions = std::move(actions), options, generation]() mutable {
        if (auto self = weak.lock()) self->begin(std::move(actions), options, generation);
    });
}

void PlaybackEngine::stop() {
    std::shared_ptr<Timer> timer;
    {
        std::lock_guard lock(mutex_);
        if (!playing_) return;
        playing_ = false;
        ++generation_;
        timer = std::move(timer_);
    }
    if (timer) timer->cancel();
    queue_->async([weak = weak_from_this()] {
        if (auto self = weak.lock()) {
            self->poster_->releaseAll();
            self->deliverFinished(false);
        }
    });
}

void PlaybackEngine::begin(std::vector<ScheduledAction> actions, PlaybackOptions options, std::int64_t generation) {
    // Stopped before this step ran: the stop has already answered with onFinished(false).
    if (!isCurrent(generation)) return;
    actions_ = std::move(actions);
    options_ = options;
    index_ = 0;
    repeatIndex_ = 1;
    lastProgressNanos_ = 0;
    if (fidelity_) fidelity_->begin();
    if (actions_.empty()) {
        finish(true, generation);
        return;
    }

    auto timer = queue_->makeTimer([weak = weak_from_this(), generation] {
        if (auto self = weak.lock()) self->tick(generation);
    });
    {
        std::lock_guard lock(mutex_);
        if (!playing_ || generation != generation_) return;
        timer_ = timer;
    }
    startRunAt(queue_->now());
    reportProgress(anchorNanos_, true);
    arm(*timer, 0);
}

void PlaybackEngine::tick(std::int64_t generation) {
    std::shared_ptr<Timer> timer;
    {
        std::lock_guard lock(mutex_);
        if (!playing_ || generation != generation_) return;
        timer = timer_;
    }
    if (!timer) return;

    // Until the run's first input event has gone out, a late wake-up moves the whole run
    // later: nothing went before it to keep time with, and catching up would shorten every
    // gap after it. The fidelity report still measures against the planned times.
    const std::uint64_t now = queue_->now();
    if (!runUnderway_ && index_ < actions_.size()) {
        const std::uint64_t due = saturatingAdd(anchorNanos_, actions_[index_].offsetNanos);
        if (now > due) {
            lateStartNanos_ += now - due;
            anchorNanos_ += now - due;
        }
    }
    // After it, everything that has fallen due goes out now, back to back, so a late
    // wake-up catches up instead of shifting the rest of the run. A stop in the middle
    // of such a batch ends it at once.
    while (index_ < actions_.size()) {
        const ScheduledAction& next = actions_[index_];
        const std::uint64_t due = saturatingAdd(anchorNanos_, next.offsetNanos);
        if (due > now) break;
        if (!isCurrent(generation)) return;
        const std::uint64_t planned = due - lateStartNanos_;
        if (fidelity_) fidelity_->expect(next.action, planned, repeatIndex_);
        poster_->perform(next.action);
        if (fidelity_) fidelity_->posted(planned, queue_->now());
        runUnderway_ = runUnderway_ || next.action.kind() != PlaybackAction::Kind::moveCursor;
        ++index_;
    }
    reportProgress(now, false);
    if (index_ < actions_.size()) {
        arm(*timer, index_);
        return;
    }

    if (options_.repeatCount && repeatIndex_ >= *options_.repeatCount) {
        finish(true, generation);
        return;
    }
    // The next run starts its pause where this run was due to end, or when its last
    // action went out if that was later (read again: posting the batch takes time).
    ++repeatIndex_;
    index_ = 0;
    const std::uint64_t runEnd = saturatingAdd(anchorNanos_, actions_.back().offsetNanos);
    startRunAt(saturatingAdd(std::max(runEnd, queue_->now()), options_.delayBetweenRepeatsNanos));
    reportProgress(now, true);
    arm(*timer, 0);
}

void PlaybackEngine::startRunAt(std::uint64_t anchorNanos) {
    anchorNanos_ = anchorNanos;
    lateStartNanos_ = 0;
    runUnderway_ = false;
}

void PlaybackEngine::arm(Timer& timer, std::size_t actionIndex) {
    timer.schedule(saturatingAdd(anchorNanos_, actions_[actionIndex].offsetNanos), std::nullopt, timerLeewayNanos);
}

void PlaybackEngine::finish(bool completed, std::int64_t generation) {
    std::shared_ptr<Timer> timer;
    {
        std::lock_guard lock(mutex_);
        // A stop that came first has taken over the ending, onFinished included.
        if (!playing_ || generation != generation_) return;
        playing_ = false;
        ++generation_;
        timer = std::move(timer_);
    }
    if (timer) timer->cancel();
    poster_->releaseAll();
    deliverFinished(completed);
}

void PlaybackEngine::reportProgress(std::uint64_t now, bool force) {
    if (!force && now < saturatingAdd(lastProgressNanos_, progressIntervalNanos)) return;
    lastProgressNanos_ = now;
    const Progress progress{repeatIndex_, options_.repeatCount, saturatingSubtract(now, anchorNanos_)};
    mainQueue_->post([weak = weak_from_this(), progress] {
        auto self = weak.lock();
        if (self && self->onProgress_) self->onProgress_(progress);
    });
}

void PlaybackEngine::deliverFinished(bool completed) {
    mainQueue_->post([weak = weak_from_this(), completed] {
        auto self = weak.lock();
        if (self && self->onFinished_) self->onFinished_(completed);
    });
}

}  // namespace brevanor

#include "core/control/RecordingController.h"

#include "base/text/Localized.h"
#include "core/capture/EventRecorder.h"
#include "core/model/SaturatingMath.h"

namespace brevanor {

std::shared_ptr<RecordingController> RecordingController::make(std::shared_ptr<InputEventTap> tap,
                                                               std::shared_ptr<MainQueue> mainQueue,
                                                               std::shared_ptr<EventRecorder> recorder, Clock now) {
    return std::shared_ptr<RecordingController>(
        new RecordingController(std::move(tap), std::move(mainQueue), std::move(recorder), std::move(now)));
}

RecordingController::RecordingController(std::shared_ptr<InputEventTap> tap, std::shared_ptr<MainQueue> mainQueue,
                                         std::shared_ptr<EventRecorder> recorder, Clock now)
    : tap_(std::move(tap)), mainQueue_(std::move(mainQueue)), recorder_(std::move(recorder)), now_(std::move(now)) {}

void RecordingController::request(std::int64_t seconds, std::optional<std::uint16_t> triggerKeyCode) {
    if (phase_ != Phase::idle) return;
    if (seconds < 1) {
        begin(triggerKeyCode);
        return;
    }
    phase_ = Phase::countdown;
    remaining_ = seconds;
    changed();
    scheduleCountdownStep();
}

void RecordingController::beginNow(std::optional<std::uint16_t> triggerKeyCode) {
    if (phase_ == Phase::countdown) begin(triggerKeyCode);
}

void RecordingController::cancelCountdown() {
    if (phase_ != Phase::countdown) return;
    ++generation_;
    phase_ = Phase::idle;
    remaining_ = 0;
    changed();
}

void RecordingController::begin(std::optional<std::uint16_t> triggerKeyCode) {
    ++generation_;
    remaining_ = 0;
    eventCount_ = 0;
    elapsedNanos_ = 0;
    startedAt_ = now_();
    // The recorder captures the machine's environment itself.
    recorder_->start(tap_, startedAt_, std::nullopt, triggerKeyCode);
    phase_ = Phase::recording;
    changed();
    scheduleCounterRefresh();
}

std::optional<Recording> RecordingController::finish(std::optional<std::uint64_t> cutoff,
                                                     std::optional<std::uint16_t> stopKeyCode) {
    if (phase_ != Phase::recording) return std::nullopt;
    Recording recording = recorder_->stop(now_(), cutoff, stopKeyCode, std::string());
    ++generation_;
    phase_ = Phase::idle;
    elapsedNanos_ = 0;
    changed();
    return recording;
}

void RecordingController::scheduleCountdownStep() {
    mainQueue_->postAfter(countdownStepNanos, [weak = weak_from_this(), generation = generation_] {
        const auto self = weak.lock();
        if (self && self->generation_ == generation) self->countdownStep();
    });
}

void RecordingController::countdownStep() {
    if (phase_ != Phase::countdown) return;
    if (remaining_ > 1) {
        --remaining_;
        changed();
        scheduleCountdownStep();
    } else {
        begin(std::nullopt);
    }
}

void RecordingController::scheduleCounterRefresh() {
    mainQueue_->postAfter(counterRefreshNanos, [weak = weak_from_this(), generation = generation_] {
        const auto self = weak.lock();
        if (!self || self->generation_ != generation) return;
        self->elapsedNanos_ = saturatingSubtract(self->now_(), self->startedAt_);
        self->eventCount_ = self->recorder_->eventCount();
        self->changed();
        self->scheduleCounterRefresh();
    });
}

void RecordingController::changed() {
    if (onChange) onChange();
}

}  // namespace brevanor

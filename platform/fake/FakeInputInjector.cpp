#include "platform/fake/FakeInputInjector.h"

#include "base/time/MonotonicClock.h"

namespace brevanor {

bool FakeInputInjector::post(const SyntheticInput& input) {
    // The hand-over time, read first so that the fake's own work does not count as lateness.
    const std::uint64_t now = MonotonicClock::now();
    std::function<bool(const SyntheticInput&)> fails;
    std::function<void(const SyntheticInput&)> hook;
    {
        std::lock_guard lock(mutex_);
        fails = fails_;
        hook = hook_;
    }
    if (fails && fails(input)) return false;
    if (hook) hook(input);
    {
        std::lock_guard lock(mutex_);
        posted_.push_back({input, now});
    }
    postedChanged_.notify_all();
    return true;
}

void FakeInputInjector::prepareToPost() {
    std::lock_guard lock(mutex_);
    ++prepared_;
    postedWhenPrepared_ = posted_.size();
}

int FakeInputInjector::preparedCount() const {
    std::lock_guard lock(mutex_);
    return prepared_;
}

std::size_t FakeInputInjector::postedWhenPrepared() const {
    std::lock_guard lock(mutex_);
    return postedWhenPrepared_;
}

std::optional<Point> FakeInputInjector::cursorPosition() {
    std::lock_guard lock(mutex_);
    return cursor_;
}

bool FakeInputInjector::didRecentlyPostKeyDown(std::uint16_t keyCode, std::uint64_t withinNanos,
                                               std::uint64_t nowNanos) {
    std::lock_guard lock(mutex_);
    // Newest first: a long run's history is never read past the window.
    for (auto it = posted_.rbegin(); it != posted_.rend() && it->atNanos + withinNanos >= nowNanos; ++it) {
        if (it->atNanos <= nowNanos && it->input.type == SyntheticInput::Type::keyDown &&
            it->input.keyCode == keyCode) {
            return true;
        }
    }
    return false;
}

void FakeInputInjector::setCursorPosition(std::optional<Point> position) {
    std::lock_guard lock(mutex_);
    cursor_ = position;
}

void FakeInputInjector::failWhen(std::function<bool(const SyntheticInput&)> fails) {
    std::lock_guard lock(mutex_);
    fails_ = std::move(fails);
}

void FakeInputInjector::onPost(std::function<void(const SyntheticInput&)> hook) {
    std::lock_guard lock(mutex_);
    hook_ = std::move(hook);
}

std::vector<FakeInputInjector::Posted> FakeInputInjector::posted() const {
    std::lock_guard lock(mutex_);
    return {posted_.begin(), posted_.end()};
}

std::size_t FakeInputInjector::postedCount() const {
    std::lock_guard lock(mutex_);
    return posted_.size();
}

bool FakeInputInjector::waitUntilPosted(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return postedChanged_.wait_for(lock, timeout, [&] { return posted_.size() >= count; });
}

std::vector<SyntheticInput> FakeInputInjector::postedInputs() const {
    std::lock_guard lock(mutex_);
    std::vector<SyntheticInput> inputs;
    inputs.reserve(posted_.size());
    for (const Posted& p : posted_) inputs.push_back(p.input);
    return inputs;
}

void FakeInputInjector::clear() {
    std::lock_guard lock(mutex_);
    posted_.clear();
}

}  // namespace brevanor

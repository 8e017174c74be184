#include "platform/fake/FakeInputSource.h"

namespace brevanor {

bool FakeInputSource::start(Sink sink) {
    std::lock_guard lock(mutex_);
    ++startCount_;
    if (startFails_) return false;
    sink_ = std::move(sink);
    return true;
}

void FakeInputSource::stop() {
    std::lock_guard lock(mutex_);
    sink_ = nullptr;
}

bool FakeInputSource::push(const TapEvent& event) {
    // The sink runs under the lock: like a real source, it is called one event at
    // a time and never after stop() has returned.
    std::lock_guard lock(mutex_);
    if (!sink_) return false;
    sink_(event);
    return true;
}

void FakeInputSource::setStartFails(bool fails) {
    std::lock_guard lock(mutex_);
    startFails_ = fails;
}

bool FakeInputSource::isRunning() const {
    std::lock_guard lock(mutex_);
    return sink_ != nullptr;
}

int FakeInputSource::startCount() const {
    std::lock_guard lock(mutex_);
    return startCount_;
}

}  // namespace brevanor

#pragma once

#include <mutex>

#include "base/platform/InputSource.h"

namespace brevanor {

// An input source driven by tests: push() delivers an event as if the system
// had produced it, on the calling thread. Thread-safe; pushes from several
// threads reach the sink one at a time.
class FakeInputSource final : public InputSource {
public:
    bool start(Sink sink) override;
    void stop() override;

    // Hands `event` to the sink; false (and nothing delivered) while not running.
    bool push(const TapEvent& event);
    // Makes every following start fail, as when the system refuses the listener.
    void setStartFails(bool fails);
    bool isRunning() const;
    // Successful and failed starts so far.
    int startCount() const;

private:
    mutable std::mutex mutex_;
    Sink sink_;  // set while running
    bool startFails_ = false;
    int startCount_ = 0;
};

}  // namespace brevanor

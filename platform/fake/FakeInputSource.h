#pragma once

#include <atomic>
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
    // Tells from now on that positions are sums of movements, as a Wayland source does.
    void setReportsScreenPositions(bool reports) { reportsScreenPositions_ = reports; }
    bool reportsScreenPositions() const override { return reportsScreenPositions_; }
    bool isRunning() const;
    // Successful and failed starts so far.
    int startCount() const;

private:
    mutable std::mutex mutex_;
    Sink sink_;  // set while running
    bool startFails_ = false;
    int startCount_ = 0;
    std::atomic<bool> reportsScreenPositions_ = true;
};

}  // namespace brevanor

#pragma once

#include <atomic>

#include "base/platform/HeldInput.h"

namespace brevanor {

// A held state that tests set: whatever they set is what the service answers.
class FakeHeldInput final : public HeldInput {
public:
    bool isAnyKeyOrButtonHeld() override;

    void setHeld(bool held) { held_.store(held); }
    // How often the state has been read.
    int readCount() const { return reads_.load(); }

private:
    std::atomic<bool> held_{false};
    std::atomic<int> reads_{0};
};

}  // namespace brevanor

#pragma once

#include <atomic>

#include "base/platform/SecureInput.h"

namespace brevanor {

// A Secure Input state that tests set; readable and settable from any thread.
class FakeSecureInput final : public SecureInput {
public:
    bool isSecureInputEnabled() override;

    void setEnabled(bool enabled) { enabled_.store(enabled); }
    // How often the state has been read.
    int readCount() const { return reads_.load(); }

private:
    std::atomic<bool> enabled_{false};
    std::atomic<int> reads_{0};
};

}  // namespace brevanor

#pragma once

#include "base/platform/SecureInput.h"

namespace brevanor {

// Wayland has no secure keyboard entry that hides keys from the kernel's
// input devices, which is where Brevanor listens: never on.
class WaylandSecureInput final : public SecureInput {
public:
    bool isSecureInputEnabled() override { return false; }
};

}  // namespace brevanor

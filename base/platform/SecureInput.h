#pragma once

namespace brevanor {

// Whether secure keyboard entry is on: keystrokes go to a password field or
// locker and never reach the listener. Callable from any thread.
class SecureInput {
public:
    virtual ~SecureInput() = default;
    virtual bool isSecureInputEnabled() = 0;
};

}  // namespace brevanor

#pragma once

namespace brevanor {

// Starting Brevanor when the user logs in.
class LoginItem {
public:
    virtual ~LoginItem() = default;

    virtual bool isRegistered() = 0;
    // Both throw std::runtime_error with a readable description on failure.
    virtual void registerItem() = 0;
    virtual void unregisterItem() = 0;
};

}  // namespace brevanor

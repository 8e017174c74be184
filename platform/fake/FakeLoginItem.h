#pragma once

#include <optional>
#include <string>

#include "base/platform/LoginItem.h"

namespace brevanor {

// A login item whose registration the test controls: it registers and
// unregisters at once, or refuses with the test's message.
class FakeLoginItem final : public LoginItem {
public:
    bool isRegistered() override { return registered; }
    void registerItem() override;
    void unregisterItem() override;

    bool registered = false;
    // When set, both operations throw std::runtime_error with this text.
    std::optional<std::string> refusal;
    int changeRequests = 0;
};

}  // namespace brevanor

#pragma once

#include <stdexcept>
#include <string>

namespace brevanor {

// An update feed that cannot be used: too large, not JSON, or without a valid
// version or download page. what() is one sentence for the user.
class UpdateFeedError : public std::runtime_error {
public:
    explicit UpdateFeedError(const std::string& sentence) : std::runtime_error(sentence) {}
};

}  // namespace brevanor

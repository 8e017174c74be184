#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace brevanor {

// A recording holds a value the document cannot represent: a non-finite double
// (infinity or not-a-number). `location` names the key, e.g. "events[3].x".
class RecordingEncodingError : public std::runtime_error {
public:
    explicit RecordingEncodingError(std::string location)
        : std::runtime_error(location + ": a non-finite number cannot be written"), location_(std::move(location)) {}

    const std::string& location() const { return location_; }

    // The same error seen from the enclosing value: within("events[3]") turns "x" into "events[3].x".
    RecordingEncodingError within(std::string_view parent) const {
        return RecordingEncodingError(std::string(parent) + "." + location_);
    }

    friend bool operator==(const RecordingEncodingError& a, const RecordingEncodingError& b) {
        return a.location_ == b.location_;
    }

private:
    std::string location_;
};

}  // namespace brevanor

#pragma once

#include <stdexcept>

namespace brevanor {

// The system-wide input listener could not be started.
class InputEventTapError : public std::runtime_error {
public:
    enum class Kind {
        creationFailed,  // the platform refused the listener (no permission, no display)
    };

    static InputEventTapError creationFailed() { return InputEventTapError(Kind::creationFailed); }

    Kind kind() const { return kind_; }

    friend bool operator==(const InputEventTapError& a, const InputEventTapError& b) { return a.kind_ == b.kind_; }

private:
    explicit InputEventTapError(Kind kind)
        : std::runtime_error("the system-wide input listener could not be created"), kind_(kind) {}

    Kind kind_;
};

}  // namespace brevanor

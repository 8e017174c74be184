#pragma once

#include <stdexcept>

namespace brevanor {

// The preferences file cannot take a change: it is there but cannot be read
// (not a regular file, too large, unreadable, not text), so nothing is
// written over it, or the change would make it larger than any reader
// accepts. what() is the reason.
struct PreferencesFileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace brevanor

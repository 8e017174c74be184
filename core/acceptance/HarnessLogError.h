#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace brevanor {

// A harness log that cannot be read, with the number (from 1) of the line at fault.
class HarnessLogError : public std::runtime_error {
public:
    enum class Kind {
        invalidJson,    // detail: the parser's explanation
        notAnObject,    // detail: empty
        missingKey,     // detail: the key
        invalidValue,   // detail: the key and what it must hold
        lineTooLong,    // detail: the largest accepted line length in bytes
        tooManyEvents,  // detail: the largest accepted number of events
    };

    HarnessLogError(Kind kind, std::uint64_t lineNumber, std::string detail);

    Kind kind() const { return kind_; }
    std::uint64_t lineNumber() const { return lineNumber_; }
    const std::string& detail() const { return detail_; }

    friend bool operator==(const HarnessLogError& a, const HarnessLogError& b) {
        return a.kind_ == b.kind_ && a.lineNumber_ == b.lineNumber_ && a.detail_ == b.detail_;
    }

private:
    Kind kind_;
    std::uint64_t lineNumber_;
    std::string detail_;
};

}  // namespace brevanor

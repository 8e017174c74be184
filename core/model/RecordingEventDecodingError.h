#pragma once

#include <stdexcept>
#include <string>

namespace brevanor {

// An event element whose "type" names no known kind of event, typically one
// written by a newer version. The document reader skips such elements.
class RecordingEventDecodingError : public std::runtime_error {
public:
    enum class Case { unknownType };

    static RecordingEventDecodingError unknownType(std::string type) {
        return RecordingEventDecodingError(Case::unknownType, std::move(type));
    }

    Case errorCase() const { return case_; }
    // The "type" text that was not recognised.
    const std::string& type() const { return type_; }

    friend bool operator==(const RecordingEventDecodingError& a, const RecordingEventDecodingError& b) {
        return a.case_ == b.case_ && a.type_ == b.type_;
    }

private:
    RecordingEventDecodingError(Case errorCase, std::string type)
        : std::runtime_error("unknown event type \"" + type + "\""), case_(errorCase), type_(std::move(type)) {}

    Case case_;
    std::string type_;
};

}  // namespace brevanor

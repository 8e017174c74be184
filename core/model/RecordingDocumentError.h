#pragma once

#include <stdexcept>
#include <string>

namespace brevanor {

// A recording document that cannot be read: malformed JSON, a missing required
// key, a value of the wrong type or out of range, an unknown enumeration string.
// `location` names the key and, where there is one, the element index
// ("events[12].keyCode"); it is empty for faults of the document as a whole.
class RecordingDocumentError : public std::runtime_error {
public:
    RecordingDocumentError(std::string location, std::string problem)
        : std::runtime_error(location.empty() ? problem : location + ": " + problem),
          location_(std::move(location)),
          problem_(std::move(problem)) {}

    const std::string& location() const { return location_; }
    const std::string& problem() const { return problem_; }

    friend bool operator==(const RecordingDocumentError& a, const RecordingDocumentError& b) {
        return a.location_ == b.location_ && a.problem_ == b.problem_;
    }

private:
    std::string location_;
    std::string problem_;
};

}  // namespace brevanor

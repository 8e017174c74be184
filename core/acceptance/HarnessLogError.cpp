#include "core/acceptance/HarnessLogError.h"

namespace brevanor {

namespace {

std::string describe(HarnessLogError::Kind kind, std::uint64_t lineNumber, const std::string& detail) {
    const std::string line = "harness log line " + std::to_string(lineNumber);
    switch (kind) {
        case HarnessLogError::Kind::invalidJson: return line + " is not valid JSON: " + detail;
        case HarnessLogError::Kind::notAnObject: return line + " is not a JSON object";
        case HarnessLogError::Kind::missingKey: return line + " lacks the required key \"" + detail + "\"";
        case HarnessLogError::Kind::invalidValue: return line + ": " + detail;
        case HarnessLogError::Kind::lineTooLong: return line + " is longer than " + detail + " bytes";
        case HarnessLogError::Kind::tooManyEvents: return line + " passes the limit of " + detail + " events";
    }
    return line + " cannot be read";
}

}  // namespace

HarnessLogError::HarnessLogError(Kind kind, std::uint64_t lineNumber, std::string detail)
    : std::runtime_error(describe(kind, lineNumber, detail)),
      kind_(kind),
      lineNumber_(lineNumber),
      detail_(std::move(detail)) {}

}  // namespace brevanor

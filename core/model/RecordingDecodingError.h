#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace brevanor {

// A document this version cannot read as a whole: it was written by a newer
// layout. Every other fault of a document is a RecordingDocumentError.
class RecordingDecodingError : public std::runtime_error {
public:
    enum class Case { unsupportedSchemaVersion };

    static RecordingDecodingError unsupportedSchemaVersion(std::int64_t version) {
        return RecordingDecodingError(Case::unsupportedSchemaVersion, version);
    }

    Case errorCase() const { return case_; }
    // The "schemaVersion" the document declared.
    std::int64_t version() const { return version_; }

    friend bool operator==(const RecordingDecodingError& a, const RecordingDecodingError& b) {
        return a.case_ == b.case_ && a.version_ == b.version_;
    }

private:
    RecordingDecodingError(Case errorCase, std::int64_t version)
        : std::runtime_error("unsupported schema version " + std::to_string(version)),
          case_(errorCase),
          version_(version) {}

    Case case_;
    std::int64_t version_;
};

}  // namespace brevanor

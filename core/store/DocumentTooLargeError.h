#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace brevanor {

// A recording document beyond the one size limit of the library: no file
// larger is read, and none larger is written (saved, duplicated, imported or
// exported), so that every document Brevanor accepts or writes can be read
// again. The limit counts the document's bytes as they are in the file.
class DocumentTooLargeError : public std::runtime_error {
public:
    enum class Case {
        fileTooLarge,      // a file to read is larger
        documentTooLarge,  // the document about to be written would be larger
    };

    DocumentTooLargeError(Case errorCase, std::uintmax_t limitBytes);

    Case errorCase() const { return case_; }
    std::uintmax_t limitBytes() const { return limitBytes_; }

    friend bool operator==(const DocumentTooLargeError& a, const DocumentTooLargeError& b) {
        return a.case_ == b.case_ && a.limitBytes_ == b.limitBytes_;
    }

private:
    Case case_;
    std::uintmax_t limitBytes_;
};

}  // namespace brevanor

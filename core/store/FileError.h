#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace brevanor {

// A file operation failed: what was attempted, on which file, and the system's
// error number (errno). Errors compare by all three.
class FileError : public std::runtime_error {
public:
    // `operation` is a verb that reads in "cannot <operation> <path>", such as "write" or "list".
    // `reason` replaces the system's sentence for `errorNumber` where that would mislead.
    FileError(std::string operation, std::filesystem::path path, int errorNumber, const std::string& reason = {});

    const std::string& operation() const { return operation_; }
    const std::filesystem::path& path() const { return path_; }
    int errorNumber() const { return errorNumber_; }

    friend bool operator==(const FileError& a, const FileError& b) {
        return a.operation_ == b.operation_ && a.path_ == b.path_ && a.errorNumber_ == b.errorNumber_;
    }

private:
    std::string operation_;
    std::filesystem::path path_;
    int errorNumber_;
};

}  // namespace brevanor

#include "core/store/FileError.h"

#include <system_error>

namespace brevanor {

namespace {

std::string describe(const std::string& operation, const std::filesystem::path& path, int errorNumber,
                     const std::string& reason) {
    return "cannot " + operation + " \"" + path.string() +
           "\": " + (reason.empty() ? std::system_category().message(errorNumber) : reason);
}

}  // namespace

FileError::FileError(std::string operation, std::filesystem::path path, int errorNumber, const std::string& reason)
    : std::runtime_error(describe(operation, path, errorNumber, reason)),
      operation_(std::move(operation)),
      path_(std::move(path)),
      errorNumber_(errorNumber) {}

}  // namespace brevanor

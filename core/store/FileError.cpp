#include "core/store/FileError.h"

#include <system_error>

namespace brevanor {

namespace {

std::string describe(const std::string& operation, const std::filesystem::path& path, int errorNumber) {
    return "cannot " + operation + " \"" + path.string() + "\": " + std::system_category().message(errorNumber);
}

}  // namespace

FileError::FileError(std::string operation, std::filesystem::path path, int errorNumber)
    : std::runtime_error(describe(operation, path, errorNumber)),
      operation_(std::move(operation)),
      path_(std::move(path)),
      errorNumber_(errorNumber) {}

}  // namespace brevanor

#include "core/store/DocumentTooLargeError.h"

namespace brevanor {

namespace {

// "256 MiB", or the bytes where the limit is no whole number of MiB.
std::string sizeText(std::uintmax_t bytes) {
    constexpr std::uintmax_t kMiB = 1024 * 1024;
    if (bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
    return std::to_string(bytes) + " bytes";
}

std::string message(DocumentTooLargeError::Case errorCase, std::uintmax_t limitBytes) {
    const std::string rule = "larger than " + sizeText(limitBytes) + ", the most a recording document may hold";
    return errorCase == DocumentTooLargeError::Case::fileTooLarge ? "the file is " + rule
                                                                  : "its document would be " + rule;
}

}  // namespace

DocumentTooLargeError::DocumentTooLargeError(Case errorCase, std::uintmax_t limitBytes)
    : std::runtime_error(message(errorCase, limitBytes)), case_(errorCase), limitBytes_(limitBytes) {}

}  // namespace brevanor

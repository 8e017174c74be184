#include "app/update/ReleaseVersion.h"

namespace brevanor {

std::optional<ReleaseVersion> ReleaseVersion::parse(std::string_view text) {
    ReleaseVersion version;
    std::size_t digits = 0;
    std::uint32_t part = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits > mostDigits) return std::nullopt;
            part = part * 10 + static_cast<std::uint32_t>(c - '0');
        } else if (c == '.' && digits > 0 && version.count_ + 1 < mostParts) {
            version.parts_[version.count_++] = part;
            digits = 0;
            part = 0;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;  // empty, or ends in a dot
    version.parts_[version.count_++] = part;
    return version;
}

std::string ReleaseVersion::toString() const {
    std::string text;
    for (std::size_t i = 0; i < count_; ++i) {
        if (i > 0) text += '.';
        text += std::to_string(parts_[i]);
    }
    return text;
}

}  // namespace brevanor

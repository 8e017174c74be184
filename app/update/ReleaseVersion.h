#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brevanor {

// A release number such as 1.4 or 0.12.3: one to four whole numbers joined by
// dots. Missing parts count as 0, so 1.2 and 1.2.0 are the same release.
class ReleaseVersion {
public:
    static constexpr std::size_t mostParts = 4;
    // Nine digits per part: every part fits 32 bits and no text overflows.
    static constexpr std::size_t mostDigits = 9;

    // Nothing unless `text` is exactly such a number (no blanks, signs or suffixes).
    static std::optional<ReleaseVersion> parse(std::string_view text);

    // The parts as read, without the zeros a shorter number stands for.
    std::string toString() const;

    friend std::strong_ordering operator<=>(const ReleaseVersion& a, const ReleaseVersion& b) {
        return a.parts_ <=> b.parts_;
    }
    friend bool operator==(const ReleaseVersion& a, const ReleaseVersion& b) { return a.parts_ == b.parts_; }

private:
    std::array<std::uint32_t, mostParts> parts_{};
    std::size_t count_ = 0;
};

}  // namespace brevanor

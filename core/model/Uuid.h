#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace brevanor {

// A 128-bit universally unique identifier. Recordings are identified by it
// everywhere (file names, list selection, per-recording shortcuts).
struct Uuid {
    std::array<std::uint8_t, 16> bytes{};

    // A new random (version 4) identifier from the system's random source.
    static Uuid random();
    // Parses the canonical 36-character 8-4-4-4-12 form, in either case.
    static std::optional<Uuid> parse(std::string_view text);
    // The canonical text in upper-case hexadecimal.
    std::string toString() const;

    friend bool operator==(const Uuid&, const Uuid&) = default;
    friend auto operator<=>(const Uuid&, const Uuid&) = default;
};

}  // namespace brevanor

template <>
struct std::hash<brevanor::Uuid> {
    std::size_t operator()(const brevanor::Uuid& id) const noexcept;
};

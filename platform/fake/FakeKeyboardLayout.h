#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "base/platform/KeyboardLayout.h"

namespace brevanor {

// A keyboard layout set by the test: an input source id and what each key types.
class FakeKeyboardLayout final : public KeyboardLayout {
public:
    // The letters, digits and punctuation of a US keyboard, with return, tab and space.
    static FakeKeyboardLayout us();
    // A German keyboard: Y and Z swapped, umlauts and ß where US has punctuation.
    static FakeKeyboardLayout german();

    std::optional<std::string> currentInputSourceId() override;
    std::optional<std::string> character(std::uint16_t keyCode) override;

    std::optional<std::string> inputSourceId;
    std::map<std::uint16_t, std::string> characters;
};

}  // namespace brevanor

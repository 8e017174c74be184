#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/checks/KnownShortcut.h"

namespace brevanor {

// The shortcuts this system and most of its applications already use, written
// as the system writes them. One implementation per system, chosen when building.
namespace SystemShortcuts {

// A shortcut as a system's table writes it: the chord's key code and
// modifiers, and its description in English.
struct Row {
    std::uint16_t keyCode;
    std::uint64_t modifiers;
    const char* description;
};

// This system's rows, in a fixed order; each chord once. One implementation per system.
std::span<const Row> rows();
// The rows as shortcuts, their descriptions translated.
std::vector<KnownShortcut> table();
// What a conflict with one of them starts with ("Used by macOS: ").
std::string usedBy();

}  // namespace SystemShortcuts

}  // namespace brevanor

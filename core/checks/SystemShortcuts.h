#pragma once

#include <string>
#include <vector>

#include "core/checks/KnownShortcut.h"

namespace brevanor {

// The shortcuts this system and most of its applications already use, written
// as the system writes them. One implementation per system, chosen when building.
namespace SystemShortcuts {

// In a fixed order; each chord once.
std::vector<KnownShortcut> table();
// What a conflict with one of them starts with ("Used by macOS: ").
std::string usedBy();

}  // namespace SystemShortcuts

}  // namespace brevanor

#pragma once

#include <string>

#include "app/control/HotkeyAction.h"
#include "base/keys/HotkeyChord.h"

namespace brevanor {

// One global shortcut: what it does, its key combination, and the name shown
// for it in messages and lists.
struct HotkeyBinding {
    HotkeyAction action = HotkeyAction::record();
    HotkeyChord chord;
    std::string name;

    friend bool operator==(const HotkeyBinding&, const HotkeyBinding&) = default;
};

}  // namespace brevanor

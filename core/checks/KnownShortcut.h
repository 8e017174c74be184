#pragma once

#include <string>

#include "base/keys/HotkeyChord.h"

namespace brevanor {

// A shortcut the system or most applications already use, with a text that
// names the function and its usual keys.
struct KnownShortcut {
    HotkeyChord chord;
    std::string description;

    friend bool operator==(const KnownShortcut&, const KnownShortcut&) = default;
};

}  // namespace brevanor

#pragma once

#include <string>
#include <vector>

#include "base/keys/HotkeyChord.h"
#include "core/checks/KnownShortcut.h"

namespace brevanor {

class KeyboardLayout;

// Why a shortcut the user picks may not work as hoped: it has no modifier, the
// system already uses it, or another of the user's shortcuts does.
namespace HotkeyConflicts {

// Another shortcut of the application, named as the user knows it.
struct Binding {
    std::string name;
    HotkeyChord chord;
};

// The well-known system shortcuts, in a fixed order.
const std::vector<KnownShortcut>& systemShortcuts();

// One sentence per conflict, every hit kept, in the order: no modifier, system
// shortcuts, other bindings. Empty when the chord is free. `layout` names the
// key in the no-modifier sentence (may be null).
std::vector<std::string> conflicts(const HotkeyChord& chord, const std::vector<Binding>& otherBindings,
                                   KeyboardLayout* layout);

}  // namespace HotkeyConflicts

}  // namespace brevanor

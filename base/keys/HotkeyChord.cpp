#include "base/keys/HotkeyChord.h"

#include "base/keys/KeyCodeNames.h"
#include "base/keys/KeyNameTable.h"

namespace brevanor {

bool HotkeyChord::isAcceptable() const { return hasModifiers() || KeyCodeNames::isFunctionKey(keyCode); }

std::string HotkeyChord::modifierNames() const { return KeyNameTable::modifierNames(normalizedModifiers()); }

std::string HotkeyChord::displayString(KeyboardLayout* layout) const {
    return KeyNameTable::shortcut(modifierNames(), KeyCodeNames::name(keyCode, layout));
}

}  // namespace brevanor

#include "core/model/HotkeyChord.h"

#include "core/checks/KeyCodeNames.h"

namespace brevanor {

bool HotkeyChord::isAcceptable() const { return hasModifiers() || KeyCodeNames::isFunctionKey(keyCode); }

std::string HotkeyChord::modifierSymbols() const {
    std::string symbols;
    if (modifiers & functionFlag) symbols += "fn";
    if (modifiers & controlFlag) symbols += "⌃";
    if (modifiers & optionFlag) symbols += "⌥";
    if (modifiers & shiftFlag) symbols += "⇧";
    if (modifiers & commandFlag) symbols += "⌘";
    return symbols;
}

std::string HotkeyChord::displayString(KeyboardLayout* layout) const {
    return modifierSymbols() + KeyCodeNames::name(keyCode, layout);
}

}  // namespace brevanor

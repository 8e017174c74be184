#pragma once

#include <string>

class QAction;

namespace brevanor {

struct HotkeyChord;

// Shows a global shortcut beside its menu item, written as everywhere else in
// Brevanor: on Linux as the item's shortcut column ("Ctrl+Alt+Super+R"; Qt's
// own key sequences would read "Meta+Ctrl+Alt+R"), on the Mac as the native
// key equivalent. Display only: the global shortcut acts on its own. One
// implementation per system, chosen when building.
namespace MenuShortcut {

// `text` is the chord as Brevanor writes it; `keyName` its key's name alone.
void show(QAction& item, const HotkeyChord& chord, const std::string& text, const std::string& keyName);

}  // namespace MenuShortcut

}  // namespace brevanor

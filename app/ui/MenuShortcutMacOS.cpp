#include <QAction>
#include <QKeySequence>

#include "app/ui/MenuShortcut.h"
#include "base/keys/HotkeyChord.h"

namespace brevanor::MenuShortcut {

void show(QAction& item, const HotkeyChord& chord, const std::string&, const std::string& keyName) {
    const QString name = QString::fromStdString(keyName);
    // Only a key named by one character makes a key equivalent; fn has no
    // counterpart among Qt's modifiers: a key equivalent without it would be wrong.
    if (name.size() != 1 || (chord.modifiers & HotkeyChord::functionFlag)) return;
    Qt::KeyboardModifiers modifiers;
    if (chord.modifiers & HotkeyChord::shiftFlag) modifiers |= Qt::ShiftModifier;
    if (chord.modifiers & HotkeyChord::controlFlag) modifiers |= Qt::ControlModifier;
    if (chord.modifiers & HotkeyChord::optionFlag) modifiers |= Qt::AltModifier;
    if (chord.modifiers & HotkeyChord::commandFlag) modifiers |= Qt::MetaModifier;
    // Qt names a character key by its upper-case code point.
    item.setShortcut(QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(name.at(0).toUpper().unicode()))));
    item.setShortcutContext(Qt::WidgetShortcut);
}

}  // namespace brevanor::MenuShortcut

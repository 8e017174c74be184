#include <QAction>

#include "app/ui/MenuShortcut.h"

namespace brevanor::MenuShortcut {

void show(QAction& item, const HotkeyChord&, const std::string& text, const std::string&) {
    // What follows a tab is drawn in the menu's shortcut column.
    item.setText(item.text() + QLatin1Char('\t') + QString::fromStdString(text));
}

}  // namespace brevanor::MenuShortcut

#include "core/checks/SystemShortcuts.h"

#include "base/text/Localized.h"

namespace brevanor::SystemShortcuts {

std::vector<KnownShortcut> table() {
    std::vector<KnownShortcut> shortcuts;
    shortcuts.reserve(rows().size());
    for (const Row& row : rows()) shortcuts.push_back({{row.keyCode, row.modifiers}, tr(row.description)});
    return shortcuts;
}

}  // namespace brevanor::SystemShortcuts

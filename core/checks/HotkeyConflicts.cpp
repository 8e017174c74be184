#include "core/checks/HotkeyConflicts.h"

#include "base/keys/KeyCodeNames.h"
#include "base/text/Localized.h"
#include "core/checks/SystemShortcuts.h"

namespace brevanor::HotkeyConflicts {

namespace {

bool sameUnderMask(const HotkeyChord& a, const HotkeyChord& b) { return a.matches(b.keyCode, b.modifiers); }

}  // namespace

const std::vector<KnownShortcut>& systemShortcuts() {
    static const std::vector<KnownShortcut> shortcuts = SystemShortcuts::table();
    return shortcuts;
}

std::vector<std::string> conflicts(const HotkeyChord& chord, const std::vector<Binding>& otherBindings,
                                   KeyboardLayout* layout) {
    std::vector<std::string> messages;
    if (!chord.isAcceptable()) {
        messages.push_back(tr("Add a modifier key, or this fires every time you type ") +
                           KeyCodeNames::name(chord.keyCode, layout) + ".");
    }
    for (const KnownShortcut& shortcut : systemShortcuts()) {
        if (sameUnderMask(shortcut.chord, chord)) messages.push_back(SystemShortcuts::usedBy() + shortcut.description);
    }
    for (const Binding& binding : otherBindings) {
        if (sameUnderMask(binding.chord, chord)) {
            messages.push_back(tr("Already assigned to “") + binding.name + tr("”"));
        }
    }
    return messages;
}

}  // namespace brevanor::HotkeyConflicts

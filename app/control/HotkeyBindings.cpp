#include "app/control/HotkeyBindings.h"

#include "app/control/AppSettings.h"
#include "base/text/Localized.h"

namespace brevanor {

std::vector<HotkeyBinding> hotkeyBindings(const AppSettings& settings,
                                          const std::vector<std::shared_ptr<const Recording>>& recordings) {
    std::vector<HotkeyBinding> bindings{
        {HotkeyAction::record(), settings.recordHotkey(), brevanor::tr("Record")},
        {HotkeyAction::playLast(), settings.playLastHotkey(), brevanor::tr("Play Last Recording")},
        {HotkeyAction::stop(), settings.stopHotkey(), brevanor::tr("Stop")},
    };
    for (const auto& recording : recordings) {
        if (recording->settings.playHotkey) {
            bindings.push_back(
                {HotkeyAction::playRecording(recording->id), *recording->settings.playHotkey, recording->name});
        }
    }
    return bindings;
}

}  // namespace brevanor

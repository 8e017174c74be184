#pragma once

#include <memory>
#include <vector>

#include "app/control/HotkeyBinding.h"
#include "core/model/Recording.h"

namespace brevanor {

class AppSettings;

// The shortcuts in force: Record, Play Last Recording and Stop as the settings
// hold them, then the play shortcut of each recording that has one, in the
// library's order.
std::vector<HotkeyBinding> hotkeyBindings(const AppSettings& settings,
                                          const std::vector<std::shared_ptr<const Recording>>& recordings);

}  // namespace brevanor

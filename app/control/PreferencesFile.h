#pragma once

#include <QSettings>
#include <memory>

namespace brevanor {

// The one place that decides where the user's preferences live: on Linux the
// INI file $XDG_CONFIG_HOME/Brevanor/Brevanor.conf (~/.config when unset), on
// macOS the user defaults of com.brevanor.Brevanor.
namespace PreferencesFile {

std::unique_ptr<QSettings> open();

}  // namespace PreferencesFile

}  // namespace brevanor

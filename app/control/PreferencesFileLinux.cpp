#include <QStandardPaths>

#include "app/control/PreferencesFile.h"

namespace brevanor {

std::unique_ptr<QSettings> PreferencesFile::open() {
    // GenericConfigLocation is $XDG_CONFIG_HOME, or ~/.config when it is unset.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return std::make_unique<QSettings>(folder + QStringLiteral("/Brevanor/Brevanor.conf"), QSettings::IniFormat);
}

}  // namespace brevanor

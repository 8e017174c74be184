#include "app/control/PreferencesFile.h"

namespace brevanor {

std::unique_ptr<QSettings> PreferencesFile::open() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("brevanor.com"),
                                       QStringLiteral("Brevanor"));
}

}  // namespace brevanor

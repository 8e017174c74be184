#include "cli/CliContext.h"

#include "cli/CliError.h"
#include "core/store/FileError.h"
#include "core/store/IniPreferencesStore.h"

namespace brevanor {

CliContext::CliContext(Streams streams) : streams_(streams) {}

std::shared_ptr<PreferencesStore> CliContext::preferences() {
    if (!preferences_) {
        try {
            auto preferences = std::make_shared<IniPreferencesStore>(IniPreferencesStore::defaultFile());
            // Said once: the defaults stand in for every value, and nothing is written over the file.
            if (const auto problem = preferences->problem()) {
                err() << "The preferences cannot be read (" << *problem << "); the defaults are used.\n";
            }
            preferences_ = std::move(preferences);
        } catch (const FileError& error) {
            throw CliError(std::string("The preferences cannot be found: ") + error.what() + ".");
        }
    }
    return preferences_;
}

UserSettings CliContext::settings() { return UserSettings::read(*preferences()); }

RecordingStore& CliContext::store() {
    if (!store_) {
        try {
            store_ = std::make_unique<RecordingStore>(RecordingStore::defaultDirectory(), preferences());
        } catch (const FileError& error) {
            throw CliError(std::string("The library cannot be opened: ") + error.what() + ".");
        }
    }
    return *store_;
}

PlatformServices& CliContext::platform() {
    if (!platform_) {
        try {
            platform_ = makePlatformServices(mainQueue_, backend_);
        } catch (const PlatformUnavailableError& error) {
            throw CliError(error.what());
        }
    }
    return *platform_;
}

KeyboardLayout* CliContext::keyboardLayoutIfAvailable() {
    try {
        return platform().keyboard.get();
    } catch (const CliError&) {
        return nullptr;
    }
}

}  // namespace brevanor

#include "cli/CliContext.h"

#include <cstdlib>

#include "cli/CliError.h"
#include "cli/IniPreferencesStore.h"
#include "core/store/FileError.h"

namespace brevanor {

CliContext::CliContext(Streams streams) : streams_(streams) {}

std::shared_ptr<PreferencesStore> CliContext::preferences() {
    if (!preferences_) {
        try {
            preferences_ = std::make_shared<IniPreferencesStore>(IniPreferencesStore::defaultFile());
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
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display) {
            throw CliError(
                "No X display is set (DISPLAY is empty); run this in a desktop session, or try brevanor-cli demo, "
                "which brings its own.");
        }
        try {
            platform_ = makePlatformServices(mainQueue_);
        } catch (const PlatformUnavailableError& error) {
            throw CliError(std::string("The X display ") + display + " cannot be reached (" + error.what() + ").");
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

#pragma once

#include <iosfwd>
#include <memory>
#include <optional>

#include "base/platform/PlatformServices.h"
#include "cli/LoopMainQueue.h"
#include "core/model/DateText.h"
#include "core/store/PreferencesStore.h"
#include "core/store/RecordingStore.h"
#include "core/store/UserSettings.h"

namespace brevanor {

// What the commands work with: the standard streams and whether they are
// terminals, the user's library and preferences (where XDG_DATA_HOME and
// XDG_CONFIG_HOME say), and, made on first use because they need a display
// or compositor, the platform services with the main queue their callbacks run on.
class CliContext {
public:
    struct Streams {
        std::istream& in;
        std::ostream& out;
        std::ostream& err;
        bool inIsTerminal = false;
        bool errIsTerminal = false;
    };

    explicit CliContext(Streams streams);

    std::istream& in() { return streams_.in; }
    std::ostream& out() { return streams_.out; }
    std::ostream& err() { return streams_.err; }
    bool inIsTerminal() const { return streams_.inIsTerminal; }
    bool errIsTerminal() const { return streams_.errIsTerminal; }

    // Throw CliError when the library folder cannot be made.
    RecordingStore& store();
    std::shared_ptr<PreferencesStore> preferences();
    UserSettings settings();
    const DateText& dates() const { return dates_; }

    const std::shared_ptr<LoopMainQueue>& mainQueue() { return mainQueue_; }
    // The backend platform() makes; automatic (the session's) unless set before.
    void setBackend(PlatformBackend backend) { backend_ = backend; }
    // Throws CliError when the backend finds no display or compositor to work on.
    PlatformServices& platform();
    // The keyboard layout to name shortcut keys with, when a display can be reached; else null.
    KeyboardLayout* keyboardLayoutIfAvailable();

private:
    Streams streams_;
    DateText dates_;
    std::shared_ptr<PreferencesStore> preferences_;
    std::unique_ptr<RecordingStore> store_;
    std::shared_ptr<LoopMainQueue> mainQueue_ = std::make_shared<LoopMainQueue>();
    PlatformBackend backend_ = PlatformBackend::automatic;
    std::optional<PlatformServices> platform_;
};

}  // namespace brevanor

#pragma once

#include <stdlib.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"
#include "core/store/RecordingStore.h"
#include "platform/fake/InMemoryPreferencesStore.h"
#include "tests/store/TemporaryDirectory.h"

namespace brevanor {

// Runs brevanor-cli's commands in-process against a library and preferences
// of their own (XDG_DATA_HOME and XDG_CONFIG_HOME in a temporary folder) and
// without an X display, collecting what they print.
class CliHarness {
public:
    struct Result {
        int status = 0;
        std::string out;
        std::string err;
    };

    CliHarness() {
        setenv("XDG_DATA_HOME", (folder_.path() / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (folder_.path() / "config").c_str(), 1);
        // No desktop session: neither display server, and no compositor socket to find.
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("XDG_SESSION_TYPE");
        setenv("XDG_RUNTIME_DIR", folder_.path().c_str(), 1);
    }

    Result run(const std::vector<std::string>& arguments, const std::string& input = {}) {
        std::istringstream in(input);
        std::ostringstream out, err;
        Cli cli("brevanor-cli", {in, out, err, false, false});
        const int status = cli.run(arguments);
        return {status, out.str(), err.str()};
    }

    // The library the commands use, opened as another process would.
    RecordingStore store() const { return RecordingStore(library(), std::make_shared<InMemoryPreferencesStore>()); }
    Recording add(Recording recording) const { return store().add(std::move(recording)); }

    const std::filesystem::path& folder() const { return folder_.path(); }
    std::filesystem::path library() const { return folder_.path() / "data" / "Brevanor" / "Recordings"; }

private:
    TemporaryDirectory folder_;
};

}  // namespace brevanor

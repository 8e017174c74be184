#pragma once

#include <memory>
#include <string>

#include "base/platform/HeldInput.h"
#include "platform/x11/X11Connection.h"

namespace brevanor {

// Reads the server's view of the core keyboard (every key's down state) and
// of the pointer's buttons. Keys held by any client count, XTest ones too:
// the server merges them with the physical devices. Main thread only.
class X11HeldInput final : public HeldInput {
public:
    // Needs the display name (empty: $DISPLAY) for a connection of its own,
    // opened on first use and again after the server went away.
    explicit X11HeldInput(std::string displayName);

    bool isAnyKeyOrButtonHeld() override;

private:
    X11Connection* connection();

    const std::string displayName_;
    std::unique_ptr<X11Connection> connection_;
};

}  // namespace brevanor

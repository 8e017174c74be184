#pragma once

namespace brevanor {

// Whether the application's own windows have the user's attention, and
// getting them out of the way before recording or playing. Main thread only.
class AppActivation {
public:
    virtual ~AppActivation() = default;

    // One of the application's windows is the active window.
    virtual bool isActive() = 0;
    // Moves the application's windows out of the way (the next activation brings them back).
    virtual void hide() = 0;
};

}  // namespace brevanor

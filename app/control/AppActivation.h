#pragma once

namespace brevanor {

// Whether the application's own windows have the user's attention, and
// getting them out of the way before recording or playing. Main thread only.
class AppActivation {
public:
    virtual ~AppActivation() = default;

    // One of the application's windows is the active window.
    virtual bool isActive() = 0;
    // Moves the application's windows out of the way.
    virtual void hide() = 0;
    // Brings back the windows the last hide() moved out of the way: nothing
    // else would on a desktop that has no "show the application again".
    virtual void showAgain() = 0;
};

}  // namespace brevanor

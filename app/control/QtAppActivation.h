#pragma once

#include "app/control/AppActivation.h"

namespace brevanor {

// Activity of the application's Qt windows. Hiding minimizes every visible
// window, which keeps them in the task bar: X11 has no "hide application", and
// a hidden window without a tray icon would be hard to find again.
class QtAppActivation final : public AppActivation {
public:
    bool isActive() override;
    void hide() override;
};

}  // namespace brevanor

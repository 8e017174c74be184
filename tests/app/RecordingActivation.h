#pragma once

#include "app/control/AppActivation.h"

namespace brevanor::testing {

// An application whose activity the test sets; counts how often it was hidden.
class RecordingActivation final : public AppActivation {
public:
    bool isActive() override { return active; }
    void hide() override {
        ++hides;
        active = false;
    }
    void showAgain() override {}

    bool active = true;
    int hides = 0;
};

}  // namespace brevanor::testing

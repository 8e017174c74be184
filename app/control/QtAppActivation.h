#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

#include "app/control/AppActivation.h"

namespace brevanor {

// Activity of the application's Qt windows. Hiding takes every shown window
// off the screen, and showing again brings the same windows back. Minimizing
// would not do: without a window manager nothing minimizes a window, and it
// would stay in front holding the keyboard focus, so that everything typed
// during a recording went to Brevanor instead of being recorded.
class QtAppActivation final : public AppActivation {
public:
    bool isActive() override;
    void hide() override;
    void showAgain() override;

private:
    std::vector<QPointer<QWidget>> hidden_;
};

}  // namespace brevanor

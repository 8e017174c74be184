#pragma once

#include <QObject>
#include <memory>

namespace brevanor {

class AppCoordinator;
class AppSettings;
class OverlayView;

// Shows the status pill while anything runs (countdown, recording, preparation,
// playback) and the pill is switched on, and hides it otherwise, at once. The
// pill floats above every window at the top centre of the screen under the
// pointer, placed each time it appears and never moved while shown. It never
// takes the focus and never receives a click: the window system delivers
// clicks to whatever lies beneath, and no window manager frames, focuses or
// moves it.
class OverlayController : public QObject {
    Q_OBJECT

public:
    // How far below the top of the screen's usable area the pill floats.
    static constexpr int topMargin = 10;

    OverlayController(AppCoordinator& coordinator, AppSettings& settings, QObject* parent = nullptr);
    ~OverlayController() override;

    // Made when the pill first appears; null before.
    OverlayView* panel() const { return panel_.get(); }

private:
    void showOrHide();
    void show();
    void place();

    AppCoordinator& coordinator_;
    AppSettings& settings_;
    // A window of its own, which no plain object can parent.
    std::unique_ptr<OverlayView> panel_;
};

}  // namespace brevanor

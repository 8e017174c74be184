#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <memory>

#include "app/ui/OnboardingTexts.h"
#include "core/checks/Permissions.h"

class QPushButton;
class QStackedWidget;

namespace brevanor {

class AppCoordinator;
class AppSettings;
class MainQueue;
class OnboardingPermissionPage;
class StatusDot;

// The guide a new user sees first: what Brevanor does and its shortcuts, the
// two permissions one step each, and a summary. While it is on screen it looks
// at the permissions every half second; a permission step whose permission is
// granted moves on by itself 0.8 s later. Closing or finishing only hides it;
// after it was finished it starts over when shown again. Main thread only.
class OnboardingWindow : public QDialog {
    Q_OBJECT

public:
    enum Step { welcome, accessibility, inputMonitoring, done };
    static constexpr std::uint64_t tickNanos = 500'000'000;
    static constexpr std::uint64_t advanceDelayNanos = 800'000'000;

    OnboardingWindow(AppCoordinator& coordinator, AppSettings& settings, Permissions permissions,
                     std::shared_ptr<MainQueue> mainQueue, const OnboardingTexts& texts);

    Step step() const { return step_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void goTo(Step step, bool animated);
    void scheduleTick(std::uint64_t generation);
    void tick();
    void finish();
    void showPermissions();

    AppCoordinator& coordinator_;
    const Permissions permissions_;
    const std::shared_ptr<MainQueue> mainQueue_;
    Step step_ = welcome;
    // A move to the next step is pending.
    bool advancing_ = false;
    bool finished_ = false;
    // Ticks are main-queue tasks, which cannot be taken back: each carries the
    // generation it was started under and stops once that has moved on.
    std::uint64_t tickerGeneration_ = 0;

    QStackedWidget* pages_;
    OnboardingPermissionPage* accessibilityPage_;
    OnboardingPermissionPage* inputMonitoringPage_;
    std::array<StatusDot*, 4> dots_{};
    QPushButton* back_;
    QPushButton* skip_;
    QPushButton* continue_;
    QPushButton* openLibrary_;
    QPushButton* done_;
};

}  // namespace brevanor

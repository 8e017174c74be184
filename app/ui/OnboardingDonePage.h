#pragma once

#include <QWidget>

#include "app/ui/OnboardingTexts.h"

class QLabel;

namespace brevanor {

class AppCoordinator;
class AppSettings;
class SignedLabel;

// The onboarding's last step: how to start recording, a warning while a
// permission is missing, and where the recordings are managed.
class OnboardingDonePage : public QWidget {
    Q_OBJECT

public:
    OnboardingDonePage(AppCoordinator& coordinator, AppSettings& settings, const OnboardingTexts& texts,
                       QWidget* parent = nullptr);

private:
    void showState();

    AppCoordinator& coordinator_;
    AppSettings& settings_;
    const std::string whereItLives_;
    QLabel* howToRecord_;
    SignedLabel* skipped_;
};

}  // namespace brevanor

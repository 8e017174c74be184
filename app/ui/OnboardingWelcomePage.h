#pragma once

#include <QWidget>

#include "app/ui/OnboardingTexts.h"

namespace brevanor {

class AppCoordinator;
class AppSettings;
class SignedLabel;

// The onboarding's first step: what Brevanor does, its three global shortcuts
// as the user has set them, where the recordings stay, and what comes next.
class OnboardingWelcomePage : public QWidget {
    Q_OBJECT

public:
    OnboardingWelcomePage(AppCoordinator& coordinator, AppSettings& settings, const OnboardingTexts& texts,
                          QWidget* parent = nullptr);

private:
    void showShortcuts();

    AppCoordinator& coordinator_;
    AppSettings& settings_;
    SignedLabel* record_;
    SignedLabel* playLast_;
    SignedLabel* stop_;
};

}  // namespace brevanor

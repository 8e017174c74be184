#pragma once

#include <QWidget>

#include "app/ui/OnboardingTexts.h"

class QLabel;
class QPushButton;

namespace brevanor {

class StatusDot;

// One of the onboarding's permission steps: what the permission is for, a
// light that says whether it is granted, and, while it is not, how to grant it.
class OnboardingPermissionPage : public QWidget {
    Q_OBJECT

public:
    explicit OnboardingPermissionPage(const OnboardingTexts::PermissionStep& texts, QWidget* parent = nullptr);

    void showGranted(bool granted);

signals:
    void grantRequested();
    void settingsRequested();

private:
    StatusDot* light_;
    QLabel* state_;
    QWidget* howToGrant_;
    QLabel* movingOn_;
};

}  // namespace brevanor

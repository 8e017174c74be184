#pragma once

#include <QWidget>

class QLabel;

namespace brevanor {

class AppCoordinator;

// A plain stand-in for the onboarding window: what each permission is for,
// whether it is granted, and a way on to the library.
class OnboardingWindow : public QWidget {
    Q_OBJECT

public:
    explicit OnboardingWindow(AppCoordinator& coordinator);

private:
    void showPermissions();

    AppCoordinator& coordinator_;
    QLabel* permissions_;
};

}  // namespace brevanor

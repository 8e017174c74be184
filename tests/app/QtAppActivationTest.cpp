#include <gtest/gtest.h>

#include <QWidget>

#include "app/control/QtAppActivation.h"

namespace brevanor::testing {
namespace {

// Hiding takes the windows the user works in off the screen, and only those:
// the tray icon is a window that bypasses the window manager, as is the pill.
TEST(QtAppActivationTest, HidesTheShownWindowsAndShowsTheSameAgain) {
    QWidget library;
    QWidget settings;
    QWidget neverShown;
    QWidget trayIcon(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    library.show();
    settings.show();
    trayIcon.show();

    QtAppActivation activation;
    activation.hide();
    EXPECT_FALSE(library.isVisible());
    EXPECT_FALSE(settings.isVisible());
    EXPECT_TRUE(trayIcon.isVisible());

    settings.show();  // shown again by the user meanwhile
    activation.showAgain();
    EXPECT_TRUE(library.isVisible());
    EXPECT_TRUE(settings.isVisible());
    EXPECT_FALSE(neverShown.isVisible());

    library.hide();
    activation.showAgain();
    EXPECT_FALSE(library.isVisible()) << "once only";
}

}  // namespace
}  // namespace brevanor::testing

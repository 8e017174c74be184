#include "app/control/AppDelegate.h"

#include <QSystemTrayIcon>
#include <exception>

#include "app/control/AppSettings.h"
#include "app/ui/LibraryWindow.h"
#include "app/ui/MenuBarController.h"
#include "app/ui/NoticeBanner.h"
#include "app/ui/OnboardingWindow.h"
#include "app/ui/OverlayController.h"
#include "app/ui/SettingsWindow.h"
#include "app/ui/WindowPlacement.h"
#include "base/text/Localized.h"
#include "core/store/RecordingStore.h"

namespace brevanor {

AppDelegate::AppDelegate(Environment environment, QObject* parent)
    : QObject(parent), environment_(std::move(environment)) {}

AppDelegate::~AppDelegate() = default;

bool AppDelegate::launch() {
    // Where the application runs from matters only for macOS bundles (a
    // translocated or disk-image copy loses its permissions); on Linux every
    // location is a real one, so there is nothing to check.
    settings_ = std::make_unique<AppSettings>(environment_.preferences, environment_.services.platform.loginItem);
    // From here on every change goes through the settings, which tell the user of one that cannot be written.
    environment_.preferences = settings_->preferences();
    try {
        const std::filesystem::path folder =
            environment_.recordingsDirectory ? *environment_.recordingsDirectory : RecordingStore::defaultDirectory();
        store_ = std::make_shared<RecordingStore>(folder, environment_.preferences);
    } catch (const std::exception& error) {
        environment_.services.prompts->showFolderAlert(error.what());
        settings_.reset();
        return false;
    }
    coordinator_ = std::make_unique<AppCoordinator>(*settings_, store_, environment_.services);
    updater_ = std::make_unique<UpdaterController>(environment_.preferences, environment_.updates);
    menuBar_ = std::make_unique<MenuBarController>(*coordinator_, *settings_);
    overlay_ = std::make_unique<OverlayController>(*coordinator_, *settings_);
    libraryWindow_ =
        std::make_unique<LibraryWindow>(*coordinator_, *settings_, environment_.services, environment_.preferences);
    settingsWindow_ = std::make_unique<SettingsWindow>(*coordinator_, *settings_, *updater_);
    WindowPlacement::center(*settingsWindow_);
    onboardingWindow_ = std::make_unique<OnboardingWindow>(
        *coordinator_, *settings_, Permissions(environment_.services.platform.permissions),
        environment_.services.mainQueue,
        OnboardingTexts::forBackend(environment_.services.platform.backend, store_->directory()));

    coordinator_->openLibrary = [this] { showLibrary(); };
    coordinator_->openSettings = [this] { WindowPlacement::showInFront(*settingsWindow_); };
    coordinator_->openOnboarding = [this] {
        WindowPlacement::center(*onboardingWindow_);
        WindowPlacement::showInFront(*onboardingWindow_);
    };

    // Stored at once, so that quitting during the onboarding does not show it again.
    const bool launchedBefore = environment_.preferences->getBoolean(hasLaunchedBeforeKey).value_or(false);
    environment_.preferences->setBoolean(hasLaunchedBeforeKey, true);
    if (!launchedBefore) {
        coordinator_->openOnboarding();
    } else if (!coordinator_->accessibilityGranted() || !coordinator_->inputMonitoringGranted()) {
        showLibrary();  // it shows what is missing
    }
    // Without a tray the library window is the way in.
    if (!systemTrayAvailable()) {
        showLibrary();
        tellOnceThatThereIsNoTray();
    }
    return true;
}

bool AppDelegate::systemTrayAvailable() const {
    return environment_.systemTrayAvailable ? environment_.systemTrayAvailable()
                                            : QSystemTrayIcon::isSystemTrayAvailable();
}

void AppDelegate::tellOnceThatThereIsNoTray() {
    if (environment_.preferences->getBoolean(noTrayNoticeShownKey).value_or(false)) return;
    environment_.preferences->setBoolean(noTrayNoticeShownKey, true);
    // In the window, not in a box of its own that would take the focus from the user's work.
    libraryWindow_->notice().show(
        brevanor::tr("This desktop shows no tray icons, so Brevanor’s menu is in this window. The shortcuts work as "
                     "usual, and closing the window keeps Brevanor running."));
}

void AppDelegate::showLibrary() {
    if (libraryWindow_) WindowPlacement::showInFront(*libraryWindow_);
}

void AppDelegate::openFiles(const std::vector<std::filesystem::path>& files) {
    if (coordinator_) coordinator_->importFiles(files);
    showLibrary();
}

void AppDelegate::reopen() { showLibrary(); }

void AppDelegate::becameActive() {
    if (coordinator_) coordinator_->refreshPermissions();
}

void AppDelegate::terminate() {
    if (coordinator_) coordinator_->shutdown();
}

QWidget* AppDelegate::libraryWindow() const { return libraryWindow_.get(); }

QWidget* AppDelegate::settingsWindow() const { return settingsWindow_.get(); }

QWidget* AppDelegate::onboardingWindow() const { return onboardingWindow_.get(); }

}  // namespace brevanor

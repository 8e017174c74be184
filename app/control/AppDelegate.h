#pragma once

#include <QObject>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "app/control/AppCoordinator.h"
#include "app/update/UpdaterController.h"
#include "core/store/PreferencesStore.h"

namespace brevanor {

class AppSettings;
class LibraryWindow;
class MenuBarController;
class OnboardingWindow;
class OverlayController;
class RecordingStore;
class SettingsWindow;

// The application's start-up and life cycle: creates the long-lived objects
// once and in order, wires the window callbacks into the coordinator, decides
// which window to show at launch, and forwards activation, files to open,
// reopening and termination to the coordinator. Main thread only.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    static constexpr std::string_view hasLaunchedBeforeKey = "hasLaunchedBefore";
    // The user was told once that the desktop has no tray.
    static constexpr std::string_view noTrayNoticeShownKey = "noTrayNoticeShown";

    struct Environment {
        AppCoordinator::Services services;
        std::shared_ptr<PreferencesStore> preferences;
        // The library folder; the store's default folder when absent.
        std::optional<std::filesystem::path> recordingsDirectory;
        // Whether the desktop shows tray icons; QSystemTrayIcon's answer when empty.
        std::function<bool()> systemTrayAvailable;
        // Where update checks look; the program gives its build's, tests none (no checks).
        UpdaterController::Configuration updates;
    };

    explicit AppDelegate(Environment environment, QObject* parent = nullptr);
    // Windows first, then the coordinator, then what it uses.
    ~AppDelegate() override;

    // The launch sequence. False when the application must end: the recordings
    // folder could not be used (the user has been told); nothing else was created.
    bool launch();
    // Files handed to the application: imported, then the library comes forward.
    void openFiles(const std::vector<std::filesystem::path>& files);
    // The application was started again while running: the library comes forward.
    void reopen();
    // The application became active: the permissions may have changed meanwhile.
    void becameActive();
    // The application is ending (quit, a termination signal, logout).
    void terminate();

    // Null before launch() and after a failed one.
    AppCoordinator* coordinator() const { return coordinator_.get(); }
    MenuBarController* menuBar() const { return menuBar_.get(); }
    OverlayController* overlay() const { return overlay_.get(); }
    QWidget* libraryWindow() const;
    QWidget* settingsWindow() const;
    QWidget* onboardingWindow() const;

private:
    void showLibrary();
    bool systemTrayAvailable() const;
    void tellOnceThatThereIsNoTray();

    Environment environment_;
    std::unique_ptr<AppSettings> settings_;
    std::shared_ptr<RecordingStore> store_;
    std::unique_ptr<AppCoordinator> coordinator_;
    std::unique_ptr<UpdaterController> updater_;
    std::unique_ptr<MenuBarController> menuBar_;
    std::unique_ptr<OverlayController> overlay_;
    std::unique_ptr<LibraryWindow> libraryWindow_;
    std::unique_ptr<SettingsWindow> settingsWindow_;
    std::unique_ptr<OnboardingWindow> onboardingWindow_;
};

}  // namespace brevanor

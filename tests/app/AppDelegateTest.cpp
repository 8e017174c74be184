#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#include <fstream>

#include "app/control/AppDelegate.h"
#include "app/ui/NoticeBanner.h"
#include "core/store/IniPreferencesStore.h"
#include "tests/app/CoordinatorTest.h"
#include "tests/store/StoreTestFiles.h"

namespace brevanor::testing {
namespace {

// Launches on the fake backend with the fixture's preferences, as often as a test likes.
class AppDelegateTest : public CoordinatorTest {
protected:
    std::unique_ptr<AppDelegate> launch(bool expectSuccess = true) {
        AppDelegate::Environment environment;
        environment.services = services();
        environment.preferences = preferences;
        environment.recordingsDirectory = recordingsFolder;
        environment.systemTrayAvailable = [this] { return trayAvailable; };
        auto delegate = std::make_unique<AppDelegate>(std::move(environment));
        EXPECT_EQ(delegate->launch(), expectSuccess);
        return delegate;
    }

    static std::vector<std::string> visibleWindows(const AppDelegate& delegate) {
        std::vector<std::string> titles;
        for (QWidget* window : {delegate.libraryWindow(), delegate.settingsWindow(), delegate.onboardingWindow()}) {
            if (window && window->isVisible()) titles.push_back(window->windowTitle().toStdString());
        }
        return titles;
    }

    std::filesystem::path recordingsFolder = folder.path() / "Recordings";
    bool trayAvailable = true;
};

TEST_F(AppDelegateTest, TheFirstLaunchShowsTheOnboardingALaterOneOnlyWhatIsMissingAndBecomingActiveLooksAgain) {
    permissions->accessibility = false;
    {
        const auto first = launch();
        EXPECT_EQ(visibleWindows(*first), std::vector<std::string>{"Welcome to Brevanor"});
        EXPECT_EQ(preferences->getBoolean(AppDelegate::hasLaunchedBeforeKey), true) << "stored at once";
    }
    {
        // Quit before the onboarding was finished: the next launch shows the library,
        // which tells what is missing.
        const auto second = launch();
        EXPECT_EQ(visibleWindows(*second), std::vector<std::string>{"Brevanor"});
    }
    // With nothing missing, a later launch shows no window.
    permissions->accessibility = true;
    const auto delegate = launch();
    EXPECT_TRUE(visibleWindows(*delegate).empty());
    EXPECT_EQ(hotKeys->registered().size(), 3u);
    EXPECT_TRUE(source->isRunning()) << "the listener runs from launch with Input Monitoring";
    permissions->inputMonitoring = false;
    delegate->becameActive();
    EXPECT_FALSE(delegate->coordinator()->inputMonitoringGranted());
}

TEST_F(AppDelegateTest, WithoutATrayTheLibraryOpensAtEveryLaunchAndTheFirstOneSaysWhyInsideIt) {
    preferences->setBoolean(AppDelegate::hasLaunchedBeforeKey, true);
    trayAvailable = false;
    for (const bool first : {true, false}) {
        const auto delegate = launch();
        EXPECT_EQ(visibleWindows(*delegate), std::vector<std::string>{"Brevanor"});
        for (QWidget* window : QApplication::topLevelWidgets()) {
            EXPECT_FALSE(window->isVisible() && qobject_cast<QMessageBox*>(window)) << "no box takes the focus";
        }
        const auto* notice = delegate->libraryWindow()->findChild<NoticeBanner*>();
        ASSERT_NE(notice, nullptr);
        EXPECT_EQ(notice->isVisible(), first);
        if (first) {
            EXPECT_TRUE(notice->text().startsWith("This desktop shows no tray icons")) << notice->text().toStdString();
        }
    }
    EXPECT_NE(launch()->menuBar(), nullptr) << "the tray icon waits for a tray to appear";
}

TEST_F(AppDelegateTest, FilesOpenedWithTheApplicationAreImportedAndTerminationSavesARecordingInProgress) {
    preferences->setBoolean(AppDelegate::hasLaunchedBeforeKey, true);
    const auto delegate = launch();
    std::vector<std::filesystem::path> files;
    for (const char* name : {"one.macro", "two.macro"})
        files.push_back(writeFile(name, document(typingRecording(name))));
    delegate->openFiles(files);
    EXPECT_EQ(delegate->coordinator()->recordings().size(), 2u);
    EXPECT_EQ(visibleWindows(*delegate), std::vector<std::string>{"Brevanor"});

    delegate->libraryWindow()->hide();
    delegate->reopen();
    EXPECT_TRUE(delegate->libraryWindow()->isVisible());

    // Termination saves a recording in progress and unregisters everything.
    AppCoordinator& coordinator = *delegate->coordinator();
    coordinator.handleHotkeyAction(HotkeyAction::record(), now(), 15);
    coordinator.toggleRecording();  // skips the countdown
    ASSERT_EQ(coordinator.state(), AppState::recording());
    feed({key(true, 0, now()), key(false, 0, now() + kMillis)});
    delegate->terminate();
    EXPECT_EQ(coordinator.recordings().size(), 3u);
    EXPECT_TRUE(hotKeys->registered().empty());
    EXPECT_FALSE(source->isRunning());
}

TEST_F(AppDelegateTest, AnUnusableRecordingsFolderIsReportedAndNothingIsCreated) {
    std::ofstream(recordingsFolder) << "a file where the folder should be";
    const auto delegate = launch(/*expectSuccess=*/false);
    ASSERT_EQ(prompts->folderAlerts.size(), 1u);
    EXPECT_NE(prompts->folderAlerts[0].find("Recordings"), std::string::npos) << prompts->folderAlerts[0];
    EXPECT_EQ(delegate->coordinator(), nullptr);
    EXPECT_EQ(delegate->libraryWindow(), nullptr);
    EXPECT_TRUE(hotKeys->registered().empty());
    // Life-cycle events without a coordinator do nothing.
    delegate->becameActive();
    delegate->openFiles({});
    delegate->terminate();
}

// Preferences that cannot be read (here a file that is not text) never stop
// the application and are never written over: it says what is wrong, and a
// new recording is saved under its automatic name all the same.
TEST_F(AppDelegateTest, PreferencesThatCannotBeReadAreToldLeftAsTheyAreAndCostNoRecording) {
    const auto file = folder.path() / "Brevanor" / "Brevanor.conf";
    std::filesystem::create_directories(file.parent_path());
    const std::string notText = std::string("[General]\ncom.brevanor.recordingCounter=41\n") + '\0';
    std::ofstream(file, std::ios::binary) << notText;
    preferences = std::make_shared<IniPreferencesStore>(file);

    const auto delegate = launch();
    AppCoordinator& coordinator = *delegate->coordinator();
    ASSERT_TRUE(coordinator.errorMessage().has_value());
    EXPECT_NE(coordinator.errorMessage()->find("is not a text file"), std::string::npos) << *coordinator.errorMessage();

    coordinator.toggleRecording();
    mainQueue->advanceBy(3 * kSeconds);  // the countdown
    ASSERT_EQ(coordinator.state(), AppState::recording());
    feed({key(true, 0, now()), key(false, 0, now() + kMillis)});
    mainQueue->advanceBy(100 * kMillis);
    coordinator.stop();
    ASSERT_EQ(coordinator.recordings().size(), 1u);
    EXPECT_TRUE(coordinator.recordings().front()->name.starts_with("Recording 1 – "));
    ASSERT_TRUE(coordinator.errorMessage().has_value());
    EXPECT_NE(coordinator.errorMessage()->find("could not be stored"), std::string::npos)
        << *coordinator.errorMessage();

    EXPECT_EQ(readFile(file), notText);
}

}  // namespace
}  // namespace brevanor::testing

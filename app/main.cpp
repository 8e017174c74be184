#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QSessionManager>
#include <filesystem>

#include "app/control/AppCoordinator.h"
#include "app/control/AppDelegate.h"
#include "app/control/HotkeyAction.h"
#include "app/control/QtAppActivation.h"
#include "app/control/QtAppPrompts.h"
#include "app/control/QtMainQueue.h"
#include "app/control/SingleInstance.h"
#include "app/control/TerminationSignals.h"
#include "base/platform/PlatformServices.h"
#include "base/text/Localized.h"
#include "base/time/MonotonicClock.h"
#include "core/capture/InputEventTap.h"
#include "core/store/FileError.h"
#include "core/store/IniPreferencesStore.h"

using namespace brevanor;

namespace {

std::vector<std::filesystem::path> toPaths(const QStringList& files) {
    std::vector<std::filesystem::path> paths;
    for (const QString& file : files) paths.emplace_back(file.toStdString());
    return paths;
}

// The actions another launch may hand over (`brevanor --record`, `--play-last`,
// `--stop`), for compositor key bindings where no global shortcut can be had.
const QStringList kActionOptions{QStringLiteral("--record"), QStringLiteral("--play-last"), QStringLiteral("--stop")};
const QStringList kActions{QStringLiteral("record"), QStringLiteral("playLast"), QStringLiteral("stop")};

void perform(AppDelegate& delegate, const QString& action) {
    AppCoordinator* coordinator = delegate.coordinator();
    if (!coordinator) return;
    if (action == kActions[0]) coordinator->toggleRecording();
    if (action == kActions[1]) coordinator->handleHotkeyAction(HotkeyAction::playLast(), MonotonicClock::now(), 0);
    if (action == kActions[2]) coordinator->stop();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brevanor"));
    QApplication::setDesktopFileName(QStringLiteral("com.brevanor.Brevanor"));
    // Brevanor keeps running with every window closed: the shortcuts stay live.
    QApplication::setQuitOnLastWindowClosed(false);

    // Files on the command line are the files opened with the application;
    // "--backend x11|wayland" overrides the session's platform backend.
    QStringList files;
    PlatformBackend backend = PlatformBackend::automatic;
    QString action;
    const QStringList arguments = QApplication::arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (const auto index = kActionOptions.indexOf(arguments[i]); index >= 0) {
            action = kActions[index];
            continue;
        }
        if (arguments[i] == QStringLiteral("--backend") || arguments[i].startsWith(QStringLiteral("--backend="))) {
            const QString name = arguments[i] == QStringLiteral("--backend")
                                     ? (i + 1 < arguments.size() ? arguments[++i] : QString())
                                     : arguments[i].mid(QStringLiteral("--backend=").size());
            const auto named = platformBackendNamed(name.toStdString());
            if (!named) {
                QMessageBox::critical(nullptr, QStringLiteral("Brevanor"),
                                      QString::fromStdString(tr("The option --backend takes x11 or wayland, not “") +
                                                             name.toStdString() + "”."));
                return 2;
            }
            backend = *named;
            continue;
        }
        files.push_back(QFileInfo(arguments[i]).absoluteFilePath());
    }
    SingleInstance instance(SingleInstance::defaultServerName());
    if (action.isEmpty() ? instance.forwardToRunningInstance(files) : instance.forwardActionToRunningInstance(action)) {
        return 0;
    }
    instance.listen();

    const auto mainQueue = std::make_shared<QtMainQueue>();
    PlatformServices platform;
    try {
        platform = makePlatformServices(mainQueue, backend);
    } catch (const PlatformUnavailableError& error) {
        QMessageBox::critical(nullptr, QStringLiteral("Brevanor"),
                              QString::fromStdString(tr("Brevanor cannot start: ") + error.what()));
        return 1;
    }

    AppDelegate::Environment environment;
    environment.services.platform = platform;
    environment.services.tap = std::make_shared<InputEventTap>(platform.inputSource);
    environment.services.mainQueue = mainQueue;
    environment.services.prompts = std::make_shared<QtAppPrompts>();
    environment.services.activation = std::make_shared<QtAppActivation>();
    try {
        // The file brevanor-cli reads and writes too.
        environment.preferences = std::make_shared<IniPreferencesStore>(IniPreferencesStore::defaultFile());
    } catch (const FileError& error) {  // no home folder
        QMessageBox::critical(nullptr, QStringLiteral("Brevanor"),
                              QString::fromStdString(tr("Brevanor cannot start: ") + error.what()));
        return 1;
    }
    environment.updates = UpdaterController::Configuration::ofThisBuild();
    AppDelegate delegate(std::move(environment));
    if (!delegate.launch()) return 1;

    QObject::connect(&instance, &SingleInstance::activated, &delegate, [&delegate](const QStringList& forwarded) {
        if (forwarded.isEmpty()) {
            delegate.reopen();
        } else {
            delegate.openFiles(toPaths(forwarded));
        }
    });
    QObject::connect(&instance, &SingleInstance::actionRequested, &delegate,
                     [&delegate](const QString& requested) { perform(delegate, requested); });
    QObject::connect(&application, &QGuiApplication::applicationStateChanged, &delegate,
                     [&delegate](Qt::ApplicationState state) {
                         if (state == Qt::ApplicationActive) delegate.becameActive();
                     });
    // Every way out runs the coordinator's shutdown: quitting, a termination
    // signal (which quits), and the session ending at logout.
    TerminationSignals terminationSignals;
    QObject::connect(&terminationSignals, &TerminationSignals::received, &application, &QCoreApplication::quit);
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::terminate);
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &delegate,
                     [&delegate](QSessionManager&) { delegate.terminate(); });

    if (!files.isEmpty()) delegate.openFiles(toPaths(files));
    // Started by an action with no Brevanor running: this one carries it out.
    if (!action.isEmpty()) perform(delegate, action);
    return QApplication::exec();
}

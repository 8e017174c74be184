#include "app/ui/SettingsWindow.h"

#include <QTabWidget>
#include <QVBoxLayout>

#include "app/ui/AboutTab.h"
#include "app/ui/AppIcon.h"
#include "app/ui/GeneralSettingsTab.h"
#include "app/ui/HotkeySettingsTab.h"
#include "app/ui/PlaybackDefaultsTab.h"
#include "app/ui/UiText.h"
#include "app/ui/UpdateAlerts.h"

namespace brevanor {

SettingsWindow::SettingsWindow(AppCoordinator& coordinator, AppSettings& settings, UpdaterController& updater) {
    setWindowTitle(UiText::tr("Brevanor Settings"));
    // Titled and closable only: no minimizing, no resizing.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(contentWidth, contentHeight);

    auto* tabs = new QTabWidget;
    tabs->setDocumentMode(true);
    tabs->addTab(new GeneralSettingsTab(settings, coordinator), appIcon(AppIcon::generalSettings),
                 UiText::tr("General"));
    tabs->addTab(new HotkeySettingsTab(settings, coordinator), appIcon(AppIcon::hotkeySettings), UiText::tr("Hotkeys"));
    tabs->addTab(new PlaybackDefaultsTab(settings), appIcon(AppIcon::playbackSettings), UiText::tr("Playback"));
    tabs->addTab(new AboutTab(updater, BuildInfo::ofThisBuild()), appIcon(AppIcon::about), UiText::tr("About"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tabs);

    new UpdateAlerts(updater, *this);
}

}  // namespace brevanor

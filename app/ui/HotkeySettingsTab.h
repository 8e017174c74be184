#pragma once

#include <QWidget>
#include <vector>

#include "app/control/HotkeyAction.h"
#include "base/keys/HotkeyChord.h"

namespace brevanor {

class AppCoordinator;
class AppSettings;
class ConflictLines;
class HotkeyRecorderView;

// The settings window's second tab: the three global shortcuts, each with
// the reasons it may not work as hoped (another shortcut has it, the system
// uses it, it has no modifier), and a way back to the defaults. Shortcuts can
// be changed but never removed; a conflict never keeps one from being stored.
class HotkeySettingsTab : public QWidget {
    Q_OBJECT

public:
    HotkeySettingsTab(AppSettings& settings, AppCoordinator& coordinator, QWidget* parent = nullptr);

private:
    struct Row {
        using Read = HotkeyChord (*)(const AppSettings&);
        using Write = void (*)(AppSettings&, HotkeyChord);

        HotkeyAction::Kind action;
        Read read;
        Write write;
        HotkeyRecorderView* field;
        ConflictLines* conflicts;
    };

    void showShortcuts();
    void showConflicts(const Row& row);

    AppSettings& settings_;
    AppCoordinator& coordinator_;
    std::vector<Row> rows_;
};

}  // namespace brevanor

#include "app/ui/HotkeySettingsTab.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "app/control/AppCoordinator.h"
#include "app/control/AppSettings.h"
#include "app/control/MessageText.h"
#include "app/ui/ConflictLines.h"
#include "app/ui/HotkeyRecorderView.h"
#include "app/ui/SettingsForm.h"
#include "app/ui/UiText.h"
#include "base/keys/KeyCodeNames.h"
#include "base/text/Localized.h"

namespace brevanor {

HotkeySettingsTab::HotkeySettingsTab(AppSettings& settings, AppCoordinator& coordinator, QWidget* parent)
    : QWidget(parent), settings_(settings), coordinator_(coordinator) {
    SettingsForm form(*this);
    // Plain functions rather than pointers to member functions: with the
    // sanitizers on, GCC 12 reported an out-of-bounds stack read in the slot's
    // call through a pointer to a member function.
    const struct {
        const char* name;
        const char* label;
        HotkeyAction::Kind action;
        Row::Read read;
        Row::Write write;
    } kRows[] = {
        {"record", "Record / stop recording", HotkeyAction::Kind::record,
         [](const AppSettings& s) { return s.recordHotkey(); },
         [](AppSettings& s, HotkeyChord chord) { s.setRecordHotkey(chord); }},
        {"playLast", "Play last recording", HotkeyAction::Kind::playLast,
         [](const AppSettings& s) { return s.playLastHotkey(); },
         [](AppSettings& s, HotkeyChord chord) { s.setPlayLastHotkey(chord); }},
        {"stop", "Stop", HotkeyAction::Kind::stop, [](const AppSettings& s) { return s.stopHotkey(); },
         [](AppSettings& s, HotkeyChord chord) { s.setStopHotkey(chord); }},
    };
    for (const auto& spec : kRows) {
        auto* line = new QWidget;
        auto* layout = new QHBoxLayout(line);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* label = new QLabel(UiText::tr(spec.label));
        auto* field = new HotkeyRecorderView(coordinator_, false);
        field->setObjectName(QString::fromLatin1(spec.name));
        label->setBuddy(field);
        layout->addWidget(label);
        layout->addStretch();
        // At its own width, so that the three fields line up on the right.
        layout->addWidget(field, 0, Qt::AlignRight);
        auto* conflicts = new ConflictLines;
        conflicts->setObjectName(QString::fromLatin1(spec.name) + QStringLiteral("Conflicts"));
        form.addRow(line, {conflicts});
        rows_.push_back({spec.action, spec.read, spec.write, field, conflicts});

        // A removed shortcut is never stored: these three always have one.
        connect(field, &HotkeyRecorderView::chordEdited, this,
                [this, write = spec.write](std::optional<HotkeyChord> chord) {
                    if (chord) write(settings_, *chord);
                });
    }
    form.addFooter(SettingsForm::caption(fillIn(
        brevanor::tr("Holding %1 for one second also stops recording or playback. Shortcuts work while any app is in "
                     "front."),
        {KeyCodeNames::name(HotkeyChord::escapeKeyCode, nullptr)})));
    if (const std::string& note = coordinator_.permissionTexts().shortcutsNote; !note.empty()) {
        QLabel* caption = SettingsForm::caption(note);
        caption->setTextInteractionFlags(Qt::TextSelectableByMouse);  // a command to copy
        form.addFooter(caption);
    }

    form.beginSection();
    auto* restore = new QPushButton(UiText::tr("Restore Defaults"));
    auto* restoreLine = new QWidget;
    auto* restoreLayout = new QHBoxLayout(restoreLine);
    restoreLayout->setContentsMargins(0, 0, 0, 0);
    restoreLayout->addWidget(restore);
    restoreLayout->addStretch();
    form.addRow(restoreLine);
    form.finish();

    connect(restore, &QPushButton::clicked, this, [this] { settings_.restoreDefaultHotkeys(); });
    connect(&settings_, &AppSettings::changed, this, &HotkeySettingsTab::showShortcuts);
    // A recording's own shortcut may be among the conflicts.
    connect(&coordinator_, &AppCoordinator::recordingsChanged, this, &HotkeySettingsTab::showShortcuts);
    showShortcuts();
}

void HotkeySettingsTab::showShortcuts() {
    for (const Row& row : rows_) {
        row.field->setChord(row.read(settings_));
        showConflicts(row);
    }
}

void HotkeySettingsTab::showConflicts(const Row& row) {
    row.conflicts->setSentences(coordinator_.shortcutConflicts(row.read(settings_), std::nullopt, row.action));
}

}  // namespace brevanor

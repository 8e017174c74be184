#pragma once

#include <QWidget>
#include <optional>

#include "base/keys/HotkeyChord.h"

class QKeyEvent;
class QLabel;
class QPushButton;
class QToolButton;

namespace brevanor {

class AppCoordinator;

// The field with which the user sets a keyboard shortcut. It shows the chord;
// a click makes it wait for the next key press, which becomes the chord when
// it has a modifier or is a function key. Esc alone cancels, any other
// refused key beeps. While it waits every global shortcut is suspended, so a
// combination that is already one is captured instead of triggered, and every
// key press of the application goes to the field alone. Waiting ends when the
// field loses the focus, is hidden or is destroyed, so no closed window leaves
// the shortcuts suspended. Key presses are read through the platform's key
// map, so the stored chord is the one the global shortcut then matches.
class HotkeyRecorderView : public QWidget {
    Q_OBJECT

public:
    // `allowsClear`: offers a button that removes the shortcut.
    HotkeyRecorderView(AppCoordinator& coordinator, bool allowsClear, QWidget* parent = nullptr);
    ~HotkeyRecorderView() override;

    const std::optional<HotkeyChord>& chord() const { return chord_; }
    // The host's value; emits nothing.
    void setChord(std::optional<HotkeyChord> chord);
    bool isCapturing() const { return capturing_; }

signals:
    // The user set a chord or removed it; the host stores it and may call setChord().
    void chordEdited(std::optional<HotkeyChord> chord);
    // A key that cannot be a shortcut alone was pressed while waiting (it beeped).
    void keyRefused();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void toggleCapturing();
    void startCapturing();
    void stopCapturing();
    void handleKeyPress(const QKeyEvent& event);
    void showChord();

    AppCoordinator& coordinator_;
    const bool allowsClear_;
    std::optional<HotkeyChord> chord_;
    bool capturing_ = false;
    QPushButton* button_;
    QToolButton* clear_;
    QLabel* cancelHint_;
};

}  // namespace brevanor

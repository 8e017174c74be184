#pragma once

#include <QObject>
#include <QTimer>
#include <memory>
#include <string>

#include "core/store/PreferencesStore.h"

class QWidget;

namespace brevanor {

// Remembers a window's frame in the preferences under a name: puts the window
// where it was when made (centred on its screen when nothing usable is stored),
// and stores the frame again once the user has moved or resized it, and when
// the window is closed.
class WindowFrameAutosave : public QObject {
    Q_OBJECT

public:
    // Moves and resizes come in bursts while the user drags; the frame is stored once they stop.
    static constexpr int storeDelayMs = 500;

    WindowFrameAutosave(QWidget& window, std::shared_ptr<PreferencesStore> preferences, std::string name);

    // Stores the frame now, if it changed since it was last stored.
    void store();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    std::shared_ptr<PreferencesStore> preferences_;
    std::string name_;
    QTimer storeTimer_;
    bool changed_ = false;
};

}  // namespace brevanor

#include "app/ui/WindowFrameAutosave.h"

#include <QByteArray>
#include <QEvent>
#include <QWidget>

#include "app/ui/WindowPlacement.h"

namespace brevanor {

WindowFrameAutosave::WindowFrameAutosave(QWidget& window, std::shared_ptr<PreferencesStore> preferences,
                                         std::string name)
    : QObject(&window), window_(window), preferences_(std::move(preferences)), name_(std::move(name)) {
    bool restored = false;
    if (const auto stored = preferences_->getData(name_)) {
        // Qt checks the stored frame and keeps a restored window on a screen that exists now.
        restored = window_.restoreGeometry(
            QByteArray(reinterpret_cast<const char*>(stored->data()), static_cast<qsizetype>(stored->size())));
    }
    if (!restored) WindowPlacement::center(window_);
    storeTimer_.setSingleShot(true);
    storeTimer_.setInterval(storeDelayMs);
    connect(&storeTimer_, &QTimer::timeout, this, &WindowFrameAutosave::store);
    window_.installEventFilter(this);
}

void WindowFrameAutosave::store() {
    storeTimer_.stop();
    if (!changed_) return;
    changed_ = false;
    const QByteArray frame = window_.saveGeometry();
    preferences_->setData(name_, std::vector<std::uint8_t>(frame.begin(), frame.end()));
}

bool WindowFrameAutosave::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_) {
        switch (event->type()) {
            case QEvent::Move:
            case QEvent::Resize:
                // Only what the user does to a shown window is remembered.
                if (window_.isVisible()) {
                    changed_ = true;
                    storeTimer_.start();
                }
                break;
            case QEvent::Hide: store(); break;
            default: break;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace brevanor

#include "app/ui/HotkeyRecorderView.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

#include "app/control/AppCoordinator.h"
#include "app/control/MessageText.h"
#include "app/ui/AppIcon.h"
#include "base/keys/KeyCodeNames.h"
#include "base/text/Localized.h"
#include "base/values/ModifierKeys.h"

namespace brevanor {

namespace {

QString text(std::string_view english) { return QString::fromStdString(brevanor::tr(english)); }

}  // namespace

HotkeyRecorderView::HotkeyRecorderView(AppCoordinator& coordinator, bool allowsClear, QWidget* parent)
    : QWidget(parent), coordinator_(coordinator), allowsClear_(allowsClear) {
    button_ = new QPushButton(this);
    button_->setMinimumWidth(110);
    clear_ = new QToolButton(this);
    clear_->setIcon(appIcon(AppIcon::clear));
    clear_->setAutoRaise(true);
    clear_->setToolTip(text("Remove shortcut"));
    clear_->setAccessibleName(text("Remove shortcut"));
    cancelHint_ = new QLabel(QString::fromStdString(fillIn(brevanor::tr("%1 to cancel"),
                                                           {KeyCodeNames::name(HotkeyChord::escapeKeyCode, nullptr)})),
                             this);
    QFont small = cancelHint_->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    cancelHint_->setFont(small);
    cancelHint_->setForegroundRole(QPalette::PlaceholderText);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    row->addWidget(button_);
    row->addWidget(clear_);
    row->addWidget(cancelHint_);
    row->addStretch(1);

    connect(button_, &QPushButton::clicked, this, &HotkeyRecorderView::toggleCapturing);
    connect(clear_, &QToolButton::clicked, this, [this] {
        chord_.reset();
        showChord();
        emit chordEdited(std::nullopt);
    });
    showChord();
}

HotkeyRecorderView::~HotkeyRecorderView() { stopCapturing(); }

void HotkeyRecorderView::setChord(std::optional<HotkeyChord> chord) {
    chord_ = chord;
    showChord();
}

void HotkeyRecorderView::showChord() {
    if (capturing_) {
        button_->setText(text("Press a shortcut…"));
    } else {
        button_->setText(chord_ ? QString::fromStdString(coordinator_.shortcutText(*chord_)) : text("None"));
    }
    QPalette palette = button_->palette();
    palette.setColor(QPalette::ButtonText, capturing_ ? palette.color(QPalette::Highlight)
                                                      : QApplication::palette().color(QPalette::ButtonText));
    button_->setPalette(palette);
    clear_->setVisible(allowsClear_ && chord_.has_value() && !capturing_);
    cancelHint_->setVisible(capturing_);
}

void HotkeyRecorderView::toggleCapturing() {
    if (capturing_) {
        stopCapturing();
    } else {
        startCapturing();
    }
}

void HotkeyRecorderView::startCapturing() {
    capturing_ = true;
    coordinator_.setCapturingHotkey(true);
    // Every key press of the application passes here first, whichever widget
    // has the focus, so none reaches a menu, a shortcut or another control.
    qApp->installEventFilter(this);
    button_->setFocus(Qt::OtherFocusReason);
    showChord();
}

void HotkeyRecorderView::stopCapturing() {
    if (!capturing_) return;
    qApp->removeEventFilter(this);
    capturing_ = false;
    coordinator_.setCapturingHotkey(false);
    showChord();
}

bool HotkeyRecorderView::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Accepted, the press is delivered as a key press instead of firing a shortcut.
            event->accept();
            return true;
        case QEvent::KeyPress: handleKeyPress(static_cast<const QKeyEvent&>(*event)); return true;
        case QEvent::KeyRelease: return true;
        case QEvent::FocusOut:
            // Another control or window took the focus: the keys no longer come here.
            if (watched == button_) stopCapturing();
            return false;
        default: return false;
    }
}

void HotkeyRecorderView::handleKeyPress(const QKeyEvent& event) {
    const std::optional<HotkeyChord> read =
        coordinator_.chordOfKeyEvent(event.nativeScanCode(), event.nativeModifiers());
    // A modifier key alone is part of a chord still being pressed.
    if (read && ModifierKeys::isModifierKey(read->keyCode)) return;
    if (read) {
        const HotkeyChord chord{read->keyCode, read->normalizedModifiers()};  // Caps Lock never counts
        if (chord.keyCode == HotkeyChord::escapeKeyCode && !chord.hasModifiers()) {
            stopCapturing();
            return;
        }
        if (chord.isAcceptable()) {
            chord_ = chord;
            // Stored by the host before the shortcuts come back, so they come back with it.
            emit chordEdited(chord);
            stopCapturing();
            return;
        }
    }
    QApplication::beep();
    emit keyRefused();
}

void HotkeyRecorderView::hideEvent(QHideEvent* event) {
    stopCapturing();
    QWidget::hideEvent(event);
}

}  // namespace brevanor

#include "app/ui/OverlayView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <cmath>
#include <numbers>

#include "app/control/AppCoordinator.h"
#include "app/control/AppSettings.h"
#include "app/control/MessageText.h"
#include "base/text/Localized.h"
#include "core/model/DurationText.h"
#include "core/model/PositionsText.h"

namespace brevanor {

namespace {

QString q(const std::string& value) { return QString::fromStdString(value); }

QString text(std::string_view english) { return q(brevanor::tr(english)); }

constexpr int kPadding = 14;
constexpr int kSpacing = 10;
constexpr int kSymbolWidth = 22;
const QColor kRed(0xe5, 0x39, 0x35);
const QColor kGreen(0x2e, 0xa0, 0x43);
const QColor kOrange(0xd9, 0x73, 0x06);

QFont pixelFont(const QFont& base, int pixels, QFont::Weight weight) {
    QFont font = base;
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

}  // namespace

OverlayView::OverlayView(AppCoordinator& coordinator, AppSettings& settings, QWidget* parent)
    : QWidget(parent), coordinator_(coordinator), settings_(settings) {
    setFixedSize(pillWidth, pillHeight);
    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("title"));
    title_->setFont(pixelFont(font(), 13, QFont::DemiBold));
    subtitle_ = new QLabel(this);
    subtitle_->setObjectName(QStringLiteral("subtitle"));
    subtitle_->setFont(pixelFont(font(), 11, QFont::Normal));
    stopHint_ = new QLabel(this);
    stopHint_->setObjectName(QStringLiteral("stopHint"));
    stopHint_->setFont(pixelFont(font(), 11, QFont::Normal));
    QPalette secondary = stopHint_->palette();
    secondary.setColor(QPalette::WindowText, palette().color(QPalette::PlaceholderText));
    stopHint_->setPalette(secondary);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    texts->addWidget(title_);
    texts->addWidget(subtitle_);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(kPadding, 0, kPadding, 0);
    row->setSpacing(kSpacing);
    row->addSpacing(kSymbolWidth);  // the symbol is painted there
    row->addLayout(texts);
    row->addStretch(1);
    row->addSpacing(8 - kSpacing);  // at least 8 between the texts and the hint
    row->addWidget(stopHint_);

    animation_ = new QVariantAnimation(this);
    animation_->setStartValue(0.0);
    animation_->setEndValue(2.0);
    animation_->setDuration(2 * pulseMs);
    animation_->setLoopCount(-1);
    connect(animation_, &QVariantAnimation::valueChanged, this, [this] { update(symbolRect()); });

    for (auto signal : {&AppCoordinator::stateChanged, &AppCoordinator::elapsedNanosChanged,
                        &AppCoordinator::recordedEventCountChanged, &AppCoordinator::secureInputActiveChanged,
                        &AppCoordinator::playbackNoticeChanged, &AppCoordinator::waitingForReleaseChanged}) {
        connect(&coordinator_, signal, this, &OverlayView::showTexts);
    }
    for (auto signal : {&AppSettings::recordHotkeyChanged, &AppSettings::stopHotkeyChanged}) {
        connect(&settings_, signal, this, &OverlayView::showTexts);
    }
    showTexts();
}

void OverlayView::showTexts() {
    const AppState& state = coordinator_.state();
    QString title;
    QString subtitle;
    bool warning = false;
    switch (state.kind()) {
        case AppState::Kind::idle: break;
        case AppState::Kind::countdown:
            title = q(fillIn(brevanor::tr("Recording starts in %1…"), {std::to_string(state.remaining())}));
            subtitle =
                q(fillIn(brevanor::tr("Press %1 to start now"), {coordinator_.shortcutText(settings_.recordHotkey())}));
            break;
        case AppState::Kind::recording:
            title = text("Recording") + QLatin1Char(' ') + q(DurationText::elapsed(coordinator_.elapsedNanos()));
            if (coordinator_.secureInputActive()) {
                subtitle = text("Secure Input is on: keystrokes in this field are not recorded");
                warning = true;
            } else if (coordinator_.recordsRelativePositions() && coordinator_.elapsedNanos() < relativeNoticeNanos) {
                subtitle = q(PositionsText::relativeNotice());
                warning = true;
            } else {
                subtitle = q(fillIn(brevanor::tr("%1 events"), {std::to_string(coordinator_.recordedEventCount())}));
            }
            break;
        case AppState::Kind::preparing:
            title = text("Preparing to play…");
            // The user holds keys or buttons that would merge with the first events.
            warning = coordinator_.waitingForRelease();
            subtitle = warning ? text("Release the keys to start") : text("Bringing the recorded app to the front");
            break;
        case AppState::Kind::playing: {
            const std::string total = state.repeatTotal() ? std::to_string(*state.repeatTotal()) : "∞";
            title =
                q(fillIn(brevanor::tr("Playing %1 of %2 • %3"), {std::to_string(state.repeatIndex()), total,
                                                                 DurationText::elapsed(coordinator_.elapsedNanos())}));
            if (const auto& notice = coordinator_.playbackNotice()) {
                subtitle = q(*notice);
                warning = true;
            } else {
                subtitle = text("Brevanor is driving the mouse and keyboard");
            }
            break;
        }
    }
    title_->setText(title);
    subtitle_->setText(subtitle);
    subtitle_->setVisible(!subtitle.isEmpty());
    QPalette colours = subtitle_->palette();
    colours.setColor(QPalette::WindowText, warning ? kOrange : palette().color(QPalette::PlaceholderText));
    subtitle_->setPalette(colours);
    stopHint_->setText(q(coordinator_.stopHint()));
    animateSymbol();
    update(symbolRect());
}

void OverlayView::animateSymbol() {
    const auto kind = coordinator_.state().kind();
    const bool moving = isVisible() && (kind == AppState::Kind::recording || kind == AppState::Kind::preparing);
    if (moving && animation_->state() != QAbstractAnimation::Running) animation_->start();
    if (!moving) animation_->stop();
}

void OverlayView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    animateSymbol();
}

void OverlayView::hideEvent(QHideEvent* event) {
    animation_->stop();
    QWidget::hideEvent(event);
}

QRect OverlayView::symbolRect() const { return {kPadding, 0, kSymbolWidth, pillHeight}; }

void OverlayView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    // The capsule, with a hairline border inside its edge.
    const QRectF capsule = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor background = palette().color(QPalette::Window);
    background.setAlphaF(0.94);
    QColor border = palette().color(QPalette::WindowText);
    border.setAlphaF(0.12);
    painter.setPen(QPen(border, 1));
    painter.setBrush(background);
    painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);

    const QRectF symbol = symbolRect();
    const QPointF centre = symbol.center();
    const double phase = animation_->currentValue().toDouble();  // 0 to 2
    const AppState& state = coordinator_.state();
    switch (state.kind()) {
        case AppState::Kind::idle: break;
        case AppState::Kind::countdown: {
            painter.setPen(palette().color(QPalette::WindowText));
            QFont digits = pixelFont(font(), 17, QFont::Bold);
            digits.setStyleHint(QFont::SansSerif);
            painter.setFont(digits);
            painter.drawText(symbol, Qt::AlignCenter, QString::number(state.remaining()));
            break;
        }
        case AppState::Kind::recording: {
            // Eases in and out between 0.35 and 1, one way per pulse.
            const double way = phase <= 1.0 ? phase : 2.0 - phase;
            const double eased = 0.5 - 0.5 * std::cos(way * std::numbers::pi);
            painter.setOpacity(0.35 + 0.65 * eased);
            painter.setPen(Qt::NoPen);
            painter.setBrush(kRed);
            painter.drawEllipse(centre, 5.5, 5.5);
            painter.setOpacity(1.0);
            break;
        }
        case AppState::Kind::preparing: {
            painter.setPen(QPen(palette().color(QPalette::PlaceholderText), 2, Qt::SolidLine, Qt::RoundCap));
            painter.setBrush(Qt::NoBrush);
            const int startAngle = static_cast<int>(-phase * 360.0 * 16);
            painter.drawArc(QRectF(centre.x() - 7, centre.y() - 7, 14, 14), startAngle, 270 * 16);
            break;
        }
        case AppState::Kind::playing: {
            QPainterPath play;
            play.moveTo(centre.x() - 5, centre.y() - 7);
            play.lineTo(centre.x() + 7, centre.y());
            play.lineTo(centre.x() - 5, centre.y() + 7);
            play.closeSubpath();
            painter.setPen(Qt::NoPen);
            painter.setBrush(kGreen);
            painter.drawPath(play);
            break;
        }
    }
}

}  // namespace brevanor

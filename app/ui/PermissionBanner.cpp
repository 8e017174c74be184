#include "app/ui/PermissionBanner.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/control/AppCoordinator.h"
#include "app/ui/SymbolIconEngine.h"
#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"

namespace brevanor {

namespace {

constexpr int kDotSide = 9;

QPixmap dot(const QColor& color, qreal pixelRatio) {
    QPixmap pixmap(QSize(kDotSide, kDotSide) * pixelRatio);
    pixmap.setDevicePixelRatio(pixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(QRectF(0, 0, kDotSide, kDotSide));
    return pixmap;
}

QLabel* wrappingLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

QLabel* captionLabel(const QString& text, QWidget* parent) {
    QLabel* label = wrappingLabel(text, parent);
    TextStyle::caption(*label);
    return label;
}

// A symbol before a text, as one line of the banner.
QWidget* symbolLine(SymbolIconEngine::Symbol symbol, QLabel* text, QWidget* parent) {
    auto* line = new QWidget(parent);
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* icon = new QLabel(line);
    const int side = text->fontMetrics().height();
    icon->setPixmap(SymbolIconEngine::icon(symbol, text->palette().color(QPalette::WindowText))
                        .pixmap(QSize(side, side), line->devicePixelRatioF()));
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addWidget(text, 1);
    return line;
}

}  // namespace

PermissionBanner::PermissionBanner(AppCoordinator& coordinator, Permissions permissions, QWidget* parent)
    : QFrame(parent), coordinator_(coordinator), permissions_(std::move(permissions)) {
    setAutoFillBackground(true);
    QPalette banner = palette();
    banner.setColor(QPalette::Window, QColor::fromRgbF(1.0, 0.8, 0.0, 0.12));
    setPalette(banner);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);

    const PermissionTexts& texts = coordinator_.permissionTexts();
    QLabel* title = wrappingLabel(UiText::of(texts.bannerTitle), this);
    TextStyle::headline(*title);
    layout->addWidget(symbolLine(SymbolIconEngine::Symbol::warning, title, this));
    QLabel* privacy = captionLabel(UiText::tr("Keystrokes typed while recording are stored in plain files on ") +
                                       UiText::tr(thisComputer) + UiText::tr(". Nothing leaves your computer."),
                                   this);
    TextStyle::secondary(*privacy);
    layout->addWidget(symbolLine(SymbolIconEngine::Symbol::lock, privacy, this));

    accessibility_ = addPermissionRow(UiText::of(texts.playingName),
                                      UiText::tr("Lets Brevanor move the mouse and press keys during playback."),
                                      Permissions::Pane::accessibility);
    inputMonitoring_ = addPermissionRow(UiText::of(texts.recordingName),
                                        UiText::tr("Lets Brevanor see your mouse and keyboard while recording."),
                                        Permissions::Pane::inputMonitoring);

    reopenNote_ = captionLabel(UiText::of(texts.reopenNote), this);
    layout->addWidget(reopenNote_);
    if (!texts.staleGrantHint.empty()) layout->addWidget(captionLabel(UiText::of(texts.staleGrantHint), this));
    auto* setUp = new QPushButton(UiText::tr("Open Setup Assistant…"), this);
    TextStyle::caption(*setUp);
    layout->addWidget(setUp, 0, Qt::AlignLeft);

    connect(setUp, &QPushButton::clicked, this, [this] {
        if (coordinator_.openOnboarding) coordinator_.openOnboarding();
    });
    for (auto signal : {&AppCoordinator::accessibilityGrantedChanged, &AppCoordinator::inputMonitoringGrantedChanged}) {
        connect(&coordinator_, signal, this, &PermissionBanner::showPermissions);
    }
    showPermissions();
}

PermissionBanner::PermissionRow PermissionBanner::addPermissionRow(const QString& name, const QString& purpose,
                                                                   Permissions::Pane pane) {
    auto* line = new QWidget(this);
    auto* layout = new QGridLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(1);
    PermissionRow row{new QLabel(line), captionLabel(UiText::tr("Granted"), line),
                      new QPushButton(UiText::of(coordinator_.permissionTexts().requestButton), line),
                      new QPushButton(UiText::tr("System Settings…"), line)};
    TextStyle::secondary(*row.granted);
    auto* title = new QLabel(name, line);
    QFont medium = title->font();
    medium.setWeight(QFont::Medium);
    title->setFont(medium);
    QLabel* description = captionLabel(purpose, line);
    TextStyle::secondary(*description);

    layout->addWidget(row.dot, 0, 0, Qt::AlignVCenter);
    layout->addWidget(title, 0, 1);
    layout->addWidget(description, 1, 1);
    auto* end = new QHBoxLayout;
    end->addWidget(row.granted);
    end->addWidget(row.grant);
    end->addWidget(row.openSettings);
    layout->addLayout(end, 0, 2, 2, 1, Qt::AlignVCenter);
    layout->setColumnStretch(1, 1);
    static_cast<QVBoxLayout*>(this->layout())->addWidget(line);

    connect(row.grant, &QPushButton::clicked, this, [this, pane] {
        if (pane == Permissions::Pane::accessibility) {
            permissions_.requestAccessibility();
        } else {
            permissions_.requestInputMonitoring();
        }
        coordinator_.refreshPermissions();
    });
    connect(row.openSettings, &QPushButton::clicked, this, [this, pane] { permissions_.openSystemSettings(pane); });
    return row;
}

void PermissionBanner::showPermissions() {
    const bool accessibility = coordinator_.accessibilityGranted();
    const bool inputMonitoring = coordinator_.inputMonitoringGranted();
    setVisible(!accessibility || !inputMonitoring);
    const auto show = [this](const PermissionRow& row, bool granted) {
        row.dot->setPixmap(dot(granted ? QColor(52, 199, 89) : QColor(255, 59, 48), devicePixelRatioF()));
        row.dot->setAccessibleName(granted ? UiText::tr("Granted") : UiText::tr("Not granted"));
        row.granted->setVisible(granted);
        row.grant->setVisible(!granted);
        row.openSettings->setVisible(!granted && coordinator_.permissionTexts().hasSettingsPage);
    };
    show(accessibility_, accessibility);
    show(inputMonitoring_, inputMonitoring);
    reopenNote_->setVisible(!inputMonitoring);
}

}  // namespace brevanor

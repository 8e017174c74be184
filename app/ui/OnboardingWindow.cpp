#include "app/ui/OnboardingWindow.h"

#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QPointer>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/control/AppCoordinator.h"
#include "app/ui/OnboardingDonePage.h"
#include "app/ui/OnboardingPermissionPage.h"
#include "app/ui/OnboardingWelcomePage.h"
#include "app/ui/StatusDot.h"
#include "app/ui/UiText.h"
#include "base/dispatch/MainQueue.h"

namespace brevanor {

namespace {

constexpr int kFadeMs = 250;

}  // namespace

OnboardingWindow::OnboardingWindow(AppCoordinator& coordinator, AppSettings& settings, Permissions permissions,
                                   std::shared_ptr<MainQueue> mainQueue, const OnboardingTexts& texts)
    : coordinator_(coordinator), permissions_(std::move(permissions)), mainQueue_(std::move(mainQueue)) {
    setWindowTitle(UiText::tr("Welcome to Brevanor"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(580, 480);

    pages_ = new QStackedWidget;
    accessibilityPage_ = new OnboardingPermissionPage(texts.accessibility);
    inputMonitoringPage_ = new OnboardingPermissionPage(texts.inputMonitoring);
    pages_->addWidget(new OnboardingWelcomePage(coordinator_, settings, texts));
    pages_->addWidget(accessibilityPage_);
    pages_->addWidget(inputMonitoringPage_);
    pages_->addWidget(new OnboardingDonePage(coordinator_, settings, texts));

    auto* navigation = new QHBoxLayout;
    navigation->setSpacing(6);
    for (StatusDot*& dot : dots_) {
        dot = new StatusDot(7);
        navigation->addWidget(dot);
    }
    navigation->addStretch();
    back_ = new QPushButton(UiText::tr("Back"));
    skip_ = new QPushButton(UiText::tr("Skip for Now"));
    continue_ = new QPushButton(UiText::tr("Continue"));
    openLibrary_ = new QPushButton(UiText::tr("Open Library"));
    done_ = new QPushButton(UiText::tr("Done"));
    for (QPushButton* button : {back_, skip_, continue_, openLibrary_, done_}) navigation->addWidget(button);

    auto* divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 28, 28, 28);
    layout->setSpacing(16);
    layout->addWidget(pages_, 1);
    layout->addWidget(divider);
    layout->addLayout(navigation);

    connect(back_, &QPushButton::clicked, this, [this] { goTo(static_cast<Step>(step_ - 1), false); });
    for (QPushButton* forward : {skip_, continue_}) {
        connect(forward, &QPushButton::clicked, this, [this] { goTo(static_cast<Step>(step_ + 1), false); });
    }
    connect(openLibrary_, &QPushButton::clicked, this, [this] {
        finish();
        if (coordinator_.openLibrary) coordinator_.openLibrary();
    });
    connect(done_, &QPushButton::clicked, this, &OnboardingWindow::finish);
    connect(accessibilityPage_, &OnboardingPermissionPage::grantRequested, this, [this] {
        permissions_.requestAccessibility();
        coordinator_.refreshPermissions();
    });
    connect(inputMonitoringPage_, &OnboardingPermissionPage::grantRequested, this, [this] {
        permissions_.requestInputMonitoring();
        coordinator_.refreshPermissions();
    });
    connect(accessibilityPage_, &OnboardingPermissionPage::settingsRequested, this,
            [this] { permissions_.openSystemSettings(Permissions::Pane::accessibility); });
    connect(inputMonitoringPage_, &OnboardingPermissionPage::settingsRequested, this,
            [this] { permissions_.openSystemSettings(Permissions::Pane::inputMonitoring); });
    connect(&coordinator_, &AppCoordinator::accessibilityGrantedChanged, this, &OnboardingWindow::showPermissions);
    connect(&coordinator_, &AppCoordinator::inputMonitoringGrantedChanged, this, &OnboardingWindow::showPermissions);
    showPermissions();
    goTo(welcome, false);
}

void OnboardingWindow::showEvent(QShowEvent* event) {
    if (finished_) {
        finished_ = false;
        goTo(welcome, false);
    }
    const std::uint64_t generation = ++tickerGeneration_;
    scheduleTick(generation);
    QDialog::showEvent(event);
}

void OnboardingWindow::hideEvent(QHideEvent* event) {
    ++tickerGeneration_;  // nobody looks at a hidden guide
    QDialog::hideEvent(event);
}

void OnboardingWindow::goTo(Step step, bool animated) {
    step_ = step;
    pages_->setCurrentIndex(step);
    for (std::size_t i = 0; i < dots_.size(); ++i) {
        QColor color = palette().color(QPalette::WindowText);
        color.setAlphaF(0.3f);
        dots_[i]->setColor(static_cast<int>(i) == step ? palette().color(QPalette::Highlight) : color);
    }
    back_->setVisible(step == accessibility || step == inputMonitoring);
    skip_->setVisible(step == accessibility || step == inputMonitoring);
    continue_->setVisible(step != done);
    openLibrary_->setVisible(step == done);
    done_->setVisible(step == done);
    // Return presses the step's default button, also after the button that
    // had the focus was hidden with the step it belonged to.
    QPushButton* defaultButton = step == done ? done_ : continue_;
    defaultButton->setDefault(true);
    defaultButton->setFocus();
    if (!animated) return;
    QWidget* page = pages_->currentWidget();
    auto* fade = new QGraphicsOpacityEffect(page);
    page->setGraphicsEffect(fade);
    auto* animation = new QPropertyAnimation(fade, "opacity", page);
    animation->setDuration(kFadeMs);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    // The effect goes when the fade is over: it would otherwise paint the page off screen each time.
    connect(animation, &QPropertyAnimation::finished, page, [page] { page->setGraphicsEffect(nullptr); });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void OnboardingWindow::scheduleTick(std::uint64_t generation) {
    mainQueue_->postAfter(tickNanos, [self = QPointer(this), generation] {
        if (!self || self->tickerGeneration_ != generation) return;
        self->tick();
        self->scheduleTick(generation);
    });
}

void OnboardingWindow::tick() {
    coordinator_.refreshPermissions();
    if (advancing_) return;
    const bool granted = (step_ == accessibility && coordinator_.accessibilityGranted()) ||
                         (step_ == inputMonitoring && coordinator_.inputMonitoringGranted());
    if (!granted) return;
    advancing_ = true;
    // The move is for the step it was planned on: one the user left meanwhile
    // (by Continue, Skip or Back) is not moved on from again.
    mainQueue_->postAfter(advanceDelayNanos, [self = QPointer(this), from = step_] {
        if (!self) return;
        self->advancing_ = false;
        if (self->step_ == from) self->goTo(static_cast<Step>(from + 1), true);
    });
}

void OnboardingWindow::finish() {
    finished_ = true;
    hide();
}

void OnboardingWindow::showPermissions() {
    accessibilityPage_->showGranted(coordinator_.accessibilityGranted());
    inputMonitoringPage_->showGranted(coordinator_.inputMonitoringGranted());
}

}  // namespace brevanor

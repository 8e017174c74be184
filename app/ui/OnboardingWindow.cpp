#include "app/ui/OnboardingWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/control/AppCoordinator.h"
#include "core/model/Localized.h"

namespace brevanor {

namespace {

QString q(const std::string& value) { return QString::fromStdString(value); }

// A user-visible text, through the translation lookup.
QString text(std::string_view english) { return q(brevanor::tr(english)); }

QString line(const std::string& name, const std::string& purpose, bool granted) {
    return q(name) + QStringLiteral(" — ") + q(purpose) + QStringLiteral(" ") +
           q(granted ? brevanor::tr("Granted") : brevanor::tr("Not granted"));
}

}  // namespace

OnboardingWindow::OnboardingWindow(AppCoordinator& coordinator) : coordinator_(coordinator) {
    setWindowTitle(text("Welcome to Brevanor"));
    auto* intro = new QLabel(text("Brevanor needs two permissions to record and replay your input."), this);
    permissions_ = new QLabel(this);
    auto* checkAgain = new QPushButton(text("Check Again"), this);
    auto* openLibrary = new QPushButton(text("Open Library"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(permissions_);
    layout->addWidget(checkAgain);
    layout->addWidget(openLibrary);

    connect(checkAgain, &QPushButton::clicked, this, [this] { coordinator_.refreshPermissions(); });
    connect(openLibrary, &QPushButton::clicked, this, [this] {
        if (coordinator_.openLibrary) coordinator_.openLibrary();
    });
    for (auto signal : {&AppCoordinator::accessibilityGrantedChanged, &AppCoordinator::inputMonitoringGrantedChanged}) {
        connect(&coordinator_, signal, this, &OnboardingWindow::showPermissions);
    }
    showPermissions();
}

void OnboardingWindow::showPermissions() {
    permissions_->setText(line(brevanor::tr("Accessibility"),
                               brevanor::tr("Lets Brevanor move the mouse and press keys during playback."),
                               coordinator_.accessibilityGranted()) +
                          QStringLiteral("\n") +
                          line(brevanor::tr("Input Monitoring"),
                               brevanor::tr("Lets Brevanor see your mouse and keyboard while recording."),
                               coordinator_.inputMonitoringGranted()));
}

}  // namespace brevanor

#include "app/ui/AboutTab.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/control/MessageText.h"
#include "app/ui/AppIcon.h"
#include "app/ui/TextStyle.h"
#include "app/ui/UiText.h"
#include "app/update/UpdaterController.h"

namespace brevanor {

namespace {

constexpr int kIconSize = 96;
constexpr int kTextWidth = 360;

QLabel* centered(const QString& text, int wrapWidth = 0) {
    auto* label = new QLabel(text);
    label->setAlignment(Qt::AlignHCenter);
    // A wrapped text takes its whole width: a layout would give it only what its
    // first words need (see addWrapped).
    if (wrapWidth > 0) {
        label->setWordWrap(true);
        label->setFixedWidth(wrapWidth);
    }
    return label;
}

// Centres a wrapped text between stretches: a layout gives a widget it aligns
// one line only, whatever the text needs at its width.
void addWrapped(QVBoxLayout& layout, QLabel& label) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(&label);
    row->addStretch();
    layout.addLayout(row);
}

// The host of an address, as the user reads it; empty when it has none.
QString domainOf(const std::string& address) {
    const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
    return url.isValid() ? url.host() : QString();
}

}  // namespace

AboutTab::AboutTab(UpdaterController& updater, const BuildInfo& build, QWidget* parent)
    : QWidget(parent), updater_(updater) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 28, 28, 28);
    layout->setSpacing(10);
    layout->addStretch();

    auto* icon = new QLabel;
    icon->setPixmap(appIcon(AppIcon::application).pixmap(QSize(kIconSize, kIconSize), devicePixelRatioF()));
    layout->addWidget(icon, 0, Qt::AlignHCenter);
    auto* name = centered(UiText::tr("Brevanor"));
    TextStyle::title2(*name);
    layout->addWidget(name, 0, Qt::AlignHCenter);
    auto* version = centered(UiText::of(versionText(build)));
    TextStyle::secondary(*version);
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(version, 0, Qt::AlignHCenter);
    auto* summary =
        centered(UiText::tr("Records your mouse and keyboard, then replays them exactly, as many times as you ask."),
                 kTextWidth);
    TextStyle::callout(*summary);
    addWrapped(*layout, *summary);
    auto* divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    divider->setFixedWidth(kTextWidth);
    layout->addWidget(divider, 0, Qt::AlignHCenter);

    checkNow_ = new QPushButton(UiText::tr("Check for Updates…"));
    layout->addWidget(checkNow_, 0, Qt::AlignHCenter);
    automatic_ = new QCheckBox(UiText::tr("Check for updates automatically"));
    automatic_->setEnabled(updater_.isConfigured());
    layout->addWidget(automatic_, 0, Qt::AlignHCenter);
    const std::string howUpdatesWork =
        updater_.isConfigured()
            ? fillIn(brevanor::tr(
                         "Brevanor looks for a newer release at %1 once a day and when you ask, and tells you; your "
                         "package manager installs it. Nothing else ever makes Brevanor go online."),
                     {domainOf(*updater_.feedURL()).toStdString()})
            : brevanor::tr("This build has no update key, so automatic updates are off.");
    auto* caption = centered(UiText::of(howUpdatesWork), kTextWidth);
    TextStyle::caption(*caption);
    TextStyle::secondary(*caption);
    addWrapped(*layout, *caption);
    status_ = centered(QString(), kTextWidth);
    status_->setObjectName(QStringLiteral("updateStatus"));
    TextStyle::caption(*status_);
    TextStyle::secondary(*status_);
    addWrapped(*layout, *status_);

    const QUrl website(QString::fromStdString(build.websiteAddress), QUrl::StrictMode);
    if (website.isValid() && !website.host().isEmpty()) {
        auto* link =
            centered(QStringLiteral("<a href=\"%1\">%2</a>")
                         .arg(website.toString(QUrl::FullyEncoded).toHtmlEscaped(), website.host().toHtmlEscaped()));
        link->setTextFormat(Qt::RichText);
        link->setOpenExternalLinks(true);
        TextStyle::callout(*link);
        layout->addWidget(link, 0, Qt::AlignHCenter);
    }
    auto* notice = centered(UiText::of(fillIn(brevanor::tr("© %1 Brevanor"), {build.year})));
    TextStyle::caption(*notice);
    TextStyle::tertiary(*notice);
    layout->addWidget(notice, 0, Qt::AlignHCenter);
    layout->addStretch();

    connect(checkNow_, &QPushButton::clicked, &updater_, &UpdaterController::checkForUpdates);
    connect(automatic_, &QCheckBox::toggled, &updater_, &UpdaterController::setAutomaticallyChecksForUpdates);
    for (auto signal : {&UpdaterController::canCheckForUpdatesChanged,
                        &UpdaterController::automaticallyChecksForUpdatesChanged, &UpdaterController::statusChanged}) {
        connect(&updater_, signal, this, &AboutTab::showUpdater);
    }
    showUpdater();
}

std::string AboutTab::versionText(const BuildInfo& build) {
    return brevanor::tr("Version ") + (build.version.empty() ? "0" : build.version) + " (" +
           (build.revision.empty() ? "0" : build.revision) + ")";
}

void AboutTab::showUpdater() {
    checkNow_->setEnabled(updater_.canCheckForUpdates());
    const QSignalBlocker block(automatic_);
    automatic_->setChecked(updater_.automaticallyChecksForUpdates());
    const auto& status = updater_.status();
    status_->setText(status ? UiText::of(*status) : QString());
    status_->setVisible(status.has_value());
}

}  // namespace brevanor

#include "app/ui/UpdateAlerts.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include "app/control/MessageText.h"
#include "app/update/UpdaterController.h"
#include "base/text/Localized.h"

namespace brevanor {

namespace {

QString text(std::string_view english) { return QString::fromStdString(brevanor::tr(english)); }

}  // namespace

UpdateAlerts::UpdateAlerts(UpdaterController& updater, QWidget& window)
    : QObject(&window), updater_(updater), window_(window) {
    connect(&updater_, &UpdaterController::checkFinished, this, &UpdateAlerts::tell);
}

void UpdateAlerts::tell(const UpdateCheckResult& result) {
    using Outcome = UpdateCheckResult::Outcome;
    if (result.outcome != Outcome::newerRelease && !result.userInitiated) return;
    if (alert_) alert_->close();

    auto* alert = new QMessageBox(&window_);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowModality(Qt::NonModal);
    // Texts from the feed are shown as they are, never read as markup.
    alert->setTextFormat(Qt::PlainText);
    switch (result.outcome) {
        case Outcome::newerRelease: {
            const UpdateFeed& feed = *result.feed;
            alert->setIcon(QMessageBox::Information);
            alert->setText(
                QString::fromStdString(fillIn(brevanor::tr("Brevanor %1 is available"), {feed.version.toString()})));
            std::string details =
                fillIn(brevanor::tr(
                           "You have %1. Install the new release with your package manager or from its download page."),
                       {updater_.runningVersion()});
            if (!feed.releaseNotes.empty()) details += "\n\n" + feed.releaseNotes;
            alert->setInformativeText(QString::fromStdString(details));
            QPushButton* download = alert->addButton(text("Open Download Page"), QMessageBox::AcceptRole);
            alert->addButton(text("Later"), QMessageBox::RejectRole);
            alert->setDefaultButton(download);
            const QUrl page(QString::fromStdString(feed.downloadPage), QUrl::StrictMode);
            connect(download, &QPushButton::clicked, this, [page] { QDesktopServices::openUrl(page); });
            break;
        }
        case Outcome::upToDate:
            alert->setIcon(QMessageBox::Information);
            alert->setText(text("You're up to date"));
            alert->setInformativeText(QString::fromStdString(
                fillIn(brevanor::tr("Brevanor %1 is the newest version."), {updater_.runningVersion()})));
            alert->addButton(QMessageBox::Ok);
            break;
        case Outcome::failed:
            alert->setIcon(QMessageBox::Warning);
            alert->setText(text("Brevanor could not check for updates"));
            alert->setInformativeText(QString::fromStdString(result.failure));
            alert->addButton(QMessageBox::Ok);
            break;
    }
    alert_ = alert;
    alert->show();
}

}  // namespace brevanor

#include "app/control/QtAppPrompts.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

#include "base/text/Localized.h"

namespace brevanor {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

// Runs `dialog` modally in front of every other window.
int runInFront(QDialog& dialog) {
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    return dialog.exec();
}

}  // namespace

PreflightAlert::Answer QtAppPrompts::confirmPreflight(const PreflightAlert& alert) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Brevanor"), q(alert.messageText));
    box.setInformativeText(q(alert.informativeText));
    auto* suppression = new QCheckBox(q(alert.suppressionTitle), &box);
    box.setCheckBox(suppression);
    std::vector<QAbstractButton*> buttons;
    for (std::size_t i = 0; i < alert.buttons.size(); ++i) {
        const bool last = i + 1 == alert.buttons.size();
        buttons.push_back(box.addButton(q(alert.buttons[i]), last ? QMessageBox::RejectRole : QMessageBox::AcceptRole));
    }
    if (buttons.empty()) return {};
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.front()));
    box.setEscapeButton(buttons.back());
    runInFront(box);
    const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    // Closing the box any other way is the escape button: the last one, Cancel.
    const std::size_t index =
        chosen == buttons.end() ? buttons.size() - 1 : static_cast<std::size_t>(chosen - buttons.begin());
    return {index, suppression->isChecked()};
}

std::optional<std::filesystem::path> QtAppPrompts::chooseExportLocation(const std::string& fileName) {
    QFileDialog dialog(nullptr, q(tr("Export Recording")));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(q(tr("Brevanor recordings")) + QStringLiteral(" (*.macro)"));
    dialog.setDefaultSuffix(QStringLiteral("macro"));
    dialog.setDirectory(QDir::home());
    dialog.selectFile(q(fileName));
    if (runInFront(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().front().toStdString());
}

void QtAppPrompts::showFolderAlert(const std::string& description) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Brevanor"),
                    q(tr("Brevanor could not open its recordings folder")));
    box.setInformativeText(q(description));
    box.setStandardButtons(QMessageBox::Ok);
    runInFront(box);
}

}  // namespace brevanor

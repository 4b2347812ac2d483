#include "app/user_dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace hz {
namespace {

void ShowBox(QMessageBox::Icon icon, QWidget* parent, const QString& text) {
    const QString title = parent != nullptr ? parent->window()->windowTitle() : QString();
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

void DesktopDialogs::ShowMessage(QWidget* parent, const QString& text) {
    ShowBox(QMessageBox::NoIcon, parent, text);
}

void DesktopDialogs::ShowError(QWidget* parent, const QString& text) {
    ShowBox(QMessageBox::Critical, parent, text);
}

QString DesktopDialogs::ChooseFileToOpen(QWidget* parent, const QString& title, const QString& filter,
                                         const QString& startPath) {
    return QFileDialog::getOpenFileName(parent, title, startPath, filter);
}

QString DesktopDialogs::ChooseFileToSave(QWidget* parent, const QString& title, const QString& filter,
                                         const QString& startPath) {
    QFileDialog chooser(parent, title, startPath, filter);
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setFileMode(QFileDialog::AnyFile);
    chooser.setDefaultSuffix(QFileInfo(startPath).suffix());
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty()) {
        return {};
    }
    return chooser.selectedFiles().constFirst();
}

void DesktopDialogs::ShowModal(QDialog& dialog) {
    dialog.exec();
}

bool DesktopDialogs::OpenUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

} // namespace hz

#include "app/widgets/user_dialogs.h"

#include "app/widgets/form_font.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

namespace hz {
namespace {

void ShowBox(QMessageBox::Icon icon, const QString& caption, QWidget* parent, const QString& text) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    // A top-level window does not inherit its parent's font: the box takes the windows' own Chinese font.
    box.setFont(FormFont());
    box.exec();
}

} // namespace

void DesktopDialogs::ShowMessage(QWidget* parent, const QString& text) {
    ShowBox(QMessageBox::NoIcon, Caption(), parent, text);
}

void DesktopDialogs::ShowError(QWidget* parent, const QString& text) {
    ShowBox(QMessageBox::Critical, Caption(), parent, text);
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

bool DesktopDialogs::Ask(QWidget* parent, const QString& question) {
    QMessageBox box(QMessageBox::Question, Caption(), question, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setFont(FormFont());
    return box.exec() == QMessageBox::Yes;
}

void DesktopDialogs::ShowModal(QDialog& dialog) {
    dialog.exec();
}

bool DesktopDialogs::OpenUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

} // namespace hz

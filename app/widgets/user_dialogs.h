#pragma once

#include <QString>

class QDialog;
class QUrl;
class QWidget;

namespace hz {

// The modal pieces the windows use: message boxes, the file choosers, the desktop's browser, the program's own
// modal dialogs. Tests plug in their own so that nothing blocks.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // The title of every message box: the program's caption. The main window's own title shows a run's progress
    // and would put a box under a worksheet and row it does not belong to.
    void SetCaption(const QString& text) { caption = text; }
    const QString& Caption() const { return caption; }

    // A message with an OK button, modal over parent's window and titled with the caption.
    virtual void ShowMessage(QWidget* parent, const QString& text) = 0;
    // An error that ended an action, shown with its own text as the application shows any failure.
    virtual void ShowError(QWidget* parent, const QString& text) = 0;
    // The full path of the file the user picked, or empty when the user cancelled.
    virtual QString ChooseFileToOpen(QWidget* parent, const QString& title, const QString& filter,
                                     const QString& startPath) = 0;
    // The full path of the file to write that the user named (replacing an existing file only after asking), or
    // empty when the user cancelled. A name typed without an extension takes the one of startPath.
    virtual QString ChooseFileToSave(QWidget* parent, const QString& title, const QString& filter,
                                     const QString& startPath) = 0;
    // A question with the buttons Yes and No, No the default; true when the user answered Yes.
    virtual bool Ask(QWidget* parent, const QString& question) = 0;
    // Shows dialog modally and returns when the user has closed it.
    virtual void ShowModal(QDialog& dialog) = 0;
    // Opens url with the desktop's default handler; false when nothing took it.
    virtual bool OpenUrl(const QUrl& url) = 0;

private:
    QString caption;
};

// The real dialogs of the desktop.
class DesktopDialogs final : public UserDialogs {
public:
    void ShowMessage(QWidget* parent, const QString& text) override;
    void ShowError(QWidget* parent, const QString& text) override;
    QString ChooseFileToOpen(QWidget* parent, const QString& title, const QString& filter,
                             const QString& startPath) override;
    QString ChooseFileToSave(QWidget* parent, const QString& title, const QString& filter,
                             const QString& startPath) override;
    bool Ask(QWidget* parent, const QString& question) override;
    void ShowModal(QDialog& dialog) override;
    bool OpenUrl(const QUrl& url) override;
};

} // namespace hz

#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace hz {

struct Session;
class UserDialogs;

// The server settings dialog: shows the session's connection settings, tests new ones by connecting, and keeps
// them in the settings file once they connect. Created once, shown modally as often as needed.
class TFLogin : public QDialog {
    Q_OBJECT

public:
    TFLogin(Session& session, UserDialogs& dialogs, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void RzButton1Click();
    void RzButton2Click();

    Session& session;
    UserDialogs& dialogs;
    QLineEdit* RzEdit1;
    QLineEdit* RzEdit2;
    QLineEdit* RzEdit3;
    QLineEdit* RzEdit4;
    QPushButton* RzButton1;
    QPushButton* RzButton2;
};

} // namespace hz

#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace hz {

struct Session;
class UserDialogs;

// Why the server settings dialog opens; its first line says it.
enum class LoginReason {
    UserAsked,        // the settings button
    SettingsMissing,  // a run found server, database or user empty
    ConnectionFailed, // a run could not connect with the settings (the failure was a message just before)
};

// The server settings dialog: shows the session's connection settings, tests new ones by connecting, and keeps
// them in the settings file once they connect. Created once, shown modally as often as needed.
class TFLogin : public QDialog {
    Q_OBJECT

public:
    TFLogin(Session& session, UserDialogs& dialogs, QWidget* parent = nullptr);

    // Shows the dialog modally, saying why it opened; returns QDialog::Accepted once the settings connected.
    int ExecFor(LoginReason reason);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void RzButton1Click();
    void RzButton2Click();

    Session& session;
    UserDialogs& dialogs;
    QLabel* ReasonLabel;
    QLineEdit* RzEdit1;
    QLineEdit* RzEdit2;
    QLineEdit* RzEdit3;
    QLineEdit* RzEdit4;
    QLabel* DemoLabel;
    QLabel* OdbcLabel;  // how the ODBC driver is chosen and what TrustServerCertificate is for
    QLabel* FilesLabel; // where the settings file, the demo ERP and the run journal are kept
    QPushButton* RzButton1;
    QPushButton* RzButton2;
};

// What the dialog's first line says for reason.
QString LoginReasonText(LoginReason reason);
// The guidance on SQL Server's ODBC drivers: the newest installed is used unless OdbcDriver names one, and
// TrustServerCertificate=yes lets ODBC Driver 18 accept a server's self-signed certificate.
QString OdbcDriverGuidance();
// Where the files are kept: the settings file at settingsPath, the demo ERP and the run journal beside it.
QString FilesGuidance(const QString& settingsPath);

} // namespace hz

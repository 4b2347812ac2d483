#include "app/login_dialog.h"

#include "app/form_font.h"
#include "app/user_dialogs.h"
#include "engine/run_error.h"
#include "engine/session.h"
#include "engine/settings/app_settings.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <optional>

namespace hz {
namespace {

QLineEdit* AddField(QWidget* dialog, const QString& label, const char* name, int top) {
    auto* caption = new QLabel(label, dialog);
    caption->setGeometry(24, top, 50, 22);
    auto* edit = new QLineEdit(dialog);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(80, top, 150, 22);
    return edit;
}

} // namespace

TFLogin::TFLogin(Session& session, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), session(session), dialogs(dialogs) {
    setObjectName(QStringLiteral("FLogin"));
    setWindowTitle(QStringLiteral("服务器设置"));
    setFont(FormFont());
    setFixedSize(260, 186);
    RzEdit1 = AddField(this, QStringLiteral("服务器"), "RzEdit1", 18);
    RzEdit2 = AddField(this, QStringLiteral("数据库"), "RzEdit2", 50);
    RzEdit3 = AddField(this, QStringLiteral("用户名"), "RzEdit3", 82);
    RzEdit4 = AddField(this, QStringLiteral("密码"), "RzEdit4", 114);
    RzEdit4->setEchoMode(QLineEdit::Password);
    RzButton1 = new QPushButton(QStringLiteral("连  接"), this);
    RzButton1->setObjectName(QStringLiteral("RzButton1"));
    RzButton1->setGeometry(40, 150, 80, 26);
    RzButton1->setDefault(true);
    RzButton2 = new QPushButton(QStringLiteral("退  出"), this);
    RzButton2->setObjectName(QStringLiteral("RzButton2"));
    RzButton2->setGeometry(140, 150, 80, 26);
    connect(RzButton1, &QPushButton::clicked, this, &TFLogin::RzButton1Click);
    connect(RzButton2, &QPushButton::clicked, this, &TFLogin::RzButton2Click);
}

void TFLogin::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    FormShow();
}

void TFLogin::FormShow() {
    RzEdit1->setText(session.settings.server);
    RzEdit2->setText(session.settings.database);
    RzEdit3->setText(session.settings.user);
    RzEdit4->setText(session.settings.password);
}

void TFLogin::RzButton1Click() {
    // The settings change at once, even when the test below fails.
    session.settings.server = RzEdit1->text();
    session.settings.database = RzEdit2->text();
    session.settings.user = RzEdit3->text();
    session.settings.password = RzEdit4->text();
    if (!HasRequiredSettings(session.settings)) {
        dialogs.ShowMessage(this, EmptySettingsMessage());
        return;
    }
    std::optional<QString> failure;
    try {
        failure = OpenConnection(session);
    } catch (const std::exception& error) {
        // Not a connection failure: shown with its own text, as any error that ends an action.
        dialogs.ShowError(this, QString::fromUtf8(error.what()));
        return;
    }
    if (failure) {
        dialogs.ShowMessage(this, ConnectionFailedMessage(*failure));
        return;
    }
    try {
        SaveConnectionSettings(session.settingsPath, session.settings);
    } catch (const RunError& error) {
        // The connection is open and the settings hold for this session; only keeping them failed.
        dialogs.ShowError(this, QString::fromUtf8(error.what()));
    }
    accept();
}

void TFLogin::RzButton2Click() {
    reject();
}

} // namespace hz

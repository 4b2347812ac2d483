#include "app/login_dialog.h"

#include "app/widgets/form_font.h"
#include "app/widgets/select_on_focus.h"
#include "app/widgets/user_dialogs.h"
#include "engine/messages/run_error.h"
#include "engine/run/session.h"
#include "engine/settings/app_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <optional>

namespace hz {
namespace {

constexpr int DialogWidth = 300;
constexpr int FieldsTop = 62;
constexpr int FieldPitch = 32;

QLineEdit* AddField(QWidget* dialog, const QString& label, const char* name, int top) {
    auto* caption = new QLabel(label, dialog);
    caption->setGeometry(24, top, 50, 22);
    auto* edit = new QLineEdit(dialog);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(80, top, DialogWidth - 104, 22);
    SelectAllOnFocus(edit);
    return edit;
}

QLabel* AddNote(QWidget* dialog, const char* name, const QString& text, int top, int height) {
    auto* note = new QLabel(text, dialog);
    note->setObjectName(QString::fromLatin1(name));
    note->setGeometry(12, top, DialogWidth - 24, height);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return note;
}

// A note as tall as its text needs at the dialog's width.
QLabel* AddFittedNote(QWidget* dialog, const char* name, const QString& text, int top) {
    QLabel* note = AddNote(dialog, name, text, top, 0);
    note->resize(note->width(), note->heightForWidth(note->width()));
    return note;
}

// A path that may wrap after each folder separator, since a long one has no blank to wrap at.
QString WrappablePath(const QString& path) {
    return QDir::toNativeSeparators(path).replace(QDir::separator(), QString(QDir::separator()) + QChar(0x200B));
}

} // namespace

QString OdbcDriverGuidance() {
    return QStringLiteral("连接 SQL Server 时使用已安装的最新 ODBC 驱动，也可以在设置文件的 [System] 节用 OdbcDriver "
                          "指定。ODBC Driver 18 默认加密连接，会拒绝服务器的自签名证书：信任这台服务器时，在 [System] "
                          "节加一行 TrustServerCertificate=yes。");
}

QString FilesGuidance(const QString& settingsPath) {
    return QStringLiteral("设置保存在 %1；演示库和运行记录 huizhang-journal 在同一文件夹。")
        .arg(WrappablePath(QFileInfo(settingsPath).absoluteFilePath()));
}

QString LoginReasonText(LoginReason reason) {
    switch (reason) {
    case LoginReason::SettingsMissing:
        return QStringLiteral("请先设置 ERP 数据库连接：填写服务器、数据库和用户名，然后点击“连  接”。");
    case LoginReason::ConnectionFailed:
        return QStringLiteral("无法连接 ERP 数据库，请核对下面的设置，然后点击“连  接”。");
    case LoginReason::UserAsked:
        break;
    }
    return QStringLiteral("填写 ERP 数据库的连接，点击“连  接”：连接成功后设置即被保存。");
}

TFLogin::TFLogin(Session& session, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), session(session), dialogs(dialogs) {
    setObjectName(QStringLiteral("FLogin"));
    setWindowTitle(QStringLiteral("服务器设置"));
    setFont(FormFont());
    ReasonLabel = AddNote(this, "ReasonLabel", LoginReasonText(LoginReason::UserAsked), 12, 40);
    RzEdit1 = AddField(this, QStringLiteral("服务器"), "RzEdit1", FieldsTop);
    RzEdit2 = AddField(this, QStringLiteral("数据库"), "RzEdit2", FieldsTop + FieldPitch);
    RzEdit3 = AddField(this, QStringLiteral("用户名"), "RzEdit3", FieldsTop + 2 * FieldPitch);
    RzEdit4 = AddField(this, QStringLiteral("密码"), "RzEdit4", FieldsTop + 3 * FieldPitch);
    RzEdit4->setEchoMode(QLineEdit::Password);
    const int notesTop = FieldsTop + 4 * FieldPitch + 2;
    DemoLabel = AddNote(this, "DemoLabel",
                        QStringLiteral("试用内置的演示 ERP：服务器填 sqlite，数据库填 HZDEMO_001_2026，用户名填 demo"
                                       "（演示库由 huizhang-cli init-demo 创建）。"),
                        notesTop, 56);
    DemoLabel->setStyleSheet(QStringLiteral("color: #555;"));
    OdbcLabel = AddFittedNote(this, "OdbcLabel", OdbcDriverGuidance(), DemoLabel->geometry().bottom() + 7);
    OdbcLabel->setStyleSheet(QStringLiteral("color: #555;"));
    FilesLabel =
        AddFittedNote(this, "FilesLabel", FilesGuidance(session.settingsPath), OdbcLabel->geometry().bottom() + 7);
    FilesLabel->setStyleSheet(QStringLiteral("color: #555;"));
    FilesLabel->setToolTip(QDir::toNativeSeparators(QFileInfo(session.settingsPath).absoluteFilePath()));
    const int buttonsTop = FilesLabel->geometry().bottom() + 9;
    RzButton1 = new QPushButton(QStringLiteral("连  接"), this);
    RzButton1->setObjectName(QStringLiteral("RzButton1"));
    RzButton1->setGeometry(DialogWidth / 2 - 100, buttonsTop, 80, 26);
    RzButton1->setDefault(true);
    RzButton2 = new QPushButton(QStringLiteral("退  出"), this);
    RzButton2->setObjectName(QStringLiteral("RzButton2"));
    RzButton2->setGeometry(DialogWidth / 2 + 20, buttonsTop, 80, 26);
    setFixedSize(DialogWidth, buttonsTop + 36);
    connect(RzButton1, &QPushButton::clicked, this, &TFLogin::RzButton1Click);
    connect(RzButton2, &QPushButton::clicked, this, &TFLogin::RzButton2Click);
}

int TFLogin::ExecFor(LoginReason reason) {
    ReasonLabel->setText(LoginReasonText(reason));
    return exec();
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
    RzEdit1->setFocus(Qt::ActiveWindowFocusReason);
    RzEdit1->selectAll();
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
    // Connected: the dialog closes without a word, and a run that opened it goes on.
    accept();
}

void TFLogin::RzButton2Click() {
    reject();
}

} // namespace hz

#include "app/login_dialog.h"

#include "engine/messages/run_error.h"
#include "engine/run/session.h"
#include "engine/settings/app_settings.h"
#include "tests/app/recording_dialogs.h"
#include "tests/support/scratch_folder.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <optional>

namespace hz {
namespace {

const QByteArray OriginalSettings = "[System]\r\nToolCaption=我的标题\r\n; kept as it is\r\n\r\n[DB]\r\nGServer=old\r\n"
                                    "\r\n[Other]\r\nk=v\r\n";

class LoginDialogTest : public QObject {
    Q_OBJECT

    // A settings file beside an embedded ERP file erp.db, a session loaded from it, and the dialog shown.
    struct Fixture {
        Fixture() {
            test::WriteFileBytes(folder.File("ZirurUzavarUriz.ini"), OriginalSettings.toStdString());
            Connection().CreateSqliteFile(QString::fromStdString(folder.File("erp.db")));
            session.settings = LoadAppSettings(session.settingsPath).connection;
            dialog.show();
        }
        QLineEdit* Edit(const char* name) { return dialog.findChild<QLineEdit*>(QString::fromLatin1(name)); }
        void Fill(const QString& server, const QString& database, const QString& user, const QString& password) {
            Edit("RzEdit1")->setText(server);
            Edit("RzEdit2")->setText(database);
            Edit("RzEdit3")->setText(user);
            Edit("RzEdit4")->setText(password);
        }
        void Click(const char* name) {
            QTest::mouseClick(dialog.findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
        }
        QByteArray FileBytes() const {
            return QByteArray::fromStdString(test::ReadFileBytes(folder.File("ZirurUzavarUriz.ini")));
        }

        test::ScratchFolder folder;
        Session session{QString::fromStdString(folder.File("ZirurUzavarUriz.ini"))};
        test::RecordingDialogs dialogs;
        TFLogin dialog{session, dialogs};
    };

private slots:
    void ShowsTheSessionsSettings() {
        Fixture f;
        f.session.settings.password = QStringLiteral("pw");
        f.dialog.hide();
        f.dialog.show();
        QCOMPARE(f.dialog.windowTitle(), QStringLiteral("服务器设置"));
        QVERIFY(!(f.dialog.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(f.Edit("RzEdit1")->text(), QStringLiteral("old"));
        QCOMPARE(f.Edit("RzEdit2")->text(), QString());
        QCOMPARE(f.Edit("RzEdit4")->text(), QStringLiteral("pw"));
        QCOMPARE(f.Edit("RzEdit4")->echoMode(), QLineEdit::Password);
        QCOMPARE(f.dialog.findChild<QPushButton*>(QStringLiteral("RzButton1"))->text(), QStringLiteral("连  接"));
        QCOMPARE(f.dialog.findChild<QPushButton*>(QStringLiteral("RzButton2"))->text(), QStringLiteral("退  出"));
        // The notes wrap within their place, whatever the reason, and no control covers another.
        auto* reason = f.dialog.findChild<QLabel*>(QStringLiteral("ReasonLabel"));
        for (LoginReason why : {LoginReason::UserAsked, LoginReason::SettingsMissing, LoginReason::ConnectionFailed}) {
            reason->setText(LoginReasonText(why));
            QVERIFY2(reason->heightForWidth(reason->width()) <= reason->height(), qPrintable(reason->text()));
        }
        for (const char* name : {"DemoLabel", "OdbcLabel", "FilesLabel"}) {
            auto* note = f.dialog.findChild<QLabel*>(QString::fromLatin1(name));
            QVERIFY2(note->heightForWidth(note->width()) <= note->height(), name);
        }
        const QList<QWidget*> controls = f.dialog.findChildren<QWidget*>();
        for (QWidget* a : controls) {
            QVERIFY(f.dialog.rect().contains(a->geometry()));
            for (QWidget* b : controls) {
                QVERIFY2(a == b || !a->geometry().intersects(b->geometry()), qPrintable(a->objectName()));
            }
        }
    }

    // How the driver for SQL Server is chosen, what TrustServerCertificate is for, and where the settings file is:
    // its whole path, which may wrap at its separators.
    void GuidesTheDriverChoiceAndSaysWhereTheFilesAre() {
        Fixture f;
        const QString odbc = f.dialog.findChild<QLabel*>(QStringLiteral("OdbcLabel"))->text();
        QVERIFY(odbc.contains(QStringLiteral("OdbcDriver")));
        QVERIFY(odbc.contains(QStringLiteral("ODBC Driver 18 默认加密连接，会拒绝服务器的自签名证书")));
        QVERIFY(odbc.contains(QStringLiteral("[System] 节加一行 TrustServerCertificate=yes")));
        auto* files = f.dialog.findChild<QLabel*>(QStringLiteral("FilesLabel"));
        const QString settings = QDir::toNativeSeparators(QString::fromStdString(f.folder.File("ZirurUzavarUriz.ini")));
        QCOMPARE(files->text().remove(QChar(0x200B)),
                 QStringLiteral("设置保存在 %1；演示库和运行记录 huizhang-journal 在同一文件夹。").arg(settings));
        QCOMPARE(files->toolTip(), settings);
    }

    void IncompleteSettingsAreRefused_data() {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("user");
        QTest::newRow("no server") << ""
                                   << "erp"
                                   << "admin";
        QTest::newRow("no database") << "sqlite"
                                     << ""
                                     << "admin";
        QTest::newRow("no user") << "sqlite"
                                 << "erp"
                                 << "";
    }

    void IncompleteSettingsAreRefused() {
        QFETCH(QString, server);
        QFETCH(QString, database);
        QFETCH(QString, user);
        Fixture f;
        f.Fill(server, database, user, QStringLiteral("pw"));
        f.Click("RzButton1");
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("服务器，数据库或用户名不能为空！")});
        QCOMPARE(f.dialogs.messageParents.value(0).data(), &f.dialog);
        QVERIFY(f.dialog.isVisible());
        QVERIFY(!f.session.connected);
        // The boxes were taken into the session all the same.
        QCOMPARE(f.session.settings.server, server);
        QCOMPARE(f.session.settings.password, QStringLiteral("pw"));
        QCOMPARE(f.FileBytes(), OriginalSettings);
    }

    void AFailedConnectionKeepsTheFileAndTheDialog() {
        Fixture f;
        f.Fill(QStringLiteral("sqlite"), QStringLiteral("missing"), QStringLiteral("admin"), QString());
        f.Click("RzButton1");
        const QString path = QString::fromStdString(f.folder.File("missing.db"));
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("数据库连接失败！ unable to open database file: ") +
                                                 path + QStringLiteral(" does not exist")});
        QVERIFY(f.dialog.isVisible());
        QVERIFY(!f.session.connected);
        QCOMPARE(f.session.settings.database, QStringLiteral("missing"));
        QCOMPARE(f.FileBytes(), OriginalSettings);
    }

    void OtherErrorsWhileConnectingAreShownWithTheirOwnText() {
        Fixture f;
        f.session.connected = true;
        f.session.Con.SetOpenHook([](Connection&) { throw RunError("无法准备内嵌数据库"); });
        f.Fill(QStringLiteral("sqlite"), QStringLiteral("erp"), QStringLiteral("admin"), QString());
        f.Click("RzButton1");
        QCOMPARE(f.dialogs.errors, QStringList{QStringLiteral("无法准备内嵌数据库")});
        QCOMPARE(f.dialogs.messages, QStringList());
        QVERIFY(f.dialog.isVisible());
        QVERIFY(!f.session.connected);
        QVERIFY(!f.session.Con.IsOpen());
        QCOMPARE(f.FileBytes(), OriginalSettings);
    }

    void ASuccessfulConnectionWritesTheFourKeys() {
        Fixture f;
        f.Fill(QStringLiteral("sqlite"), QStringLiteral("erp"), QStringLiteral("admin"), QStringLiteral("p;w d"));
        f.Click("RzButton1");
        QCOMPARE(f.dialogs.messages, QStringList());
        QVERIFY(!f.dialog.isVisible());
        QCOMPARE(f.dialog.result(), int(QDialog::Accepted));
        QVERIFY(f.session.connected);
        QVERIFY(f.session.Con.IsOpen());
        QCOMPARE(f.FileBytes(), QByteArray("[System]\r\nToolCaption=我的标题\r\n; kept as it is\r\n\r\n[DB]\r\n"
                                           "GServer=sqlite\r\nGDBName=erp\r\nGUser=admin\r\nGPassWord=p;w d\r\n"
                                           "\r\n[Other]\r\nk=v\r\n"));
    }

    void SettingsThatCannotBeKeptAreReportedButHold() {
        test::ScratchFolder folder;
        const QString database = QString::fromStdString(folder.File("erp.db"));
        Connection().CreateSqliteFile(database);
        const QString settingsPath = QString::fromStdString(folder.File("gone/ZirurUzavarUriz.ini"));
        Session session(settingsPath);
        test::RecordingDialogs dialogs;
        TFLogin dialog(session, dialogs);
        dialog.show();
        dialog.findChild<QLineEdit*>(QStringLiteral("RzEdit1"))->setText(QStringLiteral("sqlite"));
        dialog.findChild<QLineEdit*>(QStringLiteral("RzEdit2"))->setText(database);
        dialog.findChild<QLineEdit*>(QStringLiteral("RzEdit3"))->setText(QStringLiteral("admin"));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("RzButton1")), Qt::LeftButton);
        QCOMPARE(dialogs.errors.size(), 1);
        QVERIFY(dialogs.errors[0].startsWith(QStringLiteral("无法保存设置文件 ") + settingsPath + u'：'));
        QVERIFY(session.connected);
        QVERIFY(!dialog.isVisible());
    }

    // Typing into a field replaces its setting, however the field got the focus: on opening, by the tab key or by
    // the mouse.
    void FieldsSelectTheirTextOnFocus() {
        Fixture f;
        f.session.settings.database = QStringLiteral("UFDATA_001_2026");
        f.session.settings.user = QStringLiteral("sa");
        f.dialog.hide();
        f.dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&f.dialog));
        QCOMPARE(QApplication::focusWidget(), f.Edit("RzEdit1"));
        QTest::keyClicks(f.Edit("RzEdit1"), QStringLiteral("sqlite"));
        QCOMPARE(f.Edit("RzEdit1")->text(), QStringLiteral("sqlite"));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), f.Edit("RzEdit2"));
        QTest::keyClicks(f.Edit("RzEdit2"), QStringLiteral("HZDEMO_001_2026"));
        QCOMPARE(f.Edit("RzEdit2")->text(), QStringLiteral("HZDEMO_001_2026"));

        QTest::mouseClick(f.Edit("RzEdit3"), Qt::LeftButton, {}, QPoint(4, 10));
        QTRY_COMPARE(f.Edit("RzEdit3")->selectedText(), QStringLiteral("sa"));
        QTest::keyClicks(f.Edit("RzEdit3"), QStringLiteral("demo"));
        QCOMPARE(f.Edit("RzEdit3")->text(), QStringLiteral("demo"));
    }

    void QuittingLeavesTheSettingsAlone() {
        Fixture f;
        f.Fill(QStringLiteral("elsewhere"), QStringLiteral("erp"), QStringLiteral("admin"), QString());
        f.Click("RzButton2");
        QVERIFY(!f.dialog.isVisible());
        QCOMPARE(f.dialog.result(), int(QDialog::Rejected));
        QCOMPARE(f.session.settings.server, QStringLiteral("old"));
        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(f.FileBytes(), OriginalSettings);
    }
};

} // namespace
} // namespace hz

int RunLoginDialogTests(int argc, char** argv) {
    hz::LoginDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "login_dialog_test.moc"

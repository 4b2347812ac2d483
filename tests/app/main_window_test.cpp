#include "app/login_dialog.h"
#include "app/main_window.h"

#include "engine/messages/run_error.h"
#include "engine/run/session.h"
#include "engine/run/sheet_kinds.h"
#include "tests/app/main_window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <set>

namespace hz {
namespace {

// The rows of the group box, top to bottom: caption, check box, start-row box.
const char* const ScreenRows[21][3] = {
    {"客户分类", "CheckBox16", "Edit20"}, {"供应商分类", "CheckBox17", "Edit19"},
    {"存货分类", "CheckBox18", "Edit18"}, {"地区分类", "CheckBox19", "Edit17"},
    {"收发类别", "CheckBox8", "Edit9"},   {"部门", "CheckBox14", "Edit14"},
    {"员工", "CheckBox15", "Edit13"},     {"计量单位组", "CheckBox20", "Edit22"},
    {"计量单位", "CheckBox21", "Edit21"}, {"供应商档案", "CheckBox9", "Edit10"},
    {"客户档案", "CheckBox10", "Edit11"}, {"仓库档案", "CheckBox11", "Edit12"},
    {"存货档案", "CheckBox12", "Edit16"}, {"存货期初", "CheckBox13", "Edit15"},
    {"采购入库单", "CheckBox1", "Edit1"}, {"产成品入库单", "CheckBox2", "Edit2"},
    {"其他入库单", "CheckBox3", "Edit3"}, {"调拨单", "CheckBox4", "Edit4"},
    {"销售出库单", "CheckBox5", "Edit7"}, {"材料出库单", "CheckBox6", "Edit6"},
    {"其他出库单", "CheckBox7", "Edit5"},
};

// Sets an environment variable for as long as it lives.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const QString& value)
        : name(name), had(qEnvironmentVariableIsSet(name)), before(qgetenv(name)) {
        qputenv(name, value.toLocal8Bit());
    }
    ~EnvironmentOverride() {
        if (had) {
            qputenv(name, before);
        } else {
            qunsetenv(name);
        }
    }
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    const char* name;
    bool had;
    QByteArray before;
};

class MainWindowTest : public QObject {
    Q_OBJECT

    struct Fixture : test::MainWindowFixture {
        using MainWindowFixture::MainWindowFixture;
        QStringList Ticked() {
            QStringList names;
            for (const auto& row : ScreenRows) {
                if (Find<QCheckBox>(row[1])->isChecked()) {
                    names << QString::fromLatin1(row[1]);
                }
            }
            names.sort();
            return names;
        }
    };

    static QStringList AllCheckBoxes() {
        QStringList names;
        for (const auto& row : ScreenRows) {
            names << QString::fromLatin1(row[1]);
        }
        names.sort();
        return names;
    }

private slots:
    void LaysOutTheRowsAsDrawn() {
        Fixture f;
        QCOMPARE(f.window->size(), QSize(243, 679));
        QCOMPARE(f.window->minimumSize(), f.window->maximumSize());
        QVERIFY(!(f.window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(f.window->windowFlags() & Qt::WindowMinimizeButtonHint));
        auto* group = f.Find<QGroupBox>("GroupBox1");
        QCOMPARE(group->title(), QStringLiteral("  选择导入单据               起始行数  "));
        const int firstTop = f.Find("CheckBox16")->y();
        for (int i = 0; i < 21; ++i) {
            auto* box = f.Find<QCheckBox>(ScreenRows[i][1]);
            auto* edit = f.Find<QLineEdit>(ScreenRows[i][2]);
            QCOMPARE(box->text(), QString::fromUtf8(ScreenRows[i][0]));
            QCOMPARE(box->parentWidget(), group);
            QCOMPARE(edit->parentWidget(), group);
            QCOMPARE(box->y(), firstTop + 23 * i);
            QCOMPARE(edit->y(), box->y());
            QVERIFY(edit->x() > box->x() + box->width() - 1);
            QVERIFY(!box->isChecked());
            QCOMPARE(edit->text(), QStringLiteral("2"));
            QVERIFY(group->rect().contains(edit->geometry()));
        }
        // Everything lies inside the client area, top to bottom in the order drawn.
        const char* const topToBottom[] = {"Memo1", "GroupBox1", "RzCheckBox1", "Edit8", "Button2"};
        for (int i = 1; i < 5; ++i) {
            QVERIFY(f.Find(topToBottom[i])->y() >= f.Find(topToBottom[i - 1])->geometry().bottom());
        }
        for (QWidget* child : f.window->findChildren<QWidget*>()) {
            if (child->window() == f.window.get()) {
                QVERIFY(f.window->rect().contains(QRect(child->mapTo(f.window.get(), QPoint()), child->size())));
            }
        }
        QCOMPARE(f.Find<QCheckBox>("RzCheckBox1")->text(), QStringLiteral("全选"));
        QCOMPARE(f.Find<QCheckBox>("RzCheckBox2")->text(), QStringLiteral("反选"));
        QVERIFY(f.Find("RzCheckBox1")->x() < f.Find("RzCheckBox2")->x());
        QCOMPARE(f.Find<QLabel>("Label1")->text(), QStringLiteral("Exce文件路径："));
        QCOMPARE(f.Find<QPushButton>("Button1")->text(), QStringLiteral("....."));
        QCOMPARE(f.Find<QPushButton>("Button4")->text(), QStringLiteral("设置"));
        QCOMPARE(f.Find<QPushButton>("Button2")->text(), QStringLiteral("确  定"));
        QCOMPARE(f.Find<QPushButton>("Button3")->text(), QStringLiteral("退  出"));
        auto* memo = f.Find<QPlainTextEdit>("Memo1");
        QVERIFY(memo->isReadOnly());
        QCOMPARE(memo->document()->blockCount(), 4);
        QCOMPARE(memo->palette().color(QPalette::Text), QColor(Qt::blue));
        QCOMPARE(memo->viewport()->cursor().shape(), Qt::PointingHandCursor);
    }

    void TheCaptionComesFromTheSettingsFile() {
        Fixture missing;
        QCOMPARE(missing.window->windowTitle(), QStringLiteral("汇账助手 批量导入，轻松实施"));
        Fixture custom("[db]\ngserver=sqlite\n[System]\nToolCaption=某公司 期初导入\n");
        QCOMPARE(custom.window->windowTitle(), QStringLiteral("某公司 期初导入"));
        QCOMPARE(custom.session.settings.server, QStringLiteral("sqlite"));
        Fixture broken("[DB]\nGServer=\x81\x20\n");
        QCOMPARE(broken.window->windowTitle(), QStringLiteral("汇账助手 批量导入，轻松实施"));
        QCOMPARE(broken.dialogs.errors.size(), 1);
        QVERIFY(broken.dialogs.errors[0].contains(QStringLiteral("既不是 UTF-8 也不是代码页 936")));
    }

    void SelectionBoxes_data() {
        QTest::addColumn<QStringList>("tickedFirst");
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("selectAll");
        QTest::addColumn<bool>("invert");
        const QStringList five{"CheckBox1", "CheckBox8", "CheckBox14", "CheckBox16", "CheckBox21"};
        QStringList sixteen = AllCheckBoxes();
        for (const QString& name : five) {
            sixteen.removeOne(name);
        }
        QTest::newRow("select all after invert")
            << QStringList{"CheckBox3"} << QStringList{"RzCheckBox2", "RzCheckBox1"} << AllCheckBoxes() << true
            << false;
        QTest::newRow("unticking select all")
            << QStringList{} << QStringList{"RzCheckBox1", "RzCheckBox1"} << QStringList{} << false << false;
        QTest::newRow("invert five") << five << QStringList{"RzCheckBox2"} << sixteen << false << true;
        QTest::newRow("invert twice restores")
            << five << QStringList{"RzCheckBox2", "RzCheckBox2"} << five << false << false;
        // Clearing "全选" must not run its action, which would untick everything.
        QTest::newRow("invert after select all")
            << QStringList{} << QStringList{"RzCheckBox1", "CheckBox3", "RzCheckBox2"} << QStringList{"CheckBox3"}
            << false << true;
        // Clearing "反选" must not run its action, which would invert everything again.
        QTest::newRow("select all clears invert")
            << QStringList{} << QStringList{"RzCheckBox2", "RzCheckBox1"} << AllCheckBoxes() << true << false;
    }

    void SelectionBoxes() {
        QFETCH(QStringList, tickedFirst);
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, expected);
        QFETCH(bool, selectAll);
        QFETCH(bool, invert);
        Fixture f;
        f.Find<QLineEdit>("Edit9")->setText(QStringLiteral("17"));
        for (const QString& name : tickedFirst) {
            f.Tick(name.toLatin1().constData());
        }
        for (const QString& name : clicks) {
            f.Tick(name.toLatin1().constData());
        }
        expected.sort();
        QCOMPARE(f.Ticked(), expected);
        QCOMPARE(f.Find<QCheckBox>("RzCheckBox1")->isChecked(), selectAll);
        QCOMPARE(f.Find<QCheckBox>("RzCheckBox2")->isChecked(), invert);
        QCOMPARE(f.Find<QLineEdit>("Edit9")->text(), QStringLiteral("17"));
        QCOMPARE(f.Find<QLineEdit>("Edit20")->text(), QStringLiteral("2"));
    }

    // The chooser first opens in the user's documents (the home folder when the desktop has none), then on the
    // last workbook; the path box shows the whole path as its tooltip, since it shows only the end of a long one.
    void TheChooserFillsThePathAndCancelKeepsIt_data() {
        QTest::addColumn<bool>("hasDocuments");
        QTest::addColumn<QString>("firstFolder");
        QTest::newRow("documents folder") << true << QStringLiteral("home/我的文档");
        QTest::newRow("no documents folder") << false << QStringLiteral("home");
    }

    void TheChooserFillsThePathAndCancelKeepsIt() {
        QFETCH(bool, hasDocuments);
        QFETCH(QString, firstFolder);
        test::ScratchFolder desktop;
        const QDir root(QString::fromStdString(desktop.Path()));
        QVERIFY(root.mkpath(QStringLiteral("config")) && root.mkpath(QStringLiteral("home")));
        if (hasDocuments) {
            QVERIFY(root.mkpath(QStringLiteral("home/我的文档")));
        }
        test::WriteFileBytes(desktop.File("config/user-dirs.dirs"), "XDG_DOCUMENTS_DIR=\"$HOME/我的文档\"\n");
        const EnvironmentOverride home("HOME", root.filePath(QStringLiteral("home")));
        const EnvironmentOverride config("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")));

        Fixture f;
        f.dialogs.chosenFile = QStringLiteral("/data/期初 数据.xlsx");
        f.Click("Button1");
        auto* path = f.Find<QLineEdit>("Edit8");
        QCOMPARE(path->text(), QStringLiteral("/data/期初 数据.xlsx"));
        QCOMPARE(path->toolTip(), QStringLiteral("/data/期初 数据.xlsx"));
        f.dialogs.chosenFile.clear();
        f.Click("Button1");
        QCOMPARE(path->text(), QStringLiteral("/data/期初 数据.xlsx"));
        QCOMPARE(f.dialogs.chooserCalls,
                 (QStringList{QStringLiteral("请选择数据文件：|数据文件 (*.xls *.xlsx *.xlsm)|") +
                                  root.filePath(firstFolder),
                              QStringLiteral("请选择数据文件：|数据文件 (*.xls *.xlsx *.xlsm)|/data/期初 数据.xlsx")}));
        f.dialogs.chosenFile = QStringLiteral("/data/第二个.xls");
        f.Click("Button1");
        QCOMPARE(path->toolTip(), QStringLiteral("/data/第二个.xls"));
    }

    void ThePathBoxRefusesTyping() {
        Fixture f;
        auto* path = f.Find<QLineEdit>("Edit8");
        path->setFocus();
        QTest::keyClicks(path, QStringLiteral("C:\\book.xls"));
        QTest::keyClick(path, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(path->text(), QString());
        QVERIFY(path->isReadOnly());
    }

    void TheStartButtonHandsOverTheSelectionInSelectionOrder() {
        Fixture f;
        f.dialogs.chosenFile = QStringLiteral("/data/book.xlsx");
        f.Click("Button1");
        // Screen order: 客户分类 (row 1), 收发类别 (5), 部门 (6), 采购入库单 (15).
        for (const char* name : {"CheckBox1", "CheckBox8", "CheckBox14", "CheckBox16"}) {
            f.Tick(name);
        }
        f.Find<QLineEdit>("Edit9")->setText(QStringLiteral("x7"));
        f.Find<QLineEdit>("Edit1")->setText(QStringLiteral("40"));
        QStringList handedOver;
        f.runner = [&](const ImportRequest& request, RunObserver&) {
            handedOver << request.workbookPath;
            for (const KindSelection& selection : request.selection) {
                handedOver << selection.kind->caption.toString() + u'=' + selection.startRowText;
            }
            handedOver << (request.mode == RunMode::Import ? "import" : "check");
        };
        f.Click("Button2");
        QCOMPARE(handedOver,
                 (QStringList{"/data/book.xlsx", "客户分类=2", "部门=2", "收发类别=x7", "采购入库单=40", "import"}));
    }

    void ARunBlocksInputAndShowsWhereItIs() {
        Fixture f;
        int runs = 0;
        f.runner = [&](const ImportRequest&, RunObserver& observer) {
            ++runs;
            QVERIFY(!f.Find("Button2")->isEnabled());
            QVERIFY(!f.Find("CheckBox16")->isEnabled());
            observer.Progress(QStringLiteral("存货档案"), 12);
            QCOMPARE(f.window->windowTitle(), QStringLiteral("存货档案 第 12 行"));
            observer.StartRowChanged(*FindSheetKind(u"存货档案"), QStringLiteral("13"));
            QCOMPARE(f.Find<QLineEdit>("Edit16")->text(), QStringLiteral("13"));
            observer.ShowMessage({QStringLiteral("存货档案第 13 行存货编码已存在！")});
            // Neither a second press nor the close box interrupts the run.
            f.Click("Button2");
            f.Tick("RzCheckBox1");
            QVERIFY(!f.window->close());
        };
        f.Click("Button2");
        QCOMPARE(runs, 1);
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("存货档案第 13 行存货编码已存在！")});
        QCOMPARE(f.dialogs.messageParents.value(0).data(), f.window.get());
        QCOMPARE(f.dialogs.modalTitles, QStringList());
        QVERIFY(f.window->isVisible());
        QVERIFY(!f.Find<QCheckBox>("CheckBox16")->isChecked());
        QVERIFY(f.Find("Button2")->isEnabled());
        QCOMPARE(f.window->windowTitle(), QStringLiteral("汇账助手 批量导入，轻松实施"));
        QCOMPARE(f.Find<QLineEdit>("Edit16")->text(), QStringLiteral("13"));
    }

    void AnErrorThatEndsTheRunIsShown() {
        Fixture f;
        f.runner = [](const ImportRequest&, RunObserver& observer) {
            observer.Progress(QStringLiteral("部门"), 3);
            throw RunError("第 3 行第 2 列：不是数字");
        };
        f.Click("Button2");
        QCOMPARE(f.dialogs.errors, QStringList{QStringLiteral("第 3 行第 2 列：不是数字")});
        QVERIFY(f.Find("Button2")->isEnabled());
        QCOMPARE(f.window->windowTitle(), QStringLiteral("汇账助手 批量导入，轻松实施"));
    }

    void TheSettingsDialogOpensModally() {
        Fixture f("[DB]\nGServer=srv\nGDBName=db\n");
        QStringList seen;
        const auto closeDialog = [&] {
            QWidget* modal = QApplication::activeModalWidget();
            QVERIFY(modal != nullptr);
            seen << modal->windowTitle() << modal->findChild<QLineEdit*>(QStringLiteral("RzEdit1"))->text();
            static_cast<QDialog*>(modal)->reject();
        };
        QTimer::singleShot(0, closeDialog);
        f.Click("Button4");
        QCOMPARE(seen, (QStringList{"服务器设置", "srv"}));

        // A run with incomplete settings opens the same dialog, without a message.
        f.runner = [&](const ImportRequest&, RunObserver& observer) { ConnectDatabase(f.session, observer); };
        QTimer::singleShot(0, closeDialog);
        f.Click("Button2");
        QCOMPARE(seen.size(), 4);
        QCOMPARE(f.dialogs.messages, QStringList());
        QVERIFY(!f.session.connected);
    }

    // The dialog says in its first line why it opened, whoever opened it, and tells how to reach the demo ERP.
    void TheSettingsDialogSaysWhyItOpened_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("messages");
        QTest::newRow("settings button") << QByteArray("[DB]\nGServer=srv\nGDBName=db\n") << QByteArray("Button4")
                                         << LoginReasonText(LoginReason::UserAsked) << 0;
        QTest::newRow("run with empty settings")
            << QByteArray("[DB]\nGServer=srv\nGDBName=db\n") << QByteArray("Button2")
            << QStringLiteral("请先设置 ERP 数据库连接：填写服务器、数据库和用户名，然后点击“连  接”。") << 0;
        // The failure itself was a message just before.
        QTest::newRow("run that cannot connect")
            << QByteArray("[DB]\nGServer=sqlite\nGDBName=missing\nGUser=demo\n") << QByteArray("Button2")
            << LoginReasonText(LoginReason::ConnectionFailed) << 1;
    }

    void TheSettingsDialogSaysWhyItOpened() {
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, button);
        QFETCH(QString, reason);
        QFETCH(int, messages);
        Fixture f(settings.toStdString());
        f.runner = [&](const ImportRequest&, RunObserver& observer) { ConnectDatabase(f.session, observer); };
        QStringList seen;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            seen << dialog->findChild<QLabel*>(QStringLiteral("ReasonLabel"))->text()
                 << dialog->findChild<QLabel*>(QStringLiteral("DemoLabel"))->text();
            dialog->reject();
        });
        f.Click(button.constData());
        QCOMPARE(seen.value(0), reason);
        QVERIFY(seen.value(1).contains(QStringLiteral("服务器填 sqlite")));
        QCOMPARE(f.dialogs.messages.size(), messages);
    }

    // Settings that connect close the dialog without a word and the run goes on with them.
    void ARunGoesOnOnceTheDialogConnects() {
        Fixture f;
        const QString database = QString::fromStdString(f.folder.File("erp.db"));
        Connection().CreateSqliteFile(database);
        f.runner = [&](const ImportRequest&, RunObserver& observer) {
            ConnectDatabase(f.session, observer);
            if (f.session.connected) {
                observer.ShowMessage({QStringLiteral("导入完成！")});
            }
        };
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog != nullptr);
            const QStringList values{QStringLiteral("sqlite"), database, QStringLiteral("demo")};
            for (int i = 0; i < values.size(); ++i) {
                dialog->findChild<QLineEdit*>(QStringLiteral("RzEdit%1").arg(i + 1))->setText(values[i]);
            }
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("RzButton1")), Qt::LeftButton);
        });
        f.Click("Button2");
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("导入完成！")});
        QVERIFY(f.session.connected);
        QVERIFY(!f.window->Login().isVisible());
    }

    // A box takes the program's caption, not the caption that shows where the run is: that one may already name
    // another worksheet and row.
    void MessagesTakeTheProgramsCaption() {
        Fixture f("[System]\nToolCaption=某公司 期初导入\n");
        f.runner = [](const ImportRequest&, RunObserver& observer) {
            observer.Progress(QStringLiteral("客户分类"), 2);
            observer.ShowMessage({QStringLiteral("员工第 8 行部门不存在！"), QStringLiteral("员工"), 8});
            observer.Progress(QStringLiteral("存货档案"), 40);
            observer.ShowMessage({QStringLiteral("导入完成！")});
            throw RunError("无法保存工作簿");
        };
        f.Click("Button2");
        QCOMPARE(f.dialogs.messageTitles, QStringList(3, QStringLiteral("某公司 期初导入")));
        QCOMPARE(f.dialogs.Caption(), QStringLiteral("某公司 期初导入"));
    }

    void ClickingTheInformationOpensTheGuide() {
        Fixture f;
        QTest::mouseClick(f.Find<QPlainTextEdit>("Memo1")->viewport(), Qt::LeftButton);
        const QString guide = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("docs/guide.html"));
        QVERIFY(QFileInfo::exists(guide));
        QCOMPARE(f.dialogs.openedUrls, QList<QUrl>{QUrl::fromLocalFile(guide)});
        QCOMPARE(f.dialogs.messages, QStringList());
    }

    void ExitClosesTheWindow() {
        Fixture f;
        f.Click("Button3");
        QVERIFY(!f.window->isVisible());
    }
};

} // namespace
} // namespace hz

int RunMainWindowTests(int argc, char** argv) {
    hz::MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"

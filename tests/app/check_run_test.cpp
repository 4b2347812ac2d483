#include "app/widgets/check_result.h"

#include "engine/database/embedded_erp/embedded_erp.h"
#include "engine/messages/run_error.h"
#include "engine/run/import_run.h"
#include "engine/run/importer_registry.h"
#include "engine/run/sheet_kinds.h"
#include "importers/default_importers.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/fresh_erp.h"
#include "tests/support/text_workbook.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <vector>

namespace hz {
namespace {

using Fixture = test::MainWindowFixture;

// What the check result dialog showed while it was open: its summary, the note on errors left out, and each row of
// its table as "worksheet|row|message" (no table: an empty list).
struct ShownResult {
    QString summary;
    QString unlistedNote;
    QStringList rows;
    bool hasTable = false;
};

ShownResult Snapshot(QDialog& dialog) {
    ShownResult shown;
    shown.summary = dialog.findChild<QLabel*>(QStringLiteral("SummaryLabel"))->text();
    if (const auto* note = dialog.findChild<QLabel*>(QStringLiteral("UnlistedLabel"))) {
        shown.unlistedNote = note->text();
    }
    const auto* table = dialog.findChild<QTableView*>(QStringLiteral("ErrorTable"));
    shown.hasTable = table != nullptr;
    if (table == nullptr) {
        return shown;
    }
    const QAbstractItemModel* model = table->model();
    QStringList header;
    for (int column = 0; column < model->columnCount(); ++column) {
        header << model->headerData(column, Qt::Horizontal).toString();
    }
    shown.rows << header.join(u'|');
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column) {
            cells << model->index(row, column).data().toString();
        }
        shown.rows << cells.join(u'|');
    }
    return shown;
}

const QString kHeader = QStringLiteral("工作表|行|消息");

// A check as the engine runs it, to end with RunOutcome::CheckFailed: a message of the whole run, two errors on two
// sheets, a start row it must not change, then the summary.
void FakeCheck(const ImportRequest&, RunObserver& observer) {
    observer.ShowMessage({QStringLiteral("工作簿是只读的")});
    observer.Progress(QStringLiteral("部门"), 2);
    observer.ShowMessage({QStringLiteral("部门第 3 行 D0 在库中已存在请核实！"), QStringLiteral("部门"), 3});
    observer.StartRowChanged(*FindSheetKind(u"部门"), QStringLiteral("3"));
    observer.Progress(QStringLiteral("存货档案"), 2);
    observer.ShowMessage({QStringLiteral("存货档案第 7 行计量单位不存在！"), QStringLiteral("存货档案"), 7});
    observer.ShowMessage({CheckSummaryMessage(2)});
}

class CheckRunTest : public QObject {
    Q_OBJECT

    // Starts a check of the workbook at path with the start button and returns what the result dialog showed.
    static ShownResult StartCheck(Fixture& f, const QString& path = QStringLiteral("/data/book.xlsx")) {
        f.dialogs.chosenFile = path;
        f.Click("Button1");
        f.Tick("RzCheckBox3");
        ShownResult shown;
        f.dialogs.onModal = [&shown](QDialog& dialog) { shown = Snapshot(dialog); };
        f.Click("Button2");
        return shown;
    }

private slots:
    // The option takes the free space right of "反选" without covering any control, and its text is not clipped.
    void TheCheckOptionFitsBesideTheSelectionBoxes() {
        Fixture f;
        auto* option = f.Find<QCheckBox>("RzCheckBox3");
        QCOMPARE(option->text(), QStringLiteral("只检查"));
        QVERIFY(!option->isChecked());
        QCOMPARE(option->y(), f.Find("RzCheckBox2")->y());
        QVERIFY(option->x() > f.Find("RzCheckBox2")->x());
        for (QWidget* sibling : option->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (sibling != option) {
                QVERIFY2(!sibling->geometry().intersects(option->geometry()), qPrintable(sibling->objectName()));
            }
        }
        for (const char* name : {"RzCheckBox1", "RzCheckBox2", "RzCheckBox3"}) {
            QVERIFY2(f.Find(name)->sizeHint().width() <= f.Find(name)->width(), name);
        }
        QVERIFY(f.window->rect().contains(option->geometry()));
    }

    void TheOptionChoosesTheMode_data() {
        QTest::addColumn<QStringList>("ticks");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unticked imports") << QStringList{"CheckBox14"} << "import 部门";
        QTest::newRow("ticked checks") << QStringList{"CheckBox14", "RzCheckBox3"} << "check 部门";
        QTest::newRow("ticked twice imports")
            << QStringList{"RzCheckBox3", "CheckBox14", "RzCheckBox3"} << "import 部门";
        // "全选" ticks the kinds, not the option.
        QTest::newRow("select all leaves it") << QStringList{"RzCheckBox1"} << "import";
    }

    void TheOptionChoosesTheMode() {
        QFETCH(QStringList, ticks);
        QFETCH(QString, expected);
        Fixture f;
        for (const QString& name : ticks) {
            f.Tick(name.toLatin1().constData());
        }
        QString handedOver;
        f.runner = [&](const ImportRequest& request, RunObserver&) {
            handedOver = request.mode == RunMode::Check ? QStringLiteral("check") : QStringLiteral("import");
            if (request.selection.size() == 1) {
                handedOver += u' ' + request.selection[0].kind->caption.toString();
            }
        };
        f.Click("Button2");
        QCOMPARE(handedOver, expected);
    }

    // Errors go into the dialog's table, in order with their place; a message of the whole run is still a box, shown
    // as soon as the run goes on; the start-row boxes keep what the user typed.
    void ACheckListsItsErrorsInOneDialog() {
        Fixture f;
        f.Find<QLineEdit>("Edit14")->setText(QStringLiteral("2"));
        f.runner = FakeCheck;
        f.outcome = RunOutcome::CheckFailed;
        const ShownResult shown = StartCheck(f);
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("工作簿是只读的")});
        QCOMPARE(f.dialogs.errors, QStringList());
        QCOMPARE(f.dialogs.modalTitles, QStringList{QStringLiteral("检查结果")});
        QCOMPARE(shown.summary, QStringLiteral("检查完成：2 处错误"));
        QCOMPARE(shown.rows, (QStringList{kHeader, QStringLiteral("部门|3|部门第 3 行 D0 在库中已存在请核实！"),
                                          QStringLiteral("存货档案|7|存货档案第 7 行计量单位不存在！")}));
        QCOMPARE(shown.unlistedNote, QString());
        QCOMPARE(f.Find<QLineEdit>("Edit14")->text(), QStringLiteral("2"));
        QVERIFY(f.Find("Button2")->isEnabled());

        // The same runner as an import shows every message as a box and no dialog.
        f.Tick("RzCheckBox3");
        f.runner = [](const ImportRequest&, RunObserver& observer) {
            observer.ShowMessage({QStringLiteral("部门第 3 行 D0 在库中已存在请核实！"), QStringLiteral("部门"), 3});
            observer.StartRowChanged(*FindSheetKind(u"部门"), QStringLiteral("3"));
            observer.ShowMessage({QStringLiteral("中止导入！")});
        };
        f.outcome = RunOutcome::Aborted;
        f.Click("Button2");
        QCOMPARE(f.dialogs.messages,
                 (QStringList{"工作簿是只读的", "部门第 3 行 D0 在库中已存在请核实！", "中止导入！"}));
        QCOMPARE(f.dialogs.modalTitles.size(), 1);
        QCOMPARE(f.Find<QLineEdit>("Edit14")->text(), QStringLiteral("3"));
    }

    void ACheckWithoutErrorsShowsTheSummaryAlone() {
        Fixture f;
        f.runner = [](const ImportRequest&, RunObserver& observer) {
            observer.Progress(QStringLiteral("部门"), 2);
            observer.ShowMessage({CheckSummaryMessage(0)});
        };
        f.outcome = RunOutcome::CheckPassed;
        const ShownResult shown = StartCheck(f);
        QCOMPARE(shown.summary, QStringLiteral("检查完成：没有发现错误"));
        QVERIFY(!shown.hasTable);
        QCOMPARE(f.dialogs.messages, QStringList());
    }

    // A check that does not finish shows its last message as a box; what it found before a failure is still listed.
    void ACheckThatDoesNotFinish_data() {
        QTest::addColumn<bool>("findsError");
        QTest::addColumn<bool>("throws");
        QTest::addColumn<QStringList>("errors");
        QTest::addColumn<QStringList>("shown");
        const QString failure = QStringLiteral("无法打开工作簿");
        QTest::newRow("not connected") << false << false << QStringList() << QStringList();
        QTest::newRow("ended by a failure") << false << true << QStringList{failure} << QStringList();
        QTest::newRow("ended by a failure after an error")
            << true << true << QStringList{failure}
            << QStringList{QStringLiteral("检查中止：无法打开工作簿"), kHeader,
                           QStringLiteral("部门|3|部门第 3 行 D0 在库中已存在请核实！")};
    }

    void ACheckThatDoesNotFinish() {
        QFETCH(bool, findsError);
        QFETCH(bool, throws);
        QFETCH(QStringList, errors);
        QFETCH(QStringList, shown);
        Fixture f;
        f.runner = [=](const ImportRequest&, RunObserver& observer) {
            if (findsError) {
                observer.ShowMessage(
                    {QStringLiteral("部门第 3 行 D0 在库中已存在请核实！"), QStringLiteral("部门"), 3});
            }
            observer.ShowMessage({QStringLiteral("无法连接服务器")});
            if (throws) {
                throw RunError("无法打开工作簿");
            }
        };
        f.outcome = RunOutcome::NotConnected;
        const ShownResult result = StartCheck(f);
        QCOMPARE(f.dialogs.messages, QStringList{QStringLiteral("无法连接服务器")});
        QCOMPARE(f.dialogs.errors, errors);
        QCOMPARE(f.dialogs.modalTitles.size(), shown.isEmpty() ? 0 : 1);
        if (!shown.isEmpty()) {
            QCOMPARE(QStringList{result.summary} + result.rows, shown);
        }
    }

    void SavingTheReport_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("starts");
        QTest::addColumn<bool>("fails");
        QTest::newRow("csv") << "report.csv" << QByteArray("\xEF\xBB\xBF") << false;
        QTest::newRow("xlsx") << "report.XLSX" << QByteArray("PK") << false;
        QTest::newRow("cancelled") << "" << QByteArray() << false;
        QTest::newRow("unknown extension") << "report.txt" << QByteArray() << true;
        QTest::newRow("missing folder") << "missing/report.csv" << QByteArray() << true;
    }

    // The report is written where the user chose, the dialog staying open; a failure is an error box over it.
    void SavingTheReport() {
        QFETCH(QString, file);
        QFETCH(QByteArray, starts);
        QFETCH(bool, fails);
        Fixture f;
        const QString chosen =
            file.isEmpty() ? QString() : QDir(QString::fromStdString(f.folder.Path())).filePath(file);
        f.dialogs.fileToSave = chosen;
        f.runner = FakeCheck;
        f.outcome = RunOutcome::CheckFailed;
        QByteArray written;
        bool stillOpen = false;
        f.dialogs.onModal = [&](QDialog& dialog) {
            dialog.show();
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("SaveReportButton")), Qt::LeftButton);
            stillOpen = dialog.isVisible();
            QFile report(chosen);
            if (!chosen.isEmpty() && report.open(QIODevice::ReadOnly)) {
                written = report.readAll();
            }
        };
        f.dialogs.chosenFile = QStringLiteral("/data/期初 数据.xlsx");
        f.Click("Button1");
        f.Tick("RzCheckBox3");
        f.Click("Button2");
        QCOMPARE(f.dialogs.saveChooserCalls,
                 QStringList{QStringLiteral("保存检查报告|检查报告 (*.csv *.xlsx)|/data/期初 数据_检查报告.csv")});
        QVERIFY(stillOpen);
        QCOMPARE(f.dialogs.errors.size(), fails ? 1 : 0);
        QVERIFY(written.startsWith(starts));
        if (starts.startsWith("\xEF")) {
            // The listed errors and then the summary, in order; the file's layout is the report writer's own.
            const QString text = QString::fromUtf8(written);
            qsizetype at = 0;
            for (const char* expected : {"工作表", "部门", "部门第 3 行 D0 在库中已存在请核实！", "存货档案",
                                         "存货档案第 7 行计量单位不存在！", "检查完成：2 处错误"}) {
                at = text.indexOf(QString::fromUtf8(expected), at);
                QVERIFY2(at >= 0, expected);
            }
        }
        if (fails || file.isEmpty()) {
            QVERIFY(written.isEmpty());
            QCOMPARE(QDir(QString::fromStdString(f.folder.Path())).entryList(QDir::Files | QDir::Hidden),
                     QStringList());
        }
    }

    // Past the list's limit the errors are counted, not kept, and the dialog says how many it left out.
    void TheListIsBounded() {
        Fixture f;
        f.runner = [](const ImportRequest&, RunObserver& observer) {
            const int errors = CheckResult::MaxListedErrors + 2;
            for (int row = 2; row < errors + 2; ++row) {
                observer.ShowMessage({QStringLiteral("第 %1 行出错").arg(row), QStringLiteral("部门"), row});
            }
            observer.ShowMessage({CheckSummaryMessage(errors)});
        };
        f.outcome = RunOutcome::CheckFailed;
        const ShownResult shown = StartCheck(f);
        QCOMPARE(shown.rows.size(), 1 + CheckResult::MaxListedErrors);
        QCOMPARE(shown.rows.last(), QStringLiteral("部门|%1|第 %1 行出错").arg(CheckResult::MaxListedErrors + 1));
        QCOMPARE(shown.unlistedNote, QStringLiteral("只列出前 100000 处错误，另有 2 处未列出"));
        QCOMPARE(shown.summary, QStringLiteral("检查完成：100002 处错误"));
    }

    // The real run on an embedded ERP: the bad rows are listed, nothing reaches the ERP and the start row stays.
    void ACheckOfTheEmbeddedErpListsTheBadRows() {
        test::FreshErp erp;
        test::Execute(*erp.Connect(), QStringLiteral("Insert Into Department (cDepCode, cDepName, iDepGrade, bDepEnd) "
                                                     "Values ('D0', '财务部', 1, 1)"));
        Fixture f("[DB]\nGServer=sqlite\nGDBName=" + erp.Path().toStdString() + "\nGUser=demo\n");
        const std::string book = f.folder.File("book.xlsx");
        test::WriteTextWorkbook(book, {{"部门",
                                        {{"header"},
                                         {"", "D1", "人事部"},
                                         {"", "D0", "财务部"},
                                         {"", "D2", "销售部"},
                                         {"", "D0", "采购部"},
                                         {"", "D3", "仓储部"}}}});
        InstallEmbeddedErp(f.session.Con);
        const ImporterRegistry importers = DefaultImporters();
        f.runner = [&](const ImportRequest& request, RunObserver& observer) {
            f.outcome = RunImport(f.session, request, observer, importers);
        };
        f.Tick("CheckBox14");
        const ShownResult shown = StartCheck(f, QString::fromStdString(book));
        QCOMPARE(shown.summary, QStringLiteral("检查完成：2 处错误"));
        QCOMPARE(shown.rows, (QStringList{kHeader, QStringLiteral("部门|3|部门第 3 行 D0 在库中已存在请核实！"),
                                          QStringLiteral("部门|5|部门第 5 行 D0 在库中已存在请核实！")}));
        QCOMPARE(f.dialogs.messages, QStringList());
        QCOMPARE(f.dialogs.errors, QStringList());
        QCOMPARE(f.Find<QLineEdit>("Edit14")->text(), QStringLiteral("2"));
        QCOMPARE(test::Scalar(*erp.Connect(), QStringLiteral("Select Count(*) As Value From Department")).toInt(), 1);
    }
};

} // namespace
} // namespace hz

int RunCheckRunTests(int argc, char** argv) {
    hz::CheckRunTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "check_run_test.moc"

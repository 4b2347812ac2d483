#include "engine/journal/run_journal.h"
#include "engine/journal/sheet_digest.h"
#include "engine/run/sheet_kinds.h"
#include "engine/run/stop_request.h"
#include "engine/workbook/workbook.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/text_workbook.h"

#include <QLineEdit>

namespace hz {
namespace {

using Fixture = test::MainWindowFixture;

const std::string kEmbeddedSettings = "[DB]\nGServer=sqlite\nGDBName=HZDEMO_001_2026\nGUser=demo\n";

QLineEdit& Box(Fixture& f, const char16_t* kind) {
    return f.window->StartRowEdit(*FindSheetKind(kind));
}

// The journal rows of path for the fixture's ERP: 部门 at 5, 采购入库单 at 40.
void JournalRows(Fixture& f, const QString& path) {
    const QString workbook = JournalWorkbookName(path);
    const QString erp = JournalErpName(f.session.settings);
    RunJournal journal(JournalPath(f.session.settingsPath, workbook, erp), workbook, erp, false);
    journal.Record(QStringLiteral("采购入库单"), {40, std::nullopt});
    journal.Record(QStringLiteral("部门"), {5, std::nullopt});
}

class ResumeOfferTest : public QObject {
    Q_OBJECT

    // Chooses the workbook and starts a run; the request the run was given.
    static ImportRequest ChooseAndRun(Fixture& f, const QString& path) {
        f.dialogs.chosenFile = path;
        f.Click("Button1");
        return Run(f);
    }
    static ImportRequest Run(Fixture& f) {
        ImportRequest given;
        f.runner = [&given](const ImportRequest& request, RunObserver&) { given = request; };
        f.Click("Button2");
        return given;
    }

private slots:
    // On yes the boxes take the journal's rows and the run resumes; a row the user then types is the user's again.
    void YesFillsTheBoxesAndTheRunResumes() {
        Fixture f(kEmbeddedSettings);
        const QString path = QString::fromStdString(f.folder.File("book.xlsx"));
        JournalRows(f, path);
        f.dialogs.answer = true;
        QVERIFY(ChooseAndRun(f, path).resume);
        QCOMPARE(f.dialogs.questions,
                 QStringList{QStringLiteral("从上次停止处继续？\n部门：第 5 行\n采购入库单：第 40 行")});
        QCOMPARE(Box(f, u"部门").text(), QStringLiteral("5"));
        QCOMPARE(Box(f, u"采购入库单").text(), QStringLiteral("40"));
        QCOMPARE(Box(f, u"员工").text(), QStringLiteral("2"));

        Box(f, u"部门").clear();
        QTest::keyClicks(&Box(f, u"部门"), QStringLiteral("3"));
        QVERIFY(!Run(f).resume);
    }

    // A kind whose rows above its resume row read otherwise now (another workbook saved under the name) is not
    // offered, with the message a resumed run would refuse it with; the others are.
    void AKindWhoseRowsChangedIsNotOffered() {
        Fixture f(kEmbeddedSettings);
        const QString path = QString::fromStdString(f.folder.File("book.xlsx"));
        test::WriteTextWorkbook(path.toStdString(), {{"部门", {{}, {"", "01", "一部"}, {"", "02", "二部"}}}});
        {
            const QString workbook = JournalWorkbookName(path);
            const QString erp = JournalErpName(f.session.settings);
            RunJournal journal(JournalPath(f.session.settingsPath, workbook, erp), workbook, erp, false);
            const std::unique_ptr<Workbook> book = OpenWorkbook(path.toStdString());
            const std::vector<std::uint64_t> digests = DigestRows(KindWorksheet(*book, QStringLiteral("部门")), 2, 4);
            journal.Record(QStringLiteral("部门"), {4, std::nullopt, std::nullopt, {2, 4, digests.back()}}, &digests);
            journal.Record(QStringLiteral("采购入库单"), {40, std::nullopt});
        }
        test::WriteTextWorkbook(path.toStdString(), {{"部门", {{}, {"", "01", "一部"}, {"", "12", "二部"}}}});
        f.dialogs.answer = true;
        QVERIFY(ChooseAndRun(f, path).resume);
        QCOMPARE(f.dialogs.errors,
                 QStringList{QStringLiteral("部门 第 3 行与上次导入时不同：工作簿已被修改或替换；请核对后"
                                            "不带 --resume 从头导入，或给出起始行")});
        QCOMPARE(f.dialogs.questions, QStringList{QStringLiteral("从上次停止处继续？\n采购入库单：第 40 行")});
        QCOMPARE(Box(f, u"部门").text(), QStringLiteral("2"));
        QCOMPARE(Box(f, u"采购入库单").text(), QStringLiteral("40"));
    }

    // No, another workbook, or no journal: the boxes stay as they were and the run starts from them.
    void NoOrNothingToResumeLeavesTheBoxes() {
        Fixture f(kEmbeddedSettings);
        const QString path = QString::fromStdString(f.folder.File("book.xlsx"));
        QVERIFY(!ChooseAndRun(f, path).resume);
        QCOMPARE(f.dialogs.questions, QStringList());

        JournalRows(f, path);
        QVERIFY(!ChooseAndRun(f, QString::fromStdString(f.folder.File("other.xlsx"))).resume);
        QCOMPARE(f.dialogs.questions, QStringList());

        QVERIFY(!ChooseAndRun(f, path).resume);
        QCOMPARE(f.dialogs.questions.size(), 1);
        QCOMPARE(Box(f, u"部门").text(), QStringLiteral("2"));
    }

    // Closing the window during a run asks; on yes the run is asked to stop and the window closes once it has.
    void ClosingDuringARunAsksThenStopsIt() {
        for (const bool yes : {false, true}) {
            Fixture f(kEmbeddedSettings);
            f.dialogs.answer = yes;
            bool stopAsked = false;
            f.runner = [&](const ImportRequest&, RunObserver&) {
                f.window->close();
                stopAsked = StopRequested();
            };
            f.Click("Button2");
            QCOMPARE(f.dialogs.questions,
                     QStringList{QStringLiteral("正在导入。要在当前行或单据完成后停止导入并关闭窗口吗？")});
            QCOMPARE(stopAsked, yes);
            QCOMPARE(f.window->isVisible(), !yes);
            ClearStopRequest();
        }
    }
};

} // namespace
} // namespace hz

int RunResumeOfferTests(int argc, char** argv) {
    hz::ResumeOfferTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "resume_offer_test.moc"

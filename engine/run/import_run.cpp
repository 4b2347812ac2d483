#include "engine/run/import_run.h"

#include "engine/journal/run_journal.h"
#include "engine/messages/run_error.h"
#include "engine/platform/write_probe.h"
#include "engine/run/import_run_context.h"
#include "engine/run/importer_registry.h"
#include "engine/run/journal_steps.h"
#include "engine/run/run_observer.h"
#include "engine/run/run_resume.h"
#include "engine/run/session.h"
#include "engine/run/sheet_kinds.h"
#include "engine/text/cell_conversions.h"
#include "engine/workbook/workbook.h"

#include <QDir>

#include <algorithm>
#include <exception>
#include <memory>
#include <optional>

namespace hz {

namespace {

// The date-time texts of the database seam.
const QString kSeamDateTime = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QDateTime FetchRunDate(Query& QGetValue) {
    const QString text = QueryValue(QGetValue, QStringLiteral("select getdate() as value"));
    const QDateTime runDate = QDateTime::fromString(text, kSeamDateTime);
    if (!runDate.isValid()) {
        throw RunError("'" + text.toStdString() + "' is not a valid date and time");
    }
    return runDate;
}

// "<kind>的起始行数 <text> 不是工作表的行号（1 到 <last row>）"
RunError NoStartRow(const KindSelection& selected, const QString& text) {
    return RunError(QStringLiteral("%1的起始行数 %2 不是工作表的行号（1 到 %3）")
                        .arg(selected.kind->caption)
                        .arg(text)
                        .arg(kMaxRows)
                        .toStdString());
}

std::int32_t StartRow(const KindSelection& selected) {
    std::int32_t row = 0;
    try {
        row = TextToInteger(selected.startRowText);
    } catch (const RunError&) {
        throw NoStartRow(selected, selected.startRowText);
    }
    // Outside the sheet an importer would find an empty key cell and report a complete sheet it never read.
    if (row < 1 || row > kMaxRows) {
        throw NoStartRow(selected, QString::number(row));
    }
    return row;
}

std::unique_ptr<Workbook> OpenRunWorkbook(const QString& path) {
    if (path.isEmpty()) {
        throw RunError(QStringLiteral("没有选择要导入的 Excel 文件：文件路径为空").toStdString());
    }
    return OpenWorkbook(path.toStdString());
}

// Whether the workbook can take an error area: a ticked kind that may write one into it needs it writable, or
// the run would import everything and then fail to keep its failed vouchers there. Asked before the workbook is
// opened, so that the program's own handle cannot be taken for another program's.
FileWriteAccess ErrorAreaWriteAccess(const ImportRequest& request, const ImportRunContext& context) {
    const bool writesErrorArea = std::any_of(request.selection.begin(), request.selection.end(),
                                             [](const KindSelection& selected) { return selected.kind->errorArea; });
    if (context.Checking() || !writesErrorArea) {
        return FileWriteAccess::Writable;
    }
    return ProbeFileWrite(request.workbookPath.toStdString());
}

// Ends the run before anything is imported when the workbook, which is saved in place, cannot be written.
void RefuseUnwritableWorkbook(FileWriteAccess access) {
    switch (access) {
    case FileWriteAccess::HeldByAnotherProgram:
        throw RunError(QStringLiteral("工作簿正被其他程序（例如 Excel）打开，请关闭后再导入").toStdString());
    case FileWriteAccess::ReadOnly:
        throw RunError(QStringLiteral("工作簿是只读的，无法写入出错区，请取消只读后再导入").toStdString());
    case FileWriteAccess::Writable:
    case FileWriteAccess::Unknown:
        break;
    }
}

void WalkWorksheets(Workbook& workbook, ImportRunContext& context, const ImporterRegistry& importers) {
    const int kindCount = static_cast<int>(context.selectedKinds.size());
    for (int i = 1; i <= workbook.WorksheetCount(); ++i) {
        Worksheet& worksheet = workbook.WorksheetAt(i);
        context.ExcelWorksheet1 = &worksheet;
        context.worksheetName = QString::fromStdString(worksheet.Name());
        context.kindIndex = 0;
        context.runOk = true;
        while (context.kindIndex < kindCount) {
            const QStringView caption = context.Kind().caption;
            const Importer* importer = caption == context.worksheetName ? importers.Find(caption) : nullptr;
            if (importer) {
                context.voucherKey.clear();
                context.row = context.startRows[context.kindIndex];
                SheetDigest& digest = context.sheetDigests[static_cast<std::size_t>(context.kindIndex)];
                if (!digest.Started()) {
                    digest.Start(&worksheet, context.row);
                }
                context.ReportProgress();
                (*importer)(context);
                JournalKindEnd(context);
            }
            if (context.interrupted) {
                return;
            }
            if (!context.runOk && !context.Checking()) {
                break;
            }
            ++context.kindIndex;
        }
        // A check reads every ticked sheet.
        if (!context.runOk && !context.Checking()) {
            break;
        }
    }
}

// Writes what the importers changed; a workbook that cannot be written is reported and the run goes on, since
// the database work stays done. A legacy workbook is copied only for the vouchers in its error areas, not for a
// bare "Error:" marker.
void SaveChangedWorkbook(Workbook& workbook, const ImportRunContext& context, RunObserver& observer) {
    if (!workbook.HasChanges() || (!workbook.SavesInPlace() && !context.errorAreaFilled)) {
        return;
    }
    try {
        const SavedChanges saved = workbook.SaveChanges();
        if (context.journal) {
            context.journal->ForgetSavedSetAsides();
        }
        // Vouchers written beside the workbook, into a copy: tell the user where, and why when it is not the usual.
        if (!saved.path.empty() && saved.path != workbook.Path()) {
            observer.ShowMessage({QString::fromStdString(saved.reason) + QStringLiteral("出错的单据已另存到 ") +
                                  QDir::toNativeSeparators(QString::fromStdString(saved.path))});
        }
    } catch (const RunError& error) {
        observer.ShowMessage({QString::fromUtf8(error.what())});
    }
}

} // namespace

QString CompletedMessage() {
    return QStringLiteral("导入完成！");
}

QString AbortedMessage() {
    return QStringLiteral("中止导入！");
}

QString CheckSummaryMessage(int errors) {
    return errors == 0 ? QStringLiteral("检查完成：没有发现错误") : QStringLiteral("检查完成：%1 处错误").arg(errors);
}

RunOutcome RunImport(Session& session, const ImportRequest& request, RunObserver& observer,
                     const ImporterRegistry& importers) {
    ConnectDatabase(session, observer);
    if (!session.connected) {
        return RunOutcome::NotConnected;
    }
    ErpComponents erp(session.Con);
    ImportRunContext context(session, erp, observer);
    context.mode = request.mode;
    context.runDate = FetchRunDate(erp.QGetValue);
    for (const KindSelection& selected : request.selection) {
        context.selectedKinds.push_back(selected.kind);
        context.startRows.push_back(StartRow(selected));
    }
    context.sheetDigests.resize(context.selectedKinds.size());
    context.landedItems.resize(context.selectedKinds.size());
    context.resumeProbeRows.resize(context.selectedKinds.size());
    // A check keeps nothing, so it has nothing to journal.
    std::optional<RunJournal> journal;
    if (!context.Checking()) {
        const QString workbook = JournalWorkbookName(request.workbookPath);
        const QString erp = JournalErpName(session.settings);
        journal.emplace(JournalPath(session.settingsPath, workbook, erp), workbook, erp, !IsEmbedded(session.settings));
        context.journal = &*journal;
    }
    std::map<QString, JournalEntry> resumeEntries;
    if (journal && request.resume) {
        resumeEntries = journal->Read();
        context.journaledSetAsides = journal->ReadSetAsides();
    }

    const FileWriteAccess access = ErrorAreaWriteAccess(request, context);
    std::unique_ptr<Workbook> workbook = OpenRunWorkbook(request.workbookPath);
    // A legacy workbook is never written: its error areas go into a copy beside it.
    if (workbook->SavesInPlace()) {
        RefuseUnwritableWorkbook(access);
    }
    std::exception_ptr failure;
    {
        // However a check ends, by an error too, the ERP is left as it was.
        std::optional<DryRunScope> dryRun;
        try {
            if (context.Checking()) {
                dryRun.emplace(session.Con);
            }
            if (ResumeFromJournal(context, resumeEntries, *workbook)) {
                WalkWorksheets(*workbook, context, importers);
            }
            if (dryRun) {
                dryRun->Finish();
            }
        } catch (...) {
            failure = std::current_exception();
        }
    }
    context.ExcelWorksheet1 = nullptr;
    if (!context.Checking()) {
        SaveChangedWorkbook(*workbook, context, observer);
    }
    workbook.reset();
    if (failure) {
        std::rethrow_exception(failure);
    }

    if (context.interrupted) {
        observer.ShowMessage(AbortedMessage());
        return RunOutcome::Interrupted;
    }
    if (context.Checking()) {
        observer.ShowMessage(CheckSummaryMessage(context.rowMessages));
        return context.rowMessages == 0 ? RunOutcome::CheckPassed : RunOutcome::CheckFailed;
    }
    observer.ShowMessage(context.runOk ? CompletedMessage() : AbortedMessage());
    if (!context.runOk) {
        return RunOutcome::Aborted;
    }
    return context.rowsLeftOut == 0 ? RunOutcome::Completed : RunOutcome::CompletedLeavingRowsOut;
}

} // namespace hz

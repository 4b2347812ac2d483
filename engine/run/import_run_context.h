#pragma once

#include "engine/journal/run_journal.h"
#include "engine/journal/sheet_digest.h"
#include "engine/run/erp_components.h"
#include "engine/run/import_request.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace hz {

class RunObserver;
class Worksheet;
struct Session;
struct SheetKind;

// The record of one import run, shared by the driver, the importers and the row primitives. Lives for one run.
struct ImportRunContext {
    ImportRunContext(Session& session, ErpComponents& erp, RunObserver& observer)
        : session(session), erp(erp), observer(observer) {}

    Session& session;                     // the connection settings and Con, for a reconnect before a posting
    ErpComponents& erp;                   // Con, QMain, QDetail, QGongYong, QGetValue, ...
    RunObserver& observer;                // messages, start-row boxes, progress
    Worksheet* ExcelWorksheet1 = nullptr; // the worksheet being imported
    QString worksheetName;                // ExcelWorksheet1's name

    RunMode mode = RunMode::Import;
    bool runOk = true;
    int rowMessages = 0; // messages shown at a row during the run: in a check, the errors found
    int rowsLeftOut = 0; // rows and vouchers of an import that the run passed over unsaved or left unposted
    std::vector<const SheetKind*> selectedKinds; // ticked kinds in selection order; the caption is the name
    std::vector<std::int32_t> startRows;         // one per selected kind; importers advance them
    int kindIndex = 0;
    int row = 0;
    QString voucherKey;
    int voucherFirstRow = 0;
    int errorAreaRow = 0;
    bool errorAreaFilled = false; // a failed voucher was copied into an error area during the run
    QDateTime runDate;            // the database server's date and time when the run began
    int detailCount = 0;
    int headerId = 0;
    int lastDetailId = 0;
    // An import's journal (none in a check), the item last written to it before a commit, and a stock voucher of the
    // kind that was saved and left unposted where the sheet stops: a resumed run posts it first.
    RunJournal* journal = nullptr;
    JournalItem journalItem;
    std::optional<JournalItem> unposted;
    // Per selected kind: what the run read of its worksheet, the last item of it that the run saw committed, and
    // the row at which a resumed kind must find its first item not yet in the ERP (0: none to check).
    std::vector<SheetDigest> sheetDigests;
    std::vector<std::optional<JournalItem>> landedItems;
    std::vector<int> resumeProbeRows;
    // A resumed run's vouchers that an earlier run set aside and whose workbook was not saved, by kind caption.
    std::map<QString, std::vector<SetAsideVoucher>> journaledSetAsides;
    bool interrupted = false; // a stop was requested and the importer stopped at a row boundary

    // A check run: nothing is kept, and a row error does not stop the sheet.
    bool Checking() const { return mode == RunMode::Check; }
    // True when a stop was requested: marks the run interrupted, so that the importer leaves its row loop here.
    bool StopsHere();
    // The kind being imported, selectedKinds[kindIndex].
    const SheetKind& Kind() const;
    // Its caption, as the messages name it.
    QString KindName() const;
    // Writes startRows[kindIndex] as decimal text into the kind's start-row box.
    void WriteStartRow();
    // Tells the observer that row of the bound worksheet is being read.
    void ReportProgress();
    // Shows a message that belongs to row of the worksheet being imported (a row error, a failed save).
    void ShowMessageAt(int messageRow, const QString& text);
    // The same at the row being read.
    void ShowRowMessage(const QString& text) { ShowMessageAt(row, text); }
};

} // namespace hz

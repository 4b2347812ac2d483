#pragma once

#include "engine/run/import_request.h"

#include <QString>

namespace hz {

class ImporterRegistry;
class RunObserver;
struct Session;

enum class RunOutcome {
    NotConnected, // no connection could be made: nothing was opened, no further message
    Completed,    // "导入完成！" was shown
    // "导入完成！" was shown, but a row or voucher of the ticked sheets is not in the ERP as read: its save was
    // refused, it was set aside into the error area, or it was saved and not posted (each with its message)
    CompletedLeavingRowsOut,
    Aborted, // a row error stopped the run: "中止导入！" was shown
    // A requested stop ended the run at a row boundary: "中止导入！" was shown (for a check, which keeps nothing,
    // no summary)
    Interrupted,
    CheckPassed, // a check run found no error: "检查完成：没有发现错误" was shown
    CheckFailed, // a check run found errors, each shown with its row: "检查完成：N 处错误" was shown
};

// One import run, as the start button starts it: connects, fetches the run date, converts the start rows, opens
// the workbook, hands each worksheet, in tab order, to the importer of the ticked kind whose caption equals its
// name, and stops after a worksheet that ended with a row error. However the walk ends, the workbook is then
// saved when an importer changed it and released. An import moves the run journal beside the settings file with
// every row and voucher it commits, and a resumed one starts from it. An error that is not a row error (RunError or any
// other exception) ends the run without a final message and is thrown to the caller after that cleanup.
RunOutcome RunImport(Session& session, const ImportRequest& request, RunObserver& observer,
                     const ImporterRegistry& importers);

// "导入完成！"
QString CompletedMessage();
// "中止导入！"
QString AbortedMessage();
// "检查完成：没有发现错误" for no error, else "检查完成：<errors> 处错误".
QString CheckSummaryMessage(int errors);

} // namespace hz

#include "importers/vouchers/error_area.h"

#include "engine/messages/run_error.h"
#include "engine/rows/row_primitives.h"
#include "engine/rows/sheet_row.h"
#include "engine/run/import_run_context.h"
#include "engine/workbook/workbook.h"

#include <QString>

namespace hz {

namespace {

// Beside the copied columns A to X.
constexpr int kSavedUnpostedColumn = Col('Y');

} // namespace

void MarkErrorArea(ImportRunContext& context, int keyColumn) {
    int r = context.row;
    while (r < kMaxRows &&
           (!ReadCell(context, r, keyColumn).isEmpty() || !ReadCell(context, r + 1, keyColumn).isEmpty())) {
        ++r;
    }
    if (r >= kMaxRows) {
        throw RunError(QStringLiteral("工作表 %1 的数据一直排到最后一行，下方没有空行可以写出错区")
                           .arg(context.worksheetName)
                           .toStdString());
    }
    // A check writes nothing into the workbook, but finds what the import would end with.
    if (!context.Checking()) {
        context.ExcelWorksheet1->WriteText(r + 1, keyColumn, "Error:");
    }
    context.errorAreaRow = r + 2;
}

namespace {

// Whether a row of the error areas below the data, above errorAreaRow, has key in keyColumn.
bool InErrorArea(ImportRunContext& context, int keyColumn, const QString& key) {
    int r = context.row;
    while (r < context.errorAreaRow && !ReadCell(context, r, keyColumn).isEmpty()) {
        ++r;
    }
    for (; r < context.errorAreaRow; ++r) {
        if (ReadCell(context, r, keyColumn) == key) {
            return true;
        }
    }
    return false;
}

} // namespace

void CopyJournaledSetAsides(ImportRunContext& context, int keyColumn) {
    const auto found = context.journaledSetAsides.find(context.KindName());
    if (found == context.journaledSetAsides.end()) {
        return;
    }
    const int row = context.row;
    const int voucherFirstRow = context.voucherFirstRow;
    for (const SetAsideVoucher& voucher : found->second) {
        if (!InErrorArea(context, keyColumn, voucher.key)) {
            const int firstCopy = context.errorAreaRow;
            context.voucherFirstRow = voucher.firstRow;
            SetAsideFailedVoucher(context, keyColumn, voucher.key);
            context.row = row;
            if (voucher.savedUnposted) {
                MarkSavedUnposted(context, firstCopy);
            }
        }
        ++context.rowsLeftOut;
        context.journal->KeepSetAside(context.KindName(), voucher);
    }
    context.voucherFirstRow = voucherFirstRow;
}

void MarkSavedUnposted(ImportRunContext& context, int firstRow) {
    if (context.Checking()) {
        return;
    }
    const std::string mark = QStringLiteral("已保存未过账").toStdString();
    for (int row = firstRow; row < context.errorAreaRow; ++row) {
        context.ExcelWorksheet1->WriteText(row, kSavedUnpostedColumn, mark);
    }
}

} // namespace hz

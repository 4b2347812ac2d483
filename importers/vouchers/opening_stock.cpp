// Opening stock balances: one voucher of type "34" per row, a header in RdRecord and one detail in RdRecords.
// Quantity, unit cost and amount are taken as they stand; nothing compares them with each other or with the
// stock already in the ERP.
#include "importers/vouchers/opening_stock.h"

#include "engine/rows/row_primitives.h"
#include "engine/rows/sheet_row.h"
#include "engine/run/import_run_context.h"
#include "engine/run/importer_registry.h"
#include "importers/vouchers/stock_voucher_saving.h"

#include <QString>
#include <QVariant>

#include <utility>
#include <vector>

namespace hz {

namespace {

using Kind = SheetCheck::Kind;

enum Column {
    kWarehouseName = 2,
    kWarehouseCode = 3,
    kItemCode = 4, // an empty one ends the sheet
    kItemName = 5,
    kUnread = 6, // read, not used
    kQuantity = 7,
    kUnitCost = 8,
    kAmount = 9,
    kDate = 10,
    kDepartmentCode = 11,
    kDepartmentName = 12,
};

// After the item code, in this order.
std::vector<CellRead> Reads() {
    return {{kWarehouseName, CellForm::Text}, {kWarehouseCode, CellForm::Text}, {kItemName, CellForm::Text},
            {kUnread, CellForm::Text},        {kQuantity, CellForm::Number},    {kUnitCost, CellForm::Number},
            {kAmount, CellForm::Number},      {kDate, CellForm::Date},          {kDepartmentCode, CellForm::Text},
            {kDepartmentName, CellForm::Text}};
}

// The department is required like the others: an empty code is one that is not maintained.
std::vector<SheetCheck> Checks() {
    return {{Kind::CheckCodeAndName, QStringLiteral("Warehouse"), QStringLiteral("cWhCode"), QStringLiteral("cWhName"),
             kWarehouseCode, kWarehouseName, QStringLiteral("仓库"), true},
            {Kind::CheckCodeAndName, QStringLiteral("Inventory"), QStringLiteral("cInvCode"),
             QStringLiteral("cInvName"), kItemCode, kItemName, QStringLiteral("存货"), true},
            {Kind::CheckCodeAndName, QStringLiteral("Department"), QStringLiteral("cDepCode"),
             QStringLiteral("cDepName"), kDepartmentCode, kDepartmentName, QStringLiteral("部门"), true}};
}

// The ID is a placeholder until the voucher is saved; the verify time is the run's server time.
std::vector<FieldRule> HeaderFields(const ImportRunContext& context) {
    return {field::Derived(QStringLiteral("ID"), [&context](const SheetRow&) { return QVariant(context.headerId); }),
            field::Constant(QStringLiteral("bRdFlag"), 1),
            field::Constant(QStringLiteral("cVouchType"), QStringLiteral("34")),
            field::Constant(QStringLiteral("cBusType"), QStringLiteral("期初结存")),
            field::Constant(QStringLiteral("cSource"), QStringLiteral("库存")),
            field::Cell(QStringLiteral("cWhCode"), kWarehouseCode),
            field::Cell(QStringLiteral("dDate"), kDate),
            field::Cell(QStringLiteral("cDepCode"), kDepartmentCode),
            field::Constant(QStringLiteral("cHandler"), QStringLiteral("demo")),
            field::Constant(QStringLiteral("cMaker"), QStringLiteral("demo")),
            field::Constant(QStringLiteral("iNetLock"), 0),
            field::Constant(QStringLiteral("cDefine7"), 0),
            field::Cell(QStringLiteral("dVeriDate"), kDate),
            field::Constant(QStringLiteral("dnVerifyTime"), context.runDate),
            field::Cell(QStringLiteral("dARVDate"), kDate),
            field::Constant(QStringLiteral("bIsSTQc"), true),
            field::Constant(QStringLiteral("cDefine16"), 0)};
}

// AutoID and ID are given by the save.
std::vector<FieldRule> DetailFields() {
    return {field::Cell(QStringLiteral("cinvcode"), kItemCode),
            field::Cell(QStringLiteral("iNum"), kQuantity),
            field::Cell(QStringLiteral("iQuantity"), kQuantity),
            field::AtDecimals(QStringLiteral("iUnitCost"), kUnitCost, 4),
            field::AtDecimals(QStringLiteral("iPrice"), kAmount, 2),
            field::AtDecimals(QStringLiteral("iAPrice"), kAmount, 2),
            field::Constant(QStringLiteral("iFlag"), 0),
            field::AtDecimals(QStringLiteral("fACost"), kUnitCost, 4)};
}

// The columns and rules of a row, built once per sheet.
struct OpeningStockRow {
    std::vector<CellRead> reads = Reads();
    std::vector<SheetCheck> checks = Checks();
    std::vector<FieldRule> header;
    std::vector<FieldRule> detail = DetailFields();
};

// Checks the row at context.row and saves it as one voucher; false at a row error or a failed save, both reported.
// The box moves past every voucher that reached the database, posted or not, so that a run from the box never saves
// it a second time; a failure before the commit leaves it on the row.
bool ImportOpeningStockRow(ImportRunContext& context, const OpeningStockRow& rules, const QString& itemCode,
                           SheetRow& values) {
    values.Clear();
    values.cells[kItemCode] = itemCode;
    if (!ReadCells(context, rules.reads, values) || !RunChecks(context, rules.checks, values)) {
        return false;
    }
    BatchDataset& QMain = context.erp.QMain;
    BatchDataset& QDetail = context.erp.QDetail;
    QMain.Append();
    SetFields(QMain, rules.header, values);
    QDetail.Append();
    SetFields(QDetail, rules.detail, values);
    context.voucherFirstRow = context.row;
    context.row = ++context.startRows[context.kindIndex];
    ++context.detailCount;
    bool committed = false;
    const bool saved = SaveStockVoucher(context, committed);
    if (committed) {
        context.WriteStartRow();
    }
    return saved;
}

void ImportOpeningStock(ImportRunContext& context) {
    OpenStockVoucherDatasets(context);
    const OpeningStockRow rules{.header = HeaderFields(context)};
    SheetRow values;
    while (!context.StopsHere()) {
        const QString itemCode = ReadCell(context, context.row, kItemCode);
        if (itemCode.isEmpty()) {
            return;
        }
        const int row = context.row;
        if (!ImportOpeningStockRow(context, rules, itemCode, values)) {
            if (!GoesOnAfterRowError(context)) {
                return;
            }
            context.erp.QMain.CancelBatch();
            context.erp.QDetail.CancelBatch();
            context.detailCount = 0;
            context.row = context.startRows[context.kindIndex] = row + 1;
        }
        context.ReportProgress();
    }
}

} // namespace

void AddOpeningStockSheet(ImporterRegistry& registry) {
    registry.Add(u"存货期初", ImportOpeningStock);
}

} // namespace hz

#include "tests/importers/outgoing_voucher_fixture.h"

#include "engine/database/embedded_erp/erp_procedure_set.h"
#include "engine/database/procedures/stored_procedure.h"
#include "engine/run/importer_registry.h"
#include "engine/run/sheet_kinds.h"
#include "engine/text/cell_conversions.h"
#include "engine/workbook/workbook.h"

namespace hz::test {

namespace {

using namespace std::string_literals;

CellInput Text(const std::string& text) {
    return text.empty() ? CellInput() : CellInput(text);
}

// The layout's cells up to column S, then the line's cells from T on.
std::vector<CellInput> WithBeyond(std::vector<CellInput> cells, const std::vector<CellInput>& beyond) {
    cells.resize(19);
    cells.insert(cells.end(), beyond.begin(), beyond.end());
    return cells;
}

std::vector<CellInput> TransferCells(const TransferLine& l) {
    return WithBeyond({l.date,
                       Text(l.key),
                       Text(l.inDepartment),
                       Text(l.inDepartmentCode),
                       Text(l.outDepartment),
                       Text(l.outDepartmentCode),
                       Text(l.inCategory),
                       Text(l.inCategoryCode),
                       Text(l.outCategory),
                       Text(l.outCategoryCode),
                       Text(l.outWarehouse),
                       Text(l.outWarehouseCode),
                       Text(l.inWarehouse),
                       Text(l.inWarehouseCode),
                       Text(l.maker),
                       Text(l.item),
                       Text(l.itemName),
                       {},
                       l.quantity},
                      l.beyond);
}

// Key A; E, G, M, N, Q and R are not read.
std::vector<CellInput> SalesCells(const IssueLine& l) {
    return WithBeyond({Text(l.key), l.date, Text(l.warehouse), Text(l.warehouseCode), "E"s, Text(l.category), "G"s,
                       Text(l.department), Text(l.departmentCode), Text(l.customer), Text(l.customerCode),
                       Text(l.maker), "M"s, "N"s, Text(l.item), Text(l.itemName), "Q"s, "R"s, l.quantity},
                      l.beyond);
}

// Key D, columns A to M; A, F, I and J are not read.
std::vector<CellInput> MaterialCells(const IssueLine& l) {
    return WithBeyond({"A"s, Text(l.warehouse), l.date, Text(l.key), Text(l.department), "F"s, Text(l.item),
                       Text(l.itemName), "I"s, "J"s, l.quantity, l.unitCost, l.amount},
                      l.beyond);
}

// Key F; A, C, I, K, L, O and P are not read.
std::vector<CellInput> OtherIssueCells(const IssueLine& l) {
    return WithBeyond({"A"s, Text(l.business), "C"s, Text(l.warehouse), l.date, Text(l.key), Text(l.category),
                       Text(l.department), "I"s, Text(l.maker), "K"s, "L"s, Text(l.item), Text(l.itemName), "O"s, "P"s,
                       l.quantity, l.unitCost, l.amount},
                      l.beyond);
}

std::string ColumnLetter(int column) {
    return std::string(1, static_cast<char>('A' + column - 1));
}

std::string Describe(const CellValue& cell) {
    const std::string text = CellToText(cell).toStdString();
    switch (cell.kind) {
    case CellKind::Empty:
        return "";
    case CellKind::Number:
        return "number " + text;
    case CellKind::Text:
        return "text '" + text + "'";
    case CellKind::Boolean:
        return "bool " + text;
    case CellKind::Error:
        return "error " + text;
    case CellKind::DateTime:
        return "date " + text;
    case CellKind::Uncalculated:
        return "uncalculated formula";
    }
    return "?";
}

} // namespace

TypedSheet TransferSheet(const std::vector<TransferLine>& lines) {
    TypedSheet sheet{kTransfer, {{"日期"s, "单号"s}}};
    for (const TransferLine& line : lines) {
        sheet.rows.push_back(TransferCells(line));
    }
    return sheet;
}

TypedSheet IssueSheet(const std::string& kind, const std::vector<IssueLine>& lines) {
    auto* cells = kind == kSales ? SalesCells : kind == kMaterial ? MaterialCells : OtherIssueCells;
    TypedSheet sheet{kind, {{"表头"s}}};
    for (const IssueLine& line : lines) {
        sheet.rows.push_back(cells(line));
    }
    return sheet;
}

void OutgoingVoucherFixture::SetUp() {
    ExecuteAll(Con(), {
                          "Insert Into Warehouse (cWhCode, cWhName) Values ('W1', '原料库')",
                          "Insert Into Warehouse (cWhCode, cWhName) Values ('W2', '成品库')",
                          "Insert Into Department (cDepCode, cDepName) Values ('1', '采购部')",
                          "Insert Into Department (cDepCode, cDepName) Values ('2', '销售部')",
                          "Insert Into Customer (cCusCode, cCusName) Values ('C1', '华东公司')",
                          "Insert Into Rd_Style (cRdCode, cRdName, bRdFlag) Values ('21', '调拨入库', 1)",
                          "Insert Into Rd_Style (cRdCode, cRdName, bRdFlag) Values ('22', '调拨出库', 0)",
                          "Insert Into Rd_Style (cRdCode, cRdName, bRdFlag) Values ('31', '销售出库', 0)",
                          "Insert Into Rd_Style (cRdCode, cRdName, bRdFlag) Values ('32', '领料出库', 0)",
                          "Insert Into Inventory (cInvCode, cInvName) Values ('A001', '钢板')",
                          "Insert Into Inventory (cInvCode, cInvName) Values ('A002', '螺钉')",
                          "Insert Into Inventory (cInvCode, cInvName) Values ('A003', '垫圈')",
                          // The latest month decides, whatever the order of the rows.
                          "Insert Into IA_Summary (cWhCode, cInvCode, iMonth, iNum, iMoney) Values ('W1', 'A001', 1, "
                          "10, 25)",
                          "Insert Into IA_Summary (cWhCode, cInvCode, iMonth, iNum, iMoney) Values ('W1', 'A001', 3, "
                          "4, 4.125)",
                          "Insert Into IA_Summary (cWhCode, cInvCode, iMonth, iNum, iMoney) Values ('W1', 'A001', 2, "
                          "1, 9)",
                          "Insert Into IA_Summary (cWhCode, cInvCode, iMonth, iNum, iMoney) Values ('W1', 'A002', 1, "
                          "5, 10)",
                          "Insert Into IA_Summary (cWhCode, cInvCode, iMonth, iNum, iMoney) Values ('W1', 'A002', 2, "
                          "0, 7)",
                          "Insert Into IA_Summary (cWhCode, cInvCode, iMonth, iNum, iMoney) Values ('W2', 'A001', 1, "
                          "2, 0.75)",
                          "Insert Into IA_Summary (cWhCode, cInvCode, iMonth, iNum, iMoney) Values ('W2', 'A002', 2, "
                          "NULL, 3)",
                          "Insert Into CurrentStock (cWhCode, cInvCode, iQuantity) Values ('W1', 'A001', 100)",
                          "Insert Into CurrentStock (cWhCode, cInvCode, iQuantity) Values ('W1', 'A002', 100)",
                      });
    Con().RegisterProcedure(QStringLiteral("sp_GetId"), [this](Connection& connection, StoredProcedure& call) {
        allocations.push_back(call.Value(QStringLiteral("@cVouchType")).toString().toStdString() + " " +
                              std::to_string(call.IntValue(QStringLiteral("@iAmount"))));
        GetIdProcedure(connection, call);
    });
}

double OutgoingVoucherFixture::Stock(const char* warehouse, const char* item) {
    return Scalar(Con(),
                  QStringLiteral("Select coalesce(sum(iQuantity), 0) As Value From CurrentStock Where cWhCode = '%1' "
                                 "And cInvCode = :Value")
                      .arg(QString::fromLatin1(warehouse)),
                  QString::fromLatin1(item))
        .toDouble();
}

Texts SheetRows(const std::string& path, const std::string& sheet, int first, int last) {
    std::unique_ptr<Workbook> workbook = OpenWorkbook(path);
    Worksheet* found = nullptr;
    for (int i = 1; i <= workbook->WorksheetCount(); ++i) {
        if (workbook->WorksheetAt(i).Name() == sheet) {
            found = &workbook->WorksheetAt(i);
        }
    }
    if (!found) {
        ADD_FAILURE() << "no worksheet " << sheet << " in " << path;
        return {};
    }
    Texts rows;
    for (int row = first; row <= last; ++row) {
        std::string cells;
        for (int column = 1; column <= 26; ++column) {
            const std::string cell = Describe(found->Cell(row, column));
            if (!cell.empty()) {
                cells += (cells.empty() ? "" : " ") + ColumnLetter(column) + "=" + cell;
            }
        }
        rows.push_back(cells);
    }
    return rows;
}

} // namespace hz::test

// Warehouses and inventory items. The warehouse sheet holds the name before the code (B, C), and its marks are
// true only for the upper-case text "TRUE"; every cell of both sheets is taken as read.
#include "importers/masterdata/master_sheet.h"
#include "importers/masterdata/masterdata_importers.h"

namespace hz {

namespace {

using Kind = SheetCheck::Kind;

MasterSheet WarehouseSheet() {
    return {QStringLiteral("仓库档案"),
            QStringLiteral("Warehouse"),
            QStringLiteral("cWhCode"),
            3,
            2,
            {{2, CellForm::Text},
             {4, CellForm::Text},
             {5, CellForm::Text},
             {6, CellForm::Text},
             {7, CellForm::Text},
             {8, CellForm::Text},
             {9, CellForm::Text},
             {10, CellForm::Text}},
            {{Kind::CheckCodeAndName, QStringLiteral("Department"), QStringLiteral("cDepCode"),
              QStringLiteral("cDepName"), 5, 4, QStringLiteral("部门名称"), true}},
            {field::Cell(QStringLiteral("cWhCode"), 3), field::Cell(QStringLiteral("cWhName"), 2),
             field::Cell(QStringLiteral("cDepCode"), 5), field::Cell(QStringLiteral("cWhValueStyle"), 6),
             field::TextIs(QStringLiteral("bWhPos"), 7, QStringLiteral("TRUE")),
             field::Cell(QStringLiteral("cBarCode"), 8),
             field::TextIs(QStringLiteral("bMRP"), 9, QStringLiteral("TRUE")),
             field::TextIs(QStringLiteral("bROP"), 10, QStringLiteral("TRUE"))}};
}

// D is both the item's standard (规格) and the name of its class. The main unit is also the sales, stock and
// purchase unit; whether it belongs to the item's group is not checked.
MasterSheet InventorySheet() {
    return {QStringLiteral("存货档案"),
            QStringLiteral("Inventory"),
            QStringLiteral("cInvCode"),
            2,
            3,
            {{3, CellForm::Text},
             {4, CellForm::Text},
             {5, CellForm::Integer},
             {6, CellForm::Date},
             {7, CellForm::Text},
             {8, CellForm::Text},
             {9, CellForm::Text},
             {10, CellForm::Text},
             {11, CellForm::Text},
             {12, CellForm::Text}},
            {{Kind::LookupCodeByName, QStringLiteral("InventoryClass"), QStringLiteral("cInvCCode"),
              QStringLiteral("cInvCName"), 0, 4, QStringLiteral("规格名(存货分类)"), true},
             {Kind::CheckCodeAndName, QStringLiteral("ComputationGroup"), QStringLiteral("cGroupCode"),
              QStringLiteral("cGroupName"), 8, 7, QStringLiteral("计量单位组名称"), true},
             {Kind::CheckCodeAndName, QStringLiteral("ComputationUnit"), QStringLiteral("cComunitCode"),
              QStringLiteral("cComUnitName"), 10, 9, QStringLiteral("主计量单位名称"), true},
             {Kind::ReadField, QStringLiteral("ComputationGroup"), QStringLiteral("cGroupCode"),
              QStringLiteral("iGroupType"), 8, 0, QString(), true}},
            {field::Cell(QStringLiteral("cInvCode"), 2), field::Cell(QStringLiteral("cInvName"), 3),
             field::Cell(QStringLiteral("cInvStd"), 4), field::Found(QStringLiteral("cInvCCode"), 0),
             field::Cell(QStringLiteral("iTaxRate"), 5), field::Found(QStringLiteral("iGroupType"), 3),
             field::Cell(QStringLiteral("dSDate"), 6),
             field::Constant(QStringLiteral("cCreatePerson"), QStringLiteral("demo")),
             field::Constant(QStringLiteral("cModifyPerson"), QStringLiteral("demo")),
             field::Today(QStringLiteral("dModifyDate")), field::Cell(QStringLiteral("cGroupCode"), 8),
             field::Cell(QStringLiteral("cComUnitCode"), 10), field::Cell(QStringLiteral("cSAComUnitCode"), 10),
             field::Cell(QStringLiteral("cSTComUnitCode"), 10), field::Cell(QStringLiteral("cPUComUnitCode"), 10),
             field::TextIs(QStringLiteral("bSale"), 11, QStringLiteral("销售")),
             field::TextIs(QStringLiteral("bPurchase"), 12, QStringLiteral("外购"))}};
}

} // namespace

void AddStockArchiveSheets(ImporterRegistry& registry) {
    AddMasterSheet(registry, WarehouseSheet());
    AddMasterSheet(registry, InventorySheet());
}

} // namespace hz

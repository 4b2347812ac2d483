// Departments, persons, unit groups and units. Code and name cells are taken as read; only the unit sheet's
// group, bar code and main-unit cells and the group sheet's kind are trimmed.
#include "importers/masterdata/master_sheet.h"
#include "importers/masterdata/masterdata_importers.h"

namespace hz {

namespace {

using Kind = SheetCheck::Kind;

// Conversion kinds of a unit group. A text that is none of them is written as no conversion, not refused.
int GroupType(const SheetRow& row) {
    const QString kind = row.Text(3);
    if (kind == QStringLiteral("固定换算")) {
        return 1;
    }
    if (kind == QStringLiteral("浮动换算")) {
        return 2;
    }
    return 0;
}

// Every department is written as a first-grade end department: the importer builds no department tree.
MasterSheet DepartmentSheet() {
    return {QStringLiteral("部门"),
            QStringLiteral("Department"),
            QStringLiteral("cDepCode"),
            2,
            3,
            {{3, CellForm::Text},
             {6, CellForm::Text},
             {7, CellForm::Text},
             {8, CellForm::Text},
             {10, CellForm::Number},
             {11, CellForm::Text},
             {12, CellForm::Integer}},
            {},
            {field::Cell(QStringLiteral("cDepCode"), 2), field::Cell(QStringLiteral("cDepName"), 3),
             field::Constant(QStringLiteral("iDepGrade"), 1), field::Constant(QStringLiteral("bDepEnd"), true),
             field::Cell(QStringLiteral("cDepProp"), 6), field::Cell(QStringLiteral("cDepPhone"), 7),
             field::Cell(QStringLiteral("cDepAddress"), 8), field::Cell(QStringLiteral("iCreLine"), 10),
             field::Cell(QStringLiteral("cCreGrade"), 11), field::Cell(QStringLiteral("iCreDate"), 12)}};
}

MasterSheet PersonSheet() {
    return {QStringLiteral("员工"),
            QStringLiteral("Person"),
            QStringLiteral("cPersonCode"),
            2,
            3,
            {{3, CellForm::Text},
             {4, CellForm::Text},
             {5, CellForm::Text},
             {6, CellForm::Text},
             {7, CellForm::Text},
             {8, CellForm::Number},
             {9, CellForm::Integer},
             {10, CellForm::Text}},
            {{Kind::LookupCodeByName, QStringLiteral("Department"), QStringLiteral("cDepCode"),
              QStringLiteral("cDepName"), 0, 4, QStringLiteral("部门名称"), true}},
            {field::Cell(QStringLiteral("cPersonCode"), 2), field::Cell(QStringLiteral("cPersonName"), 3),
             field::Found(QStringLiteral("cDepCode"), 0), field::Cell(QStringLiteral("cPersonProp"), 5),
             field::Cell(QStringLiteral("cPersonEmail"), 6), field::Cell(QStringLiteral("cPersonPhone"), 7),
             field::Cell(QStringLiteral("fCreditQuantity"), 8), field::Cell(QStringLiteral("iCreDate"), 9),
             field::Cell(QStringLiteral("cCreGrade"), 10)}};
}

MasterSheet UnitGroupSheet() {
    return {QStringLiteral("计量单位组"),
            QStringLiteral("ComputationGroup"),
            QStringLiteral("cGroupCode"),
            1,
            2,
            {{2, CellForm::Text}, {3, CellForm::TrimmedText}},
            {},
            {field::Cell(QStringLiteral("cGroupCode"), 1), field::Cell(QStringLiteral("cGroupName"), 2),
             field::Derived(QStringLiteral("iGroupType"), [](const SheetRow& row) { return GroupType(row); })}};
}

// The unit's code field is spelled cComunitCode, its name field cComUnitName.
MasterSheet UnitSheet() {
    return {QStringLiteral("计量单位"),
            QStringLiteral("ComputationUnit"),
            QStringLiteral("cComunitCode"),
            2,
            3,
            {{3, CellForm::Text},
             {4, CellForm::TrimmedText},
             {5, CellForm::TrimmedText},
             {7, CellForm::TrimmedText},
             {8, CellForm::TrimmedText},
             {9, CellForm::Number}},
            {{Kind::CheckCodeAndName, QStringLiteral("ComputationGroup"), QStringLiteral("cGroupCode"),
              QStringLiteral("cGroupName"), 4, 5, QStringLiteral("单位组编码"), true}},
            {field::Cell(QStringLiteral("cComunitCode"), 2), field::Cell(QStringLiteral("cComUnitName"), 3),
             field::Cell(QStringLiteral("cGroupCode"), 4), field::Cell(QStringLiteral("cBarCode"), 7),
             field::TextIs(QStringLiteral("bMainUnit"), 8, QStringLiteral("True")),
             field::Cell(QStringLiteral("iChangRate"), 9)}};
}

} // namespace

void AddOrganisationSheets(ImporterRegistry& registry) {
    AddMasterSheet(registry, DepartmentSheet());
    AddMasterSheet(registry, PersonSheet());
    AddMasterSheet(registry, UnitGroupSheet());
    AddMasterSheet(registry, UnitSheet());
}

} // namespace hz

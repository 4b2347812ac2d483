// Customer, vendor, inventory and district classes, and receive/issue categories: code in B, name in C.
#include "engine/run/import_run_context.h"
#include "engine/run/importer_registry.h"
#include "engine/text/ansi_text.h"
#include "importers/masterdata/master_sheet.h"
#include "importers/masterdata/masterdata_importers.h"

namespace hz {

namespace {

constexpr int kCode = 2;
constexpr int kName = 3;
constexpr int kReceiveIssueFlag = 4;

// The 2-3-4 scheme: a code of 2 bytes is grade 1, of 5 grade 2, of 9 grade 3. Other lengths are written with
// grade 0, "no grade", rather than refused.
int ClassGrade(const SheetRow& row) {
    switch (AnsiByteLength(row.Text(kCode))) {
    case 2:
        return 1;
    case 5:
        return 2;
    case 9:
        return 3;
    default:
        return 0;
    }
}

// A category code of one byte heads a group; every longer code is a leaf under it.
bool IsCategoryHead(const SheetRow& row) {
    return AnsiByteLength(row.Text(kCode)) == 1;
}

struct ClassFields {
    const char16_t* caption;
    const char16_t* table;
    const char16_t* code;
    const char16_t* name;
    const char16_t* grade;
    const char16_t* end;
};

const ClassFields kClasses[] = {
    {u"客户分类", u"CustomerClass", u"cCCCode", u"cCCName", u"iCCGrade", u"bCCEnd"},
    {u"供应商分类", u"VendorClass", u"cVCCode", u"cVCName", u"iVCGrade", u"bVCEnd"},
    {u"存货分类", u"InventoryClass", u"cInvCCode", u"cInvCName", u"iInvCGrade", u"bInvCEnd"},
    {u"地区分类", u"DistrictClass", u"cDCCode", u"cDCName", u"iDCGrade", u"bDCEnd"},
};

// Every class is written as an end class: the importer builds no class tree.
MasterSheet ClassSheet(const ClassFields& c) {
    return {QString::fromUtf16(c.caption),
            QString::fromUtf16(c.table),
            QString::fromUtf16(c.code),
            kCode,
            kName,
            {{kName, CellForm::Text}},
            {},
            {field::Cell(QString::fromUtf16(c.code), kCode), field::Cell(QString::fromUtf16(c.name), kName),
             field::Derived(QString::fromUtf16(c.grade), [](const SheetRow& row) { return ClassGrade(row); }),
             field::Constant(QString::fromUtf16(c.end), true)}};
}

MasterSheet CategorySheet() {
    return {
        QStringLiteral("收发类别"),
        QStringLiteral("Rd_Style"),
        QStringLiteral("cRdCode"),
        kCode,
        kName,
        {{kName, CellForm::Text}, {kReceiveIssueFlag, CellForm::Integer}},
        {},
        {field::Cell(QStringLiteral("cRdCode"), kCode), field::Cell(QStringLiteral("cRdName"), kName),
         field::Derived(QStringLiteral("iRdGrade"), [](const SheetRow& row) { return IsCategoryHead(row) ? 1 : 2; }),
         field::Cell(QStringLiteral("bRdFlag"), kReceiveIssueFlag),
         field::Derived(QStringLiteral("bRdEnd"), [](const SheetRow& row) { return !IsCategoryHead(row); })}};
}

} // namespace

void AddClassSheets(ImporterRegistry& registry) {
    for (const ClassFields& c : kClasses) {
        AddMasterSheet(registry, ClassSheet(c));
    }
    AddMasterSheet(registry, CategorySheet());
}

} // namespace hz

// Vendors and customers: twins with one layout, the same checks and derived fields, and their own field names.
// Every cell is taken as read; the development date is a text in the short date form.
#include "importers/masterdata/master_sheet.h"
#include "importers/masterdata/masterdata_importers.h"

namespace hz {

namespace {

using Kind = SheetCheck::Kind;

struct PartnerFields {
    const char16_t* caption;
    const char16_t* table;
    const char16_t* prefix; // of every field: cVenCode, cCusCode, ...
    const char16_t* classField;
};

const PartnerFields kPartners[] = {
    {u"供应商档案", u"Vendor", u"Ven", u"cVCCode"},
    {u"客户档案", u"Customer", u"Cus", u"cCCCode"},
};

MasterSheet PartnerSheet(const PartnerFields& p) {
    const QString prefix = QString::fromUtf16(p.prefix);
    const auto name = [&prefix](const char* pattern) { return QString::fromLatin1(pattern).arg(prefix); };
    return {QString::fromUtf16(p.caption),
            QString::fromUtf16(p.table),
            name("c%1Code"),
            2,
            3,
            {{3, CellForm::Text},
             {4, CellForm::Text},
             {5, CellForm::Date},
             {6, CellForm::Text},
             {7, CellForm::Text},
             {8, CellForm::Text},
             {9, CellForm::Text},
             {10, CellForm::Text}},
            {{Kind::LookupCodeByName, QStringLiteral("DistrictClass"), QStringLiteral("cDCCode"),
              QStringLiteral("cDCName"), 0, 4, QStringLiteral("地区"), true},
             {Kind::LookupCodeByName, QStringLiteral("Person"), QStringLiteral("cPersonCode"),
              QStringLiteral("cPersonName"), 0, 8, QString(), false},
             {Kind::LookupCodeByName, QStringLiteral("Department"), QStringLiteral("cDepCode"),
              QStringLiteral("cDepName"), 0, 9, QStringLiteral("分管部门名称"), true}},
            // Every imported partner is its own head office.
            {field::Cell(name("c%1Code"), 2), field::Cell(name("c%1Name"), 3),
             field::Abbreviation(name("c%1AbbName"), 3), field::Cell(QString::fromUtf16(p.classField), 10),
             field::Found(QStringLiteral("cDCCode"), 0), field::Cell(name("d%1DevDate"), 5),
             field::Cell(name("c%1Phone"), 6), field::Cell(name("c%1Person"), 7), field::Found(name("c%1PPerson"), 1),
             field::Found(name("c%1Depart"), 2), field::Cell(name("c%1HeadCode"), 2)}};
}

} // namespace

void AddPartnerSheets(ImporterRegistry& registry) {
    for (const PartnerFields& p : kPartners) {
        AddMasterSheet(registry, PartnerSheet(p));
    }
}

} // namespace hz

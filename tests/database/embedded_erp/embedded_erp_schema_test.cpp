#include "engine/database/query.h"
#include "tests/support/fresh_erp.h"

#include <gtest/gtest.h>

#include <QSet>

namespace hz {
namespace {

using test::Execute;
using test::FreshErp;
using test::Scalar;

struct NamedTable {
    const char* table;
    std::vector<const char*> columns;
};

// Every table and column that the importers, the checks and the voucher saving name.
const std::vector<NamedTable> kNamedTables = {
    {"CustomerClass", {"cCCCode", "cCCName", "iCCGrade", "bCCEnd"}},
    {"VendorClass", {"cVCCode", "cVCName", "iVCGrade", "bVCEnd"}},
    {"InventoryClass", {"cInvCCode", "cInvCName", "iInvCGrade", "bInvCEnd"}},
    {"DistrictClass", {"cDCCode", "cDCName", "iDCGrade", "bDCEnd"}},
    {"Rd_Style", {"cRdCode", "cRdName", "iRdGrade", "bRdFlag", "bRdEnd"}},
    {"Department",
     {"cDepCode", "cDepName", "iDepGrade", "bDepEnd", "cDepProp", "cDepPhone", "cDepAddress", "iCreLine", "cCreGrade",
      "iCreDate"}},
    {"Person",
     {"cPersonCode", "cPersonName", "cDepCode", "cPersonProp", "cPersonEmail", "cPersonPhone", "fCreditQuantity",
      "iCreDate", "cCreGrade"}},
    {"ComputationGroup", {"cGroupCode", "cGroupName", "iGroupType"}},
    {"ComputationUnit", {"cComunitCode", "cComUnitName", "cGroupCode", "cBarCode", "bMainUnit", "iChangRate"}},
    {"Vendor",
     {"cVenCode", "cVenName", "cVenAbbName", "cVCCode", "cDCCode", "dVenDevDate", "cVenPhone", "cVenPerson",
      "cVenPPerson", "cVenDepart", "cVenHeadCode"}},
    {"Customer",
     {"cCusCode", "cCusName", "cCusAbbName", "cCCCode", "cDCCode", "dCusDevDate", "cCusPhone", "cCusPerson",
      "cCusPPerson", "cCusDepart", "cCusHeadCode"}},
    {"Warehouse", {"cWhCode", "cWhName", "cDepCode", "cWhValueStyle", "bWhPos", "cBarCode", "bMRP", "bROP"}},
    {"Inventory",
     {"cInvCode", "cInvName", "cInvStd", "cInvCCode", "iTaxRate", "iGroupType", "dSDate", "cCreatePerson",
      "cModifyPerson", "dModifyDate", "cGroupCode", "cComUnitCode", "cSAComUnitCode", "cSTComUnitCode",
      "cPUComUnitCode", "bSale", "bPurchase"}},
    {"RdRecord",
     {"ID",       "bRdFlag",  "cVouchType", "cBusType",  "cSource",  "cWhCode",      "dDate",   "cCode",    "ccode",
      "cRdCode",  "cDepCode", "cPTCode",    "cVenCode",  "cCusCode", "cProBatch",    "cMemo",   "cHandler", "cMaker",
      "iNetLock", "cDefine7", "cDefine16",  "dVeriDate", "dARVDate", "dnVerifyTime", "bIsSTQc", "VT_ID"}},
    {"RdRecords",
     {"AutoID", "ID", "cinvcode", "cFree1", "cFree10", "iNum", "iQuantity", "iUnitCost", "iPrice", "iAPrice", "iFlag",
      "fACost", "cPosition", "cDefine26", "cDefine27", "cdefine22"}},
    {"TransVouch",
     {"cTVCode", "ID", "cOWhCode", "cIWhCode", "dTVDate", "cORdCode", "cIRdCode", "cODepCode", "cIDepCode", "cMaker",
      "iNetLock", "cDefine7", "VT_ID", "cDefine16"}},
    {"TransVouchs",
     {"cTVCode", "AutoID", "ID", "cinvcode", "iTVNum", "iTVQuantity", "iTVACost", "iTVAPrice", "fSaleCost",
      "fSalePrice", "cDefine26", "cDefine27"}},
    {"SCM_Item",
     {"cInvCode", "cfree1", "cfree2", "cfree3", "cfree4", "cfree5", "cfree6", "cfree7", "cfree8", "cfree9", "cfree10"}},
    {"PurchaseType", {"cPTcode", "cPTName"}},
    {"VouchType", {"cVouchType", "cVouchName"}},
    {"IA_Summary", {"cWhCode", "cInvCode", "iMonth", "iNum", "iMoney"}},
    {"SCM_EntryLedgerBuffer",
     {"transactionid", "cWhCode", "cInvCode", "cfree1", "cfree2", "cfree3", "cfree4", "cfree5", "cfree6", "cfree7",
      "cfree8", "cfree9", "cfree10", "iQuantity"}},
    {"CurrentStock",
     {"cWhCode", "cInvCode", "cFree1", "cFree2", "cFree3", "cFree4", "cFree5", "cFree6", "cFree7", "cFree8", "cFree9",
      "cFree10", "iQuantity"}},
};

QSet<QString> ColumnsOf(Connection& connection, const QString& table) {
    Query query(connection);
    query.SetText(QStringLiteral("PRAGMA table_info(%1)").arg(table));
    query.Exec();
    QSet<QString> names;
    while (query.Next())
        names.insert(query.Text(QStringLiteral("name")).toLower());
    return names;
}

TEST(EmbeddedErpSchema, HoldsEveryNamedTableAndColumn) {
    FreshErp erp;
    auto connection = erp.Connect();
    for (const NamedTable& named : kNamedTables) {
        QSet<QString> columns = ColumnsOf(*connection, QString::fromLatin1(named.table));
        ASSERT_FALSE(columns.isEmpty()) << "missing table " << named.table;
        for (const char* column : named.columns)
            EXPECT_TRUE(columns.contains(QString::fromLatin1(column).toLower())) << named.table << "." << column;
    }
}

// The batch update sends only the fields an importer sets: a row with nothing but its key must be accepted.
TEST(EmbeddedErpSchema, RowWithOnlyItsKeyTakesTheDefaults) {
    FreshErp erp;
    auto connection = erp.Connect();
    const std::vector<std::pair<const char*, const char*>> keyOnlyInserts = {
        {"CustomerClass", "(cCCCode) VALUES ('01')"},
        {"VendorClass", "(cVCCode) VALUES ('01')"},
        {"InventoryClass", "(cInvCCode) VALUES ('01')"},
        {"DistrictClass", "(cDCCode) VALUES ('01')"},
        {"Rd_Style", "(cRdCode) VALUES ('1')"},
        {"Department", "(cDepCode) VALUES ('01')"},
        {"Person", "(cPersonCode) VALUES ('01')"},
        {"ComputationGroup", "(cGroupCode) VALUES ('01')"},
        {"ComputationUnit", "(cComunitCode) VALUES ('01')"},
        {"Vendor", "(cVenCode) VALUES ('01')"},
        {"Customer", "(cCusCode) VALUES ('01')"},
        {"Warehouse", "(cWhCode) VALUES ('01')"},
        {"Inventory", "(cInvCode) VALUES ('01')"},
        {"RdRecord", "(ID) VALUES (1)"},
        {"RdRecords", "(AutoID, ID) VALUES (1, 1)"},
        {"TransVouch", "(ID, cTVCode) VALUES (1, 'T1')"},
        {"TransVouchs", "(AutoID, ID) VALUES (1, 1)"},
        {"SCM_Item", "(cInvCode) VALUES ('01')"},
    };
    for (const auto& [table, values] : keyOnlyInserts)
        EXPECT_NO_THROW(Execute(*connection, QStringLiteral("INSERT INTO %1 %2").arg(table, values))) << table;
    EXPECT_EQ(Scalar(*connection, QStringLiteral("SELECT bWhPos + bMRP + bROP AS Value FROM Warehouse")).toInt(), 0);
    EXPECT_EQ(Scalar(*connection, QStringLiteral("SELECT cFree7 AS Value FROM RdRecords")).toString(), QString(""));
}

struct IndexedLookup {
    const char* table;
    const char* column;
};

// The columns that the checks search ("Where code = :Value", "where name = :Value"): each search must use an
// index, which only happens when the index compares as the column does.
const std::vector<IndexedLookup> kSearchedColumns = {
    {"CustomerClass", "cCCCode"},
    {"VendorClass", "cVCCode"},
    {"InventoryClass", "cInvCCode"},
    {"InventoryClass", "cInvCName"},
    {"DistrictClass", "cDCCode"},
    {"DistrictClass", "cDCName"},
    {"Rd_Style", "cRdCode"},
    {"Rd_Style", "cRdname"},
    {"Department", "cDepCode"},
    {"Department", "cDepName"},
    {"Person", "cPersonCode"},
    {"Person", "cPersonName"},
    {"ComputationGroup", "cGroupCode"},
    {"ComputationUnit", "cComunitCode"},
    {"Vendor", "cVenCode"},
    {"Customer", "cCusCode"},
    {"Warehouse", "cWhCode"},
    {"Warehouse", "cWhName"},
    {"Inventory", "cInvCode"},
    {"PurchaseType", "cPTName"},
    {"VouchType", "cVouchName"},
    {"RdRecord", "ccode"},
    {"TransVouch", "cTVCode"},
    {"IA_Summary", "cWhCode"},
};

TEST(EmbeddedErpSchema, SearchedColumnsAreIndexed) {
    FreshErp erp;
    auto connection = erp.Connect();
    for (const IndexedLookup& lookup : kSearchedColumns) {
        Query plan(*connection);
        plan.SetText(
            QStringLiteral("EXPLAIN QUERY PLAN SELECT 1 FROM %1 WHERE %2 = :Value").arg(lookup.table, lookup.column));
        plan.Bind(QStringLiteral("Value"), QStringLiteral("01"));
        plan.Exec();
        ASSERT_TRUE(plan.First());
        EXPECT_TRUE(plan.Text(QStringLiteral("detail")).startsWith(QLatin1String("SEARCH")))
            << lookup.table << "." << lookup.column << ": " << plan.Text(QStringLiteral("detail")).toStdString();
    }
}

TEST(EmbeddedErpSchema, ReferenceRowsAnswerTheImportersLookups) {
    FreshErp erp;
    auto connection = erp.Connect();
    const std::vector<std::pair<const char*, const char*>> voucherTypes = {
        {"采购入库单", "01"}, {"产成品入库单", "10"}, {"其他入库单", "08"}, {"销售出库单", "32"},
        {"材料出库单", "11"}, {"其他出库单", "09"},   {"调拨单", "12"},
    };
    for (const auto& [name, code] : voucherTypes)
        EXPECT_EQ(Scalar(*connection,
                         QStringLiteral("SELECT cVouchType AS Value FROM VouchType WHERE cVouchName = :Value"),
                         QString::fromUtf8(name))
                      .toString(),
                  QString::fromLatin1(code))
            << name;
    EXPECT_EQ(Scalar(*connection, QStringLiteral("SELECT cVouchName AS Value FROM VouchType WHERE cVouchType = '34'"))
                  .toString()
                  .isEmpty(),
              false);
    EXPECT_EQ(Scalar(*connection, QStringLiteral("SELECT cPTCode AS Value FROM PurchaseType WHERE cPTName = :Value"),
                     QStringLiteral("普通采购"))
                  .toString(),
              QStringLiteral("01"));
}

} // namespace
} // namespace hz

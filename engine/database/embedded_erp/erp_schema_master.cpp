#include "engine/database/embedded_erp/erp_schema.h"

namespace hz {

// Codes are NOT NULL and unique; names carry an index because the lookups search by name. Every text column
// compares as the ERP's collation does (HZ_CI_RTRIM), so do the unique keys. The code's key holds the row, as a
// clustered primary key does: a new row writes two trees, not three.
const char* const kErpMasterDataSchema = R"sql(
CREATE TABLE CustomerClass (
    cCCCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cCCName TEXT COLLATE HZ_CI_RTRIM,
    iCCGrade INTEGER,
    bCCEnd BOOLEAN NOT NULL DEFAULT 0,
    CONSTRAINT PK_CustomerClass PRIMARY KEY (cCCCode)
) WITHOUT ROWID;
CREATE INDEX IX_CustomerClass_Name ON CustomerClass (cCCName);

CREATE TABLE VendorClass (
    cVCCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cVCName TEXT COLLATE HZ_CI_RTRIM,
    iVCGrade INTEGER,
    bVCEnd BOOLEAN NOT NULL DEFAULT 0,
    CONSTRAINT PK_VendorClass PRIMARY KEY (cVCCode)
) WITHOUT ROWID;
CREATE INDEX IX_VendorClass_Name ON VendorClass (cVCName);

CREATE TABLE InventoryClass (
    cInvCCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cInvCName TEXT COLLATE HZ_CI_RTRIM,
    iInvCGrade INTEGER,
    bInvCEnd BOOLEAN NOT NULL DEFAULT 0,
    CONSTRAINT PK_InventoryClass PRIMARY KEY (cInvCCode)
) WITHOUT ROWID;
CREATE INDEX IX_InventoryClass_Name ON InventoryClass (cInvCName);

CREATE TABLE DistrictClass (
    cDCCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cDCName TEXT COLLATE HZ_CI_RTRIM,
    iDCGrade INTEGER,
    bDCEnd BOOLEAN NOT NULL DEFAULT 0,
    CONSTRAINT PK_DistrictClass PRIMARY KEY (cDCCode)
) WITHOUT ROWID;
CREATE INDEX IX_DistrictClass_Name ON DistrictClass (cDCName);

CREATE TABLE Rd_Style (
    cRdCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cRdName TEXT COLLATE HZ_CI_RTRIM,
    iRdGrade INTEGER,
    bRdFlag INTEGER,
    bRdEnd BOOLEAN NOT NULL DEFAULT 0,
    CONSTRAINT PK_Rd_Style PRIMARY KEY (cRdCode)
) WITHOUT ROWID;
CREATE INDEX IX_Rd_Style_Name ON Rd_Style (cRdName);

CREATE TABLE Department (
    cDepCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cDepName TEXT COLLATE HZ_CI_RTRIM,
    iDepGrade INTEGER,
    bDepEnd BOOLEAN NOT NULL DEFAULT 0,
    cDepProp TEXT COLLATE HZ_CI_RTRIM,
    cDepPhone TEXT COLLATE HZ_CI_RTRIM,
    cDepAddress TEXT COLLATE HZ_CI_RTRIM,
    iCreLine REAL,
    cCreGrade TEXT COLLATE HZ_CI_RTRIM,
    iCreDate INTEGER,
    CONSTRAINT PK_Department PRIMARY KEY (cDepCode)
) WITHOUT ROWID;
CREATE INDEX IX_Department_Name ON Department (cDepName);

CREATE TABLE Person (
    cPersonCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cPersonName TEXT COLLATE HZ_CI_RTRIM,
    cDepCode TEXT COLLATE HZ_CI_RTRIM,
    cPersonProp TEXT COLLATE HZ_CI_RTRIM,
    cPersonEmail TEXT COLLATE HZ_CI_RTRIM,
    cPersonPhone TEXT COLLATE HZ_CI_RTRIM,
    fCreditQuantity REAL,
    iCreDate INTEGER,
    cCreGrade TEXT COLLATE HZ_CI_RTRIM,
    CONSTRAINT PK_Person PRIMARY KEY (cPersonCode)
) WITHOUT ROWID;
CREATE INDEX IX_Person_Name ON Person (cPersonName);

CREATE TABLE ComputationGroup (
    cGroupCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cGroupName TEXT COLLATE HZ_CI_RTRIM,
    iGroupType INTEGER NOT NULL DEFAULT 0,
    CONSTRAINT PK_ComputationGroup PRIMARY KEY (cGroupCode)
) WITHOUT ROWID;
CREATE INDEX IX_ComputationGroup_Name ON ComputationGroup (cGroupName);

CREATE TABLE ComputationUnit (
    cComunitCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cComUnitName TEXT COLLATE HZ_CI_RTRIM,
    cGroupCode TEXT COLLATE HZ_CI_RTRIM,
    cBarCode TEXT COLLATE HZ_CI_RTRIM,
    bMainUnit BOOLEAN NOT NULL DEFAULT 0,
    iChangRate REAL,
    CONSTRAINT PK_ComputationUnit PRIMARY KEY (cComunitCode)
) WITHOUT ROWID;
CREATE INDEX IX_ComputationUnit_Name ON ComputationUnit (cComUnitName);

CREATE TABLE Vendor (
    cVenCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cVenName TEXT COLLATE HZ_CI_RTRIM,
    cVenAbbName TEXT COLLATE HZ_CI_RTRIM,
    cVCCode TEXT COLLATE HZ_CI_RTRIM,
    cDCCode TEXT COLLATE HZ_CI_RTRIM,
    dVenDevDate DATETIME,
    cVenPhone TEXT COLLATE HZ_CI_RTRIM,
    cVenPerson TEXT COLLATE HZ_CI_RTRIM,
    cVenPPerson TEXT COLLATE HZ_CI_RTRIM,
    cVenDepart TEXT COLLATE HZ_CI_RTRIM,
    cVenHeadCode TEXT COLLATE HZ_CI_RTRIM,
    CONSTRAINT PK_Vendor PRIMARY KEY (cVenCode)
) WITHOUT ROWID;
CREATE INDEX IX_Vendor_Name ON Vendor (cVenName);

CREATE TABLE Customer (
    cCusCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cCusName TEXT COLLATE HZ_CI_RTRIM,
    cCusAbbName TEXT COLLATE HZ_CI_RTRIM,
    cCCCode TEXT COLLATE HZ_CI_RTRIM,
    cDCCode TEXT COLLATE HZ_CI_RTRIM,
    dCusDevDate DATETIME,
    cCusPhone TEXT COLLATE HZ_CI_RTRIM,
    cCusPerson TEXT COLLATE HZ_CI_RTRIM,
    cCusPPerson TEXT COLLATE HZ_CI_RTRIM,
    cCusDepart TEXT COLLATE HZ_CI_RTRIM,
    cCusHeadCode TEXT COLLATE HZ_CI_RTRIM,
    CONSTRAINT PK_Customer PRIMARY KEY (cCusCode)
) WITHOUT ROWID;
CREATE INDEX IX_Customer_Name ON Customer (cCusName);

CREATE TABLE Warehouse (
    cWhCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cWhName TEXT COLLATE HZ_CI_RTRIM,
    cDepCode TEXT COLLATE HZ_CI_RTRIM,
    cWhValueStyle TEXT COLLATE HZ_CI_RTRIM,
    bWhPos BOOLEAN NOT NULL DEFAULT 0,
    cBarCode TEXT COLLATE HZ_CI_RTRIM,
    bMRP BOOLEAN NOT NULL DEFAULT 0,
    bROP BOOLEAN NOT NULL DEFAULT 0,
    CONSTRAINT PK_Warehouse PRIMARY KEY (cWhCode)
) WITHOUT ROWID;
CREATE INDEX IX_Warehouse_Name ON Warehouse (cWhName);

CREATE TABLE Inventory (
    cInvCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cInvName TEXT COLLATE HZ_CI_RTRIM,
    cInvStd TEXT COLLATE HZ_CI_RTRIM,
    cInvCCode TEXT COLLATE HZ_CI_RTRIM,
    iTaxRate INTEGER,
    iGroupType INTEGER NOT NULL DEFAULT 0,
    dSDate DATETIME,
    cCreatePerson TEXT COLLATE HZ_CI_RTRIM,
    cModifyPerson TEXT COLLATE HZ_CI_RTRIM,
    dModifyDate DATETIME,
    cGroupCode TEXT COLLATE HZ_CI_RTRIM,
    cComUnitCode TEXT COLLATE HZ_CI_RTRIM,
    cSAComUnitCode TEXT COLLATE HZ_CI_RTRIM,
    cSTComUnitCode TEXT COLLATE HZ_CI_RTRIM,
    cPUComUnitCode TEXT COLLATE HZ_CI_RTRIM,
    bSale BOOLEAN NOT NULL DEFAULT 0,
    bPurchase BOOLEAN NOT NULL DEFAULT 0,
    CONSTRAINT PK_Inventory PRIMARY KEY (cInvCode)
) WITHOUT ROWID;
CREATE INDEX IX_Inventory_Name ON Inventory (cInvName);

CREATE TABLE PurchaseType (
    cPTCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cPTName TEXT COLLATE HZ_CI_RTRIM,
    CONSTRAINT PK_PurchaseType PRIMARY KEY (cPTCode)
) WITHOUT ROWID;
CREATE INDEX IX_PurchaseType_Name ON PurchaseType (cPTName);

CREATE TABLE VouchType (
    cVouchType TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cVouchName TEXT COLLATE HZ_CI_RTRIM,
    CONSTRAINT PK_VouchType PRIMARY KEY (cVouchType)
) WITHOUT ROWID;
CREATE INDEX IX_VouchType_Name ON VouchType (cVouchName);
)sql";

} // namespace hz

#include "engine/database/embedded_erp/erp_schema.h"

namespace hz {

// The free item attributes cFree1 to cFree10 of a stock key. They are never NULL, so that the ledger's
// matching on them (a = b) holds for the empty ones too.
#define HZ_FREE_COLUMNS                                                                                                \
    "    cFree1 TEXT NOT NULL DEFAULT '' COLLATE HZ_CI_RTRIM, cFree2 TEXT NOT NULL DEFAULT '' COLLATE HZ_CI_RTRIM,\n"  \
    "    cFree3 TEXT NOT NULL DEFAULT '' COLLATE HZ_CI_RTRIM, cFree4 TEXT NOT NULL DEFAULT '' COLLATE HZ_CI_RTRIM,\n"  \
    "    cFree5 TEXT NOT NULL DEFAULT '' COLLATE HZ_CI_RTRIM, cFree6 TEXT NOT NULL DEFAULT '' COLLATE HZ_CI_RTRIM,\n"  \
    "    cFree7 TEXT NOT NULL DEFAULT '' COLLATE HZ_CI_RTRIM, cFree8 TEXT NOT NULL DEFAULT '' COLLATE HZ_CI_RTRIM,\n"  \
    "    cFree9 TEXT NOT NULL DEFAULT '' COLLATE HZ_CI_RTRIM, cFree10 TEXT NOT NULL DEFAULT '' COLLATE HZ_CI_RTRIM,\n"

// Ids are given by sp_GetId, never by the database.
const char* const kErpVoucherSchema = R"sql(
CREATE TABLE RdRecord (
    ID INTEGER NOT NULL PRIMARY KEY,
    bRdFlag INTEGER,
    cVouchType TEXT COLLATE HZ_CI_RTRIM,
    cBusType TEXT COLLATE HZ_CI_RTRIM,
    cSource TEXT COLLATE HZ_CI_RTRIM,
    cWhCode TEXT COLLATE HZ_CI_RTRIM,
    dDate DATETIME,
    cCode TEXT COLLATE HZ_CI_RTRIM,
    cRdCode TEXT COLLATE HZ_CI_RTRIM,
    cDepCode TEXT COLLATE HZ_CI_RTRIM,
    cPTCode TEXT COLLATE HZ_CI_RTRIM,
    cVenCode TEXT COLLATE HZ_CI_RTRIM,
    cCusCode TEXT COLLATE HZ_CI_RTRIM,
    cProBatch TEXT COLLATE HZ_CI_RTRIM,
    cMemo TEXT COLLATE HZ_CI_RTRIM,
    cHandler TEXT COLLATE HZ_CI_RTRIM,
    cMaker TEXT COLLATE HZ_CI_RTRIM,
    iNetLock INTEGER DEFAULT 0,
    cDefine7 REAL,
    cDefine16 REAL,
    dVeriDate DATETIME,
    dARVDate DATETIME,
    dnVerifyTime DATETIME,
    bIsSTQc BOOLEAN NOT NULL DEFAULT 0,
    VT_ID INTEGER,
    -- Code first, so that the one index also finds a code of any type.
    CONSTRAINT UQ_RdRecord_Code UNIQUE (cCode, cVouchType)
);

CREATE TABLE RdRecords (
    AutoID INTEGER NOT NULL PRIMARY KEY,
    ID INTEGER NOT NULL,
    cInvCode TEXT COLLATE HZ_CI_RTRIM,
)sql" HZ_FREE_COLUMNS R"sql(
    iNum REAL,
    iQuantity REAL,
    iUnitCost REAL,
    iPrice REAL,
    iAPrice REAL,
    fACost REAL,
    iFlag INTEGER DEFAULT 0,
    cPosition TEXT COLLATE HZ_CI_RTRIM,
    cDefine22 TEXT COLLATE HZ_CI_RTRIM,
    cDefine26 REAL,
    cDefine27 REAL
);
CREATE INDEX IX_RdRecords_ID ON RdRecords (ID);

CREATE TABLE TransVouch (
    ID INTEGER NOT NULL PRIMARY KEY,
    cTVCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    dTVDate DATETIME,
    cOWhCode TEXT COLLATE HZ_CI_RTRIM,
    cIWhCode TEXT COLLATE HZ_CI_RTRIM,
    cORdCode TEXT COLLATE HZ_CI_RTRIM,
    cIRdCode TEXT COLLATE HZ_CI_RTRIM,
    cODepCode TEXT COLLATE HZ_CI_RTRIM,
    cIDepCode TEXT COLLATE HZ_CI_RTRIM,
    cMaker TEXT COLLATE HZ_CI_RTRIM,
    iNetLock INTEGER DEFAULT 0,
    cDefine7 REAL,
    cDefine16 REAL,
    VT_ID INTEGER,
    CONSTRAINT UQ_TransVouch_Code UNIQUE (cTVCode)
);

CREATE TABLE TransVouchs (
    AutoID INTEGER NOT NULL PRIMARY KEY,
    ID INTEGER NOT NULL,
    cTVCode TEXT COLLATE HZ_CI_RTRIM,
    cInvCode TEXT COLLATE HZ_CI_RTRIM,
    iTVNum REAL,
    iTVQuantity REAL,
    iTVACost REAL,
    iTVAPrice REAL,
    fSaleCost REAL,
    fSalePrice REAL,
    cDefine26 REAL,
    cDefine27 REAL
);
CREATE INDEX IX_TransVouchs_ID ON TransVouchs (ID);

CREATE TABLE IA_Summary (
    cWhCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cInvCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    iMonth INTEGER NOT NULL,
    iNum REAL,
    iMoney REAL,
    CONSTRAINT UQ_IA_Summary UNIQUE (cWhCode, cInvCode, iMonth)
);

CREATE TABLE SCM_Item (
    Id INTEGER PRIMARY KEY,
    cInvCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
)sql" HZ_FREE_COLUMNS R"sql(
    CONSTRAINT UQ_SCM_Item UNIQUE (cInvCode, cFree1, cFree2, cFree3, cFree4, cFree5, cFree6, cFree7, cFree8, cFree9, cFree10)
);

CREATE TABLE SCM_EntryLedgerBuffer (
    transactionid TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cWhCode TEXT NOT NULL DEFAULT '' COLLATE HZ_CI_RTRIM,
    cInvCode TEXT NOT NULL DEFAULT '' COLLATE HZ_CI_RTRIM,
)sql" HZ_FREE_COLUMNS R"sql(
    iQuantity REAL NOT NULL DEFAULT 0
); -- no index: a posting empties its rows in its own transaction, so the table is read while it holds a few rows

CREATE TABLE CurrentStock (
    cWhCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cInvCode TEXT NOT NULL COLLATE HZ_CI_RTRIM,
)sql" HZ_FREE_COLUMNS R"sql(
    iQuantity REAL NOT NULL DEFAULT 0,
    CONSTRAINT PK_CurrentStock PRIMARY KEY (cWhCode, cInvCode, cFree1, cFree2, cFree3, cFree4, cFree5, cFree6, cFree7, cFree8, cFree9, cFree10)
) WITHOUT ROWID;

CREATE TABLE hz_IdCounter (
    cAcc_Id TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    cVouchType TEXT NOT NULL COLLATE HZ_CI_RTRIM,
    iFatherId INTEGER NOT NULL DEFAULT 0,
    iChildId INTEGER NOT NULL DEFAULT 0,
    CONSTRAINT PK_hz_IdCounter PRIMARY KEY (cAcc_Id, cVouchType)
) WITHOUT ROWID;

CREATE TABLE hz_SpidCounter (
    Id INTEGER PRIMARY KEY CHECK (Id = 1),
    iLastSpid INTEGER NOT NULL
);
)sql";

} // namespace hz

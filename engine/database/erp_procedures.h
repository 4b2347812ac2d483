#pragma once

#include "engine/database/stored_procedure.h"

#include <QString>

namespace hz {

// The ERP's procedures with their parameter lists and fixed values. After Execute, read the outputs by name.

// sp_GetId: @RemoteId "00", @cAcc_Id account, @cVouchType idType ("rd" or "tr"), @iAmount amount;
// @iFatherId (the header id) and @iChildId (the highest of amount new detail ids) come back.
StoredProcedure MakeGetIdCall(const QString& account, const QString& idType, int amount);
// ST_SaveForStock for a saved voucher: @sVouchtype, @sID, @bUpdateStockWhenVeriy 0, @BeforeSave 0, @bShowQty 1.
StoredProcedure MakeSaveForStockCall(const QString& vouchType, const QString& voucherId);
// ST_VerForStock (opening stock): @sVouchtype, @sID, @bUpdateStockWhenVeriy 0, @bVerify 1, @bShowQty 1.
StoredProcedure MakeVerForStockCall(const QString& vouchType, const QString& voucherId);
// Usp_SCM_CommitGeneralLedgerWithCheck with @cSubId "ST", its fixed switches and an empty @transactionid.
StoredProcedure MakeCommitGeneralLedgerCall();

} // namespace hz

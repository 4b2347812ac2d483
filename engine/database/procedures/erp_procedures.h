#pragma once

#include "engine/database/procedures/stored_procedure.h"

#include <QString>

namespace hz {

// The ERP's procedures with their parameter lists and fixed values. After Execute, read the outputs by name.

// sp_GetId (CGetId) before its first call: @RemoteId "00", @iFatherId and @iChildId NULL. @iFatherId (the header
// id) and @iChildId (the highest of @iAmount new detail ids) are input and output: each call sends what the
// previous call of the same object returned.
StoredProcedure MakeGetIdCall();
// Gives CGetId one allocation's inputs: @cAcc_Id account, @cVouchType idType ("rd" or "tr"), @iAmount amount.
void SetGetIdInputs(StoredProcedure& CGetId, const QString& account, const QString& idType, int amount);
// ST_SaveForStock for a saved voucher: @sVouchtype, @sID, @bUpdateStockWhenVeriy 0, @BeforeSave 0, @bShowQty 1.
StoredProcedure MakeSaveForStockCall(const QString& vouchType, const QString& voucherId);
// ST_VerForStock (opening stock): @sVouchtype, @sID, @bUpdateStockWhenVeriy 0, @bVerify 1, @bShowQty 1.
StoredProcedure MakeVerForStockCall(const QString& vouchType, const QString& voucherId);
// Usp_SCM_CommitGeneralLedgerWithCheck with @cSubId "ST", its fixed switches and an empty @transactionid.
StoredProcedure MakeCommitGeneralLedgerCall();

} // namespace hz

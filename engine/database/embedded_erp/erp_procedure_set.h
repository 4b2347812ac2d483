#pragma once

#include <QString>

namespace hz {

class Connection;
class StoredProcedure;

// The embedded ERP's stand-ins for the ERP's stored procedures. Each runs on the caller's connection, inside
// the caller's transaction, and throws DatabaseError to refuse.

// sp_GetId: a new header id in @iFatherId and the highest of @iAmount consecutive new detail ids in @iChildId.
void GetIdProcedure(Connection& connection, StoredProcedure& call);
// ST_SaveForStock and ST_VerForStock: the voucher's stock movements into SCM_EntryLedgerBuffer.
void SaveForStockProcedure(Connection& connection, StoredProcedure& call);
// Usp_SCM_CommitGeneralLedgerWithCheck: the connection's ledger rows into CurrentStock.
void CommitGeneralLedgerProcedure(Connection& connection, StoredProcedure& call);

// "spid_" followed by the connection's spid: the ledger transaction id of the connection's postings.
QString LedgerTransactionId(const Connection& connection);

} // namespace hz

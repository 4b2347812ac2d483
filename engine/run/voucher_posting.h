#pragma once

#include <QString>

namespace hz {

class Query;
struct ImportRunContext;

// Whether vouchType is opening stock's ("34"), which is numbered and posted as no other voucher is.
bool IsOpeningStockType(const QString& vouchType);

// Posts one saved voucher to current stock under the ledger transaction id, in a transaction of its own; any
// error reaches the caller, the transaction still open.
void PostVoucherToStock(ImportRunContext& context, const QString& vouchType, const QString& voucherId,
                        const QString& ledgerId);

// Posts the saved stock voucher voucherId under the connection's ledger transaction id ("spid_" and the server
// process id), as SaveStockVoucher does after its save; any error reaches the caller, the transaction still open.
void PostStockVoucher(ImportRunContext& context, const QString& vouchType, const QString& voucherId);

// The stock of a saved stock voucher's warehouses and items, summed, as text ("" when the query returns nothing):
// read inside a posting before and after it, and again on resume to tell whether the posting landed.
QString VoucherStock(Query& query, const QString& voucherId);

} // namespace hz

#pragma once

namespace hz {

// The embedded ERP's tables, as SQLite scripts: the archives and reference tables, then the vouchers, the
// stock ledger and the embedded ERP's own counters.
extern const char* const kErpMasterDataSchema;
extern const char* const kErpVoucherSchema;
// The rows the ERP ships with: voucher types, purchase types, and the spid counter.
extern const char* const kErpReferenceRows;

// Marks a file as an embedded ERP ("HZER" in PRAGMA application_id) and the version of its schema.
constexpr int kEmbeddedErpApplicationId = 0x485A4552;
constexpr int kEmbeddedErpSchemaVersion = 1;

} // namespace hz

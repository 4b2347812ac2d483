#pragma once

// The collation of the embedded ERP's text columns, named HZ_CI_RTRIM: texts compare as the ERP's usual
// SQL Server collation compares codes and names, without regard to the case of the ASCII letters A to Z and
// to trailing blanks (U+0020). Other characters compare by their UTF-8 bytes, that is by code point: Chinese
// has no letter case, and the ERP's codes are ASCII in practice.
//
// The same source builds the loadable SQLite extension libhz_erp_collation.so (entry point
// sqlite3_hzerpcollation_init), which a connection that is not ours (the ODBC driver, the sqlite3 shell)
// loads before it touches the file's tables.

#ifdef __cplusplus
extern "C" {
#endif

struct sqlite3;

#define HZ_ERP_COLLATION "HZ_CI_RTRIM"

// Registers the collation on a connection; returns SQLite's result code.
int HzRegisterErpCollation(struct sqlite3* db);

// The comparison itself: negative, zero or positive, as SQLite's collations answer.
int HzCompareErpText(int lengthA, const void* a, int lengthB, const void* b);

#ifdef __cplusplus
}
#endif

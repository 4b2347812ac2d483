#include "engine/database/embedded_erp/erp_collation.h"

#ifdef HZ_LOADABLE_EXTENSION
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1
#else
#include <sqlite3.h>
#endif

#include <stdint.h>
#include <string.h>

static int FoldAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

static int WithoutTrailingBlanks(const unsigned char* text, int length) {
    while (length > 0 && text[length - 1] == ' ')
        --length;
    return length;
}

int HzCompareErpText(int lengthA, const void* a, int lengthB, const void* b) {
    const unsigned char* x = (const unsigned char*)a;
    const unsigned char* y = (const unsigned char*)b;
    lengthA = WithoutTrailingBlanks(x, lengthA);
    lengthB = WithoutTrailingBlanks(y, lengthB);
    int shorter = lengthA < lengthB ? lengthA : lengthB;
    // Keys in an index often share long prefixes; identical bytes are equal whatever their case, so the common
    // prefix is skipped eight bytes at a time.
    int i = 0;
    for (; i + 8 <= shorter; i += 8) {
        uint64_t wordA;
        uint64_t wordB;
        memcpy(&wordA, x + i, 8);
        memcpy(&wordB, y + i, 8);
        if (wordA != wordB)
            break;
    }
    for (; i < shorter; ++i) {
        int difference = FoldAscii(x[i]) - FoldAscii(y[i]);
        if (difference != 0)
            return difference;
    }
    return (lengthA > lengthB) - (lengthA < lengthB);
}

static int Compare(void* unused, int lengthA, const void* a, int lengthB, const void* b) {
    (void)unused;
    return HzCompareErpText(lengthA, a, lengthB, b);
}

int HzRegisterErpCollation(struct sqlite3* db) {
    return sqlite3_create_collation(db, HZ_ERP_COLLATION, SQLITE_UTF8, 0, Compare);
}

#ifdef HZ_LOADABLE_EXTENSION
// SQLite derives this entry point's name from the library's file name, libhz_erp_collation.so.
__attribute__((visibility("default"))) int sqlite3_hzerpcollation_init(sqlite3* db, char** error,
                                                                       const sqlite3_api_routines* api) {
    (void)error;
    SQLITE_EXTENSION_INIT2(api);
    return HzRegisterErpCollation(db);
}
#endif

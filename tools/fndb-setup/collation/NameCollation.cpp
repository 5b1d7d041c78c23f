// A loadable SQLite extension: the collation fonedesk_ru, the order in which a Russian user looks
// names up, from ICU's collator for "ru". Letters compare without regard to case, Ё stands beside
// Е and Й after И, digits come before Cyrillic and Latin after it. Names that differ only in case
// are ordered by their bytes, so two different names never compare equal: an index stays a
// total order, and "=" and UNIQUE keep meaning exactly the same text.
//
// PostgreSQL gets the same order from its ICU collation "ru-RU-u-ks-level2" (deterministic, so
// its ties are broken by bytes as well); Schema.cpp creates both.
//
// Every connection that writes a table must load it (the SQLite ODBC driver's LoadExt key, the
// sqlite3 shell's .load): an index ordered by a collation that a connection lacks cannot be
// written there.

#include <sqlite3ext.h>
#include <unicode/ucol.h>

#include <cstring>

SQLITE_EXTENSION_INIT1

namespace {

int CompareNames(void* collator, int lengthA, const void* a, int lengthB, const void* b) {
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result =
        ucol_strcollUTF8(static_cast<const UCollator*>(collator), static_cast<const char*>(a),
                         lengthA, static_cast<const char*>(b), lengthB, &status);
    if (U_SUCCESS(status) && result != UCOL_EQUAL) {
        return result == UCOL_LESS ? -1 : 1;
    }
    const int common =
        std::memcmp(a, b, static_cast<std::size_t>(lengthA < lengthB ? lengthA : lengthB));
    if (common != 0) {
        return common < 0 ? -1 : 1;
    }
    return lengthA < lengthB ? -1 : (lengthA > lengthB ? 1 : 0);
}

void CloseCollator(void* collator) {
    ucol_close(static_cast<UCollator*>(collator));
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int sqlite3_extension_init(
    sqlite3* db, char** errorMessage, const sqlite3_api_routines* api) {
    SQLITE_EXTENSION_INIT2(api);
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open("ru", &status);
    if (U_FAILURE(status)) {
        *errorMessage = sqlite3_mprintf("ICU has no collator for \"ru\": %s", u_errorName(status));
        return SQLITE_ERROR;
    }
    // Secondary strength: case is no difference, accents (Ё against Е) are.
    ucol_setStrength(collator, UCOL_SECONDARY);
    const int rc = sqlite3_create_collation_v2(db, "fonedesk_ru", SQLITE_UTF8, collator,
                                               CompareNames, CloseCollator);
    if (rc != SQLITE_OK) {
        // SQLite calls the destructor only for a collation it took.
        ucol_close(collator);
        *errorMessage = sqlite3_mprintf("cannot register the collation fonedesk_ru");
    }
    return rc;
}

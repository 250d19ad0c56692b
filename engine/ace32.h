/* The table engine: read-only access to dBase tables (.dbf) of up to 4 GB, their memo files
 * (.dbt) and their single-order index files (.ntx) through nine calls, plus two inspection calls of its own. Every call returns 0 on
 * success or one of the result codes below; out values are written only on success unless a
 * call says otherwise. Strings are NUL-terminated ANSI text; handles are 32-bit and never 0.
 * All calls use the stdcall convention and are exported undecorated from ace32.dll.
 *
 * Tables and index orders
 *   A table handle navigates the table in natural (record number) order; an index handle
 *   navigates the same table in the order of its index. Both share the table's one current
 *   record. Deleted records stay visible. A filter belongs to the table and hides the records
 *   for which its expression is false, in every order. At the end of an order the current record
 *   number is the record count + 1 ("end of table").
 *
 * Expressions (filters, locate, inspection)
 *   Field names; "text" and 'text'; numbers; .T. .F.; dates as 0dYYYYMMDD or {^YYYY-MM-DD};
 *   ( ); + - * / on numbers (x / 0 gives 0), + on strings, date + days, date - date;
 *   = == != <> # < <= > >= and $ (left text contained in right; "" is contained in nothing);
 *   .AND. .OR. .NOT. (and !). A string "=" compares on the length of its right side, so
 *   CITY = "Lon" holds for "London" and CITY = "" for every record; "==" compares exactly.
 *   Functions: UPPER LOWER TRIM RTRIM LTRIM ALLTRIM LEFT RIGHT SUBSTR STR VAL DTOS CTOD
 *   (mm/dd/yy or mm/dd/yyyy; two-digit years are 19yy) YEAR MONTH DAY EMPTY DELETED RECNO EOF.
 *   UPPER and LOWER change only a-z; strings compare byte by byte. A memo field is its text
 *   from the table's .dbt file (missing file: ENGINE_MEMO_NOT_FOUND, damaged: ENGINE_CORRUPT_MEMO,
 *   only for expressions that name a memo field). An empty date sorts before every date; DTOS of it is 8 blanks.
 */
#ifndef ACE32_STANDIN_H
#define ACE32_STANDIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define ENGINE_CALL __stdcall

typedef uint32_t ENGINE_HANDLE;

/* Result codes. All fit 16 bits. */
#define ENGINE_OK 0
#define ENGINE_BAD_HANDLE 1001       /* no open table or index has this handle */
#define ENGINE_BAD_ARGUMENT 1002     /* a NULL pointer, an empty name, an unknown code */
#define ENGINE_FILE_NOT_FOUND 1003   /* the file does not exist */
#define ENGINE_FILE_ERROR 1004       /* the file exists but cannot be opened or mapped */
#define ENGINE_CORRUPT_TABLE 1005    /* the header, field list or size does not add up */
#define ENGINE_CORRUPT_INDEX 1006    /* a header or page does not add up, or a key names no record */
#define ENGINE_INDEX_MISMATCH 1007   /* the index key does not fit the table's fields */
#define ENGINE_EXPRESSION 1008       /* syntax error, unknown field or function, wrong types */
#define ENGINE_NO_LOCATE 1009        /* AdsContinue before any AdsLocate on this table */
#define ENGINE_NOT_SUPPORTED 1010    /* a table type, search direction or key type not offered */
#define ENGINE_OUT_OF_MEMORY 1011
#define ENGINE_BUFFER_TOO_SMALL 1012 /* an out array or buffer is too short; its length is set */
#define ENGINE_MEMO_NOT_FOUND 1013   /* an expression names a memo field; the .dbt file is missing */
#define ENGINE_CORRUPT_MEMO 1014     /* the .dbt file's header, or a record's block number, does not add up */

/* The values that calls take. */
#define ENGINE_NO_CONNECTION 0      /* AdsOpenTable connection: none (the only one offered) */
#define ENGINE_TABLE_NTX 1          /* table type: dBase table with .ntx indexes (the only one) */
#define ENGINE_ANSI_CHARACTERS 1    /* character type: the table's text is ANSI */
#define ENGINE_OEM_CHARACTERS 2     /* character type: the table's text is OEM */
#define ENGINE_COMPATIBLE_LOCKING 0 /* lock type */
#define ENGINE_IGNORE_RIGHTS 2      /* check-rights */
#define ENGINE_DEFAULT_OPTIONS 0    /* options */
#define ENGINE_STRING_KEY 2         /* AdsSeek data type: the key is text (the only one offered) */
#define ENGINE_SOFT_SEEK 1          /* AdsSeek: no match leaves the record on the next key in order */
#define ENGINE_EXACT_SEEK 2         /* AdsSeek: no match leaves the table at its end */
#define ENGINE_FORWARD 1            /* AdsLocate: search forward (the only direction offered) */

/* Opens a table file read-only, with its memo file (same name, ".dbt") when it has memo fields.
 * connection must be 0, the table type ENGINE_TABLE_NTX and the character type ENGINE_ANSI_CHARACTERS
 * or ENGINE_OEM_CHARACTERS. With OEM characters the caller's text (expressions, seek keys) is
 * converted from the ANSI to the OEM code page once, when it is given; text is then compared byte
 * by byte. Alias, lock type, check-rights and options are accepted and have no effect (nothing is
 * written, so nothing is locked). A name without extension gets ".dbf". The table starts on its
 * first record. */
uint32_t ENGINE_CALL AdsOpenTable(ENGINE_HANDLE connection, const char* name, const char* alias,
                                  uint16_t tableType, uint16_t charType, uint16_t lockType,
                                  uint16_t checkRights, uint32_t options, ENGINE_HANDLE* table);

/* Closes a table and every index opened on it. */
uint32_t ENGINE_CALL AdsCloseTable(ENGINE_HANDLE table);

/* Opens an index file of the table (".ntx" added to a name without extension; a name without a
 * folder is looked for beside the table). An index file holds one order: handles[0] receives
 * it and *count becomes 1. With *count 0: ENGINE_BUFFER_TOO_SMALL and *count set to 1. */
uint32_t ENGINE_CALL AdsOpenIndex(ENGINE_HANDLE table, const char* name, ENGINE_HANDLE* handles,
                                  uint16_t* count);

uint32_t ENGINE_CALL AdsCloseIndex(ENGINE_HANDLE index);

/* Seeks key in the index's order. The key is read up to its first NUL or keyLength bytes,
 * whichever comes first, then cut to the index's key size; it matches the keys that start with
 * it (so "" matches the first key). On a numeric index the text is read as a number and
 * compared whole. The first matching record that the filter shows becomes current and *found
 * is 1. With no match *found is 0 and an exact seek leaves the table at its end, a soft seek on
 * the next shown key in order (or at the end). dataType must be ENGINE_STRING_KEY. */
uint32_t ENGINE_CALL AdsSeek(ENGINE_HANDLE index, const char* key, uint16_t keyLength,
                             uint16_t dataType, uint16_t seekType, uint16_t* found);

/* Sets the table's filter; an empty expression removes it. Also takes an index handle (its
 * table's filter). The current record is not moved. */
uint32_t ENGINE_CALL AdsSetFilter(ENGINE_HANDLE table, const char* expression);

/* Searches from the top of the handle's order for the first record the filter shows for which
 * expression is true; *found is 1 and the record current, or 0 and the table at its end.
 * forward must be ENGINE_FORWARD. */
uint32_t ENGINE_CALL AdsLocate(ENGINE_HANDLE table, const char* expression, uint16_t forward,
                               uint16_t* found);

/* Goes on with the last AdsLocate of the table from the record after the current one, in the
 * order that the locate used. */
uint32_t ENGINE_CALL AdsContinue(ENGINE_HANDLE table, uint16_t* found);

/* Closes every table and index of the process; their handles are never valid again. */
uint32_t ENGINE_CALL AdsApplicationExit(void);

/* Inspection: evaluates expression on the current record of the handle's table (a blank record
 * at the end of the table) and writes its value as text: strings as they are, numbers in
 * decimal with their decimals (no padding), dates as YYYYMMDD (blanks when empty), logicals as
 * T or F. *length is the buffer's size on entry and the text's length on return (without the
 * NUL, which is written when it fits); a short buffer gives ENGINE_BUFFER_TOO_SMALL. */
uint32_t ENGINE_CALL EngineEvaluate(ENGINE_HANDLE handle, const char* expression, char* buffer,
                                    uint32_t* length);

/* Inspection: describes a table (records, header size, record size, then one "name type length
 * decimals" per field) or an index (key expression, key size, decimals, unique and descending
 * flags), as lines of text, written as EngineEvaluate writes. */
uint32_t ENGINE_CALL EngineDescribe(ENGINE_HANDLE handle, char* buffer, uint32_t* length);

#ifdef __cplusplus
}
#endif

#endif

/* Orvalen's SQLite 2 engine: the C interface.
 *
 * The functions, result codes and memory rules are those of the SQLite 2.8 library, so that
 * code written for that library runs unchanged on this engine. Every text handed back by the
 * engine (error messages, sqlite_mprintf results) is released with sqlite_freemem; result
 * arrays of sqlite_get_table with sqlite_free_table. */
#ifndef ORVALEN_SQLITE_H
#define ORVALEN_SQLITE_H

#include <stdarg.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SQLITE_VERSION "2.8.15"
#define SQLITE_ENCODING "UTF-8"

typedef struct sqlite sqlite;

/* Result codes */
#define SQLITE_OK 0          /* Successful result */
#define SQLITE_ERROR 1       /* SQL error or missing database */
#define SQLITE_INTERNAL 2    /* An internal logic error */
#define SQLITE_PERM 3        /* Access permission denied */
#define SQLITE_ABORT 4       /* Callback routine requested an abort */
#define SQLITE_BUSY 5        /* The database file is locked */
#define SQLITE_LOCKED 6      /* A table in the database is locked */
#define SQLITE_NOMEM 7       /* An allocation failed */
#define SQLITE_READONLY 8    /* Attempt to write a readonly database */
#define SQLITE_INTERRUPT 9   /* Operation terminated */
#define SQLITE_IOERR 10      /* Some kind of disk I/O error occurred */
#define SQLITE_CORRUPT 11    /* The database disk image is malformed */
#define SQLITE_NOTFOUND 12   /* Table or record not found */
#define SQLITE_FULL 13       /* Insertion failed because the database is full */
#define SQLITE_CANTOPEN 14   /* Unable to open the database file */
#define SQLITE_PROTOCOL 15   /* Database lock protocol error */
#define SQLITE_EMPTY 16      /* Table contains no data */
#define SQLITE_SCHEMA 17     /* The database schema changed */
#define SQLITE_TOOBIG 18     /* Too much data for one row of a table */
#define SQLITE_CONSTRAINT 19 /* Abort due to constraint violation */
#define SQLITE_MISMATCH 20   /* Data type mismatch */
#define SQLITE_MISUSE 21     /* Library used incorrectly */
#define SQLITE_NOLFS 22      /* Uses OS features not supported on host */
#define SQLITE_AUTH 23       /* Authorization denied */
#define SQLITE_FORMAT 24     /* Auxiliary database format error */
#define SQLITE_RANGE 25      /* Bind parameter out of range */
#define SQLITE_NOTADB 26     /* File opened that is not a database file */
#define SQLITE_ROW 100       /* A row is ready */
#define SQLITE_DONE 101      /* Execution finished */

typedef int (*sqlite_callback)(void* arg, int columnCount, char** values, char** columnNames);
typedef int (*sqlite_busy_callback)(void* arg, const char* tableName, int attempt);

const char* sqlite_libversion(void);
const char* sqlite_libencoding(void);

/* Opens (creating when absent) the database file. mode is ignored. On failure returns NULL and,
 * when errmsg is not NULL, stores there a message to be released with sqlite_freemem. */
sqlite* sqlite_open(const char* filename, int mode, char** errmsg);
void sqlite_close(sqlite* db);

/* Runs every statement of sql in turn. callback (may be NULL) receives each result row; a
 * non-zero return stops with SQLITE_ABORT. */
int sqlite_exec(sqlite* db, const char* sql, sqlite_callback callback, void* arg, char** errmsg);

/* Runs sql and returns its rows as one array: the column names, then the rows row by row. */
int sqlite_get_table(sqlite* db, const char* sql, char*** result, int* rowCount, int* columnCount,
                     char** errmsg);
void sqlite_free_table(char** result);

int sqlite_changes(sqlite* db);
int sqlite_last_insert_rowid(sqlite* db);

void sqlite_busy_handler(sqlite* db, sqlite_busy_callback handler, void* arg);
void sqlite_busy_timeout(sqlite* db, int ms);

/* printf-like formatting into memory from the engine's allocator, with %q (quotes doubled)
 * and %Q (quoted, NULL as the word NULL). */
char* sqlite_mprintf(const char* format, ...);
char* sqlite_vmprintf(const char* format, va_list args);
void sqlite_freemem(void* p);

const char* sqlite_error_string(int code);

#ifdef __cplusplus
}
#endif

#endif

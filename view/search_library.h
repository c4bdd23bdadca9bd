/* The question-bank search library as the problem editor calls it on Linux: a shared object
 * named "Zovivuva.dll" in the program's folder that exports at least one of
 *
 *     int SearchProc20(SEARCH_REQUEST20* request, SEARCH_RESULT* result);
 *     int SearchProc2(SEARCH_REQUEST2* request, SEARCH_RESULT* result);
 *     int SearchProc(SEARCH_REQUEST* request, SEARCH_RESULT* result);
 *
 * with C linkage and the platform's own calling convention; the editor uses the first of them,
 * in this order, that the library exports. The records keep the fields and the field order of
 * the 32-bit interface, naturally aligned for the 64-bit platform: a link is a full pointer, so
 * SEARCH_ID_NODE is 24 bytes and SEARCH_ID_NODE2 48.
 *
 * Return value: 1 success with a paper to take over (result->paperPath), 0 failure (the editor
 * reports a search error), any other value ends the command quietly.
 *
 * Who allocates what:
 * - Every string and node of the request belongs to the editor and is valid during the call
 *   only. Strings are in code page 932 and end with a zero byte. The question list is one array
 *   whose nodes are linked in order through next; the last next is null.
 * - The library allocates the returned path and every node of the result list with malloc, and
 *   the editor frees each with free. (The 32-bit interface had the editor free result nodes with
 *   C++ operator delete, which cannot match the allocator of a shared object built elsewhere.)
 *   Both result fields start null; the result list is a chain of nodes of the request's node type
 *   linked through next, whose contents the editor does not read.
 * - The returned path must name a regular file holding a plain print file. The editor reads it
 *   and deletes it once it has been read; a file it cannot read is left where it is.
 * - The information file (a byte-order mark and the search information as UTF-16LE) and the
 *   paper file of SearchProc20 are the editor's temporary files, deleted when the command ends.
 */
#ifndef QN_SEARCH_LIBRARY_H
#define QN_SEARCH_LIBRARY_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A question of the list given to SearchProc. */
typedef struct SEARCH_ID_NODE {
    double id;                    /* problem number × 100000 + sub number */
    int32_t modified;             /* 1 when the user changed the question */
    struct SEARCH_ID_NODE* next;  /* null in the last node */
} SEARCH_ID_NODE;

/* A question of the list given to SearchProc2 and SearchProc20. */
typedef struct SEARCH_ID_NODE2 {
    int32_t codes[6];             /* classification; 999 in the first marks an unclassified question */
    int32_t problemNumber;
    int32_t subNumber;
    int32_t modified;
    struct SEARCH_ID_NODE2* next;
} SEARCH_ID_NODE2;

typedef struct SEARCH_REQUEST {
    const char* searchProgId;     /* the paper's "SearchProgID" */
    const char* informationPath;  /* the information file */
    SEARCH_ID_NODE* questions;
} SEARCH_REQUEST;

typedef struct SEARCH_REQUEST2 {
    const char* searchProgId;
    const char* informationPath;
    SEARCH_ID_NODE2* questions;
} SEARCH_REQUEST2;

typedef struct SEARCH_REQUEST20 {
    const char* searchProgId;
    const char* informationPath;
    const char* paperPath;        /* the current paper as a plain print file */
    SEARCH_ID_NODE2* questions;
} SEARCH_REQUEST20;

typedef struct SEARCH_RESULT {
    char* paperPath;              /* malloc'd by the library, freed by the editor */
    void* results;                /* a chain of the request's node type, each malloc'd */
} SEARCH_RESULT;

typedef int (*SEARCH_PROC)(SEARCH_REQUEST* request, SEARCH_RESULT* result);
typedef int (*SEARCH_PROC2)(SEARCH_REQUEST2* request, SEARCH_RESULT* result);
typedef int (*SEARCH_PROC20)(SEARCH_REQUEST20* request, SEARCH_RESULT* result);

#ifdef __cplusplus
}
static_assert(sizeof(SEARCH_ID_NODE) == 24 && offsetof(SEARCH_ID_NODE, next) == 16);
static_assert(sizeof(SEARCH_ID_NODE2) == 48 && offsetof(SEARCH_ID_NODE2, problemNumber) == 24 &&
              offsetof(SEARCH_ID_NODE2, modified) == 32 && offsetof(SEARCH_ID_NODE2, next) == 40);
#endif

#endif

/*
 * vyrapi.h - the public interface of the Vyr engine library (vyrapi32).
 *
 * A host initialises the library once per process (VyrInitInstance), creates
 * one engine per generation run (VyrCreate), hands it options, interprets the
 * main script (VyrInterpret) while following the run through one callback,
 * and destroys the engine afterwards (VyrDestroy).  Usable from C and C++.
 *
 * Integers that cross the interface are exactly 32 bits wide on every
 * target; handles, texts and user data are pointer-sized.
 */
#ifndef VYRAPI_H
#define VYRAPI_H

#include <stddef.h>
#include <stdint.h>

/* Calling convention of exported functions, host functions and callbacks:
 * the callee removes its arguments on 32-bit Windows; the platform default
 * everywhere else. */
#if defined(_WIN32) && !defined(_WIN64)
#define VYRAPI __stdcall
#else
#define VYRAPI
#endif

/* Exported functions get default visibility in the Linux build (everything
 * else is hidden); Windows exports by ordinal through the .def file. */
#if !defined(_WIN32) && defined(VYR_BUILDING_ENGINE)
#define VYREXPORT __attribute__((visibility("default")))
#else
#define VYREXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

#ifdef _WIN32
struct HWND__;
typedef struct HWND__ *VYRHWND; /* the same type as HWND */
#else
typedef void *VYRHWND;
#endif

typedef struct VyrEngineHandle_ *HVYR;

/* ---- Options --------------------------------------------------------- */

/* Mask bits of VYROPTIONS.fMask: which field groups are valid. */
#define VYROF_FLAGS       0x01u
#define VYROF_INCLUDEPATH 0x02u
#define VYROF_SUBLINES    0x04u
#define VYROF_COMMENTS    0x08u
#define VYROF_PROTECT     0x10u
#define VYROF_PARENT      0x20u
#define VYROF_USERDATA    0x40u
#define VYROF_CALLBACK    0x80u

/* Option bits of VYROPTIONS.fFlags. */
#define VYRO_NOCOMMENTS   0x01u /* recognise and remove comments in script text */
#define VYRO_NOBLANKLINES 0x02u /* skip script lines that are blank after comment removal */
#define VYRO_XLATSUBLINES 0x04u /* script-marker mode: script text between the markers, the rest is template */
#define VYRO_OUTPRINT     0x08u /* Print also appends its values to the output line */

/* Set in the engine's reader flag word when the host cancels a run. */
#define VYR_CANCEL        0x1000u

/* Events delivered to the callback. */
#define VYRE_BEGIN     1u /* a script file starts */
#define VYRE_END       2u /* a script file ends */
#define VYRE_RESUME    3u /* an include file or procedure ended; its parent resumes */
#define VYRE_STATEMENT 4u /* a script line is about to run; answer 0 to cancel */
#define VYRE_OUTPUT    5u /* Output or Append opened a file */
#define VYRE_ERROR     6u /* an error was reported; see VyrGetErrMessage */
#define VYRE_PRINT     7u /* one value of a Print statement (lpItem) */
#define VYRE_DIALOG    8u /* a script window opens (lpItem 1) or closed (lpItem 0) */
#define VYRE_INSPECT   9u /* Inspect of an object variable (lpItem) */

typedef struct _tagVYRSTATE {
    int32_t     nLevel;     /* interpretation depth, 1 for the main script */
    const char *lpszFile;   /* full path of the script file being read */
    int32_t     lSize;      /* its size in bytes */
    int32_t     nLine;      /* number of the line last read */
    int32_t     lOffset;    /* byte offset at which that line begins */
    const char *lpszOutput; /* full path of the current output file, "" if none */
    void       *lpItem;     /* event-specific value, or null */
} VYRSTATE;

typedef int32_t (VYRAPI *VYRCALLBACK)(HVYR hVyr, uint32_t uEvent, VYRSTATE *lpState, intptr_t lUserData);

typedef struct _tagVYROPTIONS {
    uint32_t    cbSize;           /* sizeof(VYROPTIONS) */
    uint32_t    fMask;            /* VYROF_* */
    uint32_t    fFlags;           /* VYRO_* */
    const char *lpszIncludePath;  /* ";"-separated directories searched by Include */
    const char *lpszSubLineBegin; /* script marker opening a script part ("$[") */
    const char *lpszSubLineEnd;   /* script marker closing it ("]$") */
    const char *lpszCommentBegin; /* block comment opener (slash star) */
    const char *lpszCommentEnd;   /* block comment closer (star slash) */
    const char *lpszCommentMark;  /* line comment mark ("//") */
    const char *lpszProtectBegin; /* begin marker of protected regions ("%PROTECT") */
    const char *lpszProtectEnd;   /* end marker ("%ENDPROTECT") */
    VYRHWND     hwndParent;       /* owner window of script dialogs */
    intptr_t    lUserData;        /* handed back to every callback */
    VYRCALLBACK lpfnCallback;     /* host callback, or null */
} VYROPTIONS;

typedef struct _tagVYRERROR {
    const char *lpszFile; /* script file the message refers to */
    uint32_t    nLine;    /* line number the message refers to */
    char       *lpszText; /* receives the message (Get) or holds the host's message (Set) */
    int32_t     cchText;  /* size of lpszText in characters, terminating zero included (Get) */
} VYRERROR;

/* ---- Instance, engine, options, state and errors (ordinals 1-12) ----- */

VYREXPORT int32_t VYRAPI VyrInitInstance(void);
VYREXPORT int32_t VYRAPI VyrFreeInstance(void);
VYREXPORT void   *VYRAPI VyrGetInstance(void);
VYREXPORT HVYR    VYRAPI VyrCreate(const VYROPTIONS *lpOptions);
VYREXPORT int32_t VYRAPI VyrDestroy(HVYR hVyr);
VYREXPORT int32_t VYRAPI VyrInterpret(HVYR hVyr, const char *lpszScript);
VYREXPORT int32_t VYRAPI VyrSetOptions(HVYR hVyr, const VYROPTIONS *lpOptions);
VYREXPORT int32_t VYRAPI VyrGetOptions(HVYR hVyr, VYROPTIONS *lpOptions);
VYREXPORT int32_t VYRAPI VyrGetState(HVYR hVyr, VYRSTATE *lpState);
VYREXPORT int32_t VYRAPI VyrGetError(HVYR hVyr);
VYREXPORT int32_t VYRAPI VyrSetErrMessage(HVYR hVyr, VYRERROR *lpError);
VYREXPORT int32_t VYRAPI VyrGetErrMessage(HVYR hVyr, VYRERROR *lpError);

/* ---- Items, lists, objects and members (ordinals 13-74) -------------- */

/* Opaque handles of the value model.  HVYRITEM is an item (a value of type
 * VYRT_*); a list element and an object member are items too, so every item
 * function accepts them.  HVYRLIST is a list value (items and a selection
 * index); HVYROBJECT an object value (a name and ordered named members).
 * Items, lists and objects made with VyrItemCreate, VyrListCreate and
 * VyrObjectCreate belong to the caller until deleted with the matching
 * Delete function; values handed in are always copied, never adopted.
 * Handles and texts returned for elements, members and the values inside an
 * item belong to their container and stay valid until it changes. */
typedef struct VyrItemHandle_ *HVYRITEM;
typedef struct VyrListHandle_ *HVYRLIST;
typedef struct VyrObjectHandle_ *HVYROBJECT;

/* Type codes of VyrItemGetType. */
#define VYRT_NONE    0 /* no value */
#define VYRT_INTEGER 1
#define VYRT_STRING  2
#define VYRT_LIST    3
#define VYRT_OBJECT  4

/* Every function accepts null handles and answers 0 or null for them.  The
 * typed getters answer 0 (numbers) or null (texts, lists, objects) for a
 * value of another type. */
VYREXPORT HVYRITEM    VYRAPI VyrItemCreate(const char *lpszType);
VYREXPORT int32_t     VYRAPI VyrItemDelete(HVYRITEM hItem);
VYREXPORT int32_t     VYRAPI VyrItemGetType(HVYRITEM hItem);
VYREXPORT int32_t     VYRAPI VyrItemIsNum(HVYRITEM hItem);
VYREXPORT int32_t     VYRAPI VyrItemIsStr(HVYRITEM hItem);
VYREXPORT int32_t     VYRAPI VyrItemIsList(HVYRITEM hItem);
VYREXPORT int32_t     VYRAPI VyrItemIsObj(HVYRITEM hItem);
VYREXPORT int32_t     VYRAPI VyrItemSetItem(HVYRITEM hItem, HVYRITEM hSource);
VYREXPORT int32_t     VYRAPI VyrItemSetNum(HVYRITEM hItem, int32_t nValue);
VYREXPORT int32_t     VYRAPI VyrItemGetNum(HVYRITEM hItem);
VYREXPORT int32_t     VYRAPI VyrItemSetStr(HVYRITEM hItem, const char *lpszText);
VYREXPORT const char *VYRAPI VyrItemGetStr(HVYRITEM hItem);
VYREXPORT int32_t     VYRAPI VyrItemSetList(HVYRITEM hItem, HVYRLIST hList);
VYREXPORT HVYRLIST    VYRAPI VyrItemGetList(HVYRITEM hItem);
VYREXPORT int32_t     VYRAPI VyrItemSetObj(HVYRITEM hItem, HVYROBJECT hObject, const char *lpszType);
VYREXPORT HVYROBJECT  VYRAPI VyrItemGetObj(HVYRITEM hItem);

VYREXPORT HVYRLIST    VYRAPI VyrListCreate(void);
VYREXPORT int32_t     VYRAPI VyrListCount(HVYRLIST hList);
VYREXPORT int32_t     VYRAPI VyrListDelete(HVYRLIST hList);
VYREXPORT int32_t     VYRAPI VyrListAddItem(HVYRLIST hList, HVYRITEM hItem);
VYREXPORT int32_t     VYRAPI VyrListAddNum(HVYRLIST hList, int32_t nValue);
VYREXPORT int32_t     VYRAPI VyrListAddStr(HVYRLIST hList, const char *lpszText);
VYREXPORT int32_t     VYRAPI VyrListAddList(HVYRLIST hList, HVYRLIST hValue);
VYREXPORT int32_t     VYRAPI VyrListAddObj(HVYRLIST hList, HVYROBJECT hValue);
VYREXPORT int32_t     VYRAPI VyrListRemove(HVYRLIST hList, int32_t nIndex);
VYREXPORT int32_t     VYRAPI VyrListSetSel(HVYRLIST hList, int32_t nIndex);
VYREXPORT int32_t     VYRAPI VyrListGetSel(HVYRLIST hList);
VYREXPORT int32_t     VYRAPI VyrListSetItem(HVYRLIST hList, int32_t nIndex, HVYRITEM hItem);
VYREXPORT HVYRITEM    VYRAPI VyrListGetItem(HVYRLIST hList, int32_t nIndex);
VYREXPORT HVYRITEM    VYRAPI VyrListGetFirstItem(HVYRLIST hList);
VYREXPORT HVYRITEM    VYRAPI VyrListGetNextItem(HVYRLIST hList);
VYREXPORT int32_t     VYRAPI VyrListSetNum(HVYRLIST hList, int32_t nIndex, int32_t nValue);
VYREXPORT int32_t     VYRAPI VyrListGetNum(HVYRLIST hList, int32_t nIndex);
VYREXPORT int32_t     VYRAPI VyrListSetStr(HVYRLIST hList, int32_t nIndex, const char *lpszText);
VYREXPORT const char *VYRAPI VyrListGetStr(HVYRLIST hList, int32_t nIndex);
VYREXPORT int32_t     VYRAPI VyrListSetList(HVYRLIST hList, int32_t nIndex, HVYRLIST hValue);
VYREXPORT HVYRLIST    VYRAPI VyrListGetList(HVYRLIST hList, int32_t nIndex);
VYREXPORT int32_t     VYRAPI VyrListSetObj(HVYRLIST hList, int32_t nIndex, HVYROBJECT hValue);
VYREXPORT HVYROBJECT  VYRAPI VyrListGetObj(HVYRLIST hList, int32_t nIndex);

/* Members are looked up by name ignoring case; the first match wins.  A
 * member handle is an item handle (VyrSetMemberName/VyrGetMemberName take
 * one, and answer 0/null for an item that is not a member). */
VYREXPORT HVYROBJECT  VYRAPI VyrObjectCreate(const char *lpszName);
VYREXPORT int32_t     VYRAPI VyrObjectDelete(HVYROBJECT hObject);
VYREXPORT int32_t     VYRAPI VyrGetMemberCount(HVYROBJECT hObject);
VYREXPORT HVYRITEM    VYRAPI VyrGetMemberByIndex(HVYROBJECT hObject, int32_t nIndex);
VYREXPORT int32_t     VYRAPI VyrSetMemberName(HVYRITEM hMember, const char *lpszName);
VYREXPORT const char *VYRAPI VyrGetMemberName(HVYRITEM hMember);
VYREXPORT HVYRITEM    VYRAPI VyrGetFirstMember(HVYROBJECT hObject);
VYREXPORT HVYRITEM    VYRAPI VyrGetNextMember(HVYROBJECT hObject);
VYREXPORT int32_t     VYRAPI VyrSetObjectName(HVYROBJECT hObject, const char *lpszName);
VYREXPORT const char *VYRAPI VyrGetObjectName(HVYROBJECT hObject);
VYREXPORT int32_t     VYRAPI VyrSetMemberItem(HVYROBJECT hObject, const char *lpszName, HVYRITEM hItem);
VYREXPORT HVYRITEM    VYRAPI VyrGetMemberItem(HVYROBJECT hObject, const char *lpszName);
VYREXPORT int32_t     VYRAPI VyrSetMemberNum(HVYROBJECT hObject, const char *lpszName, int32_t nValue);
VYREXPORT int32_t     VYRAPI VyrGetMemberNum(HVYROBJECT hObject, const char *lpszName);
VYREXPORT int32_t     VYRAPI VyrSetMemberStr(HVYROBJECT hObject, const char *lpszName, const char *lpszText);
VYREXPORT const char *VYRAPI VyrGetMemberStr(HVYROBJECT hObject, const char *lpszName);
VYREXPORT int32_t     VYRAPI VyrSetMemberSel(HVYROBJECT hObject, const char *lpszName, int32_t nIndex);
VYREXPORT int32_t     VYRAPI VyrGetMemberSel(HVYROBJECT hObject, const char *lpszName);
VYREXPORT int32_t     VYRAPI VyrSetMemberList(HVYROBJECT hObject, const char *lpszName, HVYRLIST hValue);
VYREXPORT HVYRLIST    VYRAPI VyrGetMemberList(HVYROBJECT hObject, const char *lpszName);
VYREXPORT int32_t     VYRAPI VyrSetMemberObj(HVYROBJECT hObject, const char *lpszName, HVYROBJECT hValue);
VYREXPORT HVYROBJECT  VYRAPI VyrGetMemberObj(HVYROBJECT hObject, const char *lpszName);
VYREXPORT int32_t     VYRAPI VyrRemoveMember(HVYROBJECT hObject, const char *lpszName);

/* ---- Host symbols, functions and arguments (ordinals 75-81) --------- */

/* The argument list of one call of a built-in or host function; valid only
 * during the call.  Walk it with VyrArgsGetFirst/VyrArgsGetNext; an argument
 * that was a plain variable of the script is that variable itself, so
 * changing it changes the script's variable. */
typedef struct VyrArgsHandle_ *HVYRARGS;

/* A host function: read the arguments, write the result into hResult, and
 * answer non-zero for success (0 fails the calling expression with
 * "Invalid function call"). */
typedef int32_t (VYRAPI *VYRFUNCTION)(HVYRARGS hArgs, HVYRITEM hResult);

VYREXPORT int32_t  VYRAPI VyrAddSymbol(const char *lpszName, HVYRITEM hItem);
VYREXPORT int32_t  VYRAPI VyrRemoveSymbol(const char *lpszName);
VYREXPORT HVYR     VYRAPI VyrArgsGetHandle(HVYRARGS hArgs);
VYREXPORT HVYRITEM VYRAPI VyrArgsGetFirst(HVYRARGS hArgs);
VYREXPORT HVYRITEM VYRAPI VyrArgsGetNext(HVYRARGS hArgs);
VYREXPORT int32_t  VYRAPI VyrAddFunction(const char *lpszName, VYRFUNCTION lpfnFunction);
VYREXPORT int32_t  VYRAPI VyrRemoveFunction(const char *lpszName);

/* ---- Type drivers and registered types (ordinals 82-94) -------------- */

/* A loaded type driver and a registered type: opaque handles owned by the
 * engine.  A driver handle stays valid until VyrDriverFree or the last
 * VyrFreeInstance; a type handle until its driver is freed. */
typedef struct VyrDriverHandle_ *HVYRDRIVER;
typedef struct VyrTypeHandle_ *HVYRTYPE;

/* Commands of a type procedure. */
#define VYRTC_CREATE 1 /* give a fresh item bound to the type its initial value */
#define VYRTC_RESET  2 /* put the type's default value back into the item */
#define VYRTC_EDIT   3 /* let the user edit the item in a dialog owned by hwndOwner */

/* A type procedure, exported by a driver: non-zero when the command was
 * handled.  nReserved is always 0. */
typedef int32_t (VYRAPI *VYRTYPEPROC)(VYRHWND hwndOwner, int32_t nCommand, HVYRITEM hItem, int32_t nReserved);

/* The registration block a driver's VyrRegTypes returns: a global memory
 * block (movable, zero-filled; on systems other than Windows the engine's
 * block allocator of the same kind) holding a count and that many entries,
 * packed.  Whoever receives the handle locks, reads, unlocks and frees it. */
#define VYR_TYPENAME_SIZE 33
#pragma pack(push, 1)
typedef struct _tagVYRREGENTRY {
    char        szName[VYR_TYPENAME_SIZE]; /* type name, NUL-terminated, at most 32 characters */
    VYRTYPEPROC lpfnProc;                  /* its type procedure */
} VYRREGENTRY;
typedef struct _tagVYRREGBLOCK {
    int32_t     nCount;
    VYRREGENTRY aEntries[1]; /* nCount entries */
} VYRREGBLOCK;
#pragma pack(pop)
/* Size in bytes of a registration block of n entries. */
#define VYR_REGBLOCK_SIZE(n) (sizeof(int32_t) + (size_t)(n) * sizeof(VYRREGENTRY))

/* The exports a driver offers, looked up by name. */
typedef void   *(VYRAPI *VYRREGTYPES)(void);
typedef int32_t (VYRAPI *VYRREGSETUP)(VYRHWND hwndOwner);

VYREXPORT HVYRDRIVER  VYRAPI VyrDriverLoad(const char *lpszName);
VYREXPORT int32_t     VYRAPI VyrDriverFree(HVYRDRIVER hDriver);
VYREXPORT HVYRDRIVER  VYRAPI VyrDriverGetFirst(void);
VYREXPORT HVYRDRIVER  VYRAPI VyrDriverGetNext(void);
VYREXPORT const char *VYRAPI VyrDriverGetName(HVYRDRIVER hDriver);
VYREXPORT void       *VYRAPI VyrDriverGetTypes(HVYRDRIVER hDriver);
VYREXPORT int32_t     VYRAPI VyrDriverSetup(HVYRDRIVER hDriver, VYRHWND hwndOwner);
VYREXPORT HVYRTYPE    VYRAPI VyrTypeGetFirst(void);
VYREXPORT HVYRTYPE    VYRAPI VyrTypeGetNext(void);
VYREXPORT const char *VYRAPI VyrTypeGetName(HVYRTYPE hType);
VYREXPORT int32_t     VYRAPI VyrTypeCallProc(HVYRTYPE hType, VYRHWND hwndOwner, int32_t nCommand, HVYRITEM hItem,
                                             int32_t nReserved);
VYREXPORT HVYRTYPE    VYRAPI VyrGetRegType(const char *lpszName);
VYREXPORT HVYRTYPE    VYRAPI VyrItemGetRegType(HVYRITEM hItem);

#ifdef __cplusplus
} /* extern "C" */
#endif

#if defined(_WIN32) && !defined(_WIN64) && defined(__cplusplus)
static_assert(sizeof(VYROPTIONS) == 56, "VYROPTIONS is 56 bytes on 32-bit Windows");
static_assert(sizeof(VYRSTATE) == 28, "VYRSTATE is 28 bytes on 32-bit Windows");
static_assert(sizeof(VYRERROR) == 16, "VYRERROR is 16 bytes on 32-bit Windows");
static_assert(sizeof(VYRREGENTRY) == 37, "a registration entry is 37 bytes on 32-bit Windows");
static_assert(VYR_REGBLOCK_SIZE(5) == 189, "a block of five types is 189 bytes on 32-bit Windows");
#endif

#endif /* VYRAPI_H */

// vyrtyp32.h - the default type driver: declarations shared by its portable
// part (types, registration block, WinExec) and its Windows editors.
#ifndef VYRTYP32_H
#define VYRTYP32_H

#include "vyrapi.h"

#if defined(_WIN32)
#define VYRTYPEXPORT
#else
#define VYRTYPEXPORT __attribute__((visibility("default")))
#endif

// Library start and end: keep the module handle, set up the custom colours
// and counters, add or remove the host function WinExec.
void vyrTypesAttach(void *instance);
void vyrTypesDetach();

// The Font and Color editors: 1 when the item holds an object (whether or
// not the user chose anything), 0 when there is nothing to edit or no
// editor on this system.
int32_t vyrEditFont(VYRHWND owner, HVYRITEM item);
int32_t vyrEditColor(VYRHWND owner, HVYRITEM item);

// The library's custom colours (16 entries, 0x00BBGGRR), kept while it is
// loaded.
uint32_t *vyrCustomColors();

extern "C" {
VYRTYPEXPORT void *VYRAPI VyrRegTypes(void);
VYRTYPEXPORT int32_t VYRAPI VyrFuncWinExec(HVYRARGS hArgs, HVYRITEM hResult);
VYRTYPEXPORT int32_t VYRAPI VyrTypesBoolProc(VYRHWND hwndOwner, int32_t nCommand, HVYRITEM hItem, int32_t nReserved);
VYRTYPEXPORT int32_t VYRAPI VyrTypesFontProc(VYRHWND hwndOwner, int32_t nCommand, HVYRITEM hItem, int32_t nReserved);
VYRTYPEXPORT int32_t VYRAPI VyrTypesColorProc(VYRHWND hwndOwner, int32_t nCommand, HVYRITEM hItem, int32_t nReserved);
VYRTYPEXPORT int32_t VYRAPI VyrTypesDialogProc(VYRHWND hwndOwner, int32_t nCommand, HVYRITEM hItem, int32_t nReserved);
VYRTYPEXPORT int32_t VYRAPI VyrTypesControlProc(VYRHWND hwndOwner, int32_t nCommand, HVYRITEM hItem,
                                                int32_t nReserved);
}

#endif  // VYRTYP32_H

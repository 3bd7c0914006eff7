/* A tiny DLL whose export table the export checker is tried on. */
#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define CALLCONV __stdcall
#else
#define CALLCONV
#endif

int32_t CALLCONV FixAdd(int32_t a, int32_t b) { return a + b; }
int32_t CALLCONV FixOne(void) { return 1; }
int32_t CALLCONV FixHidden(int32_t a) { return a; }

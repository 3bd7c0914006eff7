// script_options.h - the options a host sets for an ordinary script run,
// shared by the tests and the fuzz targets that drive whole runs.
#ifndef VYR_TEST_SCRIPT_OPTIONS_H
#define VYR_TEST_SCRIPT_OPTIONS_H

#include <cstdint>
#include <cstring>

#include "vyrapi.h"

// Script-marker mode with comments and blank lines removed and the usual
// markers: "$[" "]$", "//" "/*" "*/", "%PROTECT" "%ENDPROTECT".  moreMask
// adds the mask bits of the fields the caller fills in itself (callback,
// user data, include path, ...).
inline VYROPTIONS scriptOptions(uint32_t moreMask = 0) {
    VYROPTIONS o;
    std::memset(&o, 0, sizeof o);
    o.cbSize = sizeof o;
    o.fMask = VYROF_FLAGS | VYROF_SUBLINES | VYROF_COMMENTS | VYROF_PROTECT | moreMask;
    o.fFlags = VYRO_NOCOMMENTS | VYRO_NOBLANKLINES | VYRO_XLATSUBLINES;
    o.lpszSubLineBegin = "$[";
    o.lpszSubLineEnd = "]$";
    o.lpszCommentMark = "//";
    o.lpszCommentBegin = "/*";
    o.lpszCommentEnd = "*/";
    o.lpszProtectBegin = "%PROTECT";
    o.lpszProtectEnd = "%ENDPROTECT";
    return o;
}

#endif  // VYR_TEST_SCRIPT_OPTIONS_H

// Exports 4 to 12: engines, options, state and error messages.  No C++
// exception may leave these functions: each answers its failure value.
#include <new>

#include "core/engine.h"
#include "vyrapi.h"

extern "C" {

VYREXPORT HVYR VYRAPI VyrCreate(const VYROPTIONS *lpOptions) {
    try {
        VyrEngine *engine = new VyrEngine();
        engine->setOptions(lpOptions);  // a null or wrongly sized record is ignored
        engine->registerStatements();
        return engine->handle();
    } catch (...) {
        return nullptr;
    }
}

VYREXPORT int32_t VYRAPI VyrDestroy(HVYR hVyr) {
    delete VyrEngine::fromHandle(hVyr);
    return 1;
}

VYREXPORT int32_t VYRAPI VyrInterpret(HVYR hVyr, const char *lpszScript) {
    if (hVyr == nullptr) return 0;
    try {
        return VyrEngine::fromHandle(hVyr)->interpretFile(lpszScript, 0, 0);
    } catch (...) {
        VyrEngine::fromHandle(hVyr)->setErrorCode(kErrOpenInput);
        return 0;
    }
}

VYREXPORT int32_t VYRAPI VyrSetOptions(HVYR hVyr, const VYROPTIONS *lpOptions) {
    return hVyr ? VyrEngine::fromHandle(hVyr)->setOptions(lpOptions) : 0;
}

VYREXPORT int32_t VYRAPI VyrGetOptions(HVYR hVyr, VYROPTIONS *lpOptions) {
    return hVyr ? VyrEngine::fromHandle(hVyr)->getOptions(lpOptions) : 0;
}

VYREXPORT int32_t VYRAPI VyrGetState(HVYR hVyr, VYRSTATE *lpState) {
    return hVyr && VyrEngine::fromHandle(hVyr)->fillState(lpState, nullptr) ? 1 : 0;
}

VYREXPORT int32_t VYRAPI VyrGetError(HVYR hVyr) {
    return hVyr && VyrEngine::fromHandle(hVyr)->errorCode() != kErrNone ? 1 : 0;
}

VYREXPORT int32_t VYRAPI VyrSetErrMessage(HVYR hVyr, VYRERROR *lpError) {
    return hVyr ? VyrEngine::fromHandle(hVyr)->setErrMessage(lpError) : 0;
}

VYREXPORT int32_t VYRAPI VyrGetErrMessage(HVYR hVyr, VYRERROR *lpError) {
    return hVyr ? VyrEngine::fromHandle(hVyr)->getErrMessage(lpError) : 0;
}

}  // extern "C"

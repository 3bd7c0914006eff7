// The global library and exports 75 to 81 (symbols, functions, arguments).
#include "values/library.h"

#include "core/symbols.h"
#include "vyrapi.h"

namespace {
VyrGlobalLibrary *g_library = nullptr;
}

VyrGlobalLibrary *vyrGlobalLibrary() { return g_library; }

void vyrBuildGlobalLibrary() {
    vyrFreeGlobalLibrary();
    g_library = new VyrGlobalLibrary();
    vyrRegisterBuiltins(*g_library);
}

void vyrFreeGlobalLibrary() {
    delete g_library;
    g_library = nullptr;
}

extern "C" {

VYREXPORT int32_t VYRAPI VyrAddSymbol(const char *lpszName, HVYRITEM hItem) {
    if (g_library == nullptr || hItem == nullptr) return 0;
    g_library->symbols.addNode(new VyrNamedItem(lpszName ? lpszName : "", *reinterpret_cast<VyrItem *>(hItem)));
    return 1;
}

VYREXPORT int32_t VYRAPI VyrRemoveSymbol(const char *lpszName) {
    if (g_library == nullptr) return 0;
    VyrNamedItem *symbol = g_library->symbols.find(lpszName);
    return symbol && g_library->symbols.remove(symbol) ? 1 : 0;
}

VYREXPORT HVYR VYRAPI VyrArgsGetHandle(HVYRARGS hArgs) { return hArgs ? vyrArgs(hArgs)->engine : nullptr; }

VYREXPORT HVYRITEM VYRAPI VyrArgsGetFirst(HVYRARGS hArgs) {
    if (hArgs == nullptr) return nullptr;
    VyrNode *n = vyrArgs(hArgs)->walkFirst();
    return n ? reinterpret_cast<HVYRITEM>(static_cast<VyrArgNode *>(n)->item) : nullptr;
}

VYREXPORT HVYRITEM VYRAPI VyrArgsGetNext(HVYRARGS hArgs) {
    if (hArgs == nullptr) return nullptr;
    VyrNode *n = vyrArgs(hArgs)->walkNext();
    return n ? reinterpret_cast<HVYRITEM>(static_cast<VyrArgNode *>(n)->item) : nullptr;
}

VYREXPORT int32_t VYRAPI VyrAddFunction(const char *lpszName, VYRFUNCTION lpfnFunction) {
    if (g_library == nullptr) return 0;
    const char *name = lpszName ? lpszName : "";
    if (VyrHashEntry *old = g_library->functions.find(name)) g_library->functions.remove(old);
    g_library->functions.adopt(new VyrHostEntry(name, lpfnFunction));
    return 1;
}

VYREXPORT int32_t VYRAPI VyrRemoveFunction(const char *lpszName) {
    if (g_library == nullptr) return 0;
    VyrHashEntry *entry = g_library->functions.find(lpszName ? lpszName : "");
    if (entry == nullptr) return 0;
    g_library->functions.remove(entry);
    return 1;
}

}  // extern "C"

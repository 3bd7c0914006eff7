// Exports 82 to 94: the driver list and the type registry.  No C++
// exception leaves them; a handle that is not a listed driver answers the
// failure value.
#include "platform/platform.h"
#include "types/drivers.h"
#include "types/registry.h"
#include "values/item.h"
#include "vyrapi.h"

namespace {

template <typename R, typename F>
R guarded(R failure, F &&body) {
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

VyrDriver *listedDriver(HVYRDRIVER handle) {
    return vyrIsDriver(handle) ? reinterpret_cast<VyrDriver *>(handle) : nullptr;
}

HVYRDRIVER driverHandle(VyrNode *node) { return reinterpret_cast<HVYRDRIVER>(static_cast<VyrDriver *>(node)); }

HVYRTYPE typeHandle(VyrNode *node) { return reinterpret_cast<HVYRTYPE>(static_cast<VyrRegType *>(node)); }

VyrRegType *regType(HVYRTYPE handle) { return reinterpret_cast<VyrRegType *>(handle); }

}  // namespace

extern "C" {

VYREXPORT HVYRDRIVER VYRAPI VyrDriverLoad(const char *lpszName) {
    return guarded<HVYRDRIVER>(nullptr, [&] { return driverHandle(vyrDriverLoad(lpszName)); });
}

VYREXPORT int32_t VYRAPI VyrDriverFree(HVYRDRIVER hDriver) {
    VyrDriver *driver = listedDriver(hDriver);
    if (driver == nullptr) return 0;
    return guarded<int32_t>(0, [&] {
        vyrDrivers().unlink(driver);
        return 1;
    });
}

VYREXPORT HVYRDRIVER VYRAPI VyrDriverGetFirst(void) { return driverHandle(vyrDrivers().walkFirst()); }

VYREXPORT HVYRDRIVER VYRAPI VyrDriverGetNext(void) { return driverHandle(vyrDrivers().walkNext()); }

VYREXPORT const char *VYRAPI VyrDriverGetName(HVYRDRIVER hDriver) {
    VyrDriver *driver = listedDriver(hDriver);
    return driver ? driver->name.c_str() : nullptr;
}

VYREXPORT void *VYRAPI VyrDriverGetTypes(HVYRDRIVER hDriver) {
    VyrDriver *driver = listedDriver(hDriver);
    return driver && driver->regTypes ? driver->regTypes() : nullptr;
}

VYREXPORT int32_t VYRAPI VyrDriverSetup(HVYRDRIVER hDriver, VYRHWND hwndOwner) {
    VyrDriver *driver = listedDriver(hDriver);
    if (driver == nullptr || driver->regSetup == nullptr) return 0;
    // A host learns whether the driver has a setup dialog by passing no
    // window: the dialog is shown only for a real owner.
    if (!plat::isWindow(hwndOwner)) return 1;
    return driver->regSetup(hwndOwner);
}

VYREXPORT HVYRTYPE VYRAPI VyrTypeGetFirst(void) { return typeHandle(vyrRegTypes().walkFirst()); }

VYREXPORT HVYRTYPE VYRAPI VyrTypeGetNext(void) { return typeHandle(vyrRegTypes().walkNext()); }

VYREXPORT const char *VYRAPI VyrTypeGetName(HVYRTYPE hType) { return hType ? regType(hType)->name.c_str() : nullptr; }

VYREXPORT int32_t VYRAPI VyrTypeCallProc(HVYRTYPE hType, VYRHWND hwndOwner, int32_t nCommand, HVYRITEM hItem,
                                         int32_t nReserved) {
    // An unregistered type has lost its procedure.
    VyrRegType *type = regType(hType);
    if (type == nullptr || type->proc == nullptr) return 0;
    return type->proc(hwndOwner, nCommand, hItem, nReserved);
}

VYREXPORT HVYRTYPE VYRAPI VyrGetRegType(const char *lpszName) { return typeHandle(vyrFindRegType(lpszName)); }

VYREXPORT HVYRTYPE VYRAPI VyrItemGetRegType(HVYRITEM hItem) {
    return hItem ? typeHandle(vyrLiveRegType(vyrItem(hItem)->regType())) : nullptr;
}

}  // extern "C"

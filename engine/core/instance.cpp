// Process initialisation and shut-down (exports 1 to 3).  The first
// VyrInitInstance builds the process-wide tables; the last VyrFreeInstance
// frees them in reverse order.
#include "core/instance.h"

#include "platform/platform.h"
#include "types/drivers.h"
#include "values/library.h"
#include "vyrapi.h"

namespace {
int32_t g_instanceCount = 0;
}

int32_t vyrInstanceCount() { return g_instanceCount; }

extern "C" {

VYREXPORT int32_t VYRAPI VyrInitInstance(void) {
    if (g_instanceCount++ == 0) {
        // The global library first: a driver registers its host functions
        // while it is being loaded.
        try {
            vyrBuildGlobalLibrary();
        } catch (...) {
            vyrFreeGlobalLibrary();
        }
        try {
            vyrLoadDriverList();
        } catch (...) {
        }
    }
    return 1;
}

VYREXPORT int32_t VYRAPI VyrFreeInstance(void) {
    if (g_instanceCount > 0 && --g_instanceCount == 0) {
        // Drivers go before the global library, whose functions they remove.
        try {
            vyrSaveAndFreeDriverList();
        } catch (...) {
        }
        vyrFreeGlobalLibrary();
    }
    return 1;
}

VYREXPORT void *VYRAPI VyrGetInstance(void) { return plat::moduleHandle(); }

}  // extern "C"

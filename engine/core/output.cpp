// Output files and protected regions.
#include "core/engine.h"

bool VyrInterpreter::executeOutput(int32_t mode) {
    (void)mode;
    return false;
}

bool VyrInterpreter::executeProtect() { return true; }

bool VyrInterpreter::executeEndProtect() { return true; }

void VyrInterpreter::finishOutput() {}

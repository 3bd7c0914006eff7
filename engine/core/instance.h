// instance.h - process-wide state of the engine library: the instance count
// of VyrInitInstance/VyrFreeInstance and the tables shared by all engines.
#ifndef VYR_INSTANCE_H
#define VYR_INSTANCE_H

#include <cstdint>

// Number of VyrInitInstance calls not yet balanced by VyrFreeInstance.
int32_t vyrInstanceCount();

#endif  // VYR_INSTANCE_H

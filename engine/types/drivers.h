// drivers.h - the process-wide list of type drivers.
//
// A type driver is a shared library exporting VyrRegTypes (a registration
// block of type names and procedures) and optionally VyrRegSetup (its setup
// dialog).  The list is read from the engine settings file at the first
// VyrInitInstance and written back at the last VyrFreeInstance.
#ifndef VYR_DRIVERS_H
#define VYR_DRIVERS_H

#include <cstdint>
#include <string>
#include <vector>

#include "types/registry.h"
#include "vyrapi.h"
#include "vyrnode.h"
#include "vyrstring.h"

typedef VYRREGTYPES VyrRegTypesProc;
typedef VYRREGSETUP VyrRegSetupProc;

// One loaded driver.  The record in the list owns the module: destroying it
// unregisters the driver's types and releases the library.
struct VyrDriver : VyrNode {
    // The name it was loaded by, then the full path of the loaded module.
    VyrString name;
    void *module = nullptr;
    bool owner = false;
    VyrRegTypesProc regTypes = nullptr;
    VyrRegSetupProc regSetup = nullptr;
    // Every type name this driver registered, so its types go with its
    // module even when VyrRegTypes yields no block at unload.
    std::vector<std::string> typeNames;

    explicit VyrDriver(const char *driverName) : name(driverName) {}
    // A copy never owns the module.
    VyrDriver(const VyrDriver &other);
    ~VyrDriver() override { unload(); }
    VyrNode *clone() const override { return new VyrDriver(*this); }

    // Loads the library and registers its types.  Shows message 1004 and
    // returns false when it cannot be used.
    bool load();
    // Unregisters the driver's types and releases the library (only when
    // this record owns it).
    void unload();
};

// A registration block read into memory: names and procedures.
struct VyrTypeEntry {
    std::string name;
    VyrTypeProc proc;
};
// Reads a block handed over by a driver and frees it.  False when there is
// no block or it cannot be locked.  Entries beyond the block's size and a
// negative count are ignored; names are cut at 32 characters.
bool vyrReadRegBlock(void *block, std::vector<VyrTypeEntry> &entries);

// The driver list.
VyrNodeList &vyrDrivers();

// The engine settings file: the engine library's path with everything from
// its last "." replaced by ".ini" (on systems whose libraries carry a "lib"
// prefix the prefix is dropped, so the file is vyrapi32.ini everywhere).
std::string vyrSettingsPath(const std::string &modulePath);

// First VyrInitInstance: frees an old list (saving it), empties the type
// registry, and loads the drivers named in the settings file.
void vyrLoadDriverList();
// Last VyrFreeInstance: writes the list to the settings file, frees every
// driver first to last, then empties the type registry.
void vyrSaveAndFreeDriverList();

// VyrDriverLoad: null (after message 1005 or 1004) when the name is already
// listed or the driver cannot be loaded.
VyrDriver *vyrDriverLoad(const char *name);
// True when the handle is one of the listed drivers (does not move the
// list's cursor).
bool vyrIsDriver(const void *handle);

#endif  // VYR_DRIVERS_H

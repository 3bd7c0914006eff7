// registry.h - the process-wide registry of types that type drivers add.
//
// A registered type is a name (exact, case-sensitive) and the driver's type
// procedure.  Items link to a record without owning it.  A record is never
// freed while the process runs: when its type is unregistered (its driver
// freed, or the registry destroyed at shut-down) the record leaves the
// registry, loses its procedure and waits, so an item still linked to it
// never follows a dangling pointer.  Such an item counts as untyped.  When a
// type of that name is registered again, the waiting record comes back with
// the new procedure and the items linked to it are typed again.
#ifndef VYR_REGISTRY_H
#define VYR_REGISTRY_H

#include <cstdint>

#include "vyrapi.h"
#include "vyrnode.h"
#include "vyrstring.h"

// Commands of a type procedure.
enum : int32_t { kTypeCreate = 1, kTypeReset = 2, kTypeEdit = 3 };

// The longest type name a registration block holds.
constexpr int32_t kMaxTypeName = 32;

// A type procedure: owner window (null when the engine calls), command, the
// item concerned, a reserved 0.  Non-zero when the command was handled.
typedef VYRTYPEPROC VyrTypeProc;

// 8-byte aligned on every target: items keep their type in the low bits of
// their link to a registered type.
struct alignas(8) VyrRegType : VyrNode {
    VyrString name;
    VyrTypeProc proc = nullptr;
    // False once the type has been unregistered (the record then waits
    // outside the registry; see above).
    bool registered = true;

    VyrRegType(const char *typeName, VyrTypeProc procedure) : name(typeName), proc(procedure) {}
    VyrRegType(const VyrRegType &) = default;
    VyrNode *clone() const override { return new VyrRegType(*this); }
};

// The registry itself, in registration order.
VyrNodeList &vyrRegTypes();

// The type with exactly that name, or null.  Moves the registry's cursor.
VyrRegType *vyrFindRegType(const char *name);

// The type an item may be created with or bound to: a registered type of
// exactly that name that has a procedure.  Null for a null or blank name, an
// unknown one, or a type without a procedure.
VyrRegType *vyrUsableRegType(const char *name);

// Registers a type: a registered type of exactly that name gets the new
// procedure (the record and every link to it stay); otherwise the type is
// appended.  Returns the record, or null for a null or empty name.
VyrRegType *vyrRegisterType(const char *name, VyrTypeProc proc);

// Unregisters the type of exactly that name, if there is one.
void vyrUnregisterType(const char *name);

// Unregisters every type (the registry is then empty).
void vyrClearRegTypes();

// The link as the outside sees it: the record while its type is
// registered, null once it has been unregistered.
inline VyrRegType *vyrLiveRegType(VyrRegType *type) { return type && type->registered ? type : nullptr; }

#endif  // VYR_REGISTRY_H

// registry.h - the process-wide registry of types that type drivers add.
//
// A registered type is a name (exact, case-sensitive) and the driver's type
// procedure.  Items link to a record without owning it.
#ifndef VYR_REGISTRY_H
#define VYR_REGISTRY_H

#include <cstdint>

#include "vyrapi.h"
#include "vyrnode.h"
#include "vyrstring.h"

// Commands of a type procedure.
enum : int32_t { kTypeCreate = 1, kTypeReset = 2, kTypeEdit = 3 };

// A type procedure: owner window (null when the engine calls), command, the
// item concerned, a reserved 0.  Non-zero when the command was handled.
typedef int32_t(VYRAPI *VyrTypeProc)(VYRHWND owner, int32_t command, HVYRITEM item, int32_t reserved);

struct VyrRegType : VyrNode {
    VyrString name;
    VyrTypeProc proc = nullptr;

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

#endif  // VYR_REGISTRY_H

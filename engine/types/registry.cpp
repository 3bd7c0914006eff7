#include "types/registry.h"

#include <cstring>

namespace {
// Records of unregistered types, kept for the links items may still hold.
VyrNodeList &retiredTypes() {
    static VyrNodeList types;
    return types;
}

VyrRegType *findIn(VyrNodeList &list, const char *name) {
    for (VyrNode *n = list.walkFirst(); n; n = list.walkNext()) {
        VyrRegType *type = static_cast<VyrRegType *>(n);
        if (std::strcmp(type->name.c_str(), name) == 0) return type;
    }
    return nullptr;
}

void retire(VyrRegType *type) {
    vyrRegTypes().detach(type);
    type->proc = nullptr;
    type->registered = false;
    retiredTypes().appendNode(type);
}
}  // namespace

VyrNodeList &vyrRegTypes() {
    static VyrNodeList types;
    return types;
}

VyrRegType *vyrFindRegType(const char *name) {
    if (name == nullptr) return nullptr;
    return findIn(vyrRegTypes(), name);
}

VyrRegType *vyrUsableRegType(const char *name) {
    if (name == nullptr || VyrString(name).isBlank()) return nullptr;
    VyrRegType *type = vyrFindRegType(name);
    return type && type->proc ? type : nullptr;
}

VyrRegType *vyrRegisterType(const char *name, VyrTypeProc proc) {
    if (name == nullptr || *name == '\0') return nullptr;
    VyrRegType *type = vyrFindRegType(name);
    if (type == nullptr) {
        type = findIn(retiredTypes(), name);
        if (type != nullptr) {
            retiredTypes().detach(type);
            type->registered = true;
        } else {
            type = new VyrRegType(name, nullptr);
        }
        vyrRegTypes().appendNode(type);
    }
    type->proc = proc;
    return type;
}

void vyrUnregisterType(const char *name) {
    if (VyrRegType *type = vyrFindRegType(name)) retire(type);
}

void vyrClearRegTypes() {
    VyrNodeList &types = vyrRegTypes();
    while (types.first) retire(static_cast<VyrRegType *>(types.first));
}

#include "types/registry.h"

VyrNodeList &vyrRegTypes() {
    static VyrNodeList types;
    return types;
}

VyrRegType *vyrFindRegType(const char *name) {
    if (name == nullptr) return nullptr;
    VyrNodeList &types = vyrRegTypes();
    for (VyrNode *n = types.walkFirst(); n; n = types.walkNext()) {
        VyrRegType *type = static_cast<VyrRegType *>(n);
        if (type->name.compare(name) == 0) return type;
    }
    return nullptr;
}

VyrRegType *vyrUsableRegType(const char *name) {
    if (name == nullptr || VyrString(name).isBlank()) return nullptr;
    VyrRegType *type = vyrFindRegType(name);
    return type && type->proc ? type : nullptr;
}

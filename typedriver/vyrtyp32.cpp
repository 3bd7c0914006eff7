// The default type driver: the types Bool, Font, Color, Dialog and Control,
// their registration block, and the host function WinExec.  Uses only the
// engine's exported interface (and the platform layer to start programs).
#include "vyrtyp32.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"

namespace {

int32_t g_dialogCounter = 0;
int32_t g_controlCounter = 0;
uint32_t g_customColors[16];
bool g_attached = false;

const char *const kStyles[] = {"Regular", "Italic", "Bold", "Bold Italic"};

struct TypeEntry {
    const char *name;
    VYRTYPEPROC proc;
};
const TypeEntry kTypes[] = {
    {"Bool", VyrTypesBoolProc},       {"Font", VyrTypesFontProc},       {"Color", VyrTypesColorProc},
    {"Dialog", VyrTypesDialogProc},   {"Control", VyrTypesControlProc},
};
constexpr int32_t kTypeCount = static_cast<int32_t>(sizeof kTypes / sizeof kTypes[0]);

// Stores a fresh object in the item, bound to the type.
void storeObject(HVYRITEM item, HVYROBJECT object, const char *type) {
    VyrItemSetObj(item, object, type);
    VyrObjectDelete(object);
}

void setEmptyList(HVYROBJECT object, const char *member) {
    HVYRLIST list = VyrListCreate();
    VyrSetMemberList(object, member, list);
    VyrListDelete(list);
}

void setFontStyle(HVYROBJECT object) {
    if (VyrSetMemberSel(object, "Style", 0)) return;
    // Missing or not a list: put the list of styles back.
    HVYRLIST styles = VyrListCreate();
    for (const char *s : kStyles) VyrListAddStr(styles, s);
    VyrSetMemberList(object, "Style", styles);
    VyrListDelete(styles);
}

void resetFont(HVYROBJECT font) {
    VyrSetObjectName(font, "MS Sans Serif 8");
    VyrSetMemberStr(font, "Name", "MS Sans Serif");
    VyrSetMemberNum(font, "Size", 8);
    setFontStyle(font);
}

void resetColor(HVYROBJECT color) {
    VyrSetObjectName(color, "RGB(0,0,0)");
    VyrSetMemberNum(color, "Red", 0);
    VyrSetMemberNum(color, "Green", 0);
    VyrSetMemberNum(color, "Blue", 0);
}

void resetGeometry(HVYROBJECT object) {
    VyrSetMemberNum(object, "X", 0);
    VyrSetMemberNum(object, "Y", 0);
    VyrSetMemberNum(object, "Width", 0);
    VyrSetMemberNum(object, "Height", 0);
}

// The object's name, copied: setting a member may move the object's text.
std::string objectName(HVYROBJECT object) {
    const char *name = VyrGetObjectName(object);
    return name ? name : "";
}

}  // namespace

void vyrTypesAttach(void *) {
    for (int i = 0; i < 16; ++i) {
        uint32_t grey = static_cast<uint32_t>((i + 1) * 15);
        g_customColors[i] = grey | (grey << 8) | (grey << 16);
    }
    g_dialogCounter = 0;
    g_controlCounter = 0;
    VyrAddFunction("WinExec", VyrFuncWinExec);
    g_attached = true;
}

void vyrTypesDetach() {
    if (!g_attached) return;
    VyrRemoveFunction("WinExec");
    g_attached = false;
}

uint32_t *vyrCustomColors() { return g_customColors; }

#ifndef _WIN32
// The library's start and end on systems without a DLL entry point.
__attribute__((constructor)) static void libraryStart() { vyrTypesAttach(nullptr); }
__attribute__((destructor)) static void libraryEnd() { vyrTypesDetach(); }

// No editors here: the edit command answers "no editor".
int32_t vyrEditFont(VYRHWND, HVYRITEM) { return 0; }
int32_t vyrEditColor(VYRHWND, HVYRITEM) { return 0; }
#endif

extern "C" {

VYRTYPEXPORT void *VYRAPI VyrRegTypes(void) {
    void *block = plat::blockAlloc(VYR_REGBLOCK_SIZE(kTypeCount));
    if (block == nullptr) return nullptr;
    unsigned char *bytes = static_cast<unsigned char *>(plat::blockLock(block));
    if (bytes == nullptr) {
        plat::blockFree(block);
        return nullptr;
    }
    // Packed entries: written byte-wise, with no alignment assumed.
    std::memcpy(bytes, &kTypeCount, sizeof kTypeCount);
    for (int32_t i = 0; i < kTypeCount; ++i) {
        unsigned char *entry = bytes + sizeof(int32_t) + static_cast<size_t>(i) * sizeof(VYRREGENTRY);
        std::strncpy(reinterpret_cast<char *>(entry), kTypes[i].name, VYR_TYPENAME_SIZE - 1);
        std::memcpy(entry + VYR_TYPENAME_SIZE, &kTypes[i].proc, sizeof(VYRTYPEPROC));
    }
    plat::blockUnlock(block);
    return block;
}

VYRTYPEXPORT int32_t VYRAPI VyrFuncWinExec(HVYRARGS hArgs, HVYRITEM hResult) {
    HVYRITEM command = VyrArgsGetFirst(hArgs);
    if (!VyrItemIsStr(command)) return 0;
    HVYRITEM show = VyrArgsGetNext(hArgs);
    int32_t showMode = show && VyrItemIsNum(show) ? VyrItemGetNum(show) : 1;
    int32_t started = plat::runCommand(VyrItemGetStr(command), showMode);
    VyrItemSetNum(hResult, started > 32 ? 1 : 0);
    return 1;
}

VYRTYPEXPORT int32_t VYRAPI VyrTypesBoolProc(VYRHWND, int32_t nCommand, HVYRITEM hItem, int32_t) {
    switch (nCommand) {
    case VYRTC_CREATE: {
        HVYRLIST list = VyrListCreate();
        VyrListAddStr(list, "False");
        VyrListAddStr(list, "True");
        VyrItemSetList(hItem, list);
        VyrListDelete(list);
        return 1;
    }
    case VYRTC_RESET:
        return VyrListSetSel(VyrItemGetList(hItem), 0) ? 1 : 0;
    default:
        return 0;
    }
}

VYRTYPEXPORT int32_t VYRAPI VyrTypesFontProc(VYRHWND hwndOwner, int32_t nCommand, HVYRITEM hItem, int32_t) {
    switch (nCommand) {
    case VYRTC_CREATE: {
        HVYROBJECT font = VyrObjectCreate("MS Sans Serif 8");
        resetFont(font);
        storeObject(hItem, font, "Font");
        return 1;
    }
    case VYRTC_RESET: {
        HVYROBJECT font = VyrItemGetObj(hItem);
        if (font == nullptr) return 0;
        resetFont(font);
        return 1;
    }
    case VYRTC_EDIT:
        return vyrEditFont(hwndOwner, hItem);
    default:
        return 0;
    }
}

VYRTYPEXPORT int32_t VYRAPI VyrTypesColorProc(VYRHWND hwndOwner, int32_t nCommand, HVYRITEM hItem, int32_t) {
    switch (nCommand) {
    case VYRTC_CREATE: {
        HVYROBJECT color = VyrObjectCreate("RGB(0,0,0)");
        resetColor(color);
        storeObject(hItem, color, "Color");
        return 1;
    }
    case VYRTC_RESET: {
        HVYROBJECT color = VyrItemGetObj(hItem);
        if (color == nullptr) return 0;
        resetColor(color);
        return 1;
    }
    case VYRTC_EDIT:
        return vyrEditColor(hwndOwner, hItem);
    default:
        return 0;
    }
}

VYRTYPEXPORT int32_t VYRAPI VyrTypesDialogProc(VYRHWND, int32_t nCommand, HVYRITEM hItem, int32_t) {
    switch (nCommand) {
    case VYRTC_CREATE: {
        char name[32];
        std::snprintf(name, sizeof name, "Dialog%d", static_cast<int>(++g_dialogCounter));
        HVYROBJECT dialog = VyrObjectCreate(name);
        VyrSetMemberStr(dialog, "Title", name);
        resetGeometry(dialog);
        VyrSetMemberNum(dialog, "Result", 0);
        storeObject(hItem, dialog, "Dialog");
        return 1;
    }
    case VYRTC_RESET: {
        HVYROBJECT dialog = VyrItemGetObj(hItem);
        if (dialog == nullptr) return 0;
        VyrSetMemberStr(dialog, "Title", objectName(dialog).c_str());
        resetGeometry(dialog);
        VyrSetMemberNum(dialog, "Result", 0);
        return 1;
    }
    default:
        return 0;
    }
}

VYRTYPEXPORT int32_t VYRAPI VyrTypesControlProc(VYRHWND, int32_t nCommand, HVYRITEM hItem, int32_t) {
    HVYROBJECT control = nullptr;
    const char *type = "PushButton";
    std::string name;
    switch (nCommand) {
    case VYRTC_CREATE: {
        char created[32];
        std::snprintf(created, sizeof created, "Control%d", static_cast<int>(++g_controlCounter));
        name = created;
        control = VyrObjectCreate(created);
        type = "Text";
        break;
    }
    case VYRTC_RESET:
        control = VyrItemGetObj(hItem);
        if (control == nullptr) return 0;
        name = objectName(control);
        break;
    default:
        return 0;
    }
    VyrSetMemberStr(control, "Type", type);
    VyrSetMemberStr(control, "Text", name.c_str());
    resetGeometry(control);
    VyrSetMemberNum(control, "Id", -1);
    VyrSetMemberNum(control, "Select", 0);
    setEmptyList(control, "Items");
    if (nCommand == VYRTC_CREATE) storeObject(hItem, control, "Control");
    return 1;
}

}  // extern "C"

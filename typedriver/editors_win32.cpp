// The default driver's Windows parts: the library entry point, the Font and
// Color editors (the system's font and colour dialogs) and the About Driver
// dialog shown as the driver's setup dialog.
#include <windows.h>
#include <commdlg.h>
#include <winspool.h>

#include <cstdio>
#include <string>

#include "vyrtyp32.h"
#include "vyrtyp32_res.h"

namespace {

HINSTANCE g_instance = nullptr;

std::string memberText(HVYROBJECT object, const char *member) {
    const char *text = VyrGetMemberStr(object, member);
    return text ? text : "";
}

HDC defaultPrinterDC() {
    char name[512];
    DWORD size = sizeof name;
    if (!GetDefaultPrinterA(name, &size)) return nullptr;
    return CreateDCA(nullptr, name, nullptr, nullptr);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        DisableThreadLibraryCalls(instance);
        vyrTypesAttach(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        vyrTypesDetach();
        g_instance = nullptr;
    }
    return TRUE;
}

int32_t vyrEditFont(VYRHWND owner, HVYRITEM item) {
    HVYROBJECT font = VyrItemGetObj(item);
    if (font == nullptr) return 0;
    std::string face = memberText(font, "Name");
    int32_t size = VyrGetMemberNum(font, "Size");
    int32_t style = VyrGetMemberSel(font, "Style");

    LOGFONTA lf = {};
    HDC screen = GetDC(nullptr);
    int32_t pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    // Integer division truncates toward zero, as the font height wants.
    lf.lfHeight = -(pixelsPerInch * size) / 72;
    lf.lfWeight = style >= 2 ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (style == 1 || style == 3) ? TRUE : FALSE;
    // A longer name is cut to the description's 31 characters.
    lstrcpynA(lf.lfFaceName, face.c_str(), LF_FACESIZE);

    CHOOSEFONTA cf = {};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = owner;
    cf.lpLogFont = &lf;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    // Printer fonts come from the default printer's device context; without
    // a printer the dialog would not open at all, so only screen fonts are
    // listed then.
    HDC printer = defaultPrinterDC();
    if (printer != nullptr) {
        cf.Flags |= CF_PRINTERFONTS;
        cf.hDC = printer;
    }
    // Only TRUE is a choice: a dialog that could not be shown may answer -1.
    BOOL chosen = ChooseFontA(&cf) == TRUE;
    if (printer != nullptr) DeleteDC(printer);
    if (chosen) {
        char name[LF_FACESIZE + 16];
        int32_t points = cf.iPointSize / 10;
        VyrSetMemberStr(font, "Name", lf.lfFaceName);
        VyrSetMemberNum(font, "Size", points);
        VyrSetMemberSel(font, "Style", (lf.lfItalic ? 1 : 0) + (lf.lfWeight > FW_NORMAL ? 2 : 0));
        std::snprintf(name, sizeof name, "%s %d", lf.lfFaceName, static_cast<int>(points));
        VyrSetObjectName(font, name);
    }
    return 1;
}

int32_t vyrEditColor(VYRHWND owner, HVYRITEM item) {
    HVYROBJECT color = VyrItemGetObj(item);
    if (color == nullptr) return 0;
    // Each component is taken modulo 256.
    BYTE red = static_cast<BYTE>(VyrGetMemberNum(color, "Red"));
    BYTE green = static_cast<BYTE>(VyrGetMemberNum(color, "Green"));
    BYTE blue = static_cast<BYTE>(VyrGetMemberNum(color, "Blue"));

    CHOOSECOLORA cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner;
    cc.rgbResult = RGB(red, green, blue);
    cc.lpCustColors = reinterpret_cast<COLORREF *>(vyrCustomColors());
    cc.Flags = CC_RGBINIT;
    if (ChooseColorA(&cc) == TRUE) {
        char name[48];
        int r = GetRValue(cc.rgbResult), g = GetGValue(cc.rgbResult), b = GetBValue(cc.rgbResult);
        VyrSetMemberNum(color, "Red", r);
        VyrSetMemberNum(color, "Green", g);
        VyrSetMemberNum(color, "Blue", b);
        std::snprintf(name, sizeof name, "RGB(%d,%d,%d)", r, g, b);
        VyrSetObjectName(color, name);
    }
    return 1;
}

extern "C" {

INT_PTR CALLBACK SetupDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_BUILDDATE, __DATE__ "  " __TIME__);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) EndDialog(dialog, 1);
        else if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

int32_t VYRAPI VyrRegSetup(VYRHWND hwndOwner) {
    INT_PTR result = DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_ABOUTDRIVER), hwndOwner, SetupDlgProc, 0);
    return result == 1 ? 1 : 0;
}

}  // extern "C"

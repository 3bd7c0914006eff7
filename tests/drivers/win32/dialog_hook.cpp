// Windows half of the driver test helpers: a CBT hook that sees every
// dialog box of the thread become active and runs the test's steps on it
// from a timer inside the dialog's modal loop.
#include <windows.h>

#include <string>
#include <vector>

#include "driver_env.h"

namespace {

HHOOK g_hook = nullptr;
std::function<void(void *)> g_handler;
std::vector<std::string> g_messages;
const char kHandled[] = "VyrTestHandled";

void CALLBACK onTimer(HWND dialog, UINT, UINT_PTR id, DWORD) {
    KillTimer(dialog, id);
    if (g_handler) g_handler(dialog);
}

LRESULT CALLBACK cbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char cls[32] = "";
        GetClassNameA(window, cls, sizeof cls);
        if (std::string(cls) == "#32770" && !GetPropA(window, kHandled)) {
            SetPropA(window, kHandled, reinterpret_cast<HANDLE>(1));
            SetTimer(window, 0x7654, 0, onTimer);
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

BOOL CALLBACK collectStatic(HWND child, LPARAM lParam) {
    char cls[32] = "", text[2048] = "";
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    if (lstrcmpiA(cls, "Static") == 0 && text[0] != '\0')
        reinterpret_cast<std::vector<std::string> *>(lParam)->push_back(text);
    return TRUE;
}

}  // namespace

void onDialog(std::function<void(void *dialog)> handler) {
    g_handler = std::move(handler);
    if (g_handler && g_hook == nullptr) {
        g_hook = SetWindowsHookExA(WH_CBT, cbtHook, nullptr, GetCurrentThreadId());
    } else if (!g_handler && g_hook != nullptr) {
        UnhookWindowsHookEx(g_hook);
        g_hook = nullptr;
    }
}

void beginMessages() {
    g_messages.clear();
    onDialog([](void *d) {
        HWND dialog = static_cast<HWND>(d);
        char title[64] = "";
        GetWindowTextA(dialog, title, sizeof title);
        if (std::string(title) != "Vyr Message") return;
        std::vector<std::string> texts;
        EnumChildWindows(dialog, collectStatic, reinterpret_cast<LPARAM>(&texts));
        for (const std::string &t : texts) g_messages.push_back(folded(t));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
}

std::vector<std::string> endMessages() {
    onDialog(nullptr);
    return g_messages;
}

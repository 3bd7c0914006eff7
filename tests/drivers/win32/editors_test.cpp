// The default driver's Windows editors, driven through their dialogs: the
// system font and colour dialogs and the About Driver dialog.  A hook
// catches each dialog as it becomes active and acts on it from inside its
// modal loop.
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "driver_env.h"
#include "platform/platform.h"
#include "vyrapi.h"

namespace {

// Control ids of the system colour dialog's red, green and blue fields.
constexpr int kColorRed = 706, kColorGreen = 707, kColorBlue = 708;

std::string itemText(HWND dialog, int id) {
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::string windowText(HWND window) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Selects an entry of one of the font dialog's combo boxes as a user would.
bool selectInCombo(HWND dialog, int id, const char *text) {
    HWND combo = GetDlgItem(dialog, id);
    LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    if (index == CB_ERR) return false;
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    return true;
}

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::fileDelete(settingsFile().c_str());
        VyrInitInstance();
    }
    void TearDown() override {
        onDialog(nullptr);
        VyrFreeInstance();
        plat::fileDelete(settingsFile().c_str());
    }
    int32_t edit(const char *type, HVYRITEM item) {
        return VyrTypeCallProc(VyrGetRegType(type), nullptr, VYRTC_EDIT, item, 0);
    }
    int dialogs = 0;
};

TEST_F(EditorTest, CancellingTheFontDialogChangesNothing) {
    HVYRITEM font = VyrItemCreate("Font");
    onDialog([&](void *d) {
        HWND dialog = static_cast<HWND>(d);
        ++dialogs;
        // Something chosen, then cancelled.
        selectInCombo(dialog, cmb3, "12");
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(edit("Font", font), 1);
    EXPECT_EQ(dialogs, 1);
    HVYROBJECT f = VyrItemGetObj(font);
    EXPECT_STREQ(VyrGetObjectName(f), "MS Sans Serif 8");
    EXPECT_STREQ(VyrGetMemberStr(f, "Name"), "MS Sans Serif");
    EXPECT_EQ(VyrGetMemberNum(f, "Size"), 8);
    EXPECT_EQ(VyrGetMemberSel(f, "Style"), 0);
    EXPECT_EQ(VyrItemGetRegType(font), VyrGetRegType("Font"));
    VyrItemDelete(font);
}

TEST_F(EditorTest, ChoosingAFontWritesMembersAndName) {
    HVYRITEM font = VyrItemCreate("Font");
    std::string chosen;
    onDialog([&](void *d) {
        HWND dialog = static_cast<HWND>(d);
        ++dialogs;
        // Arial when the system has it, else the first face listed.
        if (selectInCombo(dialog, cmb1, "Arial")) {
            chosen = "Arial";
        } else {
            HWND combo = GetDlgItem(dialog, cmb1);
            char first[LF_FACESIZE] = "";
            SendMessageA(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
            chosen = first;
            selectInCombo(dialog, cmb1, first);
        }
        HWND styles = GetDlgItem(dialog, cmb2);
        // Bold italic is the last style the dialog offers for a face.
        LRESULT last = SendMessageA(styles, CB_GETCOUNT, 0, 0) - 1;
        SendMessageA(styles, CB_SETCURSEL, last, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb2, CBN_SELCHANGE), reinterpret_cast<LPARAM>(styles));
        if (!selectInCombo(dialog, cmb3, "12")) SetDlgItemTextA(dialog, cmb3, "12");
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(edit("Font", font), 1);
    EXPECT_EQ(dialogs, 1);
    HVYROBJECT f = VyrItemGetObj(font);
    EXPECT_STREQ(VyrGetMemberStr(f, "Name"), chosen.c_str());
    EXPECT_EQ(VyrGetMemberNum(f, "Size"), 12);
    EXPECT_EQ(VyrGetMemberSel(f, "Style"), 3);
    EXPECT_EQ(std::string(VyrGetObjectName(f)), chosen + " 12");
    EXPECT_EQ(VyrItemGetRegType(font), VyrGetRegType("Font"));
    VyrItemDelete(font);
}

TEST_F(EditorTest, TheColorDialogOpensOnTheLowBytesAndWritesTheChoice) {
    HVYRITEM color = VyrItemCreate("Color");
    HVYROBJECT c = VyrItemGetObj(color);
    VyrSetMemberNum(c, "Red", 300);
    VyrSetMemberNum(c, "Green", 256 + 7);
    VyrSetMemberNum(c, "Blue", 5);
    std::string red, green, blue;
    onDialog([&](void *d) {
        HWND dialog = static_cast<HWND>(d);
        ++dialogs;
        red = itemText(dialog, kColorRed);
        green = itemText(dialog, kColorGreen);
        blue = itemText(dialog, kColorBlue);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(edit("Color", color), 1);
    EXPECT_EQ(red, "44");
    EXPECT_EQ(green, "7");
    EXPECT_EQ(blue, "5");
    // Cancelled: nothing changed.
    EXPECT_EQ(VyrGetMemberNum(c, "Red"), 300);
    EXPECT_STREQ(VyrGetObjectName(c), "RGB(0,0,0)");

    onDialog([&](void *d) {
        HWND dialog = static_cast<HWND>(d);
        ++dialogs;
        SetDlgItemInt(dialog, kColorRed, 10, FALSE);
        SetDlgItemInt(dialog, kColorGreen, 20, FALSE);
        SetDlgItemInt(dialog, kColorBlue, 30, FALSE);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(edit("Color", color), 1);
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(VyrGetMemberNum(c, "Red"), 10);
    EXPECT_EQ(VyrGetMemberNum(c, "Green"), 20);
    EXPECT_EQ(VyrGetMemberNum(c, "Blue"), 30);
    EXPECT_STREQ(VyrGetObjectName(c), "RGB(10,20,30)");
    VyrItemDelete(color);
}

TEST_F(EditorTest, TypesWithoutEditorAnswerZeroWithoutADialog) {
    onDialog([&](void *d) {
        ++dialogs;
        PostMessageA(static_cast<HWND>(d), WM_COMMAND, IDCANCEL, 0);
    });
    for (const char *type : {"Bool", "Dialog", "Control"}) {
        HVYRITEM item = VyrItemCreate(type);
        EXPECT_EQ(edit(type, item), 0) << type;
        VyrItemDelete(item);
    }
    // An item that holds no object is not edited either.
    HVYRITEM number = VyrItemCreate(nullptr);
    VyrItemSetNum(number, 1);
    EXPECT_EQ(edit("Font", number), 0);
    EXPECT_EQ(edit("Color", number), 0);
    VyrItemDelete(number);
    EXPECT_EQ(dialogs, 0);
}

TEST_F(EditorTest, TheAboutDriverDialogIsTheSetupDialog) {
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    HVYRDRIVER driver = VyrDriverGetFirst();
    std::string title, built, version;
    int button = IDOK;
    onDialog([&](void *d) {
        HWND dialog = static_cast<HWND>(d);
        ++dialogs;
        title = windowText(dialog);
        built = itemText(dialog, 101);
        PostMessageA(dialog, WM_COMMAND, button, 0);
    });
    EXPECT_EQ(VyrDriverSetup(driver, owner), 1);
    EXPECT_EQ(title, "About Driver");
    EXPECT_TRUE(std::regex_match(built, std::regex("[A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4}  [0-9]{2}:[0-9]{2}:[0-9]{2}")))
        << built;
    button = IDCANCEL;
    EXPECT_EQ(VyrDriverSetup(driver, owner), 0);
    EXPECT_EQ(dialogs, 2);
    // Without a window the dialog is not shown: the answer says it exists.
    EXPECT_EQ(VyrDriverSetup(driver, nullptr), 1);
    EXPECT_EQ(dialogs, 2);
    DestroyWindow(owner);
}

}  // namespace

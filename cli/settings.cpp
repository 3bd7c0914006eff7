// Generation settings of the console host and the options record.
#include "settings.h"

#include <cstring>

#include "platform/platform.h"

namespace {

// Longest value a settings key holds; longer values are cut when read, as
// the editor does.
constexpr size_t kMaxValue = 254;

struct TextKey {
    const char *section, *key;
    std::string GenSettings::*field;
};
struct FlagKey {
    const char *section, *key;
    bool GenSettings::*field;
};

const TextKey kTextKeys[] = {
    {"Defaults", "CommentMark", &GenSettings::commentMark},
    {"Defaults", "CommentBegin", &GenSettings::commentBegin},
    {"Defaults", "CommentEnd", &GenSettings::commentEnd},
    {"Defaults", "SubLineBegin", &GenSettings::subLineBegin},
    {"Defaults", "SubLineEnd", &GenSettings::subLineEnd},
    {"Defaults", "IncludePath", &GenSettings::includePath},
    {"Defaults", "ProtectBegin", &GenSettings::protectBegin},
    {"Defaults", "ProtectEnd", &GenSettings::protectEnd},
};

const FlagKey kFlagKeys[] = {
    {"Defaults", "NoComments", &GenSettings::comments},
    {"Defaults", "XlatSubLines", &GenSettings::markers},
    {"Defaults", "NoBlankLines", &GenSettings::skipBlankLines},
    {"Defaults", "OutPrint", &GenSettings::outPrint},
    {"Messages", "Print", &GenSettings::printToMessages},
};

}  // namespace

int32_t settingNumber(const std::string &text) {
    const char *p = text.c_str();
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    uint32_t n = 0;
    for (; *p >= '0' && *p <= '9'; ++p) n = n * 10u + static_cast<uint32_t>(*p - '0');
    return static_cast<int32_t>(negative ? 0u - n : n);
}

bool loadSettings(const char *file, GenSettings *settings, std::string *error) {
    plat::FileHandle f = plat::fileOpen(file, plat::kOpenRead);
    if (f == plat::kNoFile) {
        *error = std::string("cannot open settings file '") + file + "'";
        return false;
    }
    plat::fileClose(f);
    for (const TextKey &k : kTextKeys) {
        std::string value = plat::iniReadString(file, k.section, k.key, "");
        if (!value.empty()) settings->*k.field = value.substr(0, kMaxValue);
    }
    for (const FlagKey &k : kFlagKeys) {
        std::string value = plat::iniReadString(file, k.section, k.key, "");
        if (!value.empty()) settings->*k.field = settingNumber(value) != 0;
    }
    return true;
}

VYROPTIONS makeOptions(const GenSettings &s, VYRCALLBACK callback, intptr_t userData) {
    VYROPTIONS o;
    memset(&o, 0, sizeof o);
    o.cbSize = sizeof o;
    o.fMask = 0xffff;
    o.fFlags = (s.comments ? VYRO_NOCOMMENTS : 0u) | (s.skipBlankLines ? VYRO_NOBLANKLINES : 0u) |
               (s.markers ? VYRO_XLATSUBLINES : 0u) | (s.outPrint ? VYRO_OUTPRINT : 0u);
    o.lpszIncludePath = s.includePath.c_str();
    o.lpszSubLineBegin = s.subLineBegin.c_str();
    o.lpszSubLineEnd = s.subLineEnd.c_str();
    o.lpszCommentBegin = s.commentBegin.c_str();
    o.lpszCommentEnd = s.commentEnd.c_str();
    o.lpszCommentMark = s.commentMark.c_str();
    o.lpszProtectBegin = s.protectBegin.c_str();
    o.lpszProtectEnd = s.protectEnd.c_str();
    o.hwndParent = nullptr;  // no window owns the scripts' dialogs
    o.lUserData = userData;
    o.lpfnCallback = callback;
    return o;
}

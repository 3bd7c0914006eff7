// Script-level tests: every tests/scripts/lang/NAME.vyr runs through
// VyrCreate/VyrInterpret/VyrDestroy with the IDE's default options and a
// recording callback; the record must equal NAME.expected line for line.
//
// The record holds one line per Print value ("print: VALUE"), per error
// event ("error LINE: MESSAGE") and, last, "result: R, error: E".  Values are
// written as 12, 'text', [a, b] (lists, with "@N" for a selection N > 0) and
// name{member: value, ...} (objects).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "unit/script_options.h"
#include "vyrapi.h"

namespace fs = std::filesystem;

namespace {

std::string formatItem(HVYRITEM item);

std::string formatList(HVYRLIST list) {
    std::string s = "[";
    int32_t n = VyrListCount(list);
    for (int32_t i = 0; i < n; ++i) {
        if (i) s += ", ";
        s += formatItem(VyrListGetItem(list, i));
    }
    s += "]";
    if (VyrListGetSel(list) > 0) s += "@" + std::to_string(VyrListGetSel(list));
    return s;
}

std::string formatItem(HVYRITEM item) {
    switch (VyrItemGetType(item)) {
    case 1: return std::to_string(VyrItemGetNum(item));
    case 2: return std::string("'") + VyrItemGetStr(item) + "'";
    case 3: return formatList(VyrItemGetList(item));
    case 4: {
        HVYROBJECT o = VyrItemGetObj(item);
        std::string s = std::string(VyrGetObjectName(o)) + "{";
        int32_t n = VyrGetMemberCount(o);
        for (int32_t i = 0; i < n; ++i) {
            HVYRITEM m = VyrGetMemberByIndex(o, i);
            if (i) s += ", ";
            s += std::string(VyrGetMemberName(m)) + ": " + formatItem(m);
        }
        return s + "}";
    }
    default: return "none";
    }
}

int32_t VYRAPI record(HVYR engine, uint32_t event, VYRSTATE *state, intptr_t user) {
    auto *out = reinterpret_cast<std::string *>(user);
    if (event == VYRE_PRINT) *out += "print: " + formatItem(static_cast<HVYRITEM>(state->lpItem)) + "\n";
    if (event == VYRE_ERROR) {
        char text[256];
        VYRERROR e = {nullptr, 0, text, sizeof text};
        if (VyrGetErrMessage(engine, &e))
            *out += "error " + std::to_string(e.nLine) + ": " + text + "\n";
        else
            *out += "error without message\n";
    }
    return 1;
}

std::string readFile(const fs::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> fixtures() {
    std::vector<std::string> names;
    for (const auto &e : fs::directory_iterator(fs::path(VYR_TEST_DATA) / "scripts" / "lang"))
        if (e.path().extension() == ".vyr") names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ScriptTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ScriptTest, MatchesExpectedRecord) {
    const fs::path dir = fs::path(VYR_TEST_DATA) / "scripts" / "lang";
    const fs::path script = dir / (GetParam() + ".vyr");
    const fs::path expected = dir / (GetParam() + ".expected");
    ASSERT_TRUE(fs::exists(expected)) << expected;

    VyrInitInstance();
    std::string got;
    VYROPTIONS o = scriptOptions(VYROF_CALLBACK | VYROF_USERDATA | VYROF_INCLUDEPATH);
    const std::string include = (dir / "inc").string();
    o.lpszIncludePath = include.c_str();
    o.lpfnCallback = record;
    o.lUserData = reinterpret_cast<intptr_t>(&got);
    HVYR engine = VyrCreate(&o);
    ASSERT_NE(engine, nullptr);
    int32_t r = VyrInterpret(engine, script.string().c_str());
    got += "result: " + std::to_string(r) + ", error: " + std::to_string(VyrGetError(engine)) + "\n";
    VyrDestroy(engine);
    VyrFreeInstance();

    std::string want = readFile(expected);
    want.erase(std::remove(want.begin(), want.end(), '\r'), want.end());
    EXPECT_EQ(got, want) << script;
}

INSTANTIATE_TEST_SUITE_P(Lang, ScriptTest, ::testing::ValuesIn(fixtures()),
                         [](const ::testing::TestParamInfo<std::string> &info) {
                             std::string n = info.param;
                             for (char &c : n)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return n;
                         });

}  // namespace

// The driver list and the type registry as a host sees them: the settings
// file beside the engine library, loading, refusing and freeing drivers,
// walks, registration and re-registration, and the bindings of typed items.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "driver_env.h"
#include "platform/platform.h"
#include "vyrapi.h"

// ---- Helpers ------------------------------------------------------------------

std::string besideTests(const std::string &file) {
    std::string exe = plat::modulePath();
    return exe.substr(0, exe.find_last_of("\\/") + 1) + file;
}

std::string libraryFile(const std::string &base) { return base + plat::kLibraryExtension; }

std::string settingsFile() { return besideTests("vyrapi32.ini"); }

std::string folded(const std::string &text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') continue;
        out += c == '\n' ? ' ' : c;
    }
    return out;
}

#ifndef _WIN32
void beginMessages() { testing::internal::CaptureStderr(); }

std::vector<std::string> endMessages() {
    std::istringstream lines(testing::internal::GetCapturedStderr());
    std::vector<std::string> messages;
    const std::string prefix = "Vyr Message: ";
    for (std::string line; std::getline(lines, line);)
        if (line.compare(0, prefix.size(), prefix) == 0) messages.push_back(line.substr(prefix.size()));
    return messages;
}
#endif

namespace {

std::string cannotLoad(const std::string &name) {
    return folded("Module could not be loaded:\n\n" + name +
                  "\n\nThis problem may be caused by an invalid or not supported registration type driver (DLL).");
}

std::string alreadyLoaded(const std::string &name) {
    return folded("Module already loaded:\n\n" + name +
                  "\n\nThis problem is caused by trying to load an registration type driver (DLL) that is "
                  "already loaded.");
}

bool samePath(const std::string &a, const std::string &b) {
#ifdef _WIN32
    // The system may report the letter case of the directory differently.
    std::string x = a, y = b;
    plat::upperBuffer(&x[0], x.size());
    plat::upperBuffer(&y[0], y.size());
    return x == y;
#else
    return a == b;
#endif
}

std::vector<std::string> driverNames() {
    std::vector<std::string> names;
    for (HVYRDRIVER d = VyrDriverGetFirst(); d; d = VyrDriverGetNext()) names.push_back(VyrDriverGetName(d));
    return names;
}

std::vector<std::string> typeNames() {
    std::vector<std::string> names;
    for (HVYRTYPE t = VyrTypeGetFirst(); t; t = VyrTypeGetNext()) names.push_back(VyrTypeGetName(t));
    return names;
}

const std::vector<std::string> kDefaultTypes = {"Bool", "Font", "Color", "Dialog", "Control"};

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::fileDelete(settingsFile().c_str());
        defaultDriver = besideTests(libraryFile("vyrtyp32"));
        dup = besideTests(libraryFile("vyrtest_dup"));
    }
    void TearDown() override {
        while (instances > 0) shutDown();
        plat::fileDelete(settingsFile().c_str());
    }
    void init() {
        VyrInitInstance();
        ++instances;
    }
    void shutDown() {
        VyrFreeInstance();
        --instances;
    }
    void writeSettings(const std::string &text) { std::ofstream(settingsFile(), std::ios::binary) << text; }
    std::string readKey(const char *key) {
        return plat::iniReadString(settingsFile().c_str(), "Drivers", key, "<missing>");
    }
    HVYRDRIVER findDriver(const std::string &path) {
        for (HVYRDRIVER d = VyrDriverGetFirst(); d; d = VyrDriverGetNext())
            if (samePath(VyrDriverGetName(d), path)) return d;
        return nullptr;
    }

    int instances = 0;
    std::string defaultDriver, dup;
};

// ---- The settings file ----------------------------------------------------------

TEST_F(DriverTest, WithoutSettingsTheDefaultDriverLoadsAndIsWrittenBack) {
    init();
    std::vector<std::string> names = driverNames();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(samePath(names[0], defaultDriver)) << names[0];
    EXPECT_EQ(typeNames(), kDefaultTypes);
    shutDown();
    EXPECT_EQ(readKey("Count"), "1");
    EXPECT_TRUE(samePath(readKey("Driver1"), defaultDriver)) << readKey("Driver1");
    // The count is written after the names: a reader never meets a count
    // whose names are missing.
    std::ifstream in(settingsFile(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_LT(text.find("Driver1="), text.find("Count=")) << text;
    // The process-wide tables are gone with the last instance.
    EXPECT_EQ(VyrTypeGetFirst(), nullptr);
    EXPECT_EQ(VyrDriverGetFirst(), nullptr);
}

TEST_F(DriverTest, InstancesShareOneListLoadedOnce) {
    init();
    HVYRDRIVER first = VyrDriverGetFirst();
    init();
    EXPECT_EQ(VyrDriverGetFirst(), first);
    EXPECT_EQ(driverNames().size(), 1u);
    shutDown();
    EXPECT_EQ(VyrDriverGetFirst(), first);  // one instance still active
}

TEST_F(DriverTest, CountStopsAtTheFirstMissingKey) {
    writeSettings("[Drivers]\nCount=3\nDriver1=" + dup + "\n");
    init();
    std::vector<std::string> names = driverNames();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(samePath(names[0], dup));
    // The default driver is not tried when the file names drivers.
    EXPECT_EQ(typeNames(), (std::vector<std::string>{"Font", "DupOnly"}));
    shutDown();
    EXPECT_EQ(readKey("Count"), "1");
}

TEST_F(DriverTest, TheSameLibraryTwiceIsListedTwiceWithItsTypesOnce) {
    writeSettings("[Drivers]\nCount=2\nDriver1=" + defaultDriver + "\nDriver2=" + defaultDriver + "\n");
    init();
    EXPECT_EQ(driverNames().size(), 2u);
    EXPECT_EQ(typeNames(), kDefaultTypes);
    shutDown();
    EXPECT_EQ(readKey("Count"), "2");
    EXPECT_TRUE(samePath(readKey("Driver2"), defaultDriver));
}

TEST_F(DriverTest, FailingDriversAreReportedAndSkippedAtStartUp) {
    std::string missing = besideTests(libraryFile("no_such_driver"));
    writeSettings("[Drivers]\nCount=2\nDriver1=" + missing + "\nDriver2=" + dup + "\n");
    beginMessages();
    init();
    std::vector<std::string> messages = endMessages();
    EXPECT_EQ(messages, std::vector<std::string>{cannotLoad(missing)});
    EXPECT_EQ(driverNames().size(), 1u);
}

TEST_F(DriverTest, ACountWhoseDriversAllFailLeavesTheListEmpty) {
    std::string missing = besideTests(libraryFile("no_such_driver"));
    writeSettings("[Drivers]\nCount=1\nDriver1=" + missing + "\n");
    beginMessages();
    init();
    endMessages();
    EXPECT_EQ(VyrDriverGetFirst(), nullptr);
    EXPECT_EQ(VyrTypeGetFirst(), nullptr);
    EXPECT_EQ(VyrItemCreate("Font"), nullptr);
}

TEST_F(DriverTest, RemovingEveryDriverWritesCountZeroAndTheDefaultComesBack) {
    writeSettings("[Drivers]\nCount=2\nDriver1=" + dup + "\nDriver2=" + dup + "\n");
    init();
    while (HVYRDRIVER d = VyrDriverGetFirst()) EXPECT_EQ(VyrDriverFree(d), 1);
    shutDown();
    EXPECT_EQ(readKey("Count"), "0");
    // Higher keys of the longer list stay, ignored.
    EXPECT_TRUE(samePath(readKey("Driver2"), dup));
    init();
    ASSERT_EQ(driverNames().size(), 1u);
    EXPECT_TRUE(samePath(driverNames()[0], defaultDriver));
}

// ---- VyrDriverLoad, VyrDriverFree and walks ------------------------------------

TEST_F(DriverTest, LoadingAListedDriverInOtherLetterCaseIsRefused) {
    init();
    std::string name = VyrDriverGetName(VyrDriverGetFirst());
    std::string upper = name;
    plat::upperBuffer(&upper[0], upper.size());
    ASSERT_NE(upper, name);
    beginMessages();
    EXPECT_EQ(VyrDriverLoad(upper.c_str()), nullptr);
    EXPECT_EQ(endMessages(), std::vector<std::string>{alreadyLoaded(upper)});
    EXPECT_EQ(driverNames().size(), 1u);

    // Another form of the same file's name is a different name.
    std::string dir = name.substr(0, name.find_last_of("\\/") + 1);
    std::string other = dir + "." + plat::kPathSeparator + libraryFile("vyrtyp32");
    HVYRDRIVER second = VyrDriverLoad(other.c_str());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(driverNames().size(), 2u);
    EXPECT_EQ(typeNames(), kDefaultTypes);
}

TEST_F(DriverTest, UnusableLibrariesAreRefusedWithTheirName) {
    init();
    for (const char *base : {"vyrtest_noreg", "vyrtest_noblock", "no_such_driver"}) {
        SCOPED_TRACE(base);
        std::string path = besideTests(libraryFile(base));
        beginMessages();
        EXPECT_EQ(VyrDriverLoad(path.c_str()), nullptr);
        EXPECT_EQ(endMessages(), std::vector<std::string>{cannotLoad(path)});
        EXPECT_EQ(driverNames().size(), 1u);
        EXPECT_EQ(typeNames(), kDefaultTypes);
    }
}

TEST_F(DriverTest, ALoadedDriverIsAppendedUnderItsFullPath) {
    init();
    // Loaded by full path; its name in the list is the module's path.
    HVYRDRIVER d = VyrDriverLoad(dup.c_str());
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(samePath(VyrDriverGetName(d), dup));
    std::vector<std::string> names = driverNames();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_TRUE(samePath(names[1], dup));
    EXPECT_EQ(VyrDriverSetup(d, nullptr), 0);  // no setup dialog
}

TEST_F(DriverTest, WalksEndWithNullAndStayThere) {
    init();
    ASSERT_NE(VyrDriverGetFirst(), nullptr);
    EXPECT_EQ(VyrDriverGetNext(), nullptr);
    EXPECT_EQ(VyrDriverGetNext(), nullptr);
    HVYRTYPE t = VyrTypeGetFirst();
    for (int i = 1; i < 5; ++i) t = VyrTypeGetNext();
    EXPECT_STREQ(VyrTypeGetName(t), "Control");
    EXPECT_EQ(VyrTypeGetNext(), nullptr);
    EXPECT_EQ(VyrTypeGetNext(), nullptr);
    // A look-up moves the walk's cursor.
    VyrTypeGetFirst();
    VyrGetRegType("Dialog");
    EXPECT_STREQ(VyrTypeGetName(VyrTypeGetNext()), "Control");
}

TEST_F(DriverTest, FreeingADriverRemovesItsTypesAtOnce) {
    init();
    HVYRTYPE font = VyrGetRegType("Font");
    HVYRDRIVER d = VyrDriverLoad(dup.c_str());
    ASSERT_NE(d, nullptr);
    // Re-registering keeps the record and swaps the procedure.
    EXPECT_EQ(VyrGetRegType("Font"), font);
    EXPECT_EQ(typeNames(), (std::vector<std::string>{"Bool", "Font", "Color", "Dialog", "Control", "DupOnly"}));
    HVYRITEM item = VyrItemCreate("Font");
    ASSERT_NE(item, nullptr);
    EXPECT_STREQ(VyrGetObjectName(VyrItemGetObj(item)), "plugin");
    EXPECT_EQ(VyrItemGetRegType(item), font);

    EXPECT_EQ(VyrDriverFree(d), 1);
    // Both of its names go, "Font" too although the default driver had it.
    EXPECT_EQ(typeNames(), (std::vector<std::string>{"Bool", "Color", "Dialog", "Control"}));
    EXPECT_EQ(VyrGetRegType("Font"), nullptr);
    EXPECT_EQ(VyrItemCreate("Font"), nullptr);
    // The item keeps its value and is no longer typed; its old type handle
    // has no procedure any more.
    EXPECT_STREQ(VyrGetObjectName(VyrItemGetObj(item)), "plugin");
    EXPECT_EQ(VyrItemGetRegType(item), nullptr);
    EXPECT_EQ(VyrTypeCallProc(font, nullptr, VYRTC_RESET, item, 0), 0);
    EXPECT_EQ(VyrItemGetType(item), VYRT_OBJECT);
    VyrItemDelete(item);
}

TEST_F(DriverTest, ADriverWithoutABlockAtUnloadStillLosesItsTypes) {
    init();
    std::string once = besideTests(libraryFile("vyrtest_once"));
    HVYRDRIVER d = VyrDriverLoad(once.c_str());
    ASSERT_NE(d, nullptr);
    HVYRITEM item = VyrItemCreate("OnceType");
    ASSERT_NE(item, nullptr);
    HVYRITEM copy = VyrItemCreate(nullptr);
    VyrItemSetItem(copy, item);
    EXPECT_NE(VyrItemGetRegType(copy), nullptr);

    EXPECT_EQ(VyrDriverFree(d), 1);
    EXPECT_EQ(VyrGetRegType("OnceType"), nullptr);
    EXPECT_EQ(VyrItemGetRegType(item), nullptr);
    EXPECT_EQ(VyrItemCreate("OnceType"), nullptr);

    // Loaded again, the type comes back and so do the bindings to it.
    d = VyrDriverLoad(once.c_str());
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(VyrItemGetRegType(copy), VyrGetRegType("OnceType"));
    EXPECT_EQ(VyrTypeCallProc(VyrItemGetRegType(copy), nullptr, VYRTC_RESET, copy, 0), 1);
    EXPECT_EQ(VyrItemGetNum(copy), 42);
    VyrItemDelete(item);
    VyrItemDelete(copy);
}

TEST_F(DriverTest, HandlesThatAreNoListedDriverAreRefused) {
    init();
    HVYRDRIVER d = VyrDriverLoad(dup.c_str());
    ASSERT_EQ(VyrDriverFree(d), 1);
    EXPECT_EQ(VyrDriverFree(d), 0);
    EXPECT_EQ(VyrDriverGetName(d), nullptr);
    EXPECT_EQ(VyrDriverGetTypes(d), nullptr);
    EXPECT_EQ(VyrDriverSetup(d, nullptr), 0);
    EXPECT_EQ(VyrDriverFree(nullptr), 0);
}

TEST_F(DriverTest, TheDefaultDriversBlockListsItsFiveTypes) {
    init();
    void *block = VyrDriverGetTypes(VyrDriverGetFirst());
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(plat::blockSize(block), VYR_REGBLOCK_SIZE(5));
    const VYRREGBLOCK *b = static_cast<const VYRREGBLOCK *>(plat::blockLock(block));
    ASSERT_NE(b, nullptr);
    ASSERT_EQ(b->nCount, 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(std::string(b->aEntries[i].szName), kDefaultTypes[i]);
        VYRTYPEPROC proc;
        std::memcpy(&proc, &b->aEntries[i].lpfnProc, sizeof proc);
        EXPECT_NE(proc, nullptr);
    }
    plat::blockUnlock(block);
    plat::blockFree(block);
#ifdef _WIN32
    EXPECT_EQ(VyrDriverSetup(VyrDriverGetFirst(), nullptr), 1);  // has a setup dialog
#else
    EXPECT_EQ(VyrDriverSetup(VyrDriverGetFirst(), nullptr), 0);  // none here
#endif
}

// ---- Typed items ------------------------------------------------------------------

TEST_F(DriverTest, RegisteredNamesAreExactAndCaseSensitive) {
    init();
    for (const char *name : {"font", "FONT", " Font", "", "   "}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(VyrGetRegType(name), nullptr);
        EXPECT_EQ(VyrItemCreate(name), nullptr);
    }
    EXPECT_STREQ(VyrTypeGetName(VyrGetRegType("Font")), "Font");
}

TEST_F(DriverTest, TheDefaultTypesCreateTheirValues) {
    init();
    HVYRITEM font = VyrItemCreate("Font");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(VyrItemGetRegType(font), VyrGetRegType("Font"));
    HVYROBJECT f = VyrItemGetObj(font);
    EXPECT_STREQ(VyrGetObjectName(f), "MS Sans Serif 8");
    EXPECT_STREQ(VyrGetMemberStr(f, "Name"), "MS Sans Serif");
    EXPECT_EQ(VyrGetMemberNum(f, "Size"), 8);
    HVYRLIST styles = VyrGetMemberList(f, "Style");
    ASSERT_EQ(VyrListCount(styles), 4);
    EXPECT_STREQ(VyrListGetStr(styles, 3), "Bold Italic");
    EXPECT_EQ(VyrListGetSel(styles), 0);

    HVYRITEM color = VyrItemCreate("Color");
    EXPECT_STREQ(VyrGetObjectName(VyrItemGetObj(color)), "RGB(0,0,0)");
    EXPECT_EQ(VyrGetMemberCount(VyrItemGetObj(color)), 3);
    EXPECT_EQ(VyrItemGetRegType(color), VyrGetRegType("Color"));

    // Bool stores a list with the ordinary setter: the item is not typed.
    HVYRITEM b = VyrItemCreate("Bool");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(VyrItemGetType(b), VYRT_LIST);
    EXPECT_EQ(VyrItemGetRegType(b), nullptr);
    EXPECT_STREQ(VyrListGetStr(VyrItemGetList(b), 0), "False");
    EXPECT_STREQ(VyrListGetStr(VyrItemGetList(b), 1), "True");
    EXPECT_EQ(VyrItemGetNum(b), 0);
    for (HVYRITEM i : {font, color, b}) VyrItemDelete(i);
}

TEST_F(DriverTest, DialogAndControlMembersComeInOrder) {
    init();
    HVYRITEM dialog = VyrItemCreate("Dialog");
    HVYRITEM control = VyrItemCreate("Control");
    const char *dialogMembers[] = {"Title", "X", "Y", "Width", "Height", "Result"};
    const char *controlMembers[] = {"Type", "Text", "X", "Y", "Width", "Height", "Id", "Select", "Items"};
    HVYROBJECT d = VyrItemGetObj(dialog), c = VyrItemGetObj(control);
    ASSERT_EQ(VyrGetMemberCount(d), 6);
    for (int i = 0; i < 6; ++i) EXPECT_STREQ(VyrGetMemberName(VyrGetMemberByIndex(d, i)), dialogMembers[i]);
    ASSERT_EQ(VyrGetMemberCount(c), 9);
    for (int i = 0; i < 9; ++i) EXPECT_STREQ(VyrGetMemberName(VyrGetMemberByIndex(c, i)), controlMembers[i]);
    EXPECT_STREQ(VyrGetObjectName(d), "Dialog1");
    EXPECT_STREQ(VyrGetMemberStr(d, "Title"), "Dialog1");
    EXPECT_STREQ(VyrGetMemberStr(c, "Type"), "Text");
    EXPECT_STREQ(VyrGetMemberStr(c, "Text"), "Control1");
    EXPECT_EQ(VyrGetMemberNum(c, "Id"), -1);
    EXPECT_EQ(VyrListCount(VyrGetMemberList(c, "Items")), 0);
    VyrItemDelete(dialog);
    VyrItemDelete(control);
}

TEST_F(DriverTest, ResetPutsTheDefaultsBack) {
    init();
    HVYRITEM control = VyrItemCreate("Control");
    HVYROBJECT c = VyrItemGetObj(control);
    VyrSetObjectName(c, "Ok");
    VyrSetMemberNum(c, "X", 5);
    VyrSetMemberNum(c, "Id", 7);
    VyrSetMemberStr(c, "Type", "Edit");
    HVYRLIST items = VyrListCreate();
    VyrListAddStr(items, "a");
    VyrSetMemberList(c, "Items", items);
    VyrListDelete(items);
    EXPECT_EQ(VyrTypeCallProc(VyrGetRegType("Control"), nullptr, VYRTC_RESET, control, 0), 1);
    EXPECT_STREQ(VyrGetMemberStr(c, "Type"), "PushButton");
    EXPECT_STREQ(VyrGetMemberStr(c, "Text"), "Ok");
    EXPECT_EQ(VyrGetMemberNum(c, "X"), 0);
    EXPECT_EQ(VyrGetMemberNum(c, "Id"), -1);
    EXPECT_EQ(VyrListCount(VyrGetMemberList(c, "Items")), 0);

    HVYRITEM font = VyrItemCreate("Font");
    HVYROBJECT f = VyrItemGetObj(font);
    VyrSetObjectName(f, "Arial 12");
    VyrSetMemberNum(f, "Size", 12);
    VyrSetMemberSel(f, "Style", 3);
    EXPECT_EQ(VyrTypeCallProc(VyrGetRegType("Font"), nullptr, VYRTC_RESET, font, 0), 1);
    EXPECT_STREQ(VyrGetObjectName(f), "MS Sans Serif 8");
    EXPECT_EQ(VyrGetMemberNum(f, "Size"), 8);
    EXPECT_EQ(VyrGetMemberSel(f, "Style"), 0);

    // Reset of an item that holds no value of the type is not handled.
    HVYRITEM number = VyrItemCreate(nullptr);
    VyrItemSetNum(number, 3);
    for (const char *type : {"Bool", "Font", "Color", "Dialog", "Control"}) {
        SCOPED_TRACE(type);
        EXPECT_EQ(VyrTypeCallProc(VyrGetRegType(type), nullptr, VYRTC_RESET, number, 0), 0);
        EXPECT_EQ(VyrItemGetNum(number), 3);
        // Commands a type does not know are not handled either.
        EXPECT_EQ(VyrTypeCallProc(VyrGetRegType(type), nullptr, 99, number, 0), 0);
    }
#ifndef _WIN32
    // No editors on this system.
    EXPECT_EQ(VyrTypeCallProc(VyrGetRegType("Font"), nullptr, VYRTC_EDIT, font, 0), 0);
    EXPECT_EQ(VyrTypeCallProc(VyrGetRegType("Color"), nullptr, VYRTC_EDIT, font, 0), 0);
#endif
    for (HVYRITEM i : {control, font, number}) VyrItemDelete(i);
}

TEST_F(DriverTest, BindingIsLostBySettersAndCarriedByCopies) {
    init();
    HVYRTYPE fontType = VyrGetRegType("Font");
    HVYRITEM font = VyrItemCreate("Font");
    HVYRITEM target = VyrItemCreate(nullptr);
    VyrItemSetItem(target, font);
    EXPECT_EQ(VyrItemGetRegType(target), fontType);
    // A copy inside a list carries the binding too.
    HVYRLIST list = VyrListCreate();
    VyrListAddItem(list, font);
    EXPECT_EQ(VyrItemGetRegType(VyrListGetItem(list, 0)), fontType);
    VyrListDelete(list);

    HVYROBJECT object = VyrObjectCreate("plain");
    EXPECT_EQ(VyrItemSetObj(target, object, nullptr), 1);
    EXPECT_EQ(VyrItemGetRegType(target), nullptr);
    EXPECT_EQ(VyrItemSetObj(target, object, "font"), 0);
    EXPECT_EQ(VyrItemGetType(target), VYRT_OBJECT);
    EXPECT_EQ(VyrItemGetRegType(target), nullptr);
    EXPECT_EQ(VyrItemSetObj(target, object, "Font"), 1);
    EXPECT_EQ(VyrItemGetRegType(target), fontType);
    VyrObjectDelete(object);

    VyrItemSetNum(target, 1);
    EXPECT_EQ(VyrItemGetRegType(target), nullptr);
    VyrItemSetStr(font, "text");
    EXPECT_EQ(VyrItemGetRegType(font), nullptr);
    VyrItemDelete(font);
    VyrItemDelete(target);
}

}  // namespace

// ---- Scripts: OBJECT with a type name, counters and WinExec --------------------

namespace {

struct ScriptRun {
    std::vector<std::string> prints;
    int32_t errors = 0;
    // "line N: text" of each error.
    std::vector<std::string> messages;
};

int32_t VYRAPI recordRun(HVYR engine, uint32_t event, VYRSTATE *state, intptr_t user) {
    ScriptRun *run = reinterpret_cast<ScriptRun *>(user);
    if (event == VYRE_PRINT) {
        HVYRITEM item = static_cast<HVYRITEM>(state->lpItem);
        run->prints.push_back(VyrItemIsStr(item) ? VyrItemGetStr(item) : std::to_string(VyrItemGetNum(item)));
    } else if (event == VYRE_ERROR) {
        ++run->errors;
        char text[256] = "";
        VYRERROR e = {nullptr, 0, text, sizeof text};
        VyrGetErrMessage(engine, &e);
        run->messages.push_back("line " + std::to_string(e.nLine) + ": " + text);
    }
    return 1;
}

// An engine (every line script text) that records into run.
HVYR createEngine(ScriptRun &run) {
    VYROPTIONS o;
    std::memset(&o, 0, sizeof o);
    o.cbSize = sizeof o;
    o.fMask = VYROF_FLAGS | VYROF_CALLBACK | VYROF_USERDATA;
    o.fFlags = VYRO_NOCOMMENTS | VYRO_NOBLANKLINES;
    o.lpfnCallback = recordRun;
    o.lUserData = reinterpret_cast<intptr_t>(&run);
    return VyrCreate(&o);
}

void interpret(HVYR engine, const std::string &text) {
    std::string path = besideTests("driver_script.vyr");
    std::ofstream(path, std::ios::binary) << text;
    VyrInterpret(engine, path.c_str());
    plat::fileDelete(path.c_str());
}

// Runs script text in a new engine.
ScriptRun runScript(const std::string &text) {
    ScriptRun run;
    HVYR engine = createEngine(run);
    interpret(engine, text);
    VyrDestroy(engine);
    return run;
}

TEST_F(DriverTest, ObjectCreatesTypedItemsAndCountersLastAcrossRuns) {
    init();
    HVYRITEM first = VyrItemCreate("Dialog");
    ScriptRun run = runScript("f = OBJECT(\"Font\")\nPrint f.Name\nPrint f.Size\n"
                        "d = OBJECT(\"Dialog\")\nPrint d.Title\nc = OBJECT(\"Control\")\nPrint c.Text\n"
                        "b = OBJECT(\"Bool\")\nPrint COUNT(b)\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.prints, (std::vector<std::string>{"MS Sans Serif", "8", "Dialog2", "Control1", "2"}));
    run = runScript("c = OBJECT(\"Control\")\nc = OBJECT(\"Control\")\nPrint c.Text\n");
    EXPECT_EQ(run.prints, std::vector<std::string>{"Control3"});
    // Unknown names and names in the wrong letter case fail the call.
    for (const char *name : {"font", "Nothing", ""}) {
        run = runScript(std::string("x = OBJECT(\"") + name + "\")\nPrint 1\n");
        EXPECT_EQ(run.errors, 1) << name;
        EXPECT_TRUE(run.prints.empty()) << name;
    }
    VyrItemDelete(first);
}

TEST_F(DriverTest, WinExecStartsProgramsWhileTheDriverIsLoaded) {
    init();
    std::string marker = besideTests("winexec.marker");
    plat::fileDelete(marker.c_str());
#ifdef _WIN32
    std::string command = "cmd.exe /c echo x > \"" + marker + "\"";
#else
    std::string command = "echo x > '" + marker + "'";
#endif
    // Handed in as a host symbol: the command line needs no quoting in the
    // script.
    HVYRITEM text = VyrItemCreate(nullptr);
    VyrItemSetStr(text, command.c_str());
    VyrAddSymbol("COMMANDLINE", text);
    VyrItemDelete(text);
    ScriptRun run = runScript("Print WinExec(COMMANDLINE, 0)\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.prints, std::vector<std::string>{"1"});
    // The program runs on its own: poll for its file (for at most 20 s).
    for (int i = 0; i < 400 && !plat::fileExists(marker.c_str()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(plat::fileExists(marker.c_str()));
    plat::fileDelete(marker.c_str());

    // A number as the command line fails the call.
    run = runScript("x = WinExec(5)\n");
    EXPECT_EQ(run.errors, 1);
#ifdef _WIN32
    run = runScript("Print WinExec(\"no_such_program_vyr.exe\")\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(run.prints, std::vector<std::string>{"0"});
#endif

    // The host function goes with its driver.
    VyrDriverFree(VyrDriverGetFirst());
    run = runScript("x = WinExec(\"true\")\n");
    EXPECT_EQ(run.errors, 1);
}

#ifdef _WIN32
const char *const kHarmlessCommand = "cmd.exe /c rem";
#else
const char *const kHarmlessCommand = "true";
#endif

// Engines copy the host functions of the global library when they are
// created; a copy must never call into a library that has been unloaded.
TEST_F(DriverTest, EnginesCreatedBeforeADriverIsFreedCannotCallIntoIt) {
    // The default driver listed twice: one library, loaded twice.
    writeSettings("[Drivers]\nCount=2\nDriver1=" + defaultDriver + "\nDriver2=" + defaultDriver + "\n");
    init();
    HVYRITEM text = VyrItemCreate(nullptr);
    VyrItemSetStr(text, kHarmlessCommand);
    VyrAddSymbol("COMMANDLINE", text);
    VyrItemDelete(text);
    const std::string call = "r = WinExec(COMMANDLINE, 0)\nPrint r\n";
    ScriptRun early;
    HVYR engine = createEngine(early);

    // While the library stays loaded its function keeps working, in the
    // engine and for engines created later.
    ASSERT_EQ(VyrDriverFree(VyrDriverGetFirst()), 1);
    interpret(engine, call);
    EXPECT_EQ(early.messages, std::vector<std::string>{});
    EXPECT_EQ(early.prints, std::vector<std::string>{"1"});
    ScriptRun later;
    HVYR laterEngine = createEngine(later);
    // Removing the function from the global library does not reach engines
    // that already have it.
    EXPECT_EQ(VyrRemoveFunction("WinExec"), 1);
    early = ScriptRun();
    interpret(engine, call);
    EXPECT_EQ(early.prints, std::vector<std::string>{"1"});

    // Once it is unloaded, calls from both engines fail with an error
    // naming the line instead of jumping into the unloaded library.
    ASSERT_EQ(VyrDriverFree(VyrDriverGetFirst()), 1);
    early = ScriptRun();
    interpret(engine, "x = 1\n" + call);
    EXPECT_EQ(early.messages, std::vector<std::string>{"line 2: Invalid function call"});
    EXPECT_EQ(early.prints, std::vector<std::string>{});
    interpret(laterEngine, call);
    EXPECT_EQ(later.messages, std::vector<std::string>{"line 1: Invalid function call"});

    // Loaded again, the library adds its function afresh: new engines call
    // it, the old copies stay disconnected.
    ASSERT_NE(VyrDriverLoad(defaultDriver.c_str()), nullptr);
    EXPECT_EQ(runScript(call).prints, std::vector<std::string>{"1"});
    early = ScriptRun();
    interpret(engine, call);
    EXPECT_EQ(early.errors, 1);
    VyrDestroy(engine);
    VyrDestroy(laterEngine);
}

}  // namespace

// ---- Item files carry registered-type names --------------------------------------

namespace {

std::string fileText(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(DriverTest, ItemFilesWriteTypeNamesAndBindOnlyRegisteredOnes) {
    init();
    std::string path = besideTests("typed.item");
    HVYRITEM name = VyrItemCreate(nullptr);
    VyrItemSetStr(name, path.c_str());
    VyrAddSymbol("ITEMFILE", name);
    VyrItemDelete(name);
    ScriptRun run = runScript("c = OBJECT(\"Color\")\nPrint SAVEITEM(ITEMFILE, c)\n");
    EXPECT_EQ(run.prints, std::vector<std::string>{"1"});
    EXPECT_EQ(fileText(path),
              "(O:(\"RGB(0,0,0)\":{(\"Red\":(i:0)),(\"Green\":(i:0)),(\"Blue\":(i:0))}),\"Color\")");

    // Read back while "Color" is registered, the item is bound again and
    // so written with its type name.
    run = runScript("x = LOADITEM(ITEMFILE)\nPrint x.Red\nPrint SAVEITEM(ITEMFILE, x)\n");
    EXPECT_EQ(run.errors, 0);
    EXPECT_EQ(fileText(path),
              "(O:(\"RGB(0,0,0)\":{(\"Red\":(i:0)),(\"Green\":(i:0)),(\"Blue\":(i:0))}),\"Color\")");

    // Without the driver the name is dropped on reading.
    VyrDriverFree(VyrDriverGetFirst());
    run = runScript("x = LOADITEM(ITEMFILE)\nPrint x.Blue\nPrint SAVEITEM(ITEMFILE, x)\n");
    EXPECT_EQ(run.prints, (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(fileText(path), "(O:(\"RGB(0,0,0)\":{(\"Red\":(i:0)),(\"Green\":(i:0)),(\"Blue\":(i:0))}))");
    plat::fileDelete(path.c_str());
}

}  // namespace

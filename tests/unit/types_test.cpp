// The type registry's records and the reading of registration blocks and
// of the settings file's path, inside the engine.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "types/drivers.h"
#include "types/registry.h"
#include "values/item.h"

namespace {

int32_t VYRAPI procA(VYRHWND, int32_t, HVYRITEM, int32_t) { return 1; }
int32_t VYRAPI procB(VYRHWND, int32_t, HVYRITEM, int32_t) { return 2; }

class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override { vyrClearRegTypes(); }
};

TEST_F(RegistryTest, ReRegisteringKeepsTheRecordAndSwapsTheProcedure) {
    VyrRegType *a = vyrRegisterType("T", procA);
    vyrRegisterType("U", procA);
    EXPECT_EQ(vyrRegisterType("T", procB), a);
    EXPECT_EQ(a->proc, procB);
    EXPECT_EQ(vyrRegTypes().count, 2u);
    EXPECT_EQ(vyrRegisterType("", procA), nullptr);
    EXPECT_EQ(vyrRegisterType(nullptr, procA), nullptr);
}

TEST_F(RegistryTest, AnUnregisteredRecordWaitsForItsNameAndKeepsItemsSafe) {
    VyrRegType *t = vyrRegisterType("T", procA);
    VyrItem item;
    item.setRegType(t);
    VyrItem copy(item);
    vyrUnregisterType("T");
    EXPECT_EQ(vyrFindRegType("T"), nullptr);
    EXPECT_EQ(vyrUsableRegType("T"), nullptr);
    // The record is still there for the links, without a procedure.
    EXPECT_EQ(copy.regType(), t);
    EXPECT_EQ(vyrLiveRegType(copy.regType()), nullptr);
    EXPECT_EQ(t->proc, nullptr);
    EXPECT_STREQ(t->name.c_str(), "T");
    // Registered again, the same record comes back.
    EXPECT_EQ(vyrRegisterType("T", procB), t);
    EXPECT_EQ(vyrLiveRegType(item.regType()), t);
    EXPECT_EQ(t->proc, procB);
    vyrClearRegTypes();
    EXPECT_EQ(vyrRegTypes().count, 0u);
    EXPECT_EQ(vyrLiveRegType(item.regType()), nullptr);
}

TEST_F(RegistryTest, ATypeWithoutProcedureIsNotUsable) {
    vyrRegisterType("NoProc", nullptr);
    EXPECT_NE(vyrFindRegType("NoProc"), nullptr);
    EXPECT_EQ(vyrUsableRegType("NoProc"), nullptr);
}

// ---- Registration blocks -------------------------------------------------------

void *block(int32_t count, size_t entries, const char *name = "Name") {
    void *b = plat::blockAlloc(VYR_REGBLOCK_SIZE(entries));
    unsigned char *bytes = static_cast<unsigned char *>(plat::blockLock(b));
    std::memcpy(bytes, &count, sizeof count);
    for (size_t i = 0; i < entries; ++i) {
        unsigned char *entry = bytes + sizeof(int32_t) + i * sizeof(VYRREGENTRY);
        std::memcpy(entry, name, std::min(std::strlen(name), size_t(VYR_TYPENAME_SIZE)));
        VYRTYPEPROC proc = procA;
        std::memcpy(entry + VYR_TYPENAME_SIZE, &proc, sizeof proc);
    }
    plat::blockUnlock(b);
    return b;
}

TEST(RegBlockTest, CountIsHeldToTheBlocksSize) {
    struct Case {
        int32_t count;
        size_t entries;
        size_t expected;
    } cases[] = {{2, 2, 2}, {5, 2, 2}, {-1, 2, 0}, {0, 1, 0}, {INT32_MAX, 1, 1}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.count);
        std::vector<VyrTypeEntry> entries;
        EXPECT_TRUE(vyrReadRegBlock(block(c.count, c.entries), entries));
        ASSERT_EQ(entries.size(), c.expected);
        for (const VyrTypeEntry &e : entries) {
            EXPECT_EQ(e.name, "Name");
            EXPECT_EQ(e.proc, procA);
        }
    }
}

TEST(RegBlockTest, ANameFillingTheFieldIsCutAt32Characters) {
    std::vector<VyrTypeEntry> entries;
    ASSERT_TRUE(vyrReadRegBlock(block(1, 1, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"), entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345");
}

TEST(RegBlockTest, NoBlockIsAFailure) {
    std::vector<VyrTypeEntry> entries;
    EXPECT_FALSE(vyrReadRegBlock(nullptr, entries));
}

// ---- The settings file --------------------------------------------------------------

TEST(SettingsPathTest, NamedAfterTheEngineLibraryBesideIt) {
    struct Case {
        const char *module, *expected;
    } cases[] = {
#ifdef _WIN32
        {"C:\\Vyr\\vyrapi32.dll", "C:\\Vyr\\vyrapi32.ini"},
        {"C:\\Vyr.dir\\VYRAPI32", "C:\\Vyr.dir\\VYRAPI32.ini"},
        {"C:vyrapi32.dll", "C:\\vyrapi32.ini"},
        {"C:/a/b.c.dll", "C:/a\\b.c.ini"},
#else
        {"/opt/vyr/lib/libvyrapi32.so", "/opt/vyr/lib/vyrapi32.ini"},
        {"/opt/vyr.d/libvyrapi32", "/opt/vyr.d/vyrapi32.ini"},
        {"/a/lib", "/a/lib.ini"},
        {"/a/libx.so.1", "/a/x.so.ini"},
#endif
    };
    for (const Case &c : cases) EXPECT_EQ(vyrSettingsPath(c.module), c.expected) << c.module;
}

}  // namespace

// The engine's exported interface: instances, options, state and errors.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "vyrapi.h"

namespace {

VYROPTIONS makeOptions(uint32_t mask) {
    VYROPTIONS o;
    std::memset(&o, 0, sizeof o);
    o.cbSize = sizeof o;
    o.fMask = mask;
    return o;
}

class EngineApi : public ::testing::Test {
protected:
    void SetUp() override {
        VyrInitInstance();
        engine = VyrCreate(nullptr);
        ASSERT_NE(engine, nullptr);
    }
    void TearDown() override {
        VyrDestroy(engine);
        VyrFreeInstance();
    }
    HVYR engine = nullptr;
};

TEST_F(EngineApi, InstanceHandleIsTheEngineLibrary) {
    EXPECT_NE(VyrGetInstance(), nullptr);
    EXPECT_EQ(VyrInitInstance(), 1);
    EXPECT_EQ(VyrFreeInstance(), 1);
}

TEST_F(EngineApi, RecordCheckRejectsNullAndWrongSize) {
    VYROPTIONS o = makeOptions(VYROF_FLAGS);
    EXPECT_EQ(VyrSetOptions(engine, nullptr), 0);
    EXPECT_EQ(VyrGetOptions(engine, nullptr), 0);
    o.cbSize = sizeof o - 1;
    o.fFlags = VYRO_OUTPRINT;
    EXPECT_EQ(VyrSetOptions(engine, &o), 0);
    EXPECT_EQ(VyrGetOptions(engine, &o), 0);
    o.cbSize = sizeof o;
    o.fFlags = 0xFFFF;
    ASSERT_EQ(VyrGetOptions(engine, &o), 1);
    EXPECT_EQ(o.fFlags, 0u) << "the rejected record changed nothing";
}

TEST_F(EngineApi, MaskZeroWritesNothing) {
    VYROPTIONS o = makeOptions(0);
    std::memset(&o.fFlags, 0xAB, sizeof o - offsetof(VYROPTIONS, fFlags));
    VYROPTIONS before = o;
    EXPECT_EQ(VyrGetOptions(engine, &o), 1);
    EXPECT_EQ(std::memcmp(&o, &before, sizeof o), 0);
}

TEST_F(EngineApi, FlagsEightAloneSwitchesEveryReaderBitOff) {
    VYROPTIONS o = makeOptions(VYROF_FLAGS);
    o.fFlags = VYRO_NOCOMMENTS | VYRO_NOBLANKLINES | VYRO_XLATSUBLINES;
    ASSERT_EQ(VyrSetOptions(engine, &o), 1);
    o.fFlags = VYRO_OUTPRINT;
    ASSERT_EQ(VyrSetOptions(engine, &o), 1);
    o.fFlags = 0;
    ASSERT_EQ(VyrGetOptions(engine, &o), 1);
    EXPECT_EQ(o.fFlags, VYRO_OUTPRINT);
    // Undefined bits are not stored.
    o.fFlags = 0xFFFFFFF0u | VYRO_NOCOMMENTS;
    ASSERT_EQ(VyrSetOptions(engine, &o), 1);
    ASSERT_EQ(VyrGetOptions(engine, &o), 1);
    EXPECT_EQ(o.fFlags, VYRO_NOCOMMENTS);
}

TEST_F(EngineApi, TextGroupsNeedBothPointers) {
    const uint32_t texts = VYROF_SUBLINES | VYROF_COMMENTS | VYROF_PROTECT | VYROF_INCLUDEPATH;
    VYROPTIONS o = makeOptions(texts);
    o.lpszSubLineBegin = "$[";
    o.lpszSubLineEnd = "]$";
    o.lpszCommentMark = "//";
    o.lpszCommentBegin = "/*";
    o.lpszCommentEnd = "*/";
    o.lpszProtectBegin = "%PROTECT";
    o.lpszProtectEnd = "%ENDPROTECT";
    o.lpszIncludePath = "inc;lib";
    ASSERT_EQ(VyrSetOptions(engine, &o), 1);

    // One pointer of a pair missing: the pair stays; the line mark stands alone.
    VYROPTIONS p = makeOptions(texts);
    p.lpszSubLineBegin = "<<";
    p.lpszCommentMark = "#";
    p.lpszCommentEnd = "}";
    p.lpszProtectBegin = "P";
    ASSERT_EQ(VyrSetOptions(engine, &p), 1);

    VYROPTIONS g = makeOptions(texts);
    ASSERT_EQ(VyrGetOptions(engine, &g), 1);
    EXPECT_STREQ(g.lpszSubLineBegin, "$[");
    EXPECT_STREQ(g.lpszSubLineEnd, "]$");
    EXPECT_STREQ(g.lpszCommentMark, "#");
    EXPECT_STREQ(g.lpszCommentBegin, "/*");
    EXPECT_STREQ(g.lpszCommentEnd, "*/");
    EXPECT_STREQ(g.lpszProtectBegin, "%PROTECT");
    EXPECT_STREQ(g.lpszProtectEnd, "%ENDPROTECT");
    EXPECT_STREQ(g.lpszIncludePath, "inc;lib");

    // Two empty texts are installed as they are.
    VYROPTIONS e = makeOptions(VYROF_SUBLINES);
    e.lpszSubLineBegin = "";
    e.lpszSubLineEnd = "";
    ASSERT_EQ(VyrSetOptions(engine, &e), 1);
    VYROPTIONS h = makeOptions(VYROF_SUBLINES);
    ASSERT_EQ(VyrGetOptions(engine, &h), 1);
    EXPECT_STREQ(h.lpszSubLineBegin, "");
    EXPECT_STREQ(h.lpszSubLineEnd, "");
}

int32_t VYRAPI answerOne(HVYR, uint32_t, VYRSTATE *, intptr_t) { return 1; }

TEST_F(EngineApi, ParentUserDataAndCallbackRoundTrip) {
    VYROPTIONS o = makeOptions(VYROF_PARENT | VYROF_USERDATA | VYROF_CALLBACK);
    o.lUserData = static_cast<intptr_t>(0x12345678);
    o.lpfnCallback = answerOne;
    ASSERT_EQ(VyrSetOptions(engine, &o), 1);
    VYROPTIONS g = makeOptions(VYROF_USERDATA | VYROF_CALLBACK);
    ASSERT_EQ(VyrGetOptions(engine, &g), 1);
    EXPECT_EQ(g.lUserData, static_cast<intptr_t>(0x12345678));
    EXPECT_EQ(g.lpfnCallback, &answerOne);
    // A null callback removes it.
    o.fMask = VYROF_CALLBACK;
    o.lpfnCallback = nullptr;
    ASSERT_EQ(VyrSetOptions(engine, &o), 1);
    ASSERT_EQ(VyrGetOptions(engine, &g), 1);
    EXPECT_EQ(g.lpfnCallback, nullptr);
}

TEST_F(EngineApi, CreateAppliesTheRecordAndIgnoresABadOne) {
    VYROPTIONS o = makeOptions(VYROF_FLAGS | VYROF_SUBLINES);
    o.fFlags = VYRO_XLATSUBLINES;
    o.lpszSubLineBegin = "{{";
    o.lpszSubLineEnd = "}}";
    HVYR e = VyrCreate(&o);
    ASSERT_NE(e, nullptr);
    VYROPTIONS g = makeOptions(VYROF_FLAGS | VYROF_SUBLINES);
    ASSERT_EQ(VyrGetOptions(e, &g), 1);
    EXPECT_EQ(g.fFlags, VYRO_XLATSUBLINES);
    EXPECT_STREQ(g.lpszSubLineBegin, "{{");
    VyrDestroy(e);

    o.cbSize = 12;
    e = VyrCreate(&o);
    ASSERT_NE(e, nullptr);
    ASSERT_EQ(VyrGetOptions(e, &g), 1);
    EXPECT_EQ(g.fFlags, 0u);
    EXPECT_STREQ(g.lpszSubLineBegin, "");
    VyrDestroy(e);
}

TEST_F(EngineApi, StateOutsideARunIsZero) {
    VYRSTATE s;
    EXPECT_EQ(VyrGetState(engine, &s), 0);
    EXPECT_EQ(VyrGetState(engine, nullptr), 0);
    EXPECT_EQ(VyrGetError(engine), 0);
}

int32_t VYRAPI countEvents(HVYR, uint32_t, VYRSTATE *, intptr_t user) {
    ++*reinterpret_cast<int *>(user);
    return 1;
}

TEST_F(EngineApi, MissingScriptIsErrorNineHundredWithoutEvents) {
    int events = 0;
    VYROPTIONS o = makeOptions(VYROF_CALLBACK | VYROF_USERDATA);
    o.lUserData = reinterpret_cast<intptr_t>(&events);
    o.lpfnCallback = countEvents;
    ASSERT_EQ(VyrSetOptions(engine, &o), 1);
    EXPECT_EQ(VyrInterpret(engine, "no-such-dir/no-such-script.vyr"), 1);
    EXPECT_EQ(VyrGetError(engine), 1);
    EXPECT_EQ(events, 0);
    // The message selected by the error code is "Cannot open input file".
    char text[64];
    VYRERROR err = {nullptr, 0, text, sizeof text};
    EXPECT_EQ(VyrGetErrMessage(engine, &err), 1);
    EXPECT_STREQ(text, "Cannot open input file");
}

TEST_F(EngineApi, NoErrorSelectsNoMessage) {
    char text[16] = "untouched";
    VYRERROR err = {"x", 3, text, sizeof text};
    EXPECT_EQ(VyrGetErrMessage(engine, &err), 0);
    EXPECT_STREQ(text, "untouched");
    EXPECT_STREQ(err.lpszFile, "x");
}

}  // namespace

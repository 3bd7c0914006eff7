// The engine's message tables: every error number selects its listed text.
#include <gtest/gtest.h>

#include <cstring>

#include "core/messages.h"

namespace {

struct EvalCase {
    int32_t error;
    int32_t id;
    const char *text;
};

TEST(Messages, EvaluatorErrorsSelectTheirTexts) {
    const EvalCase cases[] = {
        {1, 900, "Expression error"},  {3, 902, "Division by zero"},
        {9, 908, "Invalid function call"},
        // 12 and 13 are crossed.
        {12, 912, "Bad object"},       {13, 911, "Bad member"},
        {19, 918, "Bad lvalue expression"},
    };
    for (const EvalCase &c : cases) {
        EXPECT_EQ(vyrEvaluatorMessageId(c.error), c.id) << c.error;
        EXPECT_STREQ(vyrMessageText(c.id), c.text) << c.id;
    }
    EXPECT_EQ(vyrEvaluatorMessageId(0), 0);
    EXPECT_STREQ(vyrMessageText(vyrEvaluatorMessageId(20)), "Script nested too deeply");
    EXPECT_EQ(vyrEvaluatorMessageId(21), 0);
}

TEST(Messages, EngineCodesSelectTheirTexts) {
    const EvalCase cases[] = {
        {0, 921, "Unrecognized Token"},         {10, 922, "Bad expression in IF"},
        {23, 923, "Bad expression in CASE"},    {15, 924, "Bad expression in WHILE"},
        {34, 946, "Mismatched END PROTECT"},    {36, 947, "Mismatched END OBJECT"},
        {900, 942, "Cannot open input file"},   {902, 944, "Cannot open include file"},
        {903, 945, "Bad expression type"},      {1003, 948, "Mismatched END DIALOG"},
    };
    for (const EvalCase &c : cases) {
        EXPECT_EQ(vyrEngineMessageId(c.error), c.id) << c.error;
        EXPECT_STREQ(vyrMessageText(c.id), c.text) << c.id;
    }
    // No error, and codes outside the table, select nothing.
    EXPECT_EQ(vyrEngineMessageId(1), 0);
    EXPECT_EQ(vyrEngineMessageId(11), 0);
    EXPECT_STREQ(vyrMessageText(920), "Unknown token error code");
    EXPECT_EQ(vyrMessageText(919), nullptr);
}

}  // namespace

// Variable look-up through the symbol table's name index: the first variable
// of a name wins, case is ignored, the innermost local scope comes first,
// and variables added after a look-up are found by the next one.
#include <gtest/gtest.h>

#include <string>

#include "core/symbols.h"

namespace {

TEST(SymbolTable, FindsTheFirstVariableOfANameIgnoringCase) {
    VyrSymbolTable symbols;
    VyrNamedItem *first = symbols.addVariable("Count", VyrItem(1));
    symbols.addVariable("count", VyrItem(2));
    EXPECT_EQ(symbols.findVariable("COUNT"), first);
    EXPECT_EQ(symbols.variables.cursor, first);  // as the table's own search leaves it
    EXPECT_EQ(symbols.findVariable("missing"), nullptr);
    EXPECT_EQ(symbols.variables.cursor, symbols.variables.last);
    EXPECT_EQ(symbols.findVariable(nullptr), nullptr);
}

TEST(SymbolTable, IndexFollowsVariablesAddedLater) {
    VyrSymbolTable symbols;
    for (int i = 0; i < 5000; ++i) {
        const std::string name = "v" + std::to_string(i);
        ASSERT_EQ(symbols.findVariable(name.c_str()), nullptr) << name;
        VyrNamedItem *added = symbols.addVariable(name.c_str(), VyrItem(i));
        ASSERT_EQ(symbols.findVariable(name.c_str()), added) << name;
    }
    for (int i = 0; i < 5000; i += 499) {
        VyrNamedItem *found = symbols.findVariable(("V" + std::to_string(i)).c_str());
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->num(), i);
    }
}

TEST(SymbolTable, InnermostScopeFirstThenTheEngineVariables) {
    VyrSymbolTable symbols;
    VyrNamedItem *global = symbols.addVariable("x", VyrItem(1));
    symbols.addVariable("g", VyrItem(2));
    VyrNameTable outer, inner;
    symbols.pushScope(&outer);
    VyrNamedItem *outerX = symbols.addVariable("x", VyrItem(3));
    EXPECT_EQ(symbols.findVariable("X"), outerX);
    symbols.pushScope(&inner);
    // Only the innermost scope is searched before the engine's variables.
    EXPECT_EQ(symbols.findVariable("x"), global);
    VyrNamedItem *innerX = symbols.addVariable("x", VyrItem(4));
    EXPECT_EQ(symbols.findVariable("x"), innerX);
    EXPECT_EQ(symbols.findVariable("g")->num(), 2);
    symbols.popScope();
    symbols.popScope();
    EXPECT_EQ(symbols.findVariable("x"), global);
    EXPECT_EQ(symbols.variables.count, 2u);
}

TEST(SymbolTable, ATableThatChangedInTheMiddleIsIndexedAgain) {
    VyrSymbolTable symbols;
    VyrNamedItem *a = symbols.addVariable("a", VyrItem(1));
    VyrNamedItem *b = symbols.addVariable("b", VyrItem(2));
    EXPECT_EQ(symbols.findVariable("a"), a);
    symbols.variables.unlink(a);
    symbols.variables.unlink(b);
    VyrNamedItem *a2 = symbols.addVariable("a", VyrItem(3));
    EXPECT_EQ(symbols.findVariable("a"), a2);
    EXPECT_EQ(symbols.findVariable("b"), nullptr);
}

}  // namespace

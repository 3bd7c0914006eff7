// pattern.h - statement patterns and the statement matcher.
//
// Statements are recognised by patterns rather than by a grammar.  A pattern
// is a short text such as "For &=& To & [Step &]": "&" is a slot that
// captures the text of an expression, text between "[" and "]" is optional,
// and every other run of characters is a word the line must contain.  Each
// engine compiles the fixed statement table once; for every script line the
// interpreter asks for the first pattern that matches and gets its id and
// the texts its slots captured.
#ifndef VYR_PATTERN_H
#define VYR_PATTERN_H

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/textlist.h"
#include "vyrstring.h"

// Statement ids.  Ids below 1000 are run by the interpreter core, ids from
// 1001 by the engine's statement hook.  0 means that no pattern matched.
enum VyrStatementId : int32_t {
    kStmtNone = 0,
    kStmtIf = 10,
    kStmtElse = 11,
    kStmtEndIf = 12,
    kStmtWhile = 15,
    kStmtEndWhile = 16,
    kStmtFor = 17,
    kStmtForEach = 18,
    kStmtEndFor = 19,
    kStmtBreak = 20,
    kStmtContinue = 21,
    kStmtSelect = 22,
    kStmtCase = 23,
    kStmtOtherwise = 24,
    kStmtEndSelect = 25,
    kStmtAssign = 26,
    kStmtProc = 27,
    kStmtEndProc = 28,
    kStmtReturn = 29,
    kStmtInclude = 30,
    kStmtOutput = 31,
    kStmtAppend = 32,
    kStmtProtect = 33,
    kStmtEndProtect = 34,
    kStmtObject = 35,
    kStmtEndObject = 36,
    kStmtPrint = 1001,
    kStmtDialog = 1002,
    kStmtEndDialog = 1003,
    kStmtControl = 1004,
    kStmtInspect = 1005,
};

// One entry of the statement table: a pattern text and its statement id.
struct VyrStatementDef {
    const char *pattern;
    int32_t id;
};

// The statement table in matching order (the first matching pattern wins).
// The assignment comes last so that every other statement is tried before a
// line holding "=" is taken as an assignment.
extern const VyrStatementDef kVyrStatements[];
extern const int32_t kVyrStatementCount;

// One element of a compiled pattern chain.
struct VyrPattern {
    enum Kind : int32_t { kWord = 0, kSlot = 1, kGroup = 2 };

    Kind kind = kWord;
    VyrString text;                    // word (upper case when the pattern ignores case); group: its content
    bool blankFollows = false;         // word: white space follows it in the pattern
    std::unique_ptr<VyrPattern> group; // group: the compiled chain of its content
    std::unique_ptr<VyrPattern> next;  // following element, or none

    // State of the last successful match: a slot's capture as a byte range of
    // the matched text, and whether a group took part.
    int32_t captureBegin = 0;
    int32_t captureEnd = 0;
    bool groupMatched = false;
};

// Compiles a pattern text into its chain (never null: an empty text gives
// one empty word).  ignoreCase upper-cases the words.
std::unique_ptr<VyrPattern> vyrCompilePattern(const char *pattern, bool ignoreCase);

// An engine's ordered list of compiled statement patterns.  Matching keeps
// its captures in the pattern elements, so one table matches one line at a
// time.
class VyrStatementTable {
public:
    VyrStatementTable() = default;
    VyrStatementTable(const VyrStatementTable &) = delete;
    VyrStatementTable &operator=(const VyrStatementTable &) = delete;

    // Appends a compiled pattern with its id.
    void add(const char *pattern, int32_t id, bool ignoreCase);

    // Registers the whole statement table, in its order, ignoring case.
    void addStandard();

    int32_t count() const { return static_cast<int32_t>(entries_.size()); }
    void clear() {
        entries_.clear();
        cache_.clear();
    }

    // Finds the first pattern that matches text (leading and trailing bytes up
    // to 32 are ignored).  Returns its id and puts the trimmed captures into
    // args, emptied first, from left to right; a group that did not match
    // contributes none.  Returns 0 when no pattern matches; args is then
    // empty.  A null text counts as empty.
    int32_t match(const char *text, VyrTextList &args);

    // Texts up to this length have their match remembered (see cache_).
    static constexpr size_t kCacheTextLimit = 512;
    static constexpr size_t kCacheEntries = 8192;

private:
    struct Entry {
        std::unique_ptr<VyrPattern> chain;
        int32_t id;
        bool ignoreCase;
        // The byte a matching text must begin with (after its leading blanks,
        // in upper case when the pattern ignores case), or 0 when the pattern
        // begins with a slot or a group and so may begin with anything.
        char lead;
    };
    // The match of a text: its id and each capture as a byte range of it.
    struct Match {
        int32_t id = kStmtNone;
        std::vector<std::pair<int32_t, int32_t>> captures;
        // The text matched (in the cache; its bytes stay where they are
        // when the match moves).
        std::unique_ptr<char[]> text;
    };
    int32_t matchPatterns(const char *text, int32_t end, std::vector<std::pair<int32_t, int32_t>> &ranges);

    std::vector<Entry> entries_;
    // A line's match depends on its text alone, and loops match the same
    // lines again on every pass: matches are remembered by text (never by
    // where the text came from).  The table is emptied when it grows too
    // large, and whenever the patterns change.
    // Keyed by views of the texts the matches keep, so that a look-up needs
    // no copy of the text it looks for.
    std::unordered_map<std::string_view, Match> cache_;
};

#endif  // VYR_PATTERN_H

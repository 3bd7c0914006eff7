#include "core/pattern.h"

#include <cstring>
#include <limits>

const VyrStatementDef kVyrStatements[] = {
    {"If & [Then]", kStmtIf},
    {"Else", kStmtElse},
    {"End[ ]If", kStmtEndIf},
    {"While &", kStmtWhile},
    {"End[ ]While", kStmtEndWhile},
    {"For &=& To & [Step &]", kStmtFor},
    {"For[ ]Each & In & [Where &]", kStmtForEach},
    {"End[ ]For", kStmtEndFor},
    {"Break", kStmtBreak},
    {"Continue", kStmtContinue},
    {"Select", kStmtSelect},
    {"Case &", kStmtCase},
    {"Other[Wise]", kStmtOtherwise},
    {"End[ ]Select", kStmtEndSelect},
    {"Proc[edure] & [(&)]", kStmtProc},
    {"End[ ]Proc[edure]", kStmtEndProc},
    {"Return [&]", kStmtReturn},
    {"Include &", kStmtInclude},
    {"Output &", kStmtOutput},
    {"Append &", kStmtAppend},
    {"Protect &", kStmtProtect},
    {"End[ ]Protect", kStmtEndProtect},
    {"Object &", kStmtObject},
    {"End[ ]Object", kStmtEndObject},
    {"Print &", kStmtPrint},
    {"Dialog &[,&,&,&,&,&]", kStmtDialog},
    {"End[ ]Dialog", kStmtEndDialog},
    {"Control &,&,&,&,&,&,&", kStmtControl},
    {"Inspect &", kStmtInspect},
    {"[Let] &=&", kStmtAssign},
};

const int32_t kVyrStatementCount = static_cast<int32_t>(sizeof(kVyrStatements) / sizeof(kVyrStatements[0]));

namespace {

// Pattern words and matched texts are compared in ASCII upper case, so the
// keywords match the same way whatever the system's code page or locale.
inline char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
inline bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
inline bool isControlOrBlank(char c) { return static_cast<unsigned char>(c) <= 32; }
inline bool isBlank(char c) { return vyrIsSpace(static_cast<unsigned char>(c)); }

void trimRange(const char *s, int32_t &b, int32_t &e) {
    while (b < e && isControlOrBlank(s[b])) ++b;
    while (e > b && isControlOrBlank(s[e - 1])) --e;
}

// Compiles s[b, e) (already upper-cased when the pattern ignores case).
std::unique_ptr<VyrPattern> compileRange(const char *s, int32_t b, int32_t e) {
    trimRange(s, b, e);
    auto elem = std::make_unique<VyrPattern>();
    int32_t rest = e;
    int32_t i = b;
    for (; i < e; ++i) {
        char c = s[i];
        if (c == '&' || isBlank(c)) break;
        if (c == '[' && std::memchr(s + i + 1, ']', static_cast<size_t>(e - i - 1)) != nullptr) break;
    }
    if (i == e) {
        // No slot, group or blank: the whole text is one word.
        elem->kind = VyrPattern::kWord;
        elem->text = VyrString(s + b, e - b);
        return elem;
    }
    if (i > b) {
        elem->kind = VyrPattern::kWord;
        elem->text = VyrString(s + b, i - b);
        elem->blankFollows = isBlank(s[i]);
        rest = i;
    } else if (s[i] == '&') {
        elem->kind = VyrPattern::kSlot;
        rest = i + 1;
    } else {
        // An optional group: its content runs to the first "]".
        int32_t close = i + 1;
        while (s[close] != ']') ++close;
        elem->kind = VyrPattern::kGroup;
        elem->text = VyrString(s + i + 1, close - i - 1);
        elem->group = compileRange(s, i + 1, close);
        rest = close + 1;
        if (rest < e && isBlank(s[rest])) {
            VyrPattern *last = elem->group.get();
            while (last->next) last = last->next.get();
            if (last->kind == VyrPattern::kWord) last->blankFollows = true;
        }
    }
    int32_t rb = rest, re = e;
    trimRange(s, rb, re);
    if (rb < re) elem->next = compileRange(s, rb, re);
    return elem;
}

// Matches one text against compiled chains.  Positions are byte offsets into
// the text; every step first trims its range.  Because a success at any
// step propagates unchanged to the top, the captures and group flags written
// on the way back out are exactly those of the successful match.
class Matcher {
public:
    Matcher(const char *text, bool ignoreCase) : s_(text), ignoreCase_(ignoreCase) {}

    // Matches e, followed by outer when e's own chain ends (the elements after
    // an enclosing group), against s[b, end).
    bool match(VyrPattern *e, VyrPattern *outer, int32_t b, int32_t end) {
        trimRange(s_, b, end);
        if (e == nullptr) {
            if (outer) return match(outer, nullptr, b, end);
            return b == end;
        }
        VyrPattern *nx = e->next ? e->next.get() : outer;
        VyrPattern *nxOuter = e->next ? outer : nullptr;
        switch (e->kind) {
        case VyrPattern::kWord: {
            int32_t len = e->text.length();
            if (end - b < len || !sameText(b, e->text.c_str(), len)) return false;
            int32_t p = b + len;
            if (nx == nullptr) return p == end;
            if (e->blankFollows && nx->kind != VyrPattern::kGroup && p < end && !isBlank(s_[p])) return false;
            return match(nx, nxOuter, p, end);
        }
        case VyrPattern::kSlot:
            return matchSlot(e, nx, nxOuter, b, end);
        case VyrPattern::kGroup:
            // Groups do not nest, so the continuation after a group's content
            // is just the group's own following element.
            if (match(e->group.get(), nx, b, end)) {
                e->groupMatched = true;
                return true;
            }
            e->groupMatched = false;
            return match(nx, nxOuter, b, end);
        }
        return false;
    }

private:
    bool sameText(int32_t p, const char *w, int32_t len) const {
        for (int32_t k = 0; k < len; ++k) {
            char c = ignoreCase_ ? upperAscii(s_[p + k]) : s_[p + k];
            if (c != w[k]) return false;
        }
        return true;
    }

    static void capture(VyrPattern *slot, const char *s, int32_t b, int32_t end) {
        trimRange(s, b, end);
        slot->captureBegin = b;
        slot->captureEnd = end;
    }

    // A slot at s[b, end) (already trimmed) followed by nx.
    bool matchSlot(VyrPattern *slot, VyrPattern *nx, VyrPattern *nxOuter, int32_t b, int32_t end) {
        if (nx == nullptr) {
            capture(slot, s_, b, end);
            return true;
        }
        if (nx->kind == VyrPattern::kSlot) {
            // The first of two adjacent slots takes the whole text; the
            // second sees an empty one.
            capture(slot, s_, b, end);
            return match(nx, nxOuter, end, end);
        }
        // The candidate end points are found by the first character of the
        // following word or of the group's content.
        const VyrPattern *first = nx->kind == VyrPattern::kGroup ? nx->group.get() : nx;
        bool anyPosition = first->kind != VyrPattern::kWord || first->text.empty();
        char c = anyPosition ? '\0' : first->text[0];
        bool letter = !anyPosition && isLetter(c);
        for (int32_t i = b; i < end; ++i) {
            char ch = s_[i];
            if (ch == '"' || ch == '\'') {
                // Quoted text holds no end points; an unclosed quote runs to
                // the end of the text.
                const void *close = std::memchr(s_ + i + 1, ch, static_cast<size_t>(end - i - 1));
                if (close == nullptr) break;
                i = static_cast<int32_t>(static_cast<const char *>(close) - s_);
                continue;
            }
            if (!anyPosition) {
                if ((ignoreCase_ ? upperAscii(ch) : ch) != c) continue;
                if (letter && (i == b || !isBlank(s_[i - 1]))) continue;
            }
            if (match(nx, nxOuter, i, end)) {
                capture(slot, s_, b, i);
                return true;
            }
        }
        if (nx->kind == VyrPattern::kWord) return false;
        // No end point fits: the optional group is absent and the slot is
        // followed by whatever comes after the group.
        nx->groupMatched = false;
        VyrPattern *after = nx->next ? nx->next.get() : nxOuter;
        VyrPattern *afterOuter = nx->next ? nxOuter : nullptr;
        return matchSlot(slot, after, afterOuter, b, end);
    }

    const char *s_;
    bool ignoreCase_;
};

// The captures of the last match, left to right, as byte ranges of the text;
// a group that did not match contributes none.
void collect(const VyrPattern *e, std::vector<std::pair<int32_t, int32_t>> &ranges) {
    for (; e != nullptr; e = e->next.get()) {
        if (e->kind == VyrPattern::kSlot)
            ranges.emplace_back(e->captureBegin, e->captureEnd);
        else if (e->kind == VyrPattern::kGroup && e->groupMatched)
            collect(e->group.get(), ranges);
    }
}

}  // namespace

std::unique_ptr<VyrPattern> vyrCompilePattern(const char *pattern, bool ignoreCase) {
    VyrString text(pattern ? pattern : "");
    if (ignoreCase)
        for (int32_t i = 0; i < text.length(); ++i) text.data()[i] = upperAscii(text[i]);
    return compileRange(text.c_str(), 0, text.length());
}

void VyrStatementTable::add(const char *pattern, int32_t id, bool ignoreCase) {
    std::unique_ptr<VyrPattern> chain = vyrCompilePattern(pattern, ignoreCase);
    const char lead = chain->kind == VyrPattern::kWord && !chain->text.empty() ? chain->text[0] : '\0';
    entries_.push_back(Entry{std::move(chain), id, ignoreCase, lead});
    cache_.clear();
}

void VyrStatementTable::addStandard() {
    for (int32_t i = 0; i < kVyrStatementCount; ++i) add(kVyrStatements[i].pattern, kVyrStatements[i].id, true);
}

int32_t VyrStatementTable::matchPatterns(const char *text, int32_t end,
                                         std::vector<std::pair<int32_t, int32_t>> &ranges) {
    ranges.clear();
    // Most patterns begin with a keyword: a text whose first byte differs
    // cannot match them, and need not be tried against them.
    int32_t first = 0;
    while (first < end && isControlOrBlank(text[first])) ++first;
    const char head = first < end ? text[first] : '\0';
    const char upperHead = upperAscii(head);
    for (Entry &entry : entries_) {
        if (entry.lead != '\0' && entry.lead != (entry.ignoreCase ? upperHead : head)) continue;
        Matcher m(text, entry.ignoreCase);
        if (m.match(entry.chain.get(), nullptr, 0, end)) {
            collect(entry.chain.get(), ranges);
            return entry.id;
        }
    }
    return kStmtNone;
}

int32_t VyrStatementTable::match(const char *text, VyrTextList &args) {
    args.clear();
    if (text == nullptr) text = "";
    size_t n = std::strlen(text);
    const size_t limit = static_cast<size_t>(std::numeric_limits<int32_t>::max());
    int32_t end = static_cast<int32_t>(n < limit ? n : limit);
    const Match *m = nullptr;
    Match fresh;
    if (n <= kCacheTextLimit) {
        auto hit = cache_.find(std::string_view(text, n));
        if (hit == cache_.end()) {
            fresh.id = matchPatterns(text, end, fresh.captures);
            if (cache_.size() >= kCacheEntries) cache_.clear();
            fresh.text.reset(new char[n + 1]);
            std::memcpy(fresh.text.get(), text, n + 1);
            const std::string_view key(fresh.text.get(), n);
            hit = cache_.emplace(key, std::move(fresh)).first;
        }
        m = &hit->second;
    } else {
        fresh.id = matchPatterns(text, end, fresh.captures);
        m = &fresh;
    }
    for (const auto &c : m->captures) args.add(text + c.first, c.second - c.first);
    return m->id;
}

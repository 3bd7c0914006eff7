// tokenizer.h - VyrTokenizer, the scanner of the expression evaluator.
//
// The evaluator parses while it evaluates and reads its input one token at a
// time.  A name directly followed by "(" (white space between is allowed) is
// read as one call token whose argument texts are split off at once, at the
// commas outside parentheses and quotes; each argument is later evaluated on
// its own.
#ifndef VYR_TOKENIZER_H
#define VYR_TOKENIZER_H

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/textlist.h"
#include "vyrstring.h"

enum VyrTokenCode : int32_t {
    kTokMalformed = -1,  // unterminated quote or argument list, unusable number or byte
    kTokEnd = 0,         // end of text, or a character that no token uses
    kTokString = 1,
    kTokNumber = 2,
    kTokName = 3,
    kTokCall = 4,        // name followed by "("
    kTokPlus = 5,
    kTokMinus = 6,
    kTokStar = 7,
    kTokSlash = 8,
    kTokPercent = 9,
    kTokTilde = 10,
    kTokAmp = 11,        // &
    kTokBar = 12,        // |
    kTokCaret = 13,
    kTokShiftRight = 14,
    kTokShiftLeft = 15,
    kTokNot = 16,        // !
    kTokAnd = 17,        // &&
    kTokOr = 18,         // ||
    kTokEqual = 19,      // == or =
    kTokNotEqual = 20,   // != or <>
    kTokGreaterEqual = 21,  // >= or =>
    kTokGreater = 22,
    kTokLessEqual = 23,  // <= or =<
    kTokLess = 24,
    kTokDot = 25,
    kTokComma = 26,
    kTokSemicolon = 27,
    kTokLBrace = 28,
    kTokRBrace = 29,
    kTokBackslash = 30,
    kTokLParen = 31,
    kTokRParen = 32,
    kTokLBracket = 33,
    kTokRBracket = 34,
};

class VyrTokenizer {
public:
    VyrTokenizer() = default;
    // Scans text, which must outlive the tokenizer's use of it.
    explicit VyrTokenizer(const char *text) { reset(text); }
    VyrTokenizer(const VyrTokenizer &) = delete;
    VyrTokenizer &operator=(const VyrTokenizer &) = delete;

    // Starts over at the beginning of text (null counts as empty).
    void reset(const char *text);
    void reset(const char *text, int32_t length);

    // Reads the next token and returns its code.
    int32_t next();
    // Restores the position from before the last token, so it is read again.
    void unread() { position_ = saved_; }
    // Reads a token; when it is not t, unreads it.  True when it was t.
    bool expect(int32_t t);

    int32_t token() const { return token_; }
    // Characters of the last string literal (without its quotes), number or
    // name (for a call: the function name).
    const VyrString &text() const { return text_; }
    // Value of the last number token.
    int32_t number() const { return number_; }
    // For a call token: the raw text of each argument, untrimmed.
    const VyrTextList &arguments() const { return arguments_; }

    int32_t position() const { return position_; }
    int32_t savedPosition() const { return saved_; }
    void setPosition(int32_t position);
    int32_t length() const { return length_; }
    const char *source() const { return source_; }
    // True when no character is left after the position.
    bool atEnd() const { return position_ >= length_; }

private:
    int32_t scan();
    void scanCall();

    const char *source_ = "";
    int32_t length_ = 0;
    int32_t position_ = 0;
    int32_t saved_ = 0;
    int32_t token_ = kTokEnd;
    int32_t number_ = 0;
    VyrString text_;
    VyrTextList arguments_;
};

// ---- Token streams -----------------------------------------------------------
//
// The tokens of a text depend on the text alone, and a loop evaluates the
// same texts again on every pass: VyrTokenStream holds every token of one
// text, scanned once, and VyrTokenCache keeps the streams by text.

class VyrTokenCache;
class VyrTokenStream;

struct VyrToken {
    int32_t code = kTokEnd;
    int32_t number = 0;
    // No character is left in the text after this token.
    bool atEnd = false;
    VyrString text;
    // A call's argument texts, untrimmed, and their streams once looked up.
    VyrTextList arguments;
    mutable std::vector<const VyrTokenStream *> argumentStreams;
};

class VyrTokenStream {
public:
    // Scans the text up to its end or its first token that ends an
    // expression (kTokEnd or kTokMalformed), which is the stream's last.
    VyrTokenStream(const char *text, int32_t length);
    int32_t size() const { return static_cast<int32_t>(tokens_.size()); }
    const VyrToken &operator[](int32_t i) const { return tokens_[static_cast<size_t>(i)]; }
    // A rough count of the bytes the stream holds.
    size_t bytes() const { return bytes_; }
    // The text the stream was scanned from (the cache's key points at it).
    std::string_view text() const { return std::string_view(text_.data(), text_.size()); }

private:
    std::vector<VyrToken> tokens_;
    std::string text_;
    size_t bytes_ = 0;
};

// Reads a stream token by token, with the reading interface of VyrTokenizer.
class VyrTokenCursor {
public:
    void reset(const VyrTokenStream *stream) {
        stream_ = stream;
        position_ = saved_ = 0;
        current_ = &(*stream)[0];
    }
    int32_t next() {
        saved_ = position_;
        current_ = &(*stream_)[position_];
        if (position_ + 1 < stream_->size()) ++position_;
        return current_->code;
    }
    void unread() { position_ = saved_; }
    bool expect(int32_t t) {
        if (next() == t) return true;
        unread();
        return false;
    }
    const VyrString &text() const { return current_->text; }
    int32_t number() const { return current_->number; }
    const VyrTextList &arguments() const { return current_->arguments; }
    // The stream of the current call token's argument i (trimmed).
    const VyrTokenStream *argumentStream(int32_t i, VyrTokenCache &cache) const;
    // True when the last token read left no character after it.
    bool atEnd() const { return current_->atEnd; }

private:
    const VyrTokenStream *stream_ = nullptr;
    const VyrToken *current_ = nullptr;
    int32_t position_ = 0;
    int32_t saved_ = 0;
};

// Token streams by text.  A stream handed out stays valid while any
// evaluation that may use it is under way (see Use); the cache is emptied
// when it outgrows its limits, but only between evaluations.
class VyrTokenCache {
public:
    VyrTokenCache() = default;
    VyrTokenCache(const VyrTokenCache &) = delete;
    VyrTokenCache &operator=(const VyrTokenCache &) = delete;

    // The stream of the text (which is taken as it is, not trimmed).
    const VyrTokenStream *lookup(const char *text, int32_t length);
    // The same for the text without leading and trailing bytes up to 32.
    const VyrTokenStream *lookupTrimmed(const char *text, int32_t length);
    size_t size() const { return map_.size(); }

    // Marks an evaluation under way for as long as it lives.
    class Use {
    public:
        explicit Use(VyrTokenCache &cache) : cache_(cache) { ++cache_.users_; }
        ~Use() { --cache_.users_; }
        Use(const Use &) = delete;
        Use &operator=(const Use &) = delete;

    private:
        VyrTokenCache &cache_;
    };

private:
    // Keyed by views of the streams' own texts, so that a look-up needs no
    // copy of the text it looks for.
    std::unordered_map<std::string_view, std::unique_ptr<VyrTokenStream>> map_;
    size_t bytes_ = 0;
    int32_t users_ = 0;
};

#endif  // VYR_TOKENIZER_H

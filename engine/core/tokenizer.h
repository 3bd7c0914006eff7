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

#endif  // VYR_TOKENIZER_H

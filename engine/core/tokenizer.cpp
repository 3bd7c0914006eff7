#include "core/tokenizer.h"

#include "core/limits.h"

#include <cstring>
#include <limits>

namespace {

inline bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
inline bool isDigit(char c) { return c >= '0' && c <= '9'; }
inline bool isBlank(char c) { return vyrIsSpace(static_cast<unsigned char>(c)); }

}  // namespace

void VyrTokenizer::reset(const char *text) {
    size_t n = text ? std::strlen(text) : 0;
    const size_t limit = static_cast<size_t>(std::numeric_limits<int32_t>::max());
    reset(text, static_cast<int32_t>(n < limit ? n : limit));
}

void VyrTokenizer::reset(const char *text, int32_t length) {
    source_ = text ? text : "";
    length_ = text && length > 0 ? length : 0;
    position_ = 0;
    saved_ = 0;
    token_ = kTokEnd;
    number_ = 0;
    text_.clear();
    arguments_.clear();
}

void VyrTokenizer::setPosition(int32_t position) {
    position_ = position < 0 ? 0 : (position > length_ ? length_ : position);
}

bool VyrTokenizer::expect(int32_t t) {
    if (next() == t) return true;
    unread();
    return false;
}

int32_t VyrTokenizer::next() {
    saved_ = position_;
    text_.clear();
    arguments_.clear();
    number_ = 0;
    token_ = scan();
    return token_;
}

int32_t VyrTokenizer::scan() {
    const char *s = source_;
    while (position_ < length_ && isBlank(s[position_])) ++position_;
    if (position_ >= length_) return kTokEnd;

    char c = s[position_];
    if (c == '"' || c == '\'') {
        // A literal runs to the next occurrence of its own quote; there are
        // no escapes.
        int32_t start = position_ + 1;
        const void *close = std::memchr(s + start, c, static_cast<size_t>(length_ - start));
        if (close == nullptr) {
            position_ = length_;
            return kTokMalformed;
        }
        int32_t end = static_cast<int32_t>(static_cast<const char *>(close) - s);
        vyrAssignText(text_, s + start, end - start);
        position_ = end + 1;
        return kTokString;
    }
    if (isDigit(c)) {
        // A value that does not fit a signed 32-bit integer is refused rather
        // than wrapped, so an oversized literal never computes a wrong result.
        int32_t start = position_;
        int64_t value = 0;
        bool tooLarge = false;
        while (position_ < length_ && isDigit(s[position_])) {
            if (!tooLarge) {
                value = value * 10 + (s[position_] - '0');
                if (value > std::numeric_limits<int32_t>::max()) tooLarge = true;
            }
            ++position_;
        }
        vyrAssignText(text_, s + start, position_ - start);
        if (tooLarge) return kTokMalformed;
        number_ = static_cast<int32_t>(value);
        return kTokNumber;
    }
    if (isLetter(c) || c == '_') {
        int32_t start = position_;
        while (position_ < length_ && (isLetter(s[position_]) || isDigit(s[position_]) || s[position_] == '_'))
            ++position_;
        vyrAssignText(text_, s + start, position_ - start);
        while (position_ < length_ && isBlank(s[position_])) ++position_;
        if (position_ < length_ && s[position_] == '(') {
            ++position_;
            scanCall();
            return token_;
        }
        return kTokName;
    }

    ++position_;
    char d = position_ < length_ ? s[position_] : '\0';
    auto pair = [this](int32_t code) {
        ++position_;
        return code;
    };
    switch (c) {
    case '+': return kTokPlus;
    case '-': return kTokMinus;
    case '*': return kTokStar;
    case '/': return kTokSlash;
    case '%': return kTokPercent;
    case '~': return kTokTilde;
    case '^': return kTokCaret;
    case '.': return kTokDot;
    case ',': return kTokComma;
    case ';': return kTokSemicolon;
    case '{': return kTokLBrace;
    case '}': return kTokRBrace;
    case '\\': return kTokBackslash;
    case '(': return kTokLParen;
    case ')': return kTokRParen;
    case '[': return kTokLBracket;
    case ']': return kTokRBracket;
    case '&': return d == '&' ? pair(kTokAnd) : kTokAmp;
    case '|': return d == '|' ? pair(kTokOr) : kTokBar;
    case '!': return d == '=' ? pair(kTokNotEqual) : kTokNot;
    case '<':
        if (d == '<') return pair(kTokShiftLeft);
        if (d == '>') return pair(kTokNotEqual);
        if (d == '=') return pair(kTokLessEqual);
        return kTokLess;
    case '>':
        if (d == '>') return pair(kTokShiftRight);
        if (d == '=') return pair(kTokGreaterEqual);
        return kTokGreater;
    case '=':
        if (d == '<') return pair(kTokLessEqual);
        if (d == '>') return pair(kTokGreaterEqual);
        if (d == '=') return pair(kTokEqual);
        return kTokEqual;
    default:
        break;
    }
    // Bytes above 127 belong to no character class.  They make the token
    // malformed instead of ending the expression quietly, so a name such as
    // "café" is reported as bad syntax rather than read as "caf".
    if (static_cast<unsigned char>(c) > 127) return kTokMalformed;
    return kTokEnd;
}

// Splits the argument list of a call; the position is just after its "(".
// Sets token_ to kTokCall, or to kTokMalformed when the text ends inside the
// list.
void VyrTokenizer::scanCall() {
    const char *s = source_;
    int32_t level = 0;
    int32_t argStart = position_;
    for (int32_t i = position_; i < length_; ++i) {
        char c = s[i];
        if (c == '"' || c == '\'') {
            // Quoted text is copied whole, quotes included.
            const void *close = std::memchr(s + i + 1, c, static_cast<size_t>(length_ - i - 1));
            if (close == nullptr) break;
            i = static_cast<int32_t>(static_cast<const char *>(close) - s);
        } else if (c == '(') {
            ++level;
        } else if (c == ')') {
            if (level > 0) {
                --level;
                continue;
            }
            // The last argument counts only when it holds more than blanks,
            // so F() has no argument and F(a, ) has one.
            bool blank = true;
            for (int32_t k = argStart; k < i && blank; ++k) blank = isBlank(s[k]);
            if (!blank) arguments_.add(s + argStart, i - argStart);
            position_ = i + 1;
            token_ = kTokCall;
            return;
        } else if (c == ',' && level == 0) {
            arguments_.add(s + argStart, i - argStart);
            argStart = i + 1;
        }
    }
    arguments_.clear();
    position_ = length_;
    token_ = kTokMalformed;
}

// ---- Token streams -----------------------------------------------------------

VyrTokenStream::VyrTokenStream(const char *text, int32_t length) {
    VyrTokenizer scanner;
    scanner.reset(text, length);
    if (text != nullptr && length > 0) text_.assign(text, static_cast<size_t>(length));
    bytes_ = sizeof *this + text_.capacity();
    for (;;) {
        VyrToken token;
        token.code = scanner.next();
        token.number = scanner.number();
        token.atEnd = scanner.atEnd();
        token.text = scanner.text();
        bytes_ += sizeof token + static_cast<size_t>(token.text.capacity());
        for (int32_t i = 0; i < scanner.arguments().count(); ++i) {
            token.arguments.add(scanner.arguments()[i]);
            bytes_ += sizeof(VyrString) + static_cast<size_t>(scanner.arguments()[i].length()) + 8;
        }
        token.argumentStreams.assign(static_cast<size_t>(token.arguments.count()), nullptr);
        tokens_.push_back(std::move(token));
        if (tokens_.back().code == kTokEnd || tokens_.back().code == kTokMalformed) break;
    }
}

const VyrTokenStream *VyrTokenCursor::argumentStream(int32_t i, VyrTokenCache &cache) const {
    const VyrTokenStream *&stream = current_->argumentStreams[static_cast<size_t>(i)];
    if (stream == nullptr) {
        const VyrString &raw = current_->arguments[i];
        stream = cache.lookupTrimmed(raw.c_str(), raw.length());
    }
    return stream;
}

const VyrTokenStream *VyrTokenCache::lookupTrimmed(const char *text, int32_t length) {
    while (length > 0 && static_cast<unsigned char>(*text) <= 32) ++text, --length;
    while (length > 0 && static_cast<unsigned char>(text[length - 1]) <= 32) --length;
    return lookup(text, length);
}

const VyrTokenStream *VyrTokenCache::lookup(const char *text, int32_t length) {
    auto hit = map_.find(std::string_view(text, static_cast<size_t>(length)));
    if (hit != map_.end()) return hit->second.get();
    // Between evaluations nothing points into the cache: the time to empty
    // it when it has grown too large.  (Argument streams found later are
    // linked from their call tokens, so they go with it.)
    if (users_ == 0 && (map_.size() >= kVyrMaxCachedTexts || bytes_ >= kVyrMaxCachedBytes)) {
        map_.clear();
        bytes_ = 0;
    }
    std::unique_ptr<VyrTokenStream> stream(new VyrTokenStream(text, length));
    bytes_ += stream->bytes();
    const std::string_view key = stream->text();
    return map_.emplace(key, std::move(stream)).first->second.get();
}

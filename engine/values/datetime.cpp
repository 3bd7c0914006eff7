// The date and time built-ins and the picture formatter (see datetime.h).
//
// Every formatting loop walks the mask or the value once, and every output
// position comes from one mask character, so any template and any value
// finish in time linear in their lengths.
#include "values/datetime.h"

#include <cstdio>

#include "core/symbols.h"
#include "values/item.h"

namespace {

// Month names, 1 to 12 at index 0 to 11, each 9 characters; weekday names,
// Sunday first, each 7 characters.  Texts are in the ANSI code page.
const char *const kMonthNames[12] = {
    "Janeiro  ", "Fevereiro", "Mar\xE7o    ", "Abril    ", "Maio     ", "Junho    ",
    "Julho    ", "Agosto   ", "Setembro ", "Outubro  ", "Novembro ", "Dezembro ",
};
constexpr int kMonthNameLength = 9;

const char *const kWeekdayNames[7] = {
    "Domingo", "Segunda", "Ter\xE7" "a  ", "Quarta ", "Quinta ", "Sexta  ", "S\xE1" "bado ",
};
constexpr int kWeekdayNameLength = 7;

int32_t clampTo(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// The part of a text before its first ";" (all of it when there is none),
// and the part after it (nothing when there is none).
std::string beforeSemicolon(const std::string &s) { return s.substr(0, s.find(';')); }
std::string afterSemicolon(const std::string &s) {
    size_t at = s.find(';');
    return at == std::string::npos ? std::string() : s.substr(at + 1);
}

// ---- Character (C, K) ---------------------------------------------------------

std::string formatCharacter(const std::string &value, const std::string &mask) {
    if (mask.empty()) return value;
    std::string out;
    out.reserve(mask.size());
    size_t next = 0;
    for (char m : mask) {
        if (m == '9' || m == 'X' || m == 'Z') out += next < value.size() ? value[next++] : ' ';
        else out += m;
    }
    return out;
}

// ---- Date (D) -----------------------------------------------------------------

// Day of the week of a Gregorian date, 0 = Sunday, from the digits as they
// stand: any month or day number gives some weekday.  January and February
// count as months 11 and 12 of the year before; that year is split into
// century and year of century only after the step back, so the first two
// months of 1900 or 2100 get their true weekdays too.
int weekday(int year, int month, int day) {
    auto floorDiv = [](int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    int m = month - 2;
    if (month == 1 || month == 2) {
        m = month + 10;
        year -= 1;
    }
    const int c = floorDiv(year, 100), y = year - 100 * c;
    int w = day + floorDiv(13 * m - 1, 5) + y + floorDiv(y, 4) + floorDiv(c, 4) - 2 * c;
    w %= 7;
    return w < 0 ? w + 7 : w;
}

// The last n characters of a digit text, with leading zeros when n is
// longer than the text.
std::string lastDigits(const std::string &digits, size_t n) {
    if (n <= digits.size()) return digits.substr(digits.size() - n);
    return std::string(n - digits.size(), '0') + digits;
}

// The first n characters of a name, extended with blanks when n is longer.
std::string namePrefix(const char *name, int nameLength, size_t n) {
    if (n <= static_cast<size_t>(nameLength)) return std::string(name, n);
    return std::string(name, static_cast<size_t>(nameLength)) + std::string(n - nameLength, ' ');
}

std::string formatDate(const std::string &value, const std::string &mask) {
    if (mask.empty() || value.size() < 8) return value;
    for (int k = 0; k < 8; ++k)
        if (!isDigit(value[k])) return value;
    const std::string year = value.substr(0, 4), monthDigits = value.substr(4, 2), dayDigits = value.substr(6, 2);
    auto number = [](const std::string &digits) {
        int n = 0;
        for (char c : digits) n = n * 10 + (c - '0');
        return n;
    };
    const int month = number(monthDigits);
    const int wd = weekday(number(year), month, number(dayDigits));

    std::string out = mask;
    size_t pos = 0;
    while (pos < mask.size()) {
        const char code = upper(mask[pos]);
        if (code == 'C') {
            // "C" is the first digit of the year, "CC" the century.
            out[pos] = year[0];
            if (pos + 1 < mask.size() && upper(mask[pos + 1]) == 'C') {
                out[pos + 1] = year[1];
                pos += 2;
            } else {
                pos += 1;
            }
            continue;
        }
        if (code != 'Y' && code != 'M' && code != 'D') {
            ++pos;
            continue;
        }
        size_t n = 1;
        while (pos + n < mask.size() && upper(mask[pos + n]) == code) ++n;
        std::string text;
        if (code == 'Y') {
            text = lastDigits(year, n);
        } else if (code == 'M') {
            if (n <= 2) text = lastDigits(monthDigits, n);
            else if (month >= 1 && month <= 12) text = namePrefix(kMonthNames[month - 1], kMonthNameLength, n);
            else text = mask.substr(pos, n);  // no name for that month: the run stays
        } else {
            text = n <= 2 ? lastDigits(dayDigits, n) : namePrefix(kWeekdayNames[wd], kWeekdayNameLength, n);
        }
        out.replace(pos, n, text);
        pos += n;
    }
    return out;
}

// ---- Logical (L), memo (M), choice (A) -----------------------------------------

std::string formatLogical(const std::string &value, const std::string &mask) {
    const bool truth = !value.empty() && value[0] != 'F' && value[0] != 'N';
    if (truth) return mask.empty() ? std::string("T") : beforeSemicolon(mask);
    return mask.find(';') == std::string::npos ? std::string("F") : afterSemicolon(mask);
}

std::string formatMemo(const std::string &value, const std::string &mask) {
    size_t k = 0;
    while (k < value.size() && (vyrIsSpace(static_cast<unsigned char>(value[k])) || value[k] == '0')) ++k;
    if (k < value.size()) return mask.empty() ? std::string("Memo") : beforeSemicolon(mask);
    return afterSemicolon(mask);
}

std::string formatChoice(const std::string &value, const std::string &mask) {
    int32_t n = VyrString(value.c_str()).toInt();
    if (n < 0) return std::string();
    size_t start = 0;
    for (int32_t entry = 0;; ++entry) {
        size_t end = mask.find(';', start);
        if (entry == n) return mask.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end == std::string::npos) return std::string();  // fewer entries than n + 1
        start = end + 1;
    }
}

// ---- Numeric (N, F) --------------------------------------------------------------

class NumericFormat {
public:
    NumericFormat(const std::string &value, const std::string &mask) : mask_(mask) {
        // Digit positions before the decimal position.
        for (size_t k = 0; k < mask.size() && mask[k] != 'V'; ++k)
            if (mask[k] == '9' || mask[k] == 'Z') ++d_;
        // The value's digits: blanks in front skipped, sign characters of the
        // integer part taken out and remembered, the rest kept as it is.
        size_t k = 0;
        while (k < value.size() && vyrIsSpace(static_cast<unsigned char>(value[k]))) ++k;
        for (; k < value.size() && value[k] != '.' && value[k] != ' '; ++k) {
            if (value[k] == '+' || value[k] == '-') {
                sign_ = value[k];
            } else {
                digits_ += value[k];
                ++i_;
            }
        }
        digits_.append(value, k, std::string::npos);
        if (sign_ != 0) s_ = sign_;
    }

    std::string run() {
        size_t m = 0;
        // Leading positions the value's integer part does not reach.
        for (; m < mask_.size() && i_ < d_; ++m) {
            const char c = mask_[m];
            if (c == '9') {
                out_ += '0';
                significant_ = true;
                --d_;
            } else if (c == 'Z') {
                zeroOrFill();
                --d_;
            } else {
                other(c);
            }
        }
        // Integer digits beyond the mask's positions: the highest are lost.
        while (next_ < digits_.size() && i_ > d_) {
            const char dropped = digits_[next_++];
            if (dropped != '0' && dropped != ' ') significant_ = true;
            --i_;
        }
        for (; m < mask_.size(); ++m) {
            const char c = mask_[m];
            const bool more = next_ < digits_.size();
            if (c == '9') {
                if (more) {
                    const char v = digits_[next_++];
                    out_ += v == ' ' ? '0' : v;
                    significant_ = true;
                } else {
                    out_ += '0';
                }
            } else if (c == 'Z') {
                if (!more) {
                    zeroOrFill();
                } else {
                    const char v = digits_[next_++];
                    if (v != '0' && v != ' ' && v != '.') significant_ = true;
                    if (significant_) out_ += v;
                    else fill();
                }
            } else if (c == 'V') {
                if (more) ++next_;  // the value's decimal point
            } else {
                other(c);
            }
        }
        // The sign goes to the last blank a position left for it.
        if (fillAt_ != kNone) out_[fillAt_] = s_;
        return out_;
    }

private:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    // A blank that the sign may later take.
    void fill() {
        fillAt_ = out_.size();
        out_ += ' ';
    }

    // A digit position before anything significant shows a blank.
    void zeroOrFill() {
        if (significant_) out_ += '0';
        else fill();
    }

    // Sign positions and literals.
    void other(char c) {
        if (c == '+') {
            if (s_ == ' ') s_ = '+';
            fill();
        } else if (c == '-') {
            if (s_ == '+') s_ = ' ';
            fill();
        } else if (significant_) {
            out_ += c;
        } else {
            fill();
        }
    }

    const std::string &mask_;
    std::string digits_;
    std::string out_;
    size_t next_ = 0;
    int64_t d_ = 0;
    int64_t i_ = 0;
    char sign_ = 0;  // the value's sign character, 0 when it has none
    char s_ = ' ';   // the sign written at the end
    bool significant_ = false;
    size_t fillAt_ = kNone;
};

std::string formatNumeric(const std::string &value, const std::string &mask) {
    if (mask.empty()) return value;
    return NumericFormat(value, mask).run();
}

}  // namespace

std::string vyrDateText(const plat::LocalTime &t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", static_cast<int>(clampTo(t.year, 0, 9999)),
                  static_cast<int>(clampTo(t.month, 1, 12)), static_cast<int>(clampTo(t.day, 1, 31)));
    return buf;
}

std::string vyrTimeText(const plat::LocalTime &t) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>(clampTo(t.hour, 0, 23)),
                  static_cast<int>(clampTo(t.minute, 0, 59)), static_cast<int>(clampTo(t.second, 0, 59)));
    return buf;
}

void vyrScramble(std::string &text) {
    uint16_t key = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (b <= 32) continue;
        key = static_cast<uint16_t>(key + 0x6D2Fu - static_cast<uint16_t>(i));
        const unsigned char x = static_cast<unsigned char>(b ^ (key & 0xFF));
        if (x > 32) text[i] = static_cast<char>(x);
    }
}

std::string vyrPicture(const std::string &value, const std::string &picture) {
    char function;
    std::string mask;
    if (!picture.empty() && picture[0] == '@') {
        if (picture.size() == 1) return value;
        function = picture[1];
        mask = picture.substr(2);
    } else {
        mask = picture;
        function = 'N';
        if (mask.empty()) function = 'C';
        for (size_t k = 0; k < mask.size() && mask[k] != 'V'; ++k) {
            if (mask[k] == 'X') {
                function = 'C';
                break;
            }
        }
    }
    switch (function) {
    case 'C': return formatCharacter(value, mask);
    case 'K': {
        std::string scrambled = value;
        vyrScramble(scrambled);
        return formatCharacter(scrambled, mask);
    }
    case 'D': return formatDate(value, mask);
    case 'L': return formatLogical(value, mask);
    case 'M': return formatMemo(value, mask);
    case 'A': return formatChoice(value, mask);
    case 'N':
    case 'F': return formatNumeric(value, mask);
    default: return value;
    }
}

namespace {

VyrString toVyrString(const std::string &s) { return VyrString(s.data(), static_cast<int32_t>(s.size())); }

}  // namespace

int32_t vyrFnDate(VyrArgs *, VyrItem *result) {
    result->setStr(toVyrString(vyrDateText(plat::localTime())));
    return 1;
}

int32_t vyrFnTime(VyrArgs *, VyrItem *result) {
    result->setStr(toVyrString(vyrTimeText(plat::localTime())));
    return 1;
}

int32_t vyrFnPicture(VyrArgs *args, VyrItem *result) {
    if (args->size() < 2) return 0;
    const VyrString *value = args->arg(0)->str();
    const VyrString *picture = args->arg(1)->str();
    if (value == nullptr || picture == nullptr) return 0;
    // The value is read, never changed: scrambling works on a copy.
    const std::string text(value->c_str(), static_cast<size_t>(value->length()));
    const std::string pic(picture->c_str(), static_cast<size_t>(picture->length()));
    result->setStr(toVyrString(vyrPicture(text, pic)));
    return 1;
}

// Settings files on POSIX: the project's own reader and writer of the
// private-profile format, following the rules of the Windows calls.
#include "platform/platform.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace plat {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string trim(const std::string &text) {
    size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool sameName(const std::string &a, const char *b) {
    size_t n = strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// One line of the file: its text without the line end, and the line end as
// it was ("\n", "\r\n" or nothing for a last line without one).
struct Line {
    std::string text;
    std::string end;
};

enum LineKind { kOther, kSection, kKey };

// Classifies a line; fills name (section or key) and value (key only).
LineKind parseLine(const std::string &raw, std::string *name, std::string *value) {
    std::string line = trim(raw);
    if (!line.empty() && line[0] == '[') {
        // The name runs to the last "]"; a header without one is ignored and
        // the lines after it stay in the section before.
        size_t close = line.rfind(']');
        if (close == 0 || close == std::string::npos) return kOther;
        *name = trim(line.substr(1, close - 1));
        return kSection;
    }
    size_t equals = line.find('=');
    if (equals == std::string::npos) return kOther;
    *name = trim(line.substr(0, equals));
    std::string v = trim(line.substr(equals + 1));
    // A value enclosed in a matching pair of quotes loses the quotes.
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
    *value = v;
    return kKey;
}

// Reads the whole file.  Returns 1 when read, 0 when it does not exist,
// -1 when it exists but cannot be read.
int readAll(const char *file, std::string *bytes) {
    int fd;
    do {
        fd = ::open(file, O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? 0 : -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    char buffer[8192];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return -1;
        }
        if (n == 0) break;
        bytes->append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return 1;
}

std::vector<Line> splitLines(const std::string &bytes) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t nl = bytes.find('\n', pos);
        Line line;
        if (nl == std::string::npos) {
            line.text = bytes.substr(pos);
            pos = bytes.size();
        } else {
            size_t end = nl;
            if (end > pos && bytes[end - 1] == '\r') --end;
            line.text = bytes.substr(pos, end - pos);
            line.end = bytes.substr(end, nl + 1 - end);
            pos = nl + 1;
        }
        lines.push_back(line);
    }
    return lines;
}

// Finds the key in the first section of that name (a later section of the
// same name is not searched, as with the system's calls).
bool findValue(const char *file, const char *section, const char *key, std::string *value) {
    if (file == nullptr || section == nullptr || key == nullptr) return false;
    std::string bytes;
    if (readAll(file, &bytes) != 1) return false;
    bool inSection = false;
    for (const Line &line : splitLines(bytes)) {
        std::string name, v;
        switch (parseLine(line.text, &name, &v)) {
        case kSection:
            if (inSection) return false;
            inSection = sameName(name, section);
            break;
        case kKey:
            if (inSection && sameName(name, key)) {
                *value = v;
                return true;
            }
            break;
        case kOther: break;
        }
    }
    return false;
}

bool hasLineBreak(const char *text) { return strchr(text, '\n') != nullptr || strchr(text, '\r') != nullptr; }

// Writes bytes to a new file beside the target and moves it over the
// target, so a failed write never leaves a half-written settings file.
bool replaceFile(const std::string &target, const std::string &bytes, mode_t mode) {
    std::string pattern = target + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = mkstemp(name.data());
    if (fd < 0) return false;
    (void)fchmod(fd, mode);  // a file system without modes is no failure
    bool ok = true;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(name.data(), target.c_str()) != 0) ok = false;
    if (!ok) ::unlink(name.data());
    return ok;
}

}  // namespace

int32_t iniReadInt(const char *file, const char *section, const char *key, int32_t defaultValue) {
    std::string value;
    if (!findValue(file, section, key, &value) || value.empty()) return defaultValue;
    const char *p = value.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    uint32_t n = 0;  // wraps like the 32-bit conversion of the system call
    for (; *p >= '0' && *p <= '9'; ++p) n = n * 10u + static_cast<uint32_t>(*p - '0');
    if (negative) n = 0u - n;
    return static_cast<int32_t>(n);
}

std::string iniReadString(const char *file, const char *section, const char *key, const char *defaultValue) {
    std::string value;
    if (findValue(file, section, key, &value)) return value;
    return defaultValue ? defaultValue : "";
}

bool iniWriteString(const char *file, const char *section, const char *key, const char *value) {
    if (file == nullptr || *file == '\0' || section == nullptr || key == nullptr) return false;
    if (value == nullptr) value = "";
    std::string sectionName = trim(section), keyName = trim(key);
    // Names that the format cannot hold, and line breaks that would make one
    // value into several lines, are refused rather than written wrongly.
    if (sectionName.empty() || keyName.empty() || sectionName.find(']') != std::string::npos ||
        keyName.find('=') != std::string::npos || keyName[0] == '[' || hasLineBreak(section) ||
        hasLineBreak(key) || hasLineBreak(value))
        return false;

    // Follow a link so the file it names is updated, not replaced by a copy.
    std::string target = file;
    char resolved[PATH_MAX];
    if (::realpath(file, resolved) != nullptr) target = resolved;

    std::string bytes;
    int state = readAll(target.c_str(), &bytes);
    if (state < 0) return false;
    // A new file gets the usual permissions; an existing one keeps its own.
    mode_t mode;
    struct stat st;
    if (state == 1 && ::stat(target.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }

    std::vector<Line> lines = splitLines(bytes);
    std::string newline = bytes.find("\r\n") != std::string::npos ? "\r\n"
                          : bytes.find('\n') != std::string::npos ? "\n"
                                                                   : "\r\n";
    std::string keyLine = keyName + "=" + trim(value);

    // Locate the section and, inside it, the key or the place for it.
    size_t sectionAt = std::string::npos, insertAt = std::string::npos, keyAt = std::string::npos;
    bool inSection = false;
    for (size_t i = 0; i < lines.size() && keyAt == std::string::npos; ++i) {
        std::string name, v;
        LineKind kind = parseLine(lines[i].text, &name, &v);
        if (kind == kSection) {
            if (inSection) break;  // the end of the first section of that name
            inSection = sameName(name, sectionName.c_str());
            if (inSection) sectionAt = insertAt = i;
        } else if (inSection) {
            if (kind == kKey && sameName(name, keyName.c_str())) keyAt = i;
            else if (!trim(lines[i].text).empty()) insertAt = i;
        }
    }

    if (keyAt != std::string::npos) {
        lines[keyAt].text = keyLine;
    } else {
        bool atEnd = sectionAt == std::string::npos || insertAt + 1 == lines.size();
        if (atEnd && !lines.empty() && lines.back().end.empty()) lines.back().end = newline;
        if (sectionAt == std::string::npos) {
            lines.push_back(Line{"[" + sectionName + "]", newline});
            lines.push_back(Line{keyLine, newline});
        } else {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt + 1), Line{keyLine, newline});
        }
    }

    std::string out;
    for (const Line &line : lines) out += line.text + line.end;
    return replaceFile(target, out, mode);
}

}  // namespace plat

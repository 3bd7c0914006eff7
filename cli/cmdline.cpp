// Parsing the console host's command line.
#include "cmdline.h"

#include <cstring>

namespace {

bool isIdentifier(const std::string &name) {
    if (name.empty()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        bool digit = c >= '0' && c <= '9';
        if (!letter && !(digit && i > 0)) return false;
    }
    return true;
}

bool sameNameNoCase(const std::string &a, const std::string &b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

// A whole 32-bit decimal integer with an optional sign; nothing else.
bool parseInt32(const std::string &text, int32_t *out) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    int64_t n = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        n = n * 10 + (text[i] - '0');
        if (n > 2147483648LL) return false;
    }
    if (negative) n = -n;
    if (n > INT32_MAX || n < INT32_MIN) return false;
    *out = static_cast<int32_t>(n);
    return true;
}

bool parseDefine(const std::string &arg, Define *d, std::string *error) {
    size_t equals = arg.find('=');
    if (equals == std::string::npos) {
        *error = "-D needs NAME=VALUE or NAME:=INTEGER, not '" + arg + "'";
        return false;
    }
    d->name = arg.substr(0, equals);
    d->text = arg.substr(equals + 1);
    if (!d->name.empty() && d->name.back() == ':') {
        d->name.pop_back();
        d->isInteger = true;
        if (!parseInt32(d->text, &d->number)) {
            *error = "'" + d->text + "' in -D '" + arg + "' is not a 32-bit integer";
            return false;
        }
    }
    if (!isIdentifier(d->name)) {
        *error = "'" + d->name + "' in -D '" + arg + "' is not a valid symbol name";
        return false;
    }
    return true;
}

}  // namespace

bool parseCommandLine(int argc, const char *const *argv, CommandLine *cmd, std::string *error) {
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            cmd->scripts.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }

        // The option's name, and a value attached as --name=value or -Xvalue.
        std::string name = arg, attached;
        bool hasAttached = false;
        if (arg.compare(0, 2, "--") == 0) {
            size_t equals = arg.find('=');
            if (equals != std::string::npos) {
                name = arg.substr(0, equals);
                attached = arg.substr(equals + 1);
                hasAttached = true;
            }
        } else if (arg.size() > 2) {
            name = arg.substr(0, 2);
            attached = arg.substr(2);
            hasAttached = true;
        }

        // Takes the option's values: the attached one, then following arguments.
        auto values = [&](int count, std::string *first, std::string *second) -> bool {
            std::string *slots[2] = {first, second};
            int have = 0;
            if (hasAttached) {
                *slots[have++] = attached;
                hasAttached = false;
            }
            while (have < count) {
                if (i + 1 >= argc) {
                    *error = "option '" + name + "' needs " +
                             (count == 1 ? std::string("a value") : std::string("two values: BEGIN END"));
                    return false;
                }
                *slots[have++] = argv[++i];
            }
            return true;
        };
        auto noValue = [&]() -> bool {
            if (!hasAttached) return true;
            *error = "option '" + name + "' takes no value: '" + arg + "'";
            return false;
        };

        std::string v, w;
        if (name == "-h" || name == "--help") {
            if (!noValue()) return false;
            cmd->help = true;
        } else if (name == "--version") {
            if (!noValue()) return false;
            cmd->version = true;
        } else if (name == "-q" || name == "--quiet") {
            if (!noValue()) return false;
            cmd->quiet = true;
        } else if (name == "-I" || name == "--include") {
            if (!values(1, &v, nullptr)) return false;
            // The engine separates include directories with ";".
            if (v.empty() || v.find(';') != std::string::npos) {
                *error = "include directory '" + v + "' must be non-empty and must not contain ';'";
                return false;
            }
            cmd->includes.push_back(v);
        } else if (name == "-D" || name == "--define") {
            if (!values(1, &v, nullptr)) return false;
            Define d;
            if (!parseDefine(v, &d, error)) return false;
            for (auto it = cmd->defines.begin(); it != cmd->defines.end(); ++it)
                if (sameNameNoCase(it->name, d.name)) {
                    cmd->defines.erase(it);
                    break;
                }
            cmd->defines.push_back(d);
        } else if (name == "--settings") {
            if (!values(1, &v, nullptr)) return false;
            cmd->settingsFile = v;
        } else if (name == "--markers" || name == "--protect" || name == "--block-comment") {
            if (!values(2, &v, &w)) return false;
            CommandLine::Pair &p = name == "--markers" ? cmd->markers
                                   : name == "--protect" ? cmd->protect
                                                         : cmd->blockComment;
            p.set = true;
            p.begin = v;
            p.end = w;
        } else if (name == "--line-comment") {
            if (!values(1, &v, nullptr)) return false;
            cmd->lineCommentSet = true;
            cmd->lineComment = v;
        } else if (name == "--no-comments") {
            if (!noValue()) return false;
            cmd->noComments = true;
        } else if (name == "--keep-blank-lines") {
            if (!noValue()) return false;
            cmd->keepBlankLines = true;
        } else if (name == "--no-markers") {
            if (!noValue()) return false;
            cmd->noMarkers = true;
        } else if (name == "--print-to-output") {
            if (!noValue()) return false;
            cmd->printToOutput = true;
        } else if (name == "--no-print") {
            if (!noValue()) return false;
            cmd->noPrint = true;
        } else if (name == "--error-format" && hasAttached) {
            if (attached == "gnu") cmd->errorFormat = ErrorFormat::kGnu;
            else if (attached == "messages") cmd->errorFormat = ErrorFormat::kMessages;
            else {
                *error = "unknown error format '" + attached + "' (use gnu or messages)";
                return false;
            }
        } else if (name == "--progress" && hasAttached) {
            if (attached == "auto") cmd->progress = Progress::kAuto;
            else if (attached == "always") cmd->progress = Progress::kAlways;
            else if (attached == "never") cmd->progress = Progress::kNever;
            else {
                *error = "unknown progress mode '" + attached + "' (use auto, always or never)";
                return false;
            }
        } else if (name == "--error-format" || name == "--progress") {
            *error = "option '" + name + "' needs a value: '" + name + "=...'";
            return false;
        } else {
            *error = "unknown option '" + arg + "'";
            return false;
        }
    }
    if (!cmd->help && !cmd->version && cmd->scripts.empty()) {
        *error = "no script given";
        return false;
    }
    return true;
}

bool resolveSettings(const CommandLine &cmd, GenSettings *s, std::string *error) {
    *s = GenSettings();
    if (!cmd.settingsFile.empty() && !loadSettings(cmd.settingsFile.c_str(), s, error)) return false;
    if (cmd.markers.set) {
        s->subLineBegin = cmd.markers.begin;
        s->subLineEnd = cmd.markers.end;
        s->markers = true;
    }
    if (cmd.protect.set) {
        s->protectBegin = cmd.protect.begin;
        s->protectEnd = cmd.protect.end;
    }
    if (cmd.blockComment.set) {
        s->commentBegin = cmd.blockComment.begin;
        s->commentEnd = cmd.blockComment.end;
    }
    if (cmd.lineCommentSet) s->commentMark = cmd.lineComment;
    if (cmd.noComments) s->comments = false;
    if (cmd.keepBlankLines) s->skipBlankLines = false;
    if (cmd.noMarkers) s->markers = false;
    if (cmd.printToOutput) s->outPrint = true;
    if (cmd.noPrint) s->printToMessages = false;
    // Directories of the command line are searched before those of the
    // settings file.
    std::string path;
    for (const std::string &dir : cmd.includes) path += (path.empty() ? "" : ";") + dir;
    if (!s->includePath.empty()) path += (path.empty() ? "" : ";") + s->includePath;
    s->includePath = path;
    return true;
}

const char *helpText() {
    return "Usage: vyr [OPTION]... SCRIPT...\n"
           "Run each generator SCRIPT as the editor's Generate command does and report\n"
           "its progress, errors and Print output, one line each, on standard output.\n"
           "\n"
           "Settings (defaults: comments on with // /* */, script markers $[ ]$,\n"
           "blank lines ignored, protected regions %PROTECT %ENDPROTECT):\n"
           "  -I, --include DIR          search DIR for include files (repeatable; before\n"
           "                             the settings file's include path)\n"
           "  -D, --define NAME=VALUE    define the String symbol NAME for the scripts\n"
           "  -D, --define NAME:=NUMBER  define the Integer symbol NAME\n"
           "      --settings FILE        read sections Defaults and Messages of an editor\n"
           "                             settings file (missing keys keep their defaults)\n"
           "      --markers BEGIN END    script markers (and turn script markers on)\n"
           "      --no-markers           every line is script text; nothing is written\n"
           "                             to output files from template text\n"
           "      --protect BEGIN END    markers of protected regions\n"
           "      --line-comment MARK    line comment mark\n"
           "      --block-comment BEGIN END  block comment marks\n"
           "      --no-comments          do not recognise comments\n"
           "      --keep-blank-lines     do not skip blank script lines\n"
           "      --print-to-output      Print also writes its values to the output file\n"
           "      --no-print             do not list Print values\n"
           "\n"
           "Reporting:\n"
           "  -q, --quiet                report errors and the final line only\n"
           "      --error-format=gnu     write errors as FILE:LINE: error: TEXT on\n"
           "                             standard error (default: messages)\n"
           "      --progress=auto|always|never  show the percentage of the script read\n"
           "                             and the current output file on standard error\n"
           "                             (auto: when standard error is a terminal)\n"
           "  -h, --help                 show this help and exit\n"
           "      --version              show the version and exit\n"
           "\n"
           "Exit status: 0 every script generated without error, 1 a script had errors,\n"
           "2 usage error or a script that cannot be read, 130 cancelled (Ctrl+C).\n"
           "Ctrl+C stops the run after the current line and keeps the previous output\n"
           "files; press it again to end the program at once.\n"
           "\n"
           "Example:\n"
           "  vyr -I templates -D PROJECT=demo -D VERSION:=3 --error-format=gnu model.vyr\n";
}

// cmdline.h - the console host's command line.
#ifndef VYR_CLI_CMDLINE_H
#define VYR_CLI_CMDLINE_H

#include <cstdint>
#include <string>
#include <vector>

#include "settings.h"

enum class ErrorFormat { kMessages, kGnu };
enum class Progress { kAuto, kAlways, kNever };

// A symbol given with -D: a String, or an Integer with NAME:=VALUE.
struct Define {
    std::string name;
    bool isInteger = false;
    std::string text;
    int32_t number = 0;
};

struct CommandLine {
    bool help = false;
    bool version = false;
    bool quiet = false;
    ErrorFormat errorFormat = ErrorFormat::kMessages;
    Progress progress = Progress::kAuto;
    std::string settingsFile;  // empty: built-in defaults
    std::vector<std::string> includes;
    std::vector<Define> defines;  // one per name, the last one given wins
    std::vector<std::string> scripts;

    // Explicit overrides, applied over the settings file.
    struct Pair {
        bool set = false;
        std::string begin, end;
    };
    Pair markers, protect, blockComment;
    bool lineCommentSet = false;
    std::string lineComment;
    bool noComments = false, keepBlankLines = false, noMarkers = false, printToOutput = false, noPrint = false;
};

// Parses argv[1..argc-1].  False with *error naming the offending argument
// on a usage error.
bool parseCommandLine(int argc, const char *const *argv, CommandLine *cmd, std::string *error);

// The settings for every run: the defaults, then the settings file, then
// the overrides and include directories of the command line.  False with
// *error when the settings file cannot be read.
bool resolveSettings(const CommandLine &cmd, GenSettings *settings, std::string *error);

// The --help text.
const char *helpText();

#endif  // VYR_CLI_CMDLINE_H

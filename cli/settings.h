// settings.h - what the console host hands the engine for every run: the
// generation settings of the editor's settings file, their defaults, and
// the engine options record built from them.
#ifndef VYR_CLI_SETTINGS_H
#define VYR_CLI_SETTINGS_H

#include <string>

#include "vyrapi.h"

struct GenSettings {
    // Section Defaults
    bool comments = true;  // key NoComments: 1 means comment marks are recognised
    std::string commentMark = "//";
    std::string commentBegin = "/*";
    std::string commentEnd = "*/";
    bool markers = true;  // key XlatSubLines
    std::string subLineBegin = "$[";
    std::string subLineEnd = "]$";
    bool skipBlankLines = true;  // key NoBlankLines
    std::string includePath;
    std::string protectBegin = "%PROTECT";
    std::string protectEnd = "%ENDPROTECT";
    bool outPrint = false;
    // Section Messages
    bool printToMessages = true;  // key Print
};

// Reads the sections Defaults and Messages of a settings file over the
// built-in defaults: a key that is missing or empty keeps its default.
// False (with *error set) when the file cannot be opened.
bool loadSettings(const char *file, GenSettings *settings, std::string *error);

// Integer setting text: leading blanks, optional sign, digits; text that
// does not begin with a number is 0.
int32_t settingNumber(const std::string &text);

// The options record the editor builds for Generate.  The texts point into
// settings, which must outlive the record's use in VyrCreate.
VYROPTIONS makeOptions(const GenSettings &settings, VYRCALLBACK callback, intptr_t userData);

#endif  // VYR_CLI_SETTINGS_H

// report.h - how the console host shows a run: message lines on standard
// output, errors in the messages format or the GNU format, and an optional
// self-updating progress line on standard error.
#ifndef VYR_CLI_REPORT_H
#define VYR_CLI_REPORT_H

#include <cstdint>
#include <string>

#include "cmdline.h"

class Reporter {
public:
    Reporter(bool quiet, ErrorFormat errorFormat, bool progress)
        : quiet_(quiet), errorFormat_(errorFormat), progress_(progress) {}

    // A progress or Print line; left out when quiet.
    void message(const std::string &text);
    // An error of a script file.
    void error(const char *file, uint32_t line, const char *text);
    // The final line of a run; always shown.
    void final(const std::string &text);
    // A problem of the host itself (usage, unreadable files): "vyr: TEXT" on
    // standard error.
    void problem(const std::string &text);

    // Progress of the run: the main script's percentage and the current
    // output file.  Redraws only when something changed.
    void showProgress(uint32_t percent, const char *output);
    // Removes the progress line (at the end of a run).
    void endProgress();

    bool quiet() const { return quiet_; }

private:
    void eraseProgress();
    void drawProgress();

    bool quiet_;
    ErrorFormat errorFormat_;
    bool progress_;
    bool shown_ = false;
    uint32_t percent_ = 0;
    std::string output_;
    size_t width_ = 0;  // length of the progress line on the screen
};

// Percentage of a file read, from the offset of the current line and the
// file's size: 0 for an empty file, never above 100.
uint32_t percentRead(uint32_t offset, uint32_t size);

#endif  // VYR_CLI_REPORT_H

// Output of the console host.
#include "report.h"

#include <cstdio>

namespace {
constexpr size_t kMaxShownOutput = 60;  // keeps the progress line on one screen line
}

uint32_t percentRead(uint32_t offset, uint32_t size) {
    if (size == 0) return 0;
    // 64-bit product: offset x 100 does not fit 32 bits for large scripts.
    uint64_t percent = static_cast<uint64_t>(offset) * 100u / size;
    return percent > 100 ? 100u : static_cast<uint32_t>(percent);
}

void Reporter::message(const std::string &text) {
    if (quiet_) return;
    eraseProgress();
    fwrite(text.data(), 1, text.size(), stdout);
    fputc('\n', stdout);
    fflush(stdout);  // logs of build systems and CI follow the run line by line
    drawProgress();
}

void Reporter::error(const char *file, uint32_t line, const char *text) {
    eraseProgress();
    if (errorFormat_ == ErrorFormat::kGnu) {
        fflush(stdout);  // keep the order of the lines of both streams
        fprintf(stderr, "%s:%u: error: %s\n", file ? file : "", static_cast<unsigned>(line), text ? text : "");
        fflush(stderr);
    } else {
        printf("Error %s (%u) : %s.\n", file ? file : "", static_cast<unsigned>(line), text ? text : "");
        fflush(stdout);
    }
    drawProgress();
}

void Reporter::final(const std::string &text) {
    eraseProgress();
    fwrite(text.data(), 1, text.size(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
    drawProgress();
}

void Reporter::problem(const std::string &text) {
    eraseProgress();
    fflush(stdout);
    fprintf(stderr, "vyr: %s\n", text.c_str());
    fflush(stderr);
    drawProgress();
}

void Reporter::showProgress(uint32_t percent, const char *output) {
    if (!progress_) return;
    if (output == nullptr) output = "";
    if (shown_ && percent == percent_ && output_ == output) return;
    eraseProgress();
    percent_ = percent;
    output_ = output;
    shown_ = true;
    drawProgress();
}

void Reporter::endProgress() {
    eraseProgress();
    shown_ = false;
    output_.clear();
    percent_ = 0;
}

void Reporter::eraseProgress() {
    if (!shown_ || width_ == 0) return;
    fprintf(stderr, "\r%*s\r", static_cast<int>(width_), "");
    fflush(stderr);
    width_ = 0;
}

void Reporter::drawProgress() {
    if (!shown_) return;
    fflush(stdout);
    std::string shownOutput = output_.empty() ? "<none>" : output_;
    if (shownOutput.size() > kMaxShownOutput)
        shownOutput = "..." + shownOutput.substr(shownOutput.size() - (kMaxShownOutput - 3));
    char line[128];
    int n = snprintf(line, sizeof line, "%3u%% %s", static_cast<unsigned>(percent_), shownOutput.c_str());
    if (n < 0) return;
    width_ = static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n) : sizeof line - 1;
    fprintf(stderr, "\r%s", line);
    fflush(stderr);
}

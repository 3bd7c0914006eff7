// engine.h - the engine object behind an HVYR, in two class layers.
//
// VyrInterpreter is the interpreter core: block state, symbols, reader
// options, output state, the current reader/position/evaluator, the depth
// and the error code.  It reports what happens through six virtual hooks.
// VyrEngine adds the host side: owner window, callback, user data, the
// print-to-output flag and the host's error record, and turns the hooks
// into callback events.
#ifndef VYR_ENGINE_H
#define VYR_ENGINE_H

#include <cstdint>

#include "vyrapi.h"
#include "vyrstring.h"
#include "core/messages.h"

// The engine-wide options every script reader of an engine obeys.
struct VyrReaderOptionsState {
    uint32_t flags = 0;  // VYRO_NOCOMMENTS | VYRO_NOBLANKLINES | VYRO_XLATSUBLINES | VYR_CANCEL
    VyrString subLineBegin, subLineEnd, commentMark, commentBegin, commentEnd;
};

class VyrInterpreter {
public:
    VyrInterpreter();
    virtual ~VyrInterpreter();

    VyrInterpreter(const VyrInterpreter &) = delete;
    VyrInterpreter &operator=(const VyrInterpreter &) = delete;

    // Hooks, in slot order.  The core versions do nothing and answer 0 (or
    // pass the result through).
    virtual int32_t onBegin() { return 0; }
    virtual int32_t onEnd(int32_t result) { return result; }
    virtual int32_t onResume(int32_t result) { return result; }
    virtual int32_t onOutput() { return 0; }
    virtual int32_t onStatement(int32_t id, void *arguments) {
        (void)id;
        (void)arguments;
        return 0;
    }
    virtual int32_t onError() { return 0; }

    // Interprets the main script; the result follows the result rules of
    // the callback answers.
    int32_t interpretMain(const char *path);

    int32_t depth() const { return depth_; }
    int32_t errorCode() const { return errorCode_; }
    void setErrorCode(int32_t code) { errorCode_ = code; }

    // Fills a state record for an event or VyrGetState; false when nothing
    // is being interpreted.
    bool fillState(VYRSTATE *state, void *item) const;

    // The evaluator error of the current evaluator, 0 when none.
    int32_t evaluatorError() const { return evaluatorError_; }

    VyrReaderOptionsState readerOptions;
    VyrString includePath;
    VyrString protectBegin, protectEnd;
    VyrString outputPath;  // full path of the current output file, "" when none

protected:
    int32_t depth_ = 0;
    int32_t errorCode_ = kErrNone;
    int32_t evaluatorError_ = 0;

    // Current file being read (for state records and messages).
    VyrString currentFile_;
    int32_t currentSize_ = 0;
    int32_t currentLine_ = 0;
    int32_t currentOffset_ = 0;
};

class VyrEngine : public VyrInterpreter {
public:
    VyrEngine();
    ~VyrEngine() override;

    int32_t onBegin() override;
    int32_t onEnd(int32_t result) override;
    int32_t onResume(int32_t result) override;
    int32_t onOutput() override;
    int32_t onStatement(int32_t id, void *arguments) override;
    int32_t onError() override;

    // Delivers one event: pending window messages first, then the callback
    // with a fresh state record; 0 when there is no callback or no state.
    int32_t deliver(uint32_t event, void *item = nullptr);

    int32_t setOptions(const VYROPTIONS *options);
    int32_t getOptions(VYROPTIONS *options) const;
    int32_t setErrMessage(VYRERROR *error);
    int32_t getErrMessage(VYRERROR *error) const;

    HVYR handle() { return reinterpret_cast<HVYR>(this); }
    static VyrEngine *fromHandle(HVYR h) { return reinterpret_cast<VyrEngine *>(h); }

    VYRHWND ownerWindow = nullptr;
    bool printToOutput = false;
    intptr_t userData = 0;
    VYRCALLBACK callback = nullptr;

private:
    const VYRERROR *hostError_ = nullptr;  // set only while VyrSetErrMessage runs
    bool inDialog_ = false;                // a Dialog is being defined
};

#endif  // VYR_ENGINE_H

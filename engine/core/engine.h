// engine.h - the engine object behind an HVYR, in two class layers.
//
// VyrInterpreter is the interpreter core: the statement table, the block
// state, the symbol table, the reader options, the result item, the output
// state, the current interpretation (reader, line position, evaluator), the
// depth and the error code.  It reports what happens through six virtual
// hooks.  VyrEngine adds the host side (owner window, callback, user data,
// print-to-output flag, the host's error record) and turns the hooks into
// callback events.
#ifndef VYR_ENGINE_H
#define VYR_ENGINE_H

#include <cstdint>
#include <memory>
#include <vector>

#include "core/evaluator.h"
#include "core/limits.h"
#include "core/messages.h"
#include "core/output.h"
#include "core/pattern.h"
#include "core/reader.h"
#include "core/symbols.h"
#include "core/textlist.h"
#include "values/filefuncs.h"
#include "values/item.h"
#include "vyrapi.h"
#include "vyrstring.h"

// An open block of the block stack.
struct VyrBlock {
    enum Kind : int32_t { kIf = 0, kElse = 1, kWhile = 2, kFor = 3, kSelect = 5, kCase = 6,
                          kOtherwise = 7, kProc = 9, kBase = 10 };
    int32_t kind;
    int32_t active;
    int32_t taken;
    int32_t line;    // line position of the line that opened or last changed
    int32_t offset;  // the block; loops jump back to it
};

// One interpretation of one file: its reader, line position, evaluator,
// the arguments of the current line and the previous dispatch result.
struct VyrFrame {
    VyrFrame(const VyrReaderOptions &options, VyrSymbolTable &symbols, HVYR engine, VyrTokenCache *tokens)
        : reader(options), eval(symbols, engine, tokens) {}
    VyrScriptReader reader;
    VyrLinePos pos;
    VyrEvaluator eval;
    VyrTextList args;
    int32_t previous = 1;
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
    virtual int32_t onStatement(int32_t id, VyrTextList &arguments) {
        (void)id;
        (void)arguments;
        return 0;
    }
    virtual int32_t onError() { return 0; }

    // Interprets one file from a line position; the result follows the
    // result rules of the callback answers.  With fullPath the path is the
    // full path of a file opened before (a procedure's own script).
    int32_t interpretFile(const char *path, int32_t line, int32_t offset, bool fullPath = false);
    // Runs a script procedure's body in a fresh scope of its parameters.
    int32_t callProcedure(const VyrProcEntry &proc, VyrArgs &args, VyrItem &result);

    int32_t depth() const { return depth_; }
    int32_t errorCode() const { return errorCode_; }
    void setErrorCode(int32_t code) { errorCode_ = code; }

    // Fills a state record for an event or VyrGetState; false when nothing
    // is being interpreted.
    bool fillState(VYRSTATE *state, void *item) const;
    // The evaluator error of the current interpretation, 0 when none.
    int32_t evaluatorError() const { return frame_ ? frame_->eval.error() : 0; }

    VyrSymbolTable &symbols() { return symbols_; }
    VyrReaderOptions readerOptions;
    VyrString includePath;
    VyrString protectBegin, protectEnd;

    // Output state (output.cpp).
    VyrString outputPath;    // full path of the current output file, "" when none
    VyrString previousPath;  // the previous version of the output file
    // Closes the output and keeps or restores the previous version.
    void finishOutput();

    // Files the scripts opened with OPEN; flushed and closed with the engine.
    VyrOpenFileList openFiles;

protected:
    // The line loop and its parts (interpreter.cpp).
    int32_t bookkeeping(int32_t id);
    void execute(int32_t d);
    bool executeStatement(int32_t d);
    bool executeFor();
    bool executeForEach();
    bool executeAssign();
    bool executeObject();
    bool executeExpressionLine(int32_t d);
    bool executeInclude();
    bool defineProcedure();
    bool executeReturn();
    // Output, Append, Protect, End Protect (output.cpp).
    bool executeOutput(int32_t mode);
    bool executeProtect();
    bool executeEndProtect();

    void pushBlock(int32_t kind, int32_t active, int32_t taken);
    void popBlock();
    void setTopActive(int32_t active);
    static bool truth(const VyrItem &item);

    VyrStatementTable statements_;
    std::vector<VyrBlock> blocks_;
    int32_t active_ = 1;
    int32_t taken_ = 0;
    int32_t break_ = 0;
    int32_t jumpLine_ = 0, jumpOffset_ = 0;
    bool returning_ = false;

    VyrSymbolTable symbols_;
    // Scanned expression texts, shared by every evaluator of the engine.
    VyrTokenCache tokens_;
    VyrItem result_;
    VyrFile *output_ = nullptr;  // the current output file, or none
    bool inCopiedRegion_ = false;  // between a Protect whose old content was copied and its End Protect
    VyrOutputFile outFile_;      // the output being generated and its previous version

    HVYR handle_ = nullptr;  // the engine handle handed to called functions
    VyrFrame *frame_ = nullptr;
    int32_t depth_ = 0;
    int32_t errorCode_ = kErrNone;
    VyrNamedItem *currentObject_ = nullptr;
    std::vector<VyrNameTable *> scopes_;  // local scopes of running procedures
};

class VyrEngine : public VyrInterpreter {
public:
    VyrEngine();
    ~VyrEngine() override;

    int32_t onBegin() override;
    int32_t onEnd(int32_t result) override;
    int32_t onResume(int32_t result) override;
    int32_t onOutput() override;
    int32_t onStatement(int32_t id, VyrTextList &arguments) override;
    int32_t onError() override;

    // Delivers one event: pending window messages first, then the callback
    // with a fresh state record; 0 when there is no callback or no state.
    int32_t deliver(uint32_t event, void *item = nullptr);

    int32_t setOptions(const VYROPTIONS *options);
    int32_t getOptions(VYROPTIONS *options) const;
    int32_t setErrMessage(VYRERROR *error);
    int32_t getErrMessage(VYRERROR *error) const;

    // Compiles the statement table (once, when the engine is created).
    void registerStatements();

    HVYR handle() { return reinterpret_cast<HVYR>(this); }
    static VyrEngine *fromHandle(HVYR h) { return reinterpret_cast<VyrEngine *>(h); }

    VYRHWND ownerWindow = nullptr;
    bool printToOutput = false;
    intptr_t userData = 0;
    VYRCALLBACK callback = nullptr;

private:
    bool executePrint(const VyrString &text);
    bool executeInspect(const VyrString &text);

    const VYRERROR *hostError_ = nullptr;  // set only while VyrSetErrMessage runs
    bool inDialog_ = false;                // a Dialog is being defined
};

#endif  // VYR_ENGINE_H

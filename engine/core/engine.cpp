// The engine object: options, event delivery and error messages.
#include "core/engine.h"

#include <cstring>

#include "platform/platform.h"
#include "values/library.h"

// ---- VyrInterpreter -----------------------------------------------------

VyrInterpreter::VyrInterpreter() {
    VyrBlock base;
    base.kind = VyrBlock::kBase;
    base.active = 1;
    base.taken = 0;
    base.line = 0;
    base.offset = 0;
    blocks_.push_back(base);
    if (VyrGlobalLibrary *library = vyrGlobalLibrary()) {
        for (VyrNode *n = library->symbols.first; n; n = n->next)
            symbols_.variables.appendNode(n->clone());
        for (VyrHashEntry *e = library->functions.first(); e; e = library->functions.next())
            symbols_.functions.add(*e);
    }
}

VyrInterpreter::~VyrInterpreter() { finishOutput(); }

bool VyrInterpreter::fillState(VYRSTATE *state, void *item) const {
    if (state == nullptr || depth_ < 1 || frame_ == nullptr) return false;
    state->nLevel = depth_;
    state->lpszFile = frame_->reader.file().name().c_str();
    state->lSize = frame_->reader.file().size();
    state->nLine = frame_->pos.line;
    state->lOffset = frame_->pos.offset;
    state->lpszOutput = outputPath.c_str();
    state->lpItem = item;
    return true;
}

// ---- VyrEngine: options -------------------------------------------------

VyrEngine::VyrEngine() : ownerWindow(static_cast<VYRHWND>(plat::activeWindow())) { handle_ = handle(); }

void VyrEngine::registerStatements() { statements_.addStandard(); }

VyrEngine::~VyrEngine() = default;

static bool validRecord(const VYROPTIONS *options) {
    return options != nullptr && options->cbSize == sizeof(VYROPTIONS);
}

int32_t VyrEngine::setOptions(const VYROPTIONS *o) {
    if (!validRecord(o)) return 0;
    const uint32_t mask = o->fMask;
    if (mask & VYROF_FLAGS) {
        const uint32_t readerBits = VYRO_NOCOMMENTS | VYRO_NOBLANKLINES | VYRO_XLATSUBLINES;
        readerOptions.flags = (readerOptions.flags & ~readerBits) | (o->fFlags & readerBits);
        printToOutput = (o->fFlags & VYRO_OUTPRINT) != 0;
    }
    if ((mask & VYROF_INCLUDEPATH) && o->lpszIncludePath) includePath = o->lpszIncludePath;
    if ((mask & VYROF_SUBLINES) && o->lpszSubLineBegin && o->lpszSubLineEnd) {
        readerOptions.subLineBegin = o->lpszSubLineBegin;
        readerOptions.subLineEnd = o->lpszSubLineEnd;
    }
    if (mask & VYROF_COMMENTS) {
        if (o->lpszCommentMark) readerOptions.commentMark = o->lpszCommentMark;
        if (o->lpszCommentBegin && o->lpszCommentEnd) {
            readerOptions.commentBegin = o->lpszCommentBegin;
            readerOptions.commentEnd = o->lpszCommentEnd;
        }
    }
    if ((mask & VYROF_PROTECT) && o->lpszProtectBegin && o->lpszProtectEnd) {
        protectBegin = o->lpszProtectBegin;
        protectEnd = o->lpszProtectEnd;
    }
    if (mask & VYROF_PARENT) ownerWindow = o->hwndParent;
    if (mask & VYROF_USERDATA) userData = o->lUserData;
    if (mask & VYROF_CALLBACK) callback = o->lpfnCallback;
    return 1;
}

int32_t VyrEngine::getOptions(VYROPTIONS *o) const {
    if (!validRecord(o)) return 0;
    const uint32_t mask = o->fMask;
    if (mask & VYROF_FLAGS) {
        o->fFlags = readerOptions.flags & (VYRO_NOCOMMENTS | VYRO_NOBLANKLINES | VYRO_XLATSUBLINES);
        if (printToOutput) o->fFlags |= VYRO_OUTPRINT;
    }
    if (mask & VYROF_INCLUDEPATH) o->lpszIncludePath = includePath.c_str();
    if (mask & VYROF_SUBLINES) {
        o->lpszSubLineBegin = readerOptions.subLineBegin.c_str();
        o->lpszSubLineEnd = readerOptions.subLineEnd.c_str();
    }
    if (mask & VYROF_COMMENTS) {
        o->lpszCommentMark = readerOptions.commentMark.c_str();
        o->lpszCommentBegin = readerOptions.commentBegin.c_str();
        o->lpszCommentEnd = readerOptions.commentEnd.c_str();
    }
    if (mask & VYROF_PROTECT) {
        o->lpszProtectBegin = protectBegin.c_str();
        o->lpszProtectEnd = protectEnd.c_str();
    }
    if (mask & VYROF_PARENT) o->hwndParent = ownerWindow;
    if (mask & VYROF_USERDATA) o->lUserData = userData;
    if (mask & VYROF_CALLBACK) o->lpfnCallback = callback;
    return 1;
}

// ---- VyrEngine: events ----------------------------------------------------

int32_t VyrEngine::deliver(uint32_t event, void *item) {
    plat::pumpMessages();
    // A host answering these may look at the output file: it gets every
    // byte written so far.
    if (output_ != nullptr && (event == VYRE_OUTPUT || event == VYRE_ERROR || event == VYRE_DIALOG ||
                               event == VYRE_INSPECT))
        output_->flushWrites();
    if (callback == nullptr) return 0;
    VYRSTATE state;
    if (!fillState(&state, item)) return 0;
    return callback(handle(), event, &state, userData);
}

int32_t VyrEngine::onBegin() { return deliver(VYRE_BEGIN); }

int32_t VyrEngine::onEnd(int32_t result) { return deliver(VYRE_END) ? result : 0; }

int32_t VyrEngine::onResume(int32_t result) { return deliver(VYRE_RESUME) ? result : 0; }

int32_t VyrEngine::onOutput() { return deliver(VYRE_OUTPUT); }

int32_t VyrEngine::onError() { return deliver(VYRE_ERROR); }

int32_t VyrEngine::onStatement(int32_t id, VyrTextList &arguments) {
    if (deliver(VYRE_STATEMENT) == 0) {
        // Cancel: every reader of this engine reports the end of its file at
        // its next line; the option bits go with it.
        readerOptions.flags = VYR_CANCEL;
    }
    switch (id) {
    case kStmtPrint:
        return arguments.count() && executePrint(arguments[0]) ? 1 : 0;
    case kStmtInspect:
        return arguments.count() && executeInspect(arguments[0]) ? 1 : 0;
    case 1003:  // End Dialog
        if (!inDialog_) errorCode_ = kErrEndDialog;
        inDialog_ = false;
        return 1;
    default:
        return 0;
    }
}

// ---- VyrEngine: error messages ---------------------------------------------

int32_t VyrEngine::setErrMessage(VYRERROR *error) {
    hostError_ = error;
    int32_t answer = onError();
    hostError_ = nullptr;
    return answer;
}

static void copyText(char *destination, int32_t room, const char *text) {
    if (destination == nullptr || room <= 0) return;
    size_t n = text ? std::strlen(text) : 0;
    if (n > static_cast<size_t>(room - 1)) n = static_cast<size_t>(room - 1);
    if (n) std::memcpy(destination, text, n);
    destination[n] = '\0';
}

int32_t VyrEngine::getErrMessage(VYRERROR *error) const {
    if (error == nullptr) return 0;
    if (hostError_ != nullptr) {
        error->lpszFile = hostError_->lpszFile;
        error->nLine = hostError_->nLine;
        copyText(error->lpszText, error->cchText, hostError_->lpszText);
        return 1;
    }
    const int32_t evalError = evaluatorError();
    int32_t id = evalError ? vyrEvaluatorMessageId(evalError) : vyrEngineMessageId(errorCode_);
    if (id == 0) return 0;
    error->lpszFile = frame_ ? frame_->reader.file().name().c_str() : "";
    error->nLine = frame_ ? static_cast<uint32_t>(frame_->pos.line) : 0;
    copyText(error->lpszText, error->cchText, vyrMessageText(id));
    return 1;
}

// ---- VyrEngine: Print and Inspect -------------------------------------------

// Print: the pieces of the text between the "," and ";" that stand outside
// quotes and parentheses, evaluated left to right; one print event each.
bool VyrEngine::executePrint(const VyrString &text) {
    VyrFrame &f = *frame_;
    const char *s = text.c_str();
    const int32_t n = text.length();
    int32_t start = 0, depth = 0;
    char quote = 0;
    for (int32_t i = 0; i <= n; ++i) {
        const char c = s[i];
        if (i < n && quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (i < n && (c == '"' || c == '\'')) {
            quote = c;
            continue;
        }
        if (c == '(') ++depth;
        if (c == ')') --depth;
        if (i < n && (depth != 0 || (c != ',' && c != ';'))) continue;
        if (i == n && (quote || depth != 0)) return false;
        VyrString piece(s + start, i - start);
        start = i + 1;
        if (!f.eval.evaluate(piece.c_str())) return false;
        VyrItem &value = f.eval.result();
        deliver(VYRE_PRINT, &value);
        if (printToOutput) {
            if (value.isNumeric()) {
                char digits[VyrString::kIntTextSize];
                f.reader.appendOutput(digits, VyrString::formatInt(value.num(), digits));
            } else if (value.isString()) {
                f.reader.appendOutput(value.str()->c_str(), value.str()->length());
            }
        }
    }
    return true;
}

// Inspect: an object variable goes to the host, which may change it.
bool VyrEngine::executeInspect(const VyrString &text) {
    VyrFrame &f = *frame_;
    if (!f.eval.evaluate(text.c_str())) return false;
    VyrItem *variable = f.eval.reference();
    if (!f.eval.result().isObject() || variable == nullptr) return false;
    return deliver(VYRE_INSPECT, variable) != 0;
}

// The engine object: options, event delivery and error messages.
#include "core/engine.h"

#include <cstring>

#include "platform/platform.h"

// ---- VyrInterpreter -----------------------------------------------------

VyrInterpreter::VyrInterpreter() = default;

VyrInterpreter::~VyrInterpreter() = default;

bool VyrInterpreter::fillState(VYRSTATE *state, void *item) const {
    if (state == nullptr || depth_ < 1) return false;
    state->nLevel = depth_;
    state->lpszFile = currentFile_.c_str();
    state->lSize = currentSize_;
    state->nLine = currentLine_;
    state->lOffset = currentOffset_;
    state->lpszOutput = outputPath.c_str();
    state->lpItem = item;
    return true;
}

// ---- VyrEngine: options -------------------------------------------------

VyrEngine::VyrEngine() : ownerWindow(static_cast<VYRHWND>(plat::activeWindow())) {}

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

int32_t VyrEngine::onStatement(int32_t id, void *arguments) {
    (void)arguments;
    if (deliver(VYRE_STATEMENT) == 0) {
        // Cancel: every reader of this engine reports the end of its file at
        // its next line; the option bits go with it.
        readerOptions.flags = VYR_CANCEL;
    }
    switch (id) {
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
    int32_t id = evaluatorError_ ? vyrEvaluatorMessageId(evaluatorError_) : vyrEngineMessageId(errorCode_);
    if (id == 0) return 0;
    error->lpszFile = currentFile_.c_str();
    error->nLine = static_cast<uint32_t>(currentLine_);
    copyText(error->lpszText, error->cchText, vyrMessageText(id));
    return 1;
}

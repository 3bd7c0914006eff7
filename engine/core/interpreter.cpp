// The interpretation of one script file, line by line, and the structured
// statements that steer it.
//
// There is no syntax tree: each line is matched when it is read, a block
// stack records which blocks are open and whether their lines execute, the
// lines of blocks that do not execute are still read (their block
// statements still counted) but not executed, and loops jump back by seeking
// the reader to the line position recorded when the loop was entered.
#include <cstring>

#include "core/engine.h"
#include "core/stackguard.h"
#include "platform/platform.h"

namespace {

bool isNameText(const char *text) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    auto letter = [](unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    if (!letter(*p)) return false;
    for (++p; *p; ++p)
        if (!letter(*p) && !(*p >= '0' && *p <= '9')) return false;
    return true;
}

}  // namespace

// ---- The file loop ----------------------------------------------------------

int32_t VyrInterpreter::interpretFile(const char *path, int32_t line, int32_t offset, bool fullPath) {
    VyrFrame *saved = frame_;
    VyrStackGuard stack;
    if (depth_ >= kVyrMaxDepth || VyrStackGuard::exhausted()) {
        errorCode_ = kErrTooDeep;
        return onError() == 0 ? 1 : 0;
    }
    std::unique_ptr<VyrFrame> frame(new VyrFrame(readerOptions, symbols_, handle_, &tokens_));
    if (!path || !frame->reader.open(path, fullPath)) {
        errorCode_ = kErrOpenInput;
        return onError() == 0 ? 1 : 0;
    }
    VyrFrame &f = *frame;
    f.reader.attachOutput(output_);
    f.reader.setActive(&active_);
    f.pos.line = line > 0 ? line : 0;
    f.pos.offset = offset > 0 ? offset : 0;
    f.reader.seek(f.pos);
    frame_ = &f;
    ++depth_;
    int32_t r = onBegin();

    while (f.reader.nextScriptLine(f.pos)) {
        int32_t a = statements_.match(f.pos.text.c_str(), f.args);
        int32_t d = bookkeeping(a);
        if (onStatement(d, f.args) == 0) execute(d);
        if (returning_) {
            returning_ = false;
            r = 1;
            break;
        }
        if (d != 1) f.reader.flush(true);
        // A failed write (a full disk) stops the run at the line that made it
        // or just after it; the previous output then stays as it was.
        if (errorCode_ == kErrNone && output_ != nullptr && output_->state() == 0) errorCode_ = kErrWriteOutput;
        if (errorCode_ != kErrNone || f.eval.error() != 0) {
            if (errorCode_ == kErrNone) errorCode_ = kErrExprType;
            r = onError() == 0 ? 1 : 0;
            break;
        }
        f.previous = d;
    }
    if (errorCode_ == kErrNone && f.eval.error() == 0) {
        // Reading stopped early, or the last template lines could not be written.
        if (f.reader.fault() == VyrScriptReader::kFaultLineTooLong) errorCode_ = kErrLineTooLong;
        else if (f.reader.fault() == VyrScriptReader::kFaultChanged) errorCode_ = kErrScriptChanged;
        else if (output_ != nullptr && !output_->flushWrites()) errorCode_ = kErrWriteOutput;
        if (errorCode_ != kErrNone) r = onError() == 0 ? 1 : 0;
    }

    int32_t result = onEnd(r);
    --depth_;
    frame_ = saved;
    frame.reset();
    if (saved) {
        // An Output in the nested file may have started the first output
        // file of the run: the resumed file writes its template text there
        // too (unless it stands inside a region whose old text was copied).
        if (saved->reader.output() == nullptr && output_ != nullptr && !inCopiedRegion_)
            saved->reader.attachOutput(output_);
        result = onResume(result);
    }
    return result;
}

// ---- Block bookkeeping ----------------------------------------------------

void VyrInterpreter::pushBlock(int32_t kind, int32_t active, int32_t taken) {
    VyrBlock b;
    b.kind = kind;
    b.active = active;
    b.taken = taken;
    b.line = frame_ ? frame_->pos.line : 0;
    b.offset = frame_ ? frame_->pos.offset : 0;
    blocks_.push_back(b);
    active_ = active;
    taken_ = taken;
}

void VyrInterpreter::popBlock() {
    if (blocks_.size() > 1) blocks_.pop_back();  // the base block stays
    active_ = blocks_.back().active;
    taken_ = blocks_.back().taken;
}

void VyrInterpreter::setTopActive(int32_t active) {
    blocks_.back().active = active;
    active_ = active;
}

int32_t VyrInterpreter::bookkeeping(int32_t a) {
    if (break_) active_ = 0;
    VyrBlock *top = &blocks_.back();
    const int32_t aOr1 = active_ ? a : 1;
    auto retarget = [&](int32_t kind, int32_t taken) {  // the top block changes in place
        top->kind = kind;
        top->active = 0;
        top->taken = taken;
        top->line = frame_->pos.line;
        top->offset = frame_->pos.offset;
        active_ = 0;
        taken_ = taken;
    };
    auto replaceTop = [&](int32_t kind) {  // pop p, push with the branch rule
        VyrBlock p = *top;
        popBlock();
        pushBlock(kind, (blocks_.back().active && !p.active) ? 1 : 0, p.taken);
    };
    auto loopEnd = [&](int32_t kind, int32_t mismatch) -> int32_t {
        if (top->kind != kind) return mismatch;
        int32_t d = 1;
        if (active_) {
            jumpLine_ = top->line;
            jumpOffset_ = top->offset;
            d = 2;
        } else {
            break_ = 0;
        }
        popBlock();
        return d;
    };

    switch (a) {
    case kStmtIf:
        pushBlock(VyrBlock::kIf, active_, taken_);
        return active_ ? a : 1;
    case kStmtElse:
        if (top->kind != VyrBlock::kIf) return kErrElse;
        if (active_)
            retarget(VyrBlock::kElse, top->taken);
        else
            replaceTop(VyrBlock::kElse);
        return 1;
    case kStmtEndIf:
        if (top->kind != VyrBlock::kIf && top->kind != VyrBlock::kElse) return kErrEndIf;
        popBlock();
        return 1;
    case kStmtWhile:
        pushBlock(VyrBlock::kWhile, active_, taken_);
        return active_ ? a : 1;
    case kStmtEndWhile:
        return loopEnd(VyrBlock::kWhile, kErrEndWhile);
    case kStmtFor:
    case kStmtForEach:
        pushBlock(VyrBlock::kFor, active_, taken_);
        return active_ ? a : 1;
    case kStmtEndFor:
        return loopEnd(VyrBlock::kFor, kErrEndFor);
    case kStmtBreak:
        if (active_) break_ = 1;
        return 1;
    case kStmtContinue: {
        if (!active_) return 1;
        // A Continue with no loop open is ignored: popping the base block
        // would leave no block for the lines that follow.
        size_t i = blocks_.size();
        while (i > 1 && blocks_[i - 1].kind != VyrBlock::kWhile && blocks_[i - 1].kind != VyrBlock::kFor) --i;
        if (i <= 1) return 1;
        jumpLine_ = blocks_[i - 1].line;
        jumpOffset_ = blocks_[i - 1].offset;
        blocks_.resize(i - 1);
        active_ = blocks_.back().active;
        taken_ = blocks_.back().taken;
        return 2;
    }
    case kStmtSelect:
        pushBlock(VyrBlock::kSelect, active_, taken_);
        return 1;
    case kStmtCase:
        if (top->kind == VyrBlock::kSelect) {
            pushBlock(VyrBlock::kCase, active_, taken_);
            return active_ ? a : 1;
        }
        if (top->kind != VyrBlock::kCase) return kErrCaseMismatch;
        if (active_ || top->taken) {
            retarget(VyrBlock::kCase, 1);
            return 1;
        }
        replaceTop(VyrBlock::kCase);
        return active_ ? a : 1;
    case kStmtOtherwise:
        if (top->kind != VyrBlock::kCase) return kErrOtherwise;
        if (active_ || top->taken)
            retarget(VyrBlock::kOtherwise, 1);
        else
            replaceTop(VyrBlock::kOtherwise);
        return 1;
    case kStmtEndSelect:
        if (top->kind != VyrBlock::kCase && top->kind != VyrBlock::kOtherwise) return kErrEndSelect;
        break_ = 0;
        popBlock();
        if (blocks_.back().kind == VyrBlock::kSelect) popBlock();
        return 1;
    case kStmtProc: {
        int32_t was = active_;
        active_ = 0;
        pushBlock(VyrBlock::kProc, 0, taken_);
        return was ? a : 1;
    }
    case kStmtEndProc:
        if (top->kind == VyrBlock::kProc) {
            popBlock();
            return 1;
        }
        return active_ ? static_cast<int32_t>(kStmtReturn) : static_cast<int32_t>(kErrEndProc);
    default:
        return aOr1;
    }
}

// ---- Execution --------------------------------------------------------------

bool VyrInterpreter::truth(const VyrItem &item) {
    switch (item.type()) {
    case VyrItem::kInteger:
    case VyrItem::kList: return item.num() != 0;
    case VyrItem::kString:
    case VyrItem::kObject: return true;
    default: return false;
    }
}

void VyrInterpreter::execute(int32_t d) {
    if (d == 1) return;
    if (d == 2) {
        VyrFrame &f = *frame_;
        f.pos.line = jumpLine_;
        f.pos.offset = jumpOffset_;
        f.reader.seek(f.pos);
        return;
    }
    if (d >= kErrElse && d <= kErrEndProc) {
        errorCode_ = d;
        return;
    }
    if (!executeStatement(d)) errorCode_ = d;
}

bool VyrInterpreter::executeStatement(int32_t d) {
    VyrFrame &f = *frame_;
    switch (d) {
    case kStmtIf:
    case kStmtWhile:
    case kStmtCase:
        if (!f.eval.evaluate(f.args.count() ? f.args[0].c_str() : "")) return false;
        setTopActive(truth(f.eval.result()) ? 1 : 0);
        return true;
    case kStmtFor: return executeFor();
    case kStmtForEach: return executeForEach();
    case kStmtAssign: return executeAssign();
    case kStmtProc: return defineProcedure();
    case kStmtReturn: return executeReturn();
    case kStmtInclude: return executeInclude();
    case kStmtOutput: return executeOutput(1);
    case kStmtAppend: return executeOutput(2);
    case kStmtProtect: return executeProtect();
    case kStmtEndProtect: return executeEndProtect();
    case kStmtObject: return executeObject();
    case kStmtEndObject:
        if (currentObject_ == nullptr) errorCode_ = kErrEndObject;
        currentObject_ = nullptr;
        return true;
    default: return executeExpressionLine(d);
    }
}

bool VyrInterpreter::executeExpressionLine(int32_t d) {
    (void)d;
    if (errorCode_ != kErrNone) return true;
    VyrFrame &f = *frame_;
    // The evaluator trims the text itself and reads its tokens from a copy.
    if (!f.eval.evaluate(f.pos.text.c_str())) return false;
    result_ = std::move(f.eval.result());
    switch (result_.type()) {
    case VyrItem::kInteger: {
        char digits[VyrString::kIntTextSize];
        const int32_t n = VyrString::formatInt(result_.num(), digits);
        f.reader.appendOutput(digits, n);
        return true;
    }
    case VyrItem::kString: f.reader.appendOutput(result_.str()->c_str(), result_.str()->length()); return true;
    case VyrItem::kList:
    case VyrItem::kObject: return true;
    default: errorCode_ = kErrExprType; return true;
    }
}

bool VyrInterpreter::executeFor() {
    VyrFrame &f = *frame_;
    VyrEvaluator &e = f.eval;
    if (f.args.count() < 3) return false;
    const char *target = f.args[0].c_str();
    if (symbols_.findVariable(target) == nullptr) symbols_.addVariable(target, VyrItem(0));
    VyrItem *variable = e.evaluateTarget(target);
    if (variable == nullptr) return false;
    int32_t value, step = 1;
    const bool hasStep = f.args.count() > 3;
    if (f.previous != 2) {
        if (!e.evaluate(f.args[1].c_str()) || !e.result().isNumeric()) return false;
        value = e.result().num();
        if (hasStep) {
            if (!e.evaluate(f.args[3].c_str()) || !e.result().isNumeric()) return false;
            step = e.result().num();
        }
    } else {
        if (!variable->isNumeric()) return false;
        value = variable->num();
        if (hasStep) {
            if (!e.evaluate(f.args[3].c_str()) || !e.result().isNumeric()) return false;
            step = e.result().num();
        }
        value = static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(step));
    }
    if (!e.evaluate(f.args[2].c_str()) || !e.result().isNumeric()) return false;
    const int32_t end = e.result().num();
    // The expressions may have called functions that changed the variable's
    // container; find the variable again rather than trust the old pointer.
    variable = e.evaluateTarget(target);
    if (variable == nullptr) return false;
    variable->setNum(value);
    setTopActive((step > 0 ? value <= end : value >= end) ? 1 : 0);
    return true;
}

bool VyrInterpreter::executeForEach() {
    VyrFrame &f = *frame_;
    VyrEvaluator &e = f.eval;
    if (f.args.count() < 2) return false;
    const char *target = f.args[0].c_str();
    if (symbols_.findVariable(target) == nullptr) symbols_.addVariable(target, VyrItem(0));
    if (e.evaluateTarget(target) == nullptr) return false;
    VyrItem *listVar = e.evaluateTarget(f.args[1].c_str());
    if (listVar == nullptr || !listVar->isList()) return false;
    VyrList *list = listVar->list();
    VyrItem *element = static_cast<VyrItem *>(f.previous != 2 ? list->walkFirst() : list->walkNext());
    const bool hasWhere = f.args.count() > 2;
    while (element) {
        VyrItem *variable = e.evaluateTarget(target);
        if (variable == nullptr) return false;
        variable->assign(*element);
        if (!hasWhere) break;
        if (!e.evaluate(f.args[2].c_str()) || !e.result().isNumeric()) return false;
        if (e.result().num() != 0) break;
        // The condition may have changed the list: look it up again.
        listVar = e.evaluateTarget(f.args[1].c_str());
        if (listVar == nullptr || !listVar->isList()) return false;
        list = listVar->list();
        element = static_cast<VyrItem *>(list->walkNext());
    }
    setTopActive(element ? 1 : 0);
    return true;
}

bool VyrInterpreter::executeAssign() {
    VyrFrame &f = *frame_;
    VyrEvaluator &e = f.eval;
    if (f.args.count() < 2) return false;
    const char *target = f.args[0].c_str();
    if (currentObject_ != nullptr) {
        if (!e.evaluate(f.args[1].c_str())) return false;
        VyrObject *object = currentObject_->obj();
        if (object == nullptr) return false;
        object->appendNode(new VyrNamedItem(target, std::move(e.result())));
        return true;
    }
    if (symbols_.findVariable(target) == nullptr && isNameText(target)) symbols_.addVariable(target, VyrItem(0));
    if (e.evaluateTarget(target) == nullptr) return false;
    if (!e.evaluate(f.args[1].c_str())) return false;
    VyrItem value(std::move(e.result()));
    // The value's evaluation may have changed the container of the target
    // (REMOVE on the same list, say): look the target up again.
    VyrItem *variable = e.evaluateTarget(target);
    if (variable == nullptr) return false;
    *variable = std::move(value);
    return true;
}

bool VyrInterpreter::executeObject() {
    VyrFrame &f = *frame_;
    if (f.args.count() < 1) return false;
    const char *name = f.args[0].c_str();
    symbols_.addVariable(name, VyrItem(VyrObject(name)));
    currentObject_ = symbols_.findVariable(name);
    return currentObject_ != nullptr;
}

// ---- Include ------------------------------------------------------------------

bool VyrInterpreter::executeInclude() {
    VyrFrame &f = *frame_;
    f.reader.flush(true);
    // What this file wrote goes out now, so a write that fails is reported
    // at this line rather than somewhere in the included file.  (The check
    // after every statement reports the failed file.)
    if (output_ != nullptr && !output_->flushWrites()) return true;
    if (f.args.count() < 1 || !f.eval.evaluate(f.args[0].c_str()) || !f.eval.result().isString()) return false;
    const VyrString name(*f.eval.result().str());
    VyrString candidate(name);
    VyrString path(includePath);
    while (!plat::fileExists(candidate.c_str())) {
        path.trim(true);
        if (path.empty()) {
            errorCode_ = kErrOpenInclude;
            return onError() == 0;
        }
        int32_t semicolon = path.find(';');
        VyrString entry = semicolon >= 0 ? path.left(semicolon) : path;
        path.remove(0, semicolon >= 0 ? semicolon + 1 : -1);
        entry.trim(true);
        if (entry.empty()) continue;  // an empty entry names no directory
        candidate = entry;
        char last = entry[entry.length() - 1];
        if (last != '/' && last != '\\') candidate.append(plat::kPathSeparator);
        candidate.append(name);
    }
    return interpretFile(candidate.c_str(), 0, 0) != 0;
}

// ---- Procedures ---------------------------------------------------------------

bool VyrInterpreter::defineProcedure() {
    VyrFrame &f = *frame_;
    if (f.args.count() < 1 || f.args[0].isBlank()) return false;
    std::vector<VyrString> parameters;
    if (f.args.count() > 1) {
        const char *p = f.args[1].c_str();
        for (;;) {
            const char *comma = std::strchr(p, ',');
            VyrString piece(p, comma ? static_cast<int32_t>(comma - p) : static_cast<int32_t>(std::strlen(p)));
            piece.trim(true);
            if (comma == nullptr) {
                if (!piece.empty()) parameters.push_back(piece);
                break;
            }
            if (piece.empty()) return false;
            parameters.push_back(piece);
            p = comma + 1;
        }
    }
    symbols_.addFunction(new VyrProcEntry(f.args[0].c_str(), std::move(parameters), f.reader.file().name().c_str(),
                                          f.pos.line + 1, f.reader.nextLineOffset()));
    return true;
}

bool VyrInterpreter::executeReturn() {
    VyrFrame &f = *frame_;
    if (f.args.count() > 0 && !f.args[0].empty()) {
        if (!f.eval.evaluate(f.args[0].c_str())) return false;
        result_.assign(f.eval.result());
    } else {
        result_.setStr("");
    }
    returning_ = true;
    return true;
}

int32_t VyrInterpreter::callProcedure(const VyrProcEntry &proc, VyrArgs &args, VyrItem &result) {
    VyrNameTable local;
    for (size_t i = 0; i < proc.parameters.size(); ++i) {
        VyrItem *arg = args.arg(static_cast<int32_t>(i));
        if (arg == nullptr) return 0;
        local.appendNode(new VyrNamedItem(proc.parameters[i].c_str(), *arg));
    }
    symbols_.pushScope(&local);
    scopes_.push_back(&local);
    // A body that returns from inside its own blocks leaves them behind:
    // give the caller back the block stack it had.
    const size_t height = blocks_.size();
    const int32_t active = active_, taken = taken_, brk = break_;
    VyrString file(proc.file);
    // The procedure's file is the full path its definition was read from.
    int32_t r = interpretFile(file.c_str(), proc.line, proc.offset, true);
    if (blocks_.size() > height) {
        blocks_.resize(height);
        active_ = active;
        taken_ = taken;
        break_ = brk;
    }
    if (r != 0) result.assign(result_);
    scopes_.pop_back();
    symbols_.popScope();
    if (currentObject_ && local.contains(currentObject_)) currentObject_ = nullptr;
    return r;
}

int32_t VyrProcEntry::call(VyrArgs &args, VyrItem &result) {
    if (args.engine == nullptr) return 0;
    return VyrEngine::fromHandle(args.engine)->callProcedure(*this, args, result);
}

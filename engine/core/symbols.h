// symbols.h - the engine's symbol table: variables in an ordered name table
// with local scopes (the engine's own table indexed by a hash of the names),
// functions in a hash table.  Also the argument list that
// every built-in, host function and script procedure receives, and the three
// kinds of function entries.
#ifndef VYR_SYMBOLS_H
#define VYR_SYMBOLS_H

#include <cstdint>
#include <memory>
#include <vector>

#include "core/hashtable.h"
#include "values/item.h"
#include "values/list.h"
#include "vyrapi.h"

// One argument of a call: the caller's variable itself (passed by
// reference) or an owned temporary copy of an evaluated value.
class VyrArgNode : public VyrNode {
public:
    VyrArgNode(VyrItem *item, bool owned) : item(item), owned(owned) {}
    VyrNode *clone() const override { return new VyrArgNode(owned ? new VyrItem(*item) : item, owned); }
    void destroy() override {
        if (owned) delete item;
        delete this;
    }

    VyrItem *item;
    bool owned;
};

// The argument list of one call, valid only during the call.
class VyrArgs : public VyrNodeList {
public:
    explicit VyrArgs(HVYR engine) : engine(engine) {}

    void addReference(VyrItem *variable) { appendNode(new VyrArgNode(variable, false)); }
    void addCopy(const VyrItem &value) { appendNode(new VyrArgNode(new VyrItem(value), true)); }
    void addOwned(VyrItem *value) { appendNode(new VyrArgNode(value, true)); }

    // Direct access for built-ins: the argument at an index, or null.
    VyrItem *arg(int32_t index) {
        VyrNode *n = nodeAt(index);
        return n ? static_cast<VyrArgNode *>(n)->item : nullptr;
    }
    int32_t size() const { return static_cast<int32_t>(count); }

    HVYR engine;
};

inline VyrArgs *vyrArgs(HVYRARGS handle) { return reinterpret_cast<VyrArgs *>(handle); }
inline HVYRARGS vyrHandle(VyrArgs *args) { return reinterpret_cast<HVYRARGS>(args); }

// A built-in function: C calling convention, non-zero for success.
typedef int32_t (*VyrBuiltin)(VyrArgs *args, VyrItem *result);

class VyrFuncEntry : public VyrHashEntry {
public:
    explicit VyrFuncEntry(const char *name) : VyrHashEntry(name) {}
    virtual int32_t call(VyrArgs &args, VyrItem &result) = 0;
    // A function's result item holds the value of its last argument on
    // entry, and keeps it when the function writes no result.  Functions
    // that never read their result item answer true: the caller then leaves
    // the result empty for the call and fills in the last argument's value
    // only when nothing was written, which saves copying a list or an object
    // that the function would overwrite anyway.
    virtual bool seedsAfterCall() const { return false; }

protected:
    VyrFuncEntry(const VyrFuncEntry &other) = default;
};

class VyrBuiltinEntry : public VyrFuncEntry {
public:
    VyrBuiltinEntry(const char *name, VyrBuiltin fn) : VyrFuncEntry(name), fn(fn) {}
    VyrHashEntry *clone() const override { return new VyrBuiltinEntry(*this); }
    int32_t call(VyrArgs &args, VyrItem &result) override { return fn ? fn(&args, &result) : 0; }
    // The built-ins only ever write their result item.
    bool seedsAfterCall() const override { return true; }
    VyrBuiltin fn;
};

// The callback of a host function, shared by the global library's entry
// and every engine's copy of it, so that the callback can be disconnected
// everywhere at once when the library holding its code is unloaded.
struct VyrHostCallback {
    explicit VyrHostCallback(VYRFUNCTION fn);
    ~VyrHostCallback();
    VyrHostCallback(const VyrHostCallback &) = delete;
    VyrHostCallback &operator=(const VyrHostCallback &) = delete;

    VYRFUNCTION fn;
};

class VyrHostEntry : public VyrFuncEntry {
public:
    VyrHostEntry(const char *name, VYRFUNCTION fn)
        : VyrFuncEntry(name), callback_(std::make_shared<VyrHostCallback>(fn)) {}
    VyrHashEntry *clone() const override { return new VyrHostEntry(*this); }
    // A disconnected callback answers 0: the call fails like any failed
    // function call instead of jumping into an unloaded library.
    int32_t call(VyrArgs &args, VyrItem &result) override {
        VYRFUNCTION fn = callback_->fn;
        return fn ? fn(vyrHandle(&args), reinterpret_cast<HVYRITEM>(&result)) : 0;
    }

private:
    VyrHostEntry(const VyrHostEntry &other) = default;
    std::shared_ptr<VyrHostCallback> callback_;
};

// Every host callback still held by the global library or by an engine.
std::vector<VYRFUNCTION> vyrHostFunctions();
// Disconnects every host entry that calls fn, in the global library and in
// every engine.
void vyrDisconnectHostFunction(VYRFUNCTION fn);

// A procedure of the script: where its body starts and its parameter names.
class VyrProcEntry : public VyrFuncEntry {
public:
    VyrProcEntry(const char *name, std::vector<VyrString> parameters, const char *file, int32_t line,
                 int32_t offset)
        : VyrFuncEntry(name), parameters(std::move(parameters)), file(file), line(line), offset(offset) {}
    VyrHashEntry *clone() const override { return new VyrProcEntry(*this); }
    // Interprets the body in a fresh local scope (procedures.cpp).
    int32_t call(VyrArgs &args, VyrItem &result) override;

    std::vector<VyrString> parameters;
    VyrString file;
    int32_t line;
    int32_t offset;
};

// An index over a name table that only grows at its end: the first node of
// each name (ignoring case), found in constant time.  It catches up with
// nodes appended since the last look-up by itself, and indexes the table
// again when it shrank or its last node changed.  The engine never removes or
// renames its variables; a node renamed behind the index's back would not be
// found under its new name.
class VyrNameIndex {
public:
    VyrNameIndex() = default;
    // A copy indexes its own table from scratch.
    VyrNameIndex(const VyrNameIndex &) {}
    VyrNameIndex &operator=(const VyrNameIndex &) {
        reset();
        return *this;
    }

    // The first node of that name in table, as VyrNameTable's own search
    // would find it (and with the same effect on the table's cursor).
    VyrNamedItem *find(VyrNameTable &table, const char *name);

private:
    struct Slot {
        uint32_t hash;
        VyrNamedItem *node;  // null: the slot is free
    };
    static uint32_t hashName(const char *name);
    void reset();
    void sync(VyrNameTable &table);
    void insert(uint32_t hash, VyrNamedItem *node);
    VyrNamedItem *lookup(uint32_t hash, const char *name) const;

    std::vector<Slot> slots_;  // open addressing, a power of two in size
    uint32_t used_ = 0;
    uint32_t indexed_ = 0;               // nodes of the table indexed so far
    VyrNode *last_ = nullptr;            // the last of them
};

class VyrSymbolTable {
public:
    VyrSymbolTable() = default;
    // Clones every variable and copies the function table.
    VyrSymbolTable(VyrNameTable &globalSymbols, const VyrHashTable &globalFunctions);

    // The innermost local scope first, then the engine's variables: the
    // first variable of that name, ignoring case.
    VyrNamedItem *findVariable(const char *name);
    // Appends to the innermost local scope, else to the engine's variables.
    VyrNamedItem *addVariable(const char *name, const VyrItem &value);
    VyrNamedItem *addVariable(const char *name, VyrItem &&value);
    VyrFuncEntry *findFunction(const char *name) { return static_cast<VyrFuncEntry *>(functions.find(name)); }
    // Replaces any function of the same name.
    void addFunction(VyrFuncEntry *entry);
    void pushScope(VyrNameTable *local) { variables.pushScope(local); }
    void popScope() { variables.popScope(); }

    VyrNameTable variables;
    VyrHashTable functions;

private:
    VyrNameIndex index_;
};

#endif  // VYR_SYMBOLS_H

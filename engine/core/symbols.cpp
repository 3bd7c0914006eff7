#include "core/symbols.h"

#include <utility>

VyrSymbolTable::VyrSymbolTable(VyrNameTable &globalSymbols, const VyrHashTable &globalFunctions)
    : variables(globalSymbols), functions(globalFunctions) {}

VyrNamedItem *VyrSymbolTable::addVariable(const char *name, const VyrItem &value) {
    return variables.addNode(new VyrNamedItem(name, value));
}

VyrNamedItem *VyrSymbolTable::addVariable(const char *name, VyrItem &&value) {
    return variables.addNode(new VyrNamedItem(name, std::move(value)));
}

void VyrSymbolTable::addFunction(VyrFuncEntry *entry) {
    if (VyrHashEntry *old = functions.find(entry->name.c_str())) functions.remove(old);
    functions.adopt(entry);
}

// ---- Host callbacks -------------------------------------------------------------

namespace {
// Every live callback; never destroyed, so callbacks that outlive static
// destruction (an engine freed late) still find it.
std::vector<VyrHostCallback *> &hostCallbacks() {
    static auto *callbacks = new std::vector<VyrHostCallback *>();
    return *callbacks;
}
}  // namespace

VyrHostCallback::VyrHostCallback(VYRFUNCTION fn) : fn(fn) { hostCallbacks().push_back(this); }

VyrHostCallback::~VyrHostCallback() {
    std::vector<VyrHostCallback *> &all = hostCallbacks();
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i] == this) {
            all[i] = all.back();
            all.pop_back();
            break;
        }
    }
}

std::vector<VYRFUNCTION> vyrHostFunctions() {
    std::vector<VYRFUNCTION> functions;
    for (VyrHostCallback *c : hostCallbacks())
        if (c->fn) functions.push_back(c->fn);
    return functions;
}

void vyrDisconnectHostFunction(VYRFUNCTION fn) {
    if (fn == nullptr) return;
    for (VyrHostCallback *c : hostCallbacks())
        if (c->fn == fn) c->fn = nullptr;
}

// ---- The name index -----------------------------------------------------------

namespace {

inline unsigned char foldAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

}  // namespace

uint32_t VyrNameIndex::hashName(const char *name) {
    uint32_t h = 2166136261u;  // FNV-1a over the upper-cased bytes
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(name); *p; ++p) {
        h ^= foldAscii(*p);
        h *= 16777619u;
    }
    return h;
}

void VyrNameIndex::reset() {
    slots_.clear();
    used_ = 0;
    indexed_ = 0;
    last_ = nullptr;
}

VyrNamedItem *VyrNameIndex::lookup(uint32_t hash, const char *name) const {
    if (slots_.empty()) return nullptr;
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot &s = slots_[i];
        if (s.node == nullptr) return nullptr;
        if (s.hash == hash && s.node->name.compareNoCase(name) == 0) return s.node;
    }
}

void VyrNameIndex::insert(uint32_t hash, VyrNamedItem *node) {
    if ((used_ + 1) * 2 > slots_.size()) {
        // Grow to keep the table at most half full.
        std::vector<Slot> old;
        old.swap(slots_);
        slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{0, nullptr});
        const size_t mask = slots_.size() - 1;
        for (const Slot &s : old) {
            if (s.node == nullptr) continue;
            size_t i = s.hash & mask;
            while (slots_[i].node != nullptr) i = (i + 1) & mask;
            slots_[i] = s;
        }
    }
    const size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    for (; slots_[i].node != nullptr; i = (i + 1) & mask)
        if (slots_[i].hash == hash && slots_[i].node->name.compareNoCase(node->name.c_str()) == 0)
            return;  // an earlier node of that name stays the one found
    slots_[i] = Slot{hash, node};
    ++used_;
}

void VyrNameIndex::sync(VyrNameTable &table) {
    if (table.count == indexed_ && table.last == last_) return;
    // Nodes appended since the last look-up: stepping back over as many nodes
    // as the table grew must reach the last node indexed.  Anything else means
    // the table changed in between, and it is indexed again; the old last
    // node is only compared, never read, as it may be gone.
    VyrNode *from = nullptr;
    bool appended = table.count > indexed_;
    if (appended) {
        VyrNode *n = table.last;
        for (uint32_t k = table.count - indexed_; k > 0 && n != nullptr; --k) n = n->prev;
        appended = n == last_;
        from = n == nullptr ? table.first : n->next;
    }
    if (!appended) {
        reset();
        from = table.first;
    }
    for (VyrNode *n = from; n != nullptr; n = n->next) {
        VyrNamedItem *item = static_cast<VyrNamedItem *>(n);
        insert(hashName(item->name.c_str()), item);
        ++indexed_;
        last_ = n;
    }
}

VyrNamedItem *VyrNameIndex::find(VyrNameTable &table, const char *name) {
    if (name == nullptr) name = "";
    sync(table);
    const uint32_t hash = hashName(name);
    VyrNamedItem *found = lookup(hash, name);
    // The table's own search leaves its cursor on the node found, or on the
    // last node when there is none.
    table.cursor = found ? found : table.last;
    return found;
}

VyrNamedItem *VyrSymbolTable::findVariable(const char *name) {
    if (VyrNameTable *local = variables.scope) {
        // Local scopes are small: searched in order, as the name table does.
        const char *key = name ? name : "";
        for (VyrNamedItem *n = local->walkFirstItem(); n; n = local->walkNextItem())
            if (n->name.compareNoCase(key) == 0) return n;
    }
    return index_.find(variables, name);
}

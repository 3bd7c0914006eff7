// hashtable.h - VyrHashTable, the fixed-size chained hash table of named
// entries used for the function table and the protected-region table.
//
// Names are upper-cased before hashing, storing and comparing (the engine
// only builds case-insensitive tables).  A successful find moves the entry to
// the head of its chain, so recently used names are found first.
#ifndef VYR_HASHTABLE_H
#define VYR_HASHTABLE_H

#include <cstdint>

#include "vyrstring.h"

class VyrHashEntry {
public:
    explicit VyrHashEntry(const char *name) : name(name) { this->name.toUpper(); }
    virtual ~VyrHashEntry() = default;
    virtual VyrHashEntry *clone() const = 0;
    virtual void destroy() { delete this; }

    VyrString name;  // upper case
    VyrHashEntry *chain = nullptr;

protected:
    VyrHashEntry(const VyrHashEntry &other) : name(other.name) {}
};

class VyrHashTable {
public:
    static constexpr uint32_t kBuckets = 256;

    explicit VyrHashTable(uint32_t buckets = kBuckets);
    VyrHashTable(const VyrHashTable &other);  // clones every entry
    VyrHashTable &operator=(const VyrHashTable &) = delete;
    ~VyrHashTable();

    // The ELF (PJW) hash of a name's bytes taken as signed 8-bit values.
    static uint32_t hash(const char *name);

    // Stores a clone of the entry at the head of its chain (no duplicate check).
    void add(const VyrHashEntry &entry);
    // Stores the entry itself (the table takes ownership).
    void adopt(VyrHashEntry *entry);
    // Finds a name (case ignored); moves a found entry to the head of its chain.
    VyrHashEntry *find(const char *name);
    // Unlinks and destroys an entry of this table.
    void remove(VyrHashEntry *entry);
    void clear();
    uint32_t count() const { return count_; }

    // Walk over all entries, bucket by bucket.
    VyrHashEntry *first();
    VyrHashEntry *next();

private:
    uint32_t bucketOf(const char *upperName) const { return hash(upperName) % bucketCount_; }

    VyrHashEntry **buckets_;
    uint32_t bucketCount_;
    uint32_t count_ = 0;
    VyrHashEntry *walkEntry_ = nullptr;
    uint32_t walkBucket_ = 0;
};

#endif  // VYR_HASHTABLE_H

#include "core/hashtable.h"

#include <cstring>

VyrHashTable::VyrHashTable(uint32_t buckets)
    : buckets_(new VyrHashEntry *[buckets ? buckets : 1]()), bucketCount_(buckets ? buckets : 1) {}

VyrHashTable::VyrHashTable(const VyrHashTable &other) : VyrHashTable(other.bucketCount_) {
    // Keep each chain's order: clone into a per-bucket tail.
    for (uint32_t b = 0; b < bucketCount_; ++b) {
        VyrHashEntry **tail = &buckets_[b];
        for (const VyrHashEntry *e = other.buckets_[b]; e; e = e->chain) {
            VyrHashEntry *copy = e->clone();
            copy->chain = nullptr;
            *tail = copy;
            tail = &copy->chain;
            ++count_;
        }
    }
}

VyrHashTable::~VyrHashTable() {
    clear();
    delete[] buckets_;
}

uint32_t VyrHashTable::hash(const char *name) {
    uint32_t h = 0;
    for (const char *p = name; *p; ++p) {
        h = (h << 4) + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*p)));
        uint32_t g = h & 0xF0000000u;
        if (g) h = (h ^ (g >> 24)) & 0x0FFFFFFFu;
    }
    return h;
}

void VyrHashTable::add(const VyrHashEntry &entry) { adopt(entry.clone()); }

void VyrHashTable::adopt(VyrHashEntry *entry) {
    entry->name.toUpper();
    uint32_t b = bucketOf(entry->name.c_str());
    entry->chain = buckets_[b];
    buckets_[b] = entry;
    ++count_;
}

VyrHashEntry *VyrHashTable::find(const char *name) {
    // Upper-case a copy of the name; short names stay on the stack.
    char local[64];
    VyrString heap;
    size_t n = std::strlen(name ? name : "");
    const char *key;
    if (n < sizeof local) {
        std::memcpy(local, name ? name : "", n + 1);
        for (size_t i = 0; i < n; ++i)
            if (local[i] >= 'a' && local[i] <= 'z') local[i] = static_cast<char>(local[i] - 32);
        key = local;
    } else {
        heap = name;
        heap.toUpper();
        key = heap.c_str();
    }
    uint32_t b = bucketOf(key);
    VyrHashEntry *previous = nullptr;
    for (VyrHashEntry *e = buckets_[b]; e; previous = e, e = e->chain) {
        if (std::strcmp(e->name.c_str(), key) != 0) continue;
        if (previous) {  // move to the front of the chain
            previous->chain = e->chain;
            e->chain = buckets_[b];
            buckets_[b] = e;
        }
        return e;
    }
    return nullptr;
}

void VyrHashTable::remove(VyrHashEntry *entry) {
    if (entry == nullptr) return;
    uint32_t b = bucketOf(entry->name.c_str());
    for (VyrHashEntry **link = &buckets_[b]; *link; link = &(*link)->chain) {
        if (*link != entry) continue;
        *link = entry->chain;
        if (walkEntry_ == entry) walkEntry_ = nullptr;
        entry->destroy();
        --count_;
        return;
    }
}

void VyrHashTable::clear() {
    for (uint32_t b = 0; b < bucketCount_; ++b) {
        VyrHashEntry *e = buckets_[b];
        while (e) {
            VyrHashEntry *next = e->chain;
            e->destroy();
            e = next;
        }
        buckets_[b] = nullptr;
    }
    count_ = 0;
    walkEntry_ = nullptr;
}

VyrHashEntry *VyrHashTable::first() {
    walkBucket_ = 0;
    walkEntry_ = nullptr;
    for (; walkBucket_ < bucketCount_; ++walkBucket_)
        if (buckets_[walkBucket_]) return walkEntry_ = buckets_[walkBucket_];
    return nullptr;
}

VyrHashEntry *VyrHashTable::next() {
    if (walkEntry_ == nullptr) return nullptr;
    if (walkEntry_->chain) return walkEntry_ = walkEntry_->chain;
    for (++walkBucket_; walkBucket_ < bucketCount_; ++walkBucket_)
        if (buckets_[walkBucket_]) return walkEntry_ = buckets_[walkBucket_];
    walkEntry_ = nullptr;
    return nullptr;
}

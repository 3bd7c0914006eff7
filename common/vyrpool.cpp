#include "vyrpool.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {
size_t allocations;  // blocks handed out
}  // namespace

size_t vyrPoolAllocations() { return allocations; }

#ifdef VYR_POOL_PASSTHROUGH

void *vyrPoolAlloc(size_t size) {
    ++allocations;
    void *block = std::malloc(size ? size : 1);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void vyrPoolFree(void *block, size_t) { std::free(block); }

#else

namespace {

constexpr size_t kGrain = 8;  // block sizes are rounded up to a multiple of this
constexpr size_t kClasses = kVyrPoolMaxBlock / kGrain;
constexpr size_t kSlabBytes = 64 * 1024;

struct FreeBlock {
    FreeBlock *next;
};

// Plain zero-initialised data: usable before any constructor has run and
// after every destructor, as static texts are built and freed then.
FreeBlock *freeLists[kClasses];
unsigned char *bump;  // the unused rest of the newest slab
size_t bumpLeft;

size_t classOf(size_t size) { return size ? (size - 1) / kGrain : 0; }

void *carve(size_t bytes) {
    if (bumpLeft < bytes) {
        // The remainder of the old slab is too small for this block; it
        // stays unused.
        void *slab = std::malloc(kSlabBytes);
        if (slab == nullptr) throw std::bad_alloc();
        bump = static_cast<unsigned char *>(slab);
        bumpLeft = kSlabBytes;
    }
    void *block = bump;
    bump += bytes;
    bumpLeft -= bytes;
    return block;
}

}  // namespace

void *vyrPoolAlloc(size_t size) {
    ++allocations;
    if (size > kVyrPoolMaxBlock) {
        void *block = std::malloc(size);
        if (block == nullptr) throw std::bad_alloc();
        return block;
    }
    const size_t c = classOf(size);
    if (FreeBlock *block = freeLists[c]) {
        freeLists[c] = block->next;
        return block;
    }
    return carve((c + 1) * kGrain);
}

void vyrPoolFree(void *block, size_t size) {
    if (block == nullptr) return;
    if (size > kVyrPoolMaxBlock) {
        std::free(block);
        return;
    }
    FreeBlock *freed = static_cast<FreeBlock *>(block);
    const size_t c = classOf(size);
    freed->next = freeLists[c];
    freeLists[c] = freed;
}

#endif

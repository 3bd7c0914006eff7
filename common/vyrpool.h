// vyrpool.h - the small-block allocator behind list nodes, containers and
// text buffers.
//
// A large model is millions of small blocks: every item, member and
// variable is a node, and every text has a buffer of its own.  Blocks of up
// to kVyrPoolMaxBlock bytes are carved from 64 KiB slabs and, once freed, kept
// on a free list of their size for the next block of that size; that is far
// cheaper than malloc and free and spends no header on each block.  Larger
// blocks go to malloc.
//
// Like the engine, the pool belongs to one thread and takes no locks.  Slabs
// are never handed back: freed blocks wait for the next run, and a block
// freed by another copy of the pool (another module linking this library)
// simply joins that copy's free list.  Builds with a sanitizer use malloc and
// free for every block, so that the sanitizer still sees each one.
#ifndef VYR_POOL_H
#define VYR_POOL_H

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define VYR_POOL_PASSTHROUGH 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define VYR_POOL_PASSTHROUGH 1
#endif
#endif

constexpr size_t kVyrPoolMaxBlock = 256;

// True when freed blocks are kept for reuse (false in sanitizer builds).
#ifdef VYR_POOL_PASSTHROUGH
constexpr bool kVyrPoolRecycles = false;
#else
constexpr bool kVyrPoolRecycles = true;
#endif

// A block of at least size bytes, aligned for any pointer or integer of the
// engine; throws std::bad_alloc when memory runs out.
void *vyrPoolAlloc(size_t size);
// Frees a block from vyrPoolAlloc, given the same size.  Null is ignored.
void vyrPoolFree(void *block, size_t size);
// Number of blocks vyrPoolAlloc has handed out since the process started
// (tests use it to tell that a path allocates nothing).
size_t vyrPoolAllocations();

#endif  // VYR_POOL_H

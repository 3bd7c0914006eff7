// vyrnode.h - VyrNode, the base of every element of an engine list, and
// VyrNodeList, the doubly linked list of nodes it owns.
//
// Adding a node to a list adds a clone of it (virtual clone); removing a node
// destroys it (virtual destroy).  Each list has one shared cursor: walks
// (walkFirst/walkNext) and index look-ups (nodeAt) all move it, so a walk
// continues from wherever the last look-up left the cursor.
#ifndef VYR_NODE_H
#define VYR_NODE_H

#include <cstddef>
#include <cstdint>

#include "vyrpool.h"

class VyrNode {
public:
    // Nodes are many and small: they come from the block pool.
    static void *operator new(size_t size) { return vyrPoolAlloc(size); }
    static void operator delete(void *block, size_t size) { vyrPoolFree(block, size); }

    VyrNode *next = nullptr;
    VyrNode *prev = nullptr;

    VyrNode() = default;
    // A copy is a new, unlinked node: the links are never copied.
    VyrNode(const VyrNode &) : next(nullptr), prev(nullptr) {}
    VyrNode &operator=(const VyrNode &) { return *this; }

    // A new heap node of the same dynamic kind, equal to this one.
    virtual VyrNode *clone() const = 0;
    // Releases what the node owns and deletes it.
    virtual void destroy() { delete this; }

protected:
    virtual ~VyrNode() = default;
};

class VyrNodeList {
public:
    // The values of List and Object items are lists of their own.
    static void *operator new(size_t size) { return vyrPoolAlloc(size); }
    static void operator delete(void *block, size_t size) { vyrPoolFree(block, size); }

    VyrNode *first = nullptr;
    VyrNode *cursor = nullptr;
    VyrNode *last = nullptr;
    uint32_t count = 0;

    VyrNodeList() = default;
    VyrNodeList(const VyrNodeList &other) { copy(other); }
    VyrNodeList(VyrNodeList &&other) noexcept;
    VyrNodeList &operator=(const VyrNodeList &other);
    VyrNodeList &operator=(VyrNodeList &&other) noexcept;
    ~VyrNodeList() { clear(); }

    // Empties the list without destroying anything (the nodes,
    // if any, are no longer owned by this list).
    void init();
    // Appends a clone of the node; returns the clone.
    VyrNode *append(const VyrNode &node);
    // Appends the node itself, taking ownership (no clone).  The node must
    // not be linked into any list.
    VyrNode *appendNode(VyrNode *node);
    // Destroys the current nodes, then appends a clone of every source node
    // in order.  Copying a list onto itself changes nothing.
    void copy(const VyrNodeList &source);
    // The node at a 0-based index, reached from the nearer end; the cursor
    // ends on it.  Null (cursor unchanged) when the index is out of range.
    VyrNode *nodeAt(int32_t index);
    // Takes the node out of the list without destroying it; the caller owns
    // it afterwards.  The cursor is reset to null when it was on the node.
    VyrNode *detach(VyrNode *node);
    // Takes the node out of the list and destroys it.
    void unlink(VyrNode *node) { detach(node)->destroy(); }
    // True when the node is one of this list's nodes (a linear search that
    // leaves the cursor alone).
    bool contains(const VyrNode *node) const;
    // Destroys every node in order and empties the list.
    void clear();
    // Walk: first sets the cursor to the first node and returns it; next
    // moves the cursor to the node after it and returns that node, or
    // returns null and leaves the cursor alone at the end or when there is
    // no cursor.
    VyrNode *walkFirst() { return cursor = first; }
    VyrNode *walkNext();

private:
    // The node the last nodeAt() returned and its index, so that a look-up
    // near it (the next argument, the next element) starts from there
    // instead of an end: reading a list in index order stays linear.
    // Appending keeps it right; detaching and clearing drop it.
    // (The index comes first: it fills the space after count.)
    uint32_t hintIndex_ = 0;
    VyrNode *hint_ = nullptr;
};

#endif  // VYR_NODE_H

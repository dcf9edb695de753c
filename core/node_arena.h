// Bulk storage for the nodes and attribute blocks of a document being read.
//
// A large file makes hundreds of thousands of small objects in one go. While
// a reader holds a NodeArena::Scope, those objects are cut one after another
// from blocks of a few dozen kilobytes instead of being allocated one by one:
// reading is faster, and a document's objects lie in memory in the order of
// its file, which is the order most passes walk them in. Each piece knows its
// block; a block is given back when its last piece is freed, so objects can
// still be deleted one by one, in any order and on any thread, long after the
// reader is gone.
//
// Pieces are made by NodeArena::Allocate whether or not a scope is active
// (without one they come from the heap) and must be freed by NodeArena::Free.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

class NodeArena {
public:
    // Makes the calling thread cut pieces from blocks until the scope ends.
    // A scope opened inside another (a file read while another is being
    // read) cuts from blocks of its own; the outer one goes on with its
    // block afterwards.
    class Scope {
    public:
        Scope();
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        bool m_outerActive;
        void* m_outerBlock;
    };

    // A piece of size bytes, aligned for any object as operator new aligns it
    // (alignof(std::max_align_t)).
    // Throws std::bad_alloc like operator new.
    static void* Allocate(std::size_t size);
    // Frees a piece of Allocate (null is ignored).
    static void Free(void* p) noexcept;

    // Blocks currently held, by all threads (for tests and diagnostics).
    static std::size_t BlockCount();
    // The bytes a piece takes in its block besides its own (its own are
    // rounded up to whole alignment units).
    static std::size_t PieceOverhead();

    // The size of the blocks pieces are cut from.
    static constexpr std::size_t kBlockSize = 64 * 1024;

private:
    struct Block;
    static Block* NewBlock(std::size_t size);
    static void Retire(Block* block) noexcept;
    static void FreeBlock(Block* block) noexcept;
};

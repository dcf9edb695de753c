#include "core/node_arena.h"

#include <cstddef>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define VORPEL_ARENA_POISON 1
#endif

// A block: its header, then the pieces, each preceded by a header that holds
// its block (null for a piece of the heap). Under AddressSanitizer the piece
// header also holds the piece's size, and whatever is not a live piece is
// poisoned, so that a node used after it was deleted is still reported.
//
// While the reader cuts from a block, the block's count of live pieces holds
// a large bias instead of the pieces cut, so that cutting needs no atomic
// operation and a piece freed meanwhile cannot free the block; when the
// reader moves on, the bias is traded for the number of pieces it cut.
struct NodeArena::Block {
    std::atomic<uint32_t> live{kBias};
    uint32_t cut = 0;
    std::size_t used = 0;
    std::size_t size = 0;
    static constexpr uint32_t kBias = 1u << 31;
};

namespace {

// Pieces are aligned as operator new aligns: for any object that does not
// ask for more.
constexpr std::size_t kAlign = alignof(std::max_align_t);
static_assert((kAlign & (kAlign - 1)) == 0);

constexpr std::size_t RoundUp(std::size_t n) {
    return (n + kAlign - 1) & ~(kAlign - 1);
}

struct alignas(kAlign) PieceHeader {
    void* block; // the NodeArena::Block, null for a piece of the heap
#ifdef VORPEL_ARENA_POISON
    std::size_t size;
#endif
};
static_assert(sizeof(PieceHeader) % kAlign == 0);

void Poison([[maybe_unused]] void* p, [[maybe_unused]] std::size_t size) {
#ifdef VORPEL_ARENA_POISON
    ASAN_POISON_MEMORY_REGION(p, size);
#endif
}

void Unpoison([[maybe_unused]] void* p, [[maybe_unused]] std::size_t size) {
#ifdef VORPEL_ARENA_POISON
    ASAN_UNPOISON_MEMORY_REGION(p, size);
#endif
}

struct ThreadState {
    bool active = false;
    void* block = nullptr; // the NodeArena::Block being cut from
};

thread_local ThreadState t_state;

std::atomic<std::size_t> g_blocks{0};

} // namespace

std::size_t NodeArena::PieceOverhead() {
    return sizeof(PieceHeader);
}

NodeArena::Block* NodeArena::NewBlock(std::size_t size) {
    void* memory = ::operator new(size);
    g_blocks.fetch_add(1, std::memory_order_relaxed);
    Block* block = new (memory) Block;
    block->used = RoundUp(sizeof(Block));
    block->size = size;
    Poison(static_cast<char*>(memory) + block->used, size - block->used);
    return block;
}

void NodeArena::FreeBlock(Block* block) noexcept {
    const std::size_t size = block->size;
    block->~Block();
    Unpoison(block, size);
    g_blocks.fetch_sub(1, std::memory_order_relaxed);
    ::operator delete(static_cast<void*>(block));
}

void NodeArena::Retire(Block* block) noexcept {
    const uint32_t drop = Block::kBias - block->cut;
    if (block->live.fetch_sub(drop, std::memory_order_acq_rel) == drop)
        FreeBlock(block);
}

NodeArena::Scope::Scope() : m_outerActive(t_state.active), m_outerBlock(t_state.block) {
    t_state.active = true;
    t_state.block = nullptr;
}

NodeArena::Scope::~Scope() {
    if (t_state.block)
        Retire(static_cast<Block*>(t_state.block));
    t_state.block = m_outerBlock;
    t_state.active = m_outerActive;
}

std::size_t NodeArena::BlockCount() {
    return g_blocks.load(std::memory_order_relaxed);
}

void* NodeArena::Allocate(std::size_t size) {
    const std::size_t body = RoundUp(size ? size : 1);
    const std::size_t need = sizeof(PieceHeader) + body;
    char* piece;
    if (t_state.active && need <= kBlockSize / 8) {
        auto* block = static_cast<Block*>(t_state.block);
        if (!block || block->used + need > block->size) {
            Block* fresh = NewBlock(kBlockSize);
            if (block)
                Retire(block);
            t_state.block = block = fresh;
        }
        piece = reinterpret_cast<char*>(block) + block->used;
        block->used += need;
        ++block->cut;
        Unpoison(piece, need);
        reinterpret_cast<PieceHeader*>(piece)->block = block;
    } else {
        piece = static_cast<char*>(::operator new(need));
        reinterpret_cast<PieceHeader*>(piece)->block = nullptr;
    }
#ifdef VORPEL_ARENA_POISON
    reinterpret_cast<PieceHeader*>(piece)->size = need;
#endif
    return piece + sizeof(PieceHeader);
}

void NodeArena::Free(void* p) noexcept {
    if (!p)
        return;
    char* const piece = static_cast<char*>(p) - sizeof(PieceHeader);
    auto* const block = static_cast<Block*>(reinterpret_cast<PieceHeader*>(piece)->block);
    if (!block) {
        ::operator delete(static_cast<void*>(piece));
        return;
    }
#ifdef VORPEL_ARENA_POISON
    Poison(piece, reinterpret_cast<PieceHeader*>(piece)->size);
#endif
    if (block->live.fetch_sub(1, std::memory_order_acq_rel) == 1)
        FreeBlock(block);
}

#include "core/node_arena.h"

#include <new>

// A block: its header, then the pieces, each preceded by one word that holds
// its block (null for a piece of the heap).
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

constexpr std::size_t kWord = 8;

constexpr std::size_t RoundUp(std::size_t n) {
    return (n + kWord - 1) & ~(kWord - 1);
}

struct ThreadState {
    bool active = false;
    void* block = nullptr; // the NodeArena::Block being cut from
};

thread_local ThreadState t_state;

std::atomic<std::size_t> g_blocks{0};

void FreeBlock(void* block) {
    g_blocks.fetch_sub(1, std::memory_order_relaxed);
    ::operator delete(block);
}

} // namespace

NodeArena::Block* NodeArena::NewBlock(std::size_t size) {
    void* memory = ::operator new(size);
    g_blocks.fetch_add(1, std::memory_order_relaxed);
    Block* block = new (memory) Block;
    block->used = RoundUp(sizeof(Block));
    block->size = size;
    return block;
}

void NodeArena::Retire(Block* block) noexcept {
    const uint32_t drop = Block::kBias - block->cut;
    if (block->live.fetch_sub(drop, std::memory_order_acq_rel) == drop) {
        block->~Block();
        FreeBlock(block);
    }
}

NodeArena::Scope::Scope() {
    t_state.active = true;
    t_state.block = nullptr;
}

NodeArena::Scope::~Scope() {
    if (t_state.block)
        Retire(static_cast<Block*>(t_state.block));
    t_state.block = nullptr;
    t_state.active = false;
}

std::size_t NodeArena::BlockCount() {
    return g_blocks.load(std::memory_order_relaxed);
}

void* NodeArena::Allocate(std::size_t size) {
    const std::size_t need = kWord + RoundUp(size ? size : 1);
    if (t_state.active && need <= kBlockSize / 8) {
        auto* block = static_cast<Block*>(t_state.block);
        if (!block || block->used + need > block->size) {
            Block* fresh = NewBlock(kBlockSize);
            if (block)
                Retire(block);
            t_state.block = block = fresh;
        }
        char* piece = reinterpret_cast<char*>(block) + block->used;
        block->used += need;
        ++block->cut;
        *reinterpret_cast<Block**>(piece) = block;
        return piece + kWord;
    }
    char* piece = static_cast<char*>(::operator new(need));
    *reinterpret_cast<Block**>(piece) = nullptr;
    return piece + kWord;
}

void NodeArena::Free(void* p) noexcept {
    if (!p)
        return;
    char* piece = static_cast<char*>(p) - kWord;
    Block* block = *reinterpret_cast<Block**>(piece);
    if (!block) {
        ::operator delete(static_cast<void*>(piece));
        return;
    }
    if (block->live.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        block->~Block();
        FreeBlock(block);
    }
}

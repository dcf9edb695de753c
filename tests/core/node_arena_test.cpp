// The node arena: pieces cut in file order, blocks given back when their
// last piece goes (in any order, on any thread, before or after the reader is
// done), and documents read through it that are edited, copied and deleted
// piece by piece (under AddressSanitizer).
#include "core/node_arena.h"
#include "core/root.h"
#include "core/xml_file.h"
#include "platform/file.h"

#include <gtest/gtest.h>

#include <cstddef>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

class NodeArenaTest : public ::testing::Test {
protected:
    void SetUp() override { m_blocks = NodeArena::BlockCount(); }
    void TearDown() override { EXPECT_EQ(NodeArena::BlockCount(), m_blocks); }
    std::size_t m_blocks = 0;
};

TEST_F(NodeArenaTest, PiecesOfAScopeFollowEachOtherAndAreAligned) {
    std::vector<void*> pieces;
    {
        const NodeArena::Scope scope;
        for (std::size_t size : {1u, 7u, 8u, 24u, 200u, 13u})
            pieces.push_back(NodeArena::Allocate(size));
        EXPECT_EQ(NodeArena::BlockCount(), m_blocks + 1);
    }
    // A header before each piece, sizes rounded up to whole alignment units:
    // a piece holds any object operator new could hold.
    constexpr std::size_t kAlign = alignof(std::max_align_t);
    const std::size_t sizes[] = {kAlign, kAlign, kAlign, (24 + kAlign - 1) / kAlign * kAlign,
                                 (200 + kAlign - 1) / kAlign * kAlign};
    for (std::size_t i = 0; i < pieces.size(); ++i)
        EXPECT_EQ(reinterpret_cast<uintptr_t>(pieces[i]) % kAlign, 0u) << i;
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
        EXPECT_EQ(static_cast<std::size_t>(static_cast<char*>(pieces[i + 1]) -
                                           static_cast<char*>(pieces[i])),
                  sizes[i] + NodeArena::PieceOverhead())
            << i;
    }
    for (void* p : pieces)
        std::memset(p, 0xAB, 1);
    for (void* p : pieces)
        NodeArena::Free(p);
}

TEST_F(NodeArenaTest, WithoutAScopeAndForLargePiecesTheHeapServes) {
    void* outside = NodeArena::Allocate(64);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(outside) % alignof(std::max_align_t), 0u);
    EXPECT_EQ(NodeArena::BlockCount(), m_blocks);
    {
        const NodeArena::Scope scope;
        void* large = NodeArena::Allocate(NodeArena::kBlockSize);
        std::memset(large, 1, NodeArena::kBlockSize);
        EXPECT_EQ(NodeArena::BlockCount(), m_blocks);
        NodeArena::Free(large);
    }
    NodeArena::Free(outside);
    NodeArena::Free(nullptr);
}

TEST_F(NodeArenaTest, BlocksGoBackWhenTheirLastPieceIsFreedInAnyOrder) {
    std::vector<void*> pieces;
    {
        const NodeArena::Scope scope;
        // Enough for several blocks.
        for (int i = 0; i < 20000; ++i)
            pieces.push_back(NodeArena::Allocate(static_cast<std::size_t>(8 + i % 120)));
    }
    const std::size_t used = NodeArena::BlockCount() - m_blocks;
    EXPECT_GT(used, 3u);
    std::mt19937 random(7);
    std::shuffle(pieces.begin(), pieces.end(), random);
    // Half of them gone: some blocks may be empty by now, never more blocks
    // than before.
    for (std::size_t i = 0; i < pieces.size() / 2; ++i)
        NodeArena::Free(pieces[i]);
    EXPECT_LE(NodeArena::BlockCount() - m_blocks, used);
    for (std::size_t i = pieces.size() / 2; i < pieces.size(); ++i)
        NodeArena::Free(pieces[i]);
}

TEST_F(NodeArenaTest, APieceFreedWhileItsBlockIsStillBeingCutKeepsTheBlock) {
    const NodeArena::Scope scope;
    void* a = NodeArena::Allocate(32);
    NodeArena::Free(a);
    EXPECT_EQ(NodeArena::BlockCount(), m_blocks + 1);
    // The block still takes pieces, and they are usable.
    void* b = NodeArena::Allocate(32);
    std::memset(b, 0, 32);
    NodeArena::Free(b);
    EXPECT_EQ(NodeArena::BlockCount(), m_blocks + 1); // held until the scope ends
}

TEST_F(NodeArenaTest, AScopeInsideAnotherCutsFromBlocksOfItsOwn) {
    std::vector<void*> outer, inner;
    {
        const NodeArena::Scope scope;
        outer.push_back(NodeArena::Allocate(24));
        {
            const NodeArena::Scope nested;
            inner.push_back(NodeArena::Allocate(24));
            EXPECT_EQ(NodeArena::BlockCount(), m_blocks + 2);
        }
        // The outer scope goes on in its own block.
        outer.push_back(NodeArena::Allocate(24));
        EXPECT_EQ(static_cast<char*>(outer[1]) - static_cast<char*>(outer[0]),
                  static_cast<std::ptrdiff_t>((24 + alignof(std::max_align_t) - 1) /
                                                  alignof(std::max_align_t) *
                                                  alignof(std::max_align_t) +
                                              NodeArena::PieceOverhead()));
    }
    // Every block goes back with its pieces: none is left held by a scope.
    for (void* p : inner)
        NodeArena::Free(p);
    EXPECT_EQ(NodeArena::BlockCount(), m_blocks + 1);
    for (void* p : outer)
        NodeArena::Free(p);
    // Outside every scope, the heap again.
    void* heap = NodeArena::Allocate(24);
    EXPECT_EQ(NodeArena::BlockCount(), m_blocks);
    NodeArena::Free(heap);
}

TEST_F(NodeArenaTest, PiecesAreFreedOnOtherThreads) {
    std::vector<void*> pieces;
    {
        const NodeArena::Scope scope;
        for (int i = 0; i < 30000; ++i)
            pieces.push_back(NodeArena::Allocate(40));
        // Two threads free interleaved pieces while the reader still cuts.
        std::thread t1([&] {
            for (std::size_t i = 0; i < 20000; i += 2)
                NodeArena::Free(pieces[i]);
        });
        std::thread t2([&] {
            for (std::size_t i = 1; i < 20000; i += 2)
                NodeArena::Free(pieces[i]);
        });
        for (int i = 0; i < 1000; ++i)
            pieces.push_back(NodeArena::Allocate(40));
        t1.join();
        t2.join();
    }
    // A scope on another thread does not cut for this one.
    std::thread other([] {
        const NodeArena::Scope scope;
        NodeArena::Free(NodeArena::Allocate(16));
    });
    other.join();
    for (std::size_t i = 20000; i < pieces.size(); ++i)
        NodeArena::Free(pieces[i]);
}

// A loaded document is edited, copied and deleted node by node; the copies
// come from the heap and outlive the original.
TEST_F(NodeArenaTest, LoadedDocumentsAreEditedCopiedAndDeletedPieceByPiece) {
    std::string dir = "/tmp/vorpel-arena-XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    const std::wstring path = PathJoin(PathFromNative(dir), L"in.circuit");
    std::string bytes = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Project>\r\n";
    for (int i = 0; i < 3000; ++i)
        bytes += "  <Node A=\"" + std::to_string(i) + "\" B=\"x\">text " + std::to_string(i) +
                 "<Leaf C=\"1\"/></Node>\r\n";
    bytes += "</Project>\r\n";
    ASSERT_TRUE(WriteWholeFile(path, bytes));

    std::vector<CTreeNode*> copies;
    {
        CRoot root;
        root.SetRootTag(L"Project");
        ASSERT_TRUE(CXmlFile(&root).Load(path.c_str()));
        ASSERT_EQ(root.GetChildCount(), 3000u);
        EXPECT_GT(NodeArena::BlockCount(), m_blocks);
        // Attributes of loaded nodes grow and shrink in place or move to
        // the heap.
        for (std::size_t i = 0; i < root.GetChildCount(); i += 3) {
            CTreeNode* node = root.GetChild(i);
            node->SetAttribute(L"Z", std::wstring(200, L'z'));
            node->RemoveAttribute(L"B");
        }
        for (std::size_t i = 0; i < root.GetChildCount(); i += 100)
            copies.push_back(root.GetChild(i)->Clone());
        // Every other node deleted one by one, in reverse.
        for (std::size_t i = root.GetChildCount(); i-- > 0;) {
            if (i % 2)
                continue;
            CTreeNode* node = root.GetChild(i);
            node->RemoveFromParent();
            delete node;
        }
        EXPECT_EQ(root.GetChildCount(), 1500u);
        EXPECT_EQ(*root.GetChild(0)->FindAttribute(L"A"), L"1");
    }
    ASSERT_EQ(copies.size(), 30u);
    EXPECT_EQ(copies[1]->GetText(), L"text 100");
    EXPECT_EQ(copies[1]->GetAttributes().size(), 2u);
    EXPECT_EQ(copies[1]->GetChild(0)->GetAttributes().size(), 1u);
    for (CTreeNode* copy : copies)
        delete copy;
    std::filesystem::remove_all(dir);
}

TEST_F(NodeArenaTest, AFailedLoadGivesEveryBlockBack) {
    std::string dir = "/tmp/vorpel-arena-XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    const std::wstring path = PathJoin(PathFromNative(dir), L"bad.circuit");
    std::string bytes = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<Project>\r\n";
    for (int i = 0; i < 3000; ++i)
        bytes += "  <Node A=\"1\">t</Node>\r\n";
    bytes += "  <Node>\r\n</Project>\r\n"; // mismatched
    ASSERT_TRUE(WriteWholeFile(path, bytes));
    CRoot root;
    root.SetRootTag(L"Project");
    EXPECT_FALSE(CXmlFile(&root).Load(path.c_str()));
    EXPECT_EQ(NodeArena::BlockCount(), m_blocks);
    EXPECT_EQ(root.GetChildCount(), 0u);
    std::filesystem::remove_all(dir);
}

TEST_F(NodeArenaTest, NodesMadeWithoutThrowingComeFromTheArenaToo) {
    const NodeArena::Scope scope;
    CTreeNode* node = new (std::nothrow) CTreeNode(3);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(NodeArena::BlockCount(), m_blocks + 1);
    delete node;
}

#if defined(__SANITIZE_ADDRESS__)
// Cut from blocks or not, a deleted node is still caught when it is used.
TEST_F(NodeArenaTest, UsingADeletedNodeIsReported) {
    EXPECT_DEATH(
        {
            const NodeArena::Scope scope;
            CTreeNode* keep = new CTreeNode(1);
            CTreeNode* node = new CTreeNode(2);
            delete node;
            std::printf("%d\n", node->GetType());
            delete keep;
        },
        "use-after-poison");
    EXPECT_DEATH(
        {
            const NodeArena::Scope scope;
            CTreeNode* keep = new CTreeNode(1);
            CTreeNode* node = new CTreeNode(2);
            delete node;
            delete node;
            delete keep;
        },
        "use-after-poison");
}
#endif

} // namespace

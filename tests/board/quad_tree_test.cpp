// The region quad tree: containment with half-open edges, descent, moves and
// clearing.
#include "board/quad_tree.h"
#include "core/tree_node.h"

#include <gtest/gtest.h>

class QuadTreeTest : public ::testing::Test {
protected:
    void SetUp() override { m_root.SetRect(RectF{0, 0, 100, 100}); }
    CTreeNode m_a, m_b; // outlive the tree that points back at them
    QuadTreeNode m_root;
};

TEST_F(QuadTreeTest, RectangleTouchingTheRightOrBottomEdgeIsOutside) {
    EXPECT_EQ(m_root.Insert(&m_a, RectF{90, 10, 10, 5}), nullptr);
    EXPECT_EQ(m_root.Insert(&m_a, RectF{10, 90, 5, 10}), nullptr);
    EXPECT_EQ(m_root.Insert(&m_a, RectF{-1, 10, 5, 5}), nullptr);
    EXPECT_EQ(m_a.m_pQuadTreeNode, nullptr);
    EXPECT_EQ(m_root.Insert(&m_a, RectF{0, 0, 99.5f, 99.5f}), &m_root);
}

TEST_F(QuadTreeTest, StraddlingTheMidlineStaysInTheRoot) {
    EXPECT_EQ(m_root.Insert(&m_a, RectF{45, 10, 10, 5}), &m_root);
    EXPECT_EQ(m_root.GetItems().size(), 1u);
    for (int q = 0; q < 4; ++q)
        EXPECT_EQ(m_root.GetChild(q), nullptr);
}

TEST_F(QuadTreeTest, SmallCornerRectangleDescendsCreatingOnlyItsPath) {
    // 100 -> 50 -> 25 -> 12.5 -> 6.25 -> 3.125; a 4 by 4 box fits in 6.25.
    QuadTreeNode* node = m_root.Insert(&m_a, RectF{0, 0, 4, 4});
    ASSERT_NE(node, nullptr);
    EXPECT_FLOAT_EQ(node->GetRect().Width, 6.25f);
    EXPECT_EQ(m_a.m_pQuadTreeNode, node);
    int depth = 0;
    for (QuadTreeNode* n = node; n->GetParent(); n = n->GetParent()) {
        ++depth;
        QuadTreeNode* parent = n->GetParent();
        EXPECT_EQ(parent->GetChild(0), n);
        for (int q = 1; q < 4; ++q)
            EXPECT_EQ(parent->GetChild(q), nullptr);
    }
    EXPECT_EQ(depth, 4);
    // The other quadrants place their boxes correctly too.
    EXPECT_EQ(m_root.Insert(&m_b, RectF{60, 60, 30, 30})->GetRect().X, 50);
}

TEST_F(QuadTreeTest, MoveOutsideLeavesTheItemInNoNode) {
    QuadTreeNode* first = m_root.Insert(&m_a, RectF{1, 1, 2, 2});
    QuadTreeNode* second = m_root.Move(&m_a, RectF{60, 60, 2, 2});
    EXPECT_NE(first, second);
    EXPECT_TRUE(first->GetItems().empty());
    EXPECT_EQ(m_a.m_pQuadTreeNode, second);
    EXPECT_EQ(m_root.Move(&m_a, RectF{200, 200, 2, 2}), nullptr);
    EXPECT_EQ(m_a.m_pQuadTreeNode, nullptr);
    EXPECT_TRUE(second->GetItems().empty());
}

TEST_F(QuadTreeTest, RemoveOfAnItemNotHeldChangesNothing) {
    QuadTreeNode* node = m_root.Insert(&m_a, RectF{1, 1, 2, 2});
    m_root.Remove(&m_a); // held deeper, not by the root
    EXPECT_EQ(m_a.m_pQuadTreeNode, node);
    node->Remove(&m_a);
    EXPECT_EQ(m_a.m_pQuadTreeNode, nullptr);
    EXPECT_TRUE(node->GetItems().empty());
}

TEST_F(QuadTreeTest, ClearKeepsTheRectangleAndReleasesEveryItem) {
    m_root.Insert(&m_a, RectF{1, 1, 2, 2});
    m_root.Insert(&m_b, RectF{40, 40, 20, 20});
    m_root.Clear();
    EXPECT_EQ(m_a.m_pQuadTreeNode, nullptr);
    EXPECT_EQ(m_b.m_pQuadTreeNode, nullptr);
    EXPECT_TRUE(m_root.GetItems().empty());
    for (int q = 0; q < 4; ++q)
        EXPECT_EQ(m_root.GetChild(q), nullptr);
    EXPECT_FLOAT_EQ(m_root.GetRect().Width, 100);
    EXPECT_EQ(m_root.Insert(&m_a, RectF{1, 1, 2, 2})->GetRect().Width, 3.125f);
}

TEST_F(QuadTreeTest, DestroyingATreeNullsTheBackPointers) {
    {
        QuadTreeNode root;
        root.SetRect(RectF{0, 0, 10, 10});
        root.Insert(&m_a, RectF{1, 1, 1, 1});
    }
    EXPECT_EQ(m_a.m_pQuadTreeNode, nullptr);
}

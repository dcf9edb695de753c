// Tree operations, deep copy and deletion of subtrees, the base slots, the
// board-side test and the base invalidation through the active view.
#include "core/root.h"
#include "core/tree_node.h"
#include "core/vorpel_view.h"
#include "platform/device_context.h"
#include "platform/graphics.h"
#include "tests/core/test_view.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A node that counts the live instances of its class.
class CountedNode : public CTreeNode {
public:
    static int alive;
    explicit CountedNode(int type = 0) : CTreeNode(type) { ++alive; }
    CountedNode(const CountedNode& other) : CTreeNode(other) { ++alive; }
    ~CountedNode() override { --alive; }
    CTreeNode* Clone() const override { return new CountedNode(*this); }
};
int CountedNode::alive = 0;

// Three levels: a root with three children, each with two children, each of
// those with one.
CountedNode* BuildThreeLevels() {
    auto* root = new CountedNode(7);
    for (int i = 0; i < 3; ++i) {
        auto* child = static_cast<CountedNode*>(root->AddChild(new CountedNode(8)));
        for (int j = 0; j < 2; ++j)
            child->AddChild(new CountedNode(9))->AddChild(new CountedNode(10));
    }
    return root;
}

TEST(TreeNodeTest, DeletingASubtreeDeletesEveryDescendantOnce) {
    CountedNode::alive = 0;
    CountedNode* root = BuildThreeLevels();
    EXPECT_EQ(CountedNode::alive, 16);
    CTreeNode* middle = root->GetChild(1);
    middle->RemoveFromParent();
    delete middle;
    EXPECT_EQ(CountedNode::alive, 11);
    EXPECT_EQ(root->GetChildCount(), 2u);
    delete root;
    EXPECT_EQ(CountedNode::alive, 0);
}

TEST(TreeNodeTest, RemoveFromParentKeepsTheOthersInOrder) {
    CTreeNode parent;
    CTreeNode* a = parent.AddChild(new CTreeNode(1));
    CTreeNode* b = parent.AddChild(new CTreeNode(2));
    CTreeNode* c = parent.AddChild(new CTreeNode(3));
    b->AddChild(new CTreeNode(4));
    b->RemoveFromParent();
    EXPECT_EQ(b->GetParent(), nullptr);
    EXPECT_EQ(b->GetChildCount(), 1u) << "the removed node keeps its subtree";
    ASSERT_EQ(parent.GetChildCount(), 2u);
    EXPECT_EQ(parent.GetChild(0), a);
    EXPECT_EQ(parent.GetChild(1), c);
    delete b;
}

TEST(TreeNodeTest, InsertChildAtPutsTheChildBeforeTheOneAtTheIndex) {
    CTreeNode parent;
    CTreeNode* a = parent.AddChild(new CTreeNode(1));
    CTreeNode* c = parent.AddChild(new CTreeNode(3));
    CTreeNode* b = new CTreeNode(2);
    EXPECT_EQ(parent.InsertChildAt(1, b), b);
    CTreeNode* first = parent.InsertChildAt(0, new CTreeNode(0));
    CTreeNode* last = parent.InsertChildAt(parent.GetChildCount(), new CTreeNode(4));
    std::vector<CTreeNode*> expected{first, a, b, c, last};
    EXPECT_EQ(parent.GetChildren(), expected);
    for (CTreeNode* child : parent.GetChildren())
        EXPECT_EQ(child->GetParent(), &parent);
    EXPECT_EQ(b->GetIndexInParent(), 2);
}

TEST(TreeNodeTest, CloneIsADeepCopyWithoutParentOrEditorView) {
    CountedNode::alive = 0;
    CountedNode* root = BuildThreeLevels();
    CTreeNode* node = root->GetChild(0);
    CTestView view;
    node->SetEditorView(&view);
    node->GetChild(1)->SetEditorView(&view);
    node->SetSelected(true);
    node->SetAttribute(L"Name", L"x");
    node->SetText(L"body");
    node->m_position = POINT{3, -4};
    node->m_boardPosition = PointF{1.5f, 2.5f};
    node->m_size = SIZE{10, 20};

    CTreeNode* copy = node->Clone();
    EXPECT_EQ(CountedNode::alive, 16 + 5);
    EXPECT_NE(dynamic_cast<CountedNode*>(copy), nullptr) << "a clone keeps the node's class";
    EXPECT_EQ(copy->GetParent(), nullptr);
    EXPECT_TRUE(copy->IsSelected());
    EXPECT_EQ(copy->GetEditorView(), nullptr) << "a copy is open in no editor";
    EXPECT_EQ(copy->GetType(), 8);
    EXPECT_EQ(*copy->FindAttribute(L"Name"), L"x");
    EXPECT_EQ(copy->GetText(), L"body");
    EXPECT_EQ(copy->m_position, (POINT{3, -4}));
    EXPECT_EQ(copy->m_boardPosition, (PointF{1.5f, 2.5f}));
    EXPECT_EQ(copy->m_size.cx, 10);
    ASSERT_EQ(copy->GetChildCount(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        CTreeNode* c = copy->GetChild(i);
        EXPECT_NE(c, node->GetChild(i));
        EXPECT_EQ(c->GetParent(), copy);
        EXPECT_EQ(c->GetEditorView(), nullptr);
        ASSERT_EQ(c->GetChildCount(), 1u);
        EXPECT_EQ(c->GetChild(0)->GetParent(), c);
        EXPECT_EQ(c->GetChild(0)->GetType(), 10);
    }
    delete copy;
    delete root;
    EXPECT_EQ(CountedNode::alive, 0);
}

TEST(TreeNodeTest, RootCloneKeepsTagAndPath) {
    CRoot root;
    root.SetRootTag(L"SymbolLib");
    root.SetFilePath(L"/tmp/a.symbol");
    root.AddChild(new CTreeNode(6));
    CTreeNode* copy = root.Clone();
    auto* rootCopy = dynamic_cast<CRoot*>(copy);
    ASSERT_NE(rootCopy, nullptr);
    EXPECT_STREQ(rootCopy->GetTagName(), L"SymbolLib");
    EXPECT_EQ(rootCopy->GetFilePath(), L"/tmp/a.symbol");
    EXPECT_EQ(rootCopy->GetChildCount(), 1u);
    EXPECT_EQ(rootCopy->GetType(), 0);
    delete copy;
}

TEST(TreeNodeTest, BaseSlotsDoNothing) {
    CTreeNode node(5);
    EXPECT_STREQ(node.GetTagName(), L"TreeNode");
    EXPECT_EQ(node.GetLayer(), -1);
    node.SetLayer(3);
    EXPECT_EQ(node.GetLayer(), -1);
    RectF r;
    EXPECT_FALSE(node.GetBoundsOnBoard(nullptr, r));
    EXPECT_EQ(node.GetBoundsOnSheet(nullptr), RECT{});
    EXPECT_EQ(node.HitTestOnBoard(nullptr, 0, 0), nullptr);
    EXPECT_EQ(node.HitTestOnSheet(nullptr, 0, 0), nullptr);
    EXPECT_EQ(node.MouseDownOnSheet(nullptr, 1, 0, 0), nullptr);
    EXPECT_EQ(node.MouseUpOnSheet(nullptr, 1, 0, 0), 0);
    EXPECT_EQ(node.RightClickOnBoard(nullptr, 0, 0, 0), 0);
    EXPECT_EQ(node.DragOnBoard(nullptr, 1, 0, 0), 0);
    EXPECT_EQ(node.DragOnSheet(nullptr, 1, 0, 0), 0);
    EXPECT_EQ(node.DeleteOnBoard(nullptr, 0), 0);
    EXPECT_EQ(node.DeleteOnSheet(nullptr, 0), 0);
    CTreeNode withText(28, L"hello");
    EXPECT_EQ(withText.GetText(), L"hello");
}

class SheetText : public CTreeNode {
public:
    explicit SheetText(bool onSheet) : CTreeNode(NodeType::Text), m_onSheet(onSheet) {}
    bool IsOnSheet() const override { return m_onSheet; }
    bool m_onSheet;
};

TEST(TreeNodeTest, BoardSideNodesAreLayerThroughAreaAndTextsWithoutSheet) {
    struct Case {
        int type;
        bool boardSide;
    } cases[] = {{0, false}, {7, false}, {8, false},  {9, true},   {14, true},
                 {19, true}, {20, true}, {21, false}, {25, false}, {27, false}};
    for (const Case& c : cases) {
        CTreeNode node(c.type);
        EXPECT_EQ(IsBoardSideNode(&node), c.boardSide) << "type " << c.type;
    }
    SheetText free(false), placed(true);
    EXPECT_TRUE(IsBoardSideNode(&free));
    EXPECT_FALSE(IsBoardSideNode(&placed));
    EXPECT_FALSE(IsBoardSideNode(nullptr));
}

class BoundedNode : public CTreeNode {
public:
    bool GetBoundsOnBoard(Graphics*, RectF& r) override {
        r = board;
        return hasBoard;
    }
    RECT GetBoundsOnSheet(DeviceContext*) override { return sheet; }
    RectF board;
    bool hasBoard = false;
    RECT sheet{};
};

class InvalidationTest : public ::testing::Test {
protected:
    void SetUp() override { g_pActiveView = &view; }
    void TearDown() override { g_pActiveView = nullptr; }
    CTestView view;
};

TEST_F(InvalidationTest, NodeWithoutBoundsRepaintsTheWholeClientArea) {
    BoundedNode node;
    node.InvalidateOnBoard(nullptr);
    node.InvalidateOnSheet(nullptr);
    ASSERT_EQ(view.invalidations.size(), 2u);
    for (const auto& call : view.invalidations) {
        EXPECT_TRUE(call.whole);
        EXPECT_FALSE(call.erase);
    }
}

TEST_F(InvalidationTest, BoardBoundsGoThroughTheWorldTransformRoundedAndOrdered) {
    // 10 pixels per millimetre with y pointing up, as a board view maps.
    Graphics g(nullptr);
    g.TranslateTransform(0, 500);
    g.ScaleTransform(10, -10);
    BoundedNode node;
    node.hasBoard = true;
    node.board = RectF{1.25f, 2.25f, 3.0f, 4.0f}; // x 12.5..42.5, y 477.5..437.5
    node.InvalidateOnBoard(&g);
    ASSERT_EQ(view.invalidations.size(), 1u);
    EXPECT_FALSE(view.invalidations[0].whole);
    EXPECT_FALSE(view.invalidations[0].erase);
    EXPECT_EQ(view.invalidations[0].rect, (RECT{13, 438, 43, 478}));
}

TEST_F(InvalidationTest, SheetBoundsAreConvertedShiftedByTheScrollOffsetAndErased) {
    // A tenth of a logical unit per pixel with y up.
    DeviceContext dc(100, 100);
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(10, 10);
    dc.SetViewportExt(1, -1);
    view.SetScrollOffset(POINT{5, 7});
    BoundedNode node;
    node.sheet = RECT{100, -200, 300, -400};
    node.InvalidateOnSheet(&dc);
    ASSERT_EQ(view.invalidations.size(), 1u);
    EXPECT_FALSE(view.invalidations[0].whole);
    EXPECT_TRUE(view.invalidations[0].erase);
    EXPECT_EQ(view.invalidations[0].rect, (RECT{15, 27, 35, 47}));
}

TEST_F(InvalidationTest, NothingHappensWithoutAnActiveView) {
    g_pActiveView = nullptr;
    BoundedNode node;
    node.InvalidateOnBoard(nullptr);
    node.InvalidateOnSheet(nullptr);
    EXPECT_TRUE(view.invalidations.empty());
}

} // namespace

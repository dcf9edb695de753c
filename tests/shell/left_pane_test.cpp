// The left pane around its trees: the tab strip's order, hit tests and hot
// tab, the trees' place, the keyboard focus, the context menu by the menu
// key, the Edit questions the trees answer, the clipboard the three trees
// share, and a picture of the three trees of the examples.
#include "platform/bitmap.h"
#include "platform/paint_target.h"
#include "tests/shell/tree_fixture.h"

namespace {

class LeftPaneTest : public TreeTest {
protected:
    CLeftPane& Pane() { return g_MainFrame.m_leftPane; }
    POINT TabCentre(int tab) {
        return POINT{Pane().TabPitch() * tab + Pane().TabWidth() / 2,
                     Pane().GetClientRect().bottom - 11};
    }
    void ClickTab(int tab) {
        POINT p = TabCentre(tab);
        SimulateMouse(&Pane(), WM_MOUSEMOVE, p);
        SimulateMouse(&Pane(), WM_LBUTTONDOWN, p, MK_LBUTTON);
        SimulateMouse(&Pane(), WM_LBUTTONUP, p);
        PumpPendingMessages();
    }
};

TEST_F(LeftPaneTest, TabsComeToTheFrontOfTheActivationOrder) {
    using Order = std::array<int, 3>;
    // Opening the three documents showed each tree; the project's last.
    EXPECT_EQ(Pane().GetActivationOrder(), (Order{0, 2, 1}));
    ClickTab(1);
    ClickTab(0);
    EXPECT_EQ(Pane().GetActivationOrder(), (Order{0, 1, 2}));
    ClickTab(2);
    EXPECT_EQ(Pane().GetActivationOrder(), (Order{2, 0, 1}));
    EXPECT_TRUE(Tree(2).IsWindowVisible());
    EXPECT_FALSE(Tree(0).IsWindowVisible());
    ClickTab(1);
    EXPECT_EQ(Pane().GetActivationOrder(), (Order{1, 2, 0}));
    EXPECT_EQ(Pane().GetCurrentTab(), 1);
    // The shown tab again: nothing changes, nothing is painted.
    Pane().UpdateWindow();
    ClickTab(1);
    EXPECT_EQ(Pane().GetActivationOrder(), (Order{1, 2, 0}));
    EXPECT_TRUE(IsRectEmpty(Pane().GetUpdateRect()));
    // The captions are the trees' texts.
    EXPECT_EQ(Tree(0).GetWindowText(), L"Project");
    EXPECT_EQ(Tree(1).GetWindowText(), L"Symbols");
    EXPECT_EQ(Tree(2).GetWindowText(), L"Footprints");
}

TEST_F(LeftPaneTest, TabOutlinesOverlapAndTheShownTabWins) {
    const int h = Pane().GetClientRect().bottom;
    // Rounded feet: the strip's bottom corners of a tab are outside it.
    EXPECT_EQ(Pane().TabAt(POINT{2, h - 3}), -1);
    const int middle = Pane().TabWidth() / 2;
    EXPECT_EQ(Pane().TabAt(POINT{middle, h - 3}), 0);
    EXPECT_EQ(Pane().TabAt(POINT{middle, h - 30}), -1);
    // Where tabs 0 and 1 overlap, the one shown more recently wins.
    const POINT overlap{Pane().TabPitch() + 10, h - 20};
    EXPECT_EQ(Pane().TabAt(overlap), 0);
    Pane().SelectTab(1);
    EXPECT_EQ(Pane().TabAt(overlap), 1);
    // Hot tracking follows the mouse and ends when it leaves.
    SimulateMouse(&Pane(), WM_MOUSEMOVE, TabCentre(2));
    EXPECT_EQ(Pane().GetHotTab(), 2);
    SimulateMouse(&Pane(), WM_MOUSEMOVE, POINT{300, h - 5});
    EXPECT_EQ(Pane().GetHotTab(), -1);
    SimulateMouse(&Pane(), WM_MOUSEMOVE, TabCentre(0));
    SimulateMouseLeave(&Pane());
    EXPECT_EQ(Pane().GetHotTab(), -1);
}

TEST_F(LeftPaneTest, TreesFillThePaneAboveTheStripAndTakeTheFocus) {
    const RECT pane = Pane().GetClientRect();
    for (int kind = 0; kind < 3; ++kind) {
        const RECT r = Tree(kind).GetRectInParent();
        EXPECT_EQ(r, (RECT{0, 0, pane.right, pane.bottom - CLeftPane::kTabStripHeight}));
    }
    Pane().FocusTree(0);
    EXPECT_TRUE(Pane().HasFocus());
    // Editing a label keeps the focus in the pane.
    Menu(0, Root(0).GetChild(1), ID_TREE_RENAME);
    ASSERT_NE(Tree(0).GetEditControl(), nullptr);
    EXPECT_EQ(PlatformWindow::GetFocus(), Tree(0).GetEditControl());
    EXPECT_TRUE(Pane().HasFocus());
    EndEdit(0);
    g_MainFrame.m_tabWindow.SetFocus();
    EXPECT_FALSE(Pane().HasFocus());
}

TEST_F(LeftPaneTest, TheMenuKeyShowsTheMenuOfTheSelectedItem) {
    CTreeNode* block = Root(0).GetChild(1);
    Click(0, block);
    menus.clear();
    menuAnswers.push_back(ID_PRJ_ADD_BLOCK);
    Pane().SendMessage(WM_CONTEXTMENU, PtrToWParam(&Tree(0)), MAKELPARAM(-1, -1));
    PumpPendingMessages();
    ASSERT_EQ(menus.size(), 1u);
    EndEdit(0);
    EXPECT_EQ(block->GetChildCount(), 1u);
    // Below the last item there is no menu.
    ShowTree(2);
    menus.clear();
    SimulateMouse(&Tree(2), WM_RBUTTONDOWN, POINT{5, 500}, MK_RBUTTON);
    SimulateMouse(&Tree(2), WM_RBUTTONUP, POINT{5, 500});
    PumpPendingMessages();
    EXPECT_TRUE(menus.empty());
}

TEST_F(LeftPaneTest, EachTreeAnswersTheEditQuestionsForItself) {
    CLeftTabView& symbols = Tree(1);
    EXPECT_EQ(symbols.SendMessage(EM_CANUNDO), 0);
    Menu(1, &Root(1), ID_SYM_ADD_FOLDER);
    EndEdit(1);
    EXPECT_EQ(symbols.SendMessage(EM_CANUNDO), 1);
    EXPECT_EQ(symbols.SendMessage(EM_CANREDO), 0);
    EXPECT_EQ(Tree(0).SendMessage(EM_CANUNDO), 0);
    symbols.SendMessage(WM_UNDO);
    EXPECT_EQ(symbols.SendMessage(EM_CANREDO), 1);
    symbols.SendMessage(WM_EDIT_REDO);
    EXPECT_EQ(Root(1).GetChildren().back()->GetText(), L"New Folder");
    // The frame's undo button follows the tree with the focus.
    Pane().FocusTree(1);
    RunIdleHandlers();
    EXPECT_TRUE(g_MainFrame.UIIsEnabled(ID_EDIT_UNDO));
    Pane().FocusTree(2);
    RunIdleHandlers();
    EXPECT_FALSE(g_MainFrame.UIIsEnabled(ID_EDIT_UNDO));
}

TEST_F(LeftPaneTest, TheClipboardHoldsOneCopySharedByTheTrees) {
    CTreeNode* folder = Root(1).GetChild(0);
    Menu(1, folder, ID_EDIT_COPY);
    ASSERT_EQ(CLeftTabView::Clipboard().size(), 1u);
    const CTreeNode* first = CLeftTabView::Clipboard()[0];
    EXPECT_EQ(first->GetParent(), nullptr);
    EXPECT_NE(first, folder);
    // A second copy replaces (and frees) the first.
    Menu(1, folder, ID_EDIT_COPY);
    ASSERT_EQ(CLeftTabView::Clipboard().size(), 1u);
    // The copy pasted twice in another place of its library.
    Menu(1, Root(1).GetChild(2), ID_EDIT_PASTE);
    Menu(1, Root(1).GetChild(2), ID_EDIT_PASTE);
    EXPECT_EQ(ChildNames(Root(1).GetChild(2), NodeType::SymbolFolder),
              (std::vector<std::wstring>{L"Passive", L"Passive"}));
    EXPECT_EQ(CLeftTabView::Clipboard().size(), 1u);
    EXPECT_EQ(CLeftTabView::Clipboard()[0]->GetParent(), nullptr);
}

TEST_F(LeftPaneTest, PictureOfTheThreeTreesOfTheExamples) {
    // Every folder open, as a user looking through them would leave them.
    for (int kind = 0; kind < 3; ++kind) {
        std::vector<CTreeNode*> stack{&Root(kind)};
        while (!stack.empty()) {
            CTreeNode* node = stack.back();
            stack.pop_back();
            Pane().SetNodeExpanded(node, true);
            for (CTreeNode* child : node->GetChildren())
                stack.push_back(child);
        }
        Pane().RebuildTree(kind);
    }
    Pane().MoveWindow(RECT{0, 0, 255, 420}, true);
    PumpPendingMessages();
    const RECT c = Pane().GetClientRect();
    auto picture = PaintTarget::CreateImage(3 * c.right + 20, c.bottom, 0xFF808080);
    for (int kind = 0; kind < 3; ++kind) {
        Pane().SelectTab(kind);
        Tree(kind).SelectItem(Tree(kind).GetChildItem(Tree(kind).GetRootItem()));
        PumpPendingMessages();
        auto image = PaintTarget::CreateImage(c.right, c.bottom);
        Pane().RenderTo(*image);
        std::vector<ARGB> pixels;
        for (int y = 0; y < c.bottom; ++y)
            for (int x = 0; x < c.right; ++x)
                pixels.push_back(image->PixelAt(x, y));
        Bitmap(c.right, c.bottom, std::move(pixels)).Draw(picture.get(), kind * (c.right + 10), 0);
        // The strip is dark grey, the shown tab white, the tree above it.
        EXPECT_EQ(image->PixelAt(c.right - 5, c.bottom - 5) & 0xFFFFFF, 0x323232u);
        EXPECT_EQ(image->PixelAt(Pane().TabPitch() * kind + 14, c.bottom - 12) & 0xFFFFFF,
                  0xFFFFFFu);
    }
    const std::wstring folder = PathJoin(Utf8ToWide(VORPEL_BINARY_DIR), L"pictures");
    CreateDirectories(folder);
    EXPECT_TRUE(picture->SavePng(PathJoin(folder, L"left-pane.png")));
}

} // namespace

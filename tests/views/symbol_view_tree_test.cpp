// The symbol editor as the symbol library tree opens and closes it: a double
// click on a symbol opens its editor once, and deleting the symbol in the
// tree closes the editor without leaving its work under way in the library.
#include "schematic/package.h"
#include "schematic/part.h"
#include "tests/shell/tree_fixture.h"
#include "views/editor_views.h"
#include "views/symbol_view.h"

namespace {

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

class SymbolTreeEditorTest : public TreeTest {
protected:
    void SetUp() override {
        TreeTest::SetUp();
        RegisterEditorViews();
        registeredMakers.push_back(NodeType::Package);
        logic = Child(&Root(1), NodeType::SymbolFolder, L"Logic");
        nand = Child(logic, NodeType::Package, L"NAND2");
        ASSERT_TRUE(logic && nand);
    }
    // A click of the view at a point in grid units of the shown part's corner.
    void ClickView(CSymbolView* view, int gx, int gy) {
        const int g = view->GetTextHeight();
        const POINT o = view->GetShownPart()->m_position;
        const POINT at = view->LogicalToClient(POINT{(o.x + gx) * g, (o.y + gy) * g});
        SimulateMouse(view, WM_MOUSEMOVE, at);
        SimulateMouse(view, WM_LBUTTONDOWN, at, MK_LBUTTON);
        SimulateMouse(view, WM_LBUTTONUP, at);
        PumpPendingMessages();
    }
    CTreeNode* logic = nullptr;
    CTreeNode* nand = nullptr;
};

TEST_F(SymbolTreeEditorTest, ASymbolOpensOnceAndDeletingItClosesItsEditorCleanly) {
    const std::string before = Saved(1);
    DoubleClick(1, nand);
    auto* view = dynamic_cast<CSymbolView*>(g_pActiveView);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetPackage(), nand);
    DoubleClick(1, nand);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 1);
    EXPECT_EQ(g_pActiveView, view);
    EXPECT_EQ(Saved(1), before) << "opening the editor changes nothing";

    // One pin placed on the left side, and the next one left floating.
    g_MainFrame.m_tabWindow.SetFocus();
    Command(ID_SYM_PLACE_PIN);
    ClickView(view, -2, 2);
    ASSERT_NE(view->GetFloatingPin(), nullptr);

    Menu(1, nand, ID_SYM_DELETE_SYMBOL);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), 0);
    EXPECT_EQ(Child(logic, NodeType::Package, L"NAND2"), nullptr);

    // The symbol comes back with the placed pin only.
    Undo(1);
    ASSERT_EQ(Child(logic, NodeType::Package, L"NAND2"), nand);
    const std::string restored = Saved(1);
    EXPECT_EQ(Count(restored, "<Pin "), Count(before, "<Pin ") + 1);
    EXPECT_NE(restored.find("Num=\"12\">L2</Pin>"), std::string::npos) << restored;

    DoubleClick(1, nand);
    view = dynamic_cast<CSymbolView*>(g_pActiveView);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->GetPackage(), nand);
    EXPECT_EQ(view->GetFloatingPin(), nullptr);
    EXPECT_EQ(Saved(1), restored) << "reopening changes nothing";
}

} // namespace

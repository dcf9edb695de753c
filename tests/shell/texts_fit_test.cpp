// The main window's own texts, measured in the faces the font table gives
// them on the screen: every layer name shows whole in the layer selectors'
// closed boxes, a page's caption ends short of its tab's close button, the
// left pane's tab captions show whole, and the status bar's unit pane is
// empty while a schematic page is shown.
#include "core/node_type.h"
#include "platform/combo_box_control.h"
#include "platform/string_table.h"
#include "tests/dialog_fit.h"
#include "tests/screen_picture.h"
#include "tests/shell/example_views_fixture.h"

#include <functional>
#include <string>
#include <vector>

namespace {

// The views draw a selector's entry 3 pixels in from either side of the box's
// field.
constexpr int kSelectorInsets = 6;

class TextsFitTest : public ExampleViewsTest {
protected:
    CVorpelView* Open(CTreeNode* node) {
        CVorpelView* view = g_MainFrame.OpenNodeView(node);
        EXPECT_NE(view, nullptr);
        PumpPendingMessages();
        return view;
    }
    // The first node of a type anywhere below parent.
    static CTreeNode* Find(CTreeNode* parent, int type) {
        for (CTreeNode* child : parent->GetChildren()) {
            if (child->GetType() == type)
                return child;
            if (CTreeNode* found = Find(child, type))
                return found;
        }
        return nullptr;
    }
    static void Report(const std::vector<std::string>& problems, const std::string& where) {
        for (const std::string& p : problems)
            ADD_FAILURE() << where << ": " << p;
    }
    std::wstring UnitPane() const {
        return g_MainFrame.m_statusBar.GetText(CSchStatusBar::kPaneUnit);
    }

};

// The board selector with every name it may hold (inner layers included),
// and the pad-layer selector on the footprint and on the padstack toolbar.
TEST_F(TextsFitTest, EveryLayerNameShowsWholeInItsSelector) {
    ASSERT_NE(Open(board), nullptr);
    ComboBoxControl& boardCombo = g_MainFrame.m_boardLayerCombo;
    ASSERT_GT(boardCombo.GetCount(), 12);
    // Names of layers the example board lacks are offered by boards that
    // have them.
    std::vector<std::string> problems;
    dialog_fit::CheckOwnerDrawnEntries(problems, boardCombo, kSelectorInsets);
    for (int i = 0; i < CMainFrame::kBoardLayerTexts; ++i)
        dialog_fit::NeedDrawnWidth(problems, "board layer", dialog_fit::LogFontOf(boardCombo),
                                   LoadStringText(static_cast<unsigned>(ID_BOARD_LAYER_COMBO + i)),
                                   boardCombo.GetFaceRect().right - boardCombo.GetFaceRect().left -
                                       kSelectorInsets);
    Report(problems, "board layer selector");

    const struct {
        const char* name;
        int type;
        ToolBarControl* toolbar;
    } editors[] = {{"footprint", NodeType::Footprint, &g_MainFrame.m_footprintToolBar},
                   {"padstack", NodeType::Padstack, &g_MainFrame.m_padstackToolBar}};
    for (const auto& e : editors) {
        SCOPED_TRACE(e.name);
        CTreeNode* node = Find(&Root(2), e.type);
        ASSERT_NE(node, nullptr);
        ASSERT_NE(Open(node), nullptr);
        ComboBoxControl& padCombo = g_MainFrame.m_padLayerCombo;
        ASSERT_EQ(padCombo.GetParent(), e.toolbar);
        ASSERT_GT(padCombo.GetCount(), 5);
        problems.clear();
        dialog_fit::CheckOwnerDrawnEntries(problems, padCombo, kSelectorInsets);
        Report(problems, std::string(e.name) + " layer selector");
        // The box lies within its placeholder.
        const RECT box = padCombo.GetRectInParent();
        const RECT place = e.toolbar->GetItemRect(e.toolbar->CommandToIndex(ID_PAD_LAYER_COMBO));
        EXPECT_GE(box.left, place.left);
        EXPECT_LE(box.right, place.right);
    }
}

// Captions as the tab strip paints them: each ends before its tab's close
// button, and a caption of an ordinary length shows whole.
TEST_F(TextsFitTest, APageCaptionEndsShortOfItsCloseButton) {
    // The newest page comes first.
    const std::wstring captions[] = {L"save1.circuit - Mainboard", L"Mainboard - Main",
                                     L"Mainboard - Power"};
    for (CTreeNode* node : {Child(board, NodeType::Sheet, L"Power"), sheet, board})
        ASSERT_NE(Open(node), nullptr);
    CTabWindow& tabs = g_MainFrame.m_tabWindow;
    ASSERT_EQ(tabs.GetTabCount(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        tabs.GetView(i)->SetWindowText(captions[i]);
        const RECT text = CTabWindow::CaptionRect(i);
        const RECT close = CTabWindow::CloseButtonRect(i);
        // The close button's circle starts a pixel inside its box.
        EXPECT_LE(text.right, close.left + 1) << "the caption runs under the close button";
        EXPECT_GE(text.left, CTabWindow::TabRect(i).left);
        std::vector<std::string> problems;
        dialog_fit::NeedDrawnWidth(problems, "page caption", CTabWindow::CaptionFont(), captions[i],
                                   text.right - text.left);
        Report(problems, "tab strip");
    }
    // The strip with those captions keeps nothing of what it showed before.
    tabs.Invalidate(false);
    PumpPendingMessages();
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(tabs, L"tab-strip-captions"));
    // For a person to look at: the captions, the board's layer selector
    // showing its longest name and the left pane's tabs.
    g_MainFrame.m_boardLayerCombo.SetCurSel(g_MainFrame.m_boardLayerCombo.GetCount() - 1);
    RunIdleHandlers();
    PumpPendingMessages();
    screen_picture::WritePicture(g_MainFrame, L"main-window-texts");
}

TEST_F(TextsFitTest, TheLeftPaneShowsItsTabCaptionsWhole) {
    CLeftPane& pane = g_MainFrame.m_leftPane;
    const RECT client = pane.GetClientRect();
    EXPECT_LE(pane.StripWidth(), client.right) << "the tabs run out of the pane";
    std::vector<std::string> problems;
    for (int tab = 0; tab < 3; ++tab) {
        const RECT text = pane.TabTextRect(tab);
        EXPECT_LE(text.right, client.right) << tab;
        dialog_fit::NeedDrawnWidth(problems, "left pane tab", CLeftPane::TabFont(),
                                   pane.GetTree(tab)->GetWindowText(), text.right - text.left);
    }
    Report(problems, "left pane");
}

// The unit pane shows the unit of a board, footprint or padstack page and is
// empty while a schematic or symbol page is shown, however the page came to
// the front: opened, activated, or shown when the page before it closed.
TEST_F(TextsFitTest, TheUnitPaneIsEmptyWhileASchematicPageIsShown) {
    CTabWindow& tabs = g_MainFrame.m_tabWindow;
    CTreeNode* footprint = Find(&Root(2), NodeType::Footprint);
    CTreeNode* package = Find(&Root(1), NodeType::Package);
    ASSERT_NE(footprint, nullptr);
    ASSERT_NE(package, nullptr);
    const std::wstring inch = L"Unit: inch";
    const std::wstring mm = L"Unit: mm";
    auto tabOf = [&](CTreeNode* node) { return tabs.FindTabByDocument(node); };
    const struct {
        const char* step;
        std::function<void()> run;
        std::wstring unit;
    } steps[] = {
        {"board opened", [&] { Open(board); }, inch},
        {"sheet opened over the board", [&] { Open(sheet); }, L""},
        {"board brought back", [&] { tabs.ActivateTab(tabOf(board)); }, inch},
        {"sheet brought back", [&] { tabs.ActivateTab(tabOf(sheet)); }, L""},
        {"footprint opened", [&] { Open(footprint); }, mm},
        {"sheet's page brought back by opening it", [&] { Open(sheet); }, L""},
        {"footprint shown as the sheet's page closes", [&] { tabs.CloseTab(tabOf(sheet), false); },
         mm},
        {"sheet opened anew", [&] { Open(sheet); }, L""},
        {"symbol opened", [&] { Open(package); }, L""},
        {"board brought back again", [&] { tabs.ActivateTab(tabOf(board)); }, inch},
        {"symbol brought back", [&] { tabs.ActivateTab(tabOf(package)); }, L""},
    };
    for (const auto& s : steps) {
        s.run();
        PumpPendingMessages();
        EXPECT_EQ(UnitPane(), s.unit) << s.step;
    }
}

} // namespace

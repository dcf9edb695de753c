// The schematic search as the Find dialog and F3 drive it: designators with
// and without whole word and case, unit suffixes, pin numbers and names,
// nets (shown on their own sheet, centred in that sheet's view), comments,
// part numbers and values, both directions, the sheet filter, Mark All, and
// hits that cannot be shown.
#include "tests/views/schematic_view_fixture.h"

#include "core/property_edit.h"
#include "core/property_grid.h"
#include "platform/combo_box_control.h"
#include "platform/edit_control.h"
#include "shell/find.h"

namespace {

const char* const kBoard =
    "  <Board>Find\r\n"
    "    <Sheet GridSize=\"2.54\" SheetSize=\"297,210\">Main</Sheet>\r\n"
    "    <Sheet GridSize=\"1.27\" SheetSize=\"420,297\">Power</Sheet>\r\n"
    "    <Package>\r\n"
    "      <Part Outline=\"4,2\" SheetName=\"Main\" XY=\"10,10\">RC0,0,40,20\r\n"
    "        <Pin Name=\"A\" Num=\"1\">L1</Pin>\r\n"
    "        <Pin Name=\"B\" Num=\"2\">R1</Pin>\r\n"
    "      </Part>\r\n"
    "      <Text Name=\"RefDes\" XY=\"0,-10\">R1</Text>\r\n"
    "      <Text Name=\"Value\" XY=\"0,25\">100n</Text>\r\n"
    "    </Package>\r\n"
    "    <Package>\r\n"
    "      <Part Outline=\"4,2\" SheetName=\"Main\" XY=\"20,10\">RC0,0,40,20</Part>\r\n"
    "      <Text Name=\"RefDes\" XY=\"0,-10\">R10</Text>\r\n"
    "    </Package>\r\n"
    "    <Package>\r\n"
    "      <Part Outline=\"4,2\" SheetName=\"Main\" XY=\"30,10\">RC0,0,40,20</Part>\r\n"
    "      <Text Name=\"RefDes\" XY=\"0,-10\">R11</Text>\r\n"
    "    </Package>\r\n"
    "    <Package PartPerPackage=\"2\">\r\n"
    "      <Part Outline=\"4,4\" SheetName=\"Main\" XY=\"10,30\">RC0,0,40,40\r\n"
    "        <Pin Name=\"IN\" Num=\"3\">L1</Pin>\r\n"
    "      </Part>\r\n"
    "      <Part Outline=\"4,4\" SheetName=\"Main\" XY=\"30,30\">\r\n"
    "        <Pin Name=\"CLK\" Num=\"7\" NumInvisible=\"1\">L1</Pin>\r\n"
    "      </Part>\r\n"
    "      <Text Name=\"RefDes\" XY=\"0,-10\">U3</Text>\r\n"
    "      <Text Name=\"PartNum\" Visible=\"0\">CLK-100</Text>\r\n"
    "    </Package>\r\n"
    "    <Package>\r\n"
    "      <Part Outline=\"4,2\">RC0,0,40,20</Part>\r\n"
    "      <Text Name=\"RefDes\">U4</Text>\r\n"
    "      <Text Name=\"Value\">lost</Text>\r\n"
    "    </Package>\r\n"
    "    <Net>CLKNET\r\n"
    "      <Wire SheetName=\"Power\">100,100,120,100</Wire>\r\n"
    "    </Net>\r\n"
    "    <Text SheetName=\"Main\" XY=\"100,100\">Clock note</Text>\r\n"
    "    <Text SheetName=\"Power\" XY=\"100,100\">Power note</Text>\r\n"
    "  </Board>\r\n";

class FindTest : public SchematicViewTest {
protected:
    void SetUp() override {
        SchematicViewTest::SetUp();
        ASSERT_NE(OpenText(Project(kBoard)), nullptr);
    }
    // The dialog's settings: the text, the kinds and the options.
    FindSettings& Settings(const std::wstring& text) {
        FindSettings& s = GetFindSettings();
        s = FindSettings{};
        s.text = text;
        s.scope = &Root();
        return s;
    }
    // What a hit is called in these tests.
    std::wstring Name(CTreeNode* node) {
        if (!node)
            return L"-";
        switch (node->GetType()) {
        case NodeType::Part: {
            std::wstring d =
                static_cast<CPart*>(node)->GetPackage()->FindText(L"RefDes")->GetText();
            static_cast<CPart*>(node)->AppendPartSuffix(d);
            return L"part " + d;
        }
        case NodeType::Pin:
            return L"pin " + static_cast<CPin*>(node)->m_name;
        default:
            return node->GetTagName() + std::wstring(L" ") + node->GetText();
        }
    }
    // The hits of a search started from the dialog and continued with F3
    // (Shift+F3 going up) until the end.
    std::vector<std::wstring> Hits(bool down = true) {
        std::vector<std::wstring> hits;
        if (!view->StartFind())
            return hits;
        hits.push_back(Name(GetFindSettings().lastHit));
        for (int i = 0; i < 20; ++i) {
            ui.Clear();
            if (down)
                Key(VK_F3);
            else
                Key(VK_F3, MK_SHIFT);
            if (!ui.messageBoxes.empty())
                break;
            hits.push_back(Name(GetFindSettings().lastHit));
        }
        return hits;
    }
    int Messages(const std::wstring& text) const {
        int n = 0;
        for (const auto& m : ui.messageBoxes)
            n += m.text == text && m.caption == L"Vorpel";
        return n;
    }
};

TEST_F(FindTest, DesignatorsAreFoundAsSubstringsOrWholeWordsInEitherCase) {
    Settings(L"r1").partRefDes = true;
    EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"part R1", L"part R10", L"part R11"}));
    EXPECT_EQ(Messages(L"Find reached the end of the document"), 1);
    FindSettings& whole = Settings(L"r1");
    whole.partRefDes = true;
    whole.wholeWord = true;
    EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"part R1"}));
    FindSettings& cased = Settings(L"r1");
    cased.partRefDes = true;
    cased.matchCase = true;
    ui.Clear();
    EXPECT_FALSE(view->StartFind());
    EXPECT_EQ(Messages(L"Object(s) not found"), 1);
}

TEST_F(FindTest, AUnitCarriesItsSuffix) {
    FindSettings& s = Settings(L"U3");
    s.partRefDes = true;
    s.wholeWord = true;
    ui.Clear();
    EXPECT_FALSE(view->StartFind()) << "U3.1 and U3.2 are not the word U3";
    Settings(L"U3").partRefDes = true;
    EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"part U3.1", L"part U3.2"}));
    FindSettings& unit = Settings(L"U3.2");
    unit.partRefDes = true;
    unit.wholeWord = true;
    EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"part U3.2"}));
}

TEST_F(FindTest, PinsByNumberUnlessItIsHiddenAndByName) {
    Settings(L"7").pinNumber = true;
    ui.Clear();
    EXPECT_FALSE(view->StartFind()) << "the number 7 is not shown";
    FindSettings& s = Settings(L"clk");
    s.pinName = true;
    ASSERT_TRUE(view->StartFind());
    CTreeNode* clk = GetFindSettings().lastHit;
    EXPECT_EQ(Name(clk), L"pin CLK");
    EXPECT_TRUE(clk->IsSelected());
    EXPECT_EQ(g_MainFrame.GetPropertyGrid().GetShownObject(), clk);
    Settings(L"clk").pinName = true;
    EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"pin CLK"}));
    Settings(L"3").pinNumber = true;
    EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"pin IN"}));
}

TEST_F(FindTest, ANetIsShownOnItsOwnSheetCentredInThatSheetsView) {
    // The searching view scrolled and zoomed its own way.
    view->SetZoom(8, 1);
    view->SetScrollOffset(POINT{-3000, 500});
    CSchematicView* main = view;
    Settings(L"clknet").net = true;
    ASSERT_TRUE(main->StartFind());
    CNet* net = Net(L"CLKNET");
    EXPECT_TRUE(net->GetWires().front()->IsSelected()) << "a net's hit selects its wires";
    auto* shown = dynamic_cast<CSchematicView*>(g_MainFrame.GetActiveView());
    ASSERT_NE(shown, nullptr);
    EXPECT_NE(shown, main) << "a view of the other sheet was opened";
    EXPECT_EQ(shown->GetSheet()->GetName(), L"Power");
    EXPECT_EQ(g_MainFrame.GetPropertyGrid().GetShownObject(), net);
    // The wire's middle lies in the middle of that view's window.
    std::unique_ptr<DeviceContext> dc = shown->MakeDC();
    const int g = shown->GetGrid();
    EXPECT_EQ(g, 127);
    const RECT bounds = net->GetWires().front()->GetBoundsOnSheet(dc.get());
    const POINT middle = shown->LogicalToClient(
        dc.get(), POINT{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2});
    const RECT client = shown->GetClientRect();
    EXPECT_LE(std::abs(middle.x - client.right / 2), 1);
    EXPECT_LE(std::abs(middle.y - client.bottom / 2), 1);
    EXPECT_EQ(main->GetScrollOffset().x, -3000) << "the searching view stays where it was";
    // Found again from there: the same view comes to the front.
    const int tabs = g_MainFrame.m_tabWindow.GetTabCount();
    OpenSheet(L"Main");
    Settings(L"clknet").net = true;
    ASSERT_TRUE(view->StartFind());
    EXPECT_EQ(g_MainFrame.GetActiveView(), shown);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), tabs);
}

TEST_F(FindTest, AValueBeingTypedStaysWithTheViewItWasTypedIn) {
    CSchematicView* main = view;
    MoveTo({20, 20});
    Command(ID_SCH_PLACE_TEXT);
    ASSERT_NE(main->GetFloatingText(), nullptr);
    CPropertyGrid& grid = g_MainFrame.GetPropertyGrid();
    ASSERT_TRUE(grid.IsEditing());
    auto* row = dynamic_cast<CPropertyEdit*>(grid.GetItem(0));
    ASSERT_NE(row, nullptr);
    ASSERT_NE(row->GetEditor(), nullptr);
    row->GetEditor()->SetWindowText(L"Hello");
    Settings(L"clknet").net = true;
    ASSERT_TRUE(main->StartFind());
    auto* shown = dynamic_cast<CSchematicView*>(g_MainFrame.GetActiveView());
    ASSERT_NE(shown, nullptr);
    ASSERT_NE(shown, main);
    EXPECT_FALSE(shown->GetUndoList().CanUndo()) << "nothing was edited on the Power sheet";
    EXPECT_TRUE(main->GetUndoList().CanUndo());
}

TEST_F(FindTest, CommentsPartNumbersAndValues) {
    Settings(L"note").comment = true;
    EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"Text Clock note", L"Text Power note"}));
    Settings(L"clk").partNumber = true;
    EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"Text CLK-100"}));
    Settings(L"100").partValue = true;
    EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"Text 100n"}));
    // A designator text is never a hit by itself.
    FindSettings& s = Settings(L"R11");
    s.partNumber = s.partValue = s.comment = true;
    ui.Clear();
    EXPECT_FALSE(view->StartFind());
}

TEST_F(FindTest, UpwardsTheHitsComeInTheOtherOrder) {
    FindSettings& s = Settings(L"r1");
    s.partRefDes = true;
    ASSERT_TRUE(view->StartFind());
    Key(VK_F3);
    Key(VK_F3);
    EXPECT_EQ(Name(GetFindSettings().lastHit), L"part R11");
    ui.Clear();
    Key(VK_F3, MK_SHIFT);
    EXPECT_EQ(Name(GetFindSettings().lastHit), L"part R10");
    Key(VK_F3, MK_SHIFT);
    EXPECT_EQ(Name(GetFindSettings().lastHit), L"part R1");
    EXPECT_TRUE(ui.messageBoxes.empty());
    // Only the last hit stays selected.
    EXPECT_FALSE(PackageByRefDes(L"R11")->GetPart(0)->IsSelected());
    EXPECT_TRUE(PackageByRefDes(L"R1")->GetPart(0)->IsSelected());
}

TEST_F(FindTest, TheSheetFilterKeepsToOneSheetButNotForNets) {
    FindSettings& s = Settings(L"n");
    s.comment = s.net = true;
    s.sheetFilter = FindSheetByName(board, L"Main");
    EXPECT_EQ(Hits(), (std::vector<std::wstring>{L"Net CLKNET", L"Text Clock note"}));
}

TEST_F(FindTest, MarkAllSelectsEveryMatch) {
    FindSettings& s = Settings(L"r1");
    s.partRefDes = true;
    s.markAll = true;
    EXPECT_TRUE(view->StartFind());
    for (const wchar_t* r : {L"R1", L"R10", L"R11"})
        EXPECT_TRUE(PackageByRefDes(r)->GetPart(0)->IsSelected()) << WideToUtf8(r);
    EXPECT_FALSE(PackageByRefDes(L"U3")->GetPart(0)->IsSelected());
    ExpectSame(original, Save(), "marking changes nothing saved");
}

TEST_F(FindTest, AHitThatLiesOnNoSheetIsReportedAndPassed) {
    // U4's value: its package has no part on a sheet. A net without wires
    // has nothing to show either.
    CNet* empty = board->FindOrAddNet(L"NOTHING");
    (void)empty;
    FindSettings& s = Settings(L"o");
    s.partValue = s.net = true;
    const int tabs = g_MainFrame.m_tabWindow.GetTabCount();
    ui.Clear();
    ASSERT_TRUE(view->StartFind());
    EXPECT_EQ(Name(GetFindSettings().lastHit), L"Text lost");
    EXPECT_EQ(Messages(L"Find reached the end of the document"), 1);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), tabs) << "no view opened on no sheet";
    ui.Clear();
    Key(VK_F3);
    EXPECT_EQ(Name(GetFindSettings().lastHit), L"Net NOTHING");
    EXPECT_EQ(Messages(L"Find reached the end of the document"), 1);
    ui.Clear();
    Key(VK_F3);
    EXPECT_EQ(Messages(L"Find reached the end of the document"), 1);
    EXPECT_EQ(g_MainFrame.m_tabWindow.GetTabCount(), tabs);
}

TEST_F(FindTest, F3WithoutASearchOpensTheDialog) {
    int opened = 0;
    SetFindDialogOpener([&](CSchematicView* v) {
        EXPECT_EQ(v, view);
        ++opened;
    });
    Key(VK_F3);
    EXPECT_EQ(opened, 1);
    Command(ID_EDIT_FIND);
    EXPECT_EQ(opened, 2);
    SetFindDialogOpener(nullptr);
}

// The program's Find dialog opens for the view and runs its search: Find
// Next shows the first hit, Mark All selects every match.
TEST_F(FindTest, TheFindDialogSearchesTheViewItWasOpenedFor) {
    auto search = [&](const std::wstring& text, int button) {
        Command(ID_EDIT_FIND);
        PumpPendingMessages();
        ASSERT_TRUE(g_Find.IsOpen());
        EXPECT_EQ(g_Find.m_view, view);
        auto* what = g_Find.GetDlgItemAs<ComboBoxControl>(CFind::kFindWhat);
        ASSERT_NE(what, nullptr);
        EditControl* edit = what->GetEditControl();
        ASSERT_NE(edit, nullptr);
        g_Find.GotoDlgCtrl(edit);
        edit->SetSel(0, -1);
        SimulateTyping(edit, text);
        PlatformWindow* press = g_Find.GetDlgItem(button);
        ASSERT_NE(press, nullptr);
        SimulateMouse(press, WM_LBUTTONDOWN, POINT{3, 3}, MK_LBUTTON);
        SimulateMouse(press, WM_LBUTTONUP, POINT{3, 3});
        PumpPendingMessages();
    };
    search(L"R11", IDOK);
    EXPECT_EQ(Name(GetFindSettings().lastHit), L"part R11");
    EXPECT_TRUE(GetFindSettings().lastHit->IsSelected());
    EXPECT_EQ(GetFindSettings().text, L"R11");
    search(L"R1", CFind::kMarkAll);
    int marked = 0;
    for (CTreeNode* node : board->GetChildren())
        for (CTreeNode* part : node->GetChildren())
            if (part->GetType() == NodeType::Part && part->IsSelected())
                ++marked;
    EXPECT_EQ(marked, 3) << "R1, R10 and R11";
    g_Find.Dismiss();
}

// The dialog takes the keyboard when it opens, so typing, Enter and Esc work
// in it as in a modal one; when it closes the view has the keys again.
TEST_F(FindTest, TheOpenFindDialogHasTheKeys) {
    PlatformWindow* tabs = &g_MainFrame.m_tabWindow;
    EXPECT_EQ(KeyboardFocusWindow(), tabs);
    Command(ID_EDIT_FIND);
    ASSERT_TRUE(g_Find.IsOpen());
    PlatformWindow* focus = KeyboardFocusWindow();
    EXPECT_TRUE(focus && focus->GetTopLevel() == &g_Find);
    TypeAtFocus(L"R11");
    Key(VK_RETURN); // Find Next
    EXPECT_FALSE(g_Find.IsOpen());
    ASSERT_NE(GetFindSettings().lastHit, nullptr);
    EXPECT_EQ(Name(GetFindSettings().lastHit), L"part R11");
    EXPECT_EQ(KeyboardFocusWindow(), tabs);
    Command(ID_EDIT_FIND);
    ASSERT_TRUE(g_Find.IsOpen());
    Key(VK_ESCAPE); // Cancel
    EXPECT_FALSE(g_Find.IsOpen());
    EXPECT_EQ(KeyboardFocusWindow(), tabs);
    g_Find.Dismiss();
}

// The dialog goes with its view: closing the view's tab closes it, while a
// dialog shown for another view stays.
TEST_F(FindTest, TheFindDialogGoesWithItsView) {
    Command(ID_EDIT_FIND);
    PumpPendingMessages();
    ASSERT_TRUE(g_Find.IsOpen());
    CTabWindow& tabs = g_MainFrame.m_tabWindow;
    tabs.CloseTab(tabs.FindTab(view), false);
    PumpPendingMessages();
    EXPECT_FALSE(g_Find.IsWindow());
    EXPECT_EQ(g_Find.m_view, nullptr);
    CSchematicView* other = OpenSheet(L"Power");
    ASSERT_NE(other, nullptr);
    ASSERT_NE(OpenSheet(L"Main"), nullptr);
    ASSERT_TRUE(g_Find.Open(view));
    tabs.CloseTab(tabs.FindTab(other), false);
    PumpPendingMessages();
    EXPECT_TRUE(g_Find.IsOpen());
    EXPECT_EQ(g_Find.m_view, view);
    g_Find.Dismiss();
}

} // namespace

// The Find dialog as a user drives it: its first-use choices, the stored
// ones read back and written after a search, the three-state "Any Symbol
// Text" box coupled with the three part boxes, the history of search texts,
// the two refusals, and what the search is handed.
#include "core/node_type.h"
#include "platform/check_box_control.h"
#include "platform/combo_box_control.h"
#include "shell/find.h"
#include "tests/dialog_fit.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/screen_picture.h"
#include "tests/shell/frame_fixture.h"

namespace {

using dialog_driver::ClickButton;

struct Search {
    CVorpelView* view = nullptr;
    CTreeNode* sheet = nullptr;
    CTreeNode* root = nullptr;
    CTreeNode* start = nullptr;
    int markAll = -1;
    std::wstring text;
};
std::vector<Search> g_searches;

class FindDialogTest : public FrameTest {
protected:
    void SetUp() override {
        FrameTest::SetUp();
        StartFrame();
        const std::wstring example =
            PathJoin(PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples"), L"demo.circuit");
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile(example, bytes));
        ASSERT_TRUE(g_MainFrame.Open(WriteFile(L"demo.circuit", bytes), 0));
        project = &g_MainFrame.GetRoot(0);
        board = project->GetChild(0);
        ASSERT_EQ(board->GetType(), NodeType::Board);
        for (CTreeNode* child : board->GetChildren())
            if (child->GetType() == NodeType::Sheet && !sheet)
                sheet = child;
        view = OpenView(sheet, kViewSchematic, kDocumentProject);
        g_searches.clear();
        SetFindStarter([](CVorpelView* v, CFind& f) {
            g_searches.push_back(
                {v, f.m_searchSheet, f.m_searchRoot, f.m_startNode, f.m_markAll, f.m_text});
        });
    }
    void TearDown() override {
        SetFindStarter(nullptr);
        g_Find.Dismiss();
        g_Find.m_history.clear();
        FrameTest::TearDown();
    }
    void Open() {
        ASSERT_TRUE(g_Find.Open(view));
        PumpPendingMessages();
        ASSERT_TRUE(g_Find.IsOpen());
    }
    UINT Check(int id) { return g_Find.IsDlgButtonChecked(id); }
    std::vector<UINT> PartBoxes() {
        return {Check(CFind::kPartText), Check(CFind::kRefDes), Check(CFind::kPartNum),
                Check(CFind::kPartValue)};
    }
    void Type(const std::wstring& text) {
        auto* what = g_Find.GetDlgItemAs<ComboBoxControl>(CFind::kFindWhat);
        ASSERT_NE(what, nullptr);
        EditControl* edit = what->GetEditControl();
        ASSERT_NE(edit, nullptr);
        g_Find.GotoDlgCtrl(edit);
        if (text.empty())
            SimulateKey(edit, true, VK_DELETE);
        else
            SimulateTyping(edit, text);
    }
    static uint32_t Stored(const wchar_t* name) {
        SettingsKey key;
        uint32_t value = 0xDEAD;
        if (key.Open(CFind::kKeyPath))
            key.QueryNumber(name, &value);
        return value;
    }

    CTreeNode* project = nullptr;
    CTreeNode* board = nullptr;
    CTreeNode* sheet = nullptr;
    CRecordingView* view = nullptr;
};

TEST_F(FindDialogTest, FirstUseLooksOnThePageDownwardsForEverything) {
    Open();
    auto* lookIn = g_Find.GetDlgItemAs<ComboBoxControl>(CFind::kLookIn);
    ASSERT_EQ(lookIn->GetCount(), 3);
    EXPECT_EQ(lookIn->GetCurSel(), 0);
    EXPECT_EQ(lookIn->GetLBText(0), L"Current page");
    EXPECT_EQ(lookIn->GetLBText(1), L"Current board");
    EXPECT_EQ(lookIn->GetLBText(2), L"Entire project");
    EXPECT_EQ(LParamToPtr<CTreeNode>(lookIn->GetItemData(0)), sheet);
    EXPECT_EQ(LParamToPtr<CTreeNode>(lookIn->GetItemData(1)), board);
    EXPECT_EQ(LParamToPtr<CTreeNode>(lookIn->GetItemData(2)), project);
    EXPECT_EQ(Check(CFind::kDown), BST_CHECKED);
    EXPECT_EQ(Check(CFind::kUp), BST_UNCHECKED);
    EXPECT_EQ(Check(CFind::kMatchCase), BST_UNCHECKED);
    EXPECT_EQ(Check(CFind::kMatchWholeWord), BST_UNCHECKED);
    for (int id : {CFind::kNet, CFind::kPinNumber, CFind::kPinName, CFind::kComment,
                   CFind::kPartText, CFind::kRefDes, CFind::kPartNum, CFind::kPartValue})
        EXPECT_EQ(Check(id), BST_CHECKED) << id;
    // Cancel stores nothing.
    ClickButton(g_Find, IDCANCEL);
    EXPECT_FALSE(g_Find.IsOpen());
    EXPECT_FALSE(g_Find.IsWindow());
    EXPECT_FALSE(SettingsStore::KeyExists(CFind::kKeyPath) && Stored(L"Dir") != 0xDEAD);
}

// The dialog on the screen over the schematic page, then closed: both the
// dialog and the view it uncovers show what a full repaint shows.
TEST_F(FindDialogTest, OnTheScreenAndClosedOverThePageAsRepainted) {
    ASSERT_NE(screen_picture::Grab(g_MainFrame), nullptr);
    Open();
    screen_picture::CheckAndWrite(g_Find, L"find");
    dialog_fit::ExpectTextsFit(g_Find, "Find");
    ClickButton(g_Find, IDCANCEL);
    ASSERT_FALSE(g_Find.IsOpen());
    PumpPendingMessages();
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(g_MainFrame, L"main-window-after-find"));
}

TEST_F(FindDialogTest, StoredChoicesAreShownAndTheSearchStoresAllTwelve) {
    {
        SettingsKey key;
        ASSERT_TRUE(key.Create(CFind::kKeyPath));
        key.SetNumber(L"LookIn", 2);
        key.SetNumber(L"Dir", 0);
        key.SetNumber(L"MatchCase", 1);
        key.SetNumber(L"FindNet", 0);
        key.SetNumber(L"FindComment", 7); // no state a box has
        key.SetNumber(L"FindPartText", 2);
        key.SetNumber(L"FindPartNum", 0);
        key.SetString(L"FindPinName", L"1"); // the wrong type keeps the default
    }
    Open();
    EXPECT_EQ(g_Find.GetDlgItemAs<ComboBoxControl>(CFind::kLookIn)->GetCurSel(), 2);
    EXPECT_EQ(Check(CFind::kUp), BST_CHECKED);
    EXPECT_EQ(Check(CFind::kMatchCase), BST_CHECKED);
    EXPECT_EQ(Check(CFind::kNet), BST_UNCHECKED);
    EXPECT_EQ(Check(CFind::kComment), BST_UNCHECKED);
    EXPECT_EQ(Check(CFind::kPinName), BST_CHECKED);
    EXPECT_EQ(PartBoxes(),
              (std::vector<UINT>{BST_INDETERMINATE, BST_CHECKED, BST_UNCHECKED, BST_CHECKED}));
    Type(L"R1");
    ClickButton(g_Find, CFind::kMarkAll);
    EXPECT_FALSE(g_Find.IsOpen());
    const std::pair<const wchar_t*, uint32_t> expected[] = {
        {L"LookIn", 2},       {L"Dir", 0},           {L"MatchCase", 1},   {L"MatchWholeWord", 0},
        {L"FindNet", 0},      {L"FindPinNumber", 1}, {L"FindPinName", 1}, {L"FindComment", 0},
        {L"FindPartText", 2}, {L"FindRefDes", 1},    {L"FindPartNum", 0}, {L"FindPartValue", 1},
    };
    for (const auto& [name, value] : expected)
        EXPECT_EQ(Stored(name), value) << WideToUtf8(name);
    // The whole project, upwards: the search starts from its last child.
    ASSERT_EQ(g_searches.size(), 1u);
    EXPECT_EQ(g_searches[0].view, view);
    EXPECT_EQ(g_searches[0].sheet, nullptr);
    EXPECT_EQ(g_searches[0].root, project);
    EXPECT_EQ(g_searches[0].start, project->GetChildren().back());
    EXPECT_EQ(g_searches[0].markAll, 1);
    EXPECT_EQ(g_searches[0].text, L"R1");
}

TEST_F(FindDialogTest, AnySymbolTextStandsForTheThreePartTexts) {
    Open();
    ClickButton(g_Find, CFind::kPartNum);
    EXPECT_EQ(PartBoxes(),
              (std::vector<UINT>{BST_INDETERMINATE, BST_CHECKED, BST_UNCHECKED, BST_CHECKED}));
    ClickButton(g_Find, CFind::kPartNum);
    EXPECT_EQ(PartBoxes(), (std::vector<UINT>{BST_CHECKED, BST_CHECKED, BST_CHECKED, BST_CHECKED}));
    // From indeterminate a click clears all four.
    ClickButton(g_Find, CFind::kRefDes);
    EXPECT_EQ(Check(CFind::kPartText), BST_INDETERMINATE);
    ClickButton(g_Find, CFind::kPartText);
    EXPECT_EQ(PartBoxes(),
              (std::vector<UINT>{BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED, BST_UNCHECKED}));
    ClickButton(g_Find, CFind::kPartText);
    EXPECT_EQ(PartBoxes(), (std::vector<UINT>{BST_CHECKED, BST_CHECKED, BST_CHECKED, BST_CHECKED}));
    // The three cleared one by one: Any Symbol Text follows.
    for (int id : {CFind::kRefDes, CFind::kPartNum, CFind::kPartValue})
        ClickButton(g_Find, id);
    EXPECT_EQ(Check(CFind::kPartText), BST_UNCHECKED);
    // Set All and Clear All touch the eight kinds only.
    Type(L"kept");
    ClickButton(g_Find, CFind::kSetAll);
    for (int id : {CFind::kNet, CFind::kComment, CFind::kPartText, CFind::kPartValue})
        EXPECT_EQ(Check(id), BST_CHECKED) << id;
    ClickButton(g_Find, CFind::kClearAll);
    for (int id : {CFind::kNet, CFind::kPinName, CFind::kPartText, CFind::kRefDes})
        EXPECT_EQ(Check(id), BST_UNCHECKED) << id;
    EXPECT_EQ(Check(CFind::kDown), BST_CHECKED);
    EXPECT_EQ(g_Find.GetDlgItemText(CFind::kFindWhat), L"kept");
}

TEST_F(FindDialogTest, NothingToLookForOrNoTextKeepsTheDialogOpen) {
    Open();
    Type(L"R1");
    ClickButton(g_Find, CFind::kClearAll);
    ClickButton(g_Find, IDOK);
    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].text, L"No search objects selected");
    EXPECT_EQ(ui.messageBoxes[0].caption, L"Vorpel");
    EXPECT_TRUE(g_Find.IsOpen());
    ClickButton(g_Find, CFind::kSetAll);
    Type(L"");
    ClickButton(g_Find, IDOK);
    ASSERT_EQ(ui.messageBoxes.size(), 2u);
    EXPECT_EQ(ui.messageBoxes[1].text, L"Search line is empty");
    EXPECT_TRUE(g_Find.IsOpen());
    EXPECT_TRUE(g_searches.empty());
    EXPECT_FALSE(SettingsStore::KeyExists(CFind::kKeyPath) && Stored(L"LookIn") != 0xDEAD);
}

TEST_F(FindDialogTest, TheHistoryKeepsEachTextOnceMostRecentFirst) {
    for (const wchar_t* text : {L"R1", L"GND", L"R1"}) {
        Open();
        Type(text);
        // Enter in the text field is Find Next.
        dialog_driver::PressKey(
            g_Find.GetDlgItemAs<ComboBoxControl>(CFind::kFindWhat)->GetEditControl(), VK_RETURN);
        EXPECT_FALSE(g_Find.IsOpen()) << WideToUtf8(text);
    }
    EXPECT_EQ(g_Find.m_history, (std::vector<std::wstring>{L"R1", L"GND"}));
    Open();
    auto* what = g_Find.GetDlgItemAs<ComboBoxControl>(CFind::kFindWhat);
    ASSERT_EQ(what->GetCount(), 2);
    EXPECT_EQ(what->GetLBText(0), L"R1");
    EXPECT_EQ(what->GetLBText(1), L"GND");
    EXPECT_EQ(g_Find.GetDlgItemText(CFind::kFindWhat), L"R1");
    // The page, downwards: the sheet's board from its first child.
    ASSERT_EQ(g_searches.size(), 3u);
    EXPECT_EQ(g_searches[0].sheet, sheet);
    EXPECT_EQ(g_searches[0].root, board);
    EXPECT_EQ(g_searches[0].start, board->GetChild(0));
    EXPECT_EQ(g_searches[0].markAll, 0);
    // Esc is Cancel.
    dialog_driver::PressKey(what->GetEditControl(), VK_ESCAPE);
    EXPECT_FALSE(g_Find.IsOpen());
}

TEST_F(FindDialogTest, WithoutItsViewTheDialogOnlyStoresTheChoices) {
    Open();
    g_MainFrame.m_tabWindow.CloseAll();
    Type(L"R1");
    ClickButton(g_Find, IDOK);
    EXPECT_TRUE(g_searches.empty());
    EXPECT_FALSE(g_Find.IsOpen());
    EXPECT_EQ(Stored(L"Dir"), 1u);
}

// The document of the dialog's scopes replaced (New, Open) while the
// dialog stays: Find Next and Mark All touch none of its nodes, whichever
// scope is chosen.
TEST_F(FindDialogTest, ADocumentReplacedUnderTheDialogIsNeverSearched) {
    const std::wstring copy = PathJoin(scratch, L"demo.circuit");
    const std::wstring other = WriteFile(L"other.circuit", ReadFile(copy));
    for (int lookIn = 0; lookIn < 3; ++lookIn) {
        for (bool viaNew : {true, false}) {
            SCOPED_TRACE(lookIn);
            Open();
            g_Find.GetDlgItemAs<ComboBoxControl>(CFind::kLookIn)->SetCurSel(lookIn);
            if (viaNew)
                Command(ID_NEW_PROJECT);
            else
                ASSERT_TRUE(g_MainFrame.Open(other, 0));
            ASSERT_TRUE(g_Find.IsOpen());
            Type(L"R1");
            ClickButton(g_Find, viaNew ? IDOK : int{CFind::kMarkAll});
            EXPECT_TRUE(g_searches.empty());
            EXPECT_EQ(g_Find.m_searchRoot, nullptr);
            g_Find.Dismiss();
            // The example again, with a view of its page for the next round.
            Command(ID_NEW_PROJECT);
            ASSERT_TRUE(g_MainFrame.Open(copy, 0));
            sheet = nullptr;
            for (CTreeNode* child : project->GetChild(0)->GetChildren())
                if (child->GetType() == NodeType::Sheet && !sheet)
                    sheet = child;
            view = OpenView(sheet, kViewSchematic, kDocumentProject);
        }
    }
}

} // namespace

// The padstack sheet driven through the modal hook and simulated input: the
// pad-layer table with its cell editors, the drill fields in any unit, the
// Load page with a library file, the closing buttons, and its picture.
#include "dialogs/padstack_sheet.h"

#include "board/drill.h"
#include "board/footprint.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/node_type.h"
#include "dialogs/padstack_list_ctrl.h"
#include "platform/file.h"
#include "platform/file_dialog.h"
#include "platform/settings_store.h"
#include "platform/tab_control.h"
#include "platform/tree_view_control.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/ui_hooks_recorder.h"

#include <cstdlib>
#include <functional>

namespace {

using namespace dialog_driver;
using Row = std::vector<std::wstring>;
using List = CPadstackListCtrl;
using Create = CCreatePadstack;

// Shown on its page (the sheet itself is never on a screen here).
bool Shown(PlatformWindow* w) {
    return w && (w->GetStyle() & WS_VISIBLE) != 0;
}

Row Cells(List* list, int row) {
    return RowTexts(list, row, List::kColumnLayer, List::kColumnHeight);
}

std::wstring Example() {
    return PathJoin(PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples"), L"demo.footprint");
}

// The tree item with the text, depth first.
HTREEITEM FindItem(TreeViewControl* tree, HTREEITEM item, const std::wstring& text) {
    for (HTREEITEM i = tree->GetChildItem(item); i; i = tree->GetNextSiblingItem(i)) {
        if (tree->GetItemText(i) == text)
            return i;
        if (HTREEITEM found = FindItem(tree, i, text))
            return found;
    }
    return nullptr;
}

void ClickItem(TreeViewControl* tree, const std::wstring& text) {
    HTREEITEM item = FindItem(tree, TVI_ROOT, text);
    ASSERT_NE(item, nullptr) << WideToUtf8(text);
    // The user opens the folders on the way.
    for (HTREEITEM parent = tree->GetParentItem(item); parent; parent = tree->GetParentItem(parent))
        tree->Expand(parent, TVE_EXPAND);
    tree->EnsureVisible(item);
    RECT r{};
    ASSERT_TRUE(tree->GetItemRect(item, &r, true));
    Click(tree, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

class PadstackSheetTest : public ::testing::Test {
protected:
    void SetUp() override { SettingsStore::Reset(); }
    void TearDown() override {
        SetFileDialogHook(nullptr);
        SettingsStore::Reset();
    }
    // Runs the sheet on a page, with drive acting as the user; answers the
    // closing result.
    int Run(int page, const std::function<void(CPadstackSheet&)>& drive, int unit = kUnitMm,
            const std::wstring& path = Example()) {
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            ASSERT_EQ(&d, &sheet);
            drive(sheet);
        });
        return sheet.Run(nullptr, page, path, L"/tmp/", unit);
    }
    CPadstack* Padstack() { return sheet.GetPadstack(); }

    CPadstackSheet sheet{L"Select padstack"};
    ScopedUiHooksRecorder ui;
};

// --- Create page -----------------------------------------------------------------

TEST_F(PadstackSheetTest, NewSheetShowsEightUndefinedRowsAndNoHole) {
    const int result = Run(CPadstackSheet::kCreatePage, [&](CPadstackSheet& s) {
        Create* page = s.GetCreatePage();
        List* list = page->GetList();
        ASSERT_EQ(list->GetItemCount(), 8);
        const wchar_t* names[] = {L"Top",
                                  L"Bottom",
                                  L"Inner",
                                  L"Plane",
                                  L"Solder mask top",
                                  L"Solder mask bottom",
                                  L"Solder paste top",
                                  L"Solder paste bottom"};
        for (int row = 0; row < 8; ++row)
            EXPECT_EQ(Cells(list, row), (Row{names[row], L"Undefined", L"", L""}));
        EXPECT_EQ(page->GetDlgItemText(Create::kDrillType), L"No hole");
        EXPECT_EQ(page->GetDlgItemText(Create::kUnit), L"mm");
        EXPECT_FALSE(Shown(page->GetDlgItem(Create::kDiameter)));
        ClickButton(s, IDOK);
    });
    EXPECT_EQ(result, CPadstackSheet::kResultOk);
    ASSERT_NE(Padstack(), nullptr);
    EXPECT_TRUE(Padstack()->GetChildren().empty());
}

TEST_F(PadstackSheetTest, CellsMakeChangeAndRemovePadLayers) {
    Run(CPadstackSheet::kCreatePage, [&](CPadstackSheet& s) {
        List* list = s.GetCreatePage()->GetList();
        // A size typed into a missing row makes a round pad.
        EditCell(list, 0, List::kColumnWidth, L"1.6");
        EXPECT_EQ(Cells(list, 0), (Row{L"Top", L"Round", L"1.600", L"1.600"}));
        // Another shape keeps both sizes; then only the height changes.
        ClickCell(list, 0, List::kColumnShape);
        ChooseInCombo(list->GetCellCombo(), kPadShapeOblong);
        PumpPendingMessages();
        EXPECT_EQ(Cells(list, 0), (Row{L"Top", L"Oblong", L"1.600", L"1.600"}));
        EditCell(list, 0, List::kColumnHeight, L"2.0");
        EXPECT_EQ(Cells(list, 0), (Row{L"Top", L"Oblong", L"1.600", L"2.000"}));
        // A shape chosen for a missing row makes it at size 0.
        ClickCell(list, 4, List::kColumnShape);
        ChooseInCombo(list->GetCellCombo(), kPadShapeRect);
        PumpPendingMessages();
        EXPECT_EQ(Cells(list, 4), (Row{L"Solder mask top", L"Rectangular", L"0.000", L"0.000"}));
        // "Undefined" takes a row's pad layer away.
        ClickCell(list, 4, List::kColumnShape);
        ChooseInCombo(list->GetCellCombo(), kPadShapeNone);
        PumpPendingMessages();
        EXPECT_EQ(Cells(list, 4), (Row{L"Solder mask top", L"Undefined", L"", L""}));
        // A round row stays round whichever size is typed.
        EditCell(list, 1, List::kColumnHeight, L"1.2");
        EXPECT_EQ(Cells(list, 1), (Row{L"Bottom", L"Round", L"1.200", L"1.200"}));
        ClickButton(s, IDOK);
    });
    ASSERT_NE(Padstack(), nullptr);
    const CPadLayer* top = Padstack()->FindPadLayer(kPadLayerTop);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->m_shape, kPadShapeOblong);
    EXPECT_FLOAT_EQ(top->m_width, 1.6f);
    EXPECT_FLOAT_EQ(top->m_height, 2.0f);
    EXPECT_EQ(Padstack()->FindPadLayer(26), nullptr);
    ASSERT_NE(Padstack()->FindPadLayer(kPadLayerBottom), nullptr);
    EXPECT_TRUE(ui.beeps.empty());
}

// A cell whose text is no size is refused with a beep: the pad keeps its
// size, and a missing row is not made.
TEST_F(PadstackSheetTest, TextThatIsNoNumberLeavesTheCellAsItWas) {
    Run(CPadstackSheet::kCreatePage, [&](CPadstackSheet& s) {
        List* list = s.GetCreatePage()->GetList();
        EditCell(list, 0, List::kColumnWidth, L"1.6");
        for (const wchar_t* bad : {L"abc", L"1.5mm", L"1,5", L"-2"}) {
            ui.beeps.clear();
            EditCell(list, 0, List::kColumnWidth, bad);
            EXPECT_EQ(Cells(list, 0), (Row{L"Top", L"Round", L"1.600", L"1.600"}))
                << WideToUtf8(bad);
            EXPECT_EQ(ui.beeps.size(), 1u) << WideToUtf8(bad);
        }
        EditCell(list, 2, List::kColumnWidth, L"x");
        EXPECT_EQ(Cells(list, 2), (Row{L"Inner", L"Undefined", L"", L""}));
        // An empty cell changes nothing, quietly.
        ui.beeps.clear();
        EditCell(list, 0, List::kColumnWidth, L"");
        EXPECT_EQ(Cells(list, 0), (Row{L"Top", L"Round", L"1.600", L"1.600"}));
        EXPECT_TRUE(ui.beeps.empty());
        ClickButton(s, IDOK);
    });
    EXPECT_EQ(Padstack()->FindPadLayer(kPadLayerInner), nullptr);
}

TEST_F(PadstackSheetTest, CustomRowsAreNotEditedInPlace) {
    auto custom = std::make_unique<CPadstack>(L"C");
    auto* layer = new CPadLayer(kPadLayerTop);
    layer->m_shape = kPadShapeCustom;
    custom->AddChild(layer);
    sheet.SetObject(std::move(custom));
    Run(CPadstackSheet::kCreatePage, [&](CPadstackSheet& s) {
        List* list = s.GetCreatePage()->GetList();
        EXPECT_EQ(Cells(list, 0), (Row{L"Top", L"Custom", L"0.000", L"0.000"}));
        for (int column : {List::kColumnShape, List::kColumnWidth, List::kColumnHeight}) {
            ClickCell(list, 0, column);
            EXPECT_EQ(list->GetCellEditor(), nullptr) << column;
        }
        ClickCell(list, 1, List::kColumnShape);
        EXPECT_NE(list->GetCellCombo(), nullptr);
        ClickButton(s, IDCANCEL);
        EXPECT_EQ(list->GetCellCombo(), nullptr);
        EXPECT_FALSE(s.IsEnded());
        ClickButton(s, IDCANCEL);
    });
}

// OK or Cancel with a cell open only closes the cell (OK applying it).
TEST_F(PadstackSheetTest, ClosingButtonsFirstCloseAnOpenCell) {
    const int result = Run(CPadstackSheet::kCreatePage, [&](CPadstackSheet& s) {
        List* list = s.GetCreatePage()->GetList();
        ClickCell(list, 3, List::kColumnWidth);
        TypeIntoCell(list, L"2.5");
        ClickButton(s, IDOK);
        EXPECT_TRUE(s.IsWindow());
        EXPECT_FALSE(s.IsEnded());
        EXPECT_EQ(Cells(list, 3), (Row{L"Plane", L"Round", L"2.500", L"2.500"}));
        ClickCell(list, 0, List::kColumnWidth);
        TypeIntoCell(list, L"9");
        ClickButton(s, IDCANCEL);
        EXPECT_FALSE(s.IsEnded());
        EXPECT_EQ(Cells(list, 0), (Row{L"Top", L"Undefined", L"", L""}));
        ClickButton(s, IDOK);
    });
    EXPECT_EQ(result, CPadstackSheet::kResultOk);
    EXPECT_EQ(sheet.GetCloseResult(), CPadstackSheet::kResultOk);
}

// Enter in a cell's drop-down list only chooses the shape, and Enter again
// only finishes the cell: the sheet stays open.
TEST_F(PadstackSheetTest, EnterInTheShapeListChoosesAndThenFinishesTheCell) {
    const int result = Run(CPadstackSheet::kCreatePage, [&](CPadstackSheet& s) {
        // Keys go where the keyboard focus is (the sheet is not on a screen).
        auto key = [](int vk) { PressKey(PlatformWindow::GetFocus(), vk); };
        List* list = s.GetCreatePage()->GetList();
        ClickCell(list, 0, List::kColumnShape);
        ComboBoxControl* combo = list->GetCellCombo();
        ASSERT_NE(combo, nullptr);
        key(VK_F4);
        ASSERT_TRUE(combo->GetDroppedState());
        key(VK_DOWN);
        key(VK_DOWN);
        key(VK_RETURN);
        EXPECT_FALSE(s.IsEnded());
        EXPECT_FALSE(combo->GetDroppedState());
        EXPECT_EQ(list->GetCellCombo(), combo);
        EXPECT_EQ(Cells(list, 0), (Row{L"Top", L"Oblong", L"0.000", L"0.000"}));
        key(VK_RETURN);
        EXPECT_FALSE(s.IsEnded());
        EXPECT_EQ(list->GetCellEditor(), nullptr);
        ClickButton(s, IDOK);
    });
    EXPECT_EQ(result, CPadstackSheet::kResultOk);
    ASSERT_NE(Padstack(), nullptr);
    ASSERT_NE(Padstack()->FindPadLayer(kPadLayerTop), nullptr);
    EXPECT_EQ(Padstack()->FindPadLayer(kPadLayerTop)->m_shape, kPadShapeOblong);
}

TEST_F(PadstackSheetTest, DrillTypesAndSizes) {
    Run(CPadstackSheet::kCreatePage, [&](CPadstackSheet& s) {
        Create* page = s.GetCreatePage();
        ChooseInCombo(page->GetDlgItemAs<ComboBoxControl>(Create::kDrillType), kDrillRound);
        ASSERT_NE(Padstack()->FindDrill(), nullptr);
        EXPECT_TRUE(Shown(page->GetDlgItem(Create::kDiameter)));
        EXPECT_FALSE(Shown(page->GetDlgItem(Create::kSlotWidth)));
        page->SetDlgItemText(Create::kDiameter, L"0.8");
        EXPECT_FLOAT_EQ(Padstack()->FindDrill()->m_diam, 0.8f);
        ChooseInCombo(page->GetDlgItemAs<ComboBoxControl>(Create::kDrillType), kDrillSlot);
        EXPECT_EQ(Padstack()->FindDrill()->m_drillType, kDrillSlot);
        EXPECT_TRUE(Shown(page->GetDlgItem(Create::kSlotHeight)));
        page->SetDlgItemText(Create::kSlotWidth, L"2.5");
        page->SetDlgItemText(Create::kSlotHeight, L"0.75");
        ChooseInCombo(page->GetDlgItemAs<ComboBoxControl>(Create::kDrillType), kDrillNone);
        EXPECT_EQ(Padstack()->FindDrill(), nullptr);
        // A new slot takes the sizes the page holds.
        ChooseInCombo(page->GetDlgItemAs<ComboBoxControl>(Create::kDrillType), kDrillSlot);
        ASSERT_NE(Padstack()->FindDrill(), nullptr);
        EXPECT_FLOAT_EQ(Padstack()->FindDrill()->m_slotWidth, 2.5f);
        EXPECT_FLOAT_EQ(Padstack()->FindDrill()->m_slotHeight, 0.75f);
        EXPECT_FLOAT_EQ(Padstack()->FindDrill()->m_diam, 1.0f);
        ClickButton(s, IDOK);
    });
    EXPECT_TRUE(ui.beeps.empty());
}

// Showing the drill in another unit leaves its millimetres alone; typing
// half a number does not beep, leaving the field with it does.
TEST_F(PadstackSheetTest, DrillFieldsKeepTheirMillimetresAcrossUnits) {
    auto padstack = std::make_unique<CPadstack>(L"D");
    auto* drill = new CDrill(kDrillRound);
    drill->m_diam = 0.8f;
    padstack->AddChild(drill);
    sheet.SetObject(std::move(padstack));
    Run(
        CPadstackSheet::kCreatePage,
        [&](CPadstackSheet& s) {
            Create* page = s.GetCreatePage();
            EXPECT_EQ(page->GetDlgItemText(Create::kDiameter), L"0.800");
            ChooseInCombo(page->GetDlgItemAs<ComboBoxControl>(Create::kUnit), kUnitInch);
            EXPECT_EQ(page->GetDlgItemText(Create::kDiameter), L"0.031");
            ChooseInCombo(page->GetDlgItemAs<ComboBoxControl>(Create::kUnit), kUnitMil);
            EXPECT_EQ(page->GetDlgItemText(Create::kDiameter), L"31.5");
            EXPECT_FLOAT_EQ(Padstack()->FindDrill()->m_diam, 0.8f);
            // Typing in mil: "", "4", "40", "40." on the way.
            auto* field = page->GetDlgItemAs<EditControl>(Create::kDiameter);
            page->GotoDlgCtrl(field);
            SimulateKey(field, true, VK_DELETE);
            SimulateTyping(field, L"40.");
            PumpPendingMessages();
            EXPECT_TRUE(ui.beeps.empty());
            EXPECT_FLOAT_EQ(Padstack()->FindDrill()->m_diam, 40 * 0.0254f);
            // Left empty: refused when left, the size shown again.
            field->SetSel(0, -1);
            SimulateKey(field, true, VK_DELETE);
            EXPECT_TRUE(ui.beeps.empty());
            page->GotoDlgCtrl(page->GetDlgItem(Create::kUnit));
            EXPECT_EQ(ui.beeps.size(), 1u);
            EXPECT_EQ(page->GetDlgItemText(Create::kDiameter), L"40.0");
            ClickButton(s, IDOK);
        },
        kUnitMm);
    EXPECT_NEAR(sheet.GetPadstack()->FindDrill()->m_diam, 1.016f, 1e-6);
}

// --- Load page ---------------------------------------------------------------------

TEST_F(PadstackSheetTest, LoadPagePicksPadstacksAndFootprints) {
    const int result = Run(CPadstackSheet::kLoadPage, [&](CPadstackSheet& s) {
        CLoadPadstack* page = s.GetLoadPage();
        EXPECT_EQ(page->GetDlgItemText(CLoadPadstack::kPath), Example());
        TreeViewControl* tree = page->GetTree();
        ClickItem(tree, L"CUSTOM2");
        ASSERT_NE(s.GetPadstack(), nullptr);
        EXPECT_EQ(s.GetPadstack()->GetName(), L"CUSTOM2");
        ClickItem(tree, L"DIP8");
        ASSERT_NE(s.GetObject(), nullptr);
        EXPECT_EQ(s.GetObject()->GetType(), NodeType::Footprint);
        // A folder holds nothing to take.
        ClickItem(tree, L"Chips");
        EXPECT_EQ(s.GetObject(), nullptr);
        ClickItem(tree, L"ROUND1.6D0.8");
        // Leaving the page for Create drops the pick: Create starts anew.
        ASSERT_TRUE(s.SetActivePage(CPadstackSheet::kCreatePage));
        ASSERT_NE(s.GetPadstack(), nullptr);
        EXPECT_TRUE(s.GetPadstack()->GetName().empty());
        ASSERT_TRUE(s.SetActivePage(CPadstackSheet::kLoadPage));
        ClickItem(tree, L"HOLE3.2");
        ClickButton(s, IDOK);
    });
    EXPECT_EQ(result, CPadstackSheet::kResultOk);
    ASSERT_NE(sheet.GetPadstack(), nullptr);
    EXPECT_EQ(sheet.GetPadstack()->GetName(), L"HOLE3.2");
    EXPECT_TRUE(ui.messageBoxes.empty());
}

// A file that cannot be read, or is no footprint library, is reported and
// leaves the tree empty; nothing of a library read before can be picked.
TEST_F(PadstackSheetTest, UnreadableLibraryLeavesNothingToPick) {
    std::string dir = "/tmp/vorpel-sheet-XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    const std::wstring folder = PathFromNative(dir);
    const std::wstring symbols = PathJoin(folder, L"lib.symbol");
    ASSERT_TRUE(
        WriteWholeFile(symbols, "<?xml version=\"1.0\"?>\r\n<SymbolLib>\r\n</SymbolLib>\r\n"));
    const std::wstring broken = PathJoin(folder, L"broken.footprint");
    ASSERT_TRUE(WriteWholeFile(broken, "<FootprintLib><Footprint>"));
    std::vector<std::wstring> answers = {broken, symbols};
    SetFileDialogHook([&](FileDialogKind, FileDialogRequest& request) {
        EXPECT_EQ(request.initialDir, L"/tmp/");
        EXPECT_EQ(request.filters.front().second, L"*.footprint");
        if (answers.empty())
            return false;
        request.fileName = answers.front();
        answers.erase(answers.begin());
        return true;
    });
    Run(CPadstackSheet::kLoadPage, [&](CPadstackSheet& s) {
        CLoadPadstack* page = s.GetLoadPage();
        TreeViewControl* tree = page->GetTree();
        EXPECT_GT(tree->GetCount(), 10);
        ClickButton(*page, CLoadPadstack::kBrowse);
        ASSERT_EQ(ui.messageBoxes.size(), 1u);
        EXPECT_EQ(ui.messageBoxes[0].text, L"File read error \n" + broken);
        EXPECT_EQ(ui.messageBoxes[0].caption, L"Vorpel");
        EXPECT_EQ(tree->GetCount(), 0);
        ClickButton(*page, CLoadPadstack::kBrowse);
        ASSERT_EQ(ui.messageBoxes.size(), 2u);
        EXPECT_EQ(ui.messageBoxes[1].text, L"File is not a padstack library");
        EXPECT_EQ(tree->GetCount(), 0);
        Click(tree, POINT{20, 8});
        EXPECT_EQ(s.GetObject(), nullptr);
        ClickButton(s, IDCANCEL);
    });
    EXPECT_EQ(sheet.GetCloseResult(), CPadstackSheet::kResultCancel);
    std::string cmd = "rm -rf '" + dir + "'";
    (void)std::system(cmd.c_str());
}

// Goes to a page by a click on its tab, as the user does.
void ClickTab(PropertySheet& sheet, int page) {
    TabControl* tab = sheet.GetTabControl();
    ASSERT_NE(tab, nullptr);
    RECT r{};
    ASSERT_TRUE(tab->GetItemRect(page, &r));
    Click(tab, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    ASSERT_EQ(sheet.GetActiveIndex(), page);
}

// The sheet on the screen: every page visited in turn and then each shown
// again; the picks of the Load page with their preview, and on the Create
// page a cell edited and ended and the drill fields shown: each state as a
// full repaint shows it, nothing of the page or the pick before left behind.
TEST_F(PadstackSheetTest, EveryPageAndPickRepaintsAsShown) {
    Run(CPadstackSheet::kCreatePage, [&](CPadstackSheet& s) {
        ASSERT_TRUE(ShownOnScreen(s));
        const std::pair<int, const char*> pages[] = {
            {CPadstackSheet::kLoadPage, "padstack-sheet-load"},
            {CPadstackSheet::kCreatePage, "padstack-sheet-create"}};
        for (const auto& [page, name] : pages)
            ClickTab(s, page);
        for (const auto& [page, name] : pages) {
            ClickTab(s, page);
            CheckRepaint(s, name);
        }
        ClickTab(s, CPadstackSheet::kLoadPage);
        TreeViewControl* tree = s.GetLoadPage()->GetTree();
        const std::pair<const wchar_t*, const char*> picks[] = {
            {L"CUSTOM2", "padstack-sheet-pick-padstack"},
            {L"DIP8", "padstack-sheet-pick-footprint"},
            {L"Chips", "padstack-sheet-pick-folder"},
            {L"HOLE3.2", "padstack-sheet-pick-another"}};
        for (const auto& [item, name] : picks) {
            ClickItem(tree, item);
            CheckRepaint(s, name);
        }
        ClickTab(s, CPadstackSheet::kCreatePage);
        Create* page = s.GetCreatePage();
        List* list = page->GetList();
        CheckRepaintsOfACellEdit(s, list, 0, List::kColumnWidth, L"1.6", "padstack-sheet");
        ChooseInCombo(page->GetDlgItemAs<ComboBoxControl>(Create::kDrillType), kDrillSlot);
        ASSERT_TRUE(Shown(page->GetDlgItem(Create::kSlotHeight)));
        CheckRepaint(s, "padstack-sheet-slot-fields");
        ChooseInCombo(page->GetDlgItemAs<ComboBoxControl>(Create::kDrillType), kDrillRound);
        ASSERT_FALSE(Shown(page->GetDlgItem(Create::kSlotHeight)));
        CheckRepaint(s, "padstack-sheet-round-fields");
        ClickButton(s, IDCANCEL);
    });
    EXPECT_EQ(sheet.GetCloseResult(), CPadstackSheet::kResultCancel);
}

TEST_F(PadstackSheetTest, PictureOfTheSheet) {
    auto padstack = std::unique_ptr<CPadstack>(new CPadstack(L"P"));
    auto* top = new CPadLayer(kPadLayerTop);
    top->m_shape = kPadShapeOblong;
    top->m_width = 1.6f;
    top->m_height = 3.0f;
    padstack->AddChild(top);
    auto* drill = new CDrill(kDrillRound);
    drill->m_diam = 0.9f;
    padstack->AddChild(drill);
    sheet.SetObject(std::move(padstack));
    Run(CPadstackSheet::kCreatePage, [&](CPadstackSheet& s) {
        WritePicture(s, "padstack-sheet");
        ClickButton(s, IDCANCEL);
    });
}

} // namespace

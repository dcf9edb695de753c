// The property panel as a window on the offscreen platform: rows edited by
// clicks and keys as the user does, committed by Enter, Tab, focus loss and
// Esc, with the layout messages to the panel's parent.
#include "core/color_combobox.h"
#include "core/layer_combobox.h"
#include "core/property_combobox.h"
#include "core/property_grid.h"
#include "core/property_tab.h"
#include "core/sheet_size_combobox.h"
#include "core/sheet_size_table.h"
#include "platform/button_control.h"
#include "platform/color_dialog.h"
#include "platform/combo_box_control.h"
#include "platform/edit_control.h"
#include "platform/input_simulation.h"
#include "platform/key_state.h"
#include "platform/paint_target.h"
#include "platform/window.h"
#include "tests/core/property_test_object.h"
#include "tests/core/test_view.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// The window the panel lives in; it keeps the layout requests it receives.
class Host : public PlatformWindow {
public:
    std::vector<std::pair<WPARAM, LPARAM>> layouts;
    std::vector<WPARAM> commands;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& result) override {
        if (msg == WM_PROPERTY_LAYOUT) {
            layouts.emplace_back(w, l);
            result = 0;
            return true;
        }
        if (msg == WM_COMMAND) {
            commands.push_back(w);
            result = 0;
            return true;
        }
        return false;
    }
};

class PanelWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Create(nullptr, RECT{0, 0, 320, 480}, L"host", WS_VISIBLE));
        ASSERT_TRUE(grid.Create(&host, RECT{0, 0, 300, 400}));
        ASSERT_TRUE(tab.Create(&host, RECT{0, 400, 200, 412}));
        grid.SetTab(&tab);
        SetPropertyGrid(&grid);
        AddMessageFilter(&grid); // as the main frame's message loop does
        view.MakeActive();
        grid.ShowProperties(&object);
        PumpPendingMessages();
        host.layouts.clear();
    }
    void TearDown() override {
        RemoveMessageFilter(&grid);
        g_pActiveView = nullptr;
        ResetKeyState();
        host.DestroyWindow();
        PumpPendingMessages();
        SetPropertyGrid(nullptr);
    }
    CPropertyListCtrl& List() { return grid.GetList(); }
    POINT ValuePoint(int row, int dx = 30) {
        RECT r;
        EXPECT_TRUE(List().GetItemRect(row, &r));
        return POINT{List().GetDivider() + dx, (r.top + r.bottom) / 2};
    }
    POINT NamePoint(int row) {
        RECT r;
        EXPECT_TRUE(List().GetItemRect(row, &r));
        return POINT{10, (r.top + r.bottom) / 2};
    }
    void Click(POINT p) {
        SimulateMouse(&List(), WM_LBUTTONDOWN, p, MK_LBUTTON);
        SimulateMouse(&List(), WM_LBUTTONUP, p);
        PumpPendingMessages();
    }
    CPropertyEdit* Edit(int row) { return dynamic_cast<CPropertyEdit*>(grid.GetItem(row)); }
    template <class T> T* Row(int row) { return dynamic_cast<T*>(grid.GetItem(row)); }
    // A key as the user presses it, reaching the focused window through the
    // message loop (and so the panel's pre-translation).
    void Press(int vk, const std::wstring& text = L"", WPARAM mk = 0) {
        PlatformWindow* focus = PlatformWindow::GetFocus();
        ASSERT_NE(focus, nullptr);
        SimulateKey(focus, true, vk, text, mk);
        if (PlatformWindow::GetFocus())
            SimulateKey(PlatformWindow::GetFocus(), false, vk, L"", mk);
        PumpPendingMessages();
    }
    void Type(const std::wstring& text) {
        ASSERT_NE(PlatformWindow::GetFocus(), nullptr);
        SimulateTyping(PlatformWindow::GetFocus(), text);
    }
    size_t UndoCount() { return view.GetUndoList().UndoCount(); }

    Host host;
    CPropertyGrid grid;
    CPropertyTab tab;
    CTestView view;
    PropertyTestObject object;
    ScopedUiHooksRecorder ui;
};

TEST_F(PanelWindowTest, ClickTypeEnterAppliesTheRowAfterPushingItsRecord) {
    Click(ValuePoint(PropertyTestObject::kName));
    ASSERT_TRUE(grid.IsEditing());
    ASSERT_NE(Edit(0)->GetEditor(), nullptr);
    EXPECT_EQ(PlatformWindow::GetFocus(), Edit(0)->GetEditor());
    Type(L"C7");
    Press(VK_RETURN, L"\r");
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_EQ(object.applied, (std::vector<int>{PropertyTestObject::kName}));
    EXPECT_EQ(object.name, L"C7");
    ASSERT_EQ(UndoCount(), 1u);
    EXPECT_EQ(static_cast<const RowEditUndo*>(view.GetUndoList().UndoItemAt(0))->name, L"R1");
    EXPECT_EQ(Edit(0)->GetText(), L"C7");
}

TEST_F(PanelWindowTest, EscRestoresTheOldTextAndAppliesNothing) {
    Click(ValuePoint(PropertyTestObject::kLength));
    ASSERT_TRUE(grid.IsEditing());
    Type(L"5");
    Press(VK_ESCAPE, L"\x1b");
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_TRUE(object.applied.empty());
    EXPECT_EQ(UndoCount(), 0u) << "no empty group marks the document modified";
    EXPECT_EQ(Edit(PropertyTestObject::kLength)->GetText(), L"1000.0");
    EXPECT_TRUE(view.GetUndoList().IsAtSavedState());
}

// The refused text does not stay on show: the rows are filled again with
// what the object holds.
TEST_F(PanelWindowTest, NonNumericLengthBeepsAndLeavesTheObject) {
    Click(ValuePoint(PropertyTestObject::kLength));
    Type(L"wide");
    Press(VK_RETURN, L"\r");
    EXPECT_EQ(object.applied, (std::vector<int>{PropertyTestObject::kLength}));
    EXPECT_FLOAT_EQ(object.length, 25.4f);
    EXPECT_EQ(UndoCount(), 0u);
    EXPECT_EQ(ui.beeps.size(), 1u);
    EXPECT_EQ(Edit(PropertyTestObject::kLength)->GetText(), L"1000.0");
    // A point without its second number, the same way.
    Click(ValuePoint(PropertyTestObject::kOrigin));
    Type(L"5");
    Press(VK_RETURN, L"\r");
    EXPECT_EQ(ui.beeps.size(), 2u);
    EXPECT_EQ(Edit(PropertyTestObject::kOrigin)->GetText(), L"39.4,78.7");
    EXPECT_EQ(UndoCount(), 0u);
    EXPECT_FALSE(grid.IsEditing());
}

TEST_F(PanelWindowTest, TabCommitsAndMovesOnWrappingAtBothEnds) {
    int last = PropertyTestObject::kNote;
    grid.BeginEditRow(last);
    ASSERT_TRUE(Edit(last)->IsEditing());
    Type(L"x");
    Press(VK_TAB, L"\t");
    EXPECT_EQ(object.note, L"x");
    EXPECT_EQ(List().GetCurrentRow(), 0) << "Tab on the last row moves to the first";
    EXPECT_TRUE(Edit(0)->IsEditing());
    Press(VK_TAB, L"\t", MK_SHIFT);
    EXPECT_EQ(List().GetCurrentRow(), last) << "Shift+Tab on the first row moves to the last";
    EXPECT_TRUE(grid.GetItem(last)->IsEditing());
    EXPECT_EQ(object.applied, (std::vector<int>{last, 0}));
}

TEST_F(PanelWindowTest, ClickingElsewhereCommitsTheOpenRowAndOpensTheNext) {
    Click(ValuePoint(PropertyTestObject::kName));
    Type(L"Q1");
    Click(ValuePoint(PropertyTestObject::kLength));
    EXPECT_EQ(object.name, L"Q1");
    EXPECT_TRUE(grid.GetItem(PropertyTestObject::kLength)->IsEditing());
    // A click in the name column of the row being edited commits it.
    Type(L"2000");
    Click(NamePoint(PropertyTestObject::kLength));
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_FLOAT_EQ(object.length, 50.8f);
    EXPECT_EQ(UndoCount(), 2u);
}

TEST_F(PanelWindowTest, TheWholeTextOfALongEntryIsRead) {
    std::wstring longText(400, L'w');
    longText += L"end";
    Click(ValuePoint(PropertyTestObject::kName));
    Edit(0)->GetEditor()->SetWindowText(longText);
    Press(VK_RETURN, L"\r");
    EXPECT_EQ(object.name, longText);
}

TEST_F(PanelWindowTest, CheckBoxClickAppliesAtOnce) {
    Click(ValuePoint(PropertyTestObject::kVisible, 5));
    EXPECT_FALSE(object.visible);
    EXPECT_EQ(object.applied, (std::vector<int>{PropertyTestObject::kVisible}));
    Click(NamePoint(PropertyTestObject::kVisible));
    EXPECT_FALSE(object.visible) << "the name column does not toggle";
}

TEST_F(PanelWindowTest, ComboRowsCommitTheSelectionAndEscKeepsTheValue) {
    int row = PropertyTestObject::kStyle;
    Click(ValuePoint(row));
    auto* combo = Row<CPropertyCombobox>(row);
    ASSERT_NE(combo->GetEditor(), nullptr);
    EXPECT_EQ(combo->GetEditor()->GetCurSel(), 1);
    combo->GetEditor()->SetCurSel(2);
    Press(VK_ESCAPE, L"\x1b");
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_EQ(object.style, L"Dash");
    EXPECT_EQ(combo->GetSelectedIndex(), 1);
    EXPECT_TRUE(object.applied.empty());

    Click(ValuePoint(row));
    combo->GetEditor()->SetCurSel(2);
    Press(VK_RETURN, L"\r");
    EXPECT_EQ(object.style, L"Dot");
    EXPECT_EQ(object.applied, (std::vector<int>{row}));
}

TEST_F(PanelWindowTest, ComboRowsCommitOnTabAndOnFocusLoss) {
    int row = PropertyTestObject::kStyle;
    Click(ValuePoint(row));
    Row<CPropertyCombobox>(row)->GetEditor()->SetCurSel(0);
    Press(VK_TAB, L"\t");
    EXPECT_EQ(object.style, L"Solid");
    EXPECT_EQ(List().GetCurrentRow(), row + 1);
    EXPECT_TRUE(grid.GetItem(row + 1)->IsEditing()) << "the layer row opened";

    Click(ValuePoint(row));
    Row<CPropertyCombobox>(row)->GetEditor()->SetCurSel(2);
    Click(ValuePoint(PropertyTestObject::kName));
    EXPECT_EQ(object.style, L"Dot") << "clicking another row commits the combo";
    EXPECT_TRUE(Edit(PropertyTestObject::kName)->IsEditing());
    // The layer row opened by Tab was committed by the click as well.
    EXPECT_EQ(object.applied, (std::vector<int>{row, row + 1, row}));
}

TEST_F(PanelWindowTest, EditWithCheckBoxTogglesInItsSquareAndEditsBesideIt) {
    int row = PropertyTestObject::kNote;
    int h = List().GetRowHeight();
    // As fresh rows are before their first paint (a loaded machine may not
    // have painted them yet): the click finds the square all the same.
    grid.GetItem(row)->SetRect(RECT{});
    Click(ValuePoint(row, h / 2));
    EXPECT_TRUE(object.noteOn);
    EXPECT_FALSE(grid.IsEditing());
    Click(ValuePoint(row, h + 10));
    ASSERT_TRUE(grid.IsEditing());
    EXPECT_EQ(Edit(row)->GetEditor()->GetRectInParent().left, List().GetDivider() + h);
    Type(L"memo");
    Press(VK_RETURN, L"\r");
    EXPECT_EQ(object.note, L"memo");
    EXPECT_EQ(object.applied, (std::vector<int>{row, row}));
}

TEST_F(PanelWindowTest, PickingAnEntryInTheDropDownAppliesIt) {
    int row = PropertyTestObject::kPinShape;
    Click(ValuePoint(row));
    ComboBoxControl* combo = Row<CPinShapeCombobox>(row)->GetEditor();
    ASSERT_NE(combo, nullptr);
    combo->ShowDropDown(true);
    PlatformWindow* drop = combo->GetDropDownWindow();
    ASSERT_NE(drop, nullptr);
    int h = combo->GetItemHeight();
    SimulateMouse(drop, WM_LBUTTONDOWN, POINT{10, 6 * h + h / 2}, MK_LBUTTON);
    SimulateMouse(drop, WM_LBUTTONUP, POINT{10, 6 * h + h / 2});
    PumpPendingMessages();
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_EQ(object.pinShape, 7);
}

TEST_F(PanelWindowTest, ColourOutsideTheTableIsKeptWhenNothingIsPicked) {
    object.color = 0x123456;
    grid.ShowProperties(&object);
    int row = PropertyTestObject::kColor;
    Click(ValuePoint(row));
    ASSERT_NE(Row<CColorCombobox>(row)->GetEditor(), nullptr);
    EXPECT_EQ(Row<CColorCombobox>(row)->GetEditor()->GetCurSel(), -1);
    Press(VK_RETURN, L"\r");
    EXPECT_EQ(object.color, 0x123456u);
    EXPECT_TRUE(object.applied.empty());

    // "Select" with the dialog cancelled keeps the colour; confirmed takes it.
    int dialogs = 0;
    SetChooseColorHook([&](ChooseColorRequest& r) {
        ++dialogs;
        EXPECT_TRUE(r.flags & CC_FULLOPEN);
        EXPECT_EQ(r.rgbResult, 0x123456u);
        if (dialogs == 1)
            return false;
        r.rgbResult = 0x00ABCDEF;
        return true;
    });
    for (int i = 0; i < 2; ++i) {
        Click(ValuePoint(row));
        Row<CColorCombobox>(row)->GetEditor()->SetCurSel(0);
        Press(VK_RETURN, L"\r");
    }
    SetChooseColorHook(nullptr);
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(object.color, 0x00ABCDEFu);
    EXPECT_EQ(object.applied, (std::vector<int>{row}));
}

TEST_F(PanelWindowTest, LayerRowKeepsItsLayerWhenNothingIsSelected) {
    object.layerId = 33007; // inner 6 on a board with four inner layers
    grid.ShowProperties(&object);
    int row = PropertyTestObject::kLayer;
    Click(ValuePoint(row));
    ComboBoxControl* combo = Row<CLayerCombobox>(row)->GetEditor();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->GetCount(), 16);
    EXPECT_EQ(combo->GetCurSel(), -1);
    Press(VK_RETURN, L"\r");
    EXPECT_EQ(object.layerId, 33007u);
    Click(ValuePoint(row));
    Row<CLayerCombobox>(row)->GetEditor()->SetCurSel(15);
    Press(VK_RETURN, L"\r");
    EXPECT_EQ(object.layerId, 33031u) << "package outline bottom is offered";
}

TEST_F(PanelWindowTest, ASeriesHeadingKeepsThePaperSizeDropDownOpen) {
    int32_t w = 42000, l = 29700;
    int unit = 1;
    CSheetSizeTable table(&w, &l, &unit);
    struct Sheet : CProperty {
        CSheetSizeTable* table = nullptr;
        int applied = 0;
        void FillPropertyGrid() override { GetPropertyGrid()->AddSheetSize(table); }
        void ApplyPropertyChange(int) override { ++applied; }
    } sheet;
    sheet.table = &table;
    grid.ShowProperties(&sheet);
    Click(ValuePoint(0));
    ComboBoxControl* combo = Row<CSheetSizeCombobox>(0)->GetEditor();
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->GetDroppedState()) << "opened at once";
    EXPECT_EQ(combo->GetCurSel(), 4) << "A3";
    auto pick = [&](int entry) {
        PlatformWindow* drop = combo->GetDropDownWindow();
        ASSERT_NE(drop, nullptr);
        int h = combo->GetItemHeight();
        POINT p{10, entry * h + h / 2};
        SimulateMouse(drop, WM_LBUTTONDOWN, p, MK_LBUTTON);
        SimulateMouse(drop, WM_LBUTTONUP, p);
        PumpPendingMessages();
    };
    pick(6); // the ANSI heading
    EXPECT_TRUE(grid.IsEditing());
    EXPECT_TRUE(combo->GetDroppedState()) << "a heading opens the drop-down again";
    EXPECT_EQ(sheet.applied, 0);
    pick(5); // A4
    EXPECT_FALSE(grid.IsEditing());
    EXPECT_EQ(sheet.applied, 1);
    EXPECT_EQ(w, 29700) << "A4 lying down";
    EXPECT_EQ(l, 21000);
}

TEST_F(PanelWindowTest, DraggingTheDividerMovesTheOpenEditor) {
    Click(ValuePoint(0));
    EditControl* editor = Edit(0)->GetEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->GetRectInParent().left, 97);
    POINT p{97, 5};
    SimulateMouse(&List(), WM_LBUTTONDOWN, p, MK_LBUTTON);
    EXPECT_TRUE(List().IsDragging());
    SimulateMouse(&List(), WM_MOUSEMOVE, POINT{131, 5}, MK_LBUTTON);
    SimulateMouse(&List(), WM_LBUTTONUP, POINT{131, 5});
    EXPECT_FALSE(List().IsDragging());
    EXPECT_EQ(List().GetDivider(), 131);
    EXPECT_EQ(editor->GetRectInParent().left, 131);
}

TEST_F(PanelWindowTest, ButtonRowSendsItsCommandToTheOwner) {
    struct WithButton : CProperty {
        PlatformWindow* owner = nullptr;
        void FillPropertyGrid() override {
            GetPropertyGrid()->AddEditAndButton(L"Footprint", L"SO8", 40123, owner);
        }
    } object2;
    object2.owner = &host;
    grid.ShowProperties(&object2);
    grid.RenderTo(*PaintTarget::CreateImage(300, 400)); // buttons come with the first drawing
    auto* row = Row<CPropertyEditAndButton>(0);
    ASSERT_NE(row->GetButton(), nullptr);
    RECT b = row->GetButton()->GetRectInParent();
    RECT r;
    List().GetItemRect(0, &r);
    EXPECT_EQ(b.right, r.right);
    row->GetButton()->Click();
    PumpPendingMessages();
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(LOWORD(host.commands[0]), 40123u);
}

TEST_F(PanelWindowTest, LayoutMessagesTellTheParentWhetherThePanelIsOpen) {
    grid.ShowProperties(nullptr);
    PumpPendingMessages();
    ASSERT_FALSE(host.layouts.empty());
    EXPECT_EQ(host.layouts.back(), (std::pair<WPARAM, LPARAM>{0, 1}));
    EXPECT_EQ(grid.GetTitle(), L"Properties");
    host.layouts.clear();
    grid.ShowProperties(&object);
    PumpPendingMessages();
    ASSERT_FALSE(host.layouts.empty());
    EXPECT_EQ(host.layouts.back(), (std::pair<WPARAM, LPARAM>{1, 1}));
    EXPECT_EQ(List().GetContentHeight(),
              (PropertyTestObject::kRowCount + 1) * List().GetRowHeight() + 3);

    host.layouts.clear();
    SimulateMouse(&tab, WM_LBUTTONDOWN, POINT{100, 5}, MK_LBUTTON);
    SimulateMouse(&tab, WM_LBUTTONUP, POINT{100, 5});
    PumpPendingMessages();
    ASSERT_EQ(host.layouts.size(), 1u);
    EXPECT_EQ(host.layouts[0], (std::pair<WPARAM, LPARAM>{0, 0})) << "a click on the tab";
    EXPECT_FALSE(tab.IsExpanded());
    EXPECT_EQ(tab.GetWindowRect().right - tab.GetWindowRect().left, 200);
}

TEST_F(PanelWindowTest, TheListSitsUnderTheCaptionBand) {
    RECT r = List().GetRectInParent();
    int h = List().GetRowHeight();
    EXPECT_EQ(r.left, 3);
    EXPECT_EQ(r.top, h);
    EXPECT_EQ(r.right, 297);
    EXPECT_EQ(r.bottom, 397);
    // Painting every row kind runs without trouble.
    auto image = PaintTarget::CreateImage(300, 400);
    grid.RenderTo(*image);
    EXPECT_NE(image->PixelAt(50, h + 3), 0xFFFFFFFFu) << "name column in the button face";
}

} // namespace

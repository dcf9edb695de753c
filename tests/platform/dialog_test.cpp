// The dialog layer: controls built from a table, radio groups, the keyboard
// interface, modal runs answered by a hook, and data exchange.
#include "platform/bitmap.h"
#include "platform/button_control.h"
#include "platform/check_box_control.h"
#include "platform/combo_box_control.h"
#include "platform/dialog.h"
#include "platform/edit_control.h"
#include "platform/group_box_control.h"
#include "platform/input_simulation.h"
#include "platform/key_state.h"
#include "platform/list_view_control.h"
#include "platform/paint_target.h"
#include "platform/radio_button_control.h"
#include "platform/static_control.h"
#include "platform/text.h"
#include "tests/screen_user.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

enum : int {
    kName = 100,
    kCount = 101,
    kShape = 102,
    kMirror = 103,
    kRound = 110,
    kSquare = 111,
    kOval = 112,
    kTop = 120,
    kBottom = 121,
    kLayers = 130,
    kApply = 140,
    kLabel = 150,
};

DialogTemplate TestTemplate() {
    DialogItem list{DialogItemKind::ReportList,
                    kLayers,
                    L"",
                    7,
                    120,
                    180,
                    60,
                    WS_TABSTOP | LVS_SINGLESEL,
                    LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES,
                    {{L"Layer", 150}, {L"Layer type", 80}, {L"Net", 60}}};
    return DialogTemplate{
        900,
        L"Test dialog",
        200,
        220,
        false,
        {
            DlgStatic(kLabel, L"&Name:", 7, 9, 40, 8),
            DlgEdit(kName, 50, 7, 80, 12),
            DlgStatic(IDC_STATIC, L"Count:", 7, 25, 40, 8),
            DlgEdit(kCount, 50, 23, 40, 12),
            DlgDropDownList(kShape, 50, 39, 60, 60),
            DlgCheckBox(kMirror, L"Mirror", 7, 55, 60, 10),
            DlgGroupBox(L"Pad shape", 7, 68, 90, 48),
            DlgRadio(kRound, L"Round", 14, 78, 60, 10, WS_GROUP | WS_TABSTOP),
            DlgRadio(kSquare, L"Square", 14, 90, 60, 10),
            DlgRadio(kOval, L"Oval", 14, 102, 60, 10),
            DlgGroupBox(L"Side", 100, 68, 90, 48),
            DlgRadio(kTop, L"Top", 107, 78, 60, 10, WS_GROUP | WS_TABSTOP),
            DlgRadio(kBottom, L"Bottom", 107, 90, 60, 10),
            list,
            DlgButton(kApply, L"Apply", 7, 200, 50, 14, WS_GROUP | WS_TABSTOP),
            DlgDefButton(1, L"OK", 90, 200, 50, 14),
            DlgButton(2, L"Cancel", 145, 200, 50, 14),
        },
    };
}

// A dialog with the usual members: exchanges them, counts commands, and ends
// with 7 when Apply is clicked.
class TestDialog : public PlatformDialog {
public:
    TestDialog() : PlatformDialog(TestTemplate()) {}
    ~TestDialog() override { DestroyWindow(); }

    std::wstring name = L"R1";
    int count = 4;
    int shape = 1;
    int mirror = 0;
    int padShape = 1;
    int side = -1;
    std::vector<int> clicks;
    int initDialogs = 0;

    bool DoDataExchange(bool save) override {
        return DDX_Text(kName, name, save) && DDX_Int(kCount, count, save) &&
               DDX_ComboIndex(kShape, shape, save) && DDX_Check(kMirror, mirror, save) &&
               DDX_Radio(kRound, padShape, save) && DDX_Radio(kTop, side, save);
    }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM w, LPARAM, LRESULT& result) override {
        if (msg == WM_INITDIALOG) {
            ++initDialogs;
            if (auto* combo = GetDlgItemAs<ComboBoxControl>(kShape))
                for (const wchar_t* s : {L"Round", L"Oblong", L"Rectangle"})
                    combo->AddString(s);
            UpdateData(false);
            result = 1;
            return true;
        }
        if (msg == WM_COMMAND && HIWORD(w) == BN_CLICKED) {
            int id = static_cast<int>(LOWORD(w));
            clicks.push_back(id);
            if (id == kApply) {
                EndDialog(7);
                return true;
            }
            if (id == 1) {
                if (UpdateData(true))
                    EndDialog(1);
                return true;
            }
        }
        return false;
    }
};

void Click(PlatformWindow* w) {
    ASSERT_NE(w, nullptr);
    SimulateMouse(w, WM_LBUTTONDOWN, POINT{3, 3}, MK_LBUTTON);
    SimulateMouse(w, WM_LBUTTONUP, POINT{3, 3});
}

void Press(PlatformWindow* w, int vk) {
    SimulateKey(w, true, vk);
    SimulateKey(w, false, vk);
}

class DialogLayer : public ::testing::Test {
protected:
    void TearDown() override { ResetKeyState(); }
};

TEST_F(DialogLayer, ControlsFromTheTableAreFoundByIdWithTheirTexts) {
    TestDialog dlg;
    ScopedModalDialogHook hook([&](PlatformDialog& d) {
        EXPECT_EQ(&d, &dlg);
        EXPECT_EQ(d.GetWindowText(), L"Test dialog");
        EXPECT_NE(d.GetDlgItemAs<StaticControl>(kLabel), nullptr);
        EXPECT_EQ(d.GetDlgItemText(kLabel), L"&Name:");
        EXPECT_EQ(StripMnemonicPrefix(d.GetDlgItemText(kLabel)), L"Name:");
        EXPECT_NE(d.GetDlgItemAs<EditControl>(kName), nullptr);
        EXPECT_EQ(d.GetDlgItemText(kName), L"R1");
        EXPECT_EQ(d.GetDlgItemText(kCount), L"4");
        EXPECT_NE(d.GetDlgItemAs<ComboBoxControl>(kShape), nullptr);
        EXPECT_NE(d.GetDlgItemAs<CheckBoxControl>(kMirror), nullptr);
        EXPECT_EQ(d.GetDlgItemText(kMirror), L"Mirror");
        EXPECT_NE(d.GetDlgItemAs<RadioButtonControl>(kSquare), nullptr);
        EXPECT_NE(d.GetDlgItemAs<ButtonControl>(kApply), nullptr);
        EXPECT_EQ(d.GetDlgItemText(2), L"Cancel");
        EXPECT_EQ(d.GetDefID(), 1);
        int groups = 0;
        for (PlatformWindow* w : d.GetChildren())
            groups += dynamic_cast<GroupBoxControl*>(w) != nullptr;
        EXPECT_EQ(groups, 2);
        // Positions: dialog units through the base units, four units to
        // the average letter across and eight to the line down.
        const SIZE units = PlatformDialog::GetDialogBaseUnits();
        EXPECT_EQ(d.MapDialogRect(RECT{4, 8, 8, 16}),
                  (RECT{units.cx, units.cy, 2 * units.cx, 2 * units.cy}));
        EXPECT_EQ(d.GetClientRect(), d.MapDialogRect(RECT{0, 0, 200, 220}));
        EXPECT_EQ(d.GetDlgItem(kName)->GetRectInParent(), d.MapDialogRect(RECT{50, 7, 130, 19}));
        // A combo box is one line high whatever its list height.
        RECT combo = d.GetDlgItem(kShape)->GetRectInParent();
        EXPECT_EQ(combo, d.MapDialogRect(RECT{50, 39, 110, 51}));
        // The report list with its columns and check boxes.
        auto* list = d.GetDlgItemAs<ListViewControl>(kLayers);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->GetColumnCount(), 3);
        EXPECT_EQ(list->GetColumnWidth(1), PlatformDialog::MapTemplatePixels(d.GetFont(), 80));
        EXPECT_TRUE(list->GetExtendedListViewStyle() & LVS_EX_CHECKBOXES);
        // The focus starts in the first tab stop.
        EXPECT_EQ(PlatformWindow::GetFocus(), d.GetDlgItem(kName));
        EXPECT_EQ(GetActiveWindow(), &d);
        d.EndDialog(2);
    });
    EXPECT_EQ(dlg.DoModal(), 2);
    EXPECT_EQ(dlg.initDialogs, 1);
    EXPECT_FALSE(dlg.IsWindow());
}

// The layout follows the dialog's font: its base units are measured from
// it, so a larger face gets a proportionally larger dialog, and the list's
// columns grow with it and never cut their headers.
TEST_F(DialogLayer, LayoutAndColumnsGrowWithTheDialogFont) {
    struct Case {
        int height;
        bool bold;
    };
    const Case cases[] = {{11, false}, {11, true}, {16, false}, {22, false}};
    SIZE small{0, 0};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        WindowFont font;
        font.height = c.height;
        font.weight = c.bold ? 700 : 400;
        const SIZE units = PlatformDialog::GetDialogBaseUnits(font);
        if (c.height == 11 && !c.bold)
            small = units;
        // The base units of a face scale with its size.
        EXPECT_NEAR(units.cx, small.cx * c.height / 11.0, 1.0);
        EXPECT_NEAR(units.cy, small.cy * c.height / 11.0, 1.5);
        TestDialog dlg;
        dlg.SetFont(font, false);
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            EXPECT_EQ(d.GetClientRect().right, 50 * units.cx);
            EXPECT_EQ(d.GetDlgItem(kApply)->GetRectInParent(),
                      d.MapDialogRect(RECT{7, 200, 57, 214}));
            auto* list = d.GetDlgItemAs<ListViewControl>(kLayers);
            ASSERT_NE(list, nullptr);
            for (int column = 0; column < list->GetColumnCount(); ++column) {
                const std::wstring title = list->GetColumnTitle(column);
                EXPECT_GT(list->GetColumnWidth(column), list->MeasureText(title).cx + 8)
                    << WideToUtf8(title);
            }
            EXPECT_GE(list->GetColumnWidth(0), 150 * units.cx / 6);
            d.EndDialog(2);
        });
        EXPECT_EQ(dlg.DoModal(), 2);
    }
}

TEST_F(DialogLayer, RadioButtonsAreExclusiveWithinTheirGroupOnly) {
    TestDialog dlg;
    ScopedModalDialogHook hook([](PlatformDialog& d) {
        EXPECT_EQ(d.IsDlgButtonChecked(kSquare), BST_CHECKED);
        Click(d.GetDlgItem(kOval));
        EXPECT_EQ(d.IsDlgButtonChecked(kRound), BST_UNCHECKED);
        EXPECT_EQ(d.IsDlgButtonChecked(kSquare), BST_UNCHECKED);
        EXPECT_EQ(d.IsDlgButtonChecked(kOval), BST_CHECKED);
        // The other group is untouched by it and by its own clicks.
        EXPECT_EQ(d.IsDlgButtonChecked(kTop), BST_UNCHECKED);
        d.GetDlgItem(kBottom)->SendMessage(BM_CLICK);
        EXPECT_EQ(d.IsDlgButtonChecked(kBottom), BST_CHECKED);
        EXPECT_EQ(d.IsDlgButtonChecked(kOval), BST_CHECKED);
        // Space on the focused radio checks it too.
        d.GotoDlgCtrl(kRound);
        Press(d.GetDlgItem(kRound), VK_SPACE);
        EXPECT_EQ(d.IsDlgButtonChecked(kRound), BST_CHECKED);
        EXPECT_EQ(d.IsDlgButtonChecked(kOval), BST_UNCHECKED);
        // A click on the checked one keeps it checked.
        Click(d.GetDlgItem(kRound));
        EXPECT_EQ(d.IsDlgButtonChecked(kRound), BST_CHECKED);
        // Groups as the table defines them.
        std::vector<PlatformWindow*> group = GetDlgGroupOf(d.GetDlgItem(kSquare));
        ASSERT_EQ(group.size(), 3u);
        EXPECT_EQ(group.front(), d.GetDlgItem(kRound));
        EXPECT_EQ(d.GetNextDlgGroupItem(d.GetDlgItem(kOval)), d.GetDlgItem(kRound));
        EXPECT_EQ(d.GetNextDlgGroupItem(d.GetDlgItem(kRound), true), d.GetDlgItem(kOval));
        EXPECT_TRUE(d.CheckRadioButton(kRound, kOval, kSquare));
        EXPECT_EQ(d.IsDlgButtonChecked(kRound), BST_UNCHECKED);
        EXPECT_EQ(d.IsDlgButtonChecked(kSquare), BST_CHECKED);
        d.EndDialog(1);
    });
    EXPECT_EQ(dlg.DoModal(), 1);
    // Every click reached the dialog as BN_CLICKED.
    EXPECT_EQ(dlg.clicks, (std::vector<int>{kOval, kBottom, kRound, kRound}));
}

TEST_F(DialogLayer, EnterAndEscapeEndTheDialog) {
    struct Case {
        int key;
        int focusId;
        int expected;
    };
    const Case cases[] = {
        {VK_RETURN, kName, 1},   // the default button
        {VK_RETURN, kMirror, 1}, // also from a check box
        {VK_ESCAPE, kName, 2},   // cancel
        {VK_RETURN, kApply, 7},  // a focused push button is the one pressed
        {VK_ESCAPE, kApply, 2},
    };
    for (const Case& c : cases) {
        TestDialog dlg;
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            d.GotoDlgCtrl(c.focusId);
            Press(d.GetDlgItem(c.focusId), c.key);
        });
        EXPECT_EQ(dlg.DoModal(), c.expected) << "key " << c.key << " in " << c.focusId;
    }
}

TEST_F(DialogLayer, AnOpenDropDownKeepsEnterAndEscape) {
    TestDialog dlg;
    ScopedModalDialogHook hook([](PlatformDialog& d) {
        auto* combo = d.GetDlgItemAs<ComboBoxControl>(kShape);
        d.GotoDlgCtrl(combo);
        combo->ShowDropDown(true);
        ASSERT_TRUE(combo->GetDroppedState());
        Press(combo, VK_ESCAPE);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_FALSE(combo->GetDroppedState());
        Press(combo, VK_ESCAPE);
        EXPECT_TRUE(d.IsEnded());
    });
    EXPECT_EQ(dlg.DoModal(), 2);
}

TEST_F(DialogLayer, TabMovesAmongTabStops) {
    TestDialog dlg;
    ScopedModalDialogHook hook([](PlatformDialog& d) {
        const int order[] = {kName, kCount, kShape, kMirror, kRound, kTop, kLayers, kApply, 1, 2};
        EXPECT_EQ(PlatformWindow::GetFocus(), d.GetDlgItem(kName));
        for (size_t i = 1; i < std::size(order); ++i) {
            Press(PlatformWindow::GetFocus(), VK_TAB);
            EXPECT_EQ(PlatformWindow::GetFocus(), d.GetDlgItem(order[i])) << i;
        }
        Press(PlatformWindow::GetFocus(), VK_TAB); // wraps
        EXPECT_EQ(PlatformWindow::GetFocus(), d.GetDlgItem(kName));
        SimulateKey(PlatformWindow::GetFocus(), true, VK_TAB, L"", MK_SHIFT);
        SimulateKey(PlatformWindow::GetFocus(), false, VK_TAB, L"", MK_SHIFT);
        EXPECT_EQ(PlatformWindow::GetFocus(), d.GetDlgItem(2));
        // Disabled controls are skipped.
        d.EnableDlgItem(kCount, false);
        d.GotoDlgCtrl(kName);
        Press(PlatformWindow::GetFocus(), VK_TAB);
        EXPECT_EQ(PlatformWindow::GetFocus(), d.GetDlgItem(kShape));
        d.EndDialog(2);
    });
    dlg.DoModal();
}

TEST_F(DialogLayer, TheHookDrivesTheDialogAndDoModalAnswersTheEndedId) {
    TestDialog dlg;
    ScopedModalDialogHook hook([](PlatformDialog& d) {
        d.GotoDlgCtrl(kName); // selects all: typing replaces
        SimulateTyping(d.GetDlgItem(kName), L"C12");
        d.SetDlgItemText(kCount, L" 16 ");
        Click(d.GetDlgItem(kMirror));
        Click(d.GetDlgItem(kRound));
        Click(d.GetDlgItem(kTop));
        d.GetDlgItemAs<ComboBoxControl>(kShape)->SetCurSel(2);
        Click(d.GetDlgItem(1));
    });
    EXPECT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(dlg.name, L"C12");
    EXPECT_EQ(dlg.count, 16);
    EXPECT_EQ(dlg.mirror, 1);
    EXPECT_EQ(dlg.padShape, 0);
    EXPECT_EQ(dlg.side, 0);
    EXPECT_EQ(dlg.shape, 2);

    // Apply ends with its own id; a second run starts afresh.
    ScopedModalDialogHook apply([](PlatformDialog& d) { Click(d.GetDlgItem(kApply)); });
    EXPECT_EQ(dlg.DoModal(), 7);
    EXPECT_EQ(dlg.initDialogs, 2);
}

TEST_F(DialogLayer, DataExchangeShowsAndReadsEveryKind) {
    ScopedUiHooksRecorder ui;
    TestDialog dlg;
    dlg.mirror = 5; // outside 0..2: shown unchecked and reset
    dlg.padShape = 2;
    dlg.side = -1; // no radio of the group checked
    ScopedModalDialogHook hook([&](PlatformDialog& d) {
        EXPECT_EQ(d.GetDlgItemAs<ComboBoxControl>(kShape)->GetCurSel(), 1);
        EXPECT_EQ(d.IsDlgButtonChecked(kMirror), BST_UNCHECKED);
        EXPECT_EQ(d.IsDlgButtonChecked(kOval), BST_CHECKED);
        EXPECT_EQ(d.IsDlgButtonChecked(kTop), BST_UNCHECKED);
        EXPECT_EQ(d.IsDlgButtonChecked(kBottom), BST_UNCHECKED);

        // An unreadable integer: stored as 0, beep, focus, exchange stops.
        d.SetDlgItemText(kCount, L"12x");
        d.SetDlgItemText(kName, L"U7");
        d.CheckDlgButton(kMirror, BST_CHECKED);
        Click(d.GetDlgItem(1));
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(dlg.name, L"U7");
        EXPECT_EQ(dlg.count, 0);
        EXPECT_EQ(dlg.mirror, 0); // not read: after the failure
        EXPECT_EQ(ui.beeps, (std::vector<unsigned>{kSimpleBeep}));
        EXPECT_EQ(PlatformWindow::GetFocus(), d.GetDlgItem(kCount));

        d.SetDlgItemText(kCount, L"-3");
        Click(d.GetDlgItem(1));
    });
    EXPECT_EQ(dlg.DoModal(), 1);
    EXPECT_EQ(dlg.count, -3);
    EXPECT_EQ(dlg.mirror, 1);
    EXPECT_EQ(dlg.side, -1);
    EXPECT_EQ(dlg.padShape, 2);
}

TEST_F(DialogLayer, DialogItemIntegers) {
    TestDialog dlg;
    ScopedModalDialogHook hook([](PlatformDialog& d) {
        struct Case {
            const wchar_t* text;
            bool isSigned;
            bool ok;
            int value;
        };
        const Case cases[] = {
            {L"42", true, true, 42},         {L"  42\t", true, true, 42},
            {L"-42", true, true, -42},       {L"-42", false, false, 0},
            {L"", true, false, 0},           {L"4 2", true, false, 0},
            {L"2147483648", true, false, 0}, {L"4294967295", false, true, -1},
            {L"1.5", true, false, 0},
        };
        for (const Case& c : cases) {
            d.SetDlgItemText(kCount, c.text);
            bool ok = !c.ok;
            int v = d.GetDlgItemInt(kCount, &ok, c.isSigned);
            EXPECT_EQ(ok, c.ok) << c.text;
            EXPECT_EQ(v, c.value) << c.text;
        }
        uint32_t u = 0;
        d.SetDlgItemText(kCount, L"4000000000");
        EXPECT_TRUE(d.DDX_UInt(kCount, u, true));
        EXPECT_EQ(u, 4000000000u);
        u = 17;
        d.DDX_UInt(kCount, u, false);
        EXPECT_EQ(d.GetDlgItemText(kCount), L"17");
        d.EndDialog(2);
    });
    dlg.DoModal();
}

TEST_F(DialogLayer, NoModalRunHangsWithoutAnAnswer) {
    TestDialog dlg;
    // No hook: cancelled at once on the offscreen platform; on a display it
    // waits until the user presses Esc.
    {
        ScopedKeyPresser user("Escape");
        EXPECT_EQ(dlg.DoModal(), 2);
    }
    EXPECT_EQ(dlg.initDialogs, 1);
    EXPECT_FALSE(dlg.IsWindow());
    // A hook that leaves the dialog open: cancelled after it returns.
    {
        ScopedModalDialogHook hook([](PlatformDialog&) {});
        EXPECT_EQ(dlg.DoModal(), 2);
    }
    // Closing the window counts as Cancel.
    ScopedModalDialogHook close([](PlatformDialog& d) { d.SendMessage(WM_CLOSE); });
    EXPECT_EQ(dlg.DoModal(), 2);
}

TEST_F(DialogLayer, NestedModalDialogsEachGetTheHook) {
    TestDialog outer;
    std::vector<std::wstring> seen;
    ScopedModalDialogHook hook([&](PlatformDialog& d) {
        seen.push_back(d.Template().title);
        if (&d != &outer) {
            // Keys of the inner dialog end the inner one only.
            Press(d.GetDlgItem(kName), VK_ESCAPE);
            return;
        }
        DialogTemplate t = TestTemplate();
        t.title = L"Inner";
        TestDialog inner;
        EXPECT_EQ(inner.DoModal(&d), 2);
        EXPECT_FALSE(d.IsEnded());
        Press(d.GetDlgItem(kName), VK_RETURN);
    });
    EXPECT_EQ(outer.DoModal(), 1);
    EXPECT_EQ(seen.size(), 2u);
}

// A list whose rows are drawn by the dialog and toggled by a click anywhere
// in the row, as lists with owner-drawn check boxes work.
class ToggleList : public ListViewControl {
public:
    ~ToggleList() override { DestroyWindow(); }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM, LPARAM l, LRESULT& r) override {
        if (msg != WM_LBUTTONDOWN)
            return false;
        int row = HitTest(POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)});
        if (row >= 0)
            SetCheckState(row, !GetCheckState(row));
        r = 0;
        return true;
    }
};

class ListDialog : public PlatformDialog {
public:
    ListDialog() : PlatformDialog(Template()) {}
    ~ListDialog() override { DestroyWindow(); }
    std::unique_ptr<ImageList> images = ImageList::FromResource(257, 16, 0xFF00FF);
    std::vector<int> drawn;

    static DialogTemplate Template() {
        DialogItem list{DialogItemKind::ReportList,
                        kLayers,
                        L"",
                        7,
                        7,
                        180,
                        100,
                        WS_TABSTOP | LVS_SINGLESEL | LVS_OWNERDRAWFIXED,
                        LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES,
                        {{L"Layer", 150}, {L"Layer type", 80}}};
        return DialogTemplate{901, L"Rows", 200,
                              140, false,   {list, DlgDefButton(1, L"OK", 7, 115, 50, 14)}};
    }

protected:
    std::unique_ptr<PlatformWindow> MakeControl(const DialogItem& item) override {
        if (item.id == kLayers)
            return std::make_unique<ToggleList>();
        return nullptr;
    }
    bool ProcessWindowMessage(UINT msg, WPARAM, LPARAM l, LRESULT& r) override {
        if (msg == WM_INITDIALOG) {
            auto* list = GetDlgItemAs<ListViewControl>(kLayers);
            list->SetImageList(images.get(), LVSIL_STATE);
            for (const wchar_t* name : {L"Top", L"Bottom", L"Board outline"})
                list->SetCheckState(list->InsertItem(list->GetItemCount(), name), true);
            r = 1;
            return true;
        }
        if (msg == WM_DRAWITEM) {
            drawn.push_back(LParamToPtr<DRAWITEMSTRUCT>(l)->itemID);
            r = 1;
            return true;
        }
        return false;
    }
};

TEST_F(DialogLayer, ReportListWithCheckBoxesAndOwnerDrawnRows) {
    ListDialog dlg;
    ScopedModalDialogHook hook([&](PlatformDialog& d) {
        auto* list = d.GetDlgItemAs<ToggleList>(kLayers);
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->GetItemCount(), 3);
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(list->GetCheckState(i));
        RECT row;
        ASSERT_TRUE(list->GetItemRect(1, &row));
        SimulateMouse(list, WM_LBUTTONDOWN, POINT{100, (row.top + row.bottom) / 2}, MK_LBUTTON);
        EXPECT_FALSE(list->GetCheckState(1));
        EXPECT_TRUE(list->GetCheckState(0));
        SimulateMouse(list, WM_LBUTTONDOWN, POINT{5, (row.top + row.bottom) / 2}, MK_LBUTTON);
        EXPECT_TRUE(list->GetCheckState(1));
        EXPECT_EQ(STATEIMAGEMASKTOINDEX(list->GetItemState(1, LVIS_STATEIMAGEMASK)), 2u);
        // Rows reach the dialog to be drawn.
        auto image = PaintTarget::CreateImage(300, 220);
        d.RenderTo(*image);
        EXPECT_FALSE(dlg.drawn.empty());
        d.EndDialog(1);
    });
    EXPECT_EQ(dlg.DoModal(), 1);
}

TEST_F(DialogLayer, ASelfDrawnListTogglesOnItsCheckBoxOnly) {
    TestDialog dlg;
    ScopedModalDialogHook hook([](PlatformDialog& d) {
        auto* list = d.GetDlgItemAs<ListViewControl>(kLayers);
        auto images = ImageList::FromResource(257, 16, 0xFF00FF);
        list->SetImageList(images.get(), LVSIL_STATE);
        list->InsertItem(0, L"Top");
        EXPECT_FALSE(list->GetCheckState(0)); // new rows start unchecked
        RECT row;
        list->GetItemRect(0, &row);
        int y = (row.top + row.bottom) / 2;
        SimulateMouse(list, WM_LBUTTONDOWN, POINT{60, y}, MK_LBUTTON);
        SimulateMouse(list, WM_LBUTTONUP, POINT{60, y});
        EXPECT_FALSE(list->GetCheckState(0));
        SimulateMouse(list, WM_LBUTTONDOWN, POINT{8, y}, MK_LBUTTON);
        SimulateMouse(list, WM_LBUTTONUP, POINT{8, y});
        EXPECT_TRUE(list->GetCheckState(0));
        auto image = PaintTarget::CreateImage(300, 358);
        d.RenderTo(*image); // paints the state image without an owner
        list->SetImageList(nullptr, LVSIL_STATE);
        d.EndDialog(2);
    });
    dlg.DoModal();
}

TEST_F(DialogLayer, ModelessChildDialog) {
    PlatformWindow host;
    ASSERT_TRUE(host.Create(nullptr, RECT{0, 0, 400, 300}, L"host", WS_POPUP));
    DialogTemplate t{267,
                     L"",
                     65,
                     18,
                     true,
                     {DlgButton(1020, L"<<", 0, 2, 16, 14), DlgEdit(1023, 18, 3, 28, 12),
                      DlgButton(1022, L">>", 48, 2, 16, 14)}};
    PlatformDialog child(t);
    ASSERT_TRUE(child.Create(&host));
    EXPECT_TRUE(child.GetStyle() & WS_CHILD);
    EXPECT_EQ(child.GetParent(), &host);
    EXPECT_TRUE(child.IsWindowVisible() || !host.IsWindowVisible());
    EXPECT_EQ(child.GetDlgItemText(1022), L">>");
    child.DestroyWindow();
    host.DestroyWindow();
}

} // namespace

// The controls driven through messages and simulated input, as the property
// panel and the dialogs use them.
#include "platform/bitmap.h"
#include "platform/button_control.h"
#include "platform/combo_box_control.h"
#include "platform/edit_control.h"
#include "platform/input_simulation.h"
#include "platform/key_state.h"
#include "platform/list_box_control.h"
#include "platform/list_view_control.h"
#include "platform/paint_target.h"
#include "platform/tab_control.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct Note {
    UINT msg;
    int id;
    int code;
    PlatformWindow* from;
};

// A parent that records notifications, answers measure requests and draws
// owner-drawn items as solid colours picked by item index.
class Host : public PlatformWindow {
public:
    ~Host() override { DestroyWindow(); }
    std::vector<Note> notes;
    std::vector<DRAWITEMSTRUCT> draws;
    UINT rowHeight = 20;
    std::function<void(int id, int code)> onCommand;

    std::vector<int> Codes(int id) const {
        std::vector<int> out;
        for (const Note& n : notes)
            if (n.msg == WM_COMMAND && n.id == id)
                out.push_back(n.code);
        return out;
    }
    static ARGB ColorOf(int item) { return 0xFF000000u | static_cast<ARGB>(0x102030 * (item + 1)); }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& r) override {
        switch (msg) {
        case WM_COMMAND:
            notes.push_back(Note{msg, static_cast<int>(LOWORD(w)), static_cast<int>(HIWORD(w)),
                                 WindowFromLParam(l)});
            if (onCommand)
                onCommand(static_cast<int>(LOWORD(w)), static_cast<int>(HIWORD(w)));
            r = 0;
            return true;
        case WM_NOTIFY: {
            auto* hdr = LParamToPtr<NMHDR>(l);
            notes.push_back(Note{msg, static_cast<int>(hdr->idFrom), static_cast<int>(hdr->code),
                                 hdr->hwndFrom});
            if (hdr->code == NM_CLICK)
                lastClick = *LParamToPtr<NMITEMACTIVATE>(l);
            return true;
        }
        case WM_MEASUREITEM:
            LParamToPtr<MEASUREITEMSTRUCT>(l)->itemHeight = rowHeight;
            r = 1;
            return true;
        case WM_DRAWITEM: {
            auto* dis = LParamToPtr<DRAWITEMSTRUCT>(l);
            draws.push_back(*dis);
            // A BGR colour whose ARGB form is ColorOf(item).
            ARGB c = ColorOf(dis->itemID);
            COLORREF ref = MakeColorRef((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
            FillPaintRect(dis->target, dis->rcItem, ref);
            r = 1;
            return true;
        }
        default:
            return false;
        }
    }

public:
    NMITEMACTIVATE lastClick;
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetKeyState();
        ASSERT_TRUE(host.Create(nullptr, RECT{0, 0, 300, 300}, L"host", WS_VISIBLE));
    }
    void TearDown() override {
        PlatformWindow::SetFocusTo(nullptr);
        host.DestroyWindow();
        PumpPendingMessages();
    }
    Host host;
};

// ---- edit ------------------------------------------------------------------

TEST_F(ControlsTest, EditTakesTypedTextAndReportsFocusAndChanges) {
    EditControl edit;
    ASSERT_TRUE(edit.Create(&host, RECT{10, 10, 110, 30}, L"12.5",
                            WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 7));
    EXPECT_EQ(edit.GetWindowText(), L"12.5");
    edit.SetFocus();
    EXPECT_EQ(host.Codes(7), std::vector<int>{EN_SETFOCUS});
    edit.SetSel(0, -1);
    int s = -1, e = -1;
    edit.GetSel(&s, &e);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(e, 4);
    host.notes.clear();
    // Typing replaces the selection, key by key.
    SimulateTyping(&edit, L"3,7");
    EXPECT_EQ(edit.GetWindowText(), L"3,7");
    EXPECT_EQ(host.Codes(7), (std::vector<int>{EN_CHANGE, EN_CHANGE, EN_CHANGE}));
    // Messages work as the keys do: WM_KEYDOWN moves and deletes, WM_CHAR types.
    edit.SendMessage(WM_KEYDOWN, VK_BACK, 0);
    edit.SendMessage(WM_KEYDOWN, VK_HOME, 0);
    edit.SendMessage(WM_CHAR, L'x', 0);
    edit.SendMessage(WM_CHAR, VK_BACK, 0); // a control character types nothing
    EXPECT_EQ(edit.GetWindowText(), L"x3,");
    edit.LimitText(4);
    EXPECT_EQ(edit.GetLimitText(), 4);
    edit.SendMessage(WM_KEYDOWN, VK_END, 0);
    SimulateTyping(&edit, L"abc");
    EXPECT_EQ(edit.GetWindowText(), L"x3,a");
    // Losing the focus is reported to the parent.
    host.notes.clear();
    host.SetFocus();
    EXPECT_EQ(host.Codes(7), std::vector<int>{EN_KILLFOCUS});
    EXPECT_EQ(host.notes[0].from, &edit);
}

TEST_F(ControlsTest, KeysOnAnEditPassThePreTranslationHookFirst) {
    EditControl edit;
    ASSERT_TRUE(edit.Create(&host, RECT{10, 10, 110, 30}, L"ab", WS_CHILD | WS_VISIBLE, 0, 7));
    // As the main frame does while a property row is being edited.
    struct EnterTaker : MessageFilter {
        EnterTaker() { AddMessageFilter(this); }
        ~EnterTaker() override { RemoveMessageFilter(this); }
        int taken = 0;
        bool PreTranslateMessage(Message* m) override {
            if (m->message == WM_KEYDOWN && m->wParam == VK_RETURN) {
                ++taken;
                return true;
            }
            return false;
        }
    } filter;
    edit.SetFocus();
    edit.SendMessage(WM_KEYDOWN, VK_END, 0);
    SimulateKey(&edit, true, VK_RETURN, L"\r");
    SimulateTyping(&edit, L"c");
    EXPECT_EQ(filter.taken, 1);
    EXPECT_EQ(edit.GetWindowText(), L"abc");
}

// ---- button ----------------------------------------------------------------

TEST_F(ControlsTest, ButtonClickSendsBnClicked) {
    ButtonControl button;
    ASSERT_TRUE(button.Create(&host, RECT{10, 10, 40, 30}, L"...", WS_CHILD | WS_VISIBLE, 0, 33));
    SimulateMouse(&button, WM_LBUTTONDOWN, POINT{5, 5}, MK_LBUTTON);
    EXPECT_TRUE(button.IsPushed());
    EXPECT_EQ(PlatformWindow::GetCapture(), &button);
    EXPECT_TRUE(host.Codes(33).empty());
    SimulateMouse(&button, WM_LBUTTONUP, POINT{6, 6});
    ASSERT_EQ(host.Codes(33), std::vector<int>{BN_CLICKED});
    EXPECT_EQ(host.notes.back().from, &button);
    EXPECT_EQ(PlatformWindow::GetCapture(), nullptr);
    // Released outside: no click.
    SimulateMouse(&button, WM_LBUTTONDOWN, POINT{5, 5}, MK_LBUTTON);
    SimulateMouse(&button, WM_MOUSEMOVE, POINT{50, 5}, MK_LBUTTON);
    EXPECT_FALSE(button.IsPushed());
    SimulateMouse(&button, WM_LBUTTONUP, POINT{50, 5});
    EXPECT_EQ(host.Codes(33).size(), 1u);
    button.Click();
    EXPECT_EQ(host.Codes(33).size(), 2u);
    EXPECT_GT(button.MeasureText(L"...").cx, 0);
}

TEST_F(ControlsTest, BitmapButtonShowsItsPictureCentred) {
    ButtonControl button;
    ASSERT_TRUE(
        button.Create(&host, RECT{0, 0, 20, 20}, L"", WS_CHILD | WS_VISIBLE | BS_BITMAP, 0, 34));
    auto dots = Bitmap::LoadResource(385);
    ASSERT_TRUE(dots);
    EXPECT_EQ(dots->Width(), 12);
    EXPECT_EQ(dots->Height(), 12);
    button.SetBitmap(dots);
    auto image = PaintTarget::CreateImage(20, 20);
    button.RenderTo(*image);
    // The picture sits at (4, 4); compare it pixel by pixel.
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x)
            ASSERT_EQ(image->PixelAt(4 + x, 4 + y), dots->PixelAt(x, y)) << x << "," << y;
}

// ---- list view -------------------------------------------------------------

class ListTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        ASSERT_TRUE(list.Create(&host, RECT{0, 0, 200, 100}, L"",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL |
                                    LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER,
                                0, 40));
        list.SetExtendedListViewStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES);
        list.InsertColumn(0, L"", 194);
        for (int i = 0; i < 8; ++i)
            list.InsertItem(i, L"row", 1000 + i);
    }
    void TearDown() override {
        list.DestroyWindow();
        ControlsTest::TearDown();
    }
    ListViewControl list;
};

TEST_F(ListTest, RowsTakeTheMeasuredHeightAndAreDrawnByTheParent) {
    EXPECT_EQ(list.GetRowHeight(), 20);
    RECT r;
    ASSERT_TRUE(list.GetItemRect(2, &r));
    EXPECT_EQ(r, (RECT{0, 40, 194, 60}));
    EXPECT_EQ(list.GetItemData(3), 1003);
    list.SelectItem(1);
    auto image = PaintTarget::CreateImage(200, 100);
    list.RenderTo(*image);
    // Five rows fit in 100 pixels: rows 0-4 are drawn, each once.
    ASSERT_EQ(host.draws.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        const DRAWITEMSTRUCT& d = host.draws[static_cast<size_t>(i)];
        EXPECT_EQ(d.itemID, i);
        EXPECT_EQ(d.CtlType, ODT_LISTVIEW);
        EXPECT_EQ(d.CtlID, 40u);
        EXPECT_EQ(d.hwndItem, &list);
        EXPECT_EQ(d.itemData, 1000 + i);
        EXPECT_EQ(d.rcItem, (RECT{0, 20 * i, 194, 20 * i + 20}));
        EXPECT_EQ((d.itemState & ODS_SELECTED) != 0, i == 1);
        EXPECT_EQ(image->PixelAt(100, 20 * i + 5), Host::ColorOf(i));
    }
    // Grid lines on the bottom pixel row of each row; at the right edge,
    // over the column's end, the scroll bar of a list showing five rows of
    // eight.
    EXPECT_NE(image->PixelAt(100, 19), Host::ColorOf(0));
    EXPECT_TRUE(list.HasScrollBar());
    EXPECT_NE(image->PixelAt(198, 50), 0xFFFFFFFFu);
    // Content height as the panel computes it: (rows + 1) * h + 3.
    EXPECT_EQ((list.GetItemCount() + 1) * list.GetRowHeight() + 3, 183);
}

TEST_F(ListTest, ClickFocusesSelectsAndNotifies) {
    EditControl other;
    ASSERT_TRUE(other.Create(&host, RECT{0, 200, 50, 220}, L"", WS_CHILD | WS_VISIBLE, 0, 8));
    other.SetFocus();
    host.notes.clear();
    SimulateMouse(&list, WM_LBUTTONDOWN, POINT{150, 45}, MK_LBUTTON);
    // The editor lost the focus before the click was reported.
    ASSERT_EQ(host.notes.size(), 2u);
    EXPECT_EQ(host.notes[0].code, EN_KILLFOCUS);
    EXPECT_EQ(host.notes[1].msg, WM_NOTIFY);
    EXPECT_EQ(host.notes[1].code, static_cast<int>(NM_CLICK));
    EXPECT_EQ(host.notes[1].from, &list);
    EXPECT_EQ(host.lastClick.iItem, 2);
    EXPECT_EQ(host.lastClick.ptAction, (POINT{150, 45}));
    EXPECT_EQ(PlatformWindow::GetFocus(), &list);
    EXPECT_EQ(list.GetSelectedIndex(), 2);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_FOCUSED), 2);
    // Below the last row: reported with no item.
    list.DeleteItem(7);
    list.DeleteItem(6);
    list.DeleteItem(5);
    list.DeleteItem(4);
    SimulateMouse(&list, WM_LBUTTONDOWN, POINT{10, 95}, MK_LBUTTON);
    EXPECT_EQ(host.lastClick.iItem, -1);
    UINT flags = 0;
    EXPECT_EQ(list.HitTest(POINT{10, 95}, &flags), -1);
    EXPECT_EQ(flags, LVHT_BELOW);
    EXPECT_EQ(list.HitTest(POINT{10, 79}, &flags), 3);
    EXPECT_EQ(flags, LVHT_ONITEM);
}

TEST_F(ListTest, WheelAndKeysScrollTheRows) {
    SimulateWheel(&list, POINT{10, 10}, -WHEEL_DELTA);
    EXPECT_EQ(list.GetTopIndex(), 3); // 8 rows, 5 per page
    RECT r;
    list.GetItemRect(3, &r);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(list.HitTest(POINT{10, 5}), 3);
    SimulateWheel(&list, POINT{10, 10}, 2 * WHEEL_DELTA);
    EXPECT_EQ(list.GetTopIndex(), 0);
    list.SelectItem(4);
    list.SendMessage(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(list.GetSelectedIndex(), 5);
    EXPECT_EQ(list.GetTopIndex(), 1);
}

// ---- combo box -------------------------------------------------------------

class ComboTest : public ControlsTest {
protected:
    void Make(uint32_t style) {
        ASSERT_TRUE(
            combo.Create(&host, RECT{10, 10, 110, 30}, L"", WS_CHILD | WS_VISIBLE | style, 0, 50));
        for (const wchar_t* s : {L"Select", L"Red", L"Green", L"Yellow"})
            combo.AddString(s);
        host.notes.clear();
    }
    void TearDown() override {
        combo.DestroyWindow();
        ControlsTest::TearDown();
    }
    void ClickEntry(int i) {
        PlatformWindow* drop = combo.GetDropDownWindow();
        ASSERT_TRUE(drop);
        int y = i * combo.GetItemHeight() + 2;
        SimulateMouse(drop, WM_LBUTTONDOWN, POINT{10, y}, MK_LBUTTON);
        SimulateMouse(drop, WM_LBUTTONUP, POINT{10, y});
    }
    ComboBoxControl combo;
};

TEST_F(ComboTest, OwnerDrawnDropDownDrawsEntriesThroughTheParent) {
    Make(CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED);
    combo.SetCurSel(1);
    EXPECT_EQ(combo.GetItemHeight(), 20);
    combo.SendMessage(CB_SHOWDROPDOWN, 1, 0);
    EXPECT_EQ(combo.SendMessage(CB_GETDROPPEDSTATE), 1);
    EXPECT_EQ(host.Codes(50), std::vector<int>{CBN_DROPDOWN});
    PlatformWindow* drop = combo.GetDropDownWindow();
    ASSERT_TRUE(drop);
    EXPECT_EQ(drop->GetWindowRect().top, combo.GetWindowRect().bottom);
    auto image = PaintTarget::CreateImage(100, 82);
    host.draws.clear();
    drop->RenderTo(*image);
    ASSERT_EQ(host.draws.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        const DRAWITEMSTRUCT& d = host.draws[static_cast<size_t>(i)];
        EXPECT_EQ(d.CtlType, ODT_COMBOBOX);
        EXPECT_EQ(d.hwndItem, &combo);
        EXPECT_EQ(d.itemID, i);
        EXPECT_EQ(d.rcItem.top, 20 * i);
        EXPECT_EQ((d.itemState & ODS_SELECTED) != 0, i == 1);
        EXPECT_EQ(d.itemState & ODS_COMBOBOXEDIT, 0u);
        EXPECT_EQ(image->PixelAt(50, 20 * i + 10), Host::ColorOf(i));
    }
    // The closed box draws the selection field.
    host.draws.clear();
    combo.SendMessage(CB_SHOWDROPDOWN, 0, 0);
    auto face = PaintTarget::CreateImage(100, 20);
    combo.RenderTo(*face);
    ASSERT_EQ(host.draws.size(), 1u);
    EXPECT_EQ(host.draws[0].itemID, 1);
    EXPECT_NE(host.draws[0].itemState & ODS_COMBOBOXEDIT, 0u);
}

TEST_F(ComboTest, PickingAnEntrySelectsAndCloses) {
    Make(CBS_DROPDOWNLIST);
    SimulateMouse(&combo, WM_LBUTTONDOWN, POINT{5, 5}, MK_LBUTTON);
    SimulateMouse(&combo, WM_LBUTTONUP, POINT{5, 5});
    EXPECT_EQ(PlatformWindow::GetFocus(), &combo);
    EXPECT_TRUE(combo.GetDroppedState());
    ClickEntry(2);
    EXPECT_EQ(combo.GetCurSel(), 2);
    EXPECT_EQ(combo.GetWindowText(), L"Green");
    EXPECT_FALSE(combo.GetDroppedState());
    EXPECT_EQ(host.Codes(50), (std::vector<int>{CBN_SETFOCUS, CBN_DROPDOWN, CBN_SELCHANGE,
                                                CBN_SELENDOK, CBN_CLOSEUP}));
    // Keys: arrows move the selection, F4 opens, Esc closes without a choice.
    host.notes.clear();
    combo.SendMessage(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(combo.GetCurSel(), 3);
    combo.SendMessage(WM_KEYDOWN, VK_DOWN, 0); // stays on the last entry
    combo.SendMessage(WM_KEYDOWN, VK_F4, 0);
    combo.SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(host.Codes(50),
              (std::vector<int>{CBN_SELCHANGE, CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
    EXPECT_EQ(combo.SetCurSel(9), CB_ERR);
    EXPECT_EQ(combo.GetCurSel(), -1);
    EXPECT_EQ(combo.FindStringExact(-1, L"Yellow"), 3);
}

TEST_F(ComboTest, LosingTheFocusClosesAndReports) {
    Make(CBS_DROPDOWNLIST);
    combo.SetFocus();
    combo.ShowDropDown(true);
    host.notes.clear();
    host.SetFocus();
    EXPECT_FALSE(combo.GetDroppedState());
    EXPECT_EQ(host.Codes(50), (std::vector<int>{CBN_SELENDCANCEL, CBN_CLOSEUP, CBN_KILLFOCUS}));
    // Destroying the focused box reports the loss of focus too.
    combo.SetFocus();
    host.notes.clear();
    combo.DestroyWindow();
    EXPECT_EQ(host.Codes(50), std::vector<int>{CBN_KILLFOCUS});
}

TEST_F(ComboTest, ParentMayDestroyTheBoxWhileItReportsTheChoice) {
    Make(CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED);
    int chosen = -1;
    // As a property row does: the close-up moves the focus away, the loss
    // of focus commits the row, and the commit destroys the editor.
    host.onCommand = [&](int id, int code) {
        if (id != 50)
            return;
        if (code == CBN_CLOSEUP)
            host.SetFocus();
        if (code == CBN_KILLFOCUS) {
            chosen = combo.GetCurSel();
            combo.DestroyWindow();
        }
    };
    combo.SetFocus();
    combo.ShowDropDown(true);
    ClickEntry(3);
    host.onCommand = nullptr;
    EXPECT_EQ(chosen, 3);
    EXPECT_FALSE(combo.IsWindow());
    PumpPendingMessages();
}

TEST_F(ComboTest, EditableBoxTypesAndReportsFocusOnlyAtItsBorder) {
    Make(CBS_DROPDOWN | CBS_AUTOHSCROLL);
    EditControl* edit = combo.GetEditControl();
    ASSERT_TRUE(edit);
    combo.SetFocus();
    EXPECT_EQ(PlatformWindow::GetFocus(), edit);
    EXPECT_EQ(host.Codes(50), std::vector<int>{CBN_SETFOCUS});
    host.notes.clear();
    SimulateTyping(edit, L"Arial");
    EXPECT_EQ(combo.GetWindowText(), L"Arial");
    EXPECT_EQ(host.Codes(50).size(), 5u); // CBN_EDITCHANGE per character
    EXPECT_EQ(host.Codes(50)[0], CBN_EDITCHANGE);
    host.notes.clear();
    // The arrow keys typed into the field work the list.
    edit->SendMessage(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(combo.GetCurSel(), 0);
    EXPECT_EQ(combo.GetWindowText(), L"Select");
    combo.LimitText(31);
    EXPECT_EQ(edit->GetLimitText(), 31);
    host.notes.clear();
    host.SetFocus();
    EXPECT_EQ(host.Codes(50), std::vector<int>{CBN_KILLFOCUS});
}

} // namespace

namespace {

// The property panel's arrangement: the panel reflects its children's
// notifications, and a list derived from the report list handles its own
// measuring, drawing and clicks.
class Panel : public PlatformWindow {
public:
    ~Panel() override { DestroyWindow(); }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& r) override {
        return ReflectNotifications(msg, w, l, r);
    }
};

class OwnList : public ListViewControl {
public:
    std::vector<int> drawn;
    std::vector<int> clicked;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM, LPARAM l, LRESULT& r) override {
        switch (msg) {
        case OCM_BASE + WM_MEASUREITEM:
            LParamToPtr<MEASUREITEMSTRUCT>(l)->itemHeight = 17;
            r = 1;
            return true;
        case OCM_BASE + WM_DRAWITEM:
            drawn.push_back(LParamToPtr<DRAWITEMSTRUCT>(l)->itemID);
            r = 1;
            return true;
        case OCM_BASE + WM_NOTIFY:
            if (LParamToPtr<NMHDR>(l)->code == NM_CLICK)
                clicked.push_back(LParamToPtr<NMITEMACTIVATE>(l)->iItem);
            return true;
        default:
            return false;
        }
    }
};

TEST(ReflectedList, MeasuresDrawsAndHearsItsOwnClicks) {
    Panel panel;
    ASSERT_TRUE(panel.Create(nullptr, RECT{0, 0, 200, 120}, L"", 0));
    OwnList list;
    ASSERT_TRUE(list.Create(&panel, RECT{3, 17, 197, 117}, L"",
                            WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED |
                                LVS_NOCOLUMNHEADER | LVS_SINGLESEL,
                            0, 1));
    list.InsertColumn(0, L"", 194);
    list.InsertItem(0, L"", 0);
    list.InsertItem(1, L"", 0);
    EXPECT_EQ(list.GetRowHeight(), 17);
    auto image = PaintTarget::CreateImage(200, 120);
    panel.RenderTo(*image);
    EXPECT_EQ(list.drawn, (std::vector<int>{0, 1}));
    SimulateMouse(&list, WM_LBUTTONDOWN, POINT{120, 20}, MK_LBUTTON);
    EXPECT_EQ(list.clicked, std::vector<int>{1});
    list.DestroyWindow();
    PlatformWindow::SetFocusTo(nullptr);
}

// ---- list box --------------------------------------------------------------

class ListBoxTest : public ControlsTest {
protected:
    void Make(uint32_t style) {
        ASSERT_TRUE(list.Create(&host, RECT{10, 10, 110, 110}, L"",
                                WS_CHILD | WS_VISIBLE | LBS_NOTIFY | style, 0, 61));
        for (int i = 0; i < 12; ++i)
            list.AddString(L"Entry " + std::to_wstring(i), 100 + i);
        host.notes.clear();
    }
    void TearDown() override {
        list.DestroyWindow();
        ControlsTest::TearDown();
    }
    POINT RowPoint(int row) {
        RECT rc;
        EXPECT_TRUE(list.GetItemRect(row, &rc));
        return POINT{20, rc.top + 2};
    }
    ListBoxControl list;
};

TEST_F(ListBoxTest, OwnerDrawnEntriesTakeTheMeasuredHeightAndAreDrawnByTheParent) {
    Make(LBS_OWNERDRAWFIXED | LBS_HASSTRINGS);
    EXPECT_EQ(list.GetItemHeight(), 20);
    list.SetCurSel(2);
    auto image = PaintTarget::CreateImage(300, 300);
    host.draws.clear();
    host.RenderTo(*image);
    // Five entries fit; each is drawn by the parent in its own rectangle.
    ASSERT_EQ(host.draws.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        const DRAWITEMSTRUCT& d = host.draws[static_cast<size_t>(i)];
        EXPECT_EQ(d.CtlType, ODT_LISTBOX);
        EXPECT_EQ(d.CtlID, 61u);
        EXPECT_EQ(d.itemID, i);
        EXPECT_EQ(d.itemData, 100 + i);
        EXPECT_EQ(d.rcItem, (RECT{0, i * 20, 100, i * 20 + 20}));
        EXPECT_EQ((d.itemState & ODS_SELECTED) != 0, i == 2);
        EXPECT_EQ(image->PixelAt(50, 10 + i * 20 + 10), Host::ColorOf(i));
    }
    EXPECT_EQ(list.GetText(3), L"Entry 3");
}

TEST_F(ListBoxTest, ClicksAndKeysSelectAndNotifyOnlyChanges) {
    Make(0);
    EXPECT_EQ(list.GetCurSel(), -1);
    list.SetCurSel(1); // programs select silently
    EXPECT_TRUE(host.notes.empty());
    SimulateMouse(&list, WM_LBUTTONDOWN, RowPoint(3), MK_LBUTTON);
    SimulateMouse(&list, WM_LBUTTONUP, RowPoint(3));
    EXPECT_EQ(PlatformWindow::GetFocus(), &list);
    EXPECT_EQ(list.GetCurSel(), 3);
    EXPECT_EQ(host.Codes(61), std::vector<int>{LBN_SELCHANGE});
    EXPECT_EQ(host.notes[0].from, &list);
    // A click on the selected entry is reported again; the second click of
    // a double click reports the double click only.
    host.notes.clear();
    SimulateMouse(&list, WM_LBUTTONDOWN, RowPoint(3), MK_LBUTTON);
    SimulateMouse(&list, WM_LBUTTONUP, RowPoint(3));
    SimulateMouse(&list, WM_LBUTTONDBLCLK, RowPoint(3), MK_LBUTTON);
    EXPECT_EQ(host.Codes(61), (std::vector<int>{LBN_SELCHANGE, LBN_DBLCLK}));
    // Scrolled, the rows map to later entries; the last page stays full.
    const int h = list.GetItemHeight();
    const int perPage = 100 / h;
    const int lastTop = 12 - perPage;
    list.SetTopIndex(11);
    EXPECT_EQ(list.GetTopIndex(), lastTop);
    EXPECT_EQ(list.ItemFromPoint(POINT{20, 1}), lastTop);
    EXPECT_EQ(list.ItemFromPoint(POINT{20, 100}), -1);
    list.SetTopIndex(0);
    host.notes.clear();
    // Keys move the selection and scroll it into sight.
    list.SetCurSel(3);
    SimulateKey(&list, true, VK_DOWN);
    EXPECT_EQ(list.GetCurSel(), 4);
    SimulateKey(&list, true, VK_END);
    EXPECT_EQ(list.GetCurSel(), 11);
    EXPECT_EQ(list.GetTopIndex(), lastTop);
    SimulateKey(&list, true, VK_END); // no change, no report
    SimulateKey(&list, true, VK_HOME);
    EXPECT_EQ(list.GetTopIndex(), 0);
    EXPECT_EQ(host.Codes(61), (std::vector<int>{LBN_SELCHANGE, LBN_SELCHANGE, LBN_SELCHANGE}));
    SimulateWheel(&list, POINT{20, 20}, -WHEEL_DELTA);
    EXPECT_EQ(list.GetTopIndex(), 3);
}

TEST_F(ListBoxTest, DeletingAndInsertingKeepTheSelectionOnItsEntry) {
    Make(0);
    list.SetCurSel(5);
    list.InsertString(0, L"First");
    EXPECT_EQ(list.GetCurSel(), 6);
    list.DeleteString(0);
    EXPECT_EQ(list.GetCurSel(), 5);
    list.DeleteString(5);
    EXPECT_EQ(list.GetCurSel(), -1);
    EXPECT_EQ(list.InsertString(99, L"x"), LB_ERR);
    EXPECT_EQ(list.SetCurSel(99), LB_ERR);
    list.ResetContent();
    EXPECT_EQ(list.GetCount(), 0);
}

// ---- tab strip ---------------------------------------------------------------

// The parent refuses a change of tab while refuse is set.
class TabHost : public Host {
public:
    bool refuse = false;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& r) override {
        if (msg == WM_NOTIFY && LParamToPtr<NMHDR>(l)->code == TCN_SELCHANGING) {
            Host::ProcessWindowMessage(msg, w, l, r);
            r = refuse ? 1 : 0;
            return true;
        }
        return Host::ProcessWindowMessage(msg, w, l, r);
    }
};

TEST(TabStrip, ClicksAskTheParentBeforeChangingTabs) {
    TabHost host;
    ASSERT_TRUE(host.Create(nullptr, RECT{0, 0, 300, 200}, L"", WS_VISIBLE));
    TabControl tab;
    ASSERT_TRUE(tab.Create(&host, RECT{5, 5, 295, 195}, L"", WS_CHILD | WS_VISIBLE, 0, 9));
    for (const wchar_t* t : {L"Sheet Size", L"Board colors", L"Other"})
        tab.InsertItem(tab.GetItemCount(), t);
    EXPECT_EQ(tab.GetCurSel(), 0);
    RECT r0, r1;
    ASSERT_TRUE(tab.GetItemRect(0, &r0));
    ASSERT_TRUE(tab.GetItemRect(1, &r1));
    EXPECT_EQ(r0.right, r1.left);
    EXPECT_EQ(r1.bottom, tab.GetTabHeight());
    EXPECT_GT(r1.right - r1.left, tab.MeasureText(L"Board colors").cx);
    POINT on1{(r1.left + r1.right) / 2, 5};
    auto codes = [&] {
        std::vector<UINT> out;
        for (const Note& n : host.notes)
            out.push_back(static_cast<UINT>(n.code));
        host.notes.clear();
        return out;
    };
    host.refuse = true;
    SimulateMouse(&tab, WM_LBUTTONDOWN, on1, MK_LBUTTON);
    EXPECT_EQ(tab.GetCurSel(), 0);
    EXPECT_EQ(codes(), std::vector<UINT>{TCN_SELCHANGING});
    host.refuse = false;
    SimulateMouse(&tab, WM_LBUTTONDOWN, on1, MK_LBUTTON);
    EXPECT_EQ(tab.GetCurSel(), 1);
    EXPECT_EQ(codes(), (std::vector<UINT>{TCN_SELCHANGING, TCN_SELCHANGE}));
    // Beside the tabs and on the shown tab: nothing.
    SimulateMouse(&tab, WM_LBUTTONDOWN, POINT{280, 5}, MK_LBUTTON);
    SimulateMouse(&tab, WM_LBUTTONDOWN, on1, MK_LBUTTON);
    EXPECT_TRUE(codes().empty());
    tab.SetCurSel(2);
    EXPECT_TRUE(codes().empty());
    tab.DestroyWindow();
    PlatformWindow::SetFocusTo(nullptr);
}

} // namespace

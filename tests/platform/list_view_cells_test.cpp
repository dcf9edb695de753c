// What the report list offers lists that edit their cells: cell rectangles
// and hit tests, editors held over a cell while rows come and go, editors
// closed from their own notifications, drag detection, the insert mark, the
// colours of cells asked for by custom drawing, key notifications and row
// images.
#include "platform/bitmap.h"
#include "platform/combo_box_control.h"
#include "platform/edit_control.h"
#include "platform/input_simulation.h"
#include "platform/key_state.h"
#include "platform/list_view_control.h"
#include "platform/paint_target.h"
#include "platform/system_colors.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// A list that closes its editor from inside the editor's own notifications,
// as the dialogs do when a choice or a typed key ends an edit.
class EditingList : public ListViewControl {
public:
    ~EditingList() override { DestroyWindow(); }
    std::vector<int> commands; // notification codes of the editors
    bool closeOnChange = false;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM w, LPARAM, LRESULT& r) override {
        if (msg != WM_COMMAND)
            return false;
        commands.push_back(static_cast<int>(HIWORD(w)));
        if (closeOnChange &&
            (HIWORD(w) == CBN_SELCHANGE || HIWORD(w) == static_cast<unsigned>(EN_CHANGE)))
            CloseCellEditor();
        r = 0;
        return true;
    }
};

class Parent : public PlatformWindow {
public:
    ~Parent() override { DestroyWindow(); }
    std::vector<UINT> codes;
    std::vector<NMITEMACTIVATE> clicks;
    std::vector<NMLISTVIEW> drags;
    std::vector<int> keys;
    // Answers a cell's custom-draw stage; null leaves the defaults.
    std::function<void(NMLVCUSTOMDRAW&)> cellColours;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM, LPARAM l, LRESULT& r) override {
        if (msg != WM_NOTIFY)
            return false;
        auto* hdr = LParamToPtr<NMHDR>(l);
        r = 0;
        if (hdr->code == NM_CUSTOMDRAW) {
            auto* cd = LParamToPtr<NMLVCUSTOMDRAW>(l);
            if (!cellColours)
                return true;
            if (cd->dwDrawStage == CDDS_PREPAINT)
                r = CDRF_NOTIFYITEMDRAW;
            else if (cd->dwDrawStage == CDDS_ITEMPREPAINT)
                r = CDRF_NOTIFYSUBITEMDRAW;
            else
                cellColours(*cd);
            return true;
        }
        codes.push_back(hdr->code);
        if (hdr->code == NM_CLICK)
            clicks.push_back(*LParamToPtr<NMITEMACTIVATE>(l));
        else if (hdr->code == LVN_BEGINDRAG)
            drags.push_back(*LParamToPtr<NMLISTVIEW>(l));
        else if (hdr->code == LVN_KEYDOWN)
            keys.push_back(LParamToPtr<NMLVKEYDOWN>(l)->wVKey);
        return true;
    }
};

class ListCellsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetKeyState();
        ASSERT_TRUE(parent.Create(nullptr, RECT{0, 0, 300, 300}, L"parent", WS_VISIBLE));
        ASSERT_TRUE(list.Create(&parent, RECT{0, 0, 260, 160}, L"",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL, 0, 40));
        list.InsertColumn(0, L"A", 60);
        list.InsertColumn(1, L"B", 80);
        list.InsertColumn(2, L"C", 70);
        for (int i = 0; i < 20; ++i) {
            list.InsertItem(i, L"r" + std::to_wstring(i), 100 + i);
            list.SetItemText(i, 1, L"b" + std::to_wstring(i));
        }
        h = list.GetRowHeight();
        top = list.GetHeaderHeight();
    }
    void TearDown() override {
        PlatformWindow::SetFocusTo(nullptr);
        parent.DestroyWindow();
        PumpPendingMessages();
    }
    POINT CellCentre(int item, int sub) {
        RECT r;
        EXPECT_TRUE(list.GetSubItemRect(item, sub, &r));
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    RECT CellRect(int item, int sub) {
        RECT r;
        EXPECT_TRUE(list.GetSubItemRect(item, sub, &r));
        return r;
    }

    Parent parent;
    EditingList list;
    int h = 0;
    int top = 0;
};

// Cells are hit and measured by column; an edit over a cell stays over it
// while rows are inserted above it and the list scrolls, and closes with
// its row.
TEST_F(ListCellsTest, CellEditFollowsItsCell) {
    RECT r;
    ASSERT_TRUE(list.GetSubItemRect(3, 1, &r));
    EXPECT_EQ(r, (RECT{60, top + 3 * h, 140, top + 4 * h}));
    EXPECT_FALSE(list.GetSubItemRect(3, 3, &r));
    int sub = -1;
    EXPECT_EQ(list.HitTest(POINT{140, top + 4 * h - 1}, nullptr, &sub), 3);
    EXPECT_EQ(sub, 2);

    EditControl* edit = list.OpenCellEdit(4, 1, 3007, L"0.700");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->GetRectInParent(), CellRect(4, 1));
    EXPECT_EQ(PlatformWindow::GetFocus(), edit);
    int s = -1, e = -1;
    edit->GetSel(&s, &e);
    EXPECT_EQ(e - s, 5);
    list.InsertItem(1, L"new");
    EXPECT_EQ(list.GetCellEditorItem(), 5);
    EXPECT_EQ(edit->GetRectInParent(), CellRect(5, 1));
    list.DeleteItem(0);
    list.Scroll(3);
    EXPECT_EQ(list.GetCellEditorItem(), 4);
    EXPECT_EQ(edit->GetRectInParent(), CellRect(4, 1));
    EXPECT_TRUE(edit->IsWindowVisible());
    // Scrolled above the rows' area: hidden, but still open.
    list.Scroll(2);
    EXPECT_FALSE(edit->IsWindowVisible());
    // Deleting its row closes it; the focus stays in the list.
    list.DeleteItem(4);
    EXPECT_EQ(list.GetCellEditor(), nullptr);
    EXPECT_EQ(PlatformWindow::GetFocus(), &list);
    // The edit's notifications went to the list, not to its parent.
    EXPECT_FALSE(list.commands.empty());
    EXPECT_EQ(parent.codes, std::vector<UINT>{});
}

// Closing an editor from inside its own notification is safe (typing, a
// choice by key, a choice by mouse in the open list).
TEST_F(ListCellsTest, EditorsClosedFromTheirOwnNotifications) {
    list.closeOnChange = true;
    EditControl* edit = list.OpenCellEdit(2, 2, 3005, L"");
    ASSERT_NE(edit, nullptr);
    SimulateTyping(edit, L"x");
    EXPECT_EQ(list.GetCellEditor(), nullptr);

    for (bool byMouse : {false, true}) {
        ComboBoxControl* combo = list.OpenCellCombo(1, 1, 3004);
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->GetRectInParent().top, CellRect(1, 1).top);
        combo->AddString(L"one", 1);
        combo->AddString(L"two", 2);
        if (byMouse) {
            SimulateMouse(combo, WM_LBUTTONDOWN, POINT{5, 5}, MK_LBUTTON);
            SimulateMouse(combo, WM_LBUTTONUP, POINT{5, 5});
            PlatformWindow* drop = combo->GetDropDownWindow();
            ASSERT_NE(drop, nullptr);
            const int y = combo->GetItemHeight() + 2;
            SimulateMouse(drop, WM_LBUTTONDOWN, POINT{5, y}, MK_LBUTTON);
            SimulateMouse(drop, WM_LBUTTONUP, POINT{5, y});
        } else {
            combo->SendMessage(WM_KEYDOWN, VK_DOWN, 0);
        }
        EXPECT_EQ(list.GetCellEditor(), nullptr);
    }
}

// With drag detection a press reports its click on release; moving beyond
// the threshold with the button held begins a drag instead.
TEST_F(ListCellsTest, DragDetection) {
    list.SetDragDetect(true);
    POINT p = CellCentre(2, 1);
    SimulateMouse(&list, WM_LBUTTONDOWN, p, MK_LBUTTON);
    EXPECT_EQ(list.GetSelectedIndex(), 2);
    EXPECT_TRUE(parent.clicks.empty());
    EXPECT_EQ(PlatformWindow::GetCapture(), &list);
    POINT near{p.x + ListViewControl::kDragThreshold, p.y - ListViewControl::kDragThreshold};
    SimulateMouse(&list, WM_MOUSEMOVE, near, MK_LBUTTON);
    SimulateMouse(&list, WM_LBUTTONUP, near);
    ASSERT_EQ(parent.clicks.size(), 1u);
    EXPECT_EQ(parent.clicks[0].iItem, 2);
    EXPECT_EQ(parent.clicks[0].iSubItem, 1);
    EXPECT_EQ(parent.clicks[0].ptAction, p);
    EXPECT_EQ(PlatformWindow::GetCapture(), nullptr);
    EXPECT_TRUE(parent.drags.empty());

    POINT q = CellCentre(5, 0);
    SimulateMouse(&list, WM_LBUTTONDOWN, q, MK_LBUTTON);
    SimulateMouse(&list, WM_MOUSEMOVE, POINT{q.x, q.y + h}, MK_LBUTTON);
    ASSERT_EQ(parent.drags.size(), 1u);
    EXPECT_EQ(parent.drags[0].iItem, 5);
    EXPECT_EQ(parent.drags[0].ptAction, q);
    SimulateMouse(&list, WM_MOUSEMOVE, POINT{q.x, q.y + 2 * h}, MK_LBUTTON);
    SimulateMouse(&list, WM_LBUTTONUP, POINT{q.x, q.y + 2 * h});
    EXPECT_EQ(parent.drags.size(), 1u);
    EXPECT_EQ(parent.clicks.size(), 1u);
    EXPECT_EQ(PlatformWindow::GetCapture(), nullptr);
}

// Custom drawing colours single cells; rows shown selected keep the
// selection colours. The insert mark is a black line along the top edge of
// its row with a barb above it.
TEST_F(ListCellsTest, CellColoursAndInsertMark) {
    const COLORREF marked = 0x0080FFFF;
    parent.cellColours = [&](NMLVCUSTOMDRAW& cd) {
        if (cd.iSubItem == 2 || cd.dwItemSpec == 1)
            cd.clrTextBk = marked;
    };
    list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED);
    list.ModifyStyle(0, LVS_SHOWSELALWAYS);
    list.SetInsertMark(6);
    EXPECT_EQ(list.GetInsertMark(), 6);
    auto image = PaintTarget::CreateImage(260, 160);
    list.RenderTo(*image);
    const ARGB markedArgb = ColorRefToArgb(marked, 0xFF);
    const ARGB window = ColorRefToArgb(GetSysColor(COLOR_WINDOW), 0xFF);
    const ARGB highlight = ColorRefToArgb(GetSysColor(COLOR_HIGHLIGHT), 0xFF);
    auto px = [&](int item, int x) { return image->PixelAt(x, top + item * h + 2); };
    EXPECT_EQ(px(0, 150), markedArgb);
    EXPECT_EQ(px(0, 62), window);
    EXPECT_EQ(px(1, 62), markedArgb);
    EXPECT_EQ(px(3, 150), highlight);
    EXPECT_EQ(px(3, 62), highlight);
    // The mark: the boundary line, the barb's far end, nothing beyond.
    const int y = top + 6 * h;
    EXPECT_EQ(image->PixelAt(1, y), 0xFF000000u);
    EXPECT_EQ(image->PixelAt(ListViewControl::kInsertMarkLength, y), 0xFF000000u);
    EXPECT_EQ(image->PixelAt(ListViewControl::kInsertMarkLength - 15, y - 5), 0xFF000000u);
    EXPECT_NE(image->PixelAt(ListViewControl::kInsertMarkLength + 3, y), 0xFF000000u);
    // The mark follows its row and goes with it.
    list.InsertItem(0, L"first");
    EXPECT_EQ(list.GetInsertMark(), 7);
    list.DeleteItem(7);
    EXPECT_EQ(list.GetInsertMark(), -1);
}

// Keys are reported before the list moves its selection; the small image
// of a row is drawn at the start of its first column.
TEST_F(ListCellsTest, KeyNotificationsAndRowImages) {
    list.SelectItem(2);
    list.SetFocus();
    SimulateKey(&list, true, VK_DOWN);
    SimulateKey(&list, false, VK_DOWN);
    EXPECT_EQ(parent.keys, std::vector<int>{VK_DOWN});
    EXPECT_EQ(list.GetSelectedIndex(), 3);

    // Image 1 of the hole kinds: a white hole in a copper ring.
    auto holes = ImageList::FromResource(310, 16, 0xFF00FF);
    ASSERT_NE(holes, nullptr);
    EXPECT_EQ(holes->Count(), 6);
    list.SetImageList(holes.get(), LVSIL_SMALL);
    EXPECT_TRUE(list.SetItemImage(0, 1));
    auto image = PaintTarget::CreateImage(260, 160);
    list.RenderTo(*image);
    const int y = top + (h - 16) / 2 + 8;
    EXPECT_EQ(image->PixelAt(2 + 8, y), 0xFFFFFFFFu);
    EXPECT_EQ(image->PixelAt(2 + 13, y), 0xFFC87533u);
    EXPECT_NE(image->PixelAt(2 + 13, y + h), 0xFFC87533u);
}

} // namespace

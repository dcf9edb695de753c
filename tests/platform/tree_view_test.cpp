// The tree view driven through its methods, messages and simulated input, as
// the document trees and the library browsers use it.
#include "platform/bitmap.h"
#include "platform/dialog.h"
#include "platform/edit_control.h"
#include "platform/input_simulation.h"
#include "platform/key_state.h"
#include "platform/paint_target.h"
#include "platform/system_colors.h"
#include "platform/tree_view_control.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Note {
    UINT code = 0;
    UINT action = 0;
    HTREEITEM oldItem = nullptr;
    HTREEITEM newItem = nullptr;
    std::wstring text; // label edits: the text (or "<null>")
    POINT pt;          // clicks and drags
    UINT hitFlags = 0; // clicks
    int key = 0;       // TVN_KEYDOWN
};

// A parent that records the tree's notifications and answers them from a
// table (code -> answer); a hook may act on one.
class Host : public PlatformWindow {
public:
    ~Host() override { DestroyWindow(); }
    std::vector<Note> notes;
    std::map<UINT, LRESULT> answers;
    std::function<void(const Note&)> onNote;
    int contextMenus = 0;

    std::vector<UINT> Codes() const {
        std::vector<UINT> out;
        for (const Note& n : notes)
            if (n.code != TVN_KEYDOWN && n.code != TVN_DELETEITEM)
                out.push_back(n.code);
        return out;
    }
    const Note* Last(UINT code) const {
        for (auto it = notes.rbegin(); it != notes.rend(); ++it)
            if (it->code == code)
                return &*it;
        return nullptr;
    }

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM, LPARAM l, LRESULT& r) override {
        if (msg == WM_CONTEXTMENU) {
            ++contextMenus;
            r = 0;
            return true;
        }
        if (msg != WM_NOTIFY)
            return false;
        auto* hdr = LParamToPtr<NMHDR>(l);
        Note n;
        n.code = hdr->code;
        switch (hdr->code) {
        case TVN_SELCHANGING:
        case TVN_SELCHANGED:
        case TVN_ITEMEXPANDING:
        case TVN_ITEMEXPANDED:
        case TVN_BEGINDRAG:
        case TVN_DELETEITEM: {
            auto* nm = LParamToPtr<NMTREEVIEW>(l);
            n.action = nm->action;
            n.oldItem = nm->itemOld.hItem;
            n.newItem = nm->itemNew.hItem;
            n.pt = nm->ptDrag;
            break;
        }
        case TVN_BEGINLABELEDIT:
        case TVN_ENDLABELEDIT: {
            auto* di = LParamToPtr<NMTVDISPINFO>(l);
            n.newItem = di->item.hItem;
            n.text = di->item.pszText ? di->item.pszText : L"<null>";
            break;
        }
        case TVN_KEYDOWN:
            n.key = LParamToPtr<NMTVKEYDOWN>(l)->wVKey;
            break;
        case NM_CLICK:
        case NM_DBLCLK:
        case NM_RCLICK: {
            auto* m = LParamToPtr<NMTVMOUSE>(l);
            n.newItem = m->hItem;
            n.hitFlags = m->hitFlags;
            n.pt = m->pt;
            break;
        }
        default:
            break;
        }
        notes.push_back(n);
        auto it = answers.find(hdr->code);
        r = it == answers.end() ? 0 : it->second;
        if (onNote)
            onNote(n);
        return true;
    }
};

constexpr uint32_t kStyle =
    WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_EDITLABELS;

class TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetKeyState();
        ASSERT_TRUE(host.Create(nullptr, RECT{0, 0, 300, 300}, L"host", WS_VISIBLE));
        tree = std::make_unique<TreeViewControl>();
        ASSERT_TRUE(tree->Create(&host, RECT{0, 0, 200, 200}, L"", kStyle, WS_EX_CLIENTEDGE, 24));
        // lib
        //   a
        //     a1
        //     a2
        //   b
        //     b1
        //   c
        lib = tree->InsertItem(L"lib");
        a = tree->InsertItem(L"a", lib);
        a1 = tree->InsertItem(L"a1", a);
        a2 = tree->InsertItem(L"a2", a);
        b = tree->InsertItem(L"b", lib);
        b1 = tree->InsertItem(L"b1", b);
        c = tree->InsertItem(L"c", lib);
    }
    void TearDown() override {
        PlatformWindow::SetFocusTo(nullptr);
        tree.reset();
        host.DestroyWindow();
        PumpPendingMessages();
    }
    // The centre of an item's label.
    POINT LabelPoint(HTREEITEM item) {
        RECT r{};
        EXPECT_TRUE(tree->GetItemRect(item, &r, true));
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Click(POINT p, WPARAM extra = 0) {
        SimulateMouse(tree.get(), WM_LBUTTONDOWN, p, MK_LBUTTON | extra);
        SimulateMouse(tree.get(), WM_LBUTTONUP, p, extra);
    }
    void Key(int vk, const std::wstring& text = L"") {
        SimulateKey(tree.get(), true, vk, text);
        SimulateKey(tree.get(), false, vk);
    }
    std::vector<HTREEITEM> Shown() {
        std::vector<HTREEITEM> out;
        for (HTREEITEM i = tree->GetRootItem(); i; i = tree->GetNextVisibleItem(i))
            out.push_back(i);
        return out;
    }
    void ExpandAll() {
        for (HTREEITEM i : {lib, a, b})
            tree->Expand(i, TVE_EXPAND);
        host.notes.clear();
    }

    Host host;
    std::unique_ptr<TreeViewControl> tree;
    HTREEITEM lib = nullptr, a = nullptr, a1 = nullptr, a2 = nullptr, b = nullptr, b1 = nullptr,
              c = nullptr;
};

// ---- structure ---------------------------------------------------------------

TEST_F(TreeViewTest, InsertionPlacesNavigationAndData) {
    EXPECT_EQ(tree->GetCount(), 7);
    EXPECT_EQ(tree->GetRootItem(), lib);
    EXPECT_EQ(tree->GetChildItem(lib), a);
    EXPECT_EQ(tree->GetNextSiblingItem(a), b);
    EXPECT_EQ(tree->GetPrevSiblingItem(c), b);
    EXPECT_EQ(tree->GetNextSiblingItem(c), nullptr);
    EXPECT_EQ(tree->GetParentItem(b1), b);
    EXPECT_EQ(tree->GetParentItem(lib), nullptr);
    EXPECT_TRUE(tree->ItemHasChildren(a));
    EXPECT_FALSE(tree->ItemHasChildren(c));
    // After a given sibling, in sorted place (case ignored) and first.
    HTREEITEM afterA = tree->InsertItem(L"after a", lib, a);
    HTREEITEM sorted = tree->InsertItem(L"B0", lib, TVI_SORT);
    HTREEITEM first = tree->InsertItem(L"zero", lib, TVI_FIRST);
    std::vector<std::wstring> names;
    for (HTREEITEM i = tree->GetChildItem(lib); i; i = tree->GetNextSiblingItem(i))
        names.push_back(tree->GetItemText(i));
    // "B0" goes before the first greater text: "b" < "B0" < "c".
    EXPECT_EQ(names, (std::vector<std::wstring>{L"zero", L"a", L"after a", L"b", L"B0", L"c"}));
    EXPECT_EQ(tree->GetChildItem(lib), first);
    EXPECT_EQ(tree->GetPrevSiblingItem(afterA), a);
    EXPECT_EQ(tree->GetNextSiblingItem(sorted), c);
    // A place that is not a child of the parent, or a stale handle, fails.
    EXPECT_EQ(tree->InsertItem(L"x", lib, a1), nullptr);
    EXPECT_EQ(tree->InsertItem(L"x", reinterpret_cast<HTREEITEM>(&host)), nullptr);
    // Data, images and texts.
    HTREEITEM d = tree->InsertItem(L"d", 3, 4, c, TVI_LAST, 77);
    int image = 0, selectedImage = 0;
    EXPECT_TRUE(tree->GetItemImage(d, &image, &selectedImage));
    EXPECT_EQ(image, 3);
    EXPECT_EQ(selectedImage, 4);
    EXPECT_EQ(tree->GetItemData(d), 77);
    EXPECT_TRUE(tree->SetItemData(d, 78));
    EXPECT_TRUE(tree->SetItemText(d, L"dd"));
    EXPECT_EQ(tree->GetItemData(d), 78);
    EXPECT_EQ(tree->GetItemText(d), L"dd");
    // A button without children, for children added on expansion.
    EXPECT_TRUE(tree->SetItemHasChildren(b1, true));
    EXPECT_TRUE(tree->ItemHasChildren(b1));
}

TEST_F(TreeViewTest, DeletingReportsEveryItemAndPassesTheSelectionOn) {
    ExpandAll();
    ASSERT_TRUE(tree->SelectItem(a2));
    host.notes.clear();
    ASSERT_TRUE(tree->DeleteItem(a));
    // Children first, then the item itself.
    std::vector<HTREEITEM> deleted;
    for (const Note& n : host.notes)
        if (n.code == TVN_DELETEITEM)
            deleted.push_back(n.oldItem);
    EXPECT_EQ(deleted, (std::vector<HTREEITEM>{a1, a2, a}));
    EXPECT_FALSE(tree->IsItem(a1));
    EXPECT_FALSE(tree->IsItem(a));
    // The selection inside went to the next sibling, with notifications.
    EXPECT_EQ(tree->GetSelectedItem(), b);
    ASSERT_NE(host.Last(TVN_SELCHANGED), nullptr);
    EXPECT_EQ(host.Last(TVN_SELCHANGED)->newItem, b);
    // The last child passes the selection to the previous one, an only child
    // to its parent, which loses its expansion.
    tree->SelectItem(c);
    tree->DeleteItem(c);
    EXPECT_EQ(tree->GetSelectedItem(), b);
    tree->SelectItem(b1);
    tree->DeleteItem(b1);
    EXPECT_EQ(tree->GetSelectedItem(), b);
    EXPECT_EQ(tree->GetItemState(b, TVIS_EXPANDED), 0u);
    EXPECT_FALSE(tree->DeleteItem(b1));
    // Everything at once: no new selection.
    host.notes.clear();
    tree->DeleteAllItems();
    EXPECT_EQ(tree->GetCount(), 0);
    EXPECT_EQ(tree->GetSelectedItem(), nullptr);
    EXPECT_EQ(tree->GetRootItem(), nullptr);
    EXPECT_EQ(host.Last(TVN_SELCHANGED), nullptr);
    EXPECT_EQ(host.notes.size(), 2u); // lib and b
}

TEST_F(TreeViewTest, SortingOrdersChildrenStably) {
    HTREEITEM x = tree->InsertItem(L"x", c);
    HTREEITEM y = tree->InsertItem(L"y", c);
    HTREEITEM w = tree->InsertItem(L"w", c);
    HTREEITEM y2 = tree->InsertItem(L"y", c);
    auto byText = [this](HTREEITEM p, HTREEITEM q) {
        return tree->GetItemText(p) > tree->GetItemText(q);
    };
    ASSERT_TRUE(tree->SortChildren(c, byText));
    std::vector<HTREEITEM> order;
    for (HTREEITEM i = tree->GetChildItem(c); i; i = tree->GetNextSiblingItem(i))
        order.push_back(i);
    EXPECT_EQ(order, (std::vector<HTREEITEM>{y, y2, x, w}));
    EXPECT_EQ(tree->GetPrevSiblingItem(w), x);
    // Recursively from the top.
    ASSERT_TRUE(tree->SortChildren(TVI_ROOT, byText, true));
    EXPECT_EQ(tree->GetChildItem(lib), c);
    EXPECT_EQ(tree->GetChildItem(a), a2);
}

// ---- expansion and selection -------------------------------------------------------

TEST_F(TreeViewTest, ExpandingNotifiesMayBeRefusedAndHidesTheSelection) {
    EXPECT_EQ(Shown(), (std::vector<HTREEITEM>{lib}));
    ASSERT_TRUE(tree->Expand(lib, TVE_EXPAND));
    EXPECT_EQ(host.Codes(), (std::vector<UINT>{TVN_ITEMEXPANDING, TVN_ITEMEXPANDED}));
    EXPECT_EQ(host.notes[0].action, TVE_EXPAND);
    EXPECT_EQ(host.notes[0].newItem, lib);
    EXPECT_EQ(tree->GetItemState(lib, TVIS_EXPANDED | TVIS_EXPANDEDONCE),
              TVIS_EXPANDED | TVIS_EXPANDEDONCE);
    EXPECT_EQ(Shown(), (std::vector<HTREEITEM>{lib, a, b, c}));
    // Expanding again changes nothing and says nothing.
    host.notes.clear();
    EXPECT_TRUE(tree->Expand(lib, TVE_EXPAND));
    EXPECT_TRUE(host.notes.empty());
    // An item without children does not expand.
    EXPECT_FALSE(tree->Expand(c, TVE_EXPAND));
    // The parent refuses.
    host.answers[TVN_ITEMEXPANDING] = 1;
    EXPECT_FALSE(tree->Expand(a, TVE_TOGGLE));
    EXPECT_EQ(tree->GetItemState(a, TVIS_EXPANDED), 0u);
    host.answers.clear();
    // Selecting a hidden item expands its parents and brings it into view.
    ASSERT_TRUE(tree->SelectItem(b1));
    EXPECT_EQ(tree->GetItemState(b, TVIS_EXPANDED), TVIS_EXPANDED);
    EXPECT_EQ(tree->GetItemState(b1, TVIS_SELECTED), TVIS_SELECTED);
    // Collapsing the parent of the selection selects the parent.
    host.notes.clear();
    ASSERT_TRUE(tree->Expand(b, TVE_COLLAPSE));
    EXPECT_EQ(tree->GetSelectedItem(), b);
    EXPECT_EQ(host.Codes(), (std::vector<UINT>{TVN_ITEMEXPANDING, TVN_SELCHANGING, TVN_SELCHANGED,
                                               TVN_ITEMEXPANDED}));
    EXPECT_EQ(tree->GetItemState(b1, TVIS_SELECTED), 0u);
    // A refused selection change keeps the old one.
    host.answers[TVN_SELCHANGING] = 1;
    EXPECT_FALSE(tree->SelectItem(c));
    EXPECT_EQ(tree->GetSelectedItem(), b);
    host.answers.clear();
    EXPECT_TRUE(tree->SelectItem(nullptr));
    EXPECT_EQ(tree->GetSelectedItem(), nullptr);
    // Setting the state directly says nothing.
    host.notes.clear();
    tree->SetItemState(a, TVIS_EXPANDED, TVIS_EXPANDED);
    EXPECT_TRUE(host.notes.empty());
    EXPECT_EQ(Shown(), (std::vector<HTREEITEM>{lib, a, a1, a2, b, c}));
}

TEST_F(TreeViewTest, ScrollingKeepsTheSelectionInView) {
    for (int i = 0; i < 40; ++i)
        tree->InsertItem(L"item " + std::to_wstring(i), c);
    ExpandAll();
    tree->Expand(c, TVE_EXPAND);
    const int page = tree->GetVisibleCount();
    ASSERT_GT(page, 3);
    HTREEITEM last = tree->GetLastVisibleItem();
    ASSERT_TRUE(tree->EnsureVisible(c)); // already in view: no scrolling
    EXPECT_EQ(tree->GetTopIndex(), 0);
    ASSERT_TRUE(tree->SelectItem(last));
    EXPECT_EQ(tree->GetTopIndex(), 47 - page);
    RECT r{};
    ASSERT_TRUE(tree->GetItemRect(last, &r, false));
    EXPECT_LE(r.bottom, 200);
    EXPECT_GT(r.bottom, 200 - tree->GetItemHeight());
    // Rows above the top have rectangles above the client area.
    ASSERT_TRUE(tree->GetItemRect(lib, &r, false));
    EXPECT_LT(r.top, 0);
    // The wheel scrolls three rows a notch, within range.
    SimulateWheel(tree.get(), POINT{20, 20}, 120);
    EXPECT_EQ(tree->GetTopIndex(), 47 - page - 3);
    tree->ScrollRows(-1000);
    EXPECT_EQ(tree->GetTopIndex(), 0);
    tree->ScrollRows(1000);
    EXPECT_EQ(tree->GetTopIndex(), 47 - page);
    EXPECT_EQ(tree->GetFirstVisibleItem(), Shown()[static_cast<size_t>(47 - page)]);
}

// ---- hit tests -----------------------------------------------------------------------

TEST_F(TreeViewTest, HitTestsTellThePartsOfARow) {
    auto images = ImageList::FromResource(257, 16, MakeColorRef(255, 0, 255));
    ASSERT_TRUE(images);
    tree->SetImageList(images.get());
    ExpandAll();
    const int h = tree->GetItemHeight();
    RECT label{};
    ASSERT_TRUE(tree->GetItemRect(a1, &label, true));
    const int row = label.top;
    const int indent = tree->GetIndent();
    // a1 sits at depth 2 with the root column: its level starts at 3 indents.
    EXPECT_EQ(label.left, 3 * indent + 18);
    struct Case {
        int x;
        int dy;
        HTREEITEM item;
        UINT flags;
    };
    const Case cases[] = {
        {2, 1, a1, TVHT_ONITEMINDENT | TVHT_ONUPPERHALF},
        {3 * indent + 5, h - 2, a1, TVHT_ONITEMICON | TVHT_ONLOWERHALF},
        {label.left + 2, 2, a1, TVHT_ONITEMLABEL | TVHT_ONUPPERHALF},
        {label.right + 5, h - 1, a1, TVHT_ONITEMRIGHT | TVHT_ONLOWERHALF},
        {2 * indent + indent / 2, h / 2, a1, TVHT_ONITEMINDENT | TVHT_ONLOWERHALF},
    };
    for (const Case& k : cases) {
        UINT flags = 0;
        EXPECT_EQ(tree->HitTest(POINT{k.x, row + k.dy}, &flags), k.item) << k.x;
        EXPECT_EQ(flags, k.flags) << k.x << "," << k.dy;
    }
    // a has children: the column left of its icon is its button.
    RECT aRow{};
    ASSERT_TRUE(tree->GetItemRect(a, &aRow, false));
    UINT flags = 0;
    EXPECT_EQ(tree->HitTest(POINT{indent + indent / 2, aRow.top + h / 2}, &flags), a);
    EXPECT_EQ(flags, TVHT_ONITEMBUTTON | TVHT_ONLOWERHALF);
    // Below the last row, and outside the window.
    EXPECT_EQ(tree->HitTest(POINT{10, 7 * h + 1}, &flags), nullptr);
    EXPECT_EQ(flags, TVHT_NOWHERE);
    EXPECT_EQ(tree->HitTest(POINT{10, -1}, &flags), nullptr);
    EXPECT_EQ(flags, TVHT_ABOVE);
    EXPECT_EQ(tree->HitTest(POINT{-1, 250}, &flags), nullptr);
    EXPECT_EQ(flags, TVHT_BELOW | TVHT_TOLEFT);
    // A hidden item has no rectangle.
    tree->Expand(a, TVE_COLLAPSE);
    EXPECT_FALSE(tree->GetItemRect(a1, &label, true));
    tree->SetImageList(nullptr);
}

// ---- mouse -------------------------------------------------------------------------------

TEST_F(TreeViewTest, ClickReportsThenSelectsAndButtonsToggle) {
    ExpandAll();
    const POINT p = LabelPoint(b);
    Click(p);
    EXPECT_EQ(host.Codes(), (std::vector<UINT>{NM_CLICK, TVN_SELCHANGING, TVN_SELCHANGED}));
    EXPECT_EQ(host.notes[0].newItem, b);
    EXPECT_EQ(host.notes[0].hitFlags & TVHT_ONITEM, TVHT_ONITEMLABEL);
    EXPECT_EQ(host.notes[0].pt.x, p.x);
    EXPECT_EQ(host.Last(TVN_SELCHANGED)->action, TVC_BYMOUSE);
    EXPECT_EQ(tree->GetSelectedItem(), b);
    EXPECT_EQ(PlatformWindow::GetFocus(), tree.get());
    EXPECT_EQ(PlatformWindow::GetCapture(), nullptr);
    // A parent that takes the click keeps the selection where it was.
    host.answers[NM_CLICK] = 1;
    Click(LabelPoint(c));
    EXPECT_EQ(tree->GetSelectedItem(), b);
    host.answers.clear();
    // The area right of a label reports a click but selects nothing.
    RECT r{};
    tree->GetItemRect(c, &r, true);
    Click(POINT{r.right + 10, r.top + 2});
    EXPECT_EQ(tree->GetSelectedItem(), b);
    EXPECT_EQ(host.Last(NM_CLICK)->hitFlags & ~(TVHT_ONUPPERHALF | TVHT_ONLOWERHALF),
              TVHT_ONITEMRIGHT);
    // The button of a collapses it on the press; the selection stays.
    host.notes.clear();
    tree->GetItemRect(a, &r, false);
    SimulateMouse(tree.get(), WM_LBUTTONDOWN, POINT{tree->GetIndent() * 3 / 2, r.top + 5},
                  MK_LBUTTON);
    EXPECT_EQ(tree->GetItemState(a, TVIS_EXPANDED), 0u);
    EXPECT_EQ(host.Last(TVN_ITEMEXPANDED)->action, TVE_COLLAPSE);
    SimulateMouse(tree.get(), WM_LBUTTONUP, POINT{tree->GetIndent() * 3 / 2, r.top + 5});
    EXPECT_EQ(tree->GetSelectedItem(), b);
}

TEST_F(TreeViewTest, DoubleClickReportsAndToggles) {
    ExpandAll();
    const POINT p = LabelPoint(a);
    Click(p);
    host.notes.clear();
    SimulateMouse(tree.get(), WM_LBUTTONDBLCLK, p, MK_LBUTTON);
    SimulateMouse(tree.get(), WM_LBUTTONUP, p);
    EXPECT_EQ(host.Codes(), (std::vector<UINT>{NM_DBLCLK, TVN_ITEMEXPANDING, TVN_ITEMEXPANDED}));
    EXPECT_EQ(tree->GetItemState(a, TVIS_EXPANDED), 0u);
    // A parent that answers the double click (opening the node) stops the toggle.
    host.answers[NM_DBLCLK] = 1;
    SimulateMouse(tree.get(), WM_LBUTTONDBLCLK, p, MK_LBUTTON);
    EXPECT_EQ(tree->GetItemState(a, TVIS_EXPANDED), 0u);
    // A parent that destroys the tree on a double click is safe.
    host.answers.clear();
    host.onNote = [this](const Note& n) {
        if (n.code == NM_DBLCLK)
            tree->DestroyWindow();
    };
    SimulateMouse(tree.get(), WM_LBUTTONDBLCLK, p, MK_LBUTTON);
    EXPECT_FALSE(tree->IsWindow());
}

TEST_F(TreeViewTest, DraggingAnItemHandsTheDragToTheParent) {
    ExpandAll();
    tree->SelectItem(c);
    host.notes.clear();
    const POINT p = LabelPoint(a1);
    SimulateMouse(tree.get(), WM_LBUTTONDOWN, p, MK_LBUTTON);
    EXPECT_EQ(PlatformWindow::GetCapture(), tree.get());
    SimulateMouse(tree.get(), WM_MOUSEMOVE, POINT{p.x + 2, p.y + 2}, MK_LBUTTON);
    EXPECT_TRUE(host.notes.empty());
    // The parent takes the capture in its begin-drag handler.
    host.onNote = [this](const Note& n) {
        if (n.code == TVN_BEGINDRAG)
            host.SetCapture();
    };
    SimulateMouse(tree.get(), WM_MOUSEMOVE, POINT{p.x + 2, p.y + 9}, MK_LBUTTON);
    ASSERT_EQ(host.Codes(), (std::vector<UINT>{TVN_BEGINDRAG}));
    EXPECT_EQ(host.notes[0].newItem, a1);
    EXPECT_EQ(host.notes[0].pt.x, p.x);
    EXPECT_EQ(host.notes[0].pt.y, p.y);
    EXPECT_EQ(PlatformWindow::GetCapture(), &host);
    // The drag does not select; the release is the parent's.
    SimulateMouse(tree.get(), WM_LBUTTONUP, POINT{p.x + 2, p.y + 9});
    EXPECT_EQ(tree->GetSelectedItem(), c);
    EXPECT_EQ(host.Codes(), (std::vector<UINT>{TVN_BEGINDRAG}));
    PlatformWindow::ReleaseCapture();
    // While dragging, the parent shows the target and the insertion mark.
    EXPECT_TRUE(tree->SelectDropTarget(b));
    EXPECT_EQ(tree->GetDropHilightItem(), b);
    EXPECT_EQ(tree->GetItemState(b, TVIS_DROPHILITED), TVIS_DROPHILITED);
    EXPECT_TRUE(tree->SetInsertMark(b, false));
    bool after = true;
    EXPECT_EQ(tree->GetInsertMark(&after), b);
    EXPECT_FALSE(after);
    tree->SelectDropTarget(nullptr);
    tree->SetInsertMark(nullptr, true);
    EXPECT_EQ(tree->GetItemState(b, TVIS_DROPHILITED), 0u);
    EXPECT_EQ(tree->GetInsertMark(), nullptr);
    // Dragging from the empty area, or with dragging switched off, starts nothing.
    host.notes.clear();
    host.onNote = nullptr;
    SimulateMouse(tree.get(), WM_LBUTTONDOWN, POINT{150, 190}, MK_LBUTTON);
    SimulateMouse(tree.get(), WM_MOUSEMOVE, POINT{100, 150}, MK_LBUTTON);
    SimulateMouse(tree.get(), WM_LBUTTONUP, POINT{100, 150});
    tree->ModifyStyle(0, TVS_DISABLEDRAGDROP);
    SimulateMouse(tree.get(), WM_LBUTTONDOWN, p, MK_LBUTTON);
    SimulateMouse(tree.get(), WM_MOUSEMOVE, POINT{p.x + 20, p.y}, MK_LBUTTON);
    SimulateMouse(tree.get(), WM_LBUTTONUP, POINT{p.x + 20, p.y});
    EXPECT_EQ(host.Last(TVN_BEGINDRAG), nullptr);
}

TEST_F(TreeViewTest, RightClickReportsThenAsksForTheContextMenu) {
    ExpandAll();
    const POINT p = LabelPoint(b1);
    SimulateMouse(tree.get(), WM_RBUTTONDOWN, p, MK_RBUTTON);
    SimulateMouse(tree.get(), WM_RBUTTONUP, p);
    ASSERT_NE(host.Last(NM_RCLICK), nullptr);
    EXPECT_EQ(host.Last(NM_RCLICK)->newItem, b1);
    EXPECT_EQ(host.contextMenus, 1);
    host.answers[NM_RCLICK] = 1;
    SimulateMouse(tree.get(), WM_RBUTTONDOWN, p, MK_RBUTTON);
    SimulateMouse(tree.get(), WM_RBUTTONUP, p);
    EXPECT_EQ(host.contextMenus, 1);
    EXPECT_EQ(tree->GetSelectedItem(), nullptr);
}

// ---- keys ----------------------------------------------------------------------------------

TEST_F(TreeViewTest, KeysMoveExpandAndSearch) {
    tree->SetFocus();
    struct Step {
        int vk;
        std::wstring text;
        HTREEITEM selected;
        std::vector<HTREEITEM> shown;
    };
    const std::vector<HTREEITEM> closed{lib};
    const std::vector<HTREEITEM> top{lib, a, b, c};
    const std::vector<HTREEITEM> withA{lib, a, a1, a2, b, c};
    const Step steps[] = {
        {VK_DOWN, L"", lib, closed}, // no selection: the top row
        {VK_RIGHT, L"", lib, top},   // expands
        {VK_RIGHT, L"", a, top},     // goes to the first child
        {VK_OEM_PLUS, L"+", a, withA},
        {VK_DOWN, L"", a1, withA},
        {VK_END, L"", c, withA},
        {VK_UP, L"", b, withA},
        {VK_HOME, L"", lib, withA},
        {'B', L"b", b, withA}, // the next shown item starting with the letter
        {'A', L"a", a, withA}, // wraps around
        {'A', L"a", a1, withA},
        {VK_BACK, L"", a, withA},
        {VK_LEFT, L"", a, top},   // collapses
        {VK_LEFT, L"", lib, top}, // goes to the parent
        {VK_NEXT, L"", c, top},
        {VK_PRIOR, L"", lib, top},
        {VK_OEM_MINUS, L"-", lib, closed},
    };
    for (const Step& s : steps) {
        Key(s.vk, s.text);
        EXPECT_EQ(tree->GetSelectedItem(), s.selected) << s.vk;
        EXPECT_EQ(Shown(), s.shown) << s.vk;
    }
    // Every key is reported first; selection changes say "by keyboard".
    EXPECT_EQ(host.notes.front().code, TVN_KEYDOWN);
    EXPECT_EQ(host.notes.front().key, VK_DOWN);
    EXPECT_EQ(host.Last(TVN_SELCHANGED)->action, TVC_BYKEYBOARD);
}

// ---- label editing ----------------------------------------------------------------------------

TEST_F(TreeViewTest, LabelEditingEndsCancelsAndMayBeRefused) {
    ExpandAll();
    // Refused by the parent.
    host.answers[TVN_BEGINLABELEDIT] = 1;
    EXPECT_EQ(tree->EditLabel(b), nullptr);
    host.answers.clear();
    // Enter ends it; the parent accepts the text.
    EditControl* edit = tree->EditLabel(b);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(tree->GetEditControl(), edit);
    EXPECT_EQ(tree->GetEditItem(), b);
    EXPECT_EQ(PlatformWindow::GetFocus(), edit);
    EXPECT_EQ(edit->GetWindowText(), L"b");
    EXPECT_EQ(host.Last(TVN_BEGINLABELEDIT)->newItem, b);
    SimulateTyping(edit, L"boards");
    host.answers[TVN_ENDLABELEDIT] = 1;
    SimulateKey(edit, true, VK_RETURN, L"\r");
    EXPECT_EQ(host.Last(TVN_ENDLABELEDIT)->text, L"boards");
    EXPECT_EQ(tree->GetItemText(b), L"boards");
    EXPECT_EQ(tree->GetEditControl(), nullptr);
    EXPECT_EQ(PlatformWindow::GetFocus(), tree.get());
    // Answering zero keeps the old label.
    host.answers.clear();
    edit = tree->EditLabel(c);
    SimulateTyping(edit, L"x");
    SimulateKey(edit, true, VK_RETURN, L"\r");
    EXPECT_EQ(tree->GetItemText(c), L"c");
    // Esc cancels: the parent hears a null text.
    host.answers[TVN_ENDLABELEDIT] = 1;
    edit = tree->EditLabel(c);
    SimulateTyping(edit, L"y");
    SimulateKey(edit, true, VK_ESCAPE);
    EXPECT_EQ(host.Last(TVN_ENDLABELEDIT)->text, L"<null>");
    EXPECT_EQ(tree->GetItemText(c), L"c");
    // The focus leaving the field ends the edit.
    edit = tree->EditLabel(a1);
    SimulateTyping(edit, L"q");
    host.SetFocus();
    EXPECT_EQ(host.Last(TVN_ENDLABELEDIT)->text, L"q");
    EXPECT_EQ(tree->GetItemText(a1), L"q");
    EXPECT_EQ(PlatformWindow::GetFocus(), &host);
    // Deleting the item cancels its edit.
    edit = tree->EditLabel(a2);
    ASSERT_NE(edit, nullptr);
    tree->DeleteItem(a);
    EXPECT_EQ(tree->GetEditControl(), nullptr);
    EXPECT_EQ(host.Last(TVN_ENDLABELEDIT)->text, L"<null>");
    PumpPendingMessages();
}

TEST_F(TreeViewTest, ClickOnTheSelectedLabelStartsEditingUnlessDoubleClicked) {
    ExpandAll();
    const POINT p = LabelPoint(b);
    Click(p); // selects
    EXPECT_FALSE(tree->HasTimer(TreeViewControl::kEditTimerId));
    Click(p); // already selected: editing starts after the double-click time
    EXPECT_TRUE(tree->HasTimer(TreeViewControl::kEditTimerId));
    tree->SendMessage(WM_TIMER, TreeViewControl::kEditTimerId);
    ASSERT_NE(tree->GetEditControl(), nullptr);
    EXPECT_EQ(tree->GetEditItem(), b);
    tree->EndEditLabelNow(true);
    // A double click kills the pending edit.
    Click(p);
    EXPECT_TRUE(tree->HasTimer(TreeViewControl::kEditTimerId));
    SimulateMouse(tree.get(), WM_LBUTTONDBLCLK, p, MK_LBUTTON);
    EXPECT_FALSE(tree->HasTimer(TreeViewControl::kEditTimerId));
    // F2 edits the selection; a tree without the style does not.
    tree->SetFocus();
    Key(VK_F2);
    EXPECT_EQ(tree->GetEditItem(), b);
    tree->EndEditLabelNow(true);
    tree->ModifyStyle(TVS_EDITLABELS, 0);
    Key(VK_F2);
    EXPECT_EQ(tree->GetEditControl(), nullptr);
}

// In a dialog, Enter and Esc belong to the label edit and do not end the dialog.
TEST(TreeViewInDialog, EnterAndEscEndTheEditNotTheDialog) {
    class TreeDialog : public PlatformDialog {
    public:
        TreeDialog()
            : PlatformDialog(
                  DialogTemplate{500,
                                 L"Tree",
                                 200,
                                 150,
                                 false,
                                 {DialogItem{DialogItemKind::TreeView,
                                             1024,
                                             L"",
                                             4,
                                             4,
                                             190,
                                             120,
                                             WS_TABSTOP | TVS_HASBUTTONS | TVS_EDITLABELS,
                                             0,
                                             {}},
                                  DlgDefButton(1, L"OK", 140, 130, 50, 14),
                                  DlgButton(2, L"Cancel", 80, 130, 50, 14)}}) {}
        std::wstring ended;

    protected:
        bool ProcessWindowMessage(UINT msg, WPARAM, LPARAM l, LRESULT& r) override {
            if (msg == WM_NOTIFY && LParamToPtr<NMHDR>(l)->code == TVN_ENDLABELEDIT) {
                auto* di = LParamToPtr<NMTVDISPINFO>(l);
                ended = di->item.pszText ? di->item.pszText : L"<null>";
                r = 1;
                return true;
            }
            return false;
        }
    };
    ScopedModalDialogHook hook([](PlatformDialog& d) {
        auto& t = static_cast<TreeDialog&>(d);
        auto* tree = d.GetDlgItemAs<TreeViewControl>(1024);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(tree->GetExStyle() & WS_EX_CLIENTEDGE, WS_EX_CLIENTEDGE);
        HTREEITEM one = tree->InsertItem(L"one");
        EditControl* edit = tree->EditLabel(one);
        ASSERT_NE(edit, nullptr);
        SimulateTyping(edit, L"two");
        SimulateKey(edit, true, VK_RETURN, L"\r");
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(t.ended, L"two");
        edit = tree->EditLabel(one);
        SimulateKey(edit, true, VK_ESCAPE);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(t.ended, L"<null>");
        EXPECT_EQ(tree->GetItemText(one), L"two");
        // Without an edit, Enter reaches the dialog.
        SimulateKey(tree, true, VK_RETURN, L"\r");
        EXPECT_TRUE(d.IsEnded());
    });
    TreeDialog dlg;
    EXPECT_EQ(dlg.DoModal(nullptr), 1);
}

// ---- painting ----------------------------------------------------------------------------------

TEST_F(TreeViewTest, PaintsSelectionDropTargetAndInsertionMark) {
    auto images = ImageList::FromResource(257, 16, MakeColorRef(255, 0, 255));
    tree->SetImageList(images.get());
    ExpandAll();
    tree->SelectItem(a);
    tree->SetFocus();
    auto image = PaintTarget::CreateImage(200, 200);
    tree->RenderTo(*image);
    const ARGB highlight = ColorRefToArgb(GetSysColor(COLOR_HIGHLIGHT), 0xFF);
    const ARGB window = ColorRefToArgb(GetSysColor(COLOR_WINDOW), 0xFF);
    RECT la{}, lb{};
    tree->GetItemRect(a, &la, true);
    tree->GetItemRect(b, &lb, true);
    EXPECT_EQ(image->PixelAt(la.right - 2, la.top + 2), highlight);
    EXPECT_EQ(image->PixelAt(lb.right - 2, lb.top + 2), window);
    // The unchecked box image (grey frame) sits left of the label.
    EXPECT_EQ(image->PixelAt(la.left - 10, la.top + (tree->GetItemHeight() - 16) / 2 + 2),
              ColorRefToArgb(0x808080, 0xFF));
    // A drop target is highlighted and the selection is not.
    tree->SelectDropTarget(b);
    tree->SetInsertMark(c, true);
    tree->RenderTo(*image);
    EXPECT_EQ(image->PixelAt(lb.right - 2, lb.top + 2), highlight);
    EXPECT_EQ(image->PixelAt(la.right - 2, la.top + 2), window);
    // The insertion mark: a dark line across the bottom of c's row.
    RECT rc{};
    tree->GetItemRect(c, &rc, false);
    EXPECT_EQ(image->PixelAt(150, rc.bottom - 1),
              ColorRefToArgb(GetSysColor(COLOR_WINDOWTEXT), 0xFF));
    EXPECT_EQ(image->PixelAt(150, rc.bottom - 4), window);
    tree->SetImageList(nullptr);
}

} // namespace

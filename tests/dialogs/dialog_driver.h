// Driving the board dialogs as a user does: clicks on buttons and list
// cells, typing into the editor over a cell, choosing in a drop-down list,
// keys. Every step is simulated input; posted messages are delivered after
// each step, as the event loop would.
#pragma once

#include "platform/combo_box_control.h"
#include "platform/dialog.h"
#include "platform/edit_control.h"
#include "platform/input_simulation.h"
#include "platform/list_view_control.h"
#include "platform/message_loop.h"
#include "platform/paint_target.h"
#include "platform/text.h"
#include "platform/tree_view_control.h"
#include "platform/window.h"
#include "tests/screen_picture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace dialog_driver {

inline void Click(PlatformWindow* w, POINT p) {
    SimulateMouse(w, WM_LBUTTONDOWN, p, MK_LBUTTON);
    SimulateMouse(w, WM_LBUTTONUP, p);
    PumpPendingMessages();
}

inline void ClickButton(PlatformDialog& d, int id) {
    PlatformWindow* w = d.GetDlgItem(id);
    ASSERT_NE(w, nullptr) << id;
    Click(w, POINT{3, 3});
}

inline POINT CellCentre(ListViewControl* list, int row, int column) {
    RECT r{0, 0, 0, 0};
    EXPECT_TRUE(list->GetSubItemRect(row, column, &r)) << row << "," << column;
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The texts of a row's columns first..last.
inline std::vector<std::wstring> RowTexts(ListViewControl* list, int row, int first, int last) {
    std::vector<std::wstring> out;
    for (int column = first; column <= last; ++column)
        out.push_back(list->GetItemText(row, column));
    return out;
}

inline void ClickCell(ListViewControl* list, int row, int column) {
    Click(list, CellCentre(list, row, column));
}

// Drags a row with the mouse past the drag threshold and drops it over
// another row.
inline void DragRow(ListViewControl* list, int from, int onto) {
    POINT p = CellCentre(list, from, 0);
    SimulateMouse(list, WM_LBUTTONDOWN, p, MK_LBUTTON);
    SimulateMouse(list, WM_MOUSEMOVE, POINT{p.x, p.y + 2 * ListViewControl::kDragThreshold},
                  MK_LBUTTON);
    POINT q = CellCentre(list, onto, 0);
    SimulateMouse(list, WM_MOUSEMOVE, q, MK_LBUTTON);
    SimulateMouse(list, WM_LBUTTONUP, q);
}

// Replaces the text of the open cell edit by typing (its text is selected
// when it opens).
inline void TypeIntoCell(ListViewControl* list, const std::wstring& text) {
    EditControl* edit = list->GetCellEdit();
    ASSERT_NE(edit, nullptr);
    edit->SetSel(0, -1);
    if (text.empty())
        SimulateKey(edit, true, VK_DELETE);
    else
        SimulateTyping(edit, text);
}

// Opens the cell's edit, types the text and presses Enter (which the dialog
// takes as OK, and OK with an open edit only commits it).
inline void EditCell(ListViewControl* list, int row, int column, const std::wstring& text) {
    ClickCell(list, row, column);
    TypeIntoCell(list, text);
    EditControl* edit = list->GetCellEdit();
    ASSERT_NE(edit, nullptr);
    SimulateKey(edit, true, VK_RETURN);
    SimulateKey(edit, false, VK_RETURN);
    PumpPendingMessages();
}

// The first item of a tree, depth first, that reads text; null if none.
inline HTREEITEM FindTreeItem(TreeViewControl* tree, const std::wstring& text) {
    std::function<HTREEITEM(HTREEITEM)> find = [&](HTREEITEM item) -> HTREEITEM {
        for (; item; item = tree->GetNextSiblingItem(item)) {
            if (tree->GetItemText(item) == text)
                return item;
            if (HTREEITEM inner = find(tree->GetChildItem(item)))
                return inner;
        }
        return nullptr;
    };
    return find(tree->GetRootItem());
}

// A click on an item's text, its folders opened first as a user opens
// them; false when it cannot be shown.
inline bool ClickTreeItem(TreeViewControl* tree, HTREEITEM item) {
    RECT r{};
    if (!item || (tree->EnsureVisible(item), !tree->GetItemRect(item, &r, true)))
        return false;
    Click(tree, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    return true;
}

// Opens the drop-down list with a click and clicks its entry. A window the
// X server has just shown gets its activation and focus a moment later (on
// a busy machine, after the click), and the focus moving closes an open
// list, as it should: the list is opened again until it stays open, for
// minutes on a busy machine.
inline void ChooseInCombo(ComboBoxControl* combo, int index) {
    ASSERT_NE(combo, nullptr);
    PlatformWindow* drop = nullptr;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kWindowSystemWaitMs);
    for (int attempt = 0; !drop && std::chrono::steady_clock::now() < deadline; ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!combo->GetDropDownWindow())
            Click(combo, POINT{5, 5});
        PumpPendingMessages();
        drop = combo->GetDropDownWindow();
    }
    ASSERT_NE(drop, nullptr);
    const int h = combo->GetItemHeight();
    Click(drop, POINT{5, index * h + h / 2});
}

inline void TypeIntoField(PlatformDialog& d, int id, const std::wstring& text) {
    auto* edit = d.GetDlgItemAs<EditControl>(id);
    ASSERT_NE(edit, nullptr);
    d.GotoDlgCtrl(edit);
    SimulateTyping(edit, text);
}

inline void PressKey(PlatformWindow* w, int vk) {
    SimulateKey(w, true, vk);
    SimulateKey(w, false, vk);
    PumpPendingMessages();
}

// Shows the window's dialog (one run through the modal hook is never shown
// by itself) and makes sure the X server shows it: its middle must be the
// dialog's for the pointer, or a grab would read whatever lay there before
// and the repaint check would compare nothing of the dialog.
inline ::testing::AssertionResult ShownOnScreen(PlatformWindow& w) {
    if (!screen_picture::Grab(w))
        return ::testing::AssertionFailure() << "no picture from the screen";
    PlatformWindow* top = w.GetTopLevel();
    const RECT r = top->GetWindowRect();
    PlatformWindow* at = MouseTargetAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    if (at != top && !(at && top->IsChild(at)))
        return ::testing::AssertionFailure() << "the dialog is not what the screen shows";
    return ::testing::AssertionSuccess();
}

// The repaint check of a window of a dialog on the screen.
inline void CheckRepaint(PlatformWindow& w, const std::string& name) {
    ASSERT_TRUE(ShownOnScreen(w)) << name;
    EXPECT_TRUE(screen_picture::SameAfterFullRepaint(w, Utf8ToWide(name)));
}

// Opens a cell of a list in the dialog, types the text and ends the edit with
// Enter, checking the repaint with the cell open (<name>-cell-open) and ended
// (<name>-cell-ended).
inline void CheckRepaintsOfACellEdit(PlatformWindow& dialog, ListViewControl* list, int row,
                                     int column, const std::wstring& text,
                                     const std::string& name) {
    ClickCell(list, row, column);
    ASSERT_NE(list->GetCellEdit(), nullptr);
    TypeIntoCell(list, text);
    CheckRepaint(dialog, name + "-cell-open");
    PressKey(list->GetCellEdit(), VK_RETURN);
    ASSERT_EQ(list->GetCellEditor(), nullptr);
    CheckRepaint(dialog, name + "-cell-ended");
}

// Checks that what the screen shows of the window survives a full repaint
// unchanged, and writes it to build/pictures/<name>.png.
inline void WritePicture(PlatformWindow& w, const std::string& name) {
    ASSERT_TRUE(ShownOnScreen(w)) << name;
    screen_picture::CheckAndWrite(w, Utf8ToWide(name));
}

} // namespace dialog_driver

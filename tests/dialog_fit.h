// Whether a dialog's texts fit their controls as the controls draw them:
// labels, buttons, check boxes, radio buttons, group box titles, list
// headers and the entries of drop-down lists, each measured in the
// control's own font against the room its painting leaves; and whether a
// control crosses a group box's frame line. Each problem is one line naming
// the control, its text and the pixels it needs and has.
#pragma once

#include "platform/bitmap.h"
#include "platform/button_control.h"
#include "platform/check_box_control.h"
#include "platform/combo_box_control.h"
#include "platform/device_context.h"
#include "platform/dialog.h"
#include "platform/group_box_control.h"
#include "platform/list_view_control.h"
#include "platform/logical_font.h"
#include "platform/radio_button_control.h"
#include "platform/static_control.h"
#include "platform/tab_control.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dialog_fit {

// Room the controls leave beside their text, pixels: the check mark and its
// gap, the frame of a button, the title inset of a group box, the cell
// padding of a list header, the arrow and padding of a drop-down list.
constexpr int kCheckMarkRoom = 13 + 4;
constexpr int kButtonRoom = 4;
constexpr int kGroupTitleRoom = 16;
constexpr int kHeaderRoom = 8;
constexpr int kDropDownRoom = 16 + 1 + 4;

inline std::string Describe(const char* kind, const std::wstring& text) {
    return std::string(kind) + " \"" + WideToUtf8(text) + "\"";
}

inline void NeedWidth(std::vector<std::string>& out, const char* kind, const PlatformWindow& w,
                      const std::wstring& text, int room) {
    const int needs = w.MeasureText(text).cx;
    if (needs > room)
        out.push_back(Describe(kind, text) + " needs " + std::to_string(needs) + " px, has " +
                      std::to_string(room));
}

inline void NeedLine(std::vector<std::string>& out, const char* kind, const PlatformWindow& w,
                     const std::wstring& text, int height) {
    if (w.GetLineHeight() > height)
        out.push_back(Describe(kind, text) + " is " + std::to_string(w.GetLineHeight()) +
                      " px high, has " + std::to_string(height));
}

// The width of text drawn in font by a DeviceContext, as the painted tab
// strips and the owners of owner-drawn entries draw (and trim) it.
inline int DrawnWidth(const LogFont& font, const std::wstring& text) {
    DeviceContext dc(1, 1);
    dc.SelectFont(font);
    return dc.GetTextExtentPoint32(text).cx;
}

// A window's font as an owner drawing in it selects it.
inline LogFont LogFontOf(const PlatformWindow& w) {
    LogFont font;
    font.lfFaceName = w.GetFont().face;
    font.lfHeight = -w.GetFont().height;
    font.lfWeight = w.GetFont().weight;
    font.lfItalic = w.GetFont().italic ? 1 : 0;
    return font;
}

inline void NeedDrawnWidth(std::vector<std::string>& out, const char* kind, const LogFont& font,
                           const std::wstring& text, int room) {
    const int needs = DrawnWidth(font, text);
    if (needs > room)
        out.push_back(Describe(kind, text) + " needs " + std::to_string(needs) + " px, has " +
                      std::to_string(room));
}

// Every entry of an owner-drawn combo box shows whole in the closed box,
// drawn in the box's font inside the field less the owner's insets.
inline void CheckOwnerDrawnEntries(std::vector<std::string>& out, const ComboBoxControl& combo,
                                   int ownerInsets) {
    const RECT face = combo.GetFaceRect();
    for (int i = 0; i < combo.GetCount(); ++i)
        NeedDrawnWidth(out, "closed-box entry", LogFontOf(combo), combo.GetLBText(i),
                       face.right - face.left - ownerInsets);
}

// Lines a word-wrapping label needs for text at width; a word wider than
// the label counts as not fitting at all (a huge count).
inline int WrappedLines(const PlatformWindow& w, const std::wstring& text, int width) {
    int lines = 1, used = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L' ', start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring word = text.substr(start, end - start);
        const int wordWidth = w.MeasureText(word).cx;
        if (wordWidth > width)
            return 1000;
        const int withSpace = used == 0 ? wordWidth : w.MeasureText(L" " + word).cx;
        if (used > 0 && used + withSpace > width) {
            ++lines;
            used = wordWidth;
        } else {
            used += withSpace;
        }
        start = end + 1;
    }
    return lines;
}

inline void CheckLabel(std::vector<std::string>& out, PlatformWindow& w) {
    std::wstring text = w.GetWindowText();
    if (!(w.GetStyle() & SS_NOPREFIX))
        text = StripMnemonicPrefix(text);
    if (text.empty())
        return;
    const RECT rc = w.GetClientRect();
    const int line = w.GetLineHeight();
    if (rc.bottom < 2 * line) {
        NeedWidth(out, "label", w, text, rc.right);
        NeedLine(out, "label", w, text, rc.bottom);
        return;
    }
    const int lines = WrappedLines(w, text, rc.right);
    if (lines * line > rc.bottom)
        out.push_back(Describe("label", text) + " wraps to " + std::to_string(lines) +
                      " lines, has room for " + std::to_string(rc.bottom / line));
}

inline void CheckControl(std::vector<std::string>& out, PlatformWindow& w) {
    const RECT rc = w.GetClientRect();
    if (auto* list = dynamic_cast<ListViewControl*>(&w)) {
        if ((w.GetStyle() & LVS_REPORT) && !(w.GetStyle() & LVS_NOCOLUMNHEADER))
            for (int c = 0; c < list->GetColumnCount(); ++c)
                NeedWidth(out, "list header", w, list->GetColumnTitle(c),
                          list->GetColumnWidth(c) - kHeaderRoom);
        // The list does not scroll sideways: a column past its edge, or
        // under its scroll bar, is cut.
        int columns = 0;
        for (int c = 0; c < list->GetColumnCount(); ++c)
            columns += list->GetColumnWidth(c);
        const int room = rc.right - (list->HasScrollBar() ? ListViewControl::kScrollBarWidth : 0);
        if (columns > room)
            out.push_back("list columns \"" + WideToUtf8(list->GetColumnTitle(0)) + "\"... need " +
                          std::to_string(columns) + " px, have " + std::to_string(room));
        // Cells the list draws itself: padded like the header, the first
        // column also after the row's images.
        if ((w.GetStyle() & LVS_REPORT) && !(w.GetStyle() & LVS_OWNERDRAWFIXED)) {
            int images = 2;
            for (int which : {LVSIL_STATE, LVSIL_SMALL})
                if (ImageList* l = list->GetImageList(which))
                    images += l->ImageWidth();
            for (int row = 0; row < list->GetItemCount(); ++row)
                for (int c = 0; c < list->GetColumnCount(); ++c)
                    NeedWidth(out, "list cell", w, list->GetItemText(row, c),
                              list->GetColumnWidth(c) - kHeaderRoom - (c == 0 ? images : 0));
        }
    } else if (auto* combo = dynamic_cast<ComboBoxControl*>(&w)) {
        if (!(w.GetStyle() & CBS_OWNERDRAWFIXED))
            for (int i = 0; i < combo->GetCount(); ++i)
                NeedWidth(out, "drop-down entry", w, combo->GetLBText(i), rc.right - kDropDownRoom);
    } else if (dynamic_cast<GroupBoxControl*>(&w)) {
        const std::wstring text = StripMnemonicPrefix(w.GetWindowText());
        if (!text.empty())
            NeedWidth(out, "group box", w, text, rc.right - kGroupTitleRoom);
    } else if (dynamic_cast<CheckBoxControl*>(&w)) { // radio buttons too
        const char* kind = dynamic_cast<RadioButtonControl*>(&w) ? "radio button" : "check box";
        const std::wstring text = StripMnemonicPrefix(w.GetWindowText());
        if (!text.empty()) {
            NeedWidth(out, kind, w, text, rc.right - kCheckMarkRoom);
            NeedLine(out, kind, w, text, rc.bottom);
        }
    } else if (dynamic_cast<ButtonControl*>(&w)) {
        const std::wstring text = w.GetWindowText();
        if (!text.empty() && !(w.GetStyle() & BS_BITMAP)) {
            NeedWidth(out, "button", w, text, rc.right - kButtonRoom);
            NeedLine(out, "button", w, text, rc.bottom);
        }
    } else if (dynamic_cast<StaticControl*>(&w)) {
        CheckLabel(out, w);
    }
}

inline bool Inside(const RECT& r, const RECT& area) {
    return r.left >= area.left && r.top >= area.top && r.right <= area.right &&
           r.bottom <= area.bottom;
}

inline bool Apart(const RECT& a, const RECT& b) {
    return a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
}

// A sibling of a group box lies inside the area its frame encloses or
// clear of the frame altogether.
inline void CheckGroupFrames(std::vector<std::string>& out, PlatformWindow& parent) {
    const std::vector<PlatformWindow*> kids = parent.GetChildren();
    for (PlatformWindow* group : kids) {
        if (!dynamic_cast<GroupBoxControl*>(group))
            continue;
        const RECT g = group->GetRectInParent();
        // The frame as the group box draws it: two lines from half the
        // title's height down, the inner one ending a pixel short.
        const RECT frame{g.left, g.top + group->GetLineHeight() / 2, g.right, g.bottom};
        const RECT inner{frame.left + 2, frame.top + 2, frame.right - 2, frame.bottom - 2};
        for (PlatformWindow* w : kids) {
            if (w == group)
                continue;
            const RECT r = w->GetRectInParent();
            if (!Inside(r, inner) && !Apart(r, frame))
                out.push_back(Describe("control", w->GetWindowText()) + " (id " +
                              std::to_string(w->GetDlgCtrlID()) +
                              ") crosses the frame of group box \"" +
                              WideToUtf8(group->GetWindowText()) + "\"");
        }
    }
}

// Shown controls side by side never lie over each other (a group box holds
// others by design, and a property sheet's pages lie in its tab control): one would hide part of
// the other, as an edit field ran under the OK button once.
inline void CheckOverlaps(std::vector<std::string>& out, PlatformWindow& parent) {
    std::vector<PlatformWindow*> kids;
    for (PlatformWindow* w : parent.GetChildren())
        if ((w->GetStyle() & WS_VISIBLE) && !dynamic_cast<GroupBoxControl*>(w) &&
            !dynamic_cast<TabControl*>(w))
            kids.push_back(w);
    for (size_t i = 0; i < kids.size(); ++i)
        for (size_t j = i + 1; j < kids.size(); ++j)
            if (!Apart(kids[i]->GetRectInParent(), kids[j]->GetRectInParent()))
                out.push_back(Describe("control", kids[i]->GetWindowText()) + " (id " +
                              std::to_string(kids[i]->GetDlgCtrlID()) + ") and " +
                              Describe("control", kids[j]->GetWindowText()) + " (id " +
                              std::to_string(kids[j]->GetDlgCtrlID()) + ") overlap");
}

// The problems of window and everything in it.
inline std::vector<std::string> Problems(PlatformWindow& window) {
    std::vector<std::string> out;
    CheckGroupFrames(out, window);
    CheckOverlaps(out, window);
    for (PlatformWindow* w : window.GetChildren()) {
        CheckControl(out, *w);
        for (const std::string& p : Problems(*w))
            out.push_back(p);
    }
    return out;
}

// Fails the running test once for each problem of window.
inline void ExpectTextsFit(PlatformWindow& window, const std::string& name) {
    for (const std::string& p : Problems(window))
        ADD_FAILURE() << name << ": " << p;
}

} // namespace dialog_fit

// A tab strip ("SysTabControl32"): a row of labelled tabs over a framed
// display area, one of them selected. A left press on another tab first
// asks the parent (WM_NOTIFY TCN_SELCHANGING; an answer of 1 keeps the
// current tab), then selects it and tells the parent (TCN_SELCHANGE). The
// left and right arrow keys do the same while the strip has the focus.
// SetCurSel changes the tab without asking or telling anyone.
#pragma once

#include "platform/window.h"

#include <string>
#include <vector>

constexpr UINT TCN_SELCHANGE = static_cast<UINT>(-551);
constexpr UINT TCN_SELCHANGING = static_cast<UINT>(-552);

class TabControl : public PlatformWindow {
public:
    ~TabControl() override { DestroyWindow(); }

    int InsertItem(int index, const std::wstring& text);
    int GetItemCount() const { return static_cast<int>(items_.size()); }
    std::wstring GetItemText(int index) const;
    int GetCurSel() const { return cur_; }
    int SetCurSel(int index);
    // The tab's rectangle in client coordinates.
    bool GetItemRect(int index, RECT* rect) const;
    // The tab under a client point, -1 for none.
    int HitTest(POINT client) const;
    // Height of the row of tabs; the display area starts below it.
    int GetTabHeight() const;
    // Selects a tab as a click does (asking the parent first); false when
    // the parent kept the current one or the index is out of range.
    bool SelectByUser(int index);

protected:
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    int TabWidth(int index) const;

    std::vector<std::wstring> items_;
    int cur_ = -1;
};

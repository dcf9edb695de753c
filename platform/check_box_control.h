// A check box: a box with a text beside it that a click, Space or BM_CLICK
// toggles before WM_COMMAND (id, BN_CLICKED) goes to the parent. BM_SETCHECK
// and BM_GETCHECK set and read the state without notifying.
#pragma once

#include "platform/press_tracker.h"
#include "platform/window.h"

constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BST_UNCHECKED = 0x0000;
constexpr UINT BST_CHECKED = 0x0001;
constexpr UINT BST_INDETERMINATE = 0x0002;

class CheckBoxControl : public PlatformWindow {
public:
    ~CheckBoxControl() override { DestroyWindow(); }
    UINT GetCheck() const { return check_; }
    void SetCheck(UINT check) { SendMessage(BM_SETCHECK, check); }
    void Click();

protected:
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // What a click does to the state before the parent hears of it.
    virtual void ClickState();
    virtual void PaintMark(PaintTarget* target, const RECT& box) const;

private:
    void Paint();
    UINT check_ = BST_UNCHECKED;
    PressTracker press_;
};

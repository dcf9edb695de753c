// The press-and-release behaviour shared by push buttons and check boxes: a
// left press captures the mouse and shows the control pushed while the mouse
// stays inside; releasing inside is a click.
#pragma once

#include "platform/messages.h"
#include "platform/window.h"

class PressTracker {
public:
    // Handles the mouse messages of a press; true when msg was one of them.
    // *clicked is set when a release inside ends the press.
    bool Handle(PlatformWindow& window, UINT msg, LPARAM lParam, bool* clicked) {
        *clicked = false;
        switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            window.SetFocus();
            if (!window.IsWindow())
                return true;
            window.SetCapture();
            tracking_ = true;
            pushed_ = true;
            window.Invalidate(false);
            return true;
        case WM_MOUSEMOVE:
            if (tracking_) {
                RECT rc = window.GetClientRect();
                int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
                bool inside = x >= 0 && y >= 0 && x < rc.right && y < rc.bottom;
                if (inside != pushed_) {
                    pushed_ = inside;
                    window.Invalidate(false);
                }
            }
            return true;
        case WM_LBUTTONUP:
            if (tracking_) {
                *clicked = pushed_;
                tracking_ = false;
                pushed_ = false;
                if (PlatformWindow::GetCapture() == &window)
                    window.ReleaseCapture();
                window.Invalidate(false);
            }
            return true;
        case WM_CAPTURECHANGED:
            // Another window took the mouse: the press ends without a click.
            if (tracking_ && WindowFromLParam(lParam) != &window) {
                tracking_ = false;
                pushed_ = false;
                window.Invalidate(false);
            }
            return true;
        default:
            return false;
        }
    }

    bool IsPushed() const { return pushed_; }

private:
    bool pushed_ = false;
    bool tracking_ = false;
};

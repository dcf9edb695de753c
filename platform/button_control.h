// A push button ("BUTTON") with a text or a bitmap. A click (press and
// release inside), Space, or BM_CLICK sends WM_COMMAND (id, BN_CLICKED) to
// the parent.
#pragma once

#include "platform/press_tracker.h"
#include "platform/window.h"

#include <memory>

class Bitmap;

constexpr uint32_t BS_PUSHBUTTON = 0x0000;
constexpr uint32_t BS_DEFPUSHBUTTON = 0x0001;
constexpr uint32_t BS_BITMAP = 0x0080;

constexpr UINT BM_GETSTATE = 0x00F2;
constexpr UINT BM_CLICK = 0x00F5;
constexpr UINT BM_SETIMAGE = 0x00F7;
constexpr WPARAM IMAGE_BITMAP = 0;
constexpr LRESULT BST_PUSHED = 0x0004;
constexpr LRESULT BST_FOCUS = 0x0008;

class ButtonControl : public PlatformWindow {
public:
    ~ButtonControl() override { DestroyWindow(); }
    // The picture of a BS_BITMAP button, centred.
    void SetBitmap(std::shared_ptr<Bitmap> bitmap);
    const std::shared_ptr<Bitmap>& GetBitmap() const { return bitmap_; }
    bool IsPushed() const { return press_.IsPushed(); }
    void Click() { SendMessage(BM_CLICK); }

protected:
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint();
    std::shared_ptr<Bitmap> bitmap_;
    PressTracker press_;
};

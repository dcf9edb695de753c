// An up-down control ("msctls_updown32"): two arrow buttons, up on the top
// half and down on the bottom half, that step a position within a range. A
// press steps once and then repeats while the button is held (timer). Each
// step is first offered to the parent as UDN_DELTAPOS (NMUPDOWN with the
// position and the proposed change, +1 towards the range's upper end); a
// non-zero answer refuses it. An accepted step changes the position (kept in
// the range), shows it in the buddy window with UDS_SETBUDDYINT, and sends
// WM_VSCROLL (SB_THUMBPOSITION, position in the high word; lParam = the
// control) to the parent.
#pragma once

#include "platform/window.h"

constexpr uint32_t UDS_WRAP = 0x0001;
constexpr uint32_t UDS_SETBUDDYINT = 0x0002;

constexpr UINT UDN_DELTAPOS = static_cast<UINT>(-722);
constexpr int SB_THUMBPOSITION = 4;
constexpr int SB_ENDSCROLL = 8;

struct NMUPDOWN {
    NMHDR hdr;
    int iPos = 0;
    int iDelta = 0;
};

class UpDownControl : public PlatformWindow {
public:
    ~UpDownControl() override { DestroyWindow(); }

    // Lower and upper ends, either way round; the up arrow moves towards upper.
    void SetRange(int lower, int upper);
    void GetRange(int* lower, int* upper) const;
    // Kept in the range; shown in the buddy with UDS_SETBUDDYINT; no
    // notification. Answers the position before.
    int SetPos(int pos);
    int GetPos() const { return pos_; }
    // Not owned. Answers the buddy before.
    PlatformWindow* SetBuddy(PlatformWindow* buddy);
    PlatformWindow* GetBuddy() const { return buddy_; }
    // One step as a press of the up (true) or down arrow would make it.
    void Step(bool up);
    // 0 none, 1 up, -1 down: the arrow held down.
    int PressedArrow() const { return pressed_; }

    static constexpr uint64_t kRepeatTimerId = 0x7D01;

protected:
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void ShowInBuddy();
    void Paint();

    int lower_ = 0;
    int upper_ = 100;
    int pos_ = 0;
    int pressed_ = 0;
    PlatformWindow* buddy_ = nullptr;
};

// The up-down control driven through simulated input, as the symbol browser
// uses it.
#include "platform/edit_control.h"
#include "platform/input_simulation.h"
#include "platform/key_state.h"
#include "platform/up_down_control.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Host : public PlatformWindow {
public:
    ~Host() override { DestroyWindow(); }
    std::vector<NMUPDOWN> deltas;
    std::vector<int> scrolls; // positions of SB_THUMBPOSITION
    LRESULT refuseDelta = 0;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& r) override {
        switch (msg) {
        case WM_NOTIFY: {
            auto* hdr = LParamToPtr<NMHDR>(l);
            if (hdr->code == UDN_DELTAPOS)
                deltas.push_back(*LParamToPtr<NMUPDOWN>(l));
            r = refuseDelta;
            return true;
        }
        case WM_VSCROLL:
            if (LOWORD(w) == SB_THUMBPOSITION)
                scrolls.push_back(static_cast<int16_t>(HIWORD(w)));
            r = 0;
            return true;
        default:
            return false;
        }
    }
};

class UpDownTest : public ::testing::Test {
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

TEST_F(UpDownTest, UpDownStepsAskTheParentAndFillTheBuddy) {
    EditControl buddy;
    ASSERT_TRUE(buddy.Create(&host, RECT{0, 0, 40, 20}, L"", WS_CHILD | WS_VISIBLE, 0, 1023));
    UpDownControl spin;
    ASSERT_TRUE(spin.Create(&host, RECT{40, 0, 56, 20}, L"",
                            WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT, 0, 1016));
    spin.SetRange(1, 3);
    spin.SetBuddy(&buddy);
    spin.SetPos(2);
    EXPECT_EQ(buddy.GetWindowText(), L"2");
    EXPECT_TRUE(host.deltas.empty());
    // Up arrow: the top half.
    SimulateMouse(&spin, WM_LBUTTONDOWN, POINT{8, 3}, MK_LBUTTON);
    EXPECT_EQ(spin.PressedArrow(), 1);
    EXPECT_TRUE(spin.HasTimer(UpDownControl::kRepeatTimerId));
    SimulateMouse(&spin, WM_LBUTTONUP, POINT{8, 3});
    EXPECT_FALSE(spin.HasTimer(UpDownControl::kRepeatTimerId));
    ASSERT_EQ(host.deltas.size(), 1u);
    EXPECT_EQ(host.deltas[0].iPos, 2);
    EXPECT_EQ(host.deltas[0].iDelta, 1);
    EXPECT_EQ(spin.GetPos(), 3);
    EXPECT_EQ(buddy.GetWindowText(), L"3");
    EXPECT_EQ(host.scrolls, std::vector<int>{3});
    // At the end of the range the step is offered but changes nothing.
    spin.Step(true);
    EXPECT_EQ(host.deltas.size(), 2u);
    EXPECT_EQ(spin.GetPos(), 3);
    // Holding the down arrow repeats on the timer.
    SimulateMouse(&spin, WM_LBUTTONDOWN, POINT{8, 17}, MK_LBUTTON);
    spin.SendMessage(WM_TIMER, UpDownControl::kRepeatTimerId);
    EXPECT_EQ(spin.GetPos(), 1);
    SimulateMouse(&spin, WM_LBUTTONUP, POINT{8, 17});
    // A refused step leaves the position alone; a reversed range steps the
    // other way.
    host.refuseDelta = 1;
    spin.Step(true);
    EXPECT_EQ(spin.GetPos(), 1);
    host.refuseDelta = 0;
    spin.SetRange(10, 0);
    spin.SetPos(5);
    spin.Step(true);
    EXPECT_EQ(host.deltas.back().iDelta, -1);
    EXPECT_EQ(spin.GetPos(), 4);
}

} // namespace

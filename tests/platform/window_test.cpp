// The window base: message routing, creation and destruction order,
// painting, input translation, focus, capture, timers and regions.
#include "platform/input_simulation.h"
#include "platform/key_state.h"
#include "platform/message_loop.h"
#include "platform/paint_target.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Seen {
    std::wstring who;
    UINT msg;
    WPARAM w;
    LPARAM l;
};

// Records the messages it is interested in; answers through a hook.
class Recorder : public PlatformWindow {
public:
    Recorder(std::wstring name, std::vector<Seen>* log) : name_(std::move(name)), log_(log) {}
    ~Recorder() override { DestroyWindow(); }
    std::function<bool(UINT, WPARAM, LPARAM, LRESULT&)> hook;
    std::vector<UINT> watch = {WM_CREATE,     WM_DESTROY,     WM_NCDESTROY,     WM_PAINT,
                               WM_ERASEBKGND, WM_USER + 1,    WM_USER + 2,      WM_KEYDOWN,
                               WM_KEYUP,      WM_CHAR,        WM_LBUTTONDOWN,   WM_LBUTTONUP,
                               WM_MOUSEMOVE,  WM_RBUTTONDOWN, WM_RBUTTONUP,     WM_LBUTTONDBLCLK,
                               WM_MOUSEWHEEL, WM_SETFOCUS,    WM_KILLFOCUS,     WM_TIMER,
                               WM_SIZE,       WM_CONTEXTMENU, WM_CAPTURECHANGED};
    PaintStruct lastPaint;
    ARGB paintFill = 0;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM w, LPARAM l, LRESULT& r) override {
        for (UINT m : watch)
            if (m == msg)
                log_->push_back(Seen{name_, msg, w, l});
        if (msg == WM_PAINT) {
            PaintStruct ps;
            BeginPaint(&ps);
            lastPaint = ps;
            if (paintFill)
                FillPaintRect(ps.target, ps.rcPaint, paintFill);
            EndPaint(&ps);
            return true;
        }
        return hook && hook(msg, w, l, r);
    }

private:
    std::wstring name_;
    std::vector<Seen>* log_;
};

class Swallow : public MessageFilter {
public:
    Swallow() { AddMessageFilter(this); }
    ~Swallow() override { RemoveMessageFilter(this); }
    UINT take = 0;
    std::vector<UINT> seen;
    bool PreTranslateMessage(Message* m) override {
        seen.push_back(m->message);
        return m->message == take;
    }
};

std::vector<std::wstring> Order(const std::vector<Seen>& log, UINT msg) {
    std::vector<std::wstring> out;
    for (const Seen& s : log)
        if (s.msg == msg)
            out.push_back(s.who);
    return out;
}

std::vector<UINT> Messages(const std::vector<Seen>& log) {
    std::vector<UINT> out;
    for (const Seen& s : log)
        out.push_back(s.msg);
    return out;
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetKeyState();
        ASSERT_TRUE(top.Create(nullptr, RECT{10, 10, 210, 110}, L"top", WS_VISIBLE));
        log.clear();
    }
    void TearDown() override {
        PlatformWindow::ReleaseCapture();
        PlatformWindow::SetFocusTo(nullptr);
        top.DestroyWindow();
        PumpPendingMessages();
    }
    std::vector<Seen> log;
    Recorder top{L"top", &log};
};

TEST_F(WindowTest, SendRunsNowPostWaitsForTheQueueAndPassesTheFilters) {
    Swallow filter;
    top.watch = {WM_USER + 1, WM_USER + 2};
    top.hook = [](UINT m, WPARAM w, LPARAM, LRESULT& r) {
        if (m != WM_USER + 1)
            return false;
        r = static_cast<LRESULT>(w * 2);
        return true;
    };
    EXPECT_EQ(top.SendMessage(WM_USER + 1, 21, 0), 42);
    EXPECT_TRUE(filter.seen.empty()); // sent messages bypass pre-translation
    // A pointer travels whole in lParam.
    int local = 0;
    ASSERT_TRUE(top.PostMessage(WM_USER + 2, 7, PtrToLParam(&local)));
    ASSERT_EQ(log.size(), 1u);
    PumpPendingMessages();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].msg, WM_USER + 2u);
    EXPECT_EQ(LParamToPtr<int>(log[1].l), &local);
    EXPECT_EQ(filter.seen, std::vector<UINT>{WM_USER + 2});
    filter.take = WM_USER + 2;
    top.PostMessage(WM_USER + 2, 8, 0);
    PumpPendingMessages();
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(WindowTest, PostedMessagesKeepTheirOrderAndDieWithTheWindow) {
    Recorder a(L"a", &log);
    ASSERT_TRUE(a.Create(&top, RECT{0, 0, 10, 10}));
    a.watch = top.watch = {WM_USER + 1, WM_USER + 2};
    log.clear();
    a.PostMessage(WM_USER + 1, 1, 0);
    top.PostMessage(WM_USER + 1, 2, 0);
    a.PostMessage(WM_USER + 2, 3, 0);
    PumpPendingMessages();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].w, 1u);
    EXPECT_EQ(log[1].w, 2u);
    EXPECT_EQ(log[2].w, 3u);
    log.clear();
    a.PostMessage(WM_USER + 1, 4, 0);
    a.DestroyWindow();
    log.clear();
    PumpPendingMessages();
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(a.PostMessage(WM_USER + 1, 5, 0));
}

TEST_F(WindowTest, ChildrenAreCreatedAfterAndDestroyedAfterTheirParent) {
    Recorder mid(L"mid", &log), leaf(L"leaf", &log), sib(L"sib", &log);
    ASSERT_TRUE(mid.Create(&top, RECT{0, 0, 50, 50}, L"", WS_CHILD | WS_VISIBLE, 0, 5));
    ASSERT_TRUE(leaf.Create(&mid, RECT{0, 0, 10, 10}));
    ASSERT_TRUE(sib.Create(&top, RECT{60, 0, 70, 10}));
    EXPECT_EQ(Order(log, WM_CREATE), (std::vector<std::wstring>{L"mid", L"leaf", L"sib"}));
    // WM_SIZE follows WM_CREATE with the client size.
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[1].msg, WM_SIZE);
    EXPECT_EQ(log[1].l, MAKELPARAM(50, 50));
    EXPECT_EQ(top.GetDlgItem(5), &mid);
    EXPECT_TRUE(top.IsChild(&leaf));
    log.clear();
    mid.DestroyWindow();
    EXPECT_EQ(Order(log, WM_DESTROY), (std::vector<std::wstring>{L"mid", L"leaf"}));
    EXPECT_EQ(Order(log, WM_NCDESTROY), (std::vector<std::wstring>{L"leaf", L"mid"}));
    EXPECT_FALSE(leaf.IsWindow());
    EXPECT_EQ(top.GetChildren(), std::vector<PlatformWindow*>{&sib});
    EXPECT_EQ(leaf.SendMessage(WM_USER + 1), 0);
}

TEST_F(WindowTest, CreateFailsWhenWmCreateRefuses) {
    Recorder child(L"child", &log);
    child.hook = [](UINT m, WPARAM, LPARAM, LRESULT& r) {
        if (m != WM_CREATE)
            return false;
        r = -1;
        return true;
    };
    EXPECT_FALSE(child.Create(&top, RECT{0, 0, 10, 10}));
    EXPECT_FALSE(child.IsWindow());
    EXPECT_EQ(Messages(log), (std::vector<UINT>{WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_TRUE(top.GetChildren().empty());
}

TEST_F(WindowTest, DestroyingTheFocusedWindowSendsKillFocusFirst) {
    Recorder child(L"child", &log);
    ASSERT_TRUE(child.Create(&top, RECT{0, 0, 10, 10}));
    child.SetFocus();
    log.clear();
    child.DestroyWindow();
    EXPECT_EQ(Messages(log), (std::vector<UINT>{WM_KILLFOCUS, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_EQ(PlatformWindow::GetFocus(), nullptr);
}

TEST_F(WindowTest, FocusMovesWithKillAndSetFocus) {
    Recorder a(L"a", &log), b(L"b", &log);
    ASSERT_TRUE(a.Create(&top, RECT{0, 0, 10, 10}));
    ASSERT_TRUE(b.Create(&top, RECT{0, 20, 10, 30}));
    log.clear();
    EXPECT_EQ(a.SetFocus(), nullptr);
    EXPECT_EQ(b.SetFocus(), &a);
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[1].who, L"a");
    EXPECT_EQ(log[1].msg, WM_KILLFOCUS);
    EXPECT_EQ(WParamToPtr<PlatformWindow>(log[1].w), &b);
    EXPECT_EQ(log[2].who, L"b");
    EXPECT_EQ(log[2].msg, WM_SETFOCUS);
    EXPECT_EQ(WParamToPtr<PlatformWindow>(log[2].w), &a);
    EXPECT_EQ(PlatformWindow::GetFocus(), &b);
}

TEST_F(WindowTest, InvalidateThenUpdatePaintsTheUpdateRectangle) {
    // The first full paint after showing, once the window system has
    // mapped and exposed the window (asynchronous on X).
    ASSERT_TRUE(WaitForFirstPaint(&top, kWindowSystemWaitMs));
    top.Invalidate(false);
    PumpPendingMessages();
    log.clear();
    RECT r{5, 6, 25, 16};
    top.InvalidateRect(&r, true);
    EXPECT_EQ(top.GetUpdateRect(), r);
    EXPECT_TRUE(top.GetUpdateErase());
    top.UpdateWindow();
    EXPECT_EQ(Messages(log), (std::vector<UINT>{WM_ERASEBKGND, WM_PAINT}));
    EXPECT_TRUE(top.lastPaint.target != nullptr);
    EXPECT_EQ(top.lastPaint.rcPaint, r);
    EXPECT_TRUE(top.lastPaint.erase);
    EXPECT_TRUE(IsRectEmpty(top.GetUpdateRect()));
    log.clear();
    top.InvalidateRect(nullptr, false);
    EXPECT_EQ(top.GetUpdateRect(), (RECT{0, 0, 200, 100}));
    top.UpdateWindow();
    EXPECT_EQ(Messages(log), std::vector<UINT>{WM_PAINT});
    EXPECT_FALSE(top.lastPaint.erase);
    // Outside WM_PAINT there is nothing to paint on.
    PaintStruct ps;
    EXPECT_EQ(top.BeginPaint(&ps), nullptr);
}

TEST_F(WindowTest, RenderErasesThenPaintsWindowAndChildren) {
    top.SetBackgroundColor(0x0000FF); // red
    Recorder child(L"child", &log);
    ASSERT_TRUE(child.Create(&top, RECT{100, 50, 120, 60}));
    child.SetNoBackground();
    child.paintFill = 0x00FF00; // green
    auto image = PaintTarget::CreateImage(200, 100, 0xFF000000);
    top.RenderTo(*image);
    EXPECT_EQ(image->PixelAt(0, 0), 0xFFFF0000u);
    EXPECT_EQ(image->PixelAt(110, 55), 0xFF00FF00u);
    EXPECT_EQ(image->PixelAt(99, 55), 0xFFFF0000u);
    EXPECT_EQ(image->PixelAt(120, 55), 0xFFFF0000u);
}

TEST_F(WindowTest, MouseEventsArriveWithClientPointAndKeyFlags) {
    Recorder child(L"child", &log);
    ASSERT_TRUE(child.Create(&top, RECT{20, 30, 120, 90}));
    log.clear();
    SimulateMouse(&child, WM_LBUTTONDOWN, POINT{5, 7}, MK_LBUTTON | MK_CONTROL);
    SimulateMouse(&child, WM_MOUSEMOVE, POINT{-3, 8}, MK_LBUTTON | MK_SHIFT);
    SimulateMouse(&child, WM_LBUTTONUP, POINT{6, 9}, 0);
    SimulateMouse(&child, WM_LBUTTONDBLCLK, POINT{6, 9}, MK_LBUTTON);
    SimulateMouse(&child, WM_RBUTTONDOWN, POINT{1, 2}, MK_RBUTTON);
    SimulateWheel(&child, POINT{1, 2}, -120, MK_CONTROL);
    // An unanswered wheel message goes on to the parent.
    ASSERT_EQ(Messages(log),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                 WM_RBUTTONDOWN, WM_MOUSEWHEEL, WM_MOUSEWHEEL}));
    EXPECT_EQ(log[6].who, L"top");
    EXPECT_EQ(log[0].w, MK_LBUTTON | MK_CONTROL);
    EXPECT_EQ(log[0].l, MAKELPARAM(5, 7));
    EXPECT_EQ(log[1].w, MK_LBUTTON | MK_SHIFT);
    EXPECT_EQ(GET_X_LPARAM(log[1].l), -3);
    EXPECT_EQ(GET_Y_LPARAM(log[1].l), 8);
    EXPECT_EQ(log[2].w, 0u);
    EXPECT_EQ(log[4].w, MK_RBUTTON);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(log[5].w), -120);
    EXPECT_EQ(GET_KEYSTATE_WPARAM(log[5].w), MK_CONTROL);
    POINT screen = child.ClientToScreen(POINT{1, 2});
    EXPECT_EQ(log[5].l, MAKELPARAM(screen.x, screen.y));
    // Releasing the right button asks for a context menu at the screen point.
    log.clear();
    SimulateMouse(&child, WM_RBUTTONUP, POINT{1, 2}, 0);
    ASSERT_EQ(Messages(log), (std::vector<UINT>{WM_RBUTTONUP, WM_CONTEXTMENU, WM_CONTEXTMENU}));
    EXPECT_EQ(log[2].who, L"top"); // unanswered, it goes on to the parent
    EXPECT_EQ(log[1].l, MAKELPARAM(screen.x, screen.y));
}

TEST_F(WindowTest, MouseMoveAsksForTheCursorFirst) {
    class CursorSetter : public PlatformWindow {
    protected:
        bool ProcessWindowMessage(UINT m, WPARAM, LPARAM l, LRESULT& r) override {
            if (m != WM_SETCURSOR)
                return false;
            EXPECT_EQ(LOWORD(static_cast<uint64_t>(l)), static_cast<unsigned>(HTCLIENT));
            EXPECT_EQ(HIWORD(static_cast<uint64_t>(l)), WM_MOUSEMOVE);
            SetCursor(CursorShape::SizeWE);
            r = 1;
            return true;
        }
    } setter;
    ASSERT_TRUE(setter.Create(&top, RECT{0, 0, 10, 10}));
    Recorder child(L"child", &log);
    ASSERT_TRUE(child.Create(&setter, RECT{0, 0, 5, 5}));
    SetCursor(CursorShape::Arrow);
    // The parent answers WM_SETCURSOR of its child.
    SimulateMouse(&child, WM_MOUSEMOVE, POINT{1, 1});
    EXPECT_EQ(GetCursor(), CursorShape::SizeWE);
    child.DestroyWindow();
    setter.DestroyWindow();
    // Without an answer the window's class cursor is set.
    top.SetClassCursor(CursorShape::Cross);
    SimulateMouse(&top, WM_MOUSEMOVE, POINT{1, 1});
    EXPECT_EQ(GetCursor(), CursorShape::Cross);
    EXPECT_EQ(LoadCursorResource(258), CursorShape::SizeWE);
}

TEST_F(WindowTest, KeysArriveAsKeyDownThenCharUnlessPreTranslated) {
    SimulateKey(&top, true, 'A', L"a");
    SimulateKey(&top, false, 'A');
    ASSERT_EQ(Messages(log), (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP}));
    EXPECT_EQ(log[0].w, static_cast<WPARAM>('A'));
    EXPECT_EQ(log[1].w, static_cast<WPARAM>(L'a'));
    log.clear();
    SimulateKey(&top, true, VK_RETURN, L"\r");
    SimulateKey(&top, true, VK_LEFT);
    SimulateKey(&top, true, VK_F1);
    ASSERT_EQ(Messages(log), (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYDOWN, WM_KEYDOWN}));
    EXPECT_EQ(log[0].w, static_cast<WPARAM>(VK_RETURN));
    EXPECT_EQ(log[1].w, 13u);
    EXPECT_EQ(log[2].w, static_cast<WPARAM>(VK_LEFT));
    EXPECT_EQ(log[3].w, static_cast<WPARAM>(VK_F1));
    // A filter that takes the key swallows its character too.
    Swallow filter;
    filter.take = WM_KEYDOWN;
    log.clear();
    SimulateKey(&top, true, VK_ESCAPE, L"\x1b");
    EXPECT_TRUE(log.empty());
}

// A digit key is that digit's key with Shift too, whatever Shift types on
// it: from the X key code where the window system gives one, from the symbol
// typed (a US keyboard's) where it gives none.
TEST_F(WindowTest, ShiftedDigitKeysArriveAsTheirDigits) {
    top.SetFocus();
    ASSERT_EQ(KeyboardFocusWindow(), &top);
    for (int digit = '0'; digit <= '9'; ++digit)
        for (WPARAM mk : {WPARAM(0), WPARAM(MK_SHIFT)}) {
            SCOPED_TRACE(std::string(1, static_cast<char>(digit)) + (mk ? " with Shift" : ""));
            log.clear();
            ASSERT_TRUE(SimulateFocusKey(true, digit, mk));
            SimulateKey(&top, true, digit, L"", mk);
            ASSERT_EQ(Order(log, WM_KEYDOWN), (std::vector<std::wstring>{L"top", L"top"}));
            for (const Seen& s : log) {
                if (s.msg == WM_KEYDOWN) {
                    EXPECT_EQ(s.w, static_cast<WPARAM>(digit));
                }
            }
            SimulateFocusKey(false, digit, mk);
            SimulateKey(&top, false, digit, L"", mk);
        }
    ResetKeyState();
}

TEST_F(WindowTest, KeyStateFollowsInputAndTests) {
    SimulateKey(&top, true, VK_SHIFT, L"", MK_SHIFT);
    EXPECT_TRUE(GetKeyState(VK_SHIFT) < 0);
    EXPECT_FALSE(GetKeyState(VK_CONTROL) < 0);
    SimulateKey(&top, false, VK_SHIFT, L"", 0);
    EXPECT_FALSE(GetKeyState(VK_SHIFT) < 0);
    SimulateKey(&top, true, VK_RMENU, L"", 0, false, true);
    EXPECT_TRUE(GetKeyState(VK_RMENU) < 0);
    EXPECT_TRUE(GetKeyState(VK_MENU) < 0);
    EXPECT_FALSE(GetKeyState(VK_LMENU) < 0);
    SimulateKey(&top, false, VK_RMENU, L"", 0, false, false);
    EXPECT_FALSE(GetKeyState(VK_MENU) < 0);
    SetKeyState(VK_LCONTROL, true);
    EXPECT_TRUE(GetKeyState(VK_CONTROL) < 0);
    SimulateMouse(&top, WM_LBUTTONDOWN, POINT{1, 1}, MK_LBUTTON | MK_CONTROL);
    EXPECT_TRUE(GetKeyState(VK_LBUTTON) < 0);
    EXPECT_TRUE(GetKeyState(VK_CONTROL) < 0);
    SimulateMouse(&top, WM_LBUTTONUP, POINT{1, 1}, 0);
    EXPECT_FALSE(GetKeyState(VK_LBUTTON) < 0);
    EXPECT_FALSE(GetKeyState(VK_CONTROL) < 0);
    ResetKeyState();
}

TEST_F(WindowTest, CaptureTakesEveryMouseMessage) {
    Recorder a(L"a", &log), b(L"b", &log);
    ASSERT_TRUE(a.Create(&top, RECT{0, 0, 50, 50}));
    ASSERT_TRUE(b.Create(&top, RECT{100, 0, 150, 50}));
    a.SetCapture();
    EXPECT_EQ(PlatformWindow::GetCapture(), &a);
    log.clear();
    SimulateMouse(&b, WM_MOUSEMOVE, POINT{5, 5}, MK_LBUTTON);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].who, L"a");
    EXPECT_EQ(log[0].l, MAKELPARAM(105, 5)); // in a's client coordinates
    EXPECT_TRUE(PlatformWindow::ReleaseCapture());
    EXPECT_EQ(log.back().msg, WM_CAPTURECHANGED);
    EXPECT_EQ(PlatformWindow::GetCapture(), nullptr);
    EXPECT_FALSE(PlatformWindow::ReleaseCapture());
    log.clear();
    SimulateMouse(&b, WM_MOUSEMOVE, POINT{5, 5});
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].who, L"b");
}

// Mouse events at screen points go where the window system sends them: to
// the topmost window there, to the window a held button pressed on, to the
// capture; the window the pointer leaves hears of it.
TEST_F(WindowTest, ScreenMouseGoesToTheWindowUnderThePointer) {
    Recorder view(L"view", &log), cover(L"cover", &log);
    view.watch.push_back(WM_MOUSELEAVE);
    ASSERT_TRUE(view.Create(&top, RECT{0, 0, 200, 100}));
    // Another top-level over the right half of the view, shown later and so
    // stacked above it; the picture waits until the window system shows it.
    const POINT origin = view.ClientToScreen(POINT{0, 0});
    ASSERT_TRUE(cover.Create(nullptr,
                             RECT{origin.x + 100, origin.y, origin.x + 200, origin.y + 100},
                             L"cover", WS_VISIBLE));
    ASSERT_NE(top.GrabFromScreen(), nullptr);
    ASSERT_NE(cover.GrabFromScreen(), nullptr);
    auto at = [&](int x, int y) { return POINT{origin.x + x, origin.y + y}; };
    EXPECT_EQ(MouseTargetAt(at(50, 50)), &view);
    EXPECT_EQ(MouseTargetAt(at(150, 50)), &cover);
    EXPECT_EQ(MouseTargetAt(at(-500, -500)), nullptr); // the bare screen

    // A click on the uncovered half reaches the view at its client point; on
    // the covered half the cover takes it.
    log.clear();
    EXPECT_EQ(SimulateScreenMouse(WM_LBUTTONDOWN, at(50, 40), MK_LBUTTON), &view);
    EXPECT_EQ(SimulateScreenMouse(WM_LBUTTONUP, at(50, 40)), &view);
    EXPECT_EQ(SimulateScreenMouse(WM_LBUTTONDOWN, at(150, 40), MK_LBUTTON), &cover);
    EXPECT_EQ(SimulateScreenMouse(WM_LBUTTONUP, at(150, 40)), &cover);
    ASSERT_EQ(Order(log, WM_LBUTTONDOWN), (std::vector<std::wstring>{L"view", L"cover"}));
    EXPECT_EQ(log[0].l, MAKELPARAM(50, 40));
    EXPECT_EQ(Order(log, WM_LBUTTONDOWN), Order(log, WM_LBUTTONUP));
    // Moving from the view onto the cover, the view hears the pointer leave.
    EXPECT_EQ(SimulateScreenMouse(WM_MOUSEMOVE, at(40, 40)), &view);
    log.clear();
    EXPECT_EQ(SimulateScreenMouse(WM_MOUSEMOVE, at(160, 40)), &cover);
    EXPECT_EQ(Messages(log), (std::vector<UINT>{WM_MOUSELEAVE, WM_MOUSEMOVE}));
    EXPECT_EQ(log[0].who, L"view");

    // A drag that leaves the view stays the view's while the button is held,
    // and the release ends it there.
    log.clear();
    SimulateScreenMouse(WM_LBUTTONDOWN, at(40, 40), MK_LBUTTON);
    SimulateScreenMouse(WM_MOUSEMOVE, at(170, 60), MK_LBUTTON);
    SimulateScreenMouse(WM_LBUTTONUP, at(170, 60));
    EXPECT_EQ(Order(log, WM_MOUSEMOVE), (std::vector<std::wstring>{L"view"}));
    EXPECT_EQ(Order(log, WM_LBUTTONUP), (std::vector<std::wstring>{L"view"}));
    EXPECT_EQ(log.back().l, MAKELPARAM(170, 60));
    log.clear();
    SimulateScreenMouse(WM_MOUSEMOVE, at(170, 60));
    EXPECT_EQ(Order(log, WM_MOUSEMOVE), (std::vector<std::wstring>{L"cover"}));
    // The capture takes everything, buttons or not.
    view.SetCapture();
    log.clear();
    EXPECT_EQ(SimulateScreenMouse(WM_MOUSEMOVE, at(180, 20)), &view);
    EXPECT_EQ(SimulateScreenMouse(WM_RBUTTONDOWN, at(180, 20), MK_RBUTTON), &view);
    EXPECT_EQ(Order(log, WM_RBUTTONDOWN), (std::vector<std::wstring>{L"view"}));
    EXPECT_EQ(log.back().l, MAKELPARAM(180, 20));
    SimulateScreenMouse(WM_RBUTTONUP, at(180, 20));
    PlatformWindow::ReleaseCapture();
    EXPECT_EQ(MouseTargetAt(at(180, 20)), &cover);
    // A hidden cover lets the pointer through to the view.
    cover.ShowWindow(false);
    PumpPendingMessages();
    EXPECT_EQ(MouseTargetAt(at(150, 50)), &view);
    cover.DestroyWindow();
    PumpPendingMessages();
}

TEST_F(WindowTest, TimersFireUntilKilled) {
    int fired = 0;
    top.hook = [&](UINT m, WPARAM w, LPARAM, LRESULT&) {
        if (m == WM_TIMER && w == 1052)
            ++fired;
        return false;
    };
    ASSERT_TRUE(top.SetTimer(1052, 1));
    EXPECT_TRUE(top.HasTimer(1052));
    // However busy the machine, the timer gets minutes to fire twice: the
    // test waits on the clock rather than counting pumps.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
    while (fired < 2 && std::chrono::steady_clock::now() < deadline) {
        PumpPendingMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_GE(fired, 2);
    EXPECT_TRUE(top.KillTimer(1052));
    EXPECT_FALSE(top.KillTimer(1052));
    int before = fired;
    PumpPendingMessages();
    EXPECT_EQ(fired, before);
}

TEST_F(WindowTest, MoveResizeTextAndRegion) {
    Recorder child(L"child", &log);
    ASSERT_TRUE(child.Create(&top, RECT{0, 0, 10, 10}, L"first"));
    EXPECT_EQ(child.GetWindowText(), L"first");
    child.SetWindowText(L"second");
    EXPECT_EQ(child.GetWindowText(), L"second");
    wchar_t buf[4];
    EXPECT_EQ(child.SendMessage(WM_GETTEXT, 4, PtrToLParam(buf)), 3);
    EXPECT_EQ(std::wstring(buf), L"sec");
    log.clear();
    child.MoveWindow(RECT{5, 6, 205, 18});
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0].msg, WM_SIZE);
    EXPECT_EQ(log[0].l, MAKELPARAM(200, 12));
    EXPECT_EQ(child.GetClientRect(), (RECT{0, 0, 200, 12}));
    EXPECT_EQ(child.GetRectInParent(), (RECT{5, 6, 205, 18}));
    POINT s = child.ClientToScreen(POINT{1, 1});
    EXPECT_EQ(child.ScreenToClient(s), (POINT{1, 1}));
    EXPECT_EQ(top.ScreenToClient(s), (POINT{6, 7}));
    log.clear();
    child.MoveWindow(RECT{7, 6, 207, 18}); // same size: no WM_SIZE
    EXPECT_TRUE(Order(log, WM_SIZE).empty());
    // The property tab's trapezoid.
    child.MoveWindow(RECT{0, 0, 200, 12});
    child.SetWindowRegion({{73, 0}, {85, 12}, {115, 12}, {127, 0}});
    EXPECT_TRUE(child.PtInWindowRegion(POINT{100, 5}));
    EXPECT_FALSE(child.PtInWindowRegion(POINT{74, 10}));
    EXPECT_FALSE(child.PtInWindowRegion(POINT{20, 5}));
    child.ShowWindow(false);
    EXPECT_FALSE(child.IsWindowVisible());
    EXPECT_TRUE(top.IsWindowVisible());
}

TEST_F(WindowTest, ReflectionSendsNotificationsBackToTheChild) {
    Recorder child(L"child", &log);
    ASSERT_TRUE(child.Create(&top, RECT{0, 0, 10, 10}, L"", WS_CHILD | WS_VISIBLE, 0, 9));
    child.watch = {WM_COMMAND + OCM_BASE, WM_NOTIFY + OCM_BASE, WM_DRAWITEM + OCM_BASE,
                   WM_MEASUREITEM + OCM_BASE};
    log.clear();
    top.hook = [&](UINT m, WPARAM w, LPARAM l, LRESULT& r) {
        return top.ReflectNotifications(m, w, l, r);
    };
    child.NotifyParentCommand(BN_CLICKED);
    NMHDR hdr;
    hdr.code = NM_CLICK;
    child.NotifyParent(&hdr);
    DRAWITEMSTRUCT dis;
    dis.hwndItem = &child;
    top.SendMessage(WM_DRAWITEM, 9, PtrToLParam(&dis));
    MEASUREITEMSTRUCT mis;
    mis.CtlID = 9;
    top.SendMessage(WM_MEASUREITEM, 9, PtrToLParam(&mis));
    EXPECT_EQ(Messages(log),
              (std::vector<UINT>{WM_COMMAND + OCM_BASE, WM_NOTIFY + OCM_BASE,
                                 WM_DRAWITEM + OCM_BASE, WM_MEASUREITEM + OCM_BASE}));
    EXPECT_EQ(log[0].w, MAKEWPARAM(9, BN_CLICKED));
    EXPECT_EQ(WindowFromLParam(log[0].l), &child);
    EXPECT_EQ(LParamToPtr<NMHDR>(log[1].l)->hwndFrom, &child);
    EXPECT_EQ(LParamToPtr<NMHDR>(log[1].l)->idFrom, 9u);
}

} // namespace

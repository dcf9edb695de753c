// Property sheets: pages created when first shown, the leave / apply /
// cancel notifications and their refusals, the Apply button following the
// pages' changed marks, and the keyboard - each driven through simulated
// input on a modal run answered by a hook.
#include "platform/button_control.h"
#include "platform/edit_control.h"
#include "platform/input_simulation.h"
#include "platform/key_state.h"
#include "platform/property_sheet.h"
#include "platform/tab_control.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kEdit = 100;
constexpr int kButton = 101;

// A page that logs what it hears as "<name>:<event>" and refuses what it is
// told to refuse.
class LoggingPage : public PropertyPage {
public:
    LoggingPage(std::wstring title, std::vector<std::string>* log, std::string name, int cy = 60)
        : PropertyPage(DialogTemplate{
              0,
              std::move(title),
              120,
              cy,
              true,
              {DlgEdit(kEdit, 7, 7, 60, 12), DlgButton(kButton, L"Press", 7, 25, 50, 14)}}),
          log_(log), name_(std::move(name)) {}
    ~LoggingPage() override { DestroyWindow(); }

    bool refuseLeave = false;
    bool refuseApply = false;
    bool refuseCancel = false;

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM w, LPARAM, LRESULT& result) override {
        if (msg == WM_INITDIALOG)
            Log("init");
        if (msg == WM_COMMAND && LOWORD(w) == kButton && HIWORD(w) == BN_CLICKED) {
            Log("button");
            result = 0;
            return true;
        }
        if (msg == WM_COMMAND && LOWORD(w) == kEdit && HIWORD(w) == EN_CHANGE)
            SetModified(true);
        return false;
    }
    void OnSetActive() override { Log("set"); }
    bool OnKillActive() override {
        Log(refuseLeave ? "kill-refused" : "kill");
        if (refuseLeave)
            GotoDlgCtrl(kEdit);
        return !refuseLeave;
    }
    bool OnApply() override {
        Log("apply");
        return !refuseApply;
    }
    bool OnQueryCancel() override {
        Log("query-cancel");
        return !refuseCancel;
    }
    void OnReset() override { Log("reset"); }

private:
    void Log(const char* what) { log_->push_back(name_ + ":" + what); }
    std::vector<std::string>* log_;
    std::string name_;
};

void Click(PlatformWindow* w, POINT at = POINT{3, 3}) {
    ASSERT_NE(w, nullptr);
    SimulateMouse(w, WM_LBUTTONDOWN, at, MK_LBUTTON);
    SimulateMouse(w, WM_LBUTTONUP, at);
}

void ClickTab(PropertySheet& sheet, int index) {
    TabControl* tab = sheet.GetTabControl();
    ASSERT_NE(tab, nullptr);
    RECT rc;
    ASSERT_TRUE(tab->GetItemRect(index, &rc));
    Click(tab, POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
}

void Press(int vk, WPARAM mk = 0) {
    PlatformWindow* focus = PlatformWindow::GetFocus();
    ASSERT_NE(focus, nullptr);
    SimulateKey(focus, true, vk, L"", mk);
    SimulateKey(focus, false, vk, L"", mk);
}

class PropertySheetTest : public ::testing::Test {
protected:
    void TearDown() override { ResetKeyState(); }

    // Runs the sheet with the three pages, driven by drive; the result.
    int Run(std::function<void(PropertySheet&)> drive, int startPage = 0) {
        PropertySheet sheet(L"Settings", startPage);
        sheet.AddPage(&a);
        sheet.AddPage(&b);
        sheet.AddPage(&c);
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            ASSERT_EQ(&d, &sheet);
            drive(sheet);
        });
        return sheet.DoModal();
    }

    std::vector<std::string> log;
    LoggingPage a{L"First", &log, "a"};
    LoggingPage b{L"Second", &log, "b", 90};
    LoggingPage c{L"Third", &log, "c"};
    ScopedUiHooksRecorder ui;
};

using Log = std::vector<std::string>;

TEST_F(PropertySheetTest, PagesAreCreatedWhenFirstShownAndKeptUntilTheSheetCloses) {
    int result = Run([&](PropertySheet& s) {
        EXPECT_EQ(s.GetWindowText(), L"Settings");
        TabControl* tab = s.GetTabControl();
        ASSERT_EQ(tab->GetItemCount(), 3);
        EXPECT_EQ(tab->GetItemText(1), L"Second");
        EXPECT_EQ(s.GetActiveIndex(), 0);
        EXPECT_TRUE(a.IsWindow());
        EXPECT_FALSE(b.IsWindow());
        EXPECT_EQ(log, (Log{"a:init", "a:set"}));
        // The focus starts on the shown page's first control.
        EXPECT_EQ(PlatformWindow::GetFocus(), a.GetDlgItem(kEdit));
        // The tallest page sets the page area; every page lies inside the
        // strip's display area, below the tabs.
        ClickTab(s, 1);
        EXPECT_EQ(s.GetActiveIndex(), 1);
        EXPECT_EQ(tab->GetCurSel(), 1);
        EXPECT_TRUE(b.GetStyle() & WS_VISIBLE);
        EXPECT_FALSE(a.GetStyle() & WS_VISIBLE);
        RECT page = b.GetRectInParent(), strip = tab->GetRectInParent();
        EXPECT_GE(page.top, strip.top + tab->GetTabHeight());
        EXPECT_LE(page.bottom, strip.bottom);
        EXPECT_LE(page.right, strip.right);
        RECT ok = s.GetDlgItem(1)->GetRectInParent();
        EXPECT_GT(ok.top, strip.bottom);
        EXPECT_LE(ok.bottom, s.GetClientRect().bottom);
        ClickTab(s, 0);
        EXPECT_TRUE(a.GetStyle() & WS_VISIBLE);
        EXPECT_EQ(log, (Log{"a:init", "a:set", "a:kill", "b:init", "b:set", "b:kill", "a:set"}));
        // Clicking the shown tab changes nothing.
        log.clear();
        ClickTab(s, 0);
        EXPECT_TRUE(log.empty());
        s.EndDialog(2);
    });
    EXPECT_EQ(result, 2);
    EXPECT_FALSE(a.IsWindow());
    EXPECT_FALSE(b.IsWindow());
    // A second run starts afresh.
    log.clear();
    Run(
        [&](PropertySheet& s) {
            EXPECT_EQ(s.GetActiveIndex(), 2);
            EXPECT_EQ(s.GetTabControl()->GetCurSel(), 2);
            s.EndDialog(2);
        },
        2);
    EXPECT_EQ(log, (Log{"c:init", "c:set"}));
}

TEST_F(PropertySheetTest, APageThatRefusesToBeLeftKeepsTheSheetOnIt) {
    a.refuseLeave = true;
    int result = Run([&](PropertySheet& s) {
        ClickTab(s, 2);
        EXPECT_EQ(s.GetActiveIndex(), 0);
        EXPECT_EQ(s.GetTabControl()->GetCurSel(), 0);
        EXPECT_FALSE(c.IsWindow());
        EXPECT_EQ(PlatformWindow::GetFocus(), a.GetDlgItem(kEdit));
        EXPECT_FALSE(s.SetActivePage(1));
        // OK does not close either, and applies nothing.
        Click(s.GetDlgItem(1));
        EXPECT_FALSE(s.IsEnded());
        EXPECT_EQ(log,
                  (Log{"a:init", "a:set", "a:kill-refused", "a:kill-refused", "a:kill-refused"}));
        a.refuseLeave = false;
        Click(s.GetDlgItem(1));
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(log.back(), "a:apply");
}

TEST_F(PropertySheetTest, OkLeavesTheShownPageThenAppliesEveryCreatedPageInOrder) {
    EXPECT_EQ(Run([&](PropertySheet& s) {
                  ClickTab(s, 2);
                  log.clear();
                  Click(s.GetDlgItem(1));
              }),
              1);
    EXPECT_EQ(log, (Log{"c:kill", "a:apply", "c:apply"}));

    // A page refusing to apply keeps the sheet open and is shown.
    log.clear();
    b.refuseApply = true;
    EXPECT_EQ(Run([&](PropertySheet& s) {
                  ClickTab(s, 1);
                  ClickTab(s, 2);
                  log.clear();
                  Click(s.GetDlgItem(1));
                  EXPECT_FALSE(s.IsEnded());
                  EXPECT_EQ(s.GetActiveIndex(), 1);
                  EXPECT_EQ(log, (Log{"c:kill", "a:apply", "b:apply", "b:set"}));
                  b.refuseApply = false;
                  s.EndDialog(2);
              }),
              2);
}

TEST_F(PropertySheetTest, CancelResetsTheCreatedPagesUnlessTheShownOneRefuses) {
    EXPECT_EQ(Run([&](PropertySheet& s) {
                  ClickTab(s, 1);
                  log.clear();
                  b.refuseCancel = true;
                  Click(s.GetDlgItem(2));
                  EXPECT_FALSE(s.IsEnded());
                  b.refuseCancel = false;
                  Click(s.GetDlgItem(2));
              }),
              2);
    // Cancel leaves no page: nothing is killed or applied.
    EXPECT_EQ(log, (Log{"b:query-cancel", "b:query-cancel", "a:reset", "b:reset"}));
}

TEST_F(PropertySheetTest, ApplyFollowsTheChangedMarks) {
    Run([&](PropertySheet& s) {
        PlatformWindow* apply = s.GetDlgItem(PropertySheet::kApplyId);
        ASSERT_NE(apply, nullptr);
        EXPECT_EQ(s.GetDlgItemText(PropertySheet::kApplyId), L"&Apply");
        EXPECT_FALSE(apply->IsWindowEnabled());
        a.SetDlgItemText(kEdit, L"changed");
        EXPECT_TRUE(a.IsModified());
        EXPECT_TRUE(apply->IsWindowEnabled());
        log.clear();
        Click(apply);
        EXPECT_FALSE(s.IsEnded());
        EXPECT_EQ(log, (Log{"a:kill", "a:apply"}));
        EXPECT_FALSE(a.IsModified());
        EXPECT_FALSE(apply->IsWindowEnabled());
        // A disabled Apply does nothing.
        Click(apply);
        EXPECT_EQ(log.size(), 2u);
        // Unmarking the last changed page disables it again.
        b.SetModified(true);
        EXPECT_TRUE(apply->IsWindowEnabled());
        b.SetModified(false);
        EXPECT_FALSE(apply->IsWindowEnabled());
        s.EndDialog(2);
    });
}

TEST_F(PropertySheetTest, Keyboard) {
    EXPECT_EQ(Run([&](PropertySheet& s) {
                  // Ctrl+Tab and Ctrl+Page Down go forward, wrapping; the shift
                  // and Page Up variants go back.
                  Press(VK_TAB, MK_CONTROL);
                  EXPECT_EQ(s.GetActiveIndex(), 1);
                  Press(VK_NEXT, MK_CONTROL);
                  EXPECT_EQ(s.GetActiveIndex(), 2);
                  Press(VK_TAB, MK_CONTROL);
                  EXPECT_EQ(s.GetActiveIndex(), 0);
                  Press(VK_TAB, MK_CONTROL | MK_SHIFT);
                  EXPECT_EQ(s.GetActiveIndex(), 2);
                  Press(VK_PRIOR, MK_CONTROL);
                  EXPECT_EQ(s.GetActiveIndex(), 1);
                  // Tab goes round the strip, the page's controls and the buttons.
                  b.GotoDlgCtrl(kEdit);
                  std::vector<PlatformWindow*> seen;
                  for (int i = 0; i < 6; ++i) {
                      Press(VK_TAB);
                      seen.push_back(PlatformWindow::GetFocus());
                  }
                  EXPECT_EQ(seen,
                            (std::vector<PlatformWindow*>{
                                b.GetDlgItem(kButton), s.GetDlgItem(1), s.GetDlgItem(2),
                                s.GetTabControl(), b.GetDlgItem(kEdit), b.GetDlgItem(kButton)}));
                  Press(VK_TAB, MK_SHIFT);
                  EXPECT_EQ(PlatformWindow::GetFocus(), b.GetDlgItem(kEdit));
                  // Left and right on the strip switch pages too.
                  s.GetTabControl()->SetFocus();
                  Press(VK_RIGHT);
                  EXPECT_EQ(s.GetActiveIndex(), 2);
                  EXPECT_EQ(PlatformWindow::GetFocus(), s.GetTabControl());
                  // Enter on a page's push button presses it, not OK.
                  c.GotoDlgCtrl(kButton);
                  log.clear();
                  Press(VK_RETURN);
                  EXPECT_EQ(log, (Log{"c:button"}));
                  EXPECT_FALSE(s.IsEnded());
                  // Esc is Cancel.
                  Press(VK_ESCAPE);
              }),
              2);
    // Enter in an edit is OK.
    EXPECT_EQ(Run([&](PropertySheet&) { Press(VK_RETURN); }), 1);
    // Closing the window is Cancel.
    EXPECT_EQ(Run([&](PropertySheet& s) { s.SendMessage(WM_CLOSE); }), 2);
}

} // namespace

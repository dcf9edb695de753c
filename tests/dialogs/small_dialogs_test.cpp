// The three small dialogs, driven as modal dialogs through the modal hook:
// the about box's lines from the build, the power-pin dialog refusing an
// empty net name, and the conductor width in the view's unit. Each writes a
// picture of itself to build/pictures/.
#include "dialogs/about_dlg.h"
#include "dialogs/add_power_pin.h"
#include "dialogs/cond_width.h"
#include "platform/file.h"
#include "platform/input_simulation.h"
#include "platform/paint_target.h"
#include "platform/text.h"
#include "resources/version_info.h"
#include "tests/dialogs/dialog_driver.h"
#include "tests/focus_input.h"
#include "tests/screen_picture.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

namespace {

void Picture(PlatformDialog& dialog, const wchar_t* name) {
    screen_picture::CheckAndWrite(dialog, name);
}

void ClickButton(PlatformDialog& dialog, int id) {
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), BN_CLICKED),
                       PtrToLParam(dialog.GetDlgItem(id)));
}

TEST(AboutDialog, ShowsNameBuildAndCopyrightFromTheBuild) {
    const VersionInfo& v = GetVersionInfo();
    ASSERT_FALSE(v.fileVersion.empty());
    std::wstring first, second;
    ScopedModalDialogHook hook([&](PlatformDialog& d) {
        first = d.GetDlgItemText(CAboutDlg::kFirstLine);
        second = d.GetDlgItemText(CAboutDlg::kSecondLine);
        Picture(d, L"about");
        SimulateKey(d.GetDlgItem(IDOK), true, VK_RETURN, L"\r");
    });
    CAboutDlg about;
    EXPECT_EQ(about.DoModal(), IDOK);
    EXPECT_EQ(first, L"Vorpel Build " + v.fileVersion);
    EXPECT_EQ(second, v.legalCopyright);
    EXPECT_NE(second.find(L"Copyright"), std::wstring::npos);
}

TEST(AddPowerPinDialog, AnEmptyNetNameIsRefusedOnOkOnly) {
    ScopedUiHooksRecorder ui;
    int round = 0;
    ScopedModalDialogHook hook([&](PlatformDialog& d) {
        EXPECT_EQ(d.GetDlgItemText(CAddPowerPin::kNetName), L"");
        EXPECT_EQ(d.GetDlgItemText(CAddPowerPin::kPinNumbers), L"7");
        if (round++ == 0)
            Picture(d, L"add-power-pin");
        ClickButton(d, IDOK);
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(PlatformWindow::GetFocus(), d.GetDlgItem(CAddPowerPin::kNetName));
        d.SetDlgItemText(CAddPowerPin::kNetName, L"VCC");
        d.SetDlgItemText(CAddPowerPin::kPinNumbers, L"7,14");
        ClickButton(d, IDOK);
    });
    CAddPowerPin dlg(L"", L"7");
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_netName, L"VCC");
    EXPECT_EQ(dlg.m_pinNumbers, L"7,14");
    ASSERT_EQ(ui.messageBoxes.size(), 1u);
    EXPECT_EQ(ui.messageBoxes[0].text, L"Enter net name ");
    EXPECT_EQ(ui.messageBoxes[0].caption, L"Vorpel");
    EXPECT_EQ(ui.messageBoxes[0].Icon(), MB_ICONSTOP);

    // Cancel with an empty name simply closes, reading the fields back.
    ScopedModalDialogHook cancel([](PlatformDialog& d) {
        d.SetDlgItemText(CAddPowerPin::kPinNumbers, L"1");
        ClickButton(d, IDCANCEL);
    });
    CAddPowerPin other;
    EXPECT_EQ(other.DoModal(), IDCANCEL);
    EXPECT_EQ(other.m_pinNumbers, L"1");
    EXPECT_EQ(ui.messageBoxes.size(), 1u);
}

class CondWidthDialog : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        saved_ = std::setlocale(LC_ALL, nullptr);
        if (!std::setlocale(LC_ALL, GetParam()))
            FAIL() << "locale " << GetParam() << " is not installed";
    }
    void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }
    std::string saved_;
};

TEST_P(CondWidthDialog, ShowsTheWidthInTheUnitAndReturnsMillimetres) {
    std::wstring shown, unit;
    ScopedModalDialogHook hook([&](PlatformDialog& d) {
        shown = d.GetDlgItemText(CCondWidth::kWidth);
        unit = d.GetDlgItemText(CCondWidth::kUnitName);
        Picture(d, L"conductor-width");
        d.SetDlgItemText(CCondWidth::kWidth, L"12");
        ClickButton(d, IDOK);
    });
    CCondWidth dlg(0.254f, kUnitMil);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(shown, L"10.0");
    EXPECT_EQ(unit, L"mil");
    EXPECT_NEAR(dlg.m_width, 0.3048f, 1e-6f);
}

TEST_P(CondWidthDialog, ABadEntryBeepsAndKeepsTheWidth) {
    ScopedUiHooksRecorder ui;
    ScopedModalDialogHook hook([&](PlatformDialog& d) {
        EXPECT_EQ(d.GetDlgItemText(CCondWidth::kWidth), L"0.250");
        d.SetDlgItemText(CCondWidth::kWidth, L"1,5");
        ClickButton(d, IDOK);
        // OK waits, showing the width kept; a second OK takes that.
        EXPECT_FALSE(d.IsEnded());
        EXPECT_EQ(d.GetDlgItemText(CCondWidth::kWidth), L"0.250");
        ClickButton(d, IDOK);
    });
    CCondWidth dlg(0.25f, kUnitMm);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_FLOAT_EQ(dlg.m_width, 0.25f);
    EXPECT_EQ(ui.beeps.size(), 1u);
    // Cancel hands back the width unconverted; in inch it stays in inch.
    ScopedModalDialogHook cancel([](PlatformDialog& d) { ClickButton(d, IDCANCEL); });
    CCondWidth inch(2.54f, kUnitInch);
    EXPECT_EQ(inch.DoModal(), IDCANCEL);
    EXPECT_FLOAT_EQ(inch.m_width, 0.1f);
}

// Keys as the user gives them: a width the conductor cannot take, or no
// number, and Enter beep; the dialog stays open with the width it holds
// shown again, and Esc hands back that width.
TEST_P(CondWidthDialog, ARefusedWidthIsShownAsRefused) {
    ScopedUiHooksRecorder ui;
    ScopedModalDialogHook hook([&](PlatformDialog& d) {
        ASSERT_TRUE(dialog_driver::ShownOnScreen(d));
        PlatformWindow* field = d.GetDlgItem(CCondWidth::kWidth);
        ASSERT_EQ(PlatformWindow::GetFocus(), field);
        for (const wchar_t* typed : {L"-1", L"0", L"0.001", L"abc", L"1,5"}) {
            SCOPED_TRACE(WideToUtf8(typed));
            PressKeyAtFocus('A', MK_CONTROL);
            TypeAtFocus(typed);
            ASSERT_EQ(d.GetDlgItemText(CCondWidth::kWidth), typed);
            PressKeyAtFocus(VK_RETURN);
            EXPECT_FALSE(d.IsEnded());
            EXPECT_EQ(ui.beeps, (std::vector<unsigned>{kSimpleBeep}));
            EXPECT_EQ(PlatformWindow::GetFocus(), field);
            EXPECT_EQ(d.GetDlgItemText(CCondWidth::kWidth), L"0.250");
            ui.Clear();
        }
        PressKeyAtFocus(VK_ESCAPE);
    });
    CCondWidth dlg(0.25f, kUnitMm);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_FLOAT_EQ(dlg.m_width, 0.25f);
    EXPECT_TRUE(ui.beeps.empty());
}

INSTANTIATE_TEST_SUITE_P(Locales, CondWidthDialog, ::testing::Values("C", "de_DE.UTF-8"));

} // namespace

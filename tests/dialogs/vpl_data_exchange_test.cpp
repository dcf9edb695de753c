// Unit-aware number fields: strict reading, fixed decimals, the unit factor
// of DDX_Length, the range check, and the beep and focus of a rejected
// entry - each table run under the C locale and under one with a decimal
// comma.
#include "dialogs/vpl_data_exchange.h"
#include "platform/dialog.h"
#include "platform/text.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace {

constexpr int kWidth = 1083;
constexpr int kOther = 1084;

class WidthDialog : public PlatformDialog, public CVplDataExchange<WidthDialog> {
public:
    WidthDialog()
        : PlatformDialog(
              DialogTemplate{1022,
                             L"Conductor width",
                             120,
                             60,
                             false,
                             {DlgEdit(kWidth, 40, 7, 60, 12), DlgEdit(kOther, 40, 23, 60, 12),
                              DlgDefButton(1, L"OK", 7, 40, 50, 14)}}) {}
    ~WidthDialog() override { DestroyWindow(); }
};

class VplDataExchange : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        saved_ = std::setlocale(LC_ALL, nullptr);
        if (!std::setlocale(LC_ALL, GetParam()))
            FAIL() << "locale " << GetParam() << " is not installed";
        ASSERT_TRUE(dlg_.Create(nullptr));
        dlg_.GotoDlgCtrl(kOther);
    }
    void TearDown() override {
        dlg_.DestroyWindow();
        std::setlocale(LC_ALL, saved_.c_str());
    }
    // Types text into the field and reads it into a member starting at 7.
    int Save(const std::wstring& text, float& value) {
        dlg_.SetDlgItemText(kWidth, text);
        value = 7.0f;
        return dlg_.DDX_Float(kWidth, value, true, false, 0.0f, 0.0f, 6);
    }

    std::string saved_;
    WidthDialog dlg_;
    ScopedUiHooksRecorder ui_;
};

TEST_P(VplDataExchange, StrictReading) {
    struct Case {
        std::wstring text;
        bool accepted;
        float value;
    };
    const Case cases[] = {
        {L" 1.5\t", true, 1.5f},
        {L"1.5", true, 1.5f},
        {L"\t \t2", true, 2.0f},
        {L"0", true, 0.0f},
        {L"0.000", true, 0.0f},
        {L"   0", true, 0.0f},
        {L"00", true, 0.0f},
        {L"1e2", true, 100.0f},
        {L"-2.25", true, -2.25f},
        {L"+3", true, 3.0f},
        {L"0.5e-1", true, 0.05f},
        {L"1.5mm", false, 0},
        {L"1,5", false, 0},
        {L"", false, 0},
        {L"   ", false, 0},
        {L"-0", false, 0},
        {L"+0", false, 0},
        {L".0", false, 0},
        {L"abc", false, 0},
        {L"1 5", false, 0},
        {L"0x", false, 0},
        // Beyond what a length can be: never stored as infinite or NaN.
        {L"nan", false, 0},
        {L"inf", false, 0},
        {L"1e39", false, 0},
    };
    for (const Case& c : cases) {
        ui_.Clear();
        dlg_.GotoDlgCtrl(kOther);
        float v = 0;
        int r = Save(c.text, v);
        EXPECT_EQ(r != 0, c.accepted) << WideToUtf8(c.text);
        if (c.accepted) {
            EXPECT_FLOAT_EQ(v, c.value) << WideToUtf8(c.text);
            EXPECT_TRUE(ui_.beeps.empty());
            EXPECT_EQ(PlatformWindow::GetFocus(), dlg_.GetDlgItem(kOther));
        } else {
            EXPECT_EQ(v, 7.0f) << "member left unchanged for " << WideToUtf8(c.text);
            EXPECT_EQ(ui_.beeps, (std::vector<unsigned>{kSimpleBeep}));
            EXPECT_EQ(PlatformWindow::GetFocus(), dlg_.GetDlgItem(kWidth));
        }
    }
}

// An entry longer than the field's 31 characters is refused whole: cut to
// its first 31 it could read as another number.
TEST_P(VplDataExchange, EntriesLongerThan31CharactersAreRejected) {
    float v = 0;
    std::wstring digits = L"1234567890123456789012345678901";
    ASSERT_EQ(digits.size(), 31u);
    EXPECT_EQ(Save(digits, v), 1);
    EXPECT_FLOAT_EQ(v, 1.234567890123456789e30f);
    ui_.Clear();
    EXPECT_EQ(Save(digits + L"abcdefghi", v), 0);
    EXPECT_EQ(v, 7.0f);
    EXPECT_EQ(ui_.beeps, (std::vector<unsigned>{kSimpleBeep}));
    EXPECT_EQ(PlatformWindow::GetFocus(), dlg_.GetDlgItem(kWidth));
    // Refused whether or not the cut would change the number: 1 followed by
    // 31 zeros would have been read as a tenth of itself.
    EXPECT_EQ(Save(L"0.25" + std::wstring(30, L'0'), v), 0);
    EXPECT_EQ(Save(L"1" + std::wstring(31, L'0'), v), 0);
    EXPECT_EQ(v, 7.0f);
    EXPECT_EQ(Save(std::wstring(31, L' ') + L"5", v), 0);
    EXPECT_EQ(Save(std::wstring(30, L' ') + L"5", v), 1);
    EXPECT_EQ(v, 5.0f);
}

TEST_P(VplDataExchange, WritingUsesTheGivenDecimals) {
    struct Case {
        float value;
        int digits;
        std::wstring shown;
    };
    const Case cases[] = {
        {0.25f, 3, L"0.250"},  {10.0f, 0, L"10"},    {1.25f, 1, L"1.2"},
        {-0.5f, 3, L"-0.500"}, {2.54f, 3, L"2.540"}, {1234.5f, 1, L"1234.5"},
    };
    for (const Case& c : cases) {
        float v = c.value;
        EXPECT_EQ(dlg_.DDX_Float(kWidth, v, false, false, 0, 0, c.digits), 1);
        EXPECT_EQ(dlg_.GetDlgItemText(kWidth), c.shown);
    }
    // Never more than 31 characters.
    float huge = 3.0e38f;
    EXPECT_EQ(dlg_.DDX_Float(kWidth, huge, false, false, 0, 0, 3), 1);
    EXPECT_EQ(dlg_.GetDlgItemText(kWidth).size(), 31u);
}

TEST_P(VplDataExchange, LengthsConvertThroughTheUnit) {
    struct Case {
        int unit;
        std::wstring typed;
        float mm;
        std::wstring shownBack;
    };
    const Case cases[] = {
        {kUnitInch, L"0.1", 2.54f, L"0.100"},   {kUnitMm, L"2.54", 2.54f, L"2.540"},
        {kUnitMil, L"100", 2.54f, L"100.0"},    {kUnitMicrometre, L"2540", 2.54f, L"2540"},
        {kUnitMil, L"7.87", 0.199898f, L"7.9"},
    };
    for (const Case& c : cases) {
        dlg_.SetDlgItemText(kWidth, c.typed);
        float mm = 0;
        EXPECT_EQ(dlg_.DDX_Length(kWidth, mm, true, false, 0, 0, c.unit), 1);
        EXPECT_FLOAT_EQ(mm, c.mm) << WideToUtf8(c.typed);
        EXPECT_EQ(dlg_.DDX_Length(kWidth, mm, false, false, 0, 0, c.unit), 1);
        EXPECT_EQ(dlg_.GetDlgItemText(kWidth), c.shownBack);
    }
    // The product is formed in double precision before narrowing.
    dlg_.SetDlgItemText(kWidth, L"0.3");
    float mm = 0;
    dlg_.DDX_Length(kWidth, mm, true, false, 0, 0, kUnitMil);
    EXPECT_EQ(mm, static_cast<float>(0.3 * 0.0254));
}

// A number out of range is refused like one that cannot be read: the
// member keeps its value and the field shows it again, with the decimals it
// was shown with.
TEST_P(VplDataExchange, OutOfRangeEntriesAreRefusedAndTheHeldValueShownAgain) {
    float v = 2.5f;
    ASSERT_EQ(dlg_.DDX_Float(kWidth, v, false, false, 0, 0, 1), 1);
    dlg_.SetDlgItemText(kWidth, L"12");
    EXPECT_EQ(dlg_.DDX_Float(kWidth, v, true, true, 0.0f, 10.0f, 6), 0);
    EXPECT_EQ(v, 2.5f);
    EXPECT_EQ(dlg_.GetDlgItemText(kWidth), L"2.5");
    EXPECT_EQ(ui_.beeps.size(), 1u);
    EXPECT_EQ(PlatformWindow::GetFocus(), dlg_.GetDlgItem(kWidth));
    dlg_.SetDlgItemText(kWidth, L"12");
    EXPECT_EQ(dlg_.DDX_Float(kWidth, v, true, true, 12.0f, 12.0f, 6), 1); // inclusive
    EXPECT_EQ(v, 12.0f);
    // DDX_Length compares the stored millimetres.
    float mm = 2.54f;
    ASSERT_EQ(dlg_.DDX_Length(kOther, mm, false, false, 0, 0, kUnitInch), 1);
    dlg_.SetDlgItemText(kOther, L"1");
    EXPECT_EQ(dlg_.DDX_Length(kOther, mm, true, true, 0.0f, 25.0f, kUnitInch), 0);
    EXPECT_EQ(mm, 2.54f);
    EXPECT_EQ(dlg_.GetDlgItemText(kOther), L"0.100");
    dlg_.SetDlgItemText(kOther, L"1");
    EXPECT_EQ(dlg_.DDX_Length(kOther, mm, true, true, 0.0f, 26.0f, kUnitInch), 1);
    EXPECT_FLOAT_EQ(mm, 25.4f);
    // Writing is not range checked.
    EXPECT_EQ(dlg_.DDX_Float(kWidth, v, false, true, 0.0f, 1.0f, 1), 1);
}

// Text that is no number gives way to the value held, shown as it was last
// written (a field never written shows it with the decimals asked for).
TEST_P(VplDataExchange, ARefusedEntryGivesWayToTheHeldValue) {
    float v = 0.25f;
    ASSERT_EQ(dlg_.DDX_Float(kWidth, v, false, false, 0, 0, 3), 1);
    for (const wchar_t* typed : {L"abc", L"1,5", L"", L"-0"}) {
        dlg_.SetDlgItemText(kWidth, typed);
        EXPECT_EQ(dlg_.DDX_Float(kWidth, v, true, false, 0, 0, 6), 0);
        EXPECT_EQ(dlg_.GetDlgItemText(kWidth), L"0.250") << WideToUtf8(typed);
        EXPECT_EQ(v, 0.25f);
    }
    // The value shown again is the member's, full precision kept.
    EXPECT_EQ(dlg_.DDX_Float(kWidth, v, true, false, 0, 0, 6), 1);
    EXPECT_EQ(v, 0.25f);
    dlg_.SetDlgItemText(kOther, L"x");
    float never = 7.0f;
    EXPECT_EQ(dlg_.DDX_Float(kOther, never, true, false, 0, 0, 2), 0);
    EXPECT_EQ(dlg_.GetDlgItemText(kOther), L"7.00");
}

// A field read back untouched keeps the member's digits: 0.25 mm shown as
// 9.8 mil is still 0.25 mm; an edited field is read as typed.
TEST_P(VplDataExchange, UntouchedFieldsKeepTheirPrecision) {
    float mil = static_cast<float>(0.25 / 0.0254);
    ASSERT_EQ(dlg_.DDX_Float(kWidth, mil, false, false, 0, 0, 1), 1);
    EXPECT_EQ(dlg_.GetDlgItemText(kWidth), L"9.8");
    float read = mil;
    EXPECT_EQ(dlg_.DDX_Float(kWidth, read, true, false, 0, 0, 6), 1);
    EXPECT_EQ(read, mil);
    EXPECT_FLOAT_EQ(static_cast<float>(read * 0.0254), 0.25f);
    // The range still applies to the kept value.
    EXPECT_EQ(dlg_.DDX_Float(kWidth, read, true, true, 10.0f, 20.0f, 6), 0);
    EXPECT_EQ(read, mil);
    dlg_.SetDlgItemText(kWidth, L"9.80");
    EXPECT_EQ(dlg_.DDX_Float(kWidth, read, true, false, 0, 0, 6), 1);
    EXPECT_EQ(read, 9.8f);
    // Lengths held in millimetres alike.
    float mm = 0.15f;
    dlg_.DDX_Length(kOther, mm, false, false, 0, 0, kUnitInch);
    EXPECT_EQ(dlg_.GetDlgItemText(kOther), L"0.006");
    EXPECT_EQ(dlg_.DDX_Length(kOther, mm, true, false, 0, 0, kUnitInch), 1);
    EXPECT_EQ(mm, 0.15f);
}

TEST_P(VplDataExchange, AMissingControlFails) {
    float v = 1.0f;
    EXPECT_EQ(dlg_.DDX_Float(4711, v, true), 0);
    EXPECT_EQ(dlg_.DDX_Float(4711, v, false), 0);
    EXPECT_EQ(v, 1.0f);
    EXPECT_EQ(ui_.beeps.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Locales, VplDataExchange, ::testing::Values("C", "de_DE.UTF-8"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param[0] == 'C' ? "C" : "German");
                         });

TEST(ParseFieldNumber, AgreesWithTheFieldRules) {
    double v = -1;
    EXPECT_TRUE(ParseFieldNumber(L" 0.03 ", &v));
    EXPECT_DOUBLE_EQ(v, 0.03);
    EXPECT_FALSE(ParseFieldNumber(L"0.03 x", &v));
    EXPECT_DOUBLE_EQ(v, 0.03);
    EXPECT_TRUE(ParseFieldNumber(L"0", &v));
    EXPECT_EQ(v, 0.0);
}

} // namespace

// The Options sheet with its Sheet Size and Board settings pages, driven as
// a user would through RunOptionsSheet: what each page shows, what it
// stores when it is left (read back from the settings file as written), the
// unit changes, the class switch, Restore defaults, and the refusal to leave
// a page while a field is rejected or out of range.
#include "core/default_settings.h"
#include "dialogs/board_class_settings.h"
#include "dialogs/options.h"
#include "dialogs/settings_commands.h"
#include "platform/check_box_control.h"
#include "platform/radio_button_control.h"
#include "tests/core/test_view.h"
#include "tests/dialogs/options_test_util.h"
#include "tests/ui_hooks_recorder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace options_test;
using Lines = std::vector<std::string>;

const std::wstring kClass0Key = L"Software\\Vorpel\\BoardSettings\\Board Class 0";
const std::wstring kClass1Key = L"Software\\Vorpel\\BoardSettings\\Board Class 1";
const std::wstring kClass2Key = L"Software\\Vorpel\\BoardSettings\\Board Class 2";

Lines ClassLines(const BoardClassValues& v) {
    return {LengthLine("ConductorWidth", v.conductorWidth),
            LengthLine("ConductorSpacing", v.conductorSpacing),
            LengthLine("ViaRouting", v.viaRouting),
            LengthLine("ViaPlane", v.viaPlane),
            LengthLine("ViaDrill", v.viaDrill),
            LengthLine("IsolationWidth", v.isolationWidth),
            LengthLine("SpokeWidth", v.spokeWidth)};
}

class OptionsSheet : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsStore::Reset();
        g_DefaultSettings = DefaultSettings();
    }
    void TearDown() override {
        SettingsStore::Reset();
        g_DefaultSettings = DefaultSettings();
    }
    // Runs the Options command with the sheet driven by drive; the result.
    int Run(std::function<void(COptions&)> drive) {
        ScopedModalDialogHook hook([&](PlatformDialog& d) {
            auto* sheet = dynamic_cast<COptions*>(&d);
            ASSERT_NE(sheet, nullptr);
            drive(*sheet);
        });
        return RunOptionsSheet(nullptr);
    }
    std::vector<std::wstring> Texts(PlatformDialog& d, std::initializer_list<int> ids) {
        std::vector<std::wstring> out;
        for (int id : ids)
            out.push_back(d.GetDlgItemText(id));
        return out;
    }
    ScopedUiHooksRecorder ui;
};

using SS = CSheetSize;
using BP = CBoardPage;

TEST_F(OptionsSheet, FourPagesInOrderTheFirstShown) {
    EXPECT_EQ(Run([&](COptions& s) {
                  EXPECT_EQ(s.GetWindowText(), L"Options");
                  TabControl* tab = s.GetTabControl();
                  ASSERT_EQ(tab->GetItemCount(), 4);
                  EXPECT_EQ(tab->GetItemText(0), L"Sheet Size");
                  EXPECT_EQ(tab->GetItemText(1), L"Schematic colors");
                  EXPECT_EQ(tab->GetItemText(2), L"Board settings");
                  EXPECT_EQ(tab->GetItemText(3), L"Board colors");
                  EXPECT_EQ(s.GetActiveIndex(), 0);
                  EXPECT_FALSE(s.m_boardPage.IsWindow());
                  // A page marks itself changed when it opens.
                  EXPECT_TRUE(s.GetDlgItem(PropertySheet::kApplyId)->IsWindowEnabled());
                  ClickItem(s, 2);
              }),
              2);
    // Opening and cancelling stores nothing; the key exists, empty.
    EXPECT_TRUE(SettingsStore::KeyExists(kDefaultSettingsKey));
    EXPECT_EQ(StoredSection(kDefaultSettingsKey), Lines{});
}

TEST_F(OptionsSheet, SheetSizeShowsAndStoresItsFiveValuesWhenLeft) {
    Run([&](COptions& s) {
        CSheetSize& p = s.m_sheetSize;
        EXPECT_EQ(ComboTexts(p, SS::kUnit), (std::vector<std::wstring>{L"inch", L"mm"}));
        EXPECT_EQ(ComboText(p, SS::kUnit), L"mm");
        EXPECT_EQ(p.GetDlgItemText(SS::kShiroku), L"\u56db\u516d\u5224");
        std::vector<UINT> checks;
        for (int id = SS::kIso; id <= SS::kKiku; ++id)
            checks.push_back(p.IsDlgButtonChecked(id));
        EXPECT_EQ(checks, (std::vector<UINT>{1, 1, 0, 0, 0}));
        EXPECT_EQ(Texts(p, {SS::kWidth, SS::kHeight, SS::kGrid}),
                  (std::vector<std::wstring>{L"420.000", L"297.000", L"2.500"}));
        Type(p, SS::kGrid, L"1.27");
        Type(p, SS::kHeight, L" 210 ");
        ClickItem(p, SS::kJis);
        ClickItem(p, SS::kAnsi);
        ClickTab(s, 1);
        EXPECT_EQ(s.GetActiveIndex(), 1);
        // Stored as the page is left, before the sheet closes.
        EXPECT_EQ(StoredSection(kDefaultSettingsKey),
                  (Lines{NumberLine("Unit", 1), NumberLine("SheetSizeStd", 0x5),
                         LengthLine("SheetWidth", 420.0f), LengthLine("SheetHeight", 210.0f),
                         LengthLine("GridWidth", 1.27f)}));
        ClickItem(s, 2);
    });
    // Cancel keeps what the page stored, in memory too.
    EXPECT_EQ(g_DefaultSettings.gridWidth, 1.27f);
    EXPECT_EQ(g_DefaultSettings.sheetHeight, 210.0f);
    EXPECT_EQ(g_DefaultSettings.sheetSizeStd, 5u);
    EXPECT_EQ(StoredSection(kDefaultSettingsKey).size(), 5u);
    // The page opens with what is stored.
    g_DefaultSettings = DefaultSettings();
    Run([&](COptions& s) {
        EXPECT_EQ(s.m_sheetSize.GetDlgItemText(SS::kGrid), L"1.270");
        EXPECT_EQ(s.m_sheetSize.IsDlgButtonChecked(SS::kAnsi), BST_UNCHECKED);
        ClickItem(s, 2);
    });
}

// A unit change rescales the shown values; untouched values are stored as
// they were, an edited one as typed in the new unit.
TEST_F(OptionsSheet, SheetSizeUnitChangeRescalesTheShownValues) {
    EXPECT_EQ(Run([&](COptions& s) {
                  CSheetSize& p = s.m_sheetSize;
                  PickComboEntry(p, SS::kUnit, 0);
                  EXPECT_EQ(Texts(p, {SS::kWidth, SS::kHeight, SS::kGrid}),
                            (std::vector<std::wstring>{L"16.535", L"11.693", L"0.098"}));
                  EXPECT_EQ(g_DefaultSettings.unit, 0);
                  Type(p, SS::kGrid, L"0.05");
                  PickComboEntry(p, SS::kUnit, 1);
                  EXPECT_EQ(Texts(p, {SS::kWidth, SS::kHeight, SS::kGrid}),
                            (std::vector<std::wstring>{L"420.000", L"297.000", L"1.270"}));
                  PickComboEntry(p, SS::kUnit, 0);
                  ClickItem(s, 1);
              }),
              1);
    EXPECT_EQ(g_DefaultSettings.unit, 0);
    EXPECT_FLOAT_EQ(g_DefaultSettings.sheetWidth, 420.0f);
    EXPECT_FLOAT_EQ(g_DefaultSettings.sheetHeight, 297.0f);
    EXPECT_FLOAT_EQ(g_DefaultSettings.gridWidth, 1.27f);
    Lines stored = StoredSection(kDefaultSettingsKey);
    ASSERT_EQ(stored.size(), 5u);
    EXPECT_EQ(stored[0], NumberLine("Unit", 0));
    EXPECT_EQ(stored[4], LengthLine("GridWidth", g_DefaultSettings.gridWidth));
}

// A field that is rejected - unreadable, too long, or out of range - keeps
// the user on the page with the focus in it and shows the value it holds
// again; nothing of the page is stored until the page is left.
TEST_F(OptionsSheet, SheetSizeRefusesToBeLeftWithARejectedField) {
    struct Case {
        int id;
        std::wstring text;
    };
    const Case cases[] = {
        {SS::kWidth, L"abc"},
        {SS::kWidth, L"1.5mm"},
        {SS::kHeight, L"-297"},
        {SS::kHeight, L"0"},
        {SS::kGrid, L"0"},
        {SS::kGrid, L"-2.5"},
        {SS::kGrid, L"0.001"},
        {SS::kWidth, L"420.000000000000000000000000000001"}, // 34 characters
        {SS::kWidth, L"1e9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.text));
        ui.Clear();
        EXPECT_EQ(Run([&](COptions& s) {
                      CSheetSize& p = s.m_sheetSize;
                      Type(p, c.id, c.text);
                      Type(p, SS::kGrid == c.id ? SS::kWidth : SS::kGrid, L"5");
                      ClickTab(s, 2);
                      EXPECT_EQ(s.GetActiveIndex(), 0);
                      EXPECT_EQ(PlatformWindow::GetFocus(), p.GetDlgItem(c.id));
                      EXPECT_EQ(p.GetDlgItemText(c.id), c.id == SS::kWidth    ? L"420.000"
                                                        : c.id == SS::kHeight ? L"297.000"
                                                                              : L"2.500");
                      Type(p, c.id, c.text);
                      ClickItem(s, 1);
                      EXPECT_FALSE(s.IsEnded());
                      EXPECT_EQ(PlatformWindow::GetFocus(), p.GetDlgItem(c.id));
                      EXPECT_EQ(ui.beeps, (std::vector<unsigned>{kSimpleBeep, kSimpleBeep}));
                      EXPECT_EQ(StoredSection(kDefaultSettingsKey), Lines{});
                      Type(p, c.id, L"100");
                      ClickItem(s, 1);
                  }),
                  1);
        EXPECT_EQ(StoredSection(kDefaultSettingsKey).size(), 5u);
        SettingsStore::Reset();
        g_DefaultSettings = DefaultSettings();
    }
}

TEST_F(OptionsSheet, BoardPageShowsTheCurrentClass) {
    BoardClassSettings::WriteCurrentClass(2);
    Run([&](COptions& s) {
        ClickTab(s, 2);
        CBoardPage& p = s.m_boardPage;
        EXPECT_EQ(ComboTexts(p, BP::kUnit),
                  (std::vector<std::wstring>{L"inch", L"mm", L"mil", L"\u03bcm"}));
        EXPECT_EQ(ComboText(p, BP::kUnit), L"mm");
        EXPECT_EQ(p.IsDlgButtonChecked(BP::kClass3), BST_CHECKED);
        EXPECT_EQ(p.IsDlgButtonChecked(BP::kClass1), BST_UNCHECKED);
        EXPECT_EQ(Texts(p, {BP::kConductorWidth, BP::kSpacing, BP::kViaRouting, BP::kViaPlane,
                            BP::kViaDrill, BP::kIsolationWidth, BP::kSpokeWidth}),
                  (std::vector<std::wstring>{L"0.100", L"0.100", L"0.600", L"0.900", L"0.300",
                                             L"0.300", L"0.300"}));
        ClickItem(s, 2);
    });
}

// Clicking another class stores the one left, with what was typed, under
// the old class index, and shows the new class.
TEST_F(OptionsSheet, BoardClassSwitchStoresTheOldClassFirst) {
    EXPECT_EQ(Run([&](COptions& s) {
                  ClickTab(s, 2);
                  CBoardPage& p = s.m_boardPage;
                  EXPECT_EQ(p.IsDlgButtonChecked(BP::kClass1), BST_CHECKED);
                  Type(p, BP::kConductorWidth, L"0.2");
                  ClickItem(p, BP::kClass2);
                  BoardClassValues class0 = BoardClassSettings::Defaults(0);
                  class0.conductorWidth = 0.2f;
                  EXPECT_EQ(StoredSection(kClass0Key), ClassLines(class0));
                  EXPECT_EQ(StoredSection(kBoardSettingsKey),
                            (Lines{NumberLine("Unit", 1), NumberLine("BoardClass", 0)}));
                  EXPECT_EQ(
                      Texts(p, {BP::kConductorWidth, BP::kSpacing, BP::kViaRouting, BP::kViaPlane,
                                BP::kViaDrill, BP::kIsolationWidth, BP::kSpokeWidth}),
                      (std::vector<std::wstring>{L"0.150", L"0.150", L"1.000", L"1.400", L"0.500",
                                                 L"0.300", L"0.300"}));
                  Type(p, BP::kViaDrill, L"0.45");
                  ClickItem(s, 1);
              }),
              1);
    BoardClassValues class1 = BoardClassSettings::Defaults(1);
    class1.viaDrill = 0.45f;
    EXPECT_EQ(StoredSection(kClass1Key), ClassLines(class1));
    EXPECT_EQ(StoredSection(kBoardSettingsKey),
              (Lines{NumberLine("Unit", 1), NumberLine("BoardClass", 1)}));
    EXPECT_EQ(BoardClassSettings::ReadCurrentClass(), 1);
}

TEST_F(OptionsSheet, BoardUnitChangeKeepsTheMillimetres) {
    Run([&](COptions& s) {
        ClickTab(s, 2);
        CBoardPage& p = s.m_boardPage;
        PickComboEntry(p, BP::kUnit, 2);
        EXPECT_EQ(Texts(p, {BP::kConductorWidth, BP::kViaRouting, BP::kViaDrill}),
                  (std::vector<std::wstring>{L"9.8", L"51.2", L"27.6"}));
        PickComboEntry(p, BP::kUnit, 3);
        EXPECT_EQ(Texts(p, {BP::kConductorWidth, BP::kViaRouting}),
                  (std::vector<std::wstring>{L"250", L"1300"}));
        PickComboEntry(p, BP::kUnit, 2);
        ClickItem(s, 1);
    });
    EXPECT_EQ(BoardClassSettings::ReadUnit(), 2);
    BoardClassValues stored = BoardClassSettings::ReadClass(0);
    const BoardClassValues def = BoardClassSettings::Defaults(0);
    EXPECT_FLOAT_EQ(stored.conductorWidth, def.conductorWidth);
    EXPECT_FLOAT_EQ(stored.viaRouting, def.viaRouting);
    EXPECT_FLOAT_EQ(stored.spokeWidth, def.spokeWidth);
    // Opened again in mil.
    Run([&](COptions& s) {
        ClickTab(s, 2);
        EXPECT_EQ(ComboText(s.m_boardPage, BP::kUnit), L"mil");
        EXPECT_EQ(s.m_boardPage.GetDlgItemText(BP::kSpacing), L"9.8");
        ClickItem(s, 2);
    });
}

TEST_F(OptionsSheet, RestoreDefaultsWritesEveryClass) {
    BoardClassValues odd;
    odd.conductorWidth = 1.0f;
    odd.viaDrill = 2.0f;
    for (int c = 0; c < 3; ++c)
        BoardClassSettings::WriteClass(c, odd);
    BoardClassSettings::WriteCurrentClass(1);
    EXPECT_EQ(Run([&](COptions& s) {
                  ClickTab(s, 2);
                  CBoardPage& p = s.m_boardPage;
                  EXPECT_EQ(p.GetDlgItemText(BP::kConductorWidth), L"1.000");
                  ClickItem(p, BP::kRestoreDefaults);
                  EXPECT_EQ(p.GetDlgItemText(BP::kConductorWidth), L"0.150");
                  EXPECT_EQ(p.GetDlgItemText(BP::kViaDrill), L"0.500");
                  EXPECT_EQ(p.IsDlgButtonChecked(BP::kClass2), BST_CHECKED);
                  ClickItem(s, 2);
              }),
              2);
    EXPECT_EQ(StoredSection(kClass0Key), ClassLines(BoardClassSettings::Defaults(0)));
    EXPECT_EQ(StoredSection(kClass1Key), ClassLines(BoardClassSettings::Defaults(1)));
    EXPECT_EQ(StoredSection(kClass2Key), ClassLines(BoardClassSettings::Defaults(2)));
    EXPECT_EQ(StoredSection(kBoardSettingsKey),
              (Lines{NumberLine("BoardClass", 1), NumberLine("Unit", 1)}));
}

// Sizes must be positive and widths not negative: a class switch or a
// leave with a value out of range keeps the user where they are, shows the
// value kept and stores nothing of it.
TEST_F(OptionsSheet, BoardPageRejectsValuesOutOfRange) {
    EXPECT_EQ(Run([&](COptions& s) {
                  ClickTab(s, 2);
                  CBoardPage& p = s.m_boardPage;
                  Type(p, BP::kConductorWidth, L"0"); // a width may be 0
                  Type(p, BP::kViaDrill, L"0");       // a size may not
                  ClickItem(p, BP::kClass3);
                  EXPECT_EQ(p.IsDlgButtonChecked(BP::kClass1), BST_CHECKED);
                  EXPECT_EQ(p.IsDlgButtonChecked(BP::kClass3), BST_UNCHECKED);
                  EXPECT_EQ(PlatformWindow::GetFocus(), p.GetDlgItem(BP::kViaDrill));
                  EXPECT_EQ(p.GetDlgItemText(BP::kViaDrill), L"0.700") << "the size kept";
                  EXPECT_EQ(StoredSection(kClass0Key), Lines{});
                  Type(p, BP::kViaDrill, L"0.6");
                  Type(p, BP::kSpokeWidth, L"-0.1");
                  ClickItem(s, 1);
                  EXPECT_FALSE(s.IsEnded());
                  EXPECT_EQ(PlatformWindow::GetFocus(), p.GetDlgItem(BP::kSpokeWidth));
                  EXPECT_EQ(StoredSection(kClass0Key), Lines{});
                  EXPECT_EQ(ui.beeps.size(), 2u);
                  Type(p, BP::kSpokeWidth, L"0.2");
                  ClickItem(s, 1);
              }),
              1);
    BoardClassValues class0 = BoardClassSettings::Defaults(0);
    class0.conductorWidth = 0.0f;
    class0.viaDrill = 0.6f;
    class0.spokeWidth = 0.2f;
    EXPECT_EQ(StoredSection(kClass0Key), ClassLines(class0));
}

// Every page left stores, the page shown last included; a page never shown
// stores nothing. The shown view repaints afterwards, also on Cancel.
TEST_F(OptionsSheet, OkStoresTheShownPageAndTheViewRepaints) {
    CTestView view;
    ASSERT_TRUE(view.Create(nullptr, RECT{0, 0, 200, 100}, L"", 0));
    ScopedActiveView active(&view);
    view.invalidations.clear();
    EXPECT_EQ(Run([&](COptions& s) {
                  ClickTab(s, 3);
                  ClickItem(s, 1);
              }),
              1);
    ASSERT_EQ(view.invalidations.size(), 1u);
    EXPECT_TRUE(view.invalidations[0].whole);
    // Sheet Size, then the 38 board colours in their order.
    Lines expected = {NumberLine("Unit", 1), NumberLine("SheetSizeStd", 3),
                      LengthLine("SheetWidth", 420.0f), LengthLine("SheetHeight", 297.0f),
                      LengthLine("GridWidth", 2.5f)};
    const DefaultSettings d;
    for (const std::wstring& name : DefaultSettings::BoardColorNames())
        expected.push_back(NumberLine(WideToUtf8(name), *d.ColorByName(name)));
    EXPECT_EQ(StoredSection(kDefaultSettingsKey), expected);
    EXPECT_EQ(StoredSection(kClass0Key), Lines{});
    Run([&](COptions& s) { ClickItem(s, 2); });
    EXPECT_EQ(view.invalidations.size(), 2u);
    view.DestroyWindow();
}

} // namespace

// The paper-size table of a sheet: the five series with their sizes and
// units, the listing by the stored series mask, identification in both
// orientations within 1.25 mm, and an empty sheet taking the default size.
#include "core/default_settings.h"
#include "core/sheet_size_table.h"
#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Size {
    int32_t longSide;
    int32_t shortSide;
    const wchar_t* name;
};

// Every named size of every series, as the table must hold them.
const std::vector<std::vector<Size>> kSeries = {
    {{118900, 84100, L"A0"},
     {84100, 59400, L"A1"},
     {59400, 42000, L"A2"},
     {42000, 29700, L"A3"},
     {29700, 21000, L"A4"}},
    {{111760, 86360, L"ANSI E"},
     {86360, 55880, L"ANSI D"},
     {55880, 43180, L"ANSI C"},
     {43180, 27940, L"Tabloid"},
     {35560, 21590, L"Legal"},
     {27940, 21590, L"Letter"}},
    {{145600, 103000, L"JIS B0"},
     {103000, 72800, L"JIS B1"},
     {72800, 51500, L"JIS B2"},
     {51500, 36400, L"JIS B3"},
     {36400, 25700, L"JIS B4"},
     {25700, 18200, L"JIS B5"}},
    {{109220, 78740, L"\u56db\u516d\u5168\u5224"},
     {78740, 54610, L"\u56db\u516d\u534a\u88c1"},
     {54610, 39370, L"\u56db\u516d\uff14\u5207"},
     {39370, 27305, L"\u56db\u516d\uff18\u5207"},
     {27305, 19685, L"\u56db\u516d16\u5207"}},
    {{93980, 63500, L"\u83ca\u5168\u5224"},
     {63500, 46990, L"\u83ca\u534a\u88c1"},
     {46990, 31750, L"\u83ca\uff14\u5207"},
     {31750, 23495, L"\u83ca\uff18\u5207"},
     {23495, 15875, L"\u83ca16\u5207"}},
};
const wchar_t* const kSeriesNames[] = {L"ISO", L"ANSI", L"JIS", L"\u56db\u516d\u5224",
                                       L"\u83ca\u5224"};
const int kSeriesUnits[] = {1, 0, 1, 0, 0};

class SheetSizeTableTest : public ::testing::Test {
protected:
    void SetUp() override { SettingsStore::Reset(); }
    void TearDown() override {
        g_DefaultSettings = DefaultSettings();
        SettingsStore::Reset();
    }
};

TEST_F(SheetSizeTableTest, EverySizeIsIdentifiedStandingAndLyingWithinTheTolerance) {
    for (size_t s = 0; s < kSeries.size(); ++s) {
        for (size_t r = 0; r < kSeries[s].size(); ++r) {
            const Size& size = kSeries[s][r];
            std::wstring name = size.name;
            for (bool landscape : {false, true}) {
                for (int off : {0, 124, -124, 125, -125}) {
                    int32_t w = landscape ? size.longSide : size.shortSide;
                    int32_t l = landscape ? size.shortSide : size.longSide;
                    // Off on one side at a time, either side.
                    (off % 2 ? w : l) += off;
                    int unit = 1;
                    CSheetSizeTable table(&w, &l, &unit, 31);
                    const bool near = off == 0 || off == 124 || off == -124;
                    const std::wstring expected = !near                            ? L"Custom"
                                                  : s == 1 && r == 3 && !landscape ? L"Ledger"
                                                                                   : name;
                    EXPECT_EQ(table.GetEntryName(), expected)
                        << s << "/" << r << " landscape " << landscape << " off " << off;
                    if (near) {
                        EXPECT_EQ(table.GetSeries(), static_cast<int>(s));
                        EXPECT_EQ(table.GetRow(), static_cast<int>(r));
                        EXPECT_EQ(table.IsLandscape(), landscape);
                    } else {
                        EXPECT_EQ(table.GetSeries(), -1);
                    }
                }
            }
        }
    }
}

TEST_F(SheetSizeTableTest, NamelessRowsNeverMatch) {
    // A5 has a row but no name; the last rows of the two book series are
    // empty: no small sheet may be taken for them.
    struct Case {
        int32_t w, l;
    } cases[] = {{21000, 14800}, {14800, 21000}, {0, 0}, {100, 50}, {124, 124}, {1, 1}};
    for (const Case& c : cases) {
        int32_t w = c.w, l = c.l;
        int unit = 0;
        CSheetSizeTable table(&w, &l, &unit, 31);
        if (c.w == 0)
            continue; // an empty sheet takes the default size (below)
        EXPECT_EQ(table.GetSeries(), -1) << c.w << " x " << c.l;
        EXPECT_EQ(table.GetEntryName(), L"Custom");
    }
}

TEST_F(SheetSizeTableTest, ListsEachEnabledSeriesUnderItsHeading) {
    int32_t w = 42000, l = 29700;
    int unit = 1;
    for (uint32_t mask = 0; mask < 32; ++mask) {
        CSheetSizeTable table(&w, &l, &unit, mask);
        std::vector<std::wstring> expected;
        for (size_t s = 0; s < kSeries.size(); ++s) {
            if (!(mask & (1u << s)))
                continue;
            expected.push_back(kSeriesNames[s]);
            for (const Size& size : kSeries[s])
                expected.push_back(size.name);
        }
        std::vector<std::wstring> listed;
        for (int i = 0; i < table.GetEntryCount(); ++i) {
            int series = -1, row = -1;
            ASSERT_TRUE(table.GetEntry(i, &series, &row));
            listed.push_back(row == 0 ? table.GetSeriesName(series) : table.GetEntryName(i));
        }
        EXPECT_EQ(listed, expected) << "mask " << mask;
        int series = 0, row = 0;
        EXPECT_FALSE(table.GetEntry(table.GetEntryCount(), &series, &row));
        EXPECT_EQ(table.GetEntryName(), L"A3") << "identification tries every series";
    }
}

TEST_F(SheetSizeTableTest, ApplyingASizeKeepsTheOrientationAndSetsTheSeriesUnit) {
    for (size_t s = 0; s < kSeries.size(); ++s) {
        for (bool landscape : {false, true}) {
            int32_t w = landscape ? 50000 : 30000, l = landscape ? 30000 : 50000;
            int unit = 3;
            CSheetSizeTable table(&w, &l, &unit, 31);
            table.Choose(static_cast<int>(s), 1);
            EXPECT_EQ(w, landscape ? 50000 : 30000) << "choosing writes nothing yet";
            table.ApplyEntry();
            EXPECT_EQ(w, landscape ? kSeries[s][1].longSide : kSeries[s][1].shortSide);
            EXPECT_EQ(l, landscape ? kSeries[s][1].shortSide : kSeries[s][1].longSide);
            EXPECT_EQ(unit, kSeriesUnits[s]);
            EXPECT_EQ(table.GetEntryName(), kSeries[s][1].name);
        }
    }
    // The nameless A5 row cannot be chosen.
    int32_t w = 42000, l = 29700;
    int unit = 1;
    CSheetSizeTable table(&w, &l, &unit, 31);
    table.SelectSize(0, 5);
    EXPECT_EQ(w, 42000);
    EXPECT_EQ(table.GetRow(), 3);
}

TEST_F(SheetSizeTableTest, AnEmptySheetTakesTheDefaultSizeInHundredthsAndTheDefaultUnit) {
    g_DefaultSettings.sheetWidth = 420.0f;
    g_DefaultSettings.sheetHeight = 297.0f;
    g_DefaultSettings.unit = 0;
    int32_t w = 0, l = 0;
    int unit = -1;
    CSheetSizeTable table(&w, &l, &unit, 3);
    EXPECT_EQ(w, 42000) << "420 mm are 42000 hundredths, not 420";
    EXPECT_EQ(l, 29700);
    EXPECT_EQ(unit, 0);
    EXPECT_EQ(table.GetEntryName(), L"A3");
    EXPECT_TRUE(table.IsLandscape());
    // A sheet with a size and a unit keeps both.
    int32_t w2 = 21000, l2 = 29700;
    int unit2 = 1;
    CSheetSizeTable kept(&w2, &l2, &unit2, 3);
    EXPECT_EQ(w2, 21000);
    EXPECT_EQ(unit2, 1);
    EXPECT_EQ(kept.GetEntryName(), L"A4");
}

TEST_F(SheetSizeTableTest, TheStoredSeriesChooseWhatIsListed) {
    DefaultSettings page;
    page.sheetSizeStd = 4; // JIS only
    page.StoreSheetSizePage();
    int32_t w = 42000, l = 29700;
    int unit = 1;
    CSheetSizeTable table(&w, &l, &unit);
    EXPECT_EQ(table.GetEntryCount(), 7);
    EXPECT_EQ(table.GetEntryName(0), L"JIS");
    EXPECT_EQ(table.GetEntryName(6), L"JIS B5");
    EXPECT_EQ(table.GetEntryName(), L"A3");
}

} // namespace

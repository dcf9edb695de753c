// The paper-size series the sheets offer: the one stored series mask
// ("SheetSizeStd") shared by the Sheet Size page and the sheets' size rows.
#include "core/default_settings.h"
#include "core/sheet_size_table.h"
#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class SheetSizeSeriesTest : public ::testing::Test {
protected:
    void SetUp() override { SettingsStore::Reset(); }
    void TearDown() override { SettingsStore::Reset(); }
};

TEST_F(SheetSizeSeriesTest, SheetsOfferTheSeriesTheSheetSizePageStored) {
    int32_t width = 42000, length = 29700;
    int unit = 1;
    EXPECT_EQ(DefaultSettings::ReadSheetSizeSeries(), 3u);
    EXPECT_EQ(CSheetSizeTable(&width, &length, &unit).GetSeriesMask(), 3u);
    DefaultSettings s;
    s.sheetSizeStd = 2; // ANSI only
    s.StoreSheetSizePage();
    {
        // A value under the other name is not the setting.
        SettingsKey key;
        key.Create(DefaultSettings::kKeyPath);
        key.SetNumber(L"SheetSize", 1);
    }
    EXPECT_EQ(DefaultSettings::ReadSheetSizeSeries(), 2u);
    CSheetSizeTable table(&width, &length, &unit);
    EXPECT_EQ(table.GetSeriesMask(), 2u);
    EXPECT_EQ(table.GetSeriesName(0).empty() ? 0 : 1, 1);
    DefaultSettings page;
    page.LoadSheetSizePage();
    EXPECT_EQ(page.sheetSizeStd, 2u);
}

} // namespace

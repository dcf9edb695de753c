// Colour palettes in INI files and the paper-size series the sheets offer:
// what a palette file holds exactly, what loading one changes, and the one
// stored series mask shared by the Sheet Size page and the sheets.
#include "core/default_settings.h"
#include "core/sheet_size_table.h"
#include "platform/file.h"
#include "platform/folders.h"
#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class PaletteTest : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsStore::Reset();
        path = PathJoin(TempFolder(), L"vorpel-palette-test.ini");
        RemoveFile(path);
    }
    void TearDown() override {
        RemoveFile(path);
        SettingsStore::Reset();
    }
    std::string Text() {
        std::string bytes;
        ReadWholeFile(path, bytes);
        return bytes;
    }
    std::wstring path;
};

TEST_F(PaletteTest, SchematicPaletteHoldsItsNineColoursAsDecimals) {
    DefaultSettings s;
    s.colorBrd = 0x00123456;
    ASSERT_TRUE(s.SavePalette(path, false));
    EXPECT_EQ(Text(), "[SchColor]\n"
                      "ColorBkg=16777210\n"
                      "ColorSel=16711935\n"
                      "ColorGrid=13816530\n"
                      "ColorDot=13158600\n"
                      "ColorBrd=1193046\n"
                      "ColorWire=16711680\n"
                      "ColorBus=16711680\n"
                      "ColorSymbol=0\n"
                      "ColorComment=16711808\n");
    DefaultSettings loaded;
    loaded.colorBrd = 0;
    loaded.colorWire = 0x00ABCDEF;
    loaded.LoadPalette(path, false);
    EXPECT_EQ(loaded.colorBrd, 0x00123456u);
    EXPECT_EQ(loaded.colorWire, 0x00FF0000u);
}

TEST_F(PaletteTest, EachPaletteTouchesOnlyItsOwnSection) {
    DefaultSettings board;
    board.layerColors[kLayerTop] = 0x00010203;
    board.colorDrill = 0x00FFFFFE;
    ASSERT_TRUE(board.SavePalette(path, true));
    // Loading a board-only file as the schematic palette changes nothing.
    DefaultSettings s;
    s.colorBkg = 0x00111111;
    s.LoadPalette(path, false);
    EXPECT_EQ(s.colorBkg, 0x00111111u);
    s.LoadPalette(path, true);
    EXPECT_EQ(s.layerColors[kLayerTop], 0x00010203u);
    EXPECT_EQ(s.colorDrill, 0x00FFFFFEu);

    // Saving the schematic palette into the same file keeps the board one.
    ASSERT_TRUE(s.SavePalette(path, false));
    std::string text = Text();
    EXPECT_EQ(text.rfind("[BrdColor]\nColorBoard=0\n", 0), 0u) << text;
    EXPECT_NE(text.find("ColorOLB=4210943\n"), std::string::npos);
    EXPECT_NE(text.find("[SchColor]\nColorBkg=1118481\n"), std::string::npos);
    // A key missing from the file keeps its colour; an unreadable file
    // changes nothing.
    DefaultSettings partial;
    ASSERT_TRUE(WriteWholeFile(path, "[BrdColor]\nColorTOP=255\n"));
    partial.LoadPalette(path, true);
    EXPECT_EQ(partial.layerColors[kLayerTop], 255u);
    EXPECT_EQ(partial.layerColors[kLayerBottom], 0x000000FFu);
    EXPECT_EQ(partial.colorOutline, 0x0000FFFFu);
    partial.LoadPalette(PathJoin(TempFolder(), L"no/such/palette.ini"), true);
    EXPECT_EQ(partial.layerColors[kLayerTop], 255u);
}

TEST_F(PaletteTest, SheetsOfferTheSeriesTheSheetSizePageStored) {
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

#include "core/board_layer.h"
#include "core/default_settings.h"
#include "platform/file.h"
#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <bit>

namespace {

class DefaultSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { SettingsStore::Reset(); }
    void TearDown() override { SettingsStore::Reset(); }

    static SettingsKey Key() {
        SettingsKey key;
        key.Create(DefaultSettings::kKeyPath);
        return key;
    }
};

struct ColorDefault {
    const wchar_t* name;
    COLORREF value;
};

// Every stored colour with its built-in default.
const ColorDefault kColorDefaults[] = {
    {L"ColorBkg", 0x00FFFFFA},       {L"ColorSel", 0x00FF00FF},     {L"ColorGrid", 0x00D2D2D2},
    {L"ColorDot", 0x00C8C8C8},       {L"ColorBrd", 0x00000000},     {L"ColorWire", 0x00FF0000},
    {L"ColorBus", 0x00FF0000},       {L"ColorSymbol", 0x00000000},  {L"ColorComment", 0x00FF0080},
    {L"ColorBoard", 0x00000000},     {L"ColorOrg", 0x00FF80FF},     {L"ColorOutline", 0x0000FFFF},
    {L"ColorBoardGrid", 0x00282828}, {L"ColorAirWire", 0x0000FFFF}, {L"ColorDrill", 0x00FFFFFF},
    {L"ColorTOP", 0x00FF0000},       {L"ColorBOT", 0x000000FF},     {L"ColorI01", 0x0000FF00},
    {L"ColorI02", 0x00FFFF00},       {L"ColorI03", 0x00C0FFFF},     {L"ColorI04", 0x00FFFFC0},
    {L"ColorI05", 0x00C0FFC0},       {L"ColorI06", 0x0080FFFF},     {L"ColorI07", 0x00FFFF80},
    {L"ColorI08", 0x0080FF80},       {L"ColorI09", 0x0080FFC0},     {L"ColorI10", 0x00C0FF80},
    {L"ColorI11", 0x00FFFF40},       {L"ColorI12", 0x00C0FF40},     {L"ColorI13", 0x0080FF40},
    {L"ColorI14", 0x0040FF40},       {L"ColorI15", 0x00808080},     {L"ColorI16", 0x00C08080},
    {L"ColorI17", 0x0080C080},       {L"ColorI18", 0x00C0C080},     {L"ColorI19", 0x00FFFFFF},
    {L"ColorI20", 0x00FFFFFF},       {L"ColorSST", 0x00E8E8E8},     {L"ColorSSB", 0x0000FFFF},
    {L"ColorAST", 0x0080FF00},       {L"ColorASB", 0x0000FF80},     {L"ColorSMT", 0x00FF8000},
    {L"ColorSMB", 0x000080FF},       {L"ColorSPT", 0x00FF0080},     {L"ColorSPB", 0x008000FF},
    {L"ColorOLT", 0x00FF4040},       {L"ColorOLB", 0x004040FF},
};

TEST_F(DefaultSettingsTest, BuiltInDefaults) {
    DefaultSettings s;
    for (const ColorDefault& c : kColorDefaults) {
        const COLORREF* color = s.ColorByName(c.name);
        ASSERT_NE(color, nullptr) << c.name;
        EXPECT_EQ(*color, c.value) << c.name;
    }
    EXPECT_EQ(s.layerColors[kLayerTop], 0x00FF0000u);
    EXPECT_EQ(s.layerColors[kLayerPackageOutlineBottom], 0x004040FFu);
    EXPECT_EQ(s.font.lfFaceName, L"Arial Unicode MS");
    EXPECT_EQ(s.font.lfHeight, 0);
    EXPECT_EQ(s.font.lfWeight, 400);
    EXPECT_EQ(s.font.lfCharSet, 1);
    EXPECT_EQ(s.font.lfQuality, 2);
    EXPECT_EQ(s.font.lfPitchAndFamily, 0);
    EXPECT_EQ(s.font.lfItalic, 0);
    EXPECT_EQ(s.unit, 1);
    EXPECT_EQ(s.sheetSizeStd, 3u);
    EXPECT_EQ(s.sheetWidth, 420.0f);
    EXPECT_EQ(s.sheetHeight, 297.0f);
    EXPECT_EQ(s.gridWidth, 2.5f);
    EXPECT_EQ(s.wireWidth, 0.15f);
    EXPECT_EQ(s.busWidth, 0.5f);
    EXPECT_EQ(s.connCircle, 1.0f);
    for (COLORREF c : s.customColors)
        EXPECT_EQ(c, 0x00FFFFFFu);
    EXPECT_EQ(s.ColorByName(L"ColorXYZ"), nullptr);
    EXPECT_EQ(s.ColorByName(L"colorbkg"), nullptr);
    EXPECT_EQ(DefaultSettings::SchematicColorNames().size(), 9u);
    EXPECT_EQ(DefaultSettings::BoardColorNames().size(), 38u);
    EXPECT_EQ(DefaultSettings::BoardColorNames()[6], L"ColorTOP");
}

TEST_F(DefaultSettingsTest, FreshProfileKeepsDefaultsAndLeavesAnEmptyKey) {
    DefaultSettings s;
    s.Load();
    EXPECT_EQ(s.gridWidth, 2.5f);
    EXPECT_EQ(s.colorBkg, 0x00FFFFFAu);
    SettingsKey key;
    ASSERT_TRUE(key.Open(DefaultSettings::kKeyPath));
    EXPECT_TRUE(key.ValueNames().empty());
}

TEST_F(DefaultSettingsTest, LoadTakesStoredValues) {
    {
        SettingsKey key = Key();
        key.SetString(L"Font", L"DejaVu Sans");
        key.SetNumber(L"Unit", 0);
        key.SetNumber(L"SheetWidth", 0x3E800000); // 0.25 mm
        key.SetFloat(L"SheetHeight", 210.0f);
        key.SetNumber(L"GridWidth", 0x3F800000); // 1.0 mm
        key.SetFloat(L"WireWidth", 0.2f);
        key.SetFloat(L"BusWidth", 0.8f);
        key.SetFloat(L"ConnCircle", 1.5f);
        key.SetNumber(L"ColorBkg", 0x00FFFFFF);
        key.SetNumber(L"ColorDrill", 0x00123456);
        key.SetNumber(L"ColorI07", 0x00010203);
        key.SetNumber(L"ColorOLB", 0x00ABCDEF);
        key.SetNumber(L"SheetSizeStd", 31);
    }
    SettingsStore::Reload();
    DefaultSettings s;
    s.Load();
    EXPECT_EQ(s.font.lfFaceName, L"DejaVu Sans");
    EXPECT_EQ(s.unit, 0);
    EXPECT_EQ(s.sheetWidth, 0.25f);
    EXPECT_EQ(s.sheetHeight, 210.0f);
    EXPECT_EQ(s.gridWidth, 1.0f);
    EXPECT_EQ(s.wireWidth, 0.2f);
    EXPECT_EQ(s.busWidth, 0.8f);
    EXPECT_EQ(s.connCircle, 1.5f);
    EXPECT_EQ(s.colorBkg, 0x00FFFFFFu);
    EXPECT_EQ(s.colorDrill, 0x00123456u);
    EXPECT_EQ(s.layerColors[kLayerInner1 + 6], 0x00010203u);
    EXPECT_EQ(s.layerColors[kLayerPackageOutlineBottom], 0x00ABCDEFu);
    EXPECT_EQ(s.colorSel, 0x00FF00FFu); // not stored: unchanged
    // The start-up load leaves the paper series to the Sheet Size page.
    EXPECT_EQ(s.sheetSizeStd, 3u);
    s.LoadSheetSizePage();
    EXPECT_EQ(s.sheetSizeStd, 31u);
}

TEST_F(DefaultSettingsTest, WrongSizedOrTypedValuesKeepDefaults) {
    {
        SettingsKey key = Key();
        key.SetBinary(L"GridWidth", {0, 0, 0x80, 0x3E, 0, 0, 0, 0}); // 8 bytes
        key.SetBinary(L"WireWidth", {0x00, 0x00});                   // 2 bytes
        key.SetString(L"ColorBkg", L"16777215");
        key.SetNumber(L"Font", 5);
        key.SetNumber(L"Unit", 4); // no such unit
    }
    DefaultSettings s;
    s.Load();
    EXPECT_EQ(s.gridWidth, 2.5f);
    EXPECT_EQ(s.wireWidth, 0.15f);
    EXPECT_EQ(s.colorBkg, 0x00FFFFFAu);
    EXPECT_EQ(s.font.lfFaceName, L"Arial Unicode MS");
    EXPECT_EQ(s.unit, 1);
}

// Lengths whose bits are NaN or infinite, at start-up and on the Sheet Size
// page: read as the defaults, like any other wrong value.
TEST_F(DefaultSettingsTest, NonFiniteLengthsKeepDefaults) {
    {
        SettingsKey key = Key();
        key.SetNumber(L"GridWidth", 0x7FC00000);   // NaN
        key.SetNumber(L"SheetWidth", 0x7F800000);  // +infinity
        key.SetNumber(L"SheetHeight", 0xFF800000); // -infinity
        key.SetNumber(L"WireWidth", 0xFFC00001);   // a negative NaN
        key.SetNumber(L"BusWidth", 0x7F800001);    // a signalling NaN
        key.SetFloat(L"ConnCircle", 1.5f);
    }
    SettingsStore::Reload();
    DefaultSettings s;
    s.Load();
    EXPECT_EQ(s.gridWidth, 2.5f);
    EXPECT_EQ(s.sheetWidth, 420.0f);
    EXPECT_EQ(s.sheetHeight, 297.0f);
    EXPECT_EQ(s.wireWidth, 0.15f);
    EXPECT_EQ(s.busWidth, 0.5f);
    EXPECT_EQ(s.connCircle, 1.5f); // the finite one is taken
    s.gridWidth = 1.0f;
    s.LoadSheetSizePage();
    EXPECT_EQ(s.gridWidth, 1.0f);
    EXPECT_EQ(s.sheetWidth, 420.0f);
    EXPECT_EQ(s.sheetHeight, 297.0f);
}

TEST_F(DefaultSettingsTest, FontNameIsReadUpTo31Characters) {
    Key().SetString(L"Font", L"A Very Long Font Family Name That Goes On");
    DefaultSettings s;
    s.Load();
    EXPECT_EQ(s.font.lfFaceName, L"A Very Long Font Family Name Th");
    EXPECT_EQ(s.font.lfFaceName.size(), 31u);
}

TEST_F(DefaultSettingsTest, StoreThenLoadRoundTrips) {
    DefaultSettings changed;
    changed.font.lfFaceName = L"Liberation Sans";
    changed.unit = 2;
    changed.sheetSizeStd = 5;
    changed.sheetWidth = 594.0f;
    changed.sheetHeight = 420.0f;
    changed.gridWidth = 1.27f;
    changed.wireWidth = 0.25f;
    changed.busWidth = 0.7f;
    changed.connCircle = 0.8f;
    uint32_t n = 0;
    for (const auto& name : DefaultSettings::SchematicColorNames())
        *changed.ColorByName(name) = ++n;
    for (const auto& name : DefaultSettings::BoardColorNames())
        *changed.ColorByName(name) = 0x00100000 + ++n;
    changed.Store();

    SettingsStore::Reload();
    DefaultSettings loaded;
    loaded.Load();
    loaded.LoadSheetSizePage();
    EXPECT_EQ(loaded.font, changed.font);
    EXPECT_EQ(loaded.unit, 2);
    EXPECT_EQ(loaded.sheetSizeStd, 5u);
    EXPECT_EQ(loaded.sheetWidth, 594.0f);
    EXPECT_EQ(loaded.sheetHeight, 420.0f);
    EXPECT_EQ(loaded.gridWidth, 1.27f);
    EXPECT_EQ(loaded.wireWidth, 0.25f);
    EXPECT_EQ(loaded.busWidth, 0.7f);
    EXPECT_EQ(loaded.connCircle, 0.8f);
    for (const ColorDefault& c : kColorDefaults)
        EXPECT_EQ(*loaded.ColorByName(c.name), *changed.ColorByName(c.name)) << c.name;

    SettingsKey key;
    ASSERT_TRUE(key.Open(DefaultSettings::kKeyPath));
    EXPECT_EQ(key.ValueNames().size(), 5u + 4u + 9u + 38u);
    uint32_t bits = 0;
    EXPECT_EQ(key.QueryNumber(L"WireWidth", &bits), SettingsResult::Ok);
    EXPECT_EQ(bits, 0x3E800000u); // 0.25 mm as the bits of its float
}

// What the Schematic colors page writes when it is left, as the file shows it.
TEST_F(DefaultSettingsTest, SchematicPageWritesItsFourteenValues) {
    DefaultSettings s;
    s.StoreSchematicColorsPage();
    std::string text;
    ASSERT_TRUE(ReadWholeFile(SettingsStore::FilePath(), text));
    EXPECT_EQ(text, "; Vorpel settings (UTF-8). Written by the program; keys in [brackets].\n"
                    "\n[Software]\n"
                    "\n[Software\\Vorpel]\n"
                    "\n[Software\\Vorpel\\DefaultSettings]\n"
                    "\"Font\"=sz:\"Arial Unicode MS\"\n"
                    "\"Unit\"=dword:00000001\n"
                    "\"WireWidth\"=dword:3e19999a\n"
                    "\"BusWidth\"=dword:3f000000\n"
                    "\"ConnCircle\"=dword:3f800000\n"
                    "\"ColorBkg\"=dword:00fffffa\n"
                    "\"ColorSel\"=dword:00ff00ff\n"
                    "\"ColorGrid\"=dword:00d2d2d2\n"
                    "\"ColorDot\"=dword:00c8c8c8\n"
                    "\"ColorBrd\"=dword:00000000\n"
                    "\"ColorWire\"=dword:00ff0000\n"
                    "\"ColorBus\"=dword:00ff0000\n"
                    "\"ColorSymbol\"=dword:00000000\n"
                    "\"ColorComment\"=dword:00ff0080\n");
}

TEST(BoardLayer, CodesBothWays) {
    struct Case {
        int id;
        const wchar_t* code;
    } cases[] = {{0, L"TOP"},  {1, L"BOT"},  {2, L"I01"},  {11, L"I10"}, {21, L"I20"},
                 {22, L"SST"}, {23, L"SSB"}, {24, L"AST"}, {25, L"ASB"}, {26, L"SMT"},
                 {27, L"SMB"}, {28, L"SPT"}, {29, L"SPB"}, {30, L"OLT"}, {31, L"OLB"}};
    for (const Case& c : cases) {
        EXPECT_STREQ(LayerToCode(c.id), c.code);
        EXPECT_EQ(LayerFromCode(c.code), c.id);
    }
    EXPECT_STREQ(LayerToCode(-1), L"");
    EXPECT_STREQ(LayerToCode(32), L"");
    EXPECT_EQ(LayerFromCode(L""), -1);
    EXPECT_EQ(LayerFromCode(L"top"), -1);
    EXPECT_EQ(LayerFromCode(L"INR"), -1);
}

} // namespace

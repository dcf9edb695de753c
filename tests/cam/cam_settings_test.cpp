// The CAM settings in memory and in the key "Software\Vorpel\Gerber".
#include "cam/cam_settings.h"
#include "platform/settings_store.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

class CamSettingsKey : public ::testing::Test {
protected:
    void SetUp() override { SettingsStore::Reset(); }
    void TearDown() override { SettingsStore::Reset(); }
};

TEST_F(CamSettingsKey, DefaultsAndAnAbsentKey) {
    CamSettings s;
    EXPECT_EQ(s.unit, 1);
    EXPECT_EQ(s.resInt, 3);
    EXPECT_EQ(s.resFlt, 3);
    EXPECT_EQ(s.textDrawingMode, 0);
    EXPECT_EQ(s.lineThck, 0.2f);
    EXPECT_EQ(s.padTol, 0.025f);
    EXPECT_EQ(s.markingTol, 0.05f);
    EXPECT_EQ(s.textTol, 0.05f);
    EXPECT_EQ(s.smIncr, 0.075f);
    EXPECT_EQ(s.spDecr, 0.075f);
    EXPECT_EQ(s.coverViaWithMask, 0);
    LoadGerberSettings(s);
    EXPECT_EQ(s, CamSettings{});
    // Reading opens the key, creating it.
    EXPECT_TRUE(SettingsStore::KeyExists(kGerberSettingsKey));
}

TEST_F(CamSettingsKey, AbsentValuesLeaveTheSettingsUnchanged) {
    {
        SettingsKey key;
        ASSERT_TRUE(key.Create(kGerberSettingsKey));
        key.SetNumber(L"Res_Flt", 4);
        key.SetFloat(L"PadTol", 0.01f);
        key.SetString(L"TextTol", L"0.3"); // another type: ignored
    }
    CamSettings s;
    s.unit = 0;
    s.textTol = 0.07f;
    LoadGerberSettings(s);
    EXPECT_EQ(s.unit, 0);
    EXPECT_EQ(s.resFlt, 4);
    EXPECT_EQ(s.padTol, 0.01f);
    EXPECT_EQ(s.textTol, 0.07f);
}

TEST_F(CamSettingsKey, WrittenValuesReadBackInTheKeysOrderAndTypes) {
    CamSettings s;
    s.unit = 0;
    s.resInt = 2;
    s.resFlt = 4;
    s.textDrawingMode = 1;
    s.lineThck = 0.15f;
    s.padTol = 0.01f;
    s.markingTol = 0.02f;
    s.textTol = 0.03f;
    s.smIncr = -0.05f;
    s.spDecr = 0.1f;
    s.coverViaWithMask = 2;
    {
        SettingsKey key;
        ASSERT_TRUE(key.Create(kGerberSettingsKey));
        WriteCamSettings(key, s);
    }
    SettingsStore::Flush();
    SettingsStore::Reload();
    SettingsKey key;
    ASSERT_TRUE(key.Open(kGerberSettingsKey));
    EXPECT_EQ(key.ValueNames(),
              (std::vector<std::wstring>{L"Unit", L"Res_Int", L"Res_Flt", L"TextDrawingMode",
                                         L"LineThck", L"PadTol", L"MarkingTol", L"TextTol",
                                         L"SM_Incr", L"SP_Decr", L"CoverViaWithMask"}));
    for (const std::wstring& name : key.ValueNames())
        EXPECT_EQ(key.TypeOf(name), SettingsType::Number) << WideToUtf8(name);
    uint32_t bits = 0;
    key.QueryNumber(L"LineThck", &bits);
    float f = 0.15f;
    uint32_t expected = 0;
    std::memcpy(&expected, &f, 4);
    EXPECT_EQ(bits, expected);
    CamSettings back;
    ReadCamSettings(key, back);
    EXPECT_EQ(back, s);
}

// Values a damaged or hand-edited key may hold: each is replaced by its
// default rather than reaching the writers.
TEST_F(CamSettingsKey, OutOfRangeValuesBecomeDefaults) {
    struct NumberCase {
        const wchar_t* name;
        uint32_t value;
    };
    const NumberCase numbers[] = {
        {L"Unit", 2},
        {L"Res_Int", 1},
        {L"Res_Flt", 5},
        {L"TextDrawingMode", 0xFFFFFFFFu},
        {L"CoverViaWithMask", 3},
    };
    struct FloatCase {
        const wchar_t* name;
        float value;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const FloatCase floats[] = {
        {L"LineThck", -0.1f}, {L"PadTol", 0.0f}, {L"MarkingTol", -0.05f},
        {L"TextTol", nan},    {L"SM_Incr", inf}, {L"SP_Decr", -inf},
    };
    {
        SettingsKey key;
        ASSERT_TRUE(key.Create(kGerberSettingsKey));
        for (const NumberCase& c : numbers)
            key.SetNumber(c.name, c.value);
        for (const FloatCase& c : floats)
            key.SetFloat(c.name, c.value);
    }
    CamSettings s;
    s.unit = 0;
    s.resInt = 4;
    s.resFlt = 2;
    s.textDrawingMode = 1;
    s.coverViaWithMask = 1;
    s.lineThck = 1.0f;
    s.padTol = 1.0f;
    s.markingTol = 1.0f;
    s.textTol = 1.0f;
    s.smIncr = 1.0f;
    s.spDecr = 1.0f;
    LoadGerberSettings(s);
    EXPECT_EQ(s, CamSettings{});
}

TEST_F(CamSettingsKey, BoundaryValuesAreKept) {
    {
        SettingsKey key;
        ASSERT_TRUE(key.Create(kGerberSettingsKey));
        key.SetNumber(L"Res_Int", 4);
        key.SetNumber(L"Res_Flt", 2);
        key.SetNumber(L"CoverViaWithMask", 2);
        key.SetFloat(L"LineThck", 0.0f);  // a zero width is a valid aperture
        key.SetFloat(L"PadTol", 1e-6f);   // any tolerance above 0
        key.SetFloat(L"SM_Incr", -0.05f); // masks may shrink
        key.SetFloat(L"SP_Decr", -0.02f); // pastes may grow
    }
    CamSettings s;
    LoadGerberSettings(s);
    EXPECT_EQ(s.resInt, 4);
    EXPECT_EQ(s.resFlt, 2);
    EXPECT_EQ(s.coverViaWithMask, 2);
    EXPECT_EQ(s.lineThck, 0.0f);
    EXPECT_EQ(s.padTol, 1e-6f);
    EXPECT_EQ(s.smIncr, -0.05f);
    EXPECT_EQ(s.spDecr, -0.02f);
}

TEST(CamSettingsRanges, ToleranceAndWidth) {
    EXPECT_TRUE(IsValidCamTolerance(0.001f));
    EXPECT_FALSE(IsValidCamTolerance(0.0f));
    EXPECT_FALSE(IsValidCamTolerance(-0.0f));
    EXPECT_FALSE(IsValidCamTolerance(-1.0f));
    EXPECT_FALSE(IsValidCamTolerance(std::numeric_limits<float>::quiet_NaN()));
    EXPECT_TRUE(IsValidCamWidth(0.0f));
    EXPECT_FALSE(IsValidCamWidth(-0.001f));
    EXPECT_FALSE(IsValidCamWidth(std::numeric_limits<float>::infinity()));
}

} // namespace

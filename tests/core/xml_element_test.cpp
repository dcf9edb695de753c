// Typed attribute access: conversions, defaults and their erasure, the float
// text form and the enumeration tables.
#include "core/xml_element.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

const XmlEnumRow kPadShape[] = {
    {0, L""}, {1, L"ROUND"}, {2, L"OBLONG"}, {3, L"RECT"}, {4, L"CUSTOM"}};
const XmlEnumRow kDrillType[] = {{0, L"NONE"}, {1, L"ROUND"}, {2, L"SLOT"}, {3, L"CUSTOM"}};

class XmlElementTest : public ::testing::Test {
protected:
    CXmlElement e;
};

TEST_F(XmlElementTest, EnumGetterMatchesNamesExactly) {
    int v = -7;
    EXPECT_FALSE(e.GetAttributeEnum(L"Shape", v, 1, kPadShape, 5));
    EXPECT_EQ(v, 1);
    e.SetAttribute(L"Shape", L"CUSTOM");
    EXPECT_TRUE(e.GetAttributeEnum(L"Shape", v, 1, kPadShape, 5));
    EXPECT_EQ(v, 4);
    e.SetAttribute(L"Shape", L"custom");
    EXPECT_TRUE(e.GetAttributeEnum(L"Shape", v, 1, kPadShape, 5));
    EXPECT_EQ(v, 1) << "no match leaves the default";
    e.SetAttribute(L"Shape", L"");
    EXPECT_TRUE(e.GetAttributeEnum(L"Shape", v, 1, kPadShape, 5));
    EXPECT_EQ(v, 0) << "an empty value matches the row named \"\"";
    EXPECT_TRUE(e.GetAttributeEnum(L"Shape", v, 3, kPadShape, 0));
    EXPECT_EQ(v, 3);
}

TEST_F(XmlElementTest, EnumSetterWritesTheRowNameOrRemoves) {
    e.SetAttributeEnum(L"Type", 2, 1, kDrillType, 4);
    EXPECT_EQ(*e.FindAttribute(L"Type"), L"SLOT");
    e.SetAttributeEnum(L"Type", 1, 1, kDrillType, 4);
    EXPECT_FALSE(e.HasAttribute(L"Type")) << "the default is left out";
    e.SetAttributeEnum(L"Type", 3, 1, kDrillType, 4);
    // A value no row has must not leave the old name in the file.
    e.SetAttributeEnum(L"Type", 9, 1, kDrillType, 4);
    EXPECT_FALSE(e.HasAttribute(L"Type"));
}

TEST_F(XmlElementTest, IntegerConversions) {
    struct Case {
        const wchar_t* text;
        int asInt;
        uint32_t asUInt;
        uint8_t asBool;
    } cases[] = {
        {L"12", 12, 12, 1},
        {L"  -5x", -5, 0xFFFFFFFBu, 1},
        {L"+7", 7, 7, 1},
        {L"abc", 0, 0, 0},
        {L"0", 0, 0, 0},
        {L"2", 2, 2, 1},
        {L"4294967295", 2147483647, 0xFFFFFFFFu, 1},
        {L"-1", -1, 0xFFFFFFFFu, 1},
        {L"16776960", 16776960, 0x00FFFF00u, 1},
    };
    for (const Case& c : cases) {
        e.SetAttribute(L"V", c.text);
        int i = 0;
        uint32_t u = 0;
        uint8_t b = 9;
        EXPECT_TRUE(e.GetAttributeInt(L"V", i, 42));
        EXPECT_TRUE(e.GetAttributeUInt(L"V", u, 42));
        EXPECT_TRUE(e.GetAttributeBool(L"V", b, 1));
        EXPECT_EQ(i, c.asInt) << c.text;
        EXPECT_EQ(u, c.asUInt) << c.text;
        EXPECT_EQ(b, c.asBool) << c.text;
    }
    int i = 0;
    EXPECT_FALSE(e.GetAttributeInt(L"Missing", i, 42));
    EXPECT_EQ(i, 42);
}

TEST_F(XmlElementTest, PairsNeedBothNumbers) {
    int x = 0, y = 0;
    e.SetAttribute(L"XY", L"12,-3");
    EXPECT_TRUE(e.GetAttributePoint(L"XY", x, y, 7, 8));
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, -3);
    e.SetAttribute(L"XY", L"12");
    EXPECT_FALSE(e.GetAttributePoint(L"XY", x, y, 7, 8));
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 8);
    EXPECT_FALSE(e.GetAttributeSize(L"None", x, y, 7, 8));
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 8);

    float fx = 0, fy = 0;
    e.SetAttribute(L"Size", L"1.5,2.25");
    EXPECT_TRUE(e.GetAttributeSizeF(L"Size", fx, fy, 0, 0));
    EXPECT_EQ(fx, 1.5f);
    EXPECT_EQ(fy, 2.25f);
    e.SetAttribute(L"Size", L"1.5;2");
    EXPECT_FALSE(e.GetAttributePointF(L"Size", fx, fy, 9, 9));
    EXPECT_EQ(fx, 1.5f);
    EXPECT_EQ(fy, 9.0f);
}

TEST_F(XmlElementTest, SettersLeaveDefaultsOut) {
    e.SetAttributeBool(L"B", 2, 0);
    EXPECT_EQ(*e.FindAttribute(L"B"), L"1");
    e.SetAttributeBool(L"B", 0, 0);
    EXPECT_FALSE(e.HasAttribute(L"B"));
    e.SetAttributeBool(L"B", 0, 1);
    EXPECT_EQ(*e.FindAttribute(L"B"), L"0");

    e.SetAttributePoint(L"XY", 0, 5, 0, 0);
    EXPECT_EQ(*e.FindAttribute(L"XY"), L"0,5");
    e.SetAttributePoint(L"XY", 0, 0, 0, 0);
    EXPECT_FALSE(e.HasAttribute(L"XY"));

    e.SetAttributeInt(L"I", -12, 0);
    EXPECT_EQ(*e.FindAttribute(L"I"), L"-12");
    e.SetAttributeUInt(L"U", 0xFFFFFFFFu, 1);
    EXPECT_EQ(*e.FindAttribute(L"U"), L"4294967295");
    e.SetAttributeString(L"S", L"Tahoma", L"Tahoma");
    EXPECT_FALSE(e.HasAttribute(L"S"));
    e.SetAttributeText(L"S", L"Arial", L"Tahoma");
    EXPECT_EQ(*e.FindAttribute(L"S"), L"Arial");

    e.SetAttributeFloat(L"W", 0.25f, 0.25f);
    EXPECT_FALSE(e.HasAttribute(L"W"));
    float w = 0;
    EXPECT_FALSE(e.GetAttributeFloat(L"W", w, 0.25f));
    EXPECT_EQ(w, 0.25f);
    e.SetAttributeFloat(L"W", 0.0f, 0.25f);
    EXPECT_EQ(*e.FindAttribute(L"W"), L"0");
    e.SetAttributePointF(L"P", 1.5f, -2.0f, 0, 0);
    EXPECT_EQ(*e.FindAttribute(L"P"), L"1.5,-2");
}

TEST_F(XmlElementTest, FloatText) {
    struct Case {
        float value;
        const wchar_t* text;
    } cases[] = {
        {0.3f, L"0.3"},
        {2.54f, L"2.54"},
        {100.0f, L"100"},
        {0.0001f, L"0.0001"},
        {0.00001f, L"1e-05"},
        {-1.27f, L"-1.27"},
        {0.1f, L"0.1"},
        {1.5e6f, L"1.5e+06"},
        // Six significant digits, as a stream writes them.
        {123.4567f, L"123.457"},
        {12.345678f, L"12.3457"},
        {1234567.0f, L"1.23457e+06"},
        {46.989998f, L"46.99"},
        {61.594997f, L"61.595"},
        {-36.829998f, L"-36.83"},
        {999999.7f, L"1e+06"},
        {0.00123456789f, L"0.00123457"},
    };
    for (const Case& c : cases) {
        e.SetAttributeFloat(L"F", c.value, -999.0f);
        EXPECT_EQ(*e.FindAttribute(L"F"), c.text);
        e.SetAttributePointF(L"P", c.value, 1, 0, 0);
        EXPECT_EQ(*e.FindAttribute(L"P"), c.text + std::wstring(L",1"));
    }
    // A value written as its default's text is the default: left out, so the
    // next save, which reads the default, writes the same.
    const struct {
        float value, def;
        bool written;
    } defaults[] = {
        {0.25000001f, 0.25f, false}, {0.2500003f, 0.25f, false}, {0.250003f, 0.25f, true},
        {0.7000001f, 0.7f, false},   {1e-30f, 0, true},          {-0.0f, 0, false},
    };
    for (const auto& d : defaults) {
        e.SetAttributeFloat(L"D", 5, 0);
        e.SetAttributeFloat(L"D", d.value, d.def);
        EXPECT_EQ(e.HasAttribute(L"D"), d.written) << d.value;
        e.SetAttributePointF(L"Q", 5, 5, 0, 0);
        e.SetAttributePointF(L"Q", d.value, d.value, d.def, d.def);
        EXPECT_EQ(e.HasAttribute(L"Q"), d.written) << d.value;
    }
}

TEST_F(XmlElementTest, FloatsSurviveWriteAndRead) {
    // What is written reads back within six significant digits, and writes
    // the same text again.
    uint32_t bits = 0x3DCCCCCDu; // 0.1f
    for (int i = 0; i < 2000; ++i) {
        bits = bits * 1664525u + 1013904223u;
        float value;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value))
            continue;
        e.SetAttributeFloat(L"F", value, std::nanf(""));
        e.SetAttributePointF(L"P", value, -value, 0, 0);
        const std::wstring text(*e.FindAttribute(L"F"));
        float back = 0, x = 0, y = 0;
        ASSERT_TRUE(e.GetAttributeFloat(L"F", back, 0));
        EXPECT_LE(std::fabs(back - value), std::fabs(value) * 5e-6f) << WideToUtf8(text);
        e.SetAttributeFloat(L"F", back, std::nanf(""));
        EXPECT_EQ(*e.FindAttribute(L"F"), text);
        if (value != 0) {
            ASSERT_TRUE(e.GetAttributePointF(L"P", x, y, 0, 0));
            EXPECT_EQ(x, back);
            EXPECT_EQ(y, -back);
        }
    }
}

} // namespace

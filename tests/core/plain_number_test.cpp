// The in-line readers of plain numbers must read every attribute text, also
// a damaged one, exactly as the general readers of CXmlElement do.
#include "core/plain_number.h"

#include "core/expected_attributes.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Texts put together from pieces of plain numbers and of everything the
// general readers also take (or stop at).
class PieceTexts {
public:
    std::wstring Next() {
        static const wchar_t* const kPieces[] = {L"1",
                                                 L"-2.5",
                                                 L"0",
                                                 L"40",
                                                 L"-0",
                                                 L"0.000",
                                                 L"12.345",
                                                 L",",
                                                 L",",
                                                 L" ",
                                                 L"+3",
                                                 L"-",
                                                 L".5",
                                                 L"1.",
                                                 L"1e3",
                                                 L"0x1",
                                                 L"nan",
                                                 L"\t",
                                                 L"x",
                                                 L"007",
                                                 L"999999999",
                                                 L"1234567890",
                                                 L"2147483648",
                                                 L"123456789012345",
                                                 L"1234567890123456",
                                                 L"0.0000001"};
        std::wstring text;
        const int pieces = static_cast<int>(Random() % 6);
        for (int k = 0; k < pieces; ++k)
            text += kPieces[Random() % (sizeof kPieces / sizeof *kPieces)];
        return text;
    }

private:
    uint32_t Random() {
        m_state = m_state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(m_state >> 32);
    }
    uint64_t m_state = 5;
};

bool SameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TEST(PlainNumberTest, PointsReadAsTheGeneralReaderReadsThem) {
    PieceTexts texts;
    for (int i = 0; i < 20000; ++i) {
        const std::wstring text = texts.Next();
        CXmlElement element;
        if (i % 50 != 0)
            element.SetAttribute(L"XY", text);
        float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        const bool read1 = PlainNumber::GetPointF(element, L"XY", x1, y1, 7, 8);
        const bool read2 = element.GetAttributePointF(L"XY", x2, y2, 7, 8);
        ASSERT_EQ(read1, read2) << text;
        ASSERT_TRUE(SameBits(x1, x2) && SameBits(y1, y2)) << text;
        int a1 = 0, b1 = 0, a2 = 0, b2 = 0;
        const bool int1 = PlainNumber::GetPoint(element, L"XY", a1, b1, 7, 8);
        const bool int2 = element.GetAttributePoint(L"XY", a2, b2, 7, 8);
        ASSERT_EQ(int1, int2) << text;
        ASSERT_EQ(a1, a2) << text;
        ASSERT_EQ(b1, b2) << text;
    }
}

// A float attribute matches a text exactly when the text is what the setter
// writes, whichever way the comparison goes (short form or written out).
TEST(ExpectedAttributesTest, FloatsMatchOnlyTheTextTheSetterWrites) {
    uint64_t state = 17;
    auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 32);
    };
    static const float kTypical[] = {0.0f,    -0.0f,     1.0f,  -4.445f,  2.7f,      0.635f,
                                     0.001f,  0.000999f, 1e-3f, 999999.f, 1e6f,      123456.5f,
                                     0.25f,   1.55f,     0.1f,  -0.3f,    100000.f,  9.99999f,
                                     0.0012f, 3.14159f,  1e-8f, 7e22f,    16777217.f};
    for (int i = 0; i < 30000; ++i) {
        float value;
        if (i % 3 == 0) {
            const uint32_t bits = next();
            std::memcpy(&value, &bits, sizeof value);
        } else if (i % 3 == 1) {
            value = kTypical[next() % (sizeof kTypical / sizeof *kTypical)];
        } else {
            value = static_cast<float>(static_cast<int>(next() % 2000001) - 1000000) /
                    static_cast<float>(1 << (next() % 12));
        }
        const std::wstring written = FormatFloat(value);
        // The text, and texts near it.
        std::vector<std::wstring> texts = {written,
                                           written + L"0",
                                           written + L".0",
                                           L"0" + written,
                                           L"-" + written,
                                           written.substr(1),
                                           FormatGeneral(value, 7),
                                           FormatGeneral(value, 5),
                                           FormatGeneral(value, 9),
                                           FormatFloatRoundTrip(value),
                                           StrPrintf(L"%.3f", static_cast<double>(value)),
                                           FormatFloatRoundTrip(std::nextafter(value, 1e30f))};
        for (const std::wstring& text : texts) {
            ExpectedAttributes<1> single;
            single.AddFloat(L"F", value, 12345.f);
            XmlAttributeMap map{{L"F", text}};
            const bool same = FloatWrittenAsDefault(value, 12345.f) ? false : text == written;
            ASSERT_EQ(single.Matches(map), same) << text << " for " << written;
            ExpectedAttributes<1> pair;
            pair.AddPointF(L"P", value, 1.5f, 12345.f, 0);
            XmlAttributeMap pairMap{{L"P", text + L",1.5"}};
            ASSERT_EQ(pair.Matches(pairMap), text == written) << text << " for " << written;
        }
    }
}

namespace {

// More attributes than the list has room for: nothing is written past its
// end, and the list matches no element, so the writer uses its setters.
TEST(ExpectedAttributesTest, AnOverflowingListMatchesNothing) {
    ExpectedAttributes<2> expected;
    expected.AddInt(L"A", 1, 0);
    expected.AddFloat(L"B", 2.5f, 0);
    XmlAttributeMap map;
    map.Set(L"A", L"1");
    map.Set(L"B", L"2.5");
    EXPECT_TRUE(expected.Matches(map));
    expected.AddString(L"C", L"x", L"");
    expected.AddPoint(L"D", 1, 2, 0, 0);
    EXPECT_FALSE(expected.Matches(map));
    map.Set(L"C", L"x");
    EXPECT_FALSE(expected.Matches(map));
}

} // namespace

// The in-line readers of plain numbers must read every attribute text, also
// a damaged one, exactly as the general readers of CXmlElement do.
#include "core/plain_number.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

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

#include "platform/text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

TEST(Utf8, RoundTripsEveryPlane) {
    const std::wstring text = L"A\u00e9\u20ac\U0001F600z";
    const std::string bytes = WideToUtf8(text);
    EXPECT_EQ(bytes, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z");
    EXPECT_EQ(Utf8ToWide(bytes), text);
}

TEST(Utf8, MalformedBytesBecomeReplacementCharacters) {
    EXPECT_EQ(Utf8ToWide("\x80"), L"\uFFFD");
    EXPECT_EQ(Utf8ToWide("a\xE2\x82"), L"a\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToWide("\xC3(x"), L"\uFFFD(x");
}

TEST(Cp1252, MapsTheHighControlRange) {
    EXPECT_EQ(Cp1252ToWide("\x80\xE9\x9F"), L"\u20AC\u00E9\u0178");
    bool lossy = false;
    EXPECT_EQ(WideToCp1252(L"\u20AC\u00E9", &lossy), "\x80\xE9");
    EXPECT_FALSE(lossy);
    EXPECT_EQ(WideToCp1252(L"\u4E2D", &lossy), "?");
    EXPECT_TRUE(lossy);
}

struct ParseCase {
    const wchar_t* text;
    double value;
    int consumed;
};

class ParseDoubleTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseDoubleTest, BehavesLikeTheCLocale) {
    const ParseCase& c = GetParam();
    const wchar_t* end = nullptr;
    double v = ParseDouble(c.text, &end);
    EXPECT_EQ(v, c.value) << "text " << c.text;
    EXPECT_EQ(end - c.text, c.consumed);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseDoubleTest,
    ::testing::Values(ParseCase{L"12.5", 12.5, 4}, ParseCase{L"  -0.25mm", -0.25, 7},
                      ParseCase{L"+1e3,", 1000.0, 4}, ParseCase{L"1,5", 1.0, 1},
                      ParseCase{L"abc", 0.0, 0}, ParseCase{L".5", 0.5, 2}, ParseCase{L"1e", 1.0, 1},
                      ParseCase{L"0x10", 16.0, 4}, ParseCase{L"1.", 1.0, 2},
                      ParseCase{L"1.5.3", 1.5, 3}, ParseCase{L"00x7", 0.0, 2},
                      ParseCase{L"-0", -0.0, 2}, ParseCase{L"2.5E2", 250.0, 5},
                      ParseCase{L"123456789012345.6", 123456789012345.6, 17},
                      ParseCase{L"0.1000000000000000055511151231257827", 0.1, 36}));

// Short decimals take a shortcut; every one must come out as the correctly
// rounded value that the general conversion gives.
TEST(ParseDouble, ShortDecimalsRoundAsTheGeneralConversion) {
    uint64_t state = 12345;
    auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return state >> 33;
    };
    for (int i = 0; i < 200000; ++i) {
        std::string text = std::to_string(next() % 100000000000ull);
        const std::size_t point = next() % (text.size() + 1);
        if (point < text.size())
            text.insert(text.size() - point, ".");
        if (text[0] == '.')
            text.insert(0, "0");
        if (next() % 2)
            text.insert(0, "-");
        double expected = 0;
        const char* first = text.data() + (text[0] == '-' ? 1 : 0);
        std::from_chars(first, text.data() + text.size(), expected);
        if (text[0] == '-')
            expected = -expected;
        const std::wstring wide = std::wstring(text.begin(), text.end()) + L",7";
        const wchar_t* end = nullptr;
        const double value = ParseDouble(wide.c_str(), &end);
        ASSERT_EQ(value, expected) << text;
        ASSERT_EQ(static_cast<std::size_t>(end - wide.c_str()), text.size()) << text;
        ASSERT_EQ(static_cast<float>(value), static_cast<float>(expected)) << text;
    }
}

TEST(ParseInteger, StopsAtTheFirstNonDigit) {
    const wchar_t* end = nullptr;
    EXPECT_EQ(ParseInteger(L" -42,7", &end), -42);
    EXPECT_EQ(*end, L',');
    EXPECT_EQ(ParseInteger(L"x"), 0);
    EXPECT_EQ(ParseInteger(L"99999999999999999999999"), INT64_MAX);
}

TEST(StrPrintf, FormatsLikePrintfUnderTheCLocale) {
    EXPECT_EQ(StrPrintf(L"N%d", 12), L"N12");
    EXPECT_EQ(StrPrintf(L"%.3f", 2.5), L"2.500");
    EXPECT_EQ(StrPrintf(L"%g", 0.00001), L"1e-05");
    EXPECT_EQ(StrPrintf(L"%g", 1234567.0), L"1.23457e+06");
    EXPECT_EQ(StrPrintf(L"%05.1f|%-4d|%x|%s", -2.25, 7, 255u, L"ok"), L"-02.2|7   |ff|ok");
    EXPECT_EQ(StrPrintf(L"%hs", "\xC3\xA9"), L"\u00e9");
    EXPECT_EQ(StrPrintf(L"%%%c", L'x'), L"%x");
    EXPECT_EQ(StrPrintf(L"%#g", 1.0), L"1.00000");
    EXPECT_EQ(StrPrintf(L"%#.0e", 3.0), L"3.e+00");
}

TEST(StrPrintf, IgnoresTheProcessLocale) {
    // Whatever LC_ALL the test runs under, the decimal point stays a full stop.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr) << "de_DE.UTF-8 is not installed";
    EXPECT_EQ(StrPrintf(L"%.2f", 1.5), L"1.50");
    EXPECT_EQ(ParseDouble(L"1.5"), 1.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(FormatFloatRoundTrip, KeepsShortTextsAndRoundTripsLongOnes) {
    EXPECT_EQ(FormatFloatRoundTrip(0.3f), L"0.3");
    EXPECT_EQ(FormatFloatRoundTrip(2.54f), L"2.54");
    EXPECT_EQ(FormatFloatRoundTrip(100.0f), L"100");
    EXPECT_EQ(FormatFloatRoundTrip(0.0001f), L"0.0001");
    EXPECT_EQ(FormatFloatRoundTrip(0.00001f), L"1e-05");
    for (float f : {123.4567f, 1234567.0f, 12.345678f, -0.1f, 3.14159274f, 1e-30f}) {
        std::wstring t = FormatFloatRoundTrip(f);
        EXPECT_EQ(static_cast<float>(ParseDouble(t.c_str())), f) << f;
    }
    EXPECT_EQ(FormatFloatRoundTrip(123.4567f), L"123.4567");
}

// Numbers are formatted without going through the printf machinery; the text
// must stay exactly what "%.*g" writes, and the round trip choose the same
// precision as reading the text back does.
TEST(FormatGeneral, WritesWhatPrintfWrites) {
    uint64_t state = 99;
    auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 32);
    };
    for (int i = 0; i < 100000; ++i) {
        const uint32_t bits = next();
        float f = 0;
        static_assert(sizeof f == sizeof bits);
        std::memcpy(&f, &bits, sizeof f);
        if (i % 2)
            f = static_cast<float>(static_cast<int>(next() % 2000001) - 1000000) / 1000.0f;
        const int digits = static_cast<int>(next() % 18);
        ASSERT_EQ(FormatGeneral(f, digits), StrPrintf(L"%.*g", digits, static_cast<double>(f)))
            << bits;
        ASSERT_EQ(FormatFloat(f), StrPrintf(L"%g", static_cast<double>(f))) << bits;
        std::wstring expected;
        for (int d = 6; d <= 9 && expected.empty(); ++d) {
            std::wstring t = StrPrintf(L"%.*g", d, static_cast<double>(f));
            const float back = static_cast<float>(ParseDouble(t.c_str()));
            if (d == 9 || back == f || (std::isnan(back) && std::isnan(f)))
                expected = t;
        }
        ASSERT_EQ(FormatFloatRoundTrip(f), expected) << bits;
    }
    EXPECT_EQ(FormatGeneral(-0.0, 6), L"-0");
    // The plain conversions against the padded and alternative forms, which
    // take the general way.
    EXPECT_EQ(StrPrintf(L"%.3f,%.3f", -0.0005, 2.0005), L"-0.001,2.001");
    EXPECT_EQ(StrPrintf(L"%f|%e|%g", 1.0 / 3, -12345.678, 1e-5), L"0.333333|-1.234568e+04|1e-05");
    EXPECT_EQ(StrPrintf(L"%+.1f|% .0e|%.0g", 2.25, 15.0, 0.5), L"+2.2| 2e+01|0.5");
    EXPECT_EQ(StrPrintf(L"%.2f", 1e300).size(), 304u);
    EXPECT_EQ(StrPrintf(L"%8.2f|%-6g|%#g", -1.5, 0.25, 2.0), L"   -1.50|0.25  |2.00000");
    EXPECT_EQ(FormatGeneral(0.5, 0), L"0.5");
    EXPECT_EQ(FormatGeneral(1e300, 3), L"1e+300");
}

// Coordinates are written through a short cut; every kind of value must come
// out exactly as "%.*f" writes it: ties to even, negative zero, huge floats,
// values that are no float, NaN and infinities.
TEST(AppendFixed, WritesWhatPrintfWrites) {
    uint64_t state = 7;
    auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 32);
    };
    auto check = [](double v, int precision) {
        std::wstring text = L"x";
        AppendFixed(text, v, precision);
        ASSERT_EQ(text, L"x" + StrPrintf(L"%.*f", precision, v)) << v << " " << precision;
    };
    for (double v : {0.0,    -0.0,   0.0625, -0.0625, 0.5,          1.5,      2.5,        -2.5,
                     0.0005, 1.0005, 0.0015, -0.0004, 999999999.0,  1e9,      16777217.0, 3.4e38,
                     1e-45,  0.1,    0.3,    1.0 / 3, std::nan(""), HUGE_VAL, -HUGE_VAL})
        for (int precision = 0; precision <= 8; ++precision)
            check(v, precision);
    for (int i = 0; i < 200000; ++i) {
        const uint32_t bits = next();
        float f = 0;
        std::memcpy(&f, &bits, sizeof f);
        const int precision = static_cast<int>(next() % 8);
        switch (i % 4) {
        case 0:
            check(f, precision);
            break;
        case 1: // Millimetres with three decimals, as conductors store them.
            check(static_cast<float>(static_cast<int>(next() % 2000001) - 1000000) / 1000.0f, 3);
            break;
        case 2: // Exact binary fractions: many halfway cases.
            check(static_cast<double>(static_cast<int>(next() % 200001) - 100000) / 4096.0,
                  precision);
            break;
        default:
            check(static_cast<double>(static_cast<int>(next()) / 7) / 1024.0, precision);
            break;
        }
    }
}

TEST(AppendInteger, WritesWhatPrintfWrites) {
    for (long long v : {0ll, 7ll, -7ll, 10ll, -10ll, 2147483647ll, -2147483648ll,
                        9223372036854775807ll, -9223372036854775807ll - 1}) {
        std::wstring text = L"x";
        AppendInteger(text, v);
        EXPECT_EQ(text, L"x" + StrPrintf(L"%lld", v));
    }
}

TEST(FormatFixedTo, WritesWhatPrintfWrites) {
    uint64_t state = 11;
    auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 32);
    };
    for (int i = 0; i < 200000; ++i) {
        const uint32_t bits = next();
        float f = 0;
        std::memcpy(&f, &bits, sizeof f);
        if (i % 2)
            f = static_cast<float>(static_cast<int>(next() % 2000001) - 1000000) / 1000.0f;
        const int precision = static_cast<int>(next() % 10);
        wchar_t buffer[64];
        wchar_t* end = FormatFixedTo(buffer, f, precision);
        ASSERT_EQ(std::wstring(buffer, end), StrPrintf(L"%.*f", precision, static_cast<double>(f)))
            << bits;
    }
}

// Three decimals is the coordinate form with a way of its own: its edges at
// four digits before the point, ties and signs.
TEST(FormatFixedTo, ThreeDecimalsAtTheirEdges) {
    for (float f : {0.0f, -0.0f, 0.0005f, 0.0015f, 2.0005f, -2.0005f, 0.9995f, 9.9995f, 99.9995f,
                    999.9995f, 1000.0f, 9999.998f, 9999.9985f, 9999.999f, 9999.9995f, 10000.0f,
                    -9999.999f, 123456.78f, 1e-9f}) {
        wchar_t buffer[64];
        wchar_t* end = FormatFixedTo(buffer, f, 3);
        EXPECT_EQ(std::wstring(buffer, end), StrPrintf(L"%.3f", static_cast<double>(f))) << f;
    }
}

// Values at the edges of the fixed form and of the decades, where the short
// cut hands over to the general conversion.
TEST(FormatFloatRoundTrip, MatchesTheGeneralConversionAtTheEdges) {
    for (float f :
         {999999.5f, 999999.4f,    999999.0f,      99999.95f,     9.999995f,    9.9999949f,
          0.001f,    0.000999999f, 0.00099999994f, 0.0099999998f, 0.099999994f, 1.0f,
          10.0f,     0.1f,         1e6f,           123456.7f,     -0.001f,      -999999.5f,
          5e-4f,     0.0015f,      0.0625f}) {
        for (float g : {f, std::nextafter(f, 0.0f), std::nextafter(f, 2e6f)}) {
            std::wstring expected;
            for (int d = 6; d <= 9 && expected.empty(); ++d) {
                std::wstring t = StrPrintf(L"%.*g", d, static_cast<double>(g));
                if (d == 9 || static_cast<float>(ParseDouble(t.c_str())) == g)
                    expected = t;
            }
            EXPECT_EQ(FormatFloatRoundTrip(g), expected) << g;
        }
    }
    uint64_t state = 5;
    auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 32);
    };
    for (int i = 0; i < 300000; ++i) {
        // Every float from 2^-11 to 2^21, both signs.
        const uint32_t bits = ((116u + next() % 32u) << 23) | (next() & 0x807fffffu);
        float g = 0;
        std::memcpy(&g, &bits, sizeof g);
        std::wstring expected;
        for (int d = 6; d <= 9 && expected.empty(); ++d) {
            std::wstring t = StrPrintf(L"%.*g", d, static_cast<double>(g));
            if (d == 9 || static_cast<float>(ParseDouble(t.c_str())) == g)
                expected = t;
        }
        ASSERT_EQ(FormatFloatRoundTrip(g), expected) << bits;
    }
}

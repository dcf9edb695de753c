// The scanners answer the same with and without their vector paths, never
// look outside the range they are given (the texts sit in buffers of their
// exact size, which the address sanitizer guards), and read numbers as the
// plain decimal reader does.
#include "core/text_scanner.h"

#include "core/root.h"
#include "core/xml_file.h"
#include "platform/file.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

// Runs f with the vector paths on, then off; restores them.
template <typename F> auto BothWays(F f) {
    const bool was = TextScanner::VectorPathsOn();
    TextScanner::SetVectorPaths(true);
    auto vector = f();
    TextScanner::SetVectorPaths(false);
    auto scalar = f();
    TextScanner::SetVectorPaths(was);
    return std::make_pair(vector, scalar);
}

// A copy of the text in a heap block of exactly its size.
template <typename C> std::unique_ptr<C[]> Exact(const std::basic_string<C>& text) {
    std::unique_ptr<C[]> block(new C[text.size() ? text.size() : 1]);
    std::memcpy(block.get(), text.data(), text.size() * sizeof(C));
    return block;
}

// Bytes of the kinds the scanners tell apart, in runs long enough to cross
// sixteen-byte blocks.
std::string RandomBytes(std::mt19937& random, std::size_t size) {
    static const char kKinds[] = {'a', 'Z',    '5',    '_',    ' ',    '\t',   '\r',  '\n', '<',
                                  '&', '"',    '\'',   '\0',   '=',    '/',    '>',   '.',  ',',
                                  '-', '\x7F', '\x80', '\xC3', '\xFF', '\x01', '\x1F'};
    std::string text;
    while (text.size() < size) {
        const char c = kKinds[random() % sizeof(kKinds)];
        text.append(random() % 3 == 0 ? 1 + random() % 20 : 1, c);
    }
    text.resize(size);
    return text;
}

TEST(TextScanner, ByteScannersAgreeWithTheirPlainDefinitions) {
    std::mt19937 random(7);
    using Byte = unsigned char;
    for (int round = 0; round < 300; ++round) {
        const std::string text = RandomBytes(random, random() % 70);
        const auto block = Exact(text);
        const char* const begin = block.get();
        const char* const end = begin + text.size();
        const auto* const ubegin = reinterpret_cast<const uint8_t*>(begin);
        const auto* const uend = ubegin + text.size();
        for (std::size_t at = 0; at <= text.size(); ++at) {
            // Each scanner against a plain loop over its definition.
            auto first = [&](auto stops) {
                std::size_t i = at;
                while (i < text.size() && !stops(static_cast<Byte>(text[i])))
                    ++i;
                return i;
            };
            const auto isName = [](Byte b) {
                return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                       b == '_';
            };
            const std::size_t blanks = first([](Byte b) { return b == 0 || b > 32; });
            const std::size_t asciiName = first([&](Byte b) { return !isName(b); });
            const std::size_t name = first([&](Byte b) { return !isName(b) && b < 0x80; });
            // Controls: the bytes below 0x20 but a tab.
            const auto control = [](Byte b) { return b < 0x20 && b != '\t'; };
            const std::size_t textStop =
                first([&](Byte b) { return b == '<' || b == '&' || control(b); });
            auto valueStop = [&](char quote) {
                return first([&](Byte b) {
                    return b == static_cast<Byte>(quote) || b == '&' || control(b) || b >= 0x80;
                });
            };
            const std::size_t lineEnd = first([](Byte b) { return b == '\r' || b == '\n'; });
            const std::size_t lineOrHigh =
                first([](Byte b) { return b == '\r' || b == '\n' || b >= 0x80; });
            const std::size_t high = first([](Byte b) { return b >= 0x80; });
            const char* const p = begin + at;
            const auto* const up = ubegin + at;
            const auto results = BothWays([&] {
                return std::vector<std::size_t>{
                    static_cast<std::size_t>(TextScanner::SkipBlanks(p, end) - begin),
                    static_cast<std::size_t>(TextScanner::FindAsciiNameEnd(p, end) - begin),
                    static_cast<std::size_t>(TextScanner::FindNameEnd(p, end) - begin),
                    static_cast<std::size_t>(TextScanner::FindTextStop(p, end) - begin),
                    static_cast<std::size_t>(TextScanner::FindValueStop(p, end, '"') - begin),
                    static_cast<std::size_t>(TextScanner::FindValueStop(p, end, '\'') - begin),
                    static_cast<std::size_t>(TextScanner::FindLineEnd(up, uend) - ubegin),
                    static_cast<std::size_t>(TextScanner::FindLineEnd(up, uend, true) - ubegin),
                    static_cast<std::size_t>(TextScanner::SkipAscii(up, uend) - ubegin)};
            });
            const std::vector<std::size_t> expected{blanks,   asciiName,      name,
                                                    textStop, valueStop('"'), valueStop('\''),
                                                    lineEnd,  lineOrHigh,     high};
            ASSERT_EQ(results.first, expected) << "vector, round " << round << " at " << at;
            ASSERT_EQ(results.second, expected) << "scalar, round " << round << " at " << at;
        }
    }
}

TEST(TextScanner, PlainOutputIsPackedAsItsDefinitionSays) {
    // Characters the writer tells apart: plain ASCII, the escaped five,
    // controls, DEL, a space, and characters beyond ASCII that must not
    // saturate into plain bytes (0x100 + '<', negative, beyond Unicode).
    static const wchar_t kKinds[] = {L'a',
                                     L'Z',
                                     L'5',
                                     L' ',
                                     L'~',
                                     L'"',
                                     L'&',
                                     L'\'',
                                     L'<',
                                     L'>',
                                     L'\t',
                                     L'\0',
                                     L'\x7F',
                                     L'\x80',
                                     L'\x13C',
                                     L'\xE9',
                                     static_cast<wchar_t>(-1),
                                     static_cast<wchar_t>(0x110000)};
    std::mt19937 random(11);
    for (int round = 0; round < 2000; ++round) {
        std::wstring text;
        const std::size_t size = random() % 24;
        while (text.size() < size)
            text += kKinds[random() % 4 == 0 ? random() % std::size(kKinds) : random() % 5];
        std::size_t plain = 0;
        unsigned spaces = 0;
        while (plain < text.size() && plain < 16 && TextScanner::IsPlainOutput(text[plain])) {
            if (text[plain] == L' ')
                spaces |= 1u << plain;
            ++plain;
        }
        const auto block = Exact(text);
        const auto results = BothWays([&] {
            char out[16] = {};
            unsigned gotSpaces = 99;
            const std::size_t got = TextScanner::PackPlainOutput16(
                block.get(), block.get() + text.size(), out, gotSpaces);
            return std::make_tuple(got, gotSpaces, std::string(out, got));
        });
        const bool full = text.size() >= 16;
        const auto expected = std::make_tuple(
            full ? plain : 0, full ? spaces : 0u,
            full ? std::string(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(plain))
                 : "");
        ASSERT_EQ(results.first, expected) << "vector, round " << round;
        ASSERT_EQ(results.second, expected) << "scalar, round " << round;
    }
}

TEST(TextScanner, WidenAsciiWritesExactlyItsCharacters) {
    for (std::size_t size : {0u, 1u, 15u, 16u, 17u, 33u, 64u}) {
        std::string ascii;
        for (std::size_t i = 0; i < size; ++i)
            ascii += static_cast<char>(' ' + i % 90);
        const auto source = Exact(ascii);
        const auto out = BothWays([&] {
            std::wstring wide(size, L'#');
            std::unique_ptr<wchar_t[]> block(new wchar_t[size ? size : 1]);
            TextScanner::WidenAscii(std::string_view(source.get(), size), block.get());
            wide.assign(block.get(), size);
            return wide;
        });
        const std::wstring expected(ascii.begin(), ascii.end());
        EXPECT_EQ(out.first, expected) << size;
        EXPECT_EQ(out.second, expected) << size;
    }
}

// Reads "x,y" as the scalar path does: two plain decimals and a comma,
// followed by a space or the end.
bool ReadPairPlainly(const wchar_t*& p, const wchar_t* end, float& x, float& y) {
    double a = 0, b = 0;
    const wchar_t* q = ReadPlainDecimal(p, end, a);
    if (!q || q == end || *q != L',')
        return false;
    q = ReadPlainDecimal(q + 1, end, b);
    if (!q || (q != end && *q != L' '))
        return false;
    x = static_cast<float>(a);
    y = static_cast<float>(b);
    p = q;
    return true;
}

// Pair texts: what the writer writes, and near misses of it.
std::vector<std::wstring> PairTexts(std::mt19937& random, float& x, float& y) {
    const int whole = static_cast<int>(random() % 5);
    const double scale[] = {1, 10, 100, 1000, 100000};
    x = static_cast<float>((static_cast<double>(random() % 2000001) - 1e6) / 1e6 * scale[whole]);
    y = static_cast<float>((static_cast<double>(random() % 2000001) - 1e6) / 1e6 * scale[whole]);
    if (random() % 8 == 0)
        x = -0.0f;
    const std::wstring written = StrPrintf(L"%.3f,%.3f", x, y);
    std::vector<std::wstring> texts = {written,
                                       written + L" ",
                                       written + L" 1.000,2.000",
                                       written + L",0.500",
                                       written + L"0",
                                       written + L"x",
                                       L"0" + written,
                                       L"-0" + written,
                                       written.substr(0, written.size() - 1),
                                       written.substr(1),
                                       StrPrintf(L"%.4f,%.3f", x, y),
                                       StrPrintf(L"%.2f,%.3f ", x, y),
                                       StrPrintf(L"%.3f, %.3f", x, y),
                                       StrPrintf(L"%.3f,%.3f", x + 0.001f, y)};
    return texts;
}

TEST(TextScanner, PairsReadAndMatchAsThePlainReadersDo) {
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        float x = 0, y = 0;
        for (const std::wstring& text : PairTexts(random, x, y)) {
            const auto block = Exact(text);
            const wchar_t* const begin = block.get();
            const wchar_t* const end = begin + text.size();
            // A pair read by the vector path reads the same plainly.
            const auto read = BothWays([&] {
                const wchar_t* p = begin;
                float a = 0, b = 0;
                const bool ok = TextScanner::ReadFixedPair(p, end, a, b);
                return std::make_tuple(ok, p - begin, std::bit_cast<uint32_t>(a),
                                       std::bit_cast<uint32_t>(b));
            });
            EXPECT_FALSE(std::get<0>(read.second)) << "no pair without the vector paths";
            if (std::get<0>(read.first)) {
                const wchar_t* p = begin;
                float a = 0, b = 0;
                ASSERT_TRUE(ReadPairPlainly(p, end, a, b)) << WideToUtf8(text);
                EXPECT_EQ(std::get<1>(read.first), p - begin) << WideToUtf8(text);
                EXPECT_EQ(std::get<2>(read.first), std::bit_cast<uint32_t>(a));
                EXPECT_EQ(std::get<3>(read.first), std::bit_cast<uint32_t>(b));
            }
            // Matching answers the same either way.
            const auto match = BothWays([&] {
                const wchar_t* p = begin;
                const bool ok = TextScanner::MatchFixedPair(p, end, x, y);
                return std::make_pair(ok, p - begin);
            });
            EXPECT_EQ(match.first, match.second) << WideToUtf8(text);
        }
        // What the writer writes always matches.
        const std::wstring written = StrPrintf(L"%.3f,%.3f", x, y);
        const auto block = Exact(written);
        const wchar_t* p = block.get();
        EXPECT_TRUE(TextScanner::MatchFixedPair(p, p + written.size(), x, y))
            << WideToUtf8(written);
    }
}

TEST(TextScanner, PlainDecimalsStopAtTheEndTheyAreGiven) {
    const std::wstring text = L"-12.5,7";
    const auto block = Exact(text);
    const wchar_t* const p = block.get();
    double v = 0;
    EXPECT_EQ(ReadPlainDecimal(p, p + 3, v), p + 3);
    EXPECT_EQ(v, -12);
    EXPECT_EQ(ReadPlainDecimal(p, p + 4, v), p + 3) << "a point needs a digit after it";
    EXPECT_EQ(ReadPlainDecimal(p, p + 5, v), p + 5);
    EXPECT_EQ(v, -12.5);
    EXPECT_EQ(ReadPlainDecimal(p, p + 1, v), nullptr);
    EXPECT_EQ(ReadPlainDecimal(p, p, v), nullptr);
    EXPECT_EQ(ReadPlainDecimal(p + 6, p + 7, v), p + 7);
    EXPECT_EQ(v, 7);
    const std::wstring sixteen = L"1234567890123456";
    const auto longBlock = Exact(sixteen);
    EXPECT_EQ(ReadPlainDecimal(longBlock.get(), longBlock.get() + 16, v), nullptr);
    EXPECT_EQ(ReadPlainDecimal(longBlock.get(), longBlock.get() + 15, v), longBlock.get() + 15);
    EXPECT_EQ(v, 123456789012345.0);
}

// The example documents read and write to the same bytes on the scalar
// paths alone.
TEST(TextScanner, ExamplesSaveTheSameWithoutTheVectorPaths) {
    std::string dir = "/tmp/vorpel-scan-XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    const std::wstring out = PathJoin(PathFromNative(dir), L"out.xml");
    const std::wstring examples = PathJoin(Utf8ToWide(VORPEL_SOURCE_DIR), L"examples");
    for (const wchar_t* name : {L"demo.circuit", L"demo.symbol", L"demo.footprint"}) {
        const std::wstring path = PathJoin(examples, name);
        std::string original;
        ASSERT_TRUE(ReadWholeFile(path, original));
        const auto saved = BothWays([&] {
            CRoot root;
            CXmlFile file(&root);
            std::string bytes;
            if (file.Load(path.c_str()) && file.Save(out.c_str()))
                ReadWholeFile(out, bytes);
            return bytes;
        });
        EXPECT_EQ(saved.first, original) << WideToUtf8(name);
        EXPECT_EQ(saved.second, original) << WideToUtf8(name);
    }
    RemoveFile(out);
    rmdir(dir.c_str());
}

} // namespace

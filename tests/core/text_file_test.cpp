// The text file: encodings, byte-order marks, line ends, pieces of long lines
// and the bytes written for each encoding.
#include "core/text_file.h"
#include "core/utf8_codec.h"
#include "platform/file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class TextFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string dir = "/tmp/vorpel-textfile-XXXXXX";
        ASSERT_NE(mkdtemp(dir.data()), nullptr);
        m_dir = PathFromNative(dir);
        m_path = PathJoin(m_dir, L"file.txt");
    }
    void TearDown() override {
        RemoveFile(m_path);
        std::string cmd = "rm -rf '" + PathToNative(m_dir) + "'";
        (void)std::system(cmd.c_str());
    }

    std::vector<std::wstring> ReadLines(const std::string& bytes, int codePage) {
        EXPECT_TRUE(WriteWholeFile(m_path, bytes));
        CTextFile file;
        file.SetCodePage(codePage);
        EXPECT_TRUE(file.Open(m_path, CTextFile::GenericRead, CTextFile::FileShareRead,
                              CTextFile::OpenExisting, CTextFile::FileAttributeNormal));
        std::vector<std::wstring> lines;
        std::wstring line;
        while (file.ReadLineString(line))
            lines.push_back(line);
        EXPECT_FALSE(file.ReadLineString(line)) << "stays exhausted";
        return lines;
    }

    std::string Write(const std::vector<std::wstring>& lines, int codePage, bool mark) {
        CTextFile file;
        file.SetCodePage(codePage);
        file.SetByteOrderMark(mark);
        EXPECT_TRUE(file.Open(m_path, CTextFile::GenericWrite, 0, CTextFile::CreateAlways,
                              CTextFile::FileAttributeNormal));
        for (const auto& l : lines)
            EXPECT_TRUE(file.WriteString(l.c_str()));
        EXPECT_TRUE(file.Close());
        std::string bytes;
        EXPECT_TRUE(ReadWholeFile(m_path, bytes));
        return bytes;
    }

    std::wstring m_dir, m_path;
};

using Lines = std::vector<std::wstring>;

TEST_F(TextFileTest, LineEnds) {
    struct Case {
        const char* bytes;
        Lines lines;
    } cases[] = {
        // CR LF is one line end; every other CR or LF ends one line, so empty
        // lines of LF-only and CR-only files survive.
        {"A\r\nB\nC", {L"A", L"B", L"C"}},
        {"A\r\nB\n\nC", {L"A", L"B", L"", L"C"}},
        {"A\n\n\nB\n", {L"A", L"", L"", L"B"}},
        {"A\r\rB\r", {L"A", L"", L"B"}},
        {"A\n\rB", {L"A", L"", L"B"}},
        {"A\r\n\r\nB\r\n", {L"A", L"", L"B"}},
        {"\n", {L""}},
        {"", {}},
        {"</Project>\n", {L"</Project>"}},
        {"</Project>", {L"</Project>"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReadLines(c.bytes, CTextFile::CodePageUtf8), c.lines) << c.bytes;
}

TEST_F(TextFileTest, Utf8Decoding) {
    struct Case {
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {"\xC3\xA9", L"\u00E9"},
        {"\xE2\x82\xAC", L"\u20AC"},
        {"\x80", L"\uFFFD"},
        // Four-byte sequences are one character.
        {"\xF0\x9F\x98\x80", std::wstring(1, wchar_t(0x1F600))},
        // The three-byte surrogate form older files may hold: one character
        // for a pair; a surrogate on its own is malformed, byte by byte.
        {"\xED\xA0\xBD\xED\xB8\x80", std::wstring(1, wchar_t(0x1F600))},
        {"\xED\xA0\xBDx", L"\uFFFD\uFFFD\uFFFDx"},
        {"\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},
        {"\xED\xB8\x80\xED\xA0\xBD", L"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"\xED\xA0\xBD\xED\xA0\xBD", L"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
        // A broken sequence costs only its lead byte: the '<' survives.
        {"\xE2\x82<", L"\uFFFD\uFFFD<"},
        {"\xF0\x9F", L"\uFFFD\uFFFD"},
        {"\xC0\xAF", L"\uFFFD\uFFFD"},
        {"\xE0\x80\xAF", L"\uFFFD\uFFFD\uFFFD"},
        {"\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
    };
    for (const Case& c : cases) {
        Lines lines = ReadLines(c.bytes, CTextFile::CodePageUtf8);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], c.text);
    }
}

TEST_F(TextFileTest, ByteOrderMarkSwitchesToUtf16) {
    std::string bytes("\xFF\xFE"
                      "A\0\r\0\n\0\x3D\xD8\x00\xDE"
                      "B\0",
                      14);
    for (int codePage : {CTextFile::CodePageUtf8, CTextFile::CodePageAnsi}) {
        Lines lines = ReadLines(bytes, codePage);
        Lines expected{L"A", std::wstring{wchar_t(0x1F600), L'B'}};
        EXPECT_EQ(lines, expected);
    }
    // An odd last byte is dropped, never read past.
    EXPECT_EQ(ReadLines(std::string("\xFF\xFE"
                                    "A\0B",
                                    5),
                        0),
              (Lines{L"A"}));
}

TEST_F(TextFileTest, Cp1252) {
    EXPECT_EQ(ReadLines("caf\xE9 \x80\r\n", CTextFile::CodePageAnsi), (Lines{L"caf\u00E9 \u20AC"}));
    EXPECT_EQ(Write({L"\u20AC\u00E9"}, CTextFile::CodePageAnsi, true), "\x80\xE9\r\n");
    // Plain ASCII lines take a short cut; mixed with converted lines the
    // bytes still come out in order.
    EXPECT_EQ(
        Write({L"G04 x*", L"a\u20AC", L"", L"\u4E2D", L"M02*"}, CTextFile::CodePageAnsi, true),
        "G04 x*\r\na\x80\r\n\r\n?\r\nM02*\r\n");
}

TEST_F(TextFileTest, LongLinesComeInPieces) {
    std::wstring line(250, L'x');
    line[0] = L'a';
    line[249] = L'z';
    std::string bytes(line.begin(), line.end());
    bytes += "\r\n" + std::string(100, 'y') + "\n";
    ASSERT_TRUE(WriteWholeFile(m_path, bytes));
    CTextFile file;
    file.SetCodePage(CTextFile::CodePageUtf8);
    ASSERT_TRUE(file.Open(m_path, CTextFile::GenericRead, CTextFile::FileShareRead,
                          CTextFile::OpenExisting, CTextFile::FileAttributeNormal));
    wchar_t buffer[101];
    std::vector<int> counts;
    for (int i = 0; i < 6; ++i)
        counts.push_back(file.ReadLine(buffer, 100));
    // 250 = 100 + 100 + 50; a line of exactly 100 needs one more read of 0.
    EXPECT_EQ(counts, (std::vector<int>{100, 100, 50, 100, 0, 0}));

    EXPECT_EQ(ReadLines(bytes, CTextFile::CodePageUtf8), (Lines{line, std::wstring(100, L'y')}));
}

TEST_F(TextFileTest, ReadByteAndReadWChar) {
    ASSERT_TRUE(WriteWholeFile(m_path, std::string("\x41\x42\x43", 3)));
    CTextFile file;
    ASSERT_TRUE(file.Open(m_path, CTextFile::GenericRead, CTextFile::FileShareRead,
                          CTextFile::OpenExisting, CTextFile::FileAttributeNormal));
    uint8_t b = 0;
    ASSERT_TRUE(file.ReadByte(b));
    EXPECT_EQ(b, 0x41);
    uint16_t unit = 0;
    ASSERT_TRUE(file.ReadWChar(unit));
    EXPECT_EQ(unit, 0x4342);
    EXPECT_FALSE(file.ReadByte(b));
    EXPECT_EQ(b, 0);
    EXPECT_FALSE(file.ReadWChar(unit));
}

TEST_F(TextFileTest, WritingUtf8) {
    EXPECT_EQ(Write({L"\u00E9"}, CTextFile::CodePageUtf8, false), "\xC3\xA9\r\n");
    EXPECT_EQ(Write({L"\u20AC"}, CTextFile::CodePageUtf8, false), "\xE2\x82\xAC\r\n");
    EXPECT_EQ(Write({L""}, CTextFile::CodePageUtf8, false), "\r\n");
    // Beyond U+FFFF: standard four-byte UTF-8 (also from a surrogate pair).
    std::wstring smiley(1, wchar_t(0x1F600));
    EXPECT_EQ(Write({smiley}, CTextFile::CodePageUtf8, false), "\xF0\x9F\x98\x80\r\n");
    EXPECT_EQ(
        Write({std::wstring{wchar_t(0xD83D), wchar_t(0xDE00)}}, CTextFile::CodePageUtf8, false),
        "\xF0\x9F\x98\x80\r\n");
    // A surrogate without its partner is written as U+FFFD.
    EXPECT_EQ(Write({std::wstring{wchar_t(0xD800), L'x', wchar_t(0xDC00)}}, CTextFile::CodePageUtf8,
                    false),
              "\xEF\xBF\xBDx\xEF\xBF\xBD\r\n");
    EXPECT_EQ(Write({L"A"}, CTextFile::CodePageUtf8, true), "\xEF\xBB\xBF"
                                                            "A\r\n");
    // What is written reads back.
    std::wstring mixed = L"a\u00E9\u20AC" + smiley + L"z";
    std::string bytes = Write({mixed, L"second"}, CTextFile::CodePageUtf8, false);
    EXPECT_EQ(ReadLines(bytes, CTextFile::CodePageUtf8), (Lines{mixed, L"second"}));
}

TEST_F(TextFileTest, WritingUtf16) {
    std::wstring text{L'A', wchar_t(0x1F600)};
    std::string bytes = Write({text}, CTextFile::CodePageUtf16, true);
    EXPECT_EQ(bytes, std::string("\xFF\xFE"
                                 "A\0\x3D\xD8\x00\xDE\r\0\n\0",
                                 12));
    EXPECT_EQ(ReadLines(bytes, CTextFile::CodePageUtf8), (Lines{text}));
    // A unit of a pair without the other reads as U+FFFD.
    EXPECT_EQ(ReadLines(std::string("\xFF\xFE\x3D\xD8x\0\x00\xDE", 8), CTextFile::CodePageUtf8),
              (Lines{L"\uFFFDx\uFFFD"}));
}

TEST_F(TextFileTest, OpenFailures) {
    CTextFile file;
    EXPECT_FALSE(file.Open(PathJoin(m_dir, L"missing.txt"), CTextFile::GenericRead,
                           CTextFile::FileShareRead, CTextFile::OpenExisting,
                           CTextFile::FileAttributeNormal));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Open(m_dir, CTextFile::GenericRead, CTextFile::FileShareRead,
                           CTextFile::OpenExisting, CTextFile::FileAttributeNormal));
    EXPECT_FALSE(file.WriteString(L"not open"));
}

// The bytes of every line through ReadLineBytes, decoded, must equal what the
// line reader gives, wherever a line end or a character falls relative to the
// blocks the file is read in (64 KiB, and lines longer than that).
TEST_F(TextFileTest, LinesAsBytesMatchTheLineReaderAcrossBlocks) {
    const std::size_t block = 64 * 1024;
    struct Case {
        const char* name;
        std::string piece; // put so that it straddles the block end
    };
    const Case cases[] = {
        {"CR LF", "\r\n"},
        {"lone CR", "\rx"},
        {"LF CR", "\n\r"},
        {"two-byte character", "\xC3\xA9"},
        {"three-byte character", "\xE2\x82\xAC"},
        {"four-byte character", "\xF0\x9F\x98\x80"},
        {"surrogate pair as two three-byte sequences", "\xED\xA0\xBD\xED\xB8\x80"},
        {"truncated sequence before a line end", "\xE2\x82\r\n"},
    };
    for (const Case& c : cases) {
        for (std::size_t offset = 0; offset <= c.piece.size(); ++offset) {
            std::string bytes(block - offset, 'a');
            bytes[100] = '\n';
            bytes += c.piece + "tail\r\n" + std::string(3 * block, 'b') + "\r\nlast";
            std::vector<std::wstring> expected = ReadLines(bytes, CTextFile::CodePageUtf8);
            CTextFile file;
            file.SetCodePage(CTextFile::CodePageUtf8);
            ASSERT_TRUE(file.Open(m_path, CTextFile::GenericRead, CTextFile::FileShareRead,
                                  CTextFile::OpenExisting, CTextFile::FileAttributeNormal));
            std::vector<std::wstring> lines;
            std::string_view line;
            while (file.ReadLineBytes(line)) {
                std::wstring wide;
                utf8::AppendDecoded(wide, line);
                lines.push_back(wide);
            }
            EXPECT_FALSE(file.ReadLineBytes(line)) << "stays exhausted";
            EXPECT_EQ(lines, expected) << c.name << ", " << offset << " bytes before the end";
            EXPECT_EQ(expected.back(), L"last");
        }
    }
}

TEST_F(TextFileTest, TheRestOfAFileComesAsItIs) {
    // After the first line, the rest of the file byte for byte: from within
    // the first block, across blocks, and nothing at the end. What is
    // appended to the file after it was opened is not read: a file that
    // grows without end would otherwise be followed for ever.
    const std::string rest = "\r\nline\r\n" + std::string(200 * 1024, 'x') + "\nend";
    const struct {
        const char* name;
        std::string bytes, expected;
        std::string grown = "";
    } cases[] = {
        {"first line only", "head", ""},
        {"empty rest after CR LF", "head\r\n", ""},
        {"a rest of several blocks", "head\n" + rest, rest},
        {"bytes that are no UTF-8", "head\r\n\xFF\xC3", "\xFF\xC3"},
        {"grown within the first block", "head\r\nbody", "body", "more\r\n"},
        {"grown after several blocks", "head\n" + rest, rest, std::string(100 * 1024, 'y')},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteWholeFile(m_path, c.bytes));
        CTextFile file;
        file.SetCodePage(CTextFile::CodePageUtf8);
        ASSERT_TRUE(file.Open(m_path, CTextFile::GenericRead, CTextFile::FileShareRead,
                              CTextFile::OpenExisting, CTextFile::FileAttributeNormal));
        if (!c.grown.empty()) {
            std::FILE* append = std::fopen(PathToNative(m_path).c_str(), "ab");
            ASSERT_NE(append, nullptr);
            EXPECT_EQ(std::fwrite(c.grown.data(), 1, c.grown.size(), append), c.grown.size());
            std::fclose(append);
        }
        std::wstring first;
        ASSERT_TRUE(file.ReadLineString(first)) << c.name;
        EXPECT_EQ(first, L"head") << c.name;
        std::size_t size = 99;
        std::unique_ptr<char[]> bytes = file.ReadRestBytes(size);
        EXPECT_EQ(std::string(bytes.get(), size), c.expected) << c.name;
        size = 99;
        file.ReadRestBytes(size);
        EXPECT_EQ(size, 0u) << c.name << ": nothing is left";
    }
}

} // namespace

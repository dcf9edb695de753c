// Reading a DXF drawing into its value tree: the class of each group code,
// numbers (locale, damage, widths), points built from several codes, where
// each item goes, and how reading ends.
#include "tests/views/dxf_test_util.h"
#include "views/dxf_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The value of a node as the dump shows it.
std::string Describe(const CDxfNode* node) {
    std::string out = std::to_string(node->GetCode()) + " ";
    if (auto* s = dynamic_cast<const CDxfString*>(node)) {
        out += "\"" + WideToUtf8(s->GetValue()) + "\"";
    } else if (auto* p = dynamic_cast<const CDxfDouble3D*>(node)) {
        for (std::size_t k = 0; k < p->GetPointCount(); ++k) {
            const auto& pt = p->GetPoint(k);
            out += "(" + WideToUtf8(FormatGeneral(pt.x)) + "," + WideToUtf8(FormatGeneral(pt.y)) +
                   "," + WideToUtf8(FormatGeneral(pt.z)) + ")";
        }
    } else if (dynamic_cast<const CDxfDouble*>(node)) {
        out += "double:" + WideToUtf8(FormatGeneral(node->AsDouble()));
    } else if (auto* i = dynamic_cast<const CDxfInteger*>(node)) {
        const char* kind = dynamic_cast<const CDxfInt16*>(node)   ? "i16:"
                           : dynamic_cast<const CDxfInt32*>(node) ? "i32:"
                           : dynamic_cast<const CDxfInt64*>(node) ? "i64:"
                           : dynamic_cast<const CDxfHex*>(node)   ? "hex:"
                                                                  : "bool:";
        out += kind + std::to_string(i->GetValue());
    }
    if (node->IsDamaged())
        out += " damaged";
    return out;
}

void DumpNode(const CDxfNode* node, int depth, std::string& out) {
    out += std::string(2 * depth, ' ') + Describe(node) + "\n";
    for (const CDxfNode* child : node->GetChildren())
        DumpNode(child, depth + 1, out);
}

std::string Dump(const DxfDrawing& drawing) {
    std::string out;
    for (const auto& section : drawing.sections)
        DumpNode(section.get(), 0, out);
    if (drawing.truncated)
        out += "(truncated)\n";
    return out;
}

class DxfReaderTest : public ::testing::Test {
protected:
    std::string Read(const std::string& bytes) {
        DxfDrawing drawing;
        EXPECT_TRUE(ReadDxfDrawing(m_dir.Write(bytes), drawing));
        return Dump(drawing);
    }

    DxfScratchDir m_dir;
};

TEST(DxfValues, ClassAndValueOfEachCodeRange) {
    struct Case {
        int code;
        const char* value;
        const char* expected; // Describe of the node; "" for no node
        int asInt;
        float asFloat;
    };
    const Case cases[] = {
        {0, "LINE", "0 \"LINE\"", -1, -1},
        {9, " $X ", "9 \" $X \"", -1, -1},
        {100, "AcDbLine", "100 \"AcDbLine\"", -1, -1},
        {999, "comment", "999 \"comment\"", -1, -1},
        {1000, "x", "1000 \"x\"", -1, -1},
        {10, "1.5", "10 (1.5,0,0)", -1, -1},
        {1020, "-3", "1020 (0,-3,0)", -1, -1},
        {40, "-2.75", "40 double:-2.75", -2, -2.75f},
        {140, "1e+20", "140 double:1e+20", 2147483647, 1e20f},
        {1041, "0.5", "1041 double:0.5", 0, 0.5f},
        {70, " 1", "70 i16:1", 1, 1},
        {1070, "12", "1070 i16:12", 12, 12},
        {90, "123456", "90 i32:123456", 123456, 123456},
        {1071, "-5", "1071 i32:-5", -5, -5},
        {5000, "8", "5000 i32:8", 8, 8},
        {160, "4294967301", "160 i64:4294967301", 5, 4294967301.0f},
        {105, "1A", "105 hex:26", 26, 26},
        {330, "0x1f", "330 hex:31", 31, 31},
        {480, "FFFFFFFFFFFFFFFE", "480 hex:-2", -2, -2},
        {290, "1", "290 bool:1", 1, 1},
        // Codes of no class.
        {85, "1", "", 0, 0},
        {482, "1", "", 0, 0},
        {-1, "1", "", 0, 0},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CDxfNode> node(MakeDxfNode(c.code, Utf8ToWide(c.value)));
        SCOPED_TRACE(c.code);
        if (!*c.expected) {
            EXPECT_EQ(node, nullptr);
            continue;
        }
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(Describe(node.get()), c.expected);
        EXPECT_EQ(node->AsInt(), c.asInt);
        EXPECT_FLOAT_EQ(node->AsFloat(), c.asFloat);
    }
    // Only strings compare with a text, exactly.
    std::unique_ptr<CDxfNode> s(MakeDxfNode(0, L"LINE")), n(MakeDxfNode(70, L"0"));
    EXPECT_TRUE(s->Equals(L"LINE"));
    EXPECT_FALSE(s->Equals(L"LINE "));
    EXPECT_FALSE(s->NotEquals(L"LINE"));
    EXPECT_FALSE(n->Equals(L"0"));
    EXPECT_TRUE(n->NotEquals(L"0"));
    EXPECT_FLOAT_EQ(s->AsPoint().x, -1);
}

// A number must fill its line (blanks around it aside) and fit its type;
// otherwise the item is marked damaged and reads as 0. The decimal point is
// always a full stop, whatever the locale.
TEST(DxfValues, DamagedNumbers) {
    struct Case {
        int code;
        const char* value;
        bool damaged;
    };
    const Case cases[] = {
        {40, "12.5", false},
        {40, " 12.5 \t", false},
        {40, "1e3", false},
        {40, "-0", false},
        {40, "12,5", true},
        {40, "", true},
        {40, "abc", true},
        {40, "1.#QNAN", true},
        {40, "inf", true},
        {40, "nan", true},
        {40, "1e999", true},
        {40, "12x", true},
        {10, "1,5", true},
        {70, "3.0", true},
        {70, "", true},
        {70, "+4", false},
        {70, "2147483648", true},
        {90, "-2147483648", false},
        {160, "9223372036854775807000", true},
        {330, "G1", true},
        {330, "", true},
        {330, "0x", true},
        {330, " ab ", false},
        {290, "yes", true},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CDxfNode> node(MakeDxfNode(c.code, Utf8ToWide(c.value)));
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->IsDamaged(), c.damaged) << c.code << " '" << c.value << "'";
        if (c.damaged && !IsDxfPointCode(c.code)) {
            EXPECT_EQ(node->AsInt(), 0) << c.code << " '" << c.value << "'";
        }
    }
}

TEST_F(DxfReaderTest, SectionsEntitiesAndHeaderVariables) {
    const std::string text = DxfText({
        {999, "made by hand"},
        {0, "SECTION"},
        {2, "HEADER"},
        {9, "$ACADVER"},
        {1, "AC1015"},
        {9, "$EXTMIN"},
        {10, "1"},
        {20, "2"},
        {30, "3"},
        {9, "$MEASUREMENT"},
        {70, "1"},
        {0, "ENDSEC"},
        {0, "SECTION"},
        {2, "ENTITIES"},
        {0, "LINE"},
        {8, "0"},
        {85, "skipped"},
        {10, "0.5"},
        {20, "1.5"},
        {11, "4"},
        {21, "5"},
        {0, "SPLINE"},
        {10, "0"},
        {20, "0"},
        {10, "1"},
        {20, "1"},
        {30, "9"},
        {10, "2"},
        {1001, "APP"},
        {1010, "7"},
        {1020, "8"},
        {1030, "9"},
        {0, "ENDSEC"},
        {0, "EOF"},
    });
    EXPECT_EQ(Read(text), "999 \"made by hand\"\n"
                          "2 \"HEADER\"\n"
                          "  9 \"$ACADVER\"\n"
                          "  1 \"AC1015\"\n"
                          "  9 \"$EXTMIN\"\n"
                          "  10 (1,2,3)\n"
                          "  9 \"$MEASUREMENT\"\n"
                          "  70 i16:1\n"
                          "2 \"ENTITIES\"\n"
                          "  0 \"LINE\"\n"
                          "    8 \"0\"\n"
                          "    10 (0.5,1.5,0)\n"
                          "    11 (4,5,0)\n"
                          "  0 \"SPLINE\"\n"
                          "    10 (0,0,0)(1,1,9)(2,0,0)\n"
                          "    1001 \"APP\"\n"
                          "    1010 (7,8,9)\n"
                          "0 \"EOF\"\n");
}

// The pairs of a point's other axes may come in any order and join the point
// while their last digit matches; an axis given twice starts a new point.
// A point read before any group is dropped.
TEST_F(DxfReaderTest, PointsFromSeveralCodes) {
    const std::string text = DxfText({
        {10, "5"},
        {20, "6"},
        {0, "SECTION"},
        {2, "ENTITIES"},
        {0, "X"},
        {20, "2"},
        {10, "1"},
        {1030, "3"},
        {21, "4"},
        {11, "5"},
        {31, "6"},
        {1011, "7"},
        {12, "8"},
        {12, "9"},
        {22, "10"},
        {13, "1"},
        {40, "2"},
        {14, "3"},
    });
    // The last point is still looking for its other axes when the file ends:
    // a point that no code line follows is dropped.
    EXPECT_EQ(Read(text), "2 \"ENTITIES\"\n"
                          "  0 \"X\"\n"
                          "    20 (1,2,3)\n"
                          "    21 (5,4,6)(7,0,0)\n"
                          "    12 (8,0,0)(9,10,0)\n"
                          "    13 (1,0,0)\n"
                          "    40 double:2\n");
}

// Lines are read whole however long, an empty line is a value of its own,
// and CR LF, LF and a lone CR all end a line.
TEST_F(DxfReaderTest, WholeLinesOfEveryLength) {
    const std::string longText(1500, 'w');
    const DxfPairs pairs = {{0, "SECTION"}, {2, "ENTITIES"}, {0, "TEXT"}, {1, longText}, {7, ""},
                            {999, ""},      {0, "LINE"},     {10, "1"},   {0, "ENDSEC"}};
    const std::string expected = "2 \"ENTITIES\"\n"
                                 "  0 \"TEXT\"\n"
                                 "    1 \"" +
                                 longText +
                                 "\"\n"
                                 "    7 \"\"\n"
                                 "    999 \"\"\n"
                                 "  0 \"LINE\"\n"
                                 "    10 (1,0,0)\n";
    for (const char* end : {"\n", "\r\n", "\r"})
        EXPECT_EQ(Read(DxfText(pairs, end)), expected) << (end[0] == '\r' ? "CR" : "LF");
}

TEST_F(DxfReaderTest, Utf16WithByteOrderMark) {
    const std::string narrow =
        DxfText({{0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {10, "2"}, {0, "ENDSEC"}});
    std::string bytes = "\xFF\xFE";
    for (char c : narrow) {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    EXPECT_EQ(Read(bytes), "2 \"ENTITIES\"\n  0 \"LINE\"\n    10 (2,0,0)\n");
}

// A code line that holds no number ends reading and keeps what was read; a
// file that ends between a code and its value is marked cut short, also
// inside a point.
TEST_F(DxfReaderTest, HowReadingEnds) {
    const std::string head = DxfText({{0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {8, "0"}});
    const std::string tree = "2 \"ENTITIES\"\n  0 \"LINE\"\n    8 \"0\"\n";
    EXPECT_EQ(Read(head), tree);
    EXPECT_EQ(Read(head + "  5x\nA\n  8\nB\n"), tree);
    EXPECT_EQ(Read(head + "\n"), tree);
    EXPECT_EQ(Read(head + " 62\n"), tree + "(truncated)\n");
    // A point item is complete only when the code line after it has been
    // seen; one cut off by the end of the file or a bad code line is dropped.
    EXPECT_EQ(Read(head + " 10\n1\n 20\n"), tree + "(truncated)\n");
    EXPECT_EQ(Read(head + " 10\n1\n 20\n2\n"), tree);
    EXPECT_EQ(Read(head + " 10\n1\nxx\n"), tree);
    EXPECT_EQ(Read(head + " 10\n1\n 11\n2\n"), "2 \"ENTITIES\"\n  0 \"LINE\"\n    8 \"0\"\n"
                                               "    10 (1,0,0)\n");
    EXPECT_EQ(Read(""), "");

    DxfDrawing drawing;
    EXPECT_FALSE(ReadDxfDrawing(Utf8ToWide(m_dir.path + "/missing.dxf"), drawing));
}

// Extended data points of a drawing written by an independent writer: codes
// 1010, 1020 and 1030 make one point, like 10, 20 and 30.
TEST(DxfReaderDrawings, ExtendedDataPoints) {
    DxfDrawing drawing;
    ASSERT_TRUE(ReadDxfDrawing(Utf8ToWide(DrawingPath("xdata_points_r2000.dxf")), drawing));
    const auto entities = drawing.FindSections(L"ENTITIES");
    ASSERT_EQ(entities.size(), 1u);
    std::vector<std::string> lines;
    for (const CDxfNode* entity : entities[0]->GetChildren()) {
        if (!entity->Equals(L"LINE"))
            continue;
        const CDxfNode* own = entity->FindLast(1010);
        ASSERT_NE(own, nullptr);
        lines.push_back(Describe(entity->FindLast(10)) + " " + Describe(own));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "10 (0,0,0) 1010 (0.5,0.25,7)", "10 (20,0,0) 1010 (20.5,0.25,7)",
                         "10 (20,20,0) 1010 (20.5,20.25,7)", "10 (0,20,0) 1010 (0.5,20.25,7)"}));
    // The copy of a tree is the same tree.
    std::unique_ptr<CDxfNode> copy(entities[0]->Clone());
    std::string a, b;
    DumpNode(entities[0], 0, a);
    DumpNode(copy.get(), 0, b);
    EXPECT_EQ(a, b);
}

} // namespace

// Numbers of new pads: splitting a number, stepping row letters both ways
// (past Y and past the letters the grid skips), and the number a new pad
// gets from the pads around it in either scheme, whatever order the pads
// come in.
#include "board/footprint.h"
#include "board/pad.h"
#include "board/padstack.h"
#include "platform/text.h"
#include "views/pad_numbering.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

TEST(PadNumbering, SplitPadNumberTakesTheLettersBeforeTheFirstDigit) {
    struct Case {
        const wchar_t* text;
        const wchar_t* prefix;
        int number;
    } const cases[] = {
        {L"A12", L"A", 12},
        {L"12", L"", 12},
        {L"EP", L"EP", 0},
        {L"", L"", 0},
        {L"AB3C4", L"AB", 3},
        {L"P-7", L"P-", 7},
        {L"007", L"", 7},
        {L"Y0", L"Y", 0},
        {L"99999999999999", L"", INT_MAX},
        {L"K2147483647", L"K", INT_MAX},
    };
    for (const Case& c : cases) {
        const PadNumberParts parts = SplitPadNumber(c.text);
        EXPECT_EQ(parts.prefix, c.prefix) << WideToUtf8(c.text);
        EXPECT_EQ(parts.number, c.number) << WideToUtf8(c.text);
    }
}

TEST(PadNumbering, RowLettersSkipTheSameLettersBothWaysAndCarryPastY) {
    struct Case {
        const wchar_t* prefix;
        const wchar_t* next;
        const wchar_t* previous;
    } const cases[] = {
        {L"", L"A", L"A"},      {L"A", L"B", L"A"},      {L"H", L"J", L"G"},
        {L"J", L"K", L"H"},     {L"N", L"P", L"M"},      {L"P", L"R", L"N"},
        {L"R", L"T", L"P"},     {L"W", L"Y", L"V"},      {L"Y", L"AA", L"W"},
        {L"AA", L"AB", L"Y"},   {L"AY", L"BA", L"AW"},   {L"BA", L"BB", L"AY"},
        {L"YY", L"AAA", L"YW"}, {L"AAA", L"AAB", L"YY"}, {L"Z", L"AA", L"Y"},
        {L"ZY", L"AAA", L"ZW"}, {L"I", L"J", L"H"},      {L"a", L"b", L"a"},
        {L"y", L"aa", L"w"},    {L"aa", L"ab", L"y"},    {L"P-", L"P-A", L"P-A"},
        {L"EP", L"ER", L"EN"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AdvancePadPrefix(c.prefix), c.next) << WideToUtf8(c.prefix);
        EXPECT_EQ(StepBackPadPrefix(c.prefix), c.previous) << WideToUtf8(c.prefix);
    }
    // Every prefix the grid uses comes back by one step back, over three
    // letters' worth of rows.
    std::wstring prefix = L"A";
    for (int i = 0; i < 9000; ++i) {
        const std::wstring next = AdvancePadPrefix(prefix);
        ASSERT_EQ(StepBackPadPrefix(next), prefix) << WideToUtf8(prefix);
        for (wchar_t c : next)
            ASSERT_TRUE(std::wstring(L"ABCDEFGHJKLMNPRTUVWY").find(c) != std::wstring::npos)
                << WideToUtf8(next);
        prefix = next;
    }
}

// A footprint of one padstack with pads at the given places and numbers.
class PadNumberingFootprint : public ::testing::Test {
protected:
    void SetUp() override { footprint.AddChild(padstack); }
    CPad* Add(const wchar_t* number, float x, float y, int selected = 0) {
        auto* pad = new CPad();
        pad->m_num = number;
        pad->m_boardPosition = PointF{x, y};
        pad->m_selected = selected;
        padstack->AddChild(pad);
        return pad;
    }
    // The number a new (selected) pad at (x, y) gets.
    std::wstring NumberAt(float x, float y, const wchar_t* copied = L"") {
        CPad* pad = Add(copied, x, y, 1);
        AssignNextPadNumber(&footprint, pad);
        std::wstring number = pad->m_num;
        pad->RemoveFromParent();
        delete pad;
        return number;
    }
    CFootprint footprint;
    CPadstack* padstack = new CPadstack(L"P");
};

TEST_F(PadNumberingFootprint, NumericSchemeTakesTheFirstFreeNumber) {
    EXPECT_EQ(NumberAt(0, 0), L"1");
    Add(L"1", 0, 0);
    Add(L"2", 1, 0);
    Add(L"4", 2, 0);
    EXPECT_EQ(NumberAt(5, 5), L"3");
    // A selected pad does not hold its number.
    Add(L"3", 3, 0, 1);
    EXPECT_EQ(NumberAt(5, 5), L"3");
}

TEST_F(PadNumberingFootprint, OneBareNumberMeansNumericWhateverTheOrder) {
    // "1", "2", "EP" and "EP", "1", "2" give the same scheme.
    for (const bool bareFirst : {true, false}) {
        for (CTreeNode* child : padstack->ReleaseChildren())
            delete child;
        if (bareFirst) {
            Add(L"1", 0, 0);
            Add(L"2", 1, 0);
            Add(L"EP", 5, 5);
        } else {
            Add(L"EP", 5, 5);
            Add(L"1", 0, 0);
            Add(L"2", 1, 0);
        }
        EXPECT_EQ(NumberAt(2, 0), L"3") << bareFirst;
    }
}

TEST_F(PadNumberingFootprint, GridSchemeFollowsRowsAndColumns) {
    Add(L"A1", 0, 0);
    Add(L"A2", 1, 0);
    struct Case {
        float x, y;
        const wchar_t* expected;
    } const rowCases[] = {
        {2, 0, L"A3"},  // right of the row
        {-1, 0, L"A0"}, // left of it
        {0.5f, 0, L""}, // between: kept
        {7, 7, L""},    // no neighbour: kept
    };
    for (const Case& c : rowCases)
        EXPECT_EQ(NumberAt(c.x, c.y), c.expected) << c.x << "," << c.y;
    Add(L"A0", -1, 0);
    EXPECT_EQ(NumberAt(-2, 0), L"A0"); // 0 stays 0

    // Columns: rows are letters growing downwards, skipping I, O, Q, S, X.
    for (CTreeNode* child : padstack->ReleaseChildren())
        delete child;
    struct ColumnCase {
        const wchar_t* top;
        float y;
        const wchar_t* expected;
    } const columnCases[] = {
        {L"H5", -1, L"J5"}, {L"Y5", -1, L"AA5"}, {L"AY5", -1, L"BA5"},
        {L"C5", 1, L"B5"},  {L"A5", 1, L"A5"},   {L"J5", 1, L"H5"},
    };
    for (const ColumnCase& c : columnCases) {
        CPad* only = Add(c.top, 0, 0);
        EXPECT_EQ(NumberAt(0, c.y), c.expected) << WideToUtf8(c.top);
        only->RemoveFromParent();
        delete only;
    }

    // Row and column neighbours: the row's letter, the column's number.
    Add(L"B1", 0, -1);
    Add(L"B2", 1, -1);
    Add(L"A3", 2, 0);
    EXPECT_EQ(NumberAt(2, -1), L"B3");
    // A copied pad between the ends keeps its number.
    EXPECT_EQ(NumberAt(0.5f, -1, L"B7"), L"B7");
}

} // namespace

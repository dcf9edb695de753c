// The attribute block of an element: name order, replacing values of other
// lengths in the middle of the block, values that point into the block
// itself, and building a map from a tag's attributes in file order.
#include "core/xml_attribute_map.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The map as "name=value;" pairs in iteration order.
std::wstring Dump(const XmlAttributeMap& map) {
    std::wstring out;
    for (const auto& [name, value] : map)
        out += std::wstring(name) + L"=" + std::wstring(value) + L";";
    return out;
}

TEST(XmlAttributeMap, KeepsNamesInCodeUnitOrder) {
    XmlAttributeMap map;
    map.Set(L"b", L"2");
    map.Set(L"B", L"1");
    map.Set(L"ab", L"3");
    map.Set(L"a", L"4");
    map.Set(L"\u00e9", L"5"); // beyond ASCII sorts after every ASCII name
    map.Set(L"", L"6");
    EXPECT_EQ(Dump(map), L"=6;B=1;a=4;ab=3;b=2;\u00e9=5;");
    EXPECT_EQ(map.size(), 6u);
}

TEST(XmlAttributeMap, ReplacingAndRemovingInTheMiddle) {
    struct Case {
        const wchar_t* name;
        const wchar_t* value; // null removes
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"B", L"longer value", L"A=1;B=longer value;C=3;"},
        {L"B", L"", L"A=1;B=;C=3;"},
        {L"B", L"x", L"A=1;B=x;C=3;"},
        {L"A", L"same", L"A=same;B=x;C=3;"},
        {L"A", L"SAME", L"A=SAME;B=x;C=3;"},
        {L"C", L"a much longer value at the end", L"A=SAME;B=x;C=a much longer value at the end;"},
        {L"B", nullptr, L"A=SAME;C=a much longer value at the end;"},
        {L"Z", nullptr, L"A=SAME;C=a much longer value at the end;"},
        {L"A", nullptr, L"C=a much longer value at the end;"},
        {L"C", nullptr, L""},
    };
    XmlAttributeMap map{{L"A", L"1"}, {L"B", L"2"}, {L"C", L"3"}};
    for (const Case& c : cases) {
        if (c.value)
            map.Set(c.name, c.value);
        else
            map.Remove(c.name);
        EXPECT_EQ(Dump(map), c.expected) << c.name;
    }
    EXPECT_TRUE(map.empty());
    EXPECT_EQ(map.begin(), map.end());
}

TEST(XmlAttributeMap, ValuesComeWithATerminatingNul) {
    XmlAttributeMap map{{L"X", L"12.5"}, {L"Y", L"abc"}};
    std::size_t length = 0;
    const wchar_t* value = map.Find(L"X", &length);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(std::wstring(value), L"12.5");
    EXPECT_EQ(map.Find(L"x"), nullptr);
    EXPECT_EQ(map.Find(L"XY"), nullptr);
    EXPECT_EQ(map.at(L"Y"), L"abc");
    EXPECT_THROW(map.at(L"Z"), std::out_of_range);
}

TEST(XmlAttributeMap, ViewsIntoTheMapItselfSurviveItsGrowth) {
    XmlAttributeMap map{{L"A", L"first"}, {L"B", L"second"}};
    for (int i = 0; i < 6; ++i) {
        // Each copy is longer than the block's room, so the block moves
        // while the value being copied still points into it.
        const std::wstring_view b = map.at(L"B");
        map.Set(L"A", std::wstring(b) + L"+");
        map.Set(L"B", map.at(L"A"));
        map.Set((*map.begin()).first, map.at(L"B"));
    }
    EXPECT_EQ(map.at(L"A"), L"second++++++");
    EXPECT_EQ(map.at(L"B"), L"second++++++");
    // A new name copied from an entry of the map.
    map.Set(std::wstring(L"C"), map.at(L"A"));
    EXPECT_EQ(Dump(map), L"A=second++++++;B=second++++++;C=second++++++;");
}

TEST(XmlAttributeMap, AssignSortsAndKeepsTheLastOfARepeatedName) {
    std::wstring scratch = L"yzxab";
    std::vector<XmlAttributeMap::value_type> entries = {
        {std::wstring_view(scratch).substr(0, 1), L"1"},
        {std::wstring_view(scratch).substr(2, 1), L"2"},
        {std::wstring_view(scratch).substr(0, 1), L"3"},
        {std::wstring_view(scratch).substr(1, 1), L""},
    };
    XmlAttributeMap map{{L"old", L"gone"}};
    map.Assign(entries);
    scratch.assign(5, L'#'); // the map holds copies
    EXPECT_EQ(Dump(map), L"x=2;y=3;z=;");
    EXPECT_EQ(map.size(), 3u);

    std::vector<XmlAttributeMap::value_type> none;
    map.Assign(none);
    EXPECT_TRUE(map.empty());
}

TEST(XmlAttributeMap, CopiesAndComparisons) {
    XmlAttributeMap a{{L"N", L"1"}, {L"M", L"2"}};
    XmlAttributeMap b = a;
    EXPECT_EQ(a, b);
    b.Set(L"N", L"3");
    EXPECT_NE(a, b);
    EXPECT_EQ(Dump(a), L"M=2;N=1;");
    // Assignment into a map with room reuses it; into one without, grows it.
    XmlAttributeMap small{{L"Q", L"x"}};
    small = b;
    EXPECT_EQ(small, b);
    b = XmlAttributeMap{};
    EXPECT_TRUE(b.empty());
    small = b;
    EXPECT_TRUE(small.empty());
    EXPECT_EQ(small, XmlAttributeMap{});
    XmlAttributeMap moved = std::move(a);
    EXPECT_EQ(Dump(moved), L"M=2;N=1;");
    small.swap(moved);
    EXPECT_EQ(Dump(small), L"M=2;N=1;");
    EXPECT_TRUE(moved.empty());
}

} // namespace

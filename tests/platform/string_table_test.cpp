#include "platform/string_table.h"
#include "resources/string_table.h"

#include <gtest/gtest.h>

namespace {

struct Quoted {
    unsigned id;
    const wchar_t* text;
};

// Texts the program shows, with the ids its code loads them by.
const Quoted kQuoted[] = {
    {128, L"Vorpel"},
    {142, L"Project was changed; save changes?"},
    {170, L"inch"},
    {171, L"mm"},
    {172, L"mil"},
    {173, L"\u03bcm"},
    {187, L"Custom"},
    {203, L"Fixed name pins are connected to this net"},
    {209, L"Unable to delete last element"},
    {241, L"Part at [%d,%d] has no RefDes or invalid on sheet '%s'"},
    {290, L"Font '%s' not found!"},
    {293, L"Unable to create file '"},
    {296, L"Duplicate name"},
    {300, L"File read error "},
    {327, L"Custom"},
    {343, L"Footprint not found"},
    {377, L"Connection dot"},
    {32900, L"Select layer"},
    {32935, L"Documentation"},
    {33000, L"Top"},
    {33011, L"Inner 10"},
    {33031, L"Package outline bottom"},
    {57345, L"Ready"},
    {57603, L"Save the active document\nSave"},
};

TEST(StringTable, QuotedIdsLoadTheirTexts) {
    for (const Quoted& q : kQuoted) {
        EXPECT_TRUE(HasStringText(q.id)) << q.id;
        EXPECT_EQ(LoadStringText(q.id), q.text) << q.id;
    }
}

TEST(StringTable, AbsentIdsLoadEmpty) {
    for (unsigned id : {0u, 1u, 127u, 129u, 174u, 1006u, 32999u + 33u, 65535u, 4294967295u}) {
        EXPECT_FALSE(HasStringText(id)) << id;
        EXPECT_TRUE(LoadStringText(id).empty()) << id;
    }
}

// The loader's binary search relies on the order.
TEST(StringTable, EntriesAreStrictlySortedAndNonEmpty) {
    int count = 0;
    const StringTableEntry* entries = GetStringTableEntries(&count);
    ASSERT_GT(count, 200);
    for (int i = 0; i < count; ++i) {
        ASSERT_NE(entries[i].text, nullptr);
        EXPECT_NE(entries[i].text[0], L'\0') << entries[i].id;
        if (i > 0) {
            EXPECT_LT(entries[i - 1].id, entries[i].id) << "at index " << i;
        }
    }
}

// Layer display names follow the layer ids: 33000 + id.
TEST(StringTable, LayerNamesFollowLayerIds) {
    EXPECT_EQ(LoadStringText(33000 + 1), L"Bottom");
    EXPECT_EQ(LoadStringText(33000 + 2), L"Inner 1");
    EXPECT_EQ(LoadStringText(33000 + 21), L"Inner 20");
    EXPECT_EQ(LoadStringText(33000 + 22), L"Silkscreen top");
    EXPECT_EQ(LoadStringText(33000 + 26), L"Solder mask top");
    EXPECT_EQ(LoadStringText(33000 + 28), L"Solder paste top");
}

} // namespace

// Writers that leave an element alone when it already holds what they would
// write: whatever the element held before, the result must be what writing
// onto an empty element gives (attributes the writer does not know kept).
#pragma once

#include "core/tree_node.h"

#include <gtest/gtest.h>

#include <string>

inline void ExpectWritesOverAnyAttributes(CTreeNode& node) {
    node.GetAttributes().clear();
    node.WriteAttributes();
    const XmlAttributeMap clean = node.GetAttributes();
    auto writtenOver = [&node](const XmlAttributeMap& before) {
        node.GetAttributes() = before;
        node.WriteAttributes();
        return node.GetAttributes();
    };
    EXPECT_EQ(writtenOver(clean), clean) << "written over itself";
    for (const auto& [name, value] : clean) {
        const std::wstring key(name);
        XmlAttributeMap stale = clean;
        stale.Set(key, std::wstring(value) + L"0");
        EXPECT_EQ(writtenOver(stale), clean) << "changed " << std::string(key.begin(), key.end());
        stale = clean;
        stale.Remove(key);
        EXPECT_EQ(writtenOver(stale), clean) << "missing " << std::string(key.begin(), key.end());
    }
    for (const wchar_t* unknown : {L"Aaa", L"Zzz", L"Name2"}) {
        XmlAttributeMap extra = clean;
        extra.Set(unknown, L"1");
        EXPECT_EQ(writtenOver(extra), extra) << "an unknown attribute is kept";
    }
}

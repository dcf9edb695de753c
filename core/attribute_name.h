// Attribute names compared in line. Node classes that read many elements
// walk an element's attributes once and match each name against their few
// literals; the library's comparison of wide characters is a call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Code unit order, as the writer emits names (wchar_t is signed here, so the
// characters are compared as unsigned numbers): negative, zero or positive.
inline int CompareAttributeNames(std::wstring_view a, std::wstring_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<uint32_t>(a[i]), y = static_cast<uint32_t>(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

inline bool AttributeNameIs(std::wstring_view name, std::wstring_view literal) {
    if (name.size() != literal.size())
        return false;
    for (std::size_t i = 0; i < literal.size(); ++i)
        if (name[i] != literal[i])
            return false;
    return true;
}

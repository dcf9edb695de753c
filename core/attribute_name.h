// Attribute names compared in line. Node classes that read many elements
// walk an element's attributes once and match each name against their few
// literals; the library's comparison of wide characters is a call.
#pragma once

#include <cstddef>
#include <string_view>

inline bool AttributeNameIs(std::wstring_view name, std::wstring_view literal) {
    if (name.size() != literal.size())
        return false;
    for (std::size_t i = 0; i < literal.size(); ++i)
        if (name[i] != literal[i])
            return false;
    return true;
}

#include "core/attribute_change.h"

#include "core/tree_node.h"

#include <vector>

namespace {
std::optional<std::wstring_view> ValueIn(const XmlAttributeMap& map, std::wstring_view name) {
    std::size_t length = 0;
    if (const wchar_t* value = map.Find(name, &length))
        return std::wstring_view(value, length);
    return std::nullopt;
}

void SetOrRemove(XmlAttributeMap& map, std::wstring_view name,
                 const std::optional<std::wstring_view>& value) {
    if (value)
        map.Set(name, *value);
    else
        map.Remove(name);
}
} // namespace

AttributeChange::AttributeChange(CTreeNode* node, std::wstring_view leftOut) : m_leftOut(leftOut) {
    m_before = Current(node);
    m_left = m_before;
    m_textBefore = node->GetText();
    m_textLeft = m_textBefore;
}

XmlAttributeMap AttributeChange::Current(CTreeNode* node) const {
    node->WriteAttributes();
    XmlAttributeMap map = node->GetAttributes();
    if (!m_leftOut.empty())
        map.Remove(m_leftOut);
    return map;
}

template <class F> void AttributeChange::ForEachChanged(const F& f) const {
    std::vector<std::wstring> names;
    for (const auto& [name, value] : m_before)
        if (ValueIn(m_left, name) != value)
            names.emplace_back(name);
    for (const auto& [name, value] : m_left)
        if (!m_before.contains(name))
            names.emplace_back(name);
    for (const std::wstring& name : names)
        f(name);
}

bool AttributeChange::IsEmpty() const {
    return m_textBefore == m_textLeft && m_before == m_left;
}

bool AttributeChange::ChangedAny(const std::function<bool(std::wstring_view name)>& counts) const {
    bool changed = false;
    ForEachChanged([&](const std::wstring& name) { changed = changed || counts(name); });
    return changed;
}

void AttributeChange::FollowRename(std::wstring_view name, std::wstring_view from,
                                   std::wstring_view to) {
    for (XmlAttributeMap* map : {&m_before, &m_left})
        if (ValueIn(*map, name) == from)
            map->Set(name, to);
}

void AttributeChange::TakeCurrent(CTreeNode* node) {
    m_left = Current(node);
    m_textLeft = node->GetText();
}

void AttributeChange::TakeOthers(CTreeNode* node) {
    const XmlAttributeMap now = Current(node);
    std::vector<std::wstring> names;
    for (const auto& [name, value] : m_before)
        names.emplace_back(name);
    for (const auto& [name, value] : m_left)
        names.emplace_back(name);
    for (const auto& [name, value] : now)
        names.emplace_back(name);
    for (const std::wstring& name : names) {
        const std::optional<std::wstring_view> left = ValueIn(m_left, name);
        if (ValueIn(m_before, name) != left)
            continue;
        const std::optional<std::wstring_view> value = ValueIn(now, name);
        if (value == left)
            continue;
        // Copies: the maps may move their characters when set.
        const std::optional<std::wstring> copy =
            value ? std::optional<std::wstring>(std::wstring(*value)) : std::nullopt;
        SetOrRemove(m_before, name, copy);
        SetOrRemove(m_left, name, copy);
    }
    if (m_textBefore == m_textLeft)
        m_textBefore = m_textLeft = node->GetText();
}

bool AttributeChange::FindsAsLeft(CTreeNode* node) const {
    if (IsEmpty())
        return true;
    const XmlAttributeMap now = Current(node);
    bool same = true;
    ForEachChanged([&](const std::wstring& name) {
        same = same && ValueIn(now, name) == ValueIn(m_left, name);
    });
    return same && (m_textBefore == m_textLeft || node->GetText() == m_textLeft);
}

AttributeChange AttributeChange::PutBack(CTreeNode* node) {
    TakeCurrent(node);
    AttributeChange inverse;
    inverse.m_leftOut = m_leftOut;
    inverse.m_before = m_left;
    inverse.m_textBefore = m_textLeft;
    XmlAttributeMap& map = node->GetAttributes();
    ForEachChanged([&](const std::wstring& name) {
        const std::optional<std::wstring_view> before = ValueIn(m_before, name);
        SetOrRemove(map, name, before);
    });
    if (m_textBefore != m_textLeft)
        node->SetText(m_textBefore);
    inverse.m_left = m_left;
    ForEachChanged([&](const std::wstring& name) {
        SetOrRemove(inverse.m_left, name, ValueIn(m_before, name));
    });
    inverse.m_textLeft = node->GetText();
    return inverse;
}

void AttributeChange::ForEachLeftValue(const LeftValueVisitor& visit) const {
    ForEachChanged([&](const std::wstring& name) {
        const std::optional<std::wstring_view> value = ValueIn(m_left, name);
        visit(&name, value ? std::optional<std::wstring>(std::wstring(*value)) : std::nullopt);
    });
    if (m_textBefore != m_textLeft)
        visit(nullptr, m_textLeft);
}

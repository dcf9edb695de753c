// The XML side of every node: its type id, its attributes ordered by name and
// its element text, with typed access to the attributes. Every getter stores
// its default first and returns false when the attribute is absent; every
// setter removes the attribute when the value equals the default, so files
// hold only what differs from the defaults their writers give.
#pragma once

#include "core/xml_attribute_map.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// One row of an enumerated attribute's table.
struct XmlEnumRow {
    int value;
    const wchar_t* name;
};

// Whether a float attribute with this value is written as its default would
// be: equal to it, or with the same text.
bool FloatWrittenAsDefault(float value, float def);

class CXmlElement {
public:
    explicit CXmlElement(int type = 0) : m_type(type) {}
    CXmlElement(const CXmlElement&) = default;
    CXmlElement& operator=(const CXmlElement&) = delete;
    virtual ~CXmlElement() = default;

    int GetType() const { return m_type; }

    const XmlAttributeMap& GetAttributes() const { return m_attributes; }
    XmlAttributeMap& GetAttributes() { return m_attributes; }
    bool HasAttribute(std::wstring_view name) const;
    // The value, or nothing when absent.
    std::optional<std::wstring_view> FindAttribute(std::wstring_view name) const;
    void SetAttribute(std::wstring_view name, std::wstring_view value);
    void RemoveAttribute(std::wstring_view name);

    const std::wstring& GetText() const { return m_text; }
    void SetText(std::wstring_view text) { m_text.assign(text); }

    // Getters. A present attribute returns true (for the pairs: only when
    // both numbers were read).
    bool GetAttributeEnum(std::wstring_view name, int& value, int def, const XmlEnumRow* table,
                          int rowCount) const;
    bool GetAttributeInt(std::wstring_view name, int& value, int def) const;
    bool GetAttributeUInt(std::wstring_view name, uint32_t& value, uint32_t def) const;
    bool GetAttributeFloat(std::wstring_view name, float& value, float def) const;
    bool GetAttributeString(std::wstring_view name, std::wstring& value, const wchar_t* def) const;
    bool GetAttributeBool(std::wstring_view name, uint8_t& value, uint8_t def) const;
    bool GetAttributeBool(std::wstring_view name, bool& value, bool def) const;
    bool GetAttributePoint(std::wstring_view name, int& x, int& y, int defX, int defY) const;
    bool GetAttributeSize(std::wstring_view name, int& cx, int& cy, int defX, int defY) const;
    bool GetAttributePointF(std::wstring_view name, float& x, float& y, float defX,
                            float defY) const;
    bool GetAttributeSizeF(std::wstring_view name, float& cx, float& cy, float defX,
                           float defY) const;

    // Setters.
    void SetAttributeText(std::wstring_view name, const wchar_t* value, const wchar_t* def);
    void SetAttributeString(std::wstring_view name, const std::wstring& value, const wchar_t* def);
    void SetAttributeInt(std::wstring_view name, int value, int def);
    void SetAttributeUInt(std::wstring_view name, uint32_t value, uint32_t def);
    // A value that no row has removes the attribute: a stale name must not
    // survive in the file.
    void SetAttributeEnum(std::wstring_view name, int value, int def, const XmlEnumRow* table,
                          int rowCount);
    // Floats are written with six significant digits (FormatFloat); a value
    // whose text is the default's counts as the default, so that what a save
    // writes reads back to what the next save writes.
    void SetAttributeFloat(std::wstring_view name, float value, float def);
    void SetAttributePoint(std::wstring_view name, int x, int y, int defX, int defY);
    void SetAttributeSize(std::wstring_view name, int cx, int cy, int defX, int defY);
    void SetAttributePointF(std::wstring_view name, float x, float y, float defX, float defY);
    void SetAttributeSizeF(std::wstring_view name, float cx, float cy, float defX, float defY);
    void SetAttributeBool(std::wstring_view name, uint8_t value, uint8_t def);

protected:
    int m_type;
    XmlAttributeMap m_attributes;
    std::wstring m_text;
};

// The attributes a writer would leave on its element, added in the map's
// order (names compared code unit by code unit) by the rules of the
// CXmlElement setters: a value equal to its default is left out, numbers
// are written as the setters write them. A writer that finds its element
// holding exactly these changes nothing (the usual case of a save); any
// difference, also a name added out of order or an attribute the writer
// does not know, sends it to its setters.
#pragma once

#include "core/attribute_name.h"
#include "core/xml_attribute_map.h"
#include "core/xml_element.h"
#include "platform/text.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

template <std::size_t N> class ExpectedAttributes {
public:
    void Add(std::wstring_view name, std::wstring_view value) {
        m_names[m_count] = name;
        m_values[m_count] = value;
        ++m_count;
    }
    // SetAttributeString / SetAttributeText.
    void AddString(std::wstring_view name, std::wstring_view value, std::wstring_view def) {
        if (!AttributeNameIs(value, def))
            Add(name, value);
    }
    void AddInt(std::wstring_view name, long long value, long long def) {
        if (value != def)
            Add(name, Written(FormatIntegerTo(Room(), value)));
    }
    void AddBool(std::wstring_view name, bool value, bool def) {
        if (value != def)
            Add(name, value ? std::wstring_view(L"1") : std::wstring_view(L"0"));
    }
    void AddFloat(std::wstring_view name, float value, float def) {
        if (value != def)
            Add(name, Written(FormatFloatRoundTripTo(Room(), value)));
    }
    void AddPoint(std::wstring_view name, int x, int y, int defX, int defY) {
        if (x == defX && y == defY)
            return;
        wchar_t* d = FormatIntegerTo(Room(), x);
        *d++ = L',';
        Add(name, Written(FormatIntegerTo(d, y)));
    }
    void AddPointF(std::wstring_view name, float x, float y, float defX, float defY) {
        if (x == defX && y == defY)
            return;
        wchar_t* d = FormatFloatRoundTripTo(Room(), x);
        *d++ = L',';
        Add(name, Written(FormatFloatRoundTripTo(d, y)));
    }
    // SetAttributeEnum: a value of no row is left out.
    void AddEnum(std::wstring_view name, int value, int def, const XmlEnumRow* table,
                 int rowCount) {
        if (value == def)
            return;
        for (int i = 0; i < rowCount; ++i) {
            if (table[i].value == value) {
                Add(name, table[i].name ? std::wstring_view(table[i].name) : std::wstring_view());
                return;
            }
        }
    }

    bool Matches(const XmlAttributeMap& map) const {
        if (map.size() != m_count)
            return false;
        std::size_t i = 0;
        for (const auto& [name, value] : map) {
            if (!AttributeNameIs(name, m_names[i]) || !AttributeNameIs(value, m_values[i]))
                return false;
            ++i;
        }
        return true;
    }

private:
    // Room for one formatted value (two floats and a comma at most).
    static constexpr std::size_t kRoom = 2 * kFloatTextSize + 2;
    wchar_t* Room() { return m_buffer + m_count * kRoom; }
    std::wstring_view Written(const wchar_t* end) const {
        const wchar_t* start = m_buffer + m_count * kRoom;
        return std::wstring_view(start, static_cast<std::size_t>(end - start));
    }

    std::wstring_view m_names[N];
    std::wstring_view m_values[N];
    wchar_t m_buffer[N * kRoom];
    std::size_t m_count = 0;
};

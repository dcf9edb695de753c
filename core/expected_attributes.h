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

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

template <std::size_t N> class ExpectedAttributes {
public:
    void Add(std::wstring_view name, std::wstring_view value) {
        if (Full())
            return;
        m_names[m_count] = name;
        m_values[m_count] = value;
        m_floatCount[m_count] = 0;
        ++m_count;
    }
    // SetAttributeString / SetAttributeText.
    void AddString(std::wstring_view name, std::wstring_view value, std::wstring_view def) {
        if (!AttributeNameIs(value, def))
            Add(name, value);
    }
    void AddInt(std::wstring_view name, long long value, long long def) {
        if (value != def && !Full())
            Add(name, Written(FormatIntegerTo(Room(), value)));
    }
    void AddBool(std::wstring_view name, bool value, bool def) {
        if (value != def)
            Add(name, value ? std::wstring_view(L"1") : std::wstring_view(L"0"));
    }
    // Floats are compared with the text without being written where they
    // can (Matches).
    void AddFloat(std::wstring_view name, float value, float def) {
        if (!FloatWrittenAsDefault(value, def))
            AddFloats(name, 1, value, 0);
    }
    void AddPoint(std::wstring_view name, int x, int y, int defX, int defY) {
        if ((x == defX && y == defY) || Full())
            return;
        wchar_t* d = FormatIntegerTo(Room(), x);
        *d++ = L',';
        Add(name, Written(FormatIntegerTo(d, y)));
    }
    void AddPointF(std::wstring_view name, float x, float y, float defX, float defY) {
        if (!(FloatWrittenAsDefault(x, defX) && FloatWrittenAsDefault(y, defY)))
            AddFloats(name, 2, x, y);
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

    // A list that overflowed matches nothing: the writer then goes to its
    // setters, which write the element right whatever N is.
    bool Matches(const XmlAttributeMap& map) const {
        if (m_overflow || map.size() != m_count)
            return false;
        std::size_t i = 0;
        for (const auto& [name, value] : map) {
            if (!AttributeNameIs(name, m_names[i]) || !ValueMatches(i, value))
                return false;
            ++i;
        }
        return true;
    }

private:
    // True, and the list marked as overflowed, when it holds N entries
    // already.
    bool Full() {
        m_overflow = m_overflow || m_count == N;
        return m_overflow;
    }

    void AddFloats(std::wstring_view name, int count, float a, float b) {
        if (Full())
            return;
        m_names[m_count] = name;
        m_floatCount[m_count] = static_cast<unsigned char>(count);
        m_floats[m_count][0] = a;
        m_floats[m_count][1] = b;
        ++m_count;
    }

    bool ValueMatches(std::size_t i, std::wstring_view value) const {
        if (m_floatCount[i] == 0)
            return AttributeNameIs(value, m_values[i]);
        if (m_floatCount[i] == 1) {
            if (FloatTextIs(value, m_floats[i][0]))
                return true;
        } else {
            const std::size_t comma = value.find(L',');
            if (comma != std::wstring_view::npos &&
                FloatTextIs(value.substr(0, comma), m_floats[i][0]) &&
                FloatTextIs(value.substr(comma + 1), m_floats[i][1]))
                return true;
        }
        // Not in the short form: the text as the setter writes it.
        wchar_t buffer[kRoom];
        wchar_t* d = FormatFloatTo(buffer, m_floats[i][0]);
        if (m_floatCount[i] == 2) {
            *d++ = L',';
            d = FormatFloatTo(d, m_floats[i][1]);
        }
        return AttributeNameIs(value,
                               std::wstring_view(buffer, static_cast<std::size_t>(d - buffer)));
    }

    // True only when text is what FormatFloat writes for value, for
    // the short form of most document values: zero, or a magnitude from
    // 1e-3 below 1e6 written with at most six significant digits, no
    // trailing zeros after the point, and reading back to value. (Two
    // such decimals of the value would lie within a float's precision of
    // each other, closer than six digits can be, so the text is the one the
    // writer picks.) False says nothing.
    static bool FloatTextIs(std::wstring_view text, float value) {
        if (value == 0)
            return AttributeNameIs(text, std::signbit(value) ? std::wstring_view(L"-0")
                                                             : std::wstring_view(L"0"));
        const double magnitude = std::fabs(static_cast<double>(value));
        if (!(magnitude >= 1e-3 && magnitude < 1e6) || !IsShortForm(text, std::signbit(value)))
            return false;
        double read = 0;
        const wchar_t* const end = text.data() + text.size();
        return ReadPlainDecimal(text.data(), end, read) == end && static_cast<float>(read) == value;
    }

    // Whether text has the shape of the writer's short form: a minus when
    // negative, no leading zero but the one before a point, at most six
    // significant digits, at most nine after the point and no trailing zero
    // there. Only the shape: the value is read by the one decimal reader.
    static bool IsShortForm(std::wstring_view text, bool negative) {
        std::size_t i = 0;
        if (negative) {
            if (text.empty() || text[0] != L'-')
                return false;
            i = 1;
        }
        const auto isDigit = [&](std::size_t k) {
            return k < text.size() && text[k] >= L'0' && text[k] <= L'9';
        };
        if (!isDigit(i))
            return false;
        int significant = 0;
        if (text[i] == L'0') {
            ++i;
        } else {
            for (; isDigit(i); ++i)
                ++significant;
        }
        if (i < text.size()) {
            if (text[i] != L'.')
                return false;
            const std::size_t point = i++;
            for (; isDigit(i); ++i)
                if (significant > 0 || text[i] != L'0')
                    ++significant;
            if (i != text.size() || i == point + 1 || i - point - 1 > 9 || text[i - 1] == L'0')
                return false;
        }
        return significant > 0 && significant <= 6;
    }

    // Room for one formatted value (two floats and a comma at most).
    static constexpr std::size_t kRoom = 2 * kFloatTextSize + 2;
    wchar_t* Room() { return m_buffer + m_count * kRoom; }
    std::wstring_view Written(const wchar_t* end) const {
        const wchar_t* start = m_buffer + m_count * kRoom;
        return std::wstring_view(start, static_cast<std::size_t>(end - start));
    }

    std::wstring_view m_names[N];
    std::wstring_view m_values[N];
    unsigned char m_floatCount[N];
    float m_floats[N][2];
    wchar_t m_buffer[N * kRoom];
    std::size_t m_count = 0;
    bool m_overflow = false;
};

// Numbers in the plain form the writers emit ("-12.345", "40"), read in line
// without the general scanners: documents hold hundreds of thousands of them.
// Each reader takes only text it reads exactly as the general scanner does
// and answers null for anything else, so that the caller falls back to the
// general scanner for the whole value.
#pragma once

#include "core/xml_element.h"
#include "platform/text.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace PlainNumber {

// True for what may follow a plain number: the end, a comma or a space.
inline bool Stops(const wchar_t* q, const wchar_t* end) {
    return q == end || *q == L',' || *q == L' ';
}

// A plain decimal (see ReadPlainDecimal) followed by the end, a comma or a
// space: what ParseDouble reads from it. Returns where the number ends, null
// for any other form.
inline const wchar_t* ReadDecimal(const wchar_t* text, const wchar_t* end, double& value) {
    double v = 0;
    const wchar_t* q = ReadPlainDecimal(text, end, v);
    if (!q || !Stops(q, end))
        return nullptr;
    value = v;
    return q;
}

// "-?digits" with one to nine digits, followed by the end, a comma or a
// space: what ParseInteger reads from it. Returns where the number ends,
// null for any other form.
inline const wchar_t* ReadInt(const wchar_t* text, const wchar_t* end, int& value) {
    const wchar_t* q = text;
    const bool negative = q != end && *q == L'-';
    if (negative)
        ++q;
    int v = 0, count = 0;
    // A tenth digit is left where it is, and then is no stop.
    while (q != end && *q >= L'0' && *q <= L'9' && count < 9) {
        v = v * 10 + static_cast<int>(*q - L'0');
        ++count;
        ++q;
    }
    if (count == 0 || !Stops(q, end))
        return nullptr;
    value = negative ? -v : v;
    return q;
}

// "x,y" in the plain form, read as GetAttributePointF reads it; false (and
// nothing stored) for any other text.
inline bool ReadPointF(std::wstring_view text, float& x, float& y) {
    const wchar_t* const end = text.data() + text.size();
    double a = 0, b = 0;
    const wchar_t* p = ReadDecimal(text.data(), end, a);
    if (p && p != end && *p == L',' && (p = ReadDecimal(p + 1, end, b)) == end) {
        x = static_cast<float>(a);
        y = static_cast<float>(b);
        return true;
    }
    return false;
}

// CXmlElement::GetAttributePointF / GetAttributeSizeF for "x,y" in the plain
// form; the general reader for anything else.
inline bool GetPointF(const CXmlElement& element, std::wstring_view name, float& x, float& y,
                      float defX, float defY) {
    const std::optional<std::wstring_view> text = element.FindAttribute(name);
    if (!text) {
        x = defX;
        y = defY;
        return false;
    }
    if (ReadPointF(*text, x, y))
        return true;
    return element.GetAttributePointF(name, x, y, defX, defY);
}

// CXmlElement::GetAttributePoint / GetAttributeSize for "x,y" in the plain
// form; the general reader for anything else.
inline bool GetPoint(const CXmlElement& element, std::wstring_view name, int& x, int& y, int defX,
                     int defY) {
    const std::optional<std::wstring_view> text = element.FindAttribute(name);
    if (!text) {
        x = defX;
        y = defY;
        return false;
    }
    {
        const wchar_t* const end = text->data() + text->size();
        int a = 0, b = 0;
        const wchar_t* p = ReadInt(text->data(), end, a);
        if (p && p != end && *p == L',' && (p = ReadInt(p + 1, end, b)) == end) {
            x = a;
            y = b;
            return true;
        }
    }
    return element.GetAttributePoint(name, x, y, defX, defY);
}

} // namespace PlainNumber

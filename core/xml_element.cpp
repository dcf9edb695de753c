#include "core/xml_element.h"

#include "core/document_bounds.h"
#include "platform/text.h"

#include <climits>
#include <cmath>

namespace {

// Decimal integer conversion of the file format, clamped to 32 bits.
int ToInt(const wchar_t* text) {
    long long v = ParseInteger(text);
    if (v > INT_MAX)
        return INT_MAX;
    if (v < INT_MIN)
        return INT_MIN;
    return static_cast<int>(v);
}

// Unsigned conversion: a negative number wraps as the C library's unsigned
// conversion does ("-1" is 0xFFFFFFFF); larger magnitudes saturate.
uint32_t ToUInt(const wchar_t* text) {
    long long v = ParseInteger(text);
    if (v > static_cast<long long>(UINT32_MAX))
        return UINT32_MAX;
    if (v < INT_MIN)
        v = INT_MIN;
    return static_cast<uint32_t>(static_cast<int64_t>(v));
}

// Reads "<int>,<int>" as a scanf "%d,%d" would; returns the count read.
int ScanIntPair(const wchar_t* text, int& a, int& b) {
    const wchar_t* p = text;
    const wchar_t* end = nullptr;
    long long v = ParseInteger(p, &end);
    if (end == p)
        return 0;
    a = static_cast<int>(v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v);
    if (*end != L',')
        return 1;
    p = end + 1;
    v = ParseInteger(p, &end);
    if (end == p)
        return 1;
    b = static_cast<int>(v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v);
    return 2;
}

// A number that is not finite as a float counts as not read: no length,
// position or angle can be one.
int ScanFloatPair(const wchar_t* text, float& a, float& b) {
    const wchar_t* p = text;
    const wchar_t* end = nullptr;
    double v = ParseDouble(p, &end);
    if (end == p || !IsDocumentFloat(v))
        return 0;
    a = static_cast<float>(v);
    if (*end != L',')
        return 1;
    p = end + 1;
    v = ParseDouble(p, &end);
    if (end == p || !IsDocumentFloat(v))
        return 1;
    b = static_cast<float>(v);
    return 2;
}

bool Same(const wchar_t* a, const wchar_t* b) {
    return std::wstring_view(a ? a : L"") == std::wstring_view(b ? b : L"");
}

} // namespace

bool CXmlElement::HasAttribute(std::wstring_view name) const {
    return m_attributes.Find(name) != nullptr;
}

std::optional<std::wstring_view> CXmlElement::FindAttribute(std::wstring_view name) const {
    std::size_t length = 0;
    const wchar_t* value = m_attributes.Find(name, &length);
    if (!value)
        return std::nullopt;
    return std::wstring_view(value, length);
}

void CXmlElement::SetAttribute(std::wstring_view name, std::wstring_view value) {
    m_attributes.Set(name, value);
}

void CXmlElement::RemoveAttribute(std::wstring_view name) {
    m_attributes.Remove(name);
}

bool CXmlElement::GetAttributeEnum(std::wstring_view name, int& value, int def,
                                   const XmlEnumRow* table, int rowCount) const {
    value = def;
    std::size_t length = 0;
    const wchar_t* text = m_attributes.Find(name, &length);
    if (!text)
        return false;
    const std::wstring_view found(text, length);
    for (int i = 0; i < rowCount; ++i) {
        if (table[i].name && found == table[i].name) {
            value = table[i].value;
            break;
        }
    }
    return true;
}

bool CXmlElement::GetAttributeInt(std::wstring_view name, int& value, int def) const {
    value = def;
    const wchar_t* text = m_attributes.Find(name);
    if (!text)
        return false;
    value = ToInt(text);
    return true;
}

bool CXmlElement::GetAttributeUInt(std::wstring_view name, uint32_t& value, uint32_t def) const {
    value = def;
    const wchar_t* text = m_attributes.Find(name);
    if (!text)
        return false;
    value = ToUInt(text);
    return true;
}

bool CXmlElement::GetAttributeFloat(std::wstring_view name, float& value, float def) const {
    value = def;
    const wchar_t* text = m_attributes.Find(name);
    if (!text)
        return false;
    // Not a number, or infinite: read as the default.
    const double v = ParseDouble(text);
    if (IsDocumentFloat(v))
        value = static_cast<float>(v);
    return true;
}

bool CXmlElement::GetAttributeString(std::wstring_view name, std::wstring& value,
                                     const wchar_t* def) const {
    value = def ? def : L"";
    std::size_t length = 0;
    const wchar_t* text = m_attributes.Find(name, &length);
    if (!text)
        return false;
    value.assign(text, length);
    return true;
}

bool CXmlElement::GetAttributeBool(std::wstring_view name, uint8_t& value, uint8_t def) const {
    value = def;
    const wchar_t* text = m_attributes.Find(name);
    if (!text)
        return false;
    value = ToInt(text) != 0 ? 1 : 0;
    return true;
}

bool CXmlElement::GetAttributeBool(std::wstring_view name, bool& value, bool def) const {
    uint8_t v = 0;
    bool present = GetAttributeBool(name, v, def ? 1 : 0);
    value = v != 0;
    return present;
}

bool CXmlElement::GetAttributePoint(std::wstring_view name, int& x, int& y, int defX,
                                    int defY) const {
    x = defX;
    y = defY;
    const wchar_t* text = m_attributes.Find(name);
    return text && ScanIntPair(text, x, y) == 2;
}

bool CXmlElement::GetAttributeSize(std::wstring_view name, int& cx, int& cy, int defX,
                                   int defY) const {
    return GetAttributePoint(name, cx, cy, defX, defY);
}

bool CXmlElement::GetAttributePointF(std::wstring_view name, float& x, float& y, float defX,
                                     float defY) const {
    x = defX;
    y = defY;
    const wchar_t* text = m_attributes.Find(name);
    return text && ScanFloatPair(text, x, y) == 2;
}

bool CXmlElement::GetAttributeSizeF(std::wstring_view name, float& cx, float& cy, float defX,
                                    float defY) const {
    return GetAttributePointF(name, cx, cy, defX, defY);
}

void CXmlElement::SetAttributeText(std::wstring_view name, const wchar_t* value,
                                   const wchar_t* def) {
    if (Same(value, def))
        RemoveAttribute(name);
    else
        SetAttribute(name, value ? value : L"");
}

void CXmlElement::SetAttributeString(std::wstring_view name, const std::wstring& value,
                                     const wchar_t* def) {
    if (value == std::wstring_view(def ? def : L""))
        RemoveAttribute(name);
    else
        SetAttribute(name, value);
}

void CXmlElement::SetAttributeInt(std::wstring_view name, int value, int def) {
    if (value == def)
        RemoveAttribute(name);
    else {
        wchar_t buffer[16];
        SetAttribute(name, std::wstring_view(buffer, FormatIntegerTo(buffer, value) - buffer));
    }
}

void CXmlElement::SetAttributeUInt(std::wstring_view name, uint32_t value, uint32_t def) {
    if (value == def)
        RemoveAttribute(name);
    else {
        wchar_t buffer[16];
        SetAttribute(name, std::wstring_view(buffer, FormatIntegerTo(buffer, value) - buffer));
    }
}

void CXmlElement::SetAttributeEnum(std::wstring_view name, int value, int def,
                                   const XmlEnumRow* table, int rowCount) {
    if (value == def) {
        RemoveAttribute(name);
        return;
    }
    for (int i = 0; i < rowCount; ++i) {
        if (table[i].value == value) {
            SetAttribute(name, table[i].name ? table[i].name : L"");
            return;
        }
    }
    RemoveAttribute(name);
}

bool FloatWrittenAsDefault(float value, float def) {
    if (value == def)
        return true;
    // Six significant digits tell apart any two floats further apart than
    // this; nearer ones may share their text.
    if (!(std::fabs(value - def) <= std::fabs(def) * 1e-5f))
        return false;
    wchar_t a[kFloatTextSize], b[kFloatTextSize];
    return std::wstring_view(a, FormatFloatTo(a, value) - a) ==
           std::wstring_view(b, FormatFloatTo(b, def) - b);
}

void CXmlElement::SetAttributeFloat(std::wstring_view name, float value, float def) {
    if (FloatWrittenAsDefault(value, def))
        RemoveAttribute(name);
    else {
        wchar_t buffer[kFloatTextSize];
        SetAttribute(name, std::wstring_view(buffer, FormatFloatTo(buffer, value) - buffer));
    }
}

void CXmlElement::SetAttributePoint(std::wstring_view name, int x, int y, int defX, int defY) {
    if (x == defX && y == defY)
        RemoveAttribute(name);
    else {
        wchar_t buffer[32];
        wchar_t* d = FormatIntegerTo(buffer, x);
        *d++ = L',';
        d = FormatIntegerTo(d, y);
        SetAttribute(name, std::wstring_view(buffer, static_cast<std::size_t>(d - buffer)));
    }
}

void CXmlElement::SetAttributeSize(std::wstring_view name, int cx, int cy, int defX, int defY) {
    SetAttributePoint(name, cx, cy, defX, defY);
}

void CXmlElement::SetAttributePointF(std::wstring_view name, float x, float y, float defX,
                                     float defY) {
    if (FloatWrittenAsDefault(x, defX) && FloatWrittenAsDefault(y, defY))
        RemoveAttribute(name);
    else {
        wchar_t buffer[2 * kFloatTextSize + 1];
        wchar_t* d = FormatFloatTo(buffer, x);
        *d++ = L',';
        d = FormatFloatTo(d, y);
        SetAttribute(name, std::wstring_view(buffer, static_cast<std::size_t>(d - buffer)));
    }
}

void CXmlElement::SetAttributeSizeF(std::wstring_view name, float cx, float cy, float defX,
                                    float defY) {
    SetAttributePointF(name, cx, cy, defX, defY);
}

void CXmlElement::SetAttributeBool(std::wstring_view name, uint8_t value, uint8_t def) {
    if (value == def)
        RemoveAttribute(name);
    else
        SetAttribute(name, value ? L"1" : L"0");
}

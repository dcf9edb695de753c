#include "views/dxf_node.h"

#include "core/text_file.h"
#include "platform/text.h"

#include <cmath>
#include <cwchar>
#include <limits>

namespace {

bool IsBlankChar(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f' || c == L'\r' || c == L'\n';
}

// True when only blanks follow p in the line.
bool OnlyBlanksAfter(const std::wstring& line, const wchar_t* p) {
    const wchar_t* end = line.c_str() + line.size();
    while (p < end && IsBlankChar(*p))
        ++p;
    return p == end;
}

// A decimal integer in [min, max] filling the line (blanks around it
// allowed); false when damaged.
bool ParseWholeInteger(const std::wstring& line, int64_t min, int64_t max, int64_t& value) {
    const wchar_t* end = nullptr;
    const long long v = ParseInteger(line.c_str(), &end);
    const bool saturated =
        v == std::numeric_limits<long long>::max() || v == std::numeric_limits<long long>::min();
    if (end == line.c_str() || !OnlyBlanksAfter(line, end) || saturated || v < min || v > max) {
        value = 0;
        return false;
    }
    value = v;
    return true;
}

// A finite decimal number filling the line; false when damaged.
bool ParseWholeDouble(const std::wstring& line, double& value) {
    const wchar_t* end = nullptr;
    const double v = ParseDouble(line.c_str(), &end);
    if (end == line.c_str() || !OnlyBlanksAfter(line, end) || !std::isfinite(v)) {
        value = 0;
        return false;
    }
    value = v;
    return true;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// Hexadecimal digits (an optional 0x before them) filling the line. Handles
// run to 64 bits; the low 32 bits are kept.
bool ParseWholeHex(const std::wstring& line, int64_t& value) {
    const wchar_t* p = line.c_str();
    while (IsBlankChar(*p))
        ++p;
    if (p[0] == L'0' && (p[1] == L'x' || p[1] == L'X') && HexDigit(p[2]) >= 0)
        p += 2;
    uint32_t v = 0;
    const wchar_t* first = p;
    for (int d; (d = HexDigit(*p)) >= 0; ++p)
        v = (v << 4) | static_cast<uint32_t>(d);
    if (p == first || !OnlyBlanksAfter(line, p)) {
        value = 0;
        return false;
    }
    value = static_cast<int32_t>(v);
    return true;
}

// The axis a point code addresses: 0 x, 1 y, 2 z (the tens digit less one).
int PointAxis(int code) {
    return (code / 10) % 10 - 1;
}

} // namespace

bool CDxfLineReader::ReadLine(std::wstring& line) {
    return m_file.ReadLineString(line);
}

bool CDxfLineReader::ReadValueLine(std::wstring& line) {
    if (m_file.ReadLineString(line))
        return true;
    m_truncated = true;
    return false;
}

bool ParseDxfCode(const std::wstring& line, int& code) {
    int64_t value = 0;
    if (!ParseWholeInteger(line, INT32_MIN, INT32_MAX, value))
        return false;
    code = static_cast<int>(value);
    return true;
}

bool IsDxfPointCode(int code) {
    return (code >= 10 && code <= 39) || (code >= 1010 && code <= 1039);
}

CDxfNode* MakeDxfNode(int code, const std::wstring& value) {
    auto in = [code](int lo, int hi) { return code >= lo && code <= hi; };
    if (in(0, 9) || code == 100 || code == 102 || in(300, 319) || in(410, 419) || in(430, 439) ||
        in(470, 479) || code == 999 || in(1000, 1009))
        return new CDxfString(code, value);
    if (IsDxfPointCode(code))
        return new CDxfDouble3D(code, value);
    if (in(40, 59) || in(110, 149) || in(210, 239) || in(460, 469) || in(1040, 1059))
        return new CDxfDouble(code, value);
    if (in(60, 79) || in(170, 179) || in(270, 289) || in(370, 389) || in(400, 409) ||
        in(1060, 1070))
        return new CDxfInt16(code, value);
    if (in(90, 99) || in(420, 429) || in(440, 459) || code >= 1071)
        return new CDxfInt32(code, value);
    if (in(160, 169))
        return new CDxfInt64(code, value);
    if (code == 105 || in(320, 369) || in(390, 399) || in(480, 481))
        return new CDxfHex(code, value);
    if (in(290, 299))
        return new CDxfBool(code, value);
    return nullptr;
}

// CDxfItem ------------------------------------------------------------------

bool CDxfItem::ReadContinuation(CDxfLineReader&, std::wstring&) {
    return true;
}

bool CDxfItem::Equals(const wchar_t*) const {
    return false;
}

bool CDxfItem::NotEquals(const wchar_t*) const {
    return true;
}

int CDxfItem::AsInt() const {
    return -1;
}

float CDxfItem::AsFloat() const {
    return -1.0f;
}

double CDxfItem::AsDouble() const {
    return -1.0;
}

DxfPointF CDxfItem::AsPoint() const {
    return {-1.0f, -1.0f};
}

// CDxfNode ------------------------------------------------------------------

CDxfNode::CDxfNode(const CDxfNode& other) : Tree<CDxfNode>(), CDxfItem(other) {
    for (const CDxfNode* child : other.GetChildren())
        AddChild(child->Clone());
}

CDxfNode* CDxfNode::FindLast(int code) const {
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it)
        if ((*it)->GetCode() == code)
            return *it;
    return nullptr;
}

// Value classes -------------------------------------------------------------

bool CDxfString::Equals(const wchar_t* text) const {
    return m_value == text;
}

bool CDxfString::NotEquals(const wchar_t* text) const {
    return m_value != text;
}

CDxfDouble3D::CDxfDouble3D(int code, const std::wstring& value) : CDxfNode(code) {
    SetAxis(code, value);
}

void CDxfDouble3D::SetAxis(int code, const std::wstring& value) {
    const int axis = PointAxis(code);
    if (m_set[axis]) {
        m_more.emplace_back();
        m_set[0] = m_set[1] = m_set[2] = 0;
    }
    m_set[axis] = 1;
    double v = 0;
    if (!ParseWholeDouble(value, v))
        m_damaged = true;
    Point& p = m_more.empty() ? m_first : m_more.back();
    (axis == 0 ? p.x : axis == 1 ? p.y : p.z) = v;
}

bool CDxfDouble3D::ReadContinuation(CDxfLineReader& reader, std::wstring& codeLine) {
    std::wstring value;
    for (;;) {
        if (!reader.ReadLine(codeLine))
            return true;
        int code = 0;
        if (!ParseDxfCode(codeLine, code))
            return true;
        if (!IsDxfPointCode(code) || code % 10 != m_code % 10)
            return false;
        if (!reader.ReadValueLine(value))
            return true;
        SetAxis(code, value);
    }
}

DxfPointF CDxfDouble3D::AsPoint() const {
    const Point& p = m_first;
    return {static_cast<float>(p.x), static_cast<float>(p.y)};
}

CDxfDouble::CDxfDouble(int code, const std::wstring& value) : CDxfNode(code) {
    m_damaged = !ParseWholeDouble(value, m_value);
}

int CDxfDouble::AsInt() const {
    // Truncated toward zero, held in the int's range.
    if (m_value >= 2147483647.0)
        return INT32_MAX;
    if (m_value <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int>(m_value);
}

CDxfInteger::CDxfInteger(int code, const std::wstring& value, int64_t min, int64_t max)
    : CDxfNode(code) {
    m_damaged = !ParseWholeInteger(value, min, max, m_value);
}

CDxfInteger::CDxfInteger(int code, const std::wstring& hexValue) : CDxfNode(code) {
    m_damaged = !ParseWholeHex(hexValue, m_value);
}

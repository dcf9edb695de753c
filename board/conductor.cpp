#include "board/conductor.h"

#include "board/board_types.h"
#include "board/polygon_union.h"
#include "core/board_layer.h"
#include "core/expected_attributes.h"
#include "core/node_type.h"
#include "core/plain_number.h"
#include "platform/graphics_path.h"
#include "platform/text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using namespace std::literals;

namespace {

// "-?digits(.digits)?" with at most fifteen digits in all, as
// PlainNumber::ReadDecimal reads it, for text that ends in a NUL (a
// std::wstring's): no bounds to check in the digit loops. Returns where the
// number ends (what follows is the caller's to check), null for any other
// form.
const wchar_t* ReadVertexNumber(const wchar_t* p, double& value) {
    static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const bool negative = *p == L'-';
    p += negative ? 1 : 0;
    const wchar_t* const start = p;
    uint64_t digits = 0;
    for (uint32_t d; (d = static_cast<uint32_t>(*p) - static_cast<uint32_t>(L'0')) <= 9; ++p)
        digits = digits * 10 + d;
    const auto whole = static_cast<std::size_t>(p - start);
    std::size_t fraction = 0;
    if (*p == L'.') {
        // Three decimals is what the writer puts: taken in one step when
        // the fourth character after the point is no digit.
        const uint32_t d1 = static_cast<uint32_t>(p[1]) - static_cast<uint32_t>(L'0');
        const uint32_t d2 =
            d1 <= 9 ? static_cast<uint32_t>(p[2]) - static_cast<uint32_t>(L'0') : 10;
        const uint32_t d3 =
            d2 <= 9 ? static_cast<uint32_t>(p[3]) - static_cast<uint32_t>(L'0') : 10;
        if (d3 <= 9 && static_cast<uint32_t>(p[4]) - static_cast<uint32_t>(L'0') > 9 && whole > 0 &&
            whole <= 12) {
            const double v = static_cast<double>(digits * 1000 + d1 * 100 + d2 * 10 + d3) / 1e3;
            value = negative ? -v : v;
            return p + 4;
        }
        const wchar_t* const point = ++p;
        for (uint32_t d; (d = static_cast<uint32_t>(*p) - static_cast<uint32_t>(L'0')) <= 9; ++p)
            digits = digits * 10 + d;
        fraction = static_cast<std::size_t>(p - point);
        if (fraction == 0)
            return nullptr;
    }
    if (whole == 0 || whole + fraction > 15)
        return nullptr;
    const double v = static_cast<double>(digits) / kPow10[fraction];
    value = negative ? -v : v;
    return p;
}

// ParseDouble, with its own short cut for plain decimals ("-12.345") inlined:
// vertex lists are long. Anything else goes to ParseDouble itself.
double ScanNumber(const wchar_t* text, const wchar_t** end) {
    static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const wchar_t* q = text;
    const bool negative = *q == L'-';
    if (negative)
        ++q;
    uint64_t digits = 0;
    int count = 0, fraction = 0;
    while (*q >= L'0' && *q <= L'9' && count <= 15) {
        digits = digits * 10 + static_cast<uint64_t>(*q - L'0');
        ++count;
        ++q;
    }
    if (count > 0 && *q == L'.' && q[1] >= L'0' && q[1] <= L'9') {
        ++q;
        while (*q >= L'0' && *q <= L'9' && count <= 15) {
            digits = digits * 10 + static_cast<uint64_t>(*q - L'0');
            ++count;
            ++fraction;
            ++q;
        }
    }
    const bool hexPrefix = count == 1 && fraction == 0 && digits == 0 && (*q == L'x' || *q == L'X');
    if (count > 0 && count <= 15 && !hexPrefix && *q != L'.' && *q != L'e' && *q != L'E' &&
        !(*q >= L'0' && *q <= L'9')) {
        const double value = static_cast<double>(digits) / kPow10[fraction];
        *end = q;
        return negative ? -value : value;
    }
    return ParseDouble(text, end);
}

// ScanFloats with the inlined number scanner.
int ScanVertex(const wchar_t* text, float* out) {
    int read = 0;
    const wchar_t* p = text;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (*p != L',')
                break;
            ++p;
        }
        const wchar_t* end = nullptr;
        const double v = ScanNumber(p, &end);
        if (end == p)
            break;
        out[i] = static_cast<float>(v);
        ++read;
        p = end;
    }
    return read;
}

// Whether [p, end) starts with what "%.3f" writes for value; moves p past
// it. Values that FormatFixedTo does not write by its short cut (huge, not
// finite) never match.
inline bool MatchesFixed3(const wchar_t*& p, const wchar_t* end, float value) {
    const double magnitude = std::fabs(static_cast<double>(value));
    if (!(magnitude < 1e9))
        return false;
    const wchar_t* q = p;
    if (std::signbit(value)) {
        if (q == end || *q != L'-')
            return false;
        ++q;
    }
    // The rounding of FormatFixedTo: exact in a double, ties to even.
    const auto scaled = static_cast<uint64_t>((magnitude * 1000.0 + 0x1p52) - 0x1p52);
    uint64_t whole = 0;
    if (q == end || *q < L'0' || *q > L'9')
        return false;
    if (*q == L'0') {
        ++q; // no leading zeros
    } else {
        for (int n = 0; q != end && *q >= L'0' && *q <= L'9'; ++q) {
            if (++n > 10)
                return false;
            whole = whole * 10 + static_cast<uint64_t>(*q - L'0');
        }
    }
    if (end - q < 4 || *q != L'.')
        return false;
    uint64_t fraction = 0;
    for (int i = 1; i <= 3; ++i) {
        if (q[i] < L'0' || q[i] > L'9')
            return false;
        fraction = fraction * 10 + static_cast<uint64_t>(q[i] - L'0');
    }
    if (whole * 1000 + fraction != scaled)
        return false;
    p = q + 4;
    return true;
}

// Whether text is exactly what CConductor::WriteAttributes writes for the
// vertices.
bool TextMatchesVertices(const std::wstring& text, const std::vector<ConductorVertex>& vertices) {
    const wchar_t* p = text.data();
    const wchar_t* const end = p + text.size();
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const ConductorVertex& v = vertices[i];
        if (i > 0) {
            if (p == end || *p != L' ')
                return false;
            ++p;
        }
        if (!MatchesFixed3(p, end, v.x) || p == end || *p != L',')
            return false;
        ++p;
        if (!MatchesFixed3(p, end, v.y))
            return false;
        if (v.corner != 0) {
            if (p == end || *p != L',')
                return false;
            ++p;
            if (!MatchesFixed3(p, end, v.corner))
                return false;
        }
    }
    return p == end;
}

} // namespace

CConductor::CConductor() : CTreeNode(NodeType::Conductor) {}

CConductor::CConductor(const CConductor& other)
    : CTreeNode(other), m_layer(other.m_layer), m_width(other.m_width),
      m_vertices(other.m_vertices), m_reserved(other.m_reserved) {}

CConductor::~CConductor() = default;

CTreeNode* CConductor::Clone() const {
    return new CConductor(*this);
}

const wchar_t* CConductor::GetTagName() const {
    return L"Conductor";
}

void CConductor::ReadAttributes() {
    m_layer = LayerFromCode(FindAttribute(L"Layer"sv).value_or(std::wstring_view()));
    GetAttributeFloat(L"Width"sv, m_width, 0);
    // Collected in a scratch list that keeps its room from conductor to
    // conductor, then copied at the exact size.
    thread_local std::vector<ConductorVertex> vertices;
    vertices.clear();
    const std::wstring& text = m_text;
    const wchar_t* const begin = text.c_str();
    const wchar_t* const end = begin + text.size();
    std::size_t pos = 0;
    // The writer's own form, "x,y[,corner]" with single spaces between
    // vertices, in one pass. The first vertex in any other form goes to the
    // general walk below, from its start.
    bool done = false;
    for (;;) {
        double v[3] = {0, 0, 0};
        const wchar_t* p = ReadVertexNumber(begin + pos, v[0]);
        if (!p || p == end || *p != L',')
            break;
        p = ReadVertexNumber(p + 1, v[1]);
        if (!p || (p != end && *p != L',' && *p != L' '))
            break;
        if (p != end && *p == L',') {
            p = ReadVertexNumber(p + 1, v[2]);
            if (!p || (p != end && *p != L' '))
                break;
        }
        vertices.push_back(ConductorVertex{static_cast<float>(v[0]), static_cast<float>(v[1]),
                                           static_cast<float>(v[2]), VertexTie()});
        if (p == end) {
            done = true;
            break;
        }
        pos = static_cast<std::size_t>(p + 1 - begin);
    }
    // The general walk: the vertex at pos is read as a scan of up to three
    // numbers reads it, the next one starts after the first space that
    // follows its second (or third) number's comma.
    while (!done) {
        float v[3] = {0, 0, 0};
        const int n = ScanVertex(begin + pos, v);
        if (n < 2 || n > 3)
            break;
        vertices.push_back(ConductorVertex{v[0], v[1], n == 3 ? v[2] : 0.0f, VertexTie()});
        std::size_t after = text.find(L',', pos);
        if (after == std::wstring::npos)
            break;
        ++after;
        if (n == 3) {
            after = text.find(L',', after);
            if (after == std::wstring::npos)
                break;
            ++after;
        }
        std::size_t space = text.find(L' ', after);
        if (space == std::wstring::npos)
            break;
        pos = space + 1;
    }
    m_vertices.assign(vertices.begin(), vertices.end());
}

void CConductor::WriteAttributes() {
    const std::wstring_view code = LayerCode(m_layer);
    ExpectedAttributes<2> expected;
    expected.AddString(L"Layer"sv, code, L""sv);
    expected.AddFloat(L"Width"sv, m_width, 0);
    if (!expected.Matches(m_attributes)) {
        if (code.empty())
            RemoveAttribute(L"Layer"sv);
        else
            SetAttribute(L"Layer"sv, code);
        SetAttributeFloat(L"Width"sv, m_width, 0);
    }
    // "%.3f,%.3f[,%.3f]" per vertex. The text mostly reads as it did: that
    // is checked against the numbers, which costs less than writing them.
    if (TextMatchesVertices(m_text, m_vertices))
        return;
    // Built in a scratch buffer that keeps its room from conductor to
    // conductor: boards hold many vertices.
    thread_local std::vector<wchar_t> scratch;
    constexpr std::size_t kVertexRoom = 3 * 64 + 3;
    scratch.resize(std::max(scratch.size(), m_vertices.size() * kVertexRoom));
    wchar_t* const start = scratch.data();
    wchar_t* d = start;
    for (const ConductorVertex& v : m_vertices) {
        if (d != start)
            *d++ = L' ';
        d = FormatFixedTo(d, v.x, 3);
        *d++ = L',';
        d = FormatFixedTo(d, v.y, 3);
        if (v.corner != 0) {
            *d++ = L',';
            d = FormatFixedTo(d, v.corner, 3);
        }
    }
    m_text.assign(start, static_cast<std::size_t>(d - start));
}

void CConductor::BuildPath(GraphicsPath* path, float margin) const {
    AddSegmentFigures(path, margin);
    if (m_vertices.size() >= 2)
        MergePathFigures(path, kOutlineFlatness);
}

void CConductor::AddSegmentFigures(GraphicsPath* path, float margin) const {
    const float r = m_width / 2 + margin;
    if (m_vertices.size() < 2)
        return;
    for (size_t i = 1; i < m_vertices.size(); ++i) {
        const ConductorVertex& a = m_vertices[i - 1];
        const ConductorVertex& b = m_vertices[i];
        const float theta = static_cast<float>(
            std::atan2(static_cast<double>(b.y) - a.y, static_cast<double>(b.x) - a.x) * 180.0 /
            M_PI);
        path->StartFigure();
        path->AddArc(a.x - r, a.y - r, 2 * r, 2 * r, theta + 90, 180);
        path->AddArc(b.x - r, b.y - r, 2 * r, 2 * r, theta - 90, 180);
        path->CloseFigure();
    }
}

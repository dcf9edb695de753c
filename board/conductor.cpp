#include "board/conductor.h"

#include "board/board_types.h"
#include "board/polygon_union.h"
#include "core/board_layer.h"
#include "core/node_type.h"
#include "platform/graphics_path.h"
#include "platform/text.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

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
    std::wstring code;
    GetAttributeString(L"Layer", code, L"");
    m_layer = LayerFromCode(code);
    GetAttributeFloat(L"Width", m_width, 0);
    m_vertices.clear();
    const std::wstring& text = m_text;
    if (text.find(L',') == std::wstring::npos)
        return;
    // A vertex takes at least four characters with its separator.
    m_vertices.reserve(
        std::min(static_cast<std::size_t>(std::count(text.begin(), text.end(), L' ')),
                 text.size() / 4) +
        1);
    std::size_t pos = 0;
    for (;;) {
        float v[3] = {0, 0, 0};
        const int n = ScanVertex(text.c_str() + pos, v);
        if (n < 2 || n > 3)
            break;
        m_vertices.push_back(ConductorVertex{v[0], v[1], n == 3 ? v[2] : 0.0f, VertexTie()});
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
}

void CConductor::WriteAttributes() {
    SetAttributeText(L"Layer", LayerToCode(m_layer), L"");
    SetAttributeFloat(L"Width", m_width, 0);
    // "%.3f,%.3f[,%.3f]" per vertex, built in a scratch buffer that keeps its
    // room from conductor to conductor: boards hold many vertices. The text
    // mostly reads as it did, and is then left alone.
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
    const std::wstring_view text(start, static_cast<std::size_t>(d - start));
    if (m_text != text)
        m_text.assign(text);
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

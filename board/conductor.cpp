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
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Vertex lists of the writer's form are read with SSSE3 where the processor
// has it (looked up at run time).
#if defined(__x86_64__) && defined(__GNUC__)
#define VORPEL_VERTEX_SIMD 1
#include <immintrin.h>
#endif

using namespace std::literals;

namespace {

// "-?digits(.digits)?" with at most fifteen digits in all, as
// PlainNumber::ReadDecimal reads it, for text that ends in a NUL (a
// std::wstring's): no bounds to check in the digit loops. Returns where the
// number ends (what follows is the caller's to check), null for any other
// form.
inline const wchar_t* ReadVertexNumber(const wchar_t* p, double& value) {
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

#ifdef VORPEL_VERTEX_SIMD

// Sixteen characters at a time: a vertex "x,y " of the writer's form with
// whole parts of one to four digits, each number with or without its minus,
// fits when its two whole parts and minus signs take at most six
// characters. Which of those forms the characters could be is looked up
// from where the digits stand among the first twelve; a table entry then
// checks every character up to the space and gathers the digits.
struct alignas(16) WrittenVertexForm {
    // The characters with every digit read as '0', 0xFF past the space.
    uint8_t match[16];
    // 0xFF past the space: those characters belong to the next vertex.
    uint8_t past[16];
    // Gathers x's digits into bytes 0-7 and y's into bytes 8-15 as eight
    // digit numbers (whole part right-aligned in bytes 1-4, the decimals in
    // 5-7); 0x80 makes a zero.
    uint8_t gather[16];
    // 0xFF at the first digit of a whole part of two or more digits: a '0'
    // there is a leading zero, which the writer never puts.
    uint8_t lead[16];
    uint32_t sign[2]; // the sign bits of x and y
    // Keeps the sixteen bytes loaded with sign inside the entry.
    uint32_t padding[2] = {0, 0};
};

constexpr int kWrittenFormCount = 1 + 2 * 4 * 2 * 4;
constexpr int kWrittenKeyBits = 12;

struct WrittenVertexForms {
    WrittenVertexForm form[kWrittenFormCount];
    uint8_t byDigits[1u << kWrittenKeyBits]; // form index, 0 for none
    // The form's characters with the space, looked up apart from the form:
    // the next vertex's characters wait for it.
    uint8_t lengthByDigits[1u << kWrittenKeyBits];
};

constexpr WrittenVertexForms MakeWrittenVertexForms() {
    WrittenVertexForms forms{};
    // Form 0 matches nothing: no character reads as '1'.
    for (uint8_t& b : forms.form[0].match)
        b = '1';
    int count = 1;
    for (int sx = 0; sx < 2; ++sx)
        for (int wx = 1; wx <= 4; ++wx)
            for (int sy = 0; sy < 2; ++sy)
                for (int wy = 1; wy <= 4; ++wy) {
                    if (sx + wx + 5 + sy + wy + 5 > 16)
                        continue;
                    WrittenVertexForm f{};
                    int at = 0;
                    auto number = [&](bool negative, int whole, int slot) {
                        if (negative)
                            f.match[at++] = '-';
                        for (int i = 0; i < 8; ++i)
                            f.gather[slot + i] = 0x80;
                        if (whole >= 2)
                            f.lead[at] = 0xFF;
                        for (int i = 0; i < whole; ++i) {
                            f.gather[slot + 5 - whole + i] = static_cast<uint8_t>(at);
                            f.match[at++] = '0';
                        }
                        f.match[at++] = '.';
                        for (int i = 0; i < 3; ++i) {
                            f.gather[slot + 5 + i] = static_cast<uint8_t>(at);
                            f.match[at++] = '0';
                        }
                    };
                    number(sx != 0, wx, 0);
                    f.match[at++] = ',';
                    number(sy != 0, wy, 8);
                    f.match[at++] = ' ';
                    for (int i = at; i < 16; ++i)
                        f.match[i] = f.past[i] = 0xFF;
                    f.sign[0] = sx ? 0x80000000u : 0;
                    f.sign[1] = sy ? 0x80000000u : 0;
                    unsigned key = 0;
                    for (int i = 0; i < kWrittenKeyBits; ++i)
                        key |= f.match[i] == '0' ? 1u << i : 0;
                    forms.form[count] = f;
                    forms.byDigits[key] = static_cast<uint8_t>(count);
                    forms.lengthByDigits[key] = static_cast<uint8_t>(at);
                    ++count;
                }
    return forms;
}

constexpr WrittenVertexForms kWrittenForms = MakeWrittenVertexForms();

// Whether the processor has SSSE3 (looked up once).
bool HasVertexSimd() {
    static const bool simd = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return simd;
}

// The constants of ReadWrittenVertex, made once for a run of vertices.
struct WrittenVertexConstants {
    __m128i zeroChar, nine, tens, hundreds, tenThousands;
    __m128d thousand;
};

__attribute__((target("ssse3"), always_inline)) inline WrittenVertexConstants
MakeWrittenVertexConstants() {
    return {_mm_set1_epi8('0'),         _mm_set1_epi8(9),           _mm_set1_epi16(0x010A),
            _mm_set1_epi32(0x00010064), _mm_set1_epi32(0x00012710), _mm_set1_pd(1e3)};
}

// Reads one vertex of the forms above from sixteen characters into *out
// and sets length to its characters with the space; false when the
// characters are in no form, or, for written, have a leading zero.
__attribute__((target("ssse3"), always_inline)) inline bool
ReadWrittenVertex(const wchar_t* chars, const WrittenVertexConstants& k, ConductorVertex* out,
                  uint32_t& length, bool written = false) {
    static_assert(sizeof(wchar_t) == 4);
    const __m128i* const c = reinterpret_cast<const __m128i*>(chars);
    // Characters past U+00FF saturate to 0xFF (negative ones to 0): neither
    // is a character the forms hold.
    const __m128i bytes =
        _mm_packus_epi16(_mm_packs_epi32(_mm_loadu_si128(c), _mm_loadu_si128(c + 1)),
                         _mm_packs_epi32(_mm_loadu_si128(c + 2), _mm_loadu_si128(c + 3)));
    const __m128i values = _mm_sub_epi8(bytes, k.zeroChar);
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(values, k.nine), values);
    const __m128i digits = _mm_and_si128(values, isDigit);
    const auto key =
        static_cast<unsigned>(_mm_movemask_epi8(isDigit)) & ((1u << kWrittenKeyBits) - 1);
    const WrittenVertexForm& f = kWrittenForms.form[kWrittenForms.byDigits[key]];
    const __m128i shape = _mm_or_si128(_mm_sub_epi8(bytes, digits),
                                       _mm_load_si128(reinterpret_cast<const __m128i*>(f.past)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(
            shape, _mm_load_si128(reinterpret_cast<const __m128i*>(f.match)))) != 0xFFFF)
        return false;
    if (written && _mm_movemask_epi8(_mm_and_si128(
                       _mm_cmpeq_epi8(bytes, k.zeroChar),
                       _mm_load_si128(reinterpret_cast<const __m128i*>(f.lead)))) != 0)
        return false;
    length = kWrittenForms.lengthByDigits[key];
    // Eight digits a number: pairs, fours, then the whole.
    __m128i n =
        _mm_shuffle_epi8(digits, _mm_load_si128(reinterpret_cast<const __m128i*>(f.gather)));
    n = _mm_madd_epi16(_mm_maddubs_epi16(n, k.tens), k.hundreds);
    n = _mm_madd_epi16(_mm_packs_epi32(n, n), k.tenThousands);
    // As the digits divided by 1000 as a double, then a float.
    const __m128 xy = _mm_xor_ps(_mm_cvtpd_ps(_mm_div_pd(_mm_cvtepi32_pd(n), k.thousand)),
                                 _mm_load_ps(reinterpret_cast<const float*>(f.sign)));
    _mm_storel_pi(reinterpret_cast<__m64*>(&out->x), xy);
    out->corner = 0;
    out->tie = VertexTie();
    return true;
}

// Reads vertices of the forms above from p on; returns where it stopped.
__attribute__((target("ssse3"))) const wchar_t*
ReadWrittenVerticesSimd(const wchar_t* p, const wchar_t* end, ConductorVertex*& out) {
    const WrittenVertexConstants k = MakeWrittenVertexConstants();
    ConductorVertex* o = out;
    // Sixteen characters at p, the text's NUL may be the last of them.
    if (end - p >= 15) {
        for (const wchar_t* const last = end - 15; p <= last; ++o) {
            uint32_t length;
            if (!ReadWrittenVertex(p, k, o, length))
                break;
            p += length;
        }
    }
    // The rest from a copy, with a space for the end of the text.
    const std::ptrdiff_t left = end - p;
    if (left >= 11 && left < 15) {
        // Eleven to fourteen characters: the first eight and the last eight.
        alignas(16) wchar_t chars[16] = {};
        const auto copy = [](wchar_t* to, const wchar_t* from) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(from)));
        };
        copy(chars, p);
        copy(chars + 4, p + 4);
        copy(chars + left - 8, end - 8);
        copy(chars + left - 4, end - 4);
        chars[left] = L' ';
        uint32_t length;
        if (ReadWrittenVertex(chars, k, o, length)) {
            ++o;
            p = std::min(p + length, end);
        }
    }
    out = o;
    return p;
}

// Compares the vertices with the text from p on, as many as are in the
// forms above without leading zeros and read back to exactly their
// numbers; returns how many, with p after the last one's space. Such a text
// is what "%.3f" writes for the floats it reads to: below 10,000 a float is
// within half a thousandth of the decimal it was read from, so the
// thousandths round back to it.
__attribute__((target("ssse3"))) std::size_t
MatchWrittenVerticesSimd(const wchar_t*& p, const wchar_t* end, const ConductorVertex* vertices,
                         std::size_t count) {
    const WrittenVertexConstants k = MakeWrittenVertexConstants();
    std::size_t i = 0;
    if (end - p < 15)
        return 0;
    for (const wchar_t* const last = end - 15; p <= last && i < count; ++i) {
        const ConductorVertex& want = vertices[i];
        ConductorVertex read;
        uint32_t length;
        if (want.corner != 0 || !ReadWrittenVertex(p, k, &read, length, true) ||
            std::bit_cast<uint32_t>(read.x) != std::bit_cast<uint32_t>(want.x) ||
            std::bit_cast<uint32_t>(read.y) != std::bit_cast<uint32_t>(want.y))
            break;
        p += length;
    }
    return i;
}

#endif

// Reads vertices of the writer's most common forms from p on, as many as
// it can; returns where it stopped (the rest is for the other readers).
const wchar_t* ReadWrittenVertices(const wchar_t* p, const wchar_t* end, ConductorVertex*& out) {
#ifdef VORPEL_VERTEX_SIMD
    if (HasVertexSimd())
        return ReadWrittenVerticesSimd(p, end, out);
#endif
    (void)end;
    (void)out;
    return p;
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
    std::size_t i = 0;
#ifdef VORPEL_VERTEX_SIMD
    if (HasVertexSimd()) {
        // Most vertices are compared sixteen characters at a time; the
        // rest, from the space before the first that was not, one number
        // at a time.
        i = MatchWrittenVerticesSimd(p, end, vertices.data(), vertices.size());
        if (i > 0)
            --p;
    }
#endif
    for (; i < vertices.size(); ++i) {
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
    // conductor, then copied at the exact size. A vertex of the one-pass
    // readers takes at least four characters with its space (three at the
    // end), so they write without checking the room; the general walk
    // checks.
    thread_local std::vector<ConductorVertex> scratch;
    const std::wstring& text = m_text;
    const wchar_t* const begin = text.c_str();
    const wchar_t* const end = begin + text.size();
    const std::size_t room = text.size() / 4 + 2;
    if (scratch.size() < room)
        scratch.resize(room);
    ConductorVertex* out = scratch.data();
    // The writer's own form, "x,y[,corner]" with single spaces between
    // vertices, in one pass: sixteen characters at a time where the vertex
    // fits, else number by number. The first vertex in any other form goes
    // to the general walk below, from its start.
    const wchar_t* p = begin;
    bool done = false;
    for (;;) {
        p = ReadWrittenVertices(p, end, out);
        if (p == end) {
            done = true;
            break;
        }
        double v[3] = {0, 0, 0};
        const wchar_t* q = ReadVertexNumber(p, v[0]);
        if (!q || q == end || *q != L',')
            break;
        q = ReadVertexNumber(q + 1, v[1]);
        if (!q || (q != end && *q != L',' && *q != L' '))
            break;
        if (q != end && *q == L',') {
            q = ReadVertexNumber(q + 1, v[2]);
            if (!q || (q != end && *q != L' '))
                break;
        }
        *out++ = ConductorVertex{static_cast<float>(v[0]), static_cast<float>(v[1]),
                                 static_cast<float>(v[2]), VertexTie()};
        if (q == end) {
            done = true;
            break;
        }
        p = q + 1;
    }
    // The general walk: the vertex at pos is read as a scan of up to three
    // numbers reads it, the next one starts after the first space that
    // follows its second (or third) number's comma.
    std::size_t pos = static_cast<std::size_t>(p - begin);
    while (!done) {
        float v[3] = {0, 0, 0};
        const int n = ScanFloats(begin + pos, 3, v);
        if (n < 2 || n > 3)
            break;
        if (out == scratch.data() + scratch.size()) {
            const std::size_t count = scratch.size();
            scratch.resize(2 * count);
            out = scratch.data() + count;
        }
        *out++ = ConductorVertex{v[0], v[1], n == 3 ? v[2] : 0.0f, VertexTie()};
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
    m_vertices.assign(scratch.data(), out);
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

void CConductor::GetCentreLine(std::vector<ConductorPiece>& pieces) const {
    constexpr double kPi = 3.14159265358979323846;
    pieces.clear();
    const auto& v = m_vertices;
    const size_t m = v.size();
    for (size_t i = 1; i < m; ++i) {
        const int segment = static_cast<int>(i);
        const ConductorVertex& p = v[i];
        auto runTo = [&](double x, double y) { pieces.push_back({segment, false, x, y}); };
        if (p.corner == 0 || i + 1 == m) {
            runTo(p.x, p.y);
            continue;
        }
        const ConductorVertex& a = v[i - 1];
        const ConductorVertex& b = v[i + 1];
        auto near = [&](const ConductorVertex& q) {
            return std::fabs(q.x - p.x) < 0.001 && std::fabs(q.y - p.y) < 0.001;
        };
        const double inDir = std::atan2(double(p.y) - a.y, double(p.x) - a.x);
        const double outDir = std::atan2(double(b.y) - p.y, double(b.x) - p.x);
        double turn = outDir - inDir;
        while (turn > kPi)
            turn -= 2 * kPi;
        while (turn < -kPi)
            turn += 2 * kPi;
        // A short segment, straight on, or turning back on itself: no corner
        // to round.
        if (near(a) || near(b) || std::fabs(turn) < 0.001 || kPi - std::fabs(turn) < 0.001) {
            runTo(p.x, p.y);
            continue;
        }
        // Cut back on both sides by the corner value, at most a whole segment.
        const double la = std::hypot(double(p.x) - a.x, double(p.y) - a.y);
        const double lb = std::hypot(double(b.x) - p.x, double(b.y) - p.y);
        const double t = std::min({double(p.corner), la, lb});
        const double t1x = p.x + (a.x - p.x) * t / la, t1y = p.y + (a.y - p.y) * t / la;
        const double t2x = p.x + (b.x - p.x) * t / lb, t2y = p.y + (b.y - p.y) * t / lb;
        runTo(t1x, t1y);
        // The centre: where the perpendiculars at T1 (to the incoming
        // segment) and at T2 (to the outgoing one) meet.
        const double d1x = -(p.y - a.y) / la, d1y = (p.x - a.x) / la;
        const double d2x = -(b.y - p.y) / lb, d2y = (b.x - p.x) / lb;
        const double den = d1x * d2y - d1y * d2x;
        if (std::fabs(den) < 1e-12) {
            runTo(p.x, p.y);
            continue;
        }
        const double k = ((t2x - t1x) * d2y - (t2y - t1y) * d2x) / den;
        const double cx = t1x + k * d1x, cy = t1y + k * d1y;
        double sweep = std::atan2(t2y - cy, t2x - cx) - std::atan2(t1y - cy, t1x - cx);
        while (sweep > kPi)
            sweep -= 2 * kPi;
        while (sweep < -kPi)
            sweep += 2 * kPi;
        pieces.push_back({segment, true, t2x, t2y, cx, cy, sweep});
    }
}

namespace {

// The copper within r of the straight run from a to b.
void AddStadium(GraphicsPath* path, float ax, float ay, float bx, float by, float r) {
    const float theta = static_cast<float>(
        std::atan2(static_cast<double>(by) - ay, static_cast<double>(bx) - ax) * 180.0 / M_PI);
    path->StartFigure();
    path->AddArc(ax - r, ay - r, 2 * r, 2 * r, theta + 90, 180);
    path->AddArc(bx - r, by - r, 2 * r, 2 * r, theta - 90, 180);
    path->CloseFigure();
}

// The copper within r of an arc from (sx, sy) between its two radial ends;
// the copper around the ends comes with the straight runs either side.
void AddArcBand(GraphicsPath* path, double sx, double sy, const ConductorPiece& arc, float r) {
    const double radius = std::hypot(sx - arc.cx, sy - arc.cy);
    const auto start = static_cast<float>(std::atan2(sy - arc.cy, sx - arc.cx) * 180.0 / M_PI);
    const auto sweep = static_cast<float>(arc.sweep * 180.0 / M_PI);
    const auto cx = static_cast<float>(arc.cx), cy = static_cast<float>(arc.cy);
    const auto outer = static_cast<float>(radius + r);
    if (radius <= r) {
        // A bend tighter than the copper is wide fills up to its centre.
        path->AddPie(cx - outer, cy - outer, 2 * outer, 2 * outer, start, sweep);
        return;
    }
    const auto inner = static_cast<float>(radius - r);
    path->StartFigure();
    path->AddArc(cx - outer, cy - outer, 2 * outer, 2 * outer, start, sweep);
    path->AddArc(cx - inner, cy - inner, 2 * inner, 2 * inner, start + sweep, -sweep);
    path->CloseFigure();
}

} // namespace

void CConductor::AddSegmentFigures(GraphicsPath* path, float margin) const {
    const float r = m_width / 2 + margin;
    if (m_vertices.size() < 2)
        return;
    thread_local std::vector<ConductorPiece> pieces;
    GetCentreLine(pieces);
    double x = m_vertices[0].x, y = m_vertices[0].y;
    for (const ConductorPiece& piece : pieces) {
        if (piece.arc)
            AddArcBand(path, x, y, piece, r);
        else
            AddStadium(path, static_cast<float>(x), static_cast<float>(y),
                       static_cast<float>(piece.x), static_cast<float>(piece.y), r);
        x = piece.x;
        y = piece.y;
    }
}

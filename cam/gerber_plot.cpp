#include "cam/gerber_plot.h"

#include "board/area_node.h"
#include "board/conductor.h"
#include "core/text_file.h"
#include "platform/graphics_path.h"
#include "platform/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr double kPi = 3.14159265358979323846;

double SignedArea2(const std::vector<PointF>& p, size_t s, size_t e) {
    double d = 0;
    for (size_t i = s + 1; i <= e; ++i)
        d += double(p[i].X) * p[i - 1].Y - double(p[i - 1].X) * p[i].Y;
    d += double(p[s].X) * p[e].Y - double(p[s].Y) * p[e].X;
    return d;
}

bool PointInFigure(const std::vector<PointF>& p, size_t s, size_t e, double x, double y) {
    bool inside = false;
    for (size_t i = s, j = e; i <= e; j = i++) {
        const double xi = p[i].X, yi = p[i].Y, xj = p[j].X, yj = p[j].Y;
        if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
            inside = !inside;
    }
    return inside;
}

struct Figure {
    size_t s, e;
};

std::vector<Figure> Figures(const FlatPath& path) {
    std::vector<Figure> out;
    const size_t n = path.points.size();
    for (size_t i = 0; i < n; ++i) {
        if ((path.types[i] & 7) == 0 || out.empty())
            out.push_back({i, i});
        else
            out.back().e = i;
    }
    return out;
}

double Cross(double ax, double ay, double bx, double by, double cx, double cy) {
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

bool SegmentsCross(const PointF& a, const PointF& b, const PointF& c, const PointF& d) {
    const double d1 = Cross(c.X, c.Y, d.X, d.Y, a.X, a.Y);
    const double d2 = Cross(c.X, c.Y, d.X, d.Y, b.X, b.Y);
    const double d3 = Cross(a.X, a.Y, b.X, b.Y, c.X, c.Y);
    const double d4 = Cross(a.X, a.Y, b.X, b.Y, d.X, d.Y);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0)))
        return true;
    auto on = [](const PointF& p, const PointF& q, const PointF& r, double cr) {
        return cr == 0 && std::min(p.X, q.X) <= r.X && r.X <= std::max(p.X, q.X) &&
               std::min(p.Y, q.Y) <= r.Y && r.Y <= std::max(p.Y, q.Y);
    };
    return on(c, d, a, d1) || on(c, d, b, d2) || on(a, b, c, d3) || on(a, b, d, d4);
}

// Whether an arc of the half chord and deviation sweeps 90 degrees or more
// (the deviation of a quarter arc is the half chord times tan 22.5 degrees).
// The points of an exact quarter arc come as floats, from a drawing or a
// file, so its deviation may fall a little short: a sweep within about a
// hundredth of a degree counts as a quarter.
bool IsQuarterArcOrMore(double halfChord, double deviation) {
    constexpr double kTan22_5 = 0.41421357;
    constexpr double kTolerance = 1e-4;
    return halfChord * kTan22_5 * (1 - kTolerance) <= std::fabs(deviation);
}

} // namespace

GerberFormat GerberFormat::From(int unit, int resFlt, double epsilonMm, int resInt) {
    GerberFormat f;
    f.unit = unit;
    f.resFlt = resFlt;
    f.resInt = resInt;
    f.epsilon = epsilonMm;
    f.factor = unit == 0 ? double(0.03937008f) : 1.0;
    return f;
}

int ShallowArcPieces(double h, double d, double tolerance) {
    // A piece of a circle bulges by about its own length squared over 8 r;
    // the whole arc's bulge d, split n ways, by about d / n^2.
    if (!(std::fabs(d) <= h) || !(tolerance > 0))
        return 0;
    return static_cast<int>(
        std::clamp(std::ceil(std::sqrt(std::fabs(d) / tolerance)), 1.0, 4096.0));
}

PointD ShallowArcPoint(int i, int pieces, double mx, double my, double ux, double uy, double h,
                       double d) {
    // u along the chord from its middle, s how far right of it the arc lies.
    const double u = h * (2.0 * i / pieces - 1);
    const double r = std::fabs((h * h / d + d) / 2);
    const double y = std::fabs(d) - u * u / (r + std::sqrt(std::max(0.0, r * r - u * u)));
    const double s = d < 0 ? -y : y;
    return PointD{mx + ux * u + uy * s, my + uy * u - ux * s};
}

bool GerberFormat::Holds(double mm) const {
    const double digits = std::pow(10.0, resFlt);
    return std::fabs(std::nearbyint(mm * factor * digits)) < std::pow(10.0, resInt) * digits;
}

std::wstring GerberPlainNumber(double value) {
    if (!std::isfinite(value) || std::fabs(value) < 1e-6)
        return L"0";
    std::wstring s = StrPrintf(L"%.6f", value);
    while (!s.empty() && s.back() == L'0')
        s.pop_back();
    if (!s.empty() && s.back() == L'.')
        s.pop_back();
    if (s == L"-0")
        s = L"0";
    return s;
}

std::wstring GerberSizeText(double mm, const GerberFormat& format) {
    // No endless digits for what no file can hold (the writer refuses it).
    if (!(std::fabs(mm) < 1e9))
        mm = 0;
    if (format.unit == 0)
        return StrPrintf(L"%.4f", mm / 25.4);
    return StrPrintf(L"%.3f", mm);
}

CGerberPlotter::CGerberPlotter(CTextFile* file, const GerberFormat& format)
    : m_file(file), m_format(format) {
    Reset();
}

void CGerberPlotter::Reset() {
    m_x = m_y = std::numeric_limits<double>::quiet_NaN();
    m_aperture = -1;
    m_interpolation = -1;
    m_clear = false;
    m_unwritable.reset();
}

CGerberPlotter::~CGerberPlotter() {
    Flush();
}

void CGerberPlotter::Line(const std::wstring& text) {
    Flush();
    m_file->WriteString(text);
}

void CGerberPlotter::Flush() {
    if (m_pendingLength == 0)
        return;
    // A file with a number it cannot hold is not kept: no more of its
    // figures are written.
    if (m_unwritable) {
        m_pendingLength = 0;
        return;
    }
    // The pending lines end in CR LF each; the file adds the last one.
    m_file->WriteLine(m_pending.data(), m_pendingLength - 2);
    m_pendingLength = 0;
}

char* CGerberPlotter::Room(size_t count) {
    if (m_pending.size() < m_pendingLength + count)
        m_pending.resize(std::max(m_pendingLength + count, size_t{1} << 16));
    return m_pending.data() + m_pendingLength;
}

void CGerberPlotter::Put(const char* text, size_t count) {
    std::memcpy(Room(count), text, count);
    m_pendingLength += count;
}

void CGerberPlotter::EndLine() {
    Put("\r\n", 2);
    // ASCII is the same bytes in every byte encoding; UTF-16 is not, and
    // gets each line on its own.
    if (m_file->GetCodePage() == CTextFile::CodePageUtf16) {
        const std::string line(m_pending.data(), m_pendingLength - 2);
        m_pendingLength = 0;
        m_file->WriteString(std::wstring(line.begin(), line.end()));
    } else if (m_pendingLength >= kPendingLimit && !m_holdFlush) {
        Flush();
    }
}

char* CGerberPlotter::FastNumber(char* out, double mm) const {
    // The scaled value rounded to an integer, unless it lies so near a tie
    // that only the exact decimal expansion can decide.
    static const double kScale[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    const double v = mm * m_format.factor;
    if (m_format.resFlt < 0 || m_format.resFlt > 6 || !(std::fabs(v) < 1e9))
        return nullptr;
    const double scaled = v * kScale[m_format.resFlt];
    const double r = std::nearbyint(scaled);
    if (!(std::fabs(std::fabs(scaled - r) - 0.5) > 1e-6))
        return nullptr;
    const long long n = static_cast<long long>(r);
    // printf keeps the sign of a negative value that rounds to 0.
    const bool negative = n < 0 || (n == 0 && std::signbit(v) && v != 0);
    const unsigned long long u = static_cast<unsigned long long>(n < 0 ? -n : n);
    // The digits straight into place, from the last one backwards, two at a
    // time; zeros in front up to one more than the decimals.
    static constexpr unsigned long long kPow10[] = {1,
                                                    10,
                                                    100,
                                                    1000,
                                                    10000,
                                                    100000,
                                                    1000000,
                                                    10000000,
                                                    100000000,
                                                    1000000000,
                                                    10000000000,
                                                    100000000000,
                                                    1000000000000,
                                                    10000000000000,
                                                    100000000000000,
                                                    1000000000000000};
    static const char kPairs[] = "00010203040506070809101112131415161718192021222324252627282930"
                                 "31323334353637383940414243444546474849505152535455565758596061"
                                 "6263646566676869707172737475767778798081828384858687888990919293"
                                 "949596979899";
    int digits = 1;
    while (digits < 16 && u >= kPow10[digits])
        ++digits;
    const int width = std::max(digits, m_format.resFlt + 1);
    char* p = out;
    if (negative)
        *p++ = '-';
    char* const end = p + width;
    char* d = end;
    if (u <= 0xFFFFFFFFu) {
        uint32_t w = static_cast<uint32_t>(u);
        while (w >= 100) {
            const uint32_t pair = (w % 100) * 2;
            w /= 100;
            *--d = kPairs[pair + 1];
            *--d = kPairs[pair];
        }
        if (w >= 10) {
            *--d = kPairs[w * 2 + 1];
            *--d = kPairs[w * 2];
        } else {
            *--d = static_cast<char>('0' + w);
        }
    } else {
        unsigned long long w = u;
        do {
            *--d = static_cast<char>('0' + w % 10);
            w /= 10;
        } while (w > 0);
    }
    while (d > p)
        *--d = '0';
    return end;
}

std::string CGerberPlotter::ExactNumber(double mm) const {
    // printf's digits are ASCII in every locale: the point is dropped.
    const std::wstring s = StrPrintf(L"%.*f", m_format.resFlt, mm * m_format.factor);
    std::string out;
    bool dropped = false;
    for (wchar_t c : s) {
        if (c == L'.' && !dropped) {
            dropped = true;
            continue;
        }
        out += static_cast<char>(c);
    }
    return out;
}

double CGerberPlotter::Writable(double mm) const {
    Check(m_format.Holds(mm), mm);
    // No endless digits for what no file can hold (the file is not kept).
    return std::fabs(mm) < 1e9 ? mm : 0;
}

void CGerberPlotter::PutNumber(double mm) {
    mm = Writable(mm);
    if (char* end = FastNumber(Room(kNumberRoom), mm)) {
        m_pendingLength = static_cast<size_t>(end - m_pending.data());
        return;
    }
    const std::string digits = ExactNumber(mm);
    Put(digits.data(), digits.size());
}

bool CGerberPlotter::PutCoord(double x, double y, bool force) {
    bool any = false;
    if (force || std::isnan(m_x) || std::fabs(m_x - x) >= m_format.epsilon) {
        m_x = x;
        Put("X", 1);
        PutNumber(x);
        any = true;
    }
    if (force || std::isnan(m_y) || std::fabs(m_y - y) >= m_format.epsilon) {
        m_y = y;
        Put("Y", 1);
        PutNumber(y);
        any = true;
    }
    return any;
}

std::wstring CGerberPlotter::Number(double mm) const {
    mm = Writable(mm);
    char buf[kNumberRoom];
    if (const char* end = FastNumber(buf, mm))
        return std::wstring(static_cast<const char*>(buf), end);
    const std::string digits = ExactNumber(mm);
    return std::wstring(digits.begin(), digits.end());
}

std::wstring CGerberPlotter::SizeText(double mm) const {
    Check(m_format.Holds(mm), mm);
    return GerberSizeText(mm, m_format);
}

std::wstring CGerberPlotter::PlainText(double value) const {
    // No rotation of a placed object is this many turns.
    Check(std::fabs(value) < 1e6, value);
    return GerberPlainNumber(value);
}

void CGerberPlotter::SelectAperture(int n) {
    if (n == m_aperture)
        return;
    m_aperture = n;
    char* d = Room(16);
    *d++ = 'D';
    d = std::to_chars(d, d + 12, n).ptr;
    *d++ = '*';
    m_pendingLength = static_cast<size_t>(d - m_pending.data());
    EndLine();
}

void CGerberPlotter::PutLine(const char* text) {
    Put(text, std::strlen(text));
    EndLine();
}

// Moves, draws and flashes are most of a file: their lines gather as bytes
// (ASCII) and go to the file many at a time.
void CGerberPlotter::PlotMove(double x, double y) {
    const size_t start = m_pendingLength;
    if (!PutCoord(x, y)) {
        m_pendingLength = start;
        return;
    }
    Put("D02*", 4);
    EndLine();
}

void CGerberPlotter::PlotDraw(double x, double y) {
    const size_t start = m_pendingLength;
    // The interpolation is only set by a line that is written.
    const bool g01 = m_interpolation != 1;
    if (g01)
        Put("G01", 3);
    if (!PutCoord(x, y)) {
        m_pendingLength = start;
        return;
    }
    m_interpolation = 1;
    Put("D01*", 4);
    EndLine();
}

void CGerberPlotter::PlotFlash(double x, double y) {
    PutCoord(x, y);
    Put("D03*", 4);
    EndLine();
}

void CGerberPlotter::SetPolarity(bool clear) {
    if (clear == m_clear)
        return;
    m_clear = clear;
    PutLine(clear ? "%LPC*%" : "%LPD*%");
}

void CGerberPlotter::PlotArc(double x, double y, double cx, double cy, bool clockwise,
                             bool multiQuadrant) {
    const double sx = m_x, sy = m_y;
    // A zero chord would be read as a full circle, an unknown start cannot
    // be arced from: both go straight.
    if (std::isnan(sx) || std::isnan(sy) || !std::isfinite(cx) || !std::isfinite(cy) ||
        (std::fabs(sx - x) < m_format.epsilon && std::fabs(sy - y) < m_format.epsilon)) {
        PlotDraw(x, y);
        return;
    }
    PutLine(multiQuadrant ? "G75*" : "G74*");
    if (clockwise && m_interpolation != 2) {
        Put("G02", 3);
        m_interpolation = 2;
    } else if (!clockwise && m_interpolation != 3) {
        Put("G03", 3);
        m_interpolation = 3;
    }
    PutCoord(x, y);
    double i = cx - sx, j = cy - sy;
    if (!multiQuadrant) {
        i = std::fabs(i);
        j = std::fabs(j);
    }
    Put("I", 1);
    PutNumber(i);
    Put("J", 1);
    PutNumber(j);
    Put("D01*", 4);
    EndLine();
}

void CGerberPlotter::PlotOutline(const CAreaNode* first) {
    if (!first)
        return;
    PlotMove(first->m_x, first->m_y);
    for (const CAreaNode* node = first; node; node = node->m_next) {
        const CAreaNode* next = node->GetNextCyclic();
        const double px = node->m_x, py = node->m_y, nx = next->m_x, ny = next->m_y;
        const double chord = std::hypot(nx - px, ny - py);
        if (chord < 1e-9)
            continue; // zero-length node: nothing to draw
        if (node->GetKind() == AREA_ARC) {
            const double d = static_cast<const CAreaArc*>(node)->m_deviation;
            if (std::fabs(d) < kStraightArcDeviation) {
                PlotDraw(nx, ny);
                continue;
            }
            // Centre on the perpendicular bisector, r - d from the chord's middle.
            const double h = chord * 0.5;
            const double r = (h * h / d + d) * 0.5;
            const double ux = (nx - px) / chord, uy = (ny - py) / chord;
            // Positive deviations bulge to the right of the chord direction.
            const double mx = (px + nx) * 0.5, my = (py + ny) * 0.5;
            const double off = d - r;
            const double cx = mx + uy * off, cy = my - ux * off;
            const int pieces = m_format.Holds(cx - px) && m_format.Holds(cy - py)
                                   ? 0
                                   : ShallowArcPieces(h, d, m_format.epsilon);
            if (pieces > 0) {
                // So shallow an arc that its centre lies beyond the format.
                for (int i = 1; i <= pieces; ++i) {
                    const PointD q = ShallowArcPoint(i, pieces, mx, my, ux, uy, h, d);
                    PlotDraw(q.x, q.y);
                }
                continue;
            }
            PlotArc(nx, ny, cx, cy, d < 0, IsQuarterArcOrMore(h, d));
        } else if (node->GetKind() == AREA_BEZIER) {
            const auto* b = static_cast<const CAreaBezier*>(node);
            const double l = std::hypot(b->m_c1x - px, b->m_c1y - py) +
                             std::hypot(b->m_c2x - b->m_c1x, b->m_c2y - b->m_c1y) +
                             std::hypot(nx - b->m_c2x, ny - b->m_c2y);
            const int n = std::max(3, static_cast<int>(l / 0.15));
            for (int i = 1; i <= n; ++i) {
                const double t = double(i) / n, u = 1 - t;
                const double a = u * u * u, bb = 3 * u * u * t, c = 3 * u * t * t, e = t * t * t;
                PlotDraw(a * px + bb * b->m_c1x + c * b->m_c2x + e * nx,
                         a * py + bb * b->m_c1y + c * b->m_c2y + e * ny);
            }
        } else {
            PlotDraw(nx, ny);
        }
    }
    PlotDraw(first->m_x, first->m_y);
}

void CGerberPlotter::PlotConductor(const CConductor* conductor, int aperture) {
    const auto& v = conductor->m_vertices;
    if (v.empty())
        return;
    SelectAperture(aperture);
    PlotMove(v[0].x, v[0].y);
    // The centre line the board draws and the clearances follow.
    conductor->GetCentreLine(m_pieces);
    for (const ConductorPiece& piece : m_pieces) {
        if (piece.arc)
            PlotArc(piece.x, piece.y, piece.cx, piece.cy, piece.sweep < 0,
                    std::fabs(piece.sweep) >= kPi / 2);
        else
            PlotDraw(piece.x, piece.y);
    }
}

void CGerberPlotter::PlotPathLines(const FlatPath& path) {
    double sx = 0, sy = 0;
    for (size_t i = 0; i < path.points.size(); ++i) {
        const PointF& p = path.points[i];
        if ((path.types[i] & 7) == 0) {
            PlotMove(p.X, p.Y);
            sx = p.X;
            sy = p.Y;
        } else {
            PlotDraw(p.X, p.Y);
        }
        if (path.types[i] & 0x80)
            PlotDraw(sx, sy);
    }
}

void CGerberPlotter::PlotClearRegion(const FlatPath& path, GerberRegionMemo* memo) {
    SetPolarity(true);
    PutLine("G36*");
    const std::vector<Figure> figs = Figures(path);
    if (!figs.empty()) {
        const PointF& start = path.points[figs[0].s];
        PlotMove(start.X, start.Y);
        // From here on the lines depend only on the path and the modal
        // state: the same state gives the same lines.
        if (m_file->GetCodePage() == CTextFile::CodePageUtf16)
            memo = nullptr;
        if (memo && memo->valid && memo->xIn == m_x && memo->yIn == m_y &&
            memo->interpolationIn == m_interpolation) {
            Put(memo->lines.data(), memo->lines.size());
            m_x = memo->xOut;
            m_y = memo->yOut;
            m_interpolation = memo->interpolationOut;
        } else {
            const double xIn = m_x, yIn = m_y;
            const int interpolationIn = m_interpolation;
            const size_t from = m_pendingLength;
            m_holdFlush = memo != nullptr;
            for (size_t k = 0; k < figs.size(); ++k) {
                const Figure& f = figs[k];
                if (k > 0)
                    PlotMove(path.points[f.s].X, path.points[f.s].Y);
                for (size_t i = f.s + 1; i <= f.e; ++i)
                    PlotDraw(path.points[i].X, path.points[i].Y);
                PlotDraw(path.points[f.s].X, path.points[f.s].Y);
            }
            m_holdFlush = false;
            if (memo) {
                memo->valid = true;
                memo->xIn = xIn;
                memo->yIn = yIn;
                memo->interpolationIn = interpolationIn;
                memo->lines.assign(m_pending.data() + from, m_pendingLength - from);
                memo->xOut = m_x;
                memo->yOut = m_y;
                memo->interpolationOut = m_interpolation;
            }
        }
    }
    PutLine("G37*");
}

void CGerberPlotter::PlotPathRegions(const FlatPath& path, bool clear) {
    const std::vector<Figure> figs = Figures(path);
    const size_t n = figs.size();
    std::vector<double> area(n);
    for (size_t i = 0; i < n; ++i)
        area[i] = SignedArea2(path.points, figs[i].s, figs[i].e);
    // Nesting depth by containment of a figure's first point: even depth is
    // an outer contour, odd a hole of the smallest figure around it.
    std::vector<int> depth(n, 0), parent(n, -1);
    for (size_t i = 0; i < n; ++i) {
        const PointF& q = path.points[figs[i].s];
        for (size_t j = 0; j < n; ++j) {
            if (i == j || figs[j].e - figs[j].s < 2 || std::fabs(area[j]) <= std::fabs(area[i]))
                continue;
            if (PointInFigure(path.points, figs[j].s, figs[j].e, q.X, q.Y)) {
                ++depth[i];
                if (parent[i] < 0 || std::fabs(area[j]) < std::fabs(area[size_t(parent[i])]))
                    parent[i] = int(j);
            }
        }
    }
    SetPolarity(clear);
    for (size_t o = 0; o < n; ++o) {
        if (depth[o] % 2 != 0 || figs[o].e == figs[o].s)
            continue;
        const Figure& f = figs[o];
        const PointF start = path.points[f.s];
        Line(L"G36*");
        PlotMove(start.X, start.Y);
        for (size_t i = f.s + 1; i <= f.e; ++i)
            PlotDraw(path.points[i].X, path.points[i].Y);
        PlotDraw(start.X, start.Y);
        // Holes: a cut-in from the outer start, around the hole the other
        // way, and back along the same line.
        for (size_t h = 0; h < n; ++h) {
            if (parent[h] != int(o) || depth[h] % 2 == 0)
                continue;
            const Figure& g = figs[h];
            const PointF hs = path.points[g.s];
            PlotDraw(hs.X, hs.Y);
            const bool reverse = (area[h] > 0) == (area[o] > 0);
            if (reverse) {
                for (size_t i = g.e; i > g.s; --i)
                    PlotDraw(path.points[i].X, path.points[i].Y);
            } else {
                for (size_t i = g.s + 1; i <= g.e; ++i)
                    PlotDraw(path.points[i].X, path.points[i].Y);
            }
            PlotDraw(hs.X, hs.Y);
            PlotDraw(start.X, start.Y);
        }
        Line(L"G37*");
    }
}

void FlattenOutline(const CAreaNode* first, float tolerance, FlatPath* out) {
    out->points.clear();
    out->types.clear();
    if (!first)
        return;
    GraphicsPath path;
    first->FillOutlinePath(&path);
    path.Flatten(nullptr, tolerance);
    out->points = path.Points();
    out->types = path.Types();
}

bool FlatPathsOverlap(const FlatPath& a, const FlatPath& b) {
    const std::vector<Figure> fa = Figures(a), fb = Figures(b);
    auto anyInside = [](const FlatPath& p, const std::vector<Figure>& fp, const FlatPath& q,
                        const std::vector<Figure>& fq) {
        for (const Figure& f : fp)
            for (size_t i = f.s; i <= f.e; ++i) {
                bool inside = false;
                for (const Figure& g : fq)
                    if (PointInFigure(q.points, g.s, g.e, p.points[i].X, p.points[i].Y))
                        inside = !inside;
                if (inside)
                    return true;
            }
        return false;
    };
    if (anyInside(a, fa, b, fb) || anyInside(b, fb, a, fa))
        return true;
    // Edges crossing: a track through an area with both ends outside.
    for (const Figure& f : fa)
        for (size_t i = f.s; i <= f.e; ++i) {
            const PointF& p1 = a.points[i];
            const PointF& p2 = a.points[i == f.e ? f.s : i + 1];
            for (const Figure& g : fb)
                for (size_t j = g.s; j <= g.e; ++j)
                    if (SegmentsCross(p1, p2, b.points[j], b.points[j == g.e ? g.s : j + 1]))
                        return true;
        }
    return false;
}

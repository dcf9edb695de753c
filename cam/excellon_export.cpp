#include "cam/excellon_export.h"

#include "board/area_node.h"
#include "board/board.h"
#include "board/drill.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "board/padstack.h"
#include "cam/cam_settings.h"
#include "cam/drill_order.h"
#include "cam/gerber_plot.h"
#include "cam/output_file.h"
#include "core/text_file.h"
#include "platform/file.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "schematic/package.h"

#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace {
constexpr unsigned kUnableToCreateFile = 293;
constexpr unsigned kInvalidSize = 297;
constexpr unsigned kUnwritableNumber = 303;
constexpr unsigned kFileSaveError = 301;

// Length of a Bezier piece per flattened line, as the Gerber plot uses.
constexpr double kBezierStep = 0.15;
// How far a cut along an arc whose radius the format cannot hold may lie
// from it: the format's resolution.
constexpr double kShallowArcTolerance = 0.001;

// Millimetres and inches go out with the decimals their readers assume for
// trailing-zero Excellon: 3.3 metric, 2.4 inch.
struct ExcellonFormat {
    explicit ExcellonFormat(int unit)
        : inch(unit == 0), factor(inch ? 1.0 / 25.4 : 1.0), decimals(inch ? 4 : 3),
          scale(inch ? 10000 : 1000) {}
    bool inch;
    double factor;
    int decimals;
    long long scale;
    // Scaled values stay below this: six digits in all (3.3 or 2.4).
    long long limit = 1000000;
};

// Where a point given in padstack coordinates lies on the board: the pad's
// position is added, then the footprint's placement (none for a via).
struct Placement {
    const CFootprint* footprint = nullptr;
    double dx = 0;
    double dy = 0;

    PointF operator()(double x, double y) const {
        const float px = static_cast<float>(x + dx), py = static_cast<float>(y + dy);
        return footprint ? footprint->LocalToBoard(px, py) : PointF{px, py};
    }
    bool IsBottom() const { return footprint && footprint->m_place == kPlaceBottom; }
};

// The file being written with its modal coordinate. Coordinates are compared
// as the integers written, so an X or Y is left out exactly when its digits
// would repeat.
class ExcellonWriter {
public:
    ExcellonWriter(CTextFile& file, const ExcellonFormat& format)
        : m_file(file), m_format(format) {}

    // The number as the integer of its digits. One the format cannot hold
    // (not finite, or beyond its whole digits) is noted and written as 0:
    // the file is not kept.
    long long Scaled(double mm) {
        if (!Holds(mm)) {
            if (!m_unwritable)
                m_unwritable = mm;
            return 0;
        }
        return static_cast<long long>(Digits(mm));
    }
    const std::optional<double>& Unwritable() const { return m_unwritable; }
    // Whether Scaled takes the length without noting it.
    bool Holds(double mm) const {
        return std::fabs(Digits(mm)) < static_cast<double>(m_format.limit);
    }

    // The number as fixed digits without the point: 12.5 mm -> 12500,
    // -0.25 mm -> -0250.
    std::wstring Number(long long scaled) const {
        const bool negative = scaled < 0;
        const unsigned long long a = negative ? 0ULL - static_cast<unsigned long long>(scaled)
                                              : static_cast<unsigned long long>(scaled);
        std::wstring frac = std::to_wstring(a % static_cast<unsigned long long>(m_format.scale));
        frac.insert(0, static_cast<size_t>(m_format.decimals) - frac.size(), L'0');
        return (negative ? L"-" : L"") +
               std::to_wstring(a / static_cast<unsigned long long>(m_format.scale)) + frac;
    }

    // "X..Y.." with the parts that differ from the current point (both when
    // forced); the current point follows.
    std::wstring Coord(PointF p, bool force = false) {
        const long long x = Scaled(p.X), y = Scaled(p.Y);
        std::wstring text;
        if (force || !m_hasCurrent || x != m_x)
            text += L"X" + Number(x);
        if (force || !m_hasCurrent || y != m_y)
            text += L"Y" + Number(y);
        m_x = x;
        m_y = y;
        m_hasCurrent = true;
        return text;
    }

    bool SameWritten(PointF a, PointF b) {
        return Scaled(a.X) == Scaled(b.X) && Scaled(a.Y) == Scaled(b.Y);
    }
    void Line(const std::wstring& text) { m_file.WriteString(text); }

    // Set at a tool change: the next round hole must name its position even
    // when it is the current point, or the new tool would drill nothing.
    bool m_toolChanged = false;

private:
    double Digits(double mm) const {
        return std::nearbyint(mm * m_format.factor * static_cast<double>(m_format.scale));
    }

    CTextFile& m_file;
    const ExcellonFormat& m_format;
    bool m_hasCurrent = false;
    long long m_x = 0;
    long long m_y = 0;
    std::optional<double> m_unwritable;
};

// One hole or milled path of a tool.
class CDrillUnit {
public:
    virtual ~CDrillUnit() = default;
    virtual void Write(ExcellonWriter& w) const = 0;
};

class CRoundDrill : public CDrillUnit {
public:
    explicit CRoundDrill(PointF p) : m_point(p) {}
    void Write(ExcellonWriter& w) const override {
        // A second hole at the same point gives an empty line; the first hole
        // of a tool names its point even when the last tool ended there.
        std::wstring text = w.Coord(m_point);
        if (text.empty() && w.m_toolChanged)
            text = w.Coord(m_point, true);
        w.m_toolChanged = false;
        w.Line(text);
    }
    PointF m_point;
};

class CSlot : public CDrillUnit {
public:
    CSlot(PointF start, PointF end) : m_start(start), m_end(end) {}
    void Write(ExcellonWriter& w) const override {
        const PointF mid{(m_start.X + m_end.X) / 2, (m_start.Y + m_end.Y) / 2};
        w.Line(L"G00" + w.Coord(mid));
        w.Line(L"M15");
        w.Line(L"G01" + w.Coord(m_start));
        w.Line(L"G01" + w.Coord(m_end));
        w.Line(L"M16");
    }
    PointF m_start, m_end;
};

class CMill : public CDrillUnit {
public:
    CMill(const CAreaNode* outline, Placement placement)
        : m_outline(outline), m_placement(placement) {}
    void Write(ExcellonWriter& w) const override;

private:
    // A draw to p; nothing when p is the current point as written.
    void Draw(ExcellonWriter& w, PointF p) const {
        const std::wstring text = w.Coord(p);
        if (!text.empty())
            w.Line(L"G01" + text);
    }
    void WriteArc(ExcellonWriter& w, const CAreaArc* arc, const CAreaNode* next) const;
    void WriteBezier(ExcellonWriter& w, const CAreaBezier* curve, const CAreaNode* next) const;

    const CAreaNode* m_outline;
    Placement m_placement;
};

void CMill::Write(ExcellonWriter& w) const {
    const CAreaNode* first = m_outline->m_first ? m_outline->m_first : m_outline;
    w.Line(L"G00" + w.Coord(m_placement(first->m_x, first->m_y)));
    w.Line(L"M15");
    for (const CAreaNode* node = first; node; node = node->m_next) {
        const CAreaNode* next = node->GetNextCyclic();
        const PointF start = m_placement(node->m_x, node->m_y);
        const PointF end = m_placement(next->m_x, next->m_y);
        switch (node->GetKind()) {
        case AREA_ARC:
            // A piece that ends where it starts has no direction to mill.
            if (!w.SameWritten(start, end))
                WriteArc(w, static_cast<const CAreaArc*>(node), next);
            break;
        case AREA_BEZIER:
            WriteBezier(w, static_cast<const CAreaBezier*>(node), next);
            break;
        default:
            Draw(w, end);
            break;
        }
    }
    w.Line(L"M16");
}

void CMill::WriteArc(ExcellonWriter& w, const CAreaArc* arc, const CAreaNode* next) const {
    const double x0 = arc->m_x, y0 = arc->m_y, x1 = next->m_x, y1 = next->m_y;
    const PointF end = m_placement(x1, y1);
    const double chord = std::hypot(x1 - x0, y1 - y0);
    const double d = arc->m_deviation;
    if (arc->IsStraight() || !(chord > 0)) {
        Draw(w, end);
        return;
    }
    // The mid-arc point lies d to the right of the chord's middle (y up): a
    // positive deviation turns counter-clockwise. A bottom placement mirrors
    // the turn; rotation keeps it.
    const double ux = (x1 - x0) / chord, uy = (y1 - y0) / chord;
    const double h = chord / 2;
    const double radius = std::fabs((h * h / d + d) / 2);
    const PointF mid = m_placement((x0 + x1) / 2 + d * uy, (y0 + y1) / 2 - d * ux);
    const int pieces = w.Holds(radius) ? 0 : ShallowArcPieces(h, d, kShallowArcTolerance);
    if (pieces > 0) {
        // So shallow an arc that its radius has more digits than the format.
        const double mx = (x0 + x1) / 2, my = (y0 + y1) / 2;
        for (int i = 1; i <= pieces; ++i) {
            const PointD q = ShallowArcPoint(i, pieces, mx, my, ux, uy, h, d);
            Draw(w, m_placement(q.x, q.y));
        }
        return;
    }
    const std::wstring dir = ((d > 0) != m_placement.IsBottom()) ? L"G03" : L"G02";
    const std::wstring a = L"A" + w.Number(w.Scaled(radius));
    // A radius names the shorter of two arcs: more than a half circle goes
    // out as two halves through the mid-arc point, each with its radius.
    if (radius < std::fabs(d)) {
        w.Line(dir + w.Coord(mid) + a);
        w.Line(dir + w.Coord(end) + a);
    } else {
        w.Line(dir + w.Coord(end) + a);
    }
}

void CMill::WriteBezier(ExcellonWriter& w, const CAreaBezier* curve, const CAreaNode* next) const {
    const double p0x = curve->m_x, p0y = curve->m_y;
    const double c1x = curve->m_c1x, c1y = curve->m_c1y;
    const double c2x = curve->m_c2x, c2y = curve->m_c2y;
    const double p3x = next->m_x, p3y = next->m_y;
    const double length = std::hypot(c1x - p0x, c1y - p0y) + std::hypot(c2x - c1x, c2y - c1y) +
                          std::hypot(p3x - c2x, p3y - c2y);
    int n = static_cast<int>(length / kBezierStep);
    if (n < 3)
        n = 3;
    for (int i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i) / n, s = 1 - t;
        const double b0 = s * s * s, b1 = 3 * s * s * t, b2 = 3 * s * t * t, b3 = t * t * t;
        Draw(w, m_placement(b0 * p0x + b1 * c1x + b2 * c2x + b3 * p3x,
                            b0 * p0y + b1 * c1y + b2 * c2y + b3 * p3y));
    }
}

struct Tool {
    float diameter = 0;
    std::vector<std::unique_ptr<CDrillUnit>> units;
    std::vector<PointF> points; // drill files: the hole of each unit
};

struct ToolTable {
    // Keyed by the diameter in whole micrometres.
    std::map<long, Tool> byDiameter;
    // The first diameter asked for that no tool has: not above zero, or no
    // number at all.
    std::optional<float> invalid;
};

Tool& ToolFor(ToolTable& tools, float diameter) {
    // No drill is a metre wide (nor would its size fit the tool line).
    if (!(diameter > 0 && diameter < 1000)) {
        if (!tools.invalid)
            tools.invalid = diameter;
        diameter = 0;
    }
    Tool& tool = tools.byDiameter[std::lround(static_cast<double>(diameter) * 1000.0)];
    if (tool.units.empty())
        tool.diameter = diameter;
    return tool;
}

void CollectPadstack(ToolTable& tools, const CPadstack* padstack, const CFootprint* footprint,
                     int mode) {
    const CDrill* drill = padstack->FindDrill();
    if (!drill || drill->m_drillType == kDrillNone)
        return;
    const bool plated = (mode & 2) != 0;
    const bool drillFile = (mode & 1) != 0;
    if (drill->m_nonPlated == plated || (drill->m_drillType == kDrillRound) != drillFile)
        return;
    if (drill->m_drillType == kDrillCustom && !drill->m_outline)
        return;
    for (const CTreeNode* child : padstack->GetChildren()) {
        if (child->GetType() != NodeType::Pad)
            continue;
        const PointF pad = child->m_boardPosition;
        const Placement at{footprint, pad.X, pad.Y};
        switch (drill->m_drillType) {
        case kDrillRound: {
            Tool& tool = ToolFor(tools, drill->m_diam);
            const PointF p = at(0, 0);
            tool.units.push_back(std::make_unique<CRoundDrill>(p));
            tool.points.push_back(p);
            break;
        }
        case kDrillSlot: {
            const double w = drill->m_slotWidth, h = drill->m_slotHeight;
            const double half = std::fabs(w - h) / 2;
            const PointF start = w > h ? at(-half, 0) : at(0, -half);
            const PointF end = w > h ? at(half, 0) : at(0, half);
            ToolFor(tools, static_cast<float>(std::min(w, h)))
                .units.push_back(std::make_unique<CSlot>(start, end));
            break;
        }
        case kDrillCustom:
            ToolFor(tools, drill->m_diam)
                .units.push_back(std::make_unique<CMill>(drill->m_outline, at));
            break;
        default:
            break;
        }
    }
}

void CollectFootprint(ToolTable& tools, const CFootprint* footprint, int mode) {
    for (const CTreeNode* child : footprint->GetChildren())
        if (child->GetType() == NodeType::Padstack)
            CollectPadstack(tools, static_cast<const CPadstack*>(child), footprint, mode);
}

void Collect(ToolTable& tools, CBoard* board, int mode) {
    for (CTreeNode* child : board->GetChildren()) {
        switch (child->GetType()) {
        case NodeType::Package:
            if (CFootprint* footprint = static_cast<CPackage*>(child)->GetFootprint())
                CollectFootprint(tools, footprint, mode);
            break;
        case NodeType::Net:
            for (const CTreeNode* via : child->GetChildren())
                if (via->GetType() == NodeType::Padstack)
                    CollectPadstack(tools, static_cast<const CPadstack*>(via), nullptr, mode);
            break;
        case NodeType::Mounting:
            for (const CTreeNode* fp : child->GetChildren())
                if (fp->GetType() == NodeType::Footprint)
                    CollectFootprint(tools, static_cast<const CFootprint*>(fp), mode);
            break;
        default:
            break;
        }
    }
}

// Drilling order: from the origin always to the nearest remaining hole.
void OrderNearestNeighbour(Tool& tool) {
    OrderHolesNearestFirst(tool.points);
    for (size_t k = 0; k < tool.points.size(); ++k)
        static_cast<CRoundDrill*>(tool.units[k].get())->m_point = tool.points[k];
}
} // namespace

void ShowUnwritableNumber(double value, const std::wstring& fileName) {
    const std::wstring text =
        StrPrintf(LoadStringText(kUnwritableNumber).c_str(), StrPrintf(L"%g", value).c_str());
    ShowMessageBox(text + fileName + L"'", L"Gerber", MB_OK | MB_ICONERROR);
}

void ShowInvalidSize(float mm, const std::wstring& fileName) {
    const std::wstring size = StrPrintf(L"%g mm", static_cast<double>(mm));
    ShowMessageBox(StrPrintf(LoadStringText(kInvalidSize).c_str(), size.c_str()) + fileName + L"'",
                   L"Gerber", MB_OK | MB_ICONERROR);
}

std::wstring ExcellonFileName(const std::wstring& prefix, const CBoard* board, int mode) {
    return prefix + L"." + BoardFileNamePart(board) + ((mode & 1) ? L".drill" : L".mill") +
           ((mode & 2) ? L".plated" : L".non-plated") + L".drl";
}

bool WriteExcellon(const std::wstring& prefix, CBoard* board, int mode, int unit) {
    const std::wstring fileName = ExcellonFileName(prefix, board, mode);
    COutputFile output(fileName);
    if (!output.Open(CTextFile::CodePageAnsi, false)) {
        ShowMessageBox(LoadStringText(kUnableToCreateFile) + fileName + L"'", L"Gerber",
                       MB_OK | MB_ICONERROR);
        return false;
    }
    const ExcellonFormat format(unit);
    const bool drillFile = (mode & 1) != 0;
    ExcellonWriter w(output.File(), format);
    w.Line(L"; File    : " + WithoutControlCharacters(fileName));
    w.Line(format.inch ? L"; Format  : 2.4   / Suppress Leading"
                       : L"; Format  : 3.3   / Suppress Leading");
    w.Line(std::wstring(L"; Unit    : Abs   / ") + (format.inch ? L"INCH" : L"MM"));
    w.Line(std::wstring(L"; Contents: ") + (drillFile ? L"Drill / " : L"Mill  / ") +
           ((mode & 2) ? L"Plated" : L"Non-plated"));
    w.Line(L"M48");
    w.Line(L"FMAT,2");
    w.Line(L"ICI,OFF");
    w.Line(format.inch ? L"INCH,TZ" : L"METRIC,TZ");

    ToolTable tools;
    if (board)
        Collect(tools, board, mode);
    if (tools.invalid) {
        output.Discard();
        ShowInvalidSize(*tools.invalid, fileName);
        return false;
    }
    if (tools.byDiameter.empty()) {
        output.Discard();
        return true;
    }
    int k = 0;
    for (const auto& [key, tool] : tools.byDiameter)
        w.Line(L"T" + std::to_wstring(++k) + L"C" +
               StrPrintf(L"%.4f", static_cast<double>(tool.diameter) * format.factor));
    w.Line(L"%");
    w.Line(format.inch ? L"M72" : L"M71");
    w.Line(L"G90");
    w.Line(L"G93X0Y0");
    k = 0;
    for (auto& [key, tool] : tools.byDiameter) {
        w.Line(L"T" + std::to_wstring(++k));
        w.m_toolChanged = true;
        if (drillFile)
            OrderNearestNeighbour(tool);
        for (const auto& unitPtr : tool.units)
            unitPtr->Write(w);
    }
    w.Line(L"M30");
    if (w.Unwritable()) {
        output.Discard();
        ShowUnwritableNumber(*w.Unwritable(), fileName);
        return false;
    }
    if (!output.Finish()) {
        ShowMessageBox(LoadStringText(kFileSaveError) + fileName + L"'", L"Gerber",
                       MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

bool ExportExcellon(CBoard* board, const std::wstring& prefix, int unit) {
    bool ok = true;
    for (int mode : {kExcellonDrillPlated, kExcellonDrillNonPlated, kExcellonMillPlated,
                     kExcellonMillNonPlated})
        ok = WriteExcellon(prefix, board, mode, unit) && ok;
    return ok;
}

bool ExportExcellon(CBoard* board, const std::wstring& prefix) {
    return ExportExcellon(board, prefix, g_CamSettings.unit);
}

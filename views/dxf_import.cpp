#include "views/dxf_import.h"

#include "board/area_node.h"
#include "board/board.h"
#include "board/board_undo_records.h"
#include "core/model_services.h"
#include "core/vorpel_view.h"
#include "platform/file_dialog.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "views/dxf_chain.h"
#include "views/dxf_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace {

constexpr unsigned kStrUnit = 169;
constexpr unsigned kStrUnitInch = 170; // inch, mm, mil, um
constexpr unsigned kStrNoClosedFigure = 199;
constexpr unsigned kStrNoClosedSpline = 211;
constexpr unsigned kStrReadError = 300; // "File read error "
constexpr int kStatusUnitPane = 2;

bool IsFinite(float v) {
    return std::isfinite(v);
}

enum class ConvertResult { Ok, Damaged, OpenSpline };

// The pieces made so far; deleted unless the figure is installed.
class ChainItems {
public:
    ChainItems() = default;
    ChainItems(const ChainItems&) = delete;
    ChainItems& operator=(const ChainItems&) = delete;
    ~ChainItems() {
        for (DxfChainItem& item : items)
            delete item.node;
    }
    // Takes the node; false when a number of the piece is out of the range of
    // the outline's numbers.
    bool Add(CAreaNode* node, float endX, float endY) {
        items.push_back({node, endX, endY});
        return IsFinite(node->m_x) && IsFinite(node->m_y) && IsFinite(endX) && IsFinite(endY);
    }
    // Gives the nodes up (they now belong to an outline).
    void Release() { items.clear(); }

    std::vector<DxfChainItem> items;
};

// cos and sin of an angle in degrees, exact at the quarter turns, so that
// arcs of a drawing on whole coordinates end on whole coordinates.
void CosSinDegrees(double degrees, double& c, double& s) {
    double r = std::fmod(degrees, 360.0);
    if (r < 0)
        r += 360.0;
    int quadrant = std::min(3, static_cast<int>(r / 90.0));
    if (r >= 360.0)
        quadrant = 0, r = 0;
    const double a = (r - quadrant * 90.0) * (std::numbers::pi / 180.0);
    const double c0 = std::cos(a), s0 = std::sin(a);
    switch (quadrant) {
    case 0:
        c = c0, s = s0;
        break;
    case 1:
        c = -s0, s = c0;
        break;
    case 2:
        c = -c0, s = -s0;
        break;
    default:
        c = s0, s = -c0;
        break;
    }
}

// An angle in degrees brought into (-180, 180].
float NormalisedAngle(double degrees) {
    double a = std::fmod(degrees, 360.0);
    if (a > 180.0)
        a -= 360.0;
    else if (a <= -180.0)
        a += 360.0;
    return static_cast<float>(a);
}

// The values an entity needs: null when one is missing or damaged.
const CDxfNode* Value(const CDxfNode* entity, int code) {
    const CDxfNode* item = entity->FindLast(code);
    return item && !item->IsDamaged() ? item : nullptr;
}

bool ConvertLine(const CDxfNode* entity, ChainItems& out) {
    const CDxfNode* from = Value(entity, 10);
    const CDxfNode* to = Value(entity, 11);
    if (!from || !to)
        return false;
    const DxfPointF p = from->AsPoint(), q = to->AsPoint();
    return out.Add(new CAreaSegment(&g_pActiveView, p.x, p.y), q.x, q.y);
}

// A DXF arc runs counter-clockwise from its start angle to its end angle.
// In the outline that is a positive deviation (the arc bulges to the right of
// its chord, y up): the sagitta of the minor arc, or for a sweep over a half
// turn the major arc's, which reaches past the centre.
bool ConvertArc(const CDxfNode* entity, ChainItems& out) {
    const CDxfNode* centreItem = Value(entity, 10);
    const CDxfNode* radiusItem = Value(entity, 40);
    const CDxfNode* startItem = Value(entity, 50);
    const CDxfNode* endItem = Value(entity, 51);
    if (!centreItem || !radiusItem || !startItem || !endItem)
        return false;
    const DxfPointF centre = centreItem->AsPoint();
    const double radius = radiusItem->AsDouble();
    const double a1 = startItem->AsDouble(), a2 = endItem->AsDouble();
    double c1, s1, c2, s2;
    CosSinDegrees(a1, c1, s1);
    CosSinDegrees(a2, c2, s2);
    const double x1 = centre.x + radius * c1, y1 = centre.y + radius * s1;
    const double x2 = centre.x + radius * c2, y2 = centre.y + radius * s2;
    double sweep = std::fmod(a2 - a1, 360.0);
    if (sweep < 0)
        sweep += 360.0;
    const double r = std::fabs(radius);
    const double halfChord = std::hypot(x2 - x1, y2 - y1) * 0.5;
    // Rounding can make the chord a little longer than the diameter.
    const double rise = std::sqrt(std::max(0.0, r * r - halfChord * halfChord));
    const double deviation = sweep > 180.0 ? r + rise : r - rise;

    auto* arc = new CAreaArc(&g_pActiveView, static_cast<float>(x1), static_cast<float>(y1));
    arc->m_cx = centre.x;
    arc->m_cy = centre.y;
    arc->m_radius = static_cast<float>(radius);
    arc->m_startAngle = NormalisedAngle(a1);
    arc->m_endAngle = NormalisedAngle(a2);
    arc->m_deviation = static_cast<float>(deviation);
    return out.Add(arc, static_cast<float>(x2), static_cast<float>(y2)) &&
           IsFinite(arc->m_deviation);
}

// Two half circles, the first from the rightmost point over the top.
bool ConvertCircle(const CDxfNode* entity, ChainItems& out) {
    const CDxfNode* centreItem = Value(entity, 10);
    const CDxfNode* radiusItem = Value(entity, 40);
    if (!centreItem || !radiusItem)
        return false;
    const DxfPointF c = centreItem->AsPoint();
    const float r = radiusItem->AsFloat();
    const float right = c.x + r, left = c.x - r;
    for (int half = 0; half < 2; ++half) {
        auto* arc = new CAreaArc(&g_pActiveView, half == 0 ? right : left, c.y);
        arc->m_cx = c.x;
        arc->m_cy = c.y;
        arc->m_radius = r;
        arc->m_startAngle = half == 0 ? 0.0f : -180.0f;
        arc->m_endAngle = half == 0 ? 180.0f : 0.0f;
        arc->m_deviation = r;
        if (!out.Add(arc, half == 0 ? left : right, c.y) || !IsFinite(r))
            return false;
    }
    return true;
}

// A closed run of cubic pieces given as groups of four control points, each
// group starting where the one before ended and the last ending at the very
// first point.
ConvertResult ConvertSpline(const CDxfNode* entity, ChainItems& out) {
    const CDxfNode* item = entity->FindLast(10);
    if (!item)
        return ConvertResult::OpenSpline;
    if (item->IsDamaged())
        return ConvertResult::Damaged;
    const auto* points = static_cast<const CDxfDouble3D*>(item);
    const std::size_t count = points->GetPointCount();
    if (count == 0 || count % 4 != 0)
        return ConvertResult::OpenSpline;
    std::vector<DxfPointF> p(count);
    for (std::size_t i = 0; i < count; ++i)
        p[i] = {static_cast<float>(points->GetPoint(i).x),
                static_cast<float>(points->GetPoint(i).y)};
    for (std::size_t i = 3; i < count; i += 4) {
        const DxfPointF& next = p[(i + 1) % count];
        if (!DxfPointsCoincide(p[i].x, p[i].y, next.x, next.y))
            return ConvertResult::OpenSpline;
    }
    for (std::size_t i = 0; i < count; i += 4) {
        CAreaNode* node;
        if (DxfPointsCoincide(p[i].x, p[i].y, p[i + 1].x, p[i + 1].y)) {
            node = new CAreaSegment(&g_pActiveView, p[i].x, p[i].y);
        } else {
            auto* curve = new CAreaBezier(&g_pActiveView, p[i].x, p[i].y);
            curve->m_c1x = p[i + 1].x;
            curve->m_c1y = p[i + 1].y;
            curve->m_c2x = p[i + 2].x;
            curve->m_c2y = p[i + 2].y;
            node = curve;
        }
        if (!out.Add(node, p[i + 3].x, p[i + 3].y))
            return ConvertResult::Damaged;
        if (node->m_kind == AREA_BEZIER) {
            const auto* curve = static_cast<const CAreaBezier*>(node);
            if (!IsFinite(curve->m_c1x) || !IsFinite(curve->m_c1y) || !IsFinite(curve->m_c2x) ||
                !IsFinite(curve->m_c2y))
                return ConvertResult::Damaged;
        }
    }
    return ConvertResult::Ok;
}

ConvertResult ConvertEntities(const DxfDrawing& drawing, ChainItems& out) {
    for (const CDxfNode* section : drawing.FindSections(L"ENTITIES")) {
        for (const CDxfNode* entity : section->GetChildren()) {
            bool ok = true;
            if (entity->Equals(L"LINE")) {
                ok = ConvertLine(entity, out);
            } else if (entity->Equals(L"ARC")) {
                ok = ConvertArc(entity, out);
            } else if (entity->Equals(L"CIRCLE")) {
                ok = ConvertCircle(entity, out);
            } else if (entity->Equals(L"SPLINE")) {
                const ConvertResult r = ConvertSpline(entity, out);
                if (r != ConvertResult::Ok)
                    return r;
            }
            if (!ok)
                return ConvertResult::Damaged;
        }
    }
    return ConvertResult::Ok;
}

// The drawing's measurement system: 0 inch, 1 millimetre; -1 when it names
// none (the last one given wins).
int FindMeasurement(const DxfDrawing& drawing) {
    int unit = -1;
    for (const CDxfNode* header : drawing.FindSections(L"HEADER")) {
        const auto& vars = header->GetChildren();
        for (std::size_t i = 0; i + 1 < vars.size(); ++i) {
            const CDxfNode* value = vars[i + 1];
            if (vars[i]->Equals(L"$MEASUREMENT") && value->GetCode() == 70 && !value->IsDamaged() &&
                (value->AsInt() == 0 || value->AsInt() == 1))
                unit = value->AsInt();
        }
    }
    return unit;
}

// Links the nodes, in order, into one outline and returns its first node.
// Every node gets both ends of the list at once (appending one by one would
// walk the list each time).
CAreaNode* LinkOutline(const std::vector<DxfChainItem>& items) {
    CAreaNode* first = items.front().node;
    CAreaNode* last = items.back().node;
    for (std::size_t i = 0; i < items.size(); ++i) {
        CAreaNode* node = items[i].node;
        node->m_prev = i > 0 ? items[i - 1].node : nullptr;
        node->m_next = i + 1 < items.size() ? items[i + 1].node : nullptr;
        node->m_first = first;
        node->m_last = last;
    }
    for (const DxfChainItem& item : items)
        if (item.node->m_kind == AREA_ARC)
            static_cast<CAreaArc*>(item.node)->UpdateGeometry();
    return first;
}

// The failure in a message box, or in failure when the caller takes it.
bool Refuse(std::wstring* failure, const std::wstring& text) {
    if (failure)
        *failure = text;
    else
        ShowMessageBox(text, L"Vorpel", MB_OK | MB_ICONERROR);
    return false;
}

} // namespace

bool ImportDxfOutline(CBoard* board, const std::wstring& path, std::wstring* failure) {
    if (!board)
        return false;
    DxfDrawing drawing;
    ChainItems chain;
    ConvertResult converted = ConvertResult::Damaged;
    if (!ReadDxfDrawing(path, drawing)) {
        // Missing, unreadable, or no regular file (a FIFO, a device, a folder).
        return Refuse(failure, failure ? std::wstring(L"cannot open the file")
                                       : LoadStringText(kStrReadError) + L"\n" + path);
    }
    if (!drawing.truncated)
        converted = ConvertEntities(drawing, chain);
    if (converted == ConvertResult::OpenSpline)
        return Refuse(failure, LoadStringText(kStrNoClosedSpline));
    if (converted != ConvertResult::Ok || !JoinDxfChain(chain.items))
        return Refuse(failure, LoadStringText(kStrNoClosedFigure));

    StartUndoGroup();
    PushUndo(new CUndoAreaSwap(&board->m_outline));
    board->m_outline = LinkOutline(chain.items);
    chain.Release();
    const int unit = FindMeasurement(drawing);
    if (unit >= 0) {
        // The unit is no step's: the import's Undo leaves it.
        ChangeWithoutHistory([board, unit] { board->m_unit = static_cast<uint32_t>(unit); });
        SetStatusText(kStatusUnitPane,
                      LoadStringText(kStrUnit) + L": " + LoadStringText(kStrUnitInch + unit));
    }
    RepaintWholeWindow();
    if (g_pActiveView)
        if (PlatformWindow* parent = g_pActiveView->GetParent())
            parent->SetFocus();
    return true;
}

void ImportDxfOutlineCommand(CBoard* board, PlatformWindow* owner) {
    FileDialogRequest request;
    request.owner = owner;
    request.filters = {{L"Drawing eXchange Files (*.dxf)", L"*.dxf"}};
    request.fileMustExist = true;
    if (GetOpenFileName(&request))
        ImportDxfOutline(board, request.fileName);
}

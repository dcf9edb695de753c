#include "schematic/part_primitive_shapes.h"

#include "core/default_settings.h"
#include "core/property_checkbox.h"
#include "core/property_grid.h"
#include "core/vorpel_view.h"
#include "platform/device_context.h"
#include "schematic/part_primitive_token.h"
#include "schematic/undo_part_primitive.h"

#include <algorithm>
#include <climits>
#include <cmath>

using PartGeometry::OnSegment;

// --- Shared helpers ------------------------------------------------------------

GdiBrush SelectShapeBrush(DeviceContext* dc, bool filled, bool opaque, bool selected) {
    if (filled) {
        COLORREF c = selected ? g_DefaultSettings.colorSel : g_DefaultSettings.colorSymbol;
        return dc->SelectBrush(CreateSolidBrush(c));
    }
    if (!opaque)
        return dc->SelectBrush(GetStockBrush(HOLLOW_BRUSH));
    return dc->GetBrush();
}

bool ReadCheckboxRow(int row, bool* checked) {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return false;
    auto* box = dynamic_cast<CPropertyCheckbox*>(grid->GetItem(row));
    if (!box)
        return false;
    *checked = box->GetCheck();
    return true;
}

void BeginPrimitivePropertyEdit(CPartPrimitive* primitive, DeviceContext* dc) {
    primitive->Invalidate(dc);
    if (g_pActiveView)
        g_pActiveView->GetUndoList().SetStartNewGroup(true);
    PushPartUndo(new CUndoPartPrimitiveChange(primitive));
}

void EndPrimitivePropertyEdit(CPartPrimitive* primitive, DeviceContext* dc) {
    primitive->Invalidate(dc);
    if (g_pActiveView && g_pActiveView->GetParent())
        g_pActiveView->GetParent()->SetFocus();
}

namespace {
POINT MinOf(POINT a, POINT b) {
    return POINT{std::min(a.x, b.x), std::min(a.y, b.y)};
}
POINT MaxOf(POINT a, POINT b) {
    return POINT{std::max(a.x, b.x), std::max(a.y, b.y)};
}
bool AnyPointIn(const std::vector<POINT>& points, const RECT& rect) {
    RECT r = PartGeometry::Normalized(rect);
    for (const POINT& p : points)
        if (PartGeometry::PointInRect(p, r))
            return true;
    return false;
}
} // namespace

// --- Line ----------------------------------------------------------------------

CPartLine::CPartLine(CTreeNode* owner, const std::wstring& rest) : CPartPrimitive(owner) {
    int v[4] = {0, 0, 0, 0};
    const wchar_t* p = rest.c_str();
    PartToken::ScanInts(p, v, 4);
    p1 = POINT{v[0], v[1]};
    p2 = POINT{v[2], v[3]};
}

CPartPrimitive* CPartLine::Clone(CTreeNode* newOwner) const {
    auto* copy = new CPartLine(newOwner);
    copy->CopyBaseFrom(*this, newOwner);
    copy->CopyFrom(*this);
    return copy;
}

void CPartLine::CopyFrom(const CPartPrimitive& other) {
    if (auto* o = dynamic_cast<const CPartLine*>(&other)) {
        p1 = o->p1;
        p2 = o->p2;
    }
}

bool CPartLine::IsDifferent(const CPartPrimitive& other) const {
    auto* o = dynamic_cast<const CPartLine*>(&other);
    return !o || !(p1 == o->p1) || !(p2 == o->p2);
}

std::wstring CPartLine::ToString() const {
    std::wstring s;
    AppendTo(s);
    return s;
}

void CPartLine::AppendTo(std::wstring& out) const {
    out += L'L';
    PartToken::AppendInts(out, {p1.x, p1.y, p2.x, p2.y});
}

POINT CPartLine::GetMinPoint() const {
    return MinOf(p1, p2);
}

POINT CPartLine::GetMaxPoint() const {
    return MaxOf(p1, p2);
}

void CPartLine::Draw(DeviceContext* dc, uint32_t flags, const CTreeNode* part) {
    SheetScale s = GetSheetScale();
    POINT pos = PartPosition(part);
    POINT a = s.ToLogical(pos, p1), b = s.ToLogical(pos, p2);
    dc->MoveTo(a.x, a.y);
    dc->LineTo(b.x, b.y);
    if (m_selected && (flags & kPrimSymbolEditor))
        DrawHandles(dc, part, {p1, p2});
}

bool CPartLine::IsInRect(const RECT& rect) const {
    return AnyPointIn({p1, p2}, rect);
}

bool CPartLine::HitTest(int x, int y) const {
    return OnSegment(x, y, p1, p2);
}

int CPartLine::MouseDown(DeviceContext* dc, uint32_t flags, int x, int y) {
    return TwoPointMouseDown(dc, flags, x, y, p1, p2, true);
}

int CPartLine::MouseMove(DeviceContext* dc, uint32_t flags, int x, int y) {
    return TwoPointMouseMove(dc, flags, x, y, p2);
}

// --- Rectangle and ellipse -------------------------------------------------------

void CPartBoxShape::ReadBox(const std::wstring& rest) {
    const wchar_t* p = PartToken::ScanFlags(rest.c_str(), &filled, &opaque, nullptr);
    int v[4] = {0, 0, 0, 0};
    PartToken::ScanInts(p, v, 4);
    p1 = POINT{v[0], v[1]};
    p2 = POINT{v[2], v[3]};
}

std::wstring CPartBoxShape::BoxToken(const wchar_t* tag) const {
    std::wstring s;
    AppendBoxToken(s, tag);
    return s;
}

void CPartBoxShape::AppendBoxToken(std::wstring& out, const wchar_t* tag) const {
    out += tag;
    if (filled)
        out += L'F';
    if (opaque)
        out += L'O';
    PartToken::AppendInts(out, {p1.x, p1.y, p2.x, p2.y});
}

bool CPartBoxShape::BoxDiffers(const CPartBoxShape& o) const {
    return !(p1 == o.p1) || !(p2 == o.p2) || filled != o.filled || opaque != o.opaque;
}

void CPartBoxShape::CopyBox(const CPartBoxShape& o) {
    p1 = o.p1;
    p2 = o.p2;
    filled = o.filled;
    opaque = o.opaque;
}

POINT CPartBoxShape::GetMinPoint() const {
    return MinOf(p1, p2);
}

POINT CPartBoxShape::GetMaxPoint() const {
    return MaxOf(p1, p2);
}

bool CPartBoxShape::IsInRect(const RECT& rect) const {
    return AnyPointIn({p1, {p1.x, p2.y}, {p2.x, p1.y}, p2}, rect);
}

int CPartBoxShape::MouseDown(DeviceContext* dc, uint32_t flags, int x, int y) {
    // The new shape keeps the selection the editor gave it.
    return TwoPointMouseDown(dc, flags, x, y, p1, p2, false);
}

int CPartBoxShape::MouseMove(DeviceContext* dc, uint32_t flags, int x, int y) {
    return TwoPointMouseMove(dc, flags, x, y, p2);
}

void CPartBoxShape::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->SetTitle(TitleId());
    grid->AddCheckbox(156, filled); // "Filled"
    grid->AddCheckbox(160, opaque); // "Opaque"
}

void CPartBoxShape::ApplyPropertyChange(int row) {
    if (row == 0)
        ApplyCheckboxRow(this, row, [this](bool v) { filled = v; });
    else if (row == 1)
        ApplyCheckboxRow(this, row, [this](bool v) { opaque = v; });
}

void CPartBoxShape::Draw(DeviceContext* dc, uint32_t flags, const CTreeNode* part) {
    if (IsZeroBox())
        return;
    SheetScale s = GetSheetScale();
    POINT pos = PartPosition(part);
    POINT a = s.ToLogical(pos, p1), b = s.ToLogical(pos, p2);
    GdiBrush old = SelectShapeBrush(dc, filled, opaque, m_selected != 0);
    PaintBox(dc, a, b);
    dc->SelectBrush(old);
    if (m_selected && (flags & kPrimSymbolEditor))
        DrawHandles(dc, part, {p1, p2});
}

CPartRect::CPartRect(CTreeNode* owner, const std::wstring& rest) : CPartBoxShape(owner) {
    ReadBox(rest);
}

std::wstring CPartRect::ToString() const {
    return BoxToken(L"RC");
}

void CPartRect::PaintBox(DeviceContext* dc, POINT a, POINT b) const {
    dc->Rectangle(a.x, a.y, b.x, b.y);
}

bool CPartRect::HitTest(int x, int y) const {
    if (filled)
        return PartGeometry::PointInRect(POINT{x, y},
                                         PartGeometry::Normalized({p1.x, p1.y, p2.x, p2.y}));
    POINT c12{p1.x, p2.y}, c21{p2.x, p1.y};
    return OnSegment(x, y, p1, c21) || OnSegment(x, y, c21, p2) || OnSegment(x, y, p2, c12) ||
           OnSegment(x, y, c12, p1);
}

CPartCircle::CPartCircle(CTreeNode* owner, const std::wstring& rest) : CPartBoxShape(owner) {
    ReadBox(rest);
}

std::wstring CPartCircle::ToString() const {
    return BoxToken(L"CIRC");
}

void CPartCircle::PaintBox(DeviceContext* dc, POINT a, POINT b) const {
    dc->Ellipse(a.x, a.y, b.x, b.y);
}

bool CPartCircle::HitTest(int x, int y) const {
    PartGeometry::EllipseMeasure m = PartGeometry::MeasureEllipse(p1, p2);
    double d = PartGeometry::Distance(x, y, m.cx, m.cy);
    if (filled)
        return d <= m.r;
    return std::fabs(d - m.r) < 2.0;
}

// --- Polygon -------------------------------------------------------------------

CPartPolygon::CPartPolygon(CTreeNode* owner, const std::wstring& rest) : CPartPrimitive(owner) {
    const wchar_t* p = PartToken::ScanFlags(rest.c_str(), &filled, &opaque, &closed);
    const wchar_t* end = rest.c_str() + rest.size();
    // Pairs of numbers, each number up to the next comma; a lone number at
    // the end has no partner and is dropped.
    while (p != end) {
        const wchar_t* xEnd = std::find(p, end, L',');
        if (xEnd == end)
            break;
        const wchar_t* yBegin = xEnd + 1;
        const wchar_t* yEnd = std::find(yBegin, end, L',');
        vertices.push_back(
            POINT{PartToken::LenientInt(p, xEnd), PartToken::LenientInt(yBegin, yEnd)});
        if (yEnd == end)
            break;
        p = yEnd + 1;
    }
}

std::vector<POINT*> CPartPolygon::Points() {
    std::vector<POINT*> points;
    points.reserve(vertices.size());
    for (POINT& v : vertices)
        points.push_back(&v);
    return points;
}

CPartPrimitive* CPartPolygon::Clone(CTreeNode* newOwner) const {
    auto* copy = new CPartPolygon(newOwner);
    copy->CopyBaseFrom(*this, newOwner);
    copy->CopyFrom(*this);
    return copy;
}

void CPartPolygon::CopyFrom(const CPartPrimitive& other) {
    if (auto* o = dynamic_cast<const CPartPolygon*>(&other)) {
        vertices = o->vertices;
        filled = o->filled;
        opaque = o->opaque;
        closed = o->closed;
    }
}

bool CPartPolygon::IsDifferent(const CPartPrimitive& other) const {
    auto* o = dynamic_cast<const CPartPolygon*>(&other);
    if (!o || vertices.size() != o->vertices.size())
        return true;
    for (size_t i = 0; i < vertices.size(); ++i)
        if (!(vertices[i] == o->vertices[i]))
            return true;
    return filled != o->filled || opaque != o->opaque || closed != o->closed;
}

std::wstring CPartPolygon::ToString() const {
    std::wstring s = L"POLY";
    if (filled)
        s += L'F';
    if (opaque)
        s += L'O';
    if (closed)
        s += L'C';
    for (size_t i = 0; i < vertices.size(); ++i) {
        if (i > 0)
            s += L',';
        PartToken::AppendInt(s, vertices[i].x);
        s += L',';
        PartToken::AppendInt(s, vertices[i].y);
    }
    return s;
}

POINT CPartPolygon::GetMinPoint() const {
    if (vertices.empty())
        return POINT{INT_MAX, INT_MAX};
    POINT m = vertices.front();
    for (const POINT& v : vertices)
        m = MinOf(m, v);
    return m;
}

POINT CPartPolygon::GetMaxPoint() const {
    if (vertices.empty())
        return POINT{INT_MIN, INT_MIN};
    POINT m = vertices.front();
    for (const POINT& v : vertices)
        m = MaxOf(m, v);
    return m;
}

void CPartPolygon::Draw(DeviceContext* dc, uint32_t flags, const CTreeNode* part) {
    if (vertices.empty())
        return;
    SheetScale s = GetSheetScale();
    POINT pos = PartPosition(part);
    std::vector<POINT> logical;
    logical.reserve(vertices.size());
    for (const POINT& v : vertices)
        logical.push_back(s.ToLogical(pos, v));
    GdiBrush old = SelectShapeBrush(dc, filled, opaque, m_selected != 0);
    if (closed) {
        dc->Polygon(logical.data(), static_cast<int>(logical.size()));
    } else {
        dc->MoveTo(logical[0].x, logical[0].y);
        for (size_t i = 1; i < logical.size(); ++i)
            dc->LineTo(logical[i].x, logical[i].y);
    }
    dc->SelectBrush(old);
    if (m_selected && (flags & kPrimSymbolEditor))
        DrawHandles(dc, part, vertices);
}

bool CPartPolygon::IsInRect(const RECT& rect) const {
    return AnyPointIn(vertices, rect);
}

bool CPartPolygon::HitTest(int x, int y) const {
    if (vertices.empty())
        return false;
    for (size_t i = 0; i + 1 < vertices.size(); ++i)
        if (OnSegment(x, y, vertices[i], vertices[i + 1]))
            return true;
    return closed && OnSegment(x, y, vertices.back(), vertices.front());
}

int CPartPolygon::MouseDown(DeviceContext* dc, uint32_t flags, int x, int y) {
    if (m_state == -1) {
        SelectClick(flags, x, y);
        return 0;
    }
    if (m_state != 0 && m_state != 1)
        return 0;
    POINT click{x, y};
    m_anchor = click;
    Invalidate(dc);
    if (vertices.size() >= 4 && vertices.front() == click) {
        // Back on the first vertex: the vertex following the mouse goes.
        vertices.pop_back();
        m_state = 0;
        m_selected = 0;
        Invalidate(dc);
        return 1;
    }
    vertices.push_back(click);
    if (vertices.size() == 1)
        vertices.push_back(click);
    m_state = 1;
    Invalidate(dc);
    return 0;
}

int CPartPolygon::MouseMove(DeviceContext* dc, uint32_t flags, int x, int y) {
    if (m_state == 1 && !vertices.empty()) {
        Invalidate(dc);
        vertices.back() = POINT{x, y};
        Invalidate(dc);
        return 0;
    }
    return CPartPrimitive::MouseMove(dc, flags, x, y);
}

void CPartPolygon::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->SetTitle(159); // "Polygon Properties"
    grid->AddCheckbox(156, filled);
    grid->AddCheckbox(160, opaque);
    grid->AddCheckbox(378, closed); // "Closed"
}

void CPartPolygon::ApplyPropertyChange(int row) {
    if (row == 0)
        ApplyCheckboxRow(this, row, [this](bool v) { filled = v; });
    else if (row == 1)
        ApplyCheckboxRow(this, row, [this](bool v) { opaque = v; });
    else if (row == 2)
        ApplyCheckboxRow(this, row, [this](bool v) { closed = v; });
}

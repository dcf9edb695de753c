#include "board/marking_primitive.h"

#include "board/board_undo_records.h"
#include "board/footprint.h"
#include "board/marking.h"
#include "board/marking_arc.h"
#include "board/marking_shapes.h"
#include "board/marking_text.h"
#include "board/marking_token.h"
#include "board/padstack.h"
#include "core/default_settings.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/property_checkbox.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "core/vorpel_view.h"
#include "platform/graphics.h"
#include "platform/pen.h"
#include "platform/string_table.h"

#include <algorithm>
#include <cmath>

namespace {
MarkingTokenParser g_parser = ParseMarkingToken;
} // namespace

CMarkingPrimitive::CMarkingPrimitive(CMarking* marking)
    : m_pMarking(marking),
      m_width(marking && (marking->m_layer == 30 || marking->m_layer == 31) ? 0.0f : 0.2f) {}

// --- Context ---------------------------------------------------------------

int CMarkingPrimitive::GetLayer() const {
    return m_pMarking ? m_pMarking->m_layer : -1;
}

int CMarkingPrimitive::GetHolderUnit() const {
    CTreeNode* holder = m_pMarking ? m_pMarking->GetParent() : nullptr;
    uint32_t unit = kUnitMm;
    if (holder && holder->GetType() == NodeType::Footprint)
        unit = static_cast<CFootprint*>(holder)->m_unit;
    else if (holder && holder->GetType() == NodeType::Padstack)
        unit = static_cast<CPadstack*>(holder)->m_unit;
    return unit < 4 ? static_cast<int>(unit) : kUnitMm;
}

int CMarkingPrimitive::GetHolderSide() const {
    CTreeNode* holder = m_pMarking ? m_pMarking->GetParent() : nullptr;
    if (holder && holder->GetType() == NodeType::Footprint)
        return static_cast<CFootprint*>(holder)->m_place == kPlaceBottom ? 1 : 0;
    return 0;
}

double ActiveZoomScale() {
    return g_pActiveView ? g_pActiveView->GetZoomScale() : 1.0;
}

// --- Drawing helpers -------------------------------------------------------

Color CMarkingPrimitive::DrawColor() const {
    if (m_selected)
        return Color::FromColorRef(g_DefaultSettings.colorSel, 0xFF);
    const int layer = GetLayer();
    if (layer >= 0 && layer < kBoardLayerCount)
        return Color::FromColorRef(g_DefaultSettings.layerColors[layer], 0xFF);
    return Color::FromColorRef(g_DefaultSettings.colorBoard, 0xFF);
}

Pen CMarkingPrimitive::OutlinePen() const {
    Pen pen(DrawColor(), m_width);
    pen.SetLineCap(LineCapRound, LineCapRound);
    return pen;
}

bool CMarkingPrimitive::HandlesShown(int flags) const {
    return m_selected && (flags & (kDrawPadstackEditor | kDrawFootprintEditor)) != 0;
}

void CMarkingPrimitive::DrawHandles(Graphics* g, int flags) const {
    if (!g || !HandlesShown(flags))
        return;
    const float s = static_cast<float>(5.0 / ActiveZoomScale());
    Pen black(Color(0xFF000000), s * 0.25f);
    Pen sel(Color::FromColorRef(g_DefaultSettings.colorSel, 0xFF), 0.0f);
    for (int i = 0; i < VertexCount(); ++i) {
        const PointF& v = *VertexAt(i);
        g->DrawRectangle(&black, v.X - s * 0.5f, v.Y - s * 0.5f, s, s);
        g->DrawRectangle(&sel, v.X - s * 0.5f, v.Y - s * 0.5f, s, s);
    }
}

bool CMarkingPrimitive::SegmentHit(PointF a, PointF b, float x, float y) const {
    const double t = std::max(static_cast<double>(m_width) / 2, 2.5 / ActiveZoomScale());
    const double theta = std::atan2(static_cast<double>(b.Y) - a.Y, static_cast<double>(b.X) - a.X);
    const double c = std::cos(theta), s = std::sin(theta);
    auto turnX = [&](double px, double py) { return px * c + py * s; };
    auto turnY = [&](double px, double py) { return -px * s + py * c; };
    const double x1 = turnX(a.X, a.Y), y1 = turnY(a.X, a.Y);
    const double x2 = turnX(b.X, b.Y);
    const double px = turnX(x, y), py = turnY(x, y);
    return x1 - t < px && px < x2 + t && std::fabs(py - y1) < t;
}

// --- Defaults of the geometry operations -------------------------------------

void CMarkingPrimitive::Draw(Graphics*, int) {}

bool CMarkingPrimitive::GetBounds(Graphics*, RectF*) {
    return false;
}

bool CMarkingPrimitive::HitTest(Graphics*, float, float) {
    return false;
}

int CMarkingPrimitive::HitTestVertex(Graphics*, float x, float y) {
    const double t = 2.5 / ActiveZoomScale();
    for (int i = 0; i < VertexCount(); ++i) {
        const PointF& v = *VertexAt(i);
        if (std::fabs(x - v.X) < t && std::fabs(y - v.Y) < t)
            return i;
    }
    return -1;
}

void CMarkingPrimitive::Invalidate(Graphics*) {
    if (g_pActiveView)
        g_pActiveView->InvalidateRect(nullptr, false);
}

void CMarkingPrimitive::Move(float dx, float dy) {
    for (int i = 0; i < VertexCount(); ++i) {
        PointF* v = VertexAt(i);
        v->X += dx;
        v->Y += dy;
    }
}

void TransformPointByKey(PointF* p, PointF a, wchar_t key, bool shift) {
    switch (key) {
    case L'H':
        p->X = 2 * a.X - p->X;
        break;
    case L'V':
        p->Y = 2 * a.Y - p->Y;
        break;
    case L'R': {
        const float dx = p->X - a.X, dy = p->Y - a.Y;
        if (!shift)
            *p = PointF{a.X + dy, a.Y - dx};
        else
            *p = PointF{a.X - dy, a.Y + dx};
        break;
    }
    default:
        break;
    }
}

void CMarkingPrimitive::TransformByKey(wchar_t key, bool shift) {
    for (int i = 0; i < VertexCount(); ++i)
        TransformPointByKey(VertexAt(i), m_anchor, key, shift);
    RefreshRows();
}

// --- Pointer ---------------------------------------------------------------

bool CMarkingPrimitive::EditingDown(Graphics* g, int flags, PointF p) {
    m_grabbed = HitTestVertex(g, p.X, p.Y);
    const bool hit = HitTest(g, p.X, p.Y);
    if (m_grabbed < 0 && !hit) {
        if (!(flags & (kMouseKeepSelection | kMouseCtrl)))
            m_selected = false;
    } else if (flags & kMouseCtrl) {
        m_selected = !m_selected;
    } else {
        m_selected = true;
    }
    m_dragged = 0;
    if (m_selected)
        m_anchor = g_pActiveView ? g_pActiveView->SnapToGrid(p) : p;
    return false;
}

bool CMarkingPrimitive::MouseDown(Graphics* g, int flags, float x, float y) {
    const PointF p{x, y};
    if (m_state < kMarkingEditing)
        return false; // floating: the view places the copy
    if (AnchorsOnPress())
        m_anchor = p;
    if (m_state == kMarkingEditing)
        return EditingDown(g, flags, p);
    return CreationDown(flags, p);
}

bool CMarkingPrimitive::MouseMove(Graphics* g, int flags, float x, float y) {
    const PointF p{x, y};
    const float dx = p.X - m_anchor.X, dy = p.Y - m_anchor.Y;
    const float threshold = MoveThreshold();
    if (std::fabs(dx) < threshold && std::fabs(dy) < threshold)
        return false;
    if (m_state == kMarkingFloating) {
        Invalidate(g);
        Move(dx, dy);
        m_anchor = p;
        Invalidate(g);
        return true;
    }
    if (m_state == kMarkingEditing) {
        if (!(flags & kMouseLeftButton) || !m_selected)
            return false;
        if (!m_dragged)
            PushUndo(new CUndoMarkingPrimitiveChange(this));
        m_dragged = 1;
        Invalidate(g);
        if (PointF* v = m_grabbed >= 0 ? VertexAt(m_grabbed) : nullptr)
            *v = p;
        else
            Move(dx, dy);
        m_anchor = p;
        Invalidate(g);
        return true;
    }
    if (!CreationMove(flags, p))
        return false;
    Invalidate(g);
    return true;
}

bool CMarkingPrimitive::CreationUp(int, PointF) {
    return false;
}

bool CMarkingPrimitive::MouseUp(Graphics* g, int flags, float x, float y) {
    if (m_state != kMarkingEditing && ReleaseOnlyWhileEditing())
        return CreationUp(flags, PointF{x, y});
    m_state = kMarkingIdle;
    if (!(flags & kMouseCtrl) && !m_dragged) {
        bool miss = !HitTest(g, x, y);
        if (miss && ReleaseOnlyWhileEditing())
            miss = HitTestVertex(g, x, y) < 0;
        if (miss && m_selected) {
            m_selected = false;
            Invalidate(g);
        }
    }
    return false;
}

bool CMarkingPrimitive::Finish() {
    m_state = kMarkingIdle;
    m_selected = false;
    Invalidate(nullptr);
    return true;
}

// --- Property rows -----------------------------------------------------------

void CMarkingPrimitive::RefreshRows() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (grid && grid->GetShownObject() == this)
        grid->RefreshProperties();
}

PointF* CMarkingPrimitive::PointOfRow(const Row&) {
    return nullptr;
}

void CMarkingPrimitive::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid || grid->GetShownObject() != this)
        return;
    grid->SetTitle(PropertyTitle());
    m_rows = PropertyRows();
    const int unit = PropertyUnit();
    for (const Row& row : m_rows) {
        switch (row.field) {
        case RowField::Filled:
            grid->AddCheckbox(156, m_filled);
            break;
        case RowField::Closed:
            grid->AddCheckbox(378, m_closed);
            break;
        case RowField::Width:
            grid->AddFloat(334, m_width, unit);
            break;
        case RowField::Vertex: {
            const PointF* v = PointOfRow(row);
            grid->AddPointFNamed(LoadStringText(367) + std::to_wstring(row.vertex + 1), v->X, v->Y,
                                 unit);
            break;
        }
        default: {
            static const struct {
                RowField field;
                unsigned id;
            } kNames[] = {{RowField::P1, 153},      {RowField::P2, 154},    {RowField::C1, 368},
                          {RowField::C2, 369},      {RowField::Start, 365}, {RowField::End, 366},
                          {RowField::Position, 364}};
            const PointF* v = PointOfRow(row);
            if (!v) {
                AddTextRow(*grid, row);
                break;
            }
            for (const auto& n : kNames)
                if (n.field == row.field)
                    grid->AddPointF(n.id, v->X, v->Y, unit);
            break;
        }
        }
    }
}

void CMarkingPrimitive::ApplyPropertyChange(int index) {
    if (!g_pActiveView)
        return;
    StartUndoGroup();
    PushUndo(new CUndoMarkingPrimitiveChange(this));
    CPropertyGrid* grid = GetPropertyGrid();
    const CPropertyItem* item = grid ? grid->GetItem(index) : nullptr;
    bool refill = false;
    if (item && index >= 0 && static_cast<size_t>(index) < m_rows.size()) {
        const Row row = m_rows[static_cast<size_t>(index)];
        auto* check = dynamic_cast<const CPropertyCheckbox*>(item);
        auto* edit = dynamic_cast<const CPropertyEdit*>(item);
        switch (row.field) {
        case RowField::Filled:
            if (check) {
                m_filled = check->GetCheck();
                refill = true;
            }
            break;
        case RowField::Closed:
            if (check)
                m_closed = check->GetCheck();
            break;
        case RowField::Width:
            if (edit)
                grid->ParseRowLength(item, &m_width, CPropertyGrid::LengthRange::NotNegative);
            break;
        default:
            if (PointF* v = edit ? PointOfRow(row) : nullptr)
                grid->ParsePointRow(item, v);
            else if (edit)
                ApplyTextRow(row, *grid, *edit);
            break;
        }
    }
    if (refill)
        RefreshRows();
    g_pActiveView->InvalidateRect(nullptr, false);
    if (PlatformWindow* parent = g_pActiveView->GetParent())
        parent->SetFocus();
}

void CMarkingPrimitive::ApplyTextRow(const Row&, CPropertyGrid&, const CPropertyEdit&) {}

// --- Marking text ------------------------------------------------------------

CMarkingPrimitive* ParseMarkingToken(CMarking* marking, const std::wstring& token) {
    auto starts = [&](const wchar_t* tag) { return token.compare(0, std::wcslen(tag), tag) == 0; };
    const wchar_t* s = token.c_str();
    if (starts(L"L"))
        return new CMarkingLine(marking, s + 1);
    if (starts(L"RC"))
        return new CMarkingRect(marking, s + 2);
    if (starts(L"POLY"))
        return new CMarkingPolygon(marking, s + 4);
    if (starts(L"CIRC"))
        return new CMarkingCircle(marking, s + 4);
    if (starts(L"ARC"))
        return new CMarkingArc(marking, s + 3);
    if (starts(L"CRV"))
        return new CMarkingBezier(marking, s + 3);
    if (starts(L"TXT"))
        return new CMarkingText(marking, s + 3);
    return nullptr;
}

std::vector<CMarkingPrimitive*> ParseMarkingText(CMarking* marking, const std::wstring& text) {
    std::vector<CMarkingPrimitive*> out;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find(L' ', pos);
        if (end == std::wstring::npos)
            end = text.size();
        g_markingNumberNotFinite = false;
        CMarkingPrimitive* p = ParseMarkingToken(marking, text.substr(pos, end - pos));
        // A number that is not finite ends the text, as in CMarking.
        if (g_markingNumberNotFinite) {
            delete p;
            break;
        }
        if (p)
            out.push_back(p);
        pos = end + 1;
    }
    return out;
}

std::wstring WriteMarkingText(const std::vector<CMarkingPrimitive*>& primitives) {
    std::wstring text;
    for (const CMarkingPrimitive* p : primitives) {
        if (!text.empty())
            text += L' ';
        text += p->ToString();
    }
    return text;
}

void CloneMarkingPrimitiveInto(std::vector<CMarkingPrimitive*>& out,
                               const CMarkingPrimitive* primitive) {
    CMarkingPrimitive* copy = primitive->Clone();
    copy->m_state = kMarkingFloating;
    out.push_back(copy);
}

void DeleteMarkingPrimitives(std::vector<CMarkingPrimitive*>& primitives) {
    for (CMarkingPrimitive* p : primitives)
        delete p;
    primitives.clear();
}

void SetMarkingTokenParser(MarkingTokenParser parser) {
    g_parser = parser;
}

MarkingTokenParser GetMarkingTokenParser() {
    return g_parser;
}

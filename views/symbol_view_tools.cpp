// The symbol editor's mouse and its tools: placing pins on the outline,
// moving the outline's edges, drawing primitives and texts, selecting with
// clicks and rubber bands, mirroring and rotating, deleting, and the
// program-wide clipboard of primitives.
#include "views/symbol_view.h"

#include "core/document_bounds.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "platform/device_context.h"
#include "platform/popup_menu.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "resources/menus_symbol.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/part_primitive_curves.h"
#include "schematic/part_primitive_shapes.h"
#include "schematic/part_primitive_text.h"
#include "schematic/pin.h"
#include "schematic/sheet_paint.h"
#include "schematic/text.h"
#include "schematic/undo_part_primitive.h"
#include "shell/main_frame.h"
#include "views/symbol_undo.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

constexpr unsigned kOverlayedPinsId = 144; // "Overlayed pins!"
constexpr unsigned kCaptionId = 128;       // "Vorpel"

std::vector<CPin*> PinsOf(const CTreeNode* part) {
    std::vector<CPin*> pins;
    if (part)
        for (CTreeNode* child : part->GetChildren())
            if (child->GetType() == NodeType::Pin)
                pins.push_back(static_cast<CPin*>(child));
    return pins;
}

std::vector<CText*> TextsOf(const CPackage* package) {
    std::vector<CText*> texts;
    if (package)
        for (CTreeNode* child : package->GetChildren())
            if (child->GetType() == NodeType::Text)
                texts.push_back(static_cast<CText*>(child));
    return texts;
}

RECT Normalized(RECT r) {
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    return r;
}

bool EmptyBox(const CPartPrimitive* p) {
    const POINT lo = p->GetMinPoint(), hi = p->GetMaxPoint();
    return lo.x > hi.x || lo.y > hi.y;
}

long long PlusOne(long long v) {
    return v < LLONG_MAX ? v + 1 : v;
}

} // namespace

// --- Mouse -----------------------------------------------------------------------------

void CSymbolView::OnLButtonDown(WPARAM keys, POINT client) {
    m_lastClient = client;
    SetCapture();
    auto dc = MakeDC();
    const POINT lp = ClientToLogical(client);
    const uint32_t flags = static_cast<uint32_t>(keys & 0xFFFF) | NodeFlags::SymbolView;
    const int g = Grid();
    const POINT o = PartOrigin();
    // Every press is one user action.
    m_undoList.SetStartNewGroup(true);
    switch (m_currentTool) {
    case ID_TOOL_SELECT:
        SelectObjectDown(*dc, flags, lp);
        break;
    case ID_SYM_SELECT_OUTLINE:
        OutlineDown(lp);
        break;
    case ID_SYM_SELECT_PIN:
        SelectPinDown(*dc, flags, lp);
        break;
    case ID_SYM_PLACE_PIN:
        if (m_floatingPin) {
            MoveFloatingPin(POINT{ToGridUnits(lp.x, g) - o.x, ToGridUnits(lp.y, g) - o.y});
            PlacePin();
        }
        break;
    case ID_DRAW_TEXT:
        TextClick(*dc, lp);
        break;
    default:
        if (m_drawing) {
            const POINT q{ToDrawingTenths(lp.x, g) - o.x * 10, ToDrawingTenths(lp.y, g) - o.y * 10};
            m_lastTenths = q;
            if (m_drawing->MouseDown(dc.get(), flags, q.x, q.y) == 1) {
                m_drawing = nullptr;
                CreateGraphicPrimitive();
            }
        }
        break;
    }
    if (m_currentTool != ID_DRAW_TEXT && GetParent())
        GetParent()->SetFocus();
}

void CSymbolView::OnLButtonUp(WPARAM keys, POINT client) {
    m_lastClient = client;
    if (GetCapture() == this)
        ReleaseCapture();
    auto dc = MakeDC();
    const POINT lp = ClientToLogical(client);
    const uint32_t flags = static_cast<uint32_t>(keys & 0xFFFF) | NodeFlags::SymbolView;
    const int g = Grid();
    const POINT o = PartOrigin();
    switch (m_currentTool) {
    case ID_TOOL_SELECT: {
        CPart* part = GetDrawingPart();
        if (m_hasBand) {
            EndBand();
            if (part)
                for (CPartPrimitive* p : part->m_primitives)
                    p->SetState(0);
            break;
        }
        const POINT q{ToTenths(lp.x, g) - o.x * 10, ToTenths(lp.y, g) - o.y * 10};
        if (part)
            for (CPartPrimitive* p : part->m_primitives)
                p->MouseUp(dc.get(), flags, q.x, q.y);
        for (CText* text : TextsOf(GetPackage()))
            text->MouseUpOnSheet(dc.get(), flags, lp.x, lp.y);
        break;
    }
    case ID_SYM_SELECT_OUTLINE:
        m_outlinePart = nullptr;
        break;
    case ID_SYM_SELECT_PIN:
        if (m_hasBand) {
            EndBand();
            break;
        }
        for (CPin* pin : PinsOf(GetShownPart()))
            pin->MouseUpOnSheet(dc.get(), flags, lp.x, lp.y);
        break;
    case ID_DRAW_CURVE:
        if (m_drawing) {
            const POINT q{ToDrawingTenths(lp.x, g) - o.x * 10, ToDrawingTenths(lp.y, g) - o.y * 10};
            if (m_drawing->MouseUp(dc.get(), flags, q.x, q.y) == 1) {
                m_drawing = nullptr;
                CreateGraphicPrimitive();
            }
        }
        break;
    default:
        break;
    }
    m_dragStarted = false;
}

void CSymbolView::OnRButtonDown(WPARAM, POINT client) {
    m_lastClient = client;
    SetCapture();
    if (m_currentTool == ID_TOOL_SELECT)
        ContextMenu(client, ClientToLogical(client));
}

void CSymbolView::OnMouseMove(WPARAM keys, POINT client) {
    if (keys & MK_MBUTTON) {
        m_scrollOffset.x += client.x - m_panAnchor.x;
        m_scrollOffset.y += client.y - m_panAnchor.y;
        m_panAnchor = client;
        m_lastClient = client;
        InvalidateRect(nullptr, true);
        return;
    }
    m_lastClient = client;
    auto dc = MakeDC();
    const POINT lp = ClientToLogical(client);
    const uint32_t flags = static_cast<uint32_t>(keys & 0xFFFF) | NodeFlags::SymbolView;
    const int g = Grid();
    const POINT o = PartOrigin();
    const POINT q{ToGridUnits(lp.x, g), ToGridUnits(lp.y, g)};
    if (g_MainFrame.m_statusBar.IsWindow())
        g_MainFrame.m_statusBar.SetPosition(q.x, q.y);
    const bool left = (keys & MK_LBUTTON) != 0;
    switch (m_currentTool) {
    case ID_TOOL_SELECT:
        if (m_hasBand) {
            UpdateBand(*dc, lp);
        } else if (left) {
            const POINT t{ToTenths(lp.x, g) - o.x * 10, ToTenths(lp.y, g) - o.y * 10};
            if (CPart* part = GetDrawingPart())
                for (CPartPrimitive* p : part->m_primitives)
                    p->MouseMove(dc.get(), flags, t.x, t.y);
            for (CText* text : TextsOf(GetPackage()))
                text->DragOnSheet(dc.get(), flags, lp.x, lp.y);
        }
        break;
    case ID_SYM_SELECT_OUTLINE:
        if (left)
            OutlineDrag(lp);
        break;
    case ID_SYM_SELECT_PIN:
        if (m_hasBand) {
            UpdateBand(*dc, lp);
        } else if (left) {
            for (CPin* pin : PinsOf(GetShownPart()))
                pin->DragOnSheet(dc.get(), flags, lp.x, lp.y);
        }
        break;
    case ID_SYM_PLACE_PIN: {
        const POINT rel{q.x - o.x, q.y - o.y};
        if (m_floatingPin && (rel.x != m_lastGrid.x || rel.y != m_lastGrid.y)) {
            m_lastGrid = rel;
            MoveFloatingPin(rel);
        }
        break;
    }
    case ID_DRAW_TEXT:
        MoveFloatingText(lp);
        break;
    default:
        if (m_drawing) {
            const POINT t{ToDrawingTenths(lp.x, g) - o.x * 10, ToDrawingTenths(lp.y, g) - o.y * 10};
            if (t.x != m_lastTenths.x || t.y != m_lastTenths.y) {
                m_lastTenths = t;
                m_drawing->MouseMove(dc.get(), flags, t.x, t.y);
            }
        }
        break;
    }
}

bool CSymbolView::OnKeyDown(int vk) {
    switch (vk) {
    case VK_DELETE:
        OnCommand(ID_SYM_DELETE);
        return true;
    case 'H':
    case 'R':
    case 'V':
        Transform(vk);
        return true;
    default:
        return false;
    }
}

// --- Place pin -------------------------------------------------------------------------

void CSymbolView::GiveNewPinDefaults(CPin* pin) const {
    const CTreeNode* part = pin->GetParent();
    CPin* last = nullptr;
    for (CPin* other : PinsOf(part))
        if (other != pin)
            last = other;
    if (!last) {
        pin->SetPadNames(L"1");
        return;
    }
    const std::wstring& pad = last->m_padNames.empty() ? std::wstring() : last->m_padNames.back();
    pin->SetPadNames(StrPrintf(L"%lld", PlusOne(ParseInteger(pad.c_str()))));
    // A name ending in a number counts on: D7 gives D8.
    const std::wstring& name = last->m_name;
    size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= L'0' && name[digits - 1] <= L'9')
        --digits;
    if (digits < name.size())
        pin->m_name = name.substr(0, digits) +
                      StrPrintf(L"%lld", PlusOne(ParseInteger(name.c_str() + digits)));
}

void CSymbolView::StartFloatingPin() {
    CPart* part = GetShownPart();
    if (!part)
        return;
    auto* pin = new CPin();
    part->AddChild(pin);
    GiveNewPinDefaults(pin);
    pin->SetSelected(true);
    m_undoList.SetStartNewGroup(true);
    m_undoList.AddUndo(new CUndoInsert(pin, nullptr));
    m_creationState = m_undoList.UndoStateAt(m_undoList.UndoCount() - 1);
    m_floatingPin = pin;
    ShowInPanel(pin);
    // The pin shows at once where the pointer is.
    const POINT lp = ClientToLogical(m_lastClient);
    const int g = Grid();
    const POINT o = PartOrigin();
    m_lastGrid = POINT{ToGridUnits(lp.x, g) - o.x, ToGridUnits(lp.y, g) - o.y};
    MoveFloatingPin(m_lastGrid);
}

bool CSymbolView::MoveFloatingPin(POINT q) {
    CPin* pin = m_floatingPin;
    const CTreeNode* part = pin ? pin->GetParent() : nullptr;
    if (!part)
        return false;
    const int w = part->m_size.cx, h = part->m_size.cy;
    wchar_t side = 0;
    int offset = 0;
    // A point on an edge puts the pin on that edge; the left and right edges
    // come first, so a corner takes a side pin.
    if (q.x <= 0 || q.x >= w) {
        side = q.x < 1 ? L'L' : L'R';
        offset = std::clamp(static_cast<int>(q.y), 0, std::max(h, 0));
    } else if (q.y <= 0 || q.y >= h) {
        side = q.y < 1 ? L'B' : L'T';
        offset = std::clamp(static_cast<int>(q.x), 0, std::max(w, 0));
    } else {
        return false; // inside the outline the pin stays
    }
    if (side == pin->m_side && offset == pin->m_offset)
        return false;
    pin->InvalidateOnSheet(nullptr);
    pin->m_side = side;
    pin->m_offset = offset;
    pin->InvalidateOnSheet(nullptr);
    return true;
}

void CSymbolView::PlacePin() {
    CPin* pin = m_floatingPin;
    if (!pin)
        return;
    // A pin not yet on a side has no place to stay.
    if (pin->m_side == 0) {
        MessageBeep();
        return;
    }
    for (CPin* other : PinsOf(pin->GetParent()))
        if (other != pin && other->m_side == pin->m_side && other->m_offset == pin->m_offset) {
            ShowMessageBox(LoadStringText(kOverlayedPinsId), LoadStringText(kCaptionId),
                           MB_OK | MB_ICONSTOP);
            return;
        }
    pin->SetSelected(false);
    pin->InvalidateOnSheet(nullptr);
    m_floatingPin = nullptr;
    StartFloatingPin();
}

// --- Drawing tools and text ------------------------------------------------------------

void CSymbolView::CreateGraphicPrimitive() {
    CPart* part = GetDrawingPart();
    if (!part)
        return;
    CPartPrimitive* primitive = nullptr;
    switch (m_currentTool) {
    case ID_DRAW_LINE:
        primitive = new CPartLine(part);
        break;
    case ID_DRAW_RECTANGLE: {
        auto* rect = new CPartRect(part);
        rect->opaque = true;
        primitive = rect;
        break;
    }
    case ID_DRAW_POLYGON: {
        auto* polygon = new CPartPolygon(part);
        polygon->opaque = true;
        polygon->closed = true;
        primitive = polygon;
        break;
    }
    case ID_DRAW_ELLIPSE: {
        auto* circle = new CPartCircle(part);
        circle->opaque = true;
        primitive = circle;
        break;
    }
    case ID_DRAW_ARC:
        primitive = new CPartArc(part);
        break;
    case ID_DRAW_CURVE:
        primitive = new CPartBezier(part);
        break;
    default:
        return;
    }
    primitive->SetSelected(true);
    part->m_primitives.push_back(primitive);
    m_undoList.SetStartNewGroup(true);
    m_undoList.AddUndo(
        new CUndoPartPrimitiveInsert(part, static_cast<int>(part->m_primitives.size()) - 1));
    m_creationState = m_undoList.UndoStateAt(m_undoList.UndoCount() - 1);
    m_drawing = primitive;
    m_lastTenths = POINT{INT_MIN, INT_MIN};
    ShowInPanel(primitive);
}

void CSymbolView::EndPolygon() {
    auto* polygon = dynamic_cast<CPartPolygon*>(m_drawing);
    if (!polygon)
        return;
    // The last vertex follows the pointer; the others were placed.
    const size_t placed = polygon->GetState() == 1 && !polygon->vertices.empty()
                              ? polygon->vertices.size() - 1
                              : polygon->vertices.size();
    if (placed < 2) {
        // Too little to keep: it goes like any primitive abandoned.
        DropWorkInProgress();
        return;
    }
    auto dc = MakeDC();
    polygon->Invalidate(dc.get());
    if (polygon->GetState() == 1)
        polygon->vertices.pop_back();
    polygon->SetState(0);
    polygon->SetSelected(false);
    polygon->Invalidate(dc.get());
    m_drawing = nullptr;
}

void CSymbolView::CreateFloatingText() {
    CPackage* package = GetPackage();
    if (!package)
        return;
    auto* text = new CText();
    const POINT lp = ClientToLogical(m_lastClient);
    const int tenth = std::max(1, Grid() / 10);
    const POINT o = PartOrigin();
    text->m_position = POINT{lp.x / tenth - o.x * 10, lp.y / tenth - o.y * 10};
    package->AddChild(text);
    text->SetSelected(true);
    m_undoList.SetStartNewGroup(true);
    m_undoList.AddUndo(new CUndoInsert(text, nullptr));
    m_creationState = m_undoList.UndoStateAt(m_undoList.UndoCount() - 1);
    m_floatingText = text;
    text->InvalidateOnSheet(nullptr);
    ShowInPanel(text);
    if (g_pActiveView == this)
        if (CPropertyGrid* grid = GetPropertyGrid())
            grid->BeginEditRow(0);
}

void CSymbolView::MoveFloatingText(POINT logical) {
    CText* text = m_floatingText;
    if (!text)
        return;
    const int tenth = std::max(1, Grid() / 10);
    const POINT o = PartOrigin();
    const POINT t{logical.x / tenth - o.x * 10, logical.y / tenth - o.y * 10};
    if (t.x == text->m_position.x && t.y == text->m_position.y)
        return;
    text->InvalidateOnSheet(nullptr);
    text->m_position = t;
    text->InvalidateOnSheet(nullptr);
}

void CSymbolView::TextClick(DeviceContext& dc, POINT logical) {
    // A value still being typed counts.
    if (CPropertyGrid* grid = GetPropertyGrid(); grid && grid->IsEditing())
        grid->GetList().CommitAll();
    CText* text = m_floatingText;
    CPart* shown = GetShownPart();
    CPart* drawing = GetDrawingPart();
    if (!text || !shown || !drawing)
        return;
    const std::wstring value = text->GetText();
    // An empty text could never be seen or picked again.
    if (value.empty()) {
        MessageBeep();
        return;
    }
    const int g = Grid();
    const POINT o = PartOrigin();
    const POINT q{ToDrawingTenths(logical.x, g) - o.x * 10,
                  ToDrawingTenths(logical.y, g) - o.y * 10};
    const bool inside =
        q.x >= 0 && q.x <= shown->m_size.cx * 10 && q.y >= 0 && q.y <= shown->m_size.cy * 10;
    if (inside) {
        // The text goes into the drawing; the floating one stays for more.
        const SIZE e = dc.GetTextExtentPoint32(value);
        auto* primitive = new CPartText(drawing);
        primitive->text = value;
        primitive->pos = POINT{q.x, q.y + (g > 0 ? e.cy * 10 / g : 0)};
        primitive->style = L'R';
        drawing->m_primitives.push_back(primitive);
        m_undoList.AddUndo(new CUndoPartPrimitiveInsert(
            drawing, static_cast<int>(drawing->m_primitives.size()) - 1));
        InvalidateRect(nullptr, true);
        return;
    }
    // Outside the outline the text stays where it is, a text of the package;
    // with the values it got while it floated it is one action, so that no
    // undo leaves it empty.
    if (const std::optional<size_t> at = CreationIndex())
        m_undoList.JoinGroupsFrom(*at);
    text->SetSelected(false);
    text->InvalidateOnSheet(nullptr);
    m_floatingText = nullptr;
    CreateFloatingText();
}

// --- Select pin ------------------------------------------------------------------------

void CSymbolView::SelectPinDown(DeviceContext& dc, uint32_t flags, POINT logical) {
    CPart* part = GetShownPart();
    if (!part)
        return;
    CTreeNode* hit = part->HitTestOnSheet(&dc, logical.x, logical.y);
    if (hit && hit->GetType() == NodeType::Pin && hit->GetParent() == part && hit->IsSelected())
        flags |= NodeFlags::KeepSelection;
    CPin* last = nullptr;
    for (CPin* pin : PinsOf(part)) {
        pin->MouseDownOnSheet(&dc, flags, logical.x, logical.y);
        if (pin->IsSelected())
            last = pin;
    }
    m_dragStarted = false;
    if (last) {
        ShowInPanel(last);
        return;
    }
    m_hasBand = true;
    m_band[0] = m_band[1] = logical;
    ShowInPanel(this);
}

// --- Select object ---------------------------------------------------------------------

void CSymbolView::SelectObjectDown(DeviceContext& dc, uint32_t flags, POINT logical) {
    CPart* part = GetDrawingPart();
    if (!GetShownPart() || !part)
        return;
    const int g = Grid();
    const POINT o = PartOrigin();
    const POINT q{ToTenths(logical.x, g) - o.x * 10, ToTenths(logical.y, g) - o.y * 10};
    PartPrimitiveList& list = part->m_primitives;
    const std::vector<CText*> texts = TextsOf(GetPackage());
    bool keep = false;
    for (CPartPrimitive* p : list)
        keep = keep || (p->IsSelected() && p->HitTest(q.x, q.y));
    for (CText* text : texts)
        keep = keep || (text->IsSelected() && text->HitTestOnSheet(&dc, logical.x, logical.y));
    // A vertex handle being grabbed is about that one primitive.
    for (CPartPrimitive* p : list)
        if (p->HitTestVertex(q.x, q.y))
            keep = false;
    if (keep)
        flags |= NodeFlags::KeepSelection;
    CProperty* last = nullptr;
    for (CPartPrimitive* p : list) {
        const bool was = p->IsSelected();
        p->SetState(-1);
        p->MouseDown(&dc, flags, q.x, q.y);
        if (was != p->IsSelected())
            p->Invalidate(&dc);
        if (p->IsSelected())
            last = p;
    }
    for (CText* text : texts) {
        text->MouseDownOnSheet(&dc, flags, logical.x, logical.y);
        if (text->IsSelected())
            last = text;
    }
    if (last) {
        ShowInPanel(last);
        return;
    }
    m_hasBand = true;
    m_band[0] = m_band[1] = logical;
    ShowInPanel(this);
}

// --- Rubber band -----------------------------------------------------------------------

void CSymbolView::InvalidateLogical(DeviceContext& dc, RECT logical) {
    dc.LPtoDP(&logical);
    RECT r = Normalized(logical);
    r.left += m_scrollOffset.x - 2;
    r.right += m_scrollOffset.x + 2;
    r.top += m_scrollOffset.y - 2;
    r.bottom += m_scrollOffset.y + 2;
    InvalidateRect(&r, true);
}

void CSymbolView::UpdateBand(DeviceContext& dc, POINT logical) {
    InvalidateLogical(dc, RECT{m_band[0].x, m_band[0].y, m_band[1].x, m_band[1].y});
    m_band[1] = logical;
    InvalidateLogical(dc, RECT{m_band[0].x, m_band[0].y, m_band[1].x, m_band[1].y});
    const RECT band = Normalized(RECT{m_band[0].x, m_band[0].y, m_band[1].x, m_band[1].y});
    const int g = Grid();
    if (g <= 0)
        return;
    if (m_currentTool == ID_SYM_SELECT_PIN) {
        auto units = [g](int v) { return v / g + (v > 0 ? 1 : 0); };
        const int left = units(band.left), right = units(band.right);
        const int bottom = units(band.top), top = units(band.bottom);
        for (CPin* pin : PinsOf(GetShownPart())) {
            const POINT c = pin->GetConnectionPoint();
            const bool in = c.x >= left && c.x < right && c.y >= bottom && c.y < top;
            if (in != pin->IsSelected()) {
                pin->SetSelected(in);
                pin->InvalidateOnSheet(&dc);
            }
        }
        return;
    }
    CPart* part = GetDrawingPart();
    if (!part)
        return;
    const int tenth = std::max(1, g / 10);
    const POINT o = PartOrigin();
    const POINT at = SheetPaint::Scaled(o, g);
    auto tenths = [tenth](int64_t v) { return ToInt32(v / tenth + (v > 0 ? 1 : 0)); };
    const RECT r{tenths(int64_t{band.left} - at.x), tenths(int64_t{band.top} - at.y),
                 tenths(int64_t{band.right} - at.x), tenths(int64_t{band.bottom} - at.y)};
    for (CPartPrimitive* p : part->m_primitives) {
        const bool in = p->IsInRect(r);
        if (in != p->IsSelected()) {
            p->SetSelected(in);
            p->Invalidate(&dc);
        }
    }
    // The package's texts as shown at this unit: picked when the band
    // reaches into them.
    CPart* shown = GetShownPart();
    for (CText* text : TextsOf(GetPackage())) {
        const RECT t = Normalized(text->GetDisplayRect(&dc, shown));
        const bool in = text->m_visible && shown && t.left <= band.right && band.left <= t.right &&
                        t.top <= band.bottom && band.top <= t.bottom;
        if (in != text->IsSelected()) {
            text->SetSelected(in);
            text->InvalidateOnSheet(&dc);
        }
    }
}

void CSymbolView::EndBand() {
    if (!m_hasBand)
        return;
    m_hasBand = false;
    if (IsWindow()) {
        auto dc = MakeDC();
        InvalidateLogical(*dc, RECT{m_band[0].x, m_band[0].y, m_band[1].x, m_band[1].y});
    }
}

// --- Outline ---------------------------------------------------------------------------

void CSymbolView::OutlineDown(POINT logical) {
    CPart* part = GetShownPart();
    if (!part)
        return;
    const int g = Grid();
    const POINT o = PartOrigin();
    const POINT at = SheetPaint::Scaled(o, g);
    const int x = logical.x - at.x, y = logical.y - at.y;
    const int w = SheetPaint::Scale(part->m_size.cx, g), h = SheetPaint::Scale(part->m_size.cy, g);
    const int m = g / 5;
    const bool alongY = y >= -m && y <= h + m;
    const bool alongX = x >= -m && x <= w + m;
    bool left = alongY && std::abs(x) <= m;
    bool right = alongY && std::abs(x - w) <= m;
    bool bottom = alongX && std::abs(y) <= m;
    bool top = alongX && std::abs(y - h) <= m;
    // An outline too thin to tell its edges apart moves by the far ones.
    if (left && right)
        left = false;
    if (top && bottom)
        bottom = false;
    m_edges[0] = left;
    m_edges[1] = top;
    m_edges[2] = right;
    m_edges[3] = bottom;
    const bool any = left || top || right || bottom;
    if (any != part->IsSelected()) {
        part->SetSelected(any);
        InvalidateRect(nullptr, true);
    }
    m_edgeAnchor = POINT{ToGridUnits(logical.x, g) - o.x, ToGridUnits(logical.y, g) - o.y};
    m_outlinePart = any ? part : nullptr;
    m_outlineRecorded = false;
}

void CSymbolView::OutlineDrag(POINT logical) {
    CPart* part = GetShownPart();
    if (!part || part != m_outlinePart)
        return;
    const int g = Grid();
    const POINT o = PartOrigin();
    const POINT q{ToGridUnits(logical.x, g) - o.x, ToGridUnits(logical.y, g) - o.y};
    const int dx = q.x - m_edgeAnchor.x, dy = q.y - m_edgeAnchor.y;
    if (dx == 0 && dy == 0)
        return;
    const bool left = m_edges[0], top = m_edges[1], right = m_edges[2], bottom = m_edges[3];
    const int w = part->m_size.cx, h = part->m_size.cy;
    const std::vector<CPin*> pins = PinsOf(part);
    // Every pin of the sides that stay must lie on the outline afterwards;
    // an outline keeps at least one grid step each way.
    auto fits = [&](bool horizontalSides, int from, int to) {
        if (to - from < 1)
            return false;
        for (CPin* pin : pins) {
            const bool onTopOrBottom = pin->m_side == L'T' || pin->m_side == L'B';
            const bool onLeftOrRight = pin->m_side == L'L' || pin->m_side == L'R';
            if ((horizontalSides ? onTopOrBottom : onLeftOrRight) &&
                (pin->m_offset < from || pin->m_offset > to))
                return false;
        }
        return true;
    };
    bool xOk = false, yOk = false;
    if (dx != 0 && right)
        xOk = fits(true, 0, w + dx);
    else if (dx != 0 && left)
        xOk = fits(true, dx, w);
    if (dy != 0 && top)
        yOk = fits(false, 0, h + dy);
    else if (dy != 0 && bottom)
        yOk = fits(false, dy, h);
    if (!xOk && !yOk)
        return;
    if (!m_outlineRecorded) {
        m_undoList.AddUndo(new CUndoModifyPart(part, left, top));
        m_outlineRecorded = true;
        m_outlineStart = part->m_size;
    }
    // The steps gained on the left and at the top since the press.
    auto gained = [&] {
        return POINT{left ? part->m_size.cx - m_outlineStart.cx : 0,
                     top ? part->m_size.cy - m_outlineStart.cy : 0};
    };
    const POINT gainedBefore = gained();
    const PartPrimitiveList& drawing = part->GetDrawnPrimitives();
    if (xOk) {
        m_edgeAnchor.x = q.x;
        if (right) {
            part->m_size.cx = w + dx;
        } else {
            // The left edge: the content shifts so that it stays in place.
            part->m_size.cx = w - dx;
            for (CPin* pin : pins)
                if (pin->m_side == L'T' || pin->m_side == L'B')
                    pin->m_offset -= dx;
            for (CPartPrimitive* p : drawing)
                p->Move(-10 * dx, 0);
            m_edgeAnchor.x -= dx;
        }
    }
    if (yOk) {
        m_edgeAnchor.y = q.y;
        if (top) {
            part->m_size.cy = h + dy;
        } else {
            part->m_size.cy = h - dy;
            for (CPin* pin : pins)
                if (pin->m_side == L'L' || pin->m_side == L'R')
                    pin->m_offset -= dy;
            for (CPartPrimitive* p : drawing)
                p->Move(0, -10 * dy);
            m_edgeAnchor.y -= dy;
        }
    }
    FollowOutline(gainedBefore, gained());
    InvalidateRect(nullptr, true);
    PlaceBar();
}

void CSymbolView::FollowOutline(POINT from, POINT to) {
    auto dc = MakeDC();
    const int g = Grid();
    // The same magnitude for a count and its negation, so that a move and
    // its undoing cancel to the pixel.
    auto length = [&](int steps) {
        return dc->ToDevice(POINT{SheetPaint::Scale(steps, g), 0}).x - dc->ToDevice(POINT{0, 0}).x;
    };
    m_scrollOffset.x -= length(to.x) - length(from.x);
    m_scrollOffset.y -= length(to.y) - length(from.y);
}

// --- Edits -----------------------------------------------------------------------------

std::vector<CPartPrimitive*> CSymbolView::SelectedPrimitives() const {
    std::vector<CPartPrimitive*> out;
    if (CPart* part = GetDrawingPart())
        for (CPartPrimitive* p : part->m_primitives)
            if (p->IsSelected() && p != m_drawing)
                out.push_back(p);
    return out;
}

void CSymbolView::Transform(int key) {
    const std::vector<CPartPrimitive*> selected = SelectedPrimitives();
    if (selected.empty())
        return;
    // About the mean of the box centres.
    int64_t sx = 0, sy = 0, n = 0;
    for (CPartPrimitive* p : selected) {
        if (EmptyBox(p))
            continue;
        const POINT lo = p->GetMinPoint(), hi = p->GetMaxPoint();
        sx += (static_cast<int64_t>(lo.x) + hi.x) / 2;
        sy += (static_cast<int64_t>(lo.y) + hi.y) / 2;
        ++n;
    }
    if (n == 0)
        return;
    g_TransformPivot = POINT{static_cast<int>(sx / n), static_cast<int>(sy / n)};
    auto dc = MakeDC();
    m_undoList.SetStartNewGroup(true);
    for (CPartPrimitive* p : selected) {
        m_undoList.AddUndo(new CUndoPartPrimitiveChange(p));
        p->Invalidate(dc.get());
        p->TransformByKey(key);
        p->Invalidate(dc.get());
    }
    if (g_pActiveView == this)
        if (CPropertyGrid* grid = GetPropertyGrid())
            grid->RefreshProperties();
}

void CSymbolView::DeleteSelection() {
    CPackage* package = GetPackage();
    if (!package)
        return;
    auto dc = MakeDC();
    m_undoList.SetStartNewGroup(true);
    if (m_currentTool == ID_SYM_SELECT_PIN) {
        for (CPin* pin : PinsOf(GetShownPart()))
            pin->DeleteOnSheet(dc.get(), NodeFlags::SymbolView);
        ValidatePanel();
        return;
    }
    const std::vector<CTreeNode*> children = package->GetChildren();
    for (CTreeNode* child : children)
        if (child->GetType() != NodeType::Part && child != m_floatingText)
            child->DeleteOnSheet(dc.get(), NodeFlags::SymbolView);
    if (CPart* part = GetDrawingPart()) {
        PartPrimitiveList& list = part->m_primitives;
        CPropertyGrid* grid = GetPropertyGrid();
        for (size_t i = 0; i < list.size();) {
            CPartPrimitive* p = list[i];
            if (!p->IsSelected() || p == m_drawing) {
                ++i;
                continue;
            }
            p->Invalidate(dc.get());
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
            m_undoList.AddUndo(new CUndoPartPrimitiveDelete(part, static_cast<int>(i), p));
            if (grid)
                grid->OnObjectRemoved(p);
        }
    }
    ShowInPanel(this);
}

void CSymbolView::CopyOrCut(int cut) {
    const std::vector<CPartPrimitive*> selected = SelectedPrimitives();
    if (selected.empty())
        return;
    POINT lo{INT_MAX, INT_MAX};
    for (CPartPrimitive* p : selected) {
        const POINT m = p->GetMinPoint();
        lo.x = std::min(lo.x, m.x);
        lo.y = std::min(lo.y, m.y);
    }
    if (lo.x == INT_MAX || lo.y == INT_MAX)
        lo = POINT{0, 0};
    auto& clipboard = SymbolClipboard();
    clipboard.clear();
    m_undoList.SetStartNewGroup(true);
    for (CPartPrimitive* p : selected) {
        std::unique_ptr<CPartPrimitive> copy(p->Clone(nullptr));
        copy->Move(-lo.x, -lo.y);
        copy->SetState(0);
        clipboard.push_back(std::move(copy));
    }
    if (!cut)
        return;
    CPart* part = GetDrawingPart();
    PartPrimitiveList& list = part->m_primitives;
    auto dc = MakeDC();
    CPropertyGrid* grid = GetPropertyGrid();
    for (CPartPrimitive* p : selected) {
        auto it = std::find(list.begin(), list.end(), p);
        if (it == list.end())
            continue;
        const int index = static_cast<int>(it - list.begin());
        p->Invalidate(dc.get());
        list.erase(it);
        m_undoList.AddUndo(new CUndoPartPrimitiveDelete(part, index, p));
        if (grid)
            grid->OnObjectRemoved(p);
    }
    ShowInPanel(this);
}

void CSymbolView::Paste() {
    auto& clipboard = SymbolClipboard();
    CPart* part = GetDrawingPart();
    if (clipboard.empty() || !part)
        return;
    const int g = Grid();
    const POINT o = PartOrigin();
    const POINT lp = ClientToLogical(m_lastClient);
    const POINT q{ToTenths(lp.x, g) - o.x * 10, ToTenths(lp.y, g) - o.y * 10};
    PartPrimitiveList& list = part->m_primitives;
    auto dc = MakeDC();
    for (CPartPrimitive* p : list)
        if (p->IsSelected() && p != m_drawing) {
            p->SetSelected(false);
            p->Invalidate(dc.get());
        }
    m_undoList.SetStartNewGroup(true);
    CPartPrimitive* last = nullptr;
    for (const auto& entry : clipboard) {
        CPartPrimitive* copy = entry->Clone(part);
        copy->Move(q.x, q.y);
        list.push_back(copy);
        m_undoList.AddUndo(new CUndoPartPrimitiveInsert(part, static_cast<int>(list.size()) - 1));
        last = copy;
    }
    if (last)
        ShowInPanel(last);
    InvalidateRect(nullptr, true);
}

void CSymbolView::ContextMenu(POINT client, POINT logical) {
    CPart* part = GetDrawingPart();
    if (!part || !GetShownPart())
        return;
    const int g = Grid();
    const POINT o = PartOrigin();
    const POINT q{ToTenths(logical.x, g) - o.x * 10, ToTenths(logical.y, g) - o.y * 10};
    auto dc = MakeDC();
    for (CPartPrimitive* p : part->m_primitives)
        if (!p->IsSelected() && p->HitTest(q.x, q.y)) {
            p->SetSelected(true);
            p->Invalidate(dc.get());
        }
    for (CText* text : TextsOf(GetPackage()))
        if (text->IsSelected()) {
            text->SetSelected(false);
            text->InvalidateOnSheet(dc.get());
        }
    const bool selected = !SelectedPrimitives().empty();
    const bool clipboard = !SymbolClipboard().empty();
    if (!selected && !clipboard)
        return;
    std::shared_ptr<PopupMenu> menu = BuildPopupMenu(SymbolViewMenu().items.front().items);
    menu->EnableItem(ID_EDIT_PASTE, clipboard);
    for (unsigned id : {static_cast<unsigned>(ID_EDIT_CUT), static_cast<unsigned>(ID_EDIT_COPY),
                        ID_SYM_MIRROR_VERTICALLY, ID_SYM_MIRROR_HORIZONTALLY, ID_SYM_ROTATE})
        menu->EnableItem(id, selected);
    const POINT screen = ClientToScreen(client);
    const int command =
        TrackPopupMenu(*menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x, screen.y, this);
    // The menu took the button's release.
    if (GetCapture() == this)
        ReleaseCapture();
    if (command != 0)
        OnCommand(command);
}

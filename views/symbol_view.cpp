// The symbol editor's window: creation, painting with the grid, zoom to fit,
// the unit bar, the keyboard, the tools' start and end, undo and redo, the
// package's rows in the property panel and the power pins.
#include "views/symbol_view.h"

#include "core/default_settings.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/property_combobox.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "dialogs/add_power_pin.h"
#include "platform/device_context.h"
#include "platform/key_state.h"
#include "platform/paint_target.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "resources/menus_symbol.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/part_primitive_list.h"
#include "schematic/part_primitive_text.h"
#include "schematic/pin.h"
#include "schematic/sheet_paint.h"
#include "schematic/text.h"
#include "schematic/undo_part_primitive.h"
#include "shell/main_frame.h"
#include "views/part_board.h"
#include "views/symbol_undo.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

// The eleven tools, in toolbar order.
constexpr int kTools[] = {ID_TOOL_SELECT,   ID_SYM_SELECT_OUTLINE, ID_SYM_SELECT_PIN,
                          ID_SYM_PLACE_PIN, ID_DRAW_LINE,          ID_DRAW_RECTANGLE,
                          ID_DRAW_POLYGON,  ID_DRAW_ELLIPSE,       ID_DRAW_ARC,
                          ID_DRAW_CURVE,    ID_DRAW_TEXT};

constexpr unsigned kCaptionId = 128;       // "Vorpel"
constexpr unsigned kDeleteCaptionId = 379; // "Delete"
// Grid dots closer than this many pixels would only grey the window.
constexpr int kMinDotSpacing = 4;

bool IsTool(int id) {
    return std::find(std::begin(kTools), std::end(kTools), id) != std::end(kTools);
}

AcceleratorTable TableOf(const std::vector<AcceleratorResourceEntry>& entries) {
    std::vector<Accelerator> table;
    for (const AcceleratorResourceEntry& e : entries)
        table.push_back(Accelerator{e.flags, e.key, e.command});
    return AcceleratorTable(std::move(table));
}

// Division rounding toward minus infinity.
int FloorDiv(int v, int d) {
    int q = v / d;
    return (v % d != 0 && (v < 0) != (d < 0)) ? q - 1 : q;
}
int64_t FloorDiv64(int64_t v, int64_t d) {
    const int64_t q = v / d;
    return (v % d != 0 && (v < 0) != (d < 0)) ? q - 1 : q;
}

bool ContainsObject(CTreeNode* node, const CProperty* object) {
    if (static_cast<const CProperty*>(node) == object)
        return true;
    if (node->GetType() == NodeType::Part)
        for (CPartPrimitive* p : static_cast<CPart*>(node)->m_primitives)
            if (static_cast<const CProperty*>(p) == object)
                return true;
    for (CTreeNode* child : node->GetChildren())
        if (ContainsObject(child, object))
            return true;
    return false;
}

} // namespace

std::vector<std::unique_ptr<CPartPrimitive>>& SymbolClipboard() {
    static std::vector<std::unique_ptr<CPartPrimitive>> clipboard;
    return clipboard;
}

// --- Snapping ----------------------------------------------------------------------

int CSymbolView::ToGridUnits(int v, int g) {
    if (g <= 0)
        return 0;
    const int64_t h = v > 0 ? g / 2 : -(g / 2);
    return static_cast<int>((static_cast<int64_t>(v) + h) / g);
}

int CSymbolView::ToTenths(int v, int g) {
    if (g <= 0)
        return 0;
    const int64_t h = v > 0 ? g / 2 : -(g / 2);
    return static_cast<int>((static_cast<int64_t>(v) * 10 + h) / g);
}

int CSymbolView::ToDrawingTenths(int v, int g) {
    if (g <= 0)
        return 0;
    return static_cast<int>((static_cast<int64_t>(v) * 10 + g / 2) / g);
}

// --- Construction ------------------------------------------------------------------

CSymbolView::CSymbolView(CPackage* package)
    : CVorpelView(package), m_accelerators(TableOf(SymbolViewAccelerators())) {
    m_currentTool = ID_SYM_SELECT_PIN;
}

CSymbolView::~CSymbolView() {
    DestroyWindow();
}

CPackage* CSymbolView::GetPackage() const {
    return static_cast<CPackage*>(m_pDocument);
}

int CSymbolView::GetPartCount() const {
    return GetPackage() ? GetPackage()->GetPartCount() : 0;
}

int CSymbolView::GetShownUnit() const {
    const int count = GetPartCount();
    if (count <= 0)
        return 0;
    return static_cast<int>(std::min<uint32_t>(m_shownUnit, static_cast<uint32_t>(count - 1)));
}

CPart* CSymbolView::GetShownPart() const {
    return GetPackage() ? GetPackage()->GetPart(GetShownUnit()) : nullptr;
}

CPart* CSymbolView::GetDrawingPart() const {
    CPackage* package = GetPackage();
    if (!package)
        return nullptr;
    return package->m_heterogeneous ? GetShownPart() : package->GetPart(0);
}

POINT CSymbolView::PartOrigin() const {
    CPart* part = GetShownPart();
    return part ? part->m_position : POINT{0, 0};
}

SIZE CSymbolView::GetDocumentExtent() const {
    CPart* part = GetShownPart();
    if (!part)
        return SIZE{0, 0};
    const int g = m_textHeight;
    return SIZE{SheetPaint::Scale(part->m_size.cx, g), SheetPaint::Scale(part->m_size.cy, g)};
}

std::unique_ptr<DeviceContext> CSymbolView::MakeDC() const {
    int width = 960, height = 960;
    if (IsWindow()) {
        const RECT c = GetClientRect();
        width = std::max(1, static_cast<int>(c.right - c.left));
        height = std::max(1, static_cast<int>(c.bottom - c.top));
    }
    auto dc = std::make_unique<DeviceContext>(width, height);
    const_cast<CSymbolView*>(this)->PrepareDC(dc.get());
    dc->SelectFont(GetFont());
    return dc;
}

POINT CSymbolView::ClientToLogical(POINT client) const {
    auto dc = MakeDC();
    POINT p{client.x - m_scrollOffset.x, client.y - m_scrollOffset.y};
    dc->DPtoLP(&p, 1);
    return p;
}

POINT CSymbolView::LogicalToClient(POINT logical) const {
    auto dc = MakeDC();
    dc->LPtoDP(&logical, 1);
    return POINT{logical.x + m_scrollOffset.x, logical.y + m_scrollOffset.y};
}

// --- Messages ----------------------------------------------------------------------

bool CSymbolView::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        result = 0;
        return true;
    case WM_DESTROY:
        // Nothing half made stays in the document when the tab closes.
        DropWorkInProgress();
        if (m_partBoard)
            m_partBoard->DestroyWindow();
        OnDestroy();
        result = 0;
        return true;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            PlaceBar();
        result = 0;
        return true;
    case WM_PAINT:
        OnPaint();
        result = 0;
        return true;
    case WM_SHOWWINDOW:
        if (wParam)
            OnShown();
        result = 0;
        return true;
    case WM_KEYDOWN:
        if (OnKeyDown(static_cast<int>(wParam))) {
            result = 0;
            return true;
        }
        break;
    case WM_LBUTTONDOWN:
        OnLButtonDown(wParam, point);
        result = 0;
        return true;
    case WM_LBUTTONUP:
        OnLButtonUp(wParam, point);
        result = 0;
        return true;
    case WM_RBUTTONDOWN:
        OnRButtonDown(wParam, point);
        result = 0;
        return true;
    case WM_RBUTTONUP:
        if (GetCapture() == this)
            ReleaseCapture();
        result = 0;
        return true;
    case WM_MBUTTONDOWN:
        m_panAnchor = point;
        if (GetParent())
            GetParent()->SetFocus();
        result = 0;
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, point);
        result = 0;
        return true;
    case WM_COMMAND:
        if (OnCommand(static_cast<int>(LOWORD(wParam)))) {
            result = 0;
            return true;
        }
        break;
    default:
        break;
    }
    return CVorpelView::ProcessWindowMessage(msg, wParam, lParam, result);
}

void CSymbolView::OnCreate() {
    SetBackgroundColor(g_DefaultSettings.colorBkg);
    // The panel starts on the package: nothing in it starts selected.
    DeselectSubtree(GetPackage());
    m_partBoard = std::make_unique<CPartBoard>(this);
    m_partBoard->Create(this);
    SyncUnitBar();
    PlaceBar();
    ZoomAll();
    CVorpelView::OnCreate();
    OnShown();
    UpdateCursor();
}

void CSymbolView::OnShown() {
    UpdateToolButtons();
    if (g_MainFrame.m_statusBar.IsWindow()) {
        g_MainFrame.m_statusBar.SetNetText(nullptr);
        g_MainFrame.m_statusBar.SetUnit(-1);
    }
}

void CSymbolView::PlaceBar() {
    if (!m_partBoard || !m_partBoard->IsWindow() || !IsWindow())
        return;
    const RECT bar = m_partBoard->GetRectInParent();
    const int width = bar.right - bar.left, height = bar.bottom - bar.top;
    const RECT c = GetClientRect();
    const int left = (c.right - c.left - width) / 2;
    m_partBoard->MoveWindow(RECT{left, 0, left + width, height});
}

void CSymbolView::SyncUnitBar() {
    const int count = GetPartCount();
    m_shownUnit = static_cast<uint32_t>(GetShownUnit());
    if (!m_partBoard || !m_partBoard->IsWindow())
        return;
    const bool several = count > 1;
    m_partBoard->EnableWindow(several);
    m_partBoard->ShowWindow(several);
    m_partBoard->ShowPart();
}

void CSymbolView::UpdateToolButtons() {
    for (int id : kTools)
        g_MainFrame.UISetCheck(id, id == m_currentTool);
}

void CSymbolView::UpdateCursor() {
    switch (m_currentTool) {
    case ID_SYM_PLACE_PIN:
    case ID_DRAW_LINE:
    case ID_DRAW_RECTANGLE:
    case ID_DRAW_POLYGON:
    case ID_DRAW_ELLIPSE:
    case ID_DRAW_ARC:
    case ID_DRAW_CURVE:
        SetClassCursor(CursorShape::Cross);
        break;
    case ID_DRAW_TEXT:
        SetClassCursor(CursorShape::IBeam);
        break;
    default:
        SetClassCursor(CursorShape::Arrow);
        break;
    }
}

// --- Painting ----------------------------------------------------------------------

void CSymbolView::OnPaint() {
    PaintStruct ps;
    PaintTarget* target = BeginPaint(&ps);
    if (target) {
        DeviceContext dc(*target);
        PrepareDC(&dc);
        dc.SetViewportOrg(m_scrollOffset.x, m_scrollOffset.y);
        const int g = Grid();
        const POINT o = PartOrigin();
        const SIZE extent = GetDocumentExtent();
        const POINT at = SheetPaint::Scaled(o, g);
        const RECT doc{at.x, at.y + extent.cy, at.x + extent.cx, at.y};
        dc.FillRect(doc, CreateSolidBrush(g_DefaultSettings.colorBkg));
        DrawGrid(dc);
        dc.SetBkMode(TRANSPARENT);
        dc.SelectFont(GetFont());
        Draw(&dc);
        if (CPart* part = GetShownPart()) {
            const COLORREF color =
                part->IsSelected() ? g_DefaultSettings.colorSel : g_DefaultSettings.colorSymbol;
            const int width = static_cast<int>(g_DefaultSettings.wireWidth * 100.0f + 0.5f);
            const GdiPen oldPen = dc.SelectPen(
                ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, width, color, {40, 40}));
            const GdiBrush oldBrush = dc.SelectBrush(GetStockBrush(HOLLOW_BRUSH));
            dc.Rectangle(doc.left, doc.top, doc.right, doc.bottom);
            dc.SelectBrush(oldBrush);
            dc.SelectPen(oldPen);
        }
    }
    EndPaint(&ps);
}

void CSymbolView::DrawGrid(DeviceContext& dc) {
    const int g = Grid();
    if (g <= 0)
        return;
    RECT clip{};
    dc.GetClipBox(&clip);
    const POINT o = PartOrigin();
    const SIZE extent = GetDocumentExtent();
    const POINT at = SheetPaint::Scaled(o, g);
    const int docLeft = at.x, docBottom = at.y;
    // Only the clip box shows: the grid is drawn there alone, however far
    // the outline reaches.
    const int left = std::min(clip.left, clip.right);
    const int right = std::max(clip.left, clip.right);
    const int bottom = std::min(clip.top, clip.bottom);
    const int top = std::max(clip.top, clip.bottom);
    const int step = std::abs(dc.ToDevice(POINT{g, 0}).x - dc.ToDevice(POINT{0, 0}).x);
    const double s = GetZoomScale();
    if (s > 1.0) {
        const GdiPen old = dc.SelectPen(CreatePen(PS_SOLID, 0, g_DefaultSettings.colorGrid));
        for (int x = (FloorDiv(left, g) + 1) * g; x < right; x += g) {
            dc.MoveTo(x, bottom);
            dc.LineTo(x, top);
        }
        for (int y = (FloorDiv(bottom, g) + 1) * g; y < top; y += g) {
            dc.MoveTo(left, y);
            dc.LineTo(right, y);
        }
        dc.SelectPen(old);
    } else if (step >= kMinDotSpacing) {
        for (int x = (left / g) * g; x < right; x += g)
            for (int y = (top / g) * g; y >= bottom; y -= g)
                dc.SetPixel(x, y, g_DefaultSettings.colorDot);
    }
    // Tenths of the grid inside the outline when zoomed far in.
    if (s > 4.0 && extent.cx > 0 && extent.cy > 0) {
        // In tenths of a step from the outline's corner, in 64 bits: the
        // corner may lie far from the clip box.
        const int64_t clipLeft = int64_t{left} - docLeft, clipRight = int64_t{right} - docLeft;
        const int64_t clipBottom = int64_t{bottom} - docBottom, clipTop = int64_t{top} - docBottom;
        const int64_t iFirst = std::max<int64_t>(0, FloorDiv64(clipLeft * 10, g));
        const int64_t iLast =
            std::min<int64_t>(int64_t{extent.cx} * 10 / g, FloorDiv64(clipRight * 10, g) + 1);
        const int64_t jFirst = std::max<int64_t>(0, FloorDiv64(clipBottom * 10, g));
        const int64_t jLast =
            std::min<int64_t>(int64_t{extent.cy} * 10 / g, FloorDiv64(clipTop * 10, g) + 1);
        for (int64_t i = iFirst; i <= iLast; ++i)
            for (int64_t j = jFirst; j <= jLast; ++j)
                dc.SetPixel(SheetPaint::Held(docLeft + g * i / 10),
                            SheetPaint::Held(docBottom + g * j / 10), g_DefaultSettings.colorDot);
    }
}

void CSymbolView::Draw(DeviceContext* dc) {
    const int count = GetPartCount();
    if (count > 0 && m_shownUnit >= static_cast<uint32_t>(count))
        m_shownUnit = static_cast<uint32_t>(count - 1);
    CPart* part = GetShownPart();
    const GdiBrush oldBrush = dc->SelectBrush(CreateSolidBrush(g_DefaultSettings.colorBkg));
    if (part)
        part->DrawOnSheet(dc, NodeFlags::SymbolView);
    if (m_hasBand) {
        const GdiPen oldPen = dc->SelectPen(CreatePen(PS_DOT, 0, 0x000000));
        dc->SelectBrush(GetStockBrush(HOLLOW_BRUSH));
        dc->Rectangle(m_band[0].x, m_band[0].y, m_band[1].x, m_band[1].y);
        dc->SelectPen(oldPen);
    }
    dc->SelectBrush(oldBrush);
}

// --- Zoom ----------------------------------------------------------------------------

RECT CSymbolView::DrawnBounds(DeviceContext* dc, CPart* part) const {
    const int g = Grid();
    const POINT o = SheetPaint::Scaled(part->m_position, g);
    // The outline and a pin's length around it.
    RECT b{o.x - g, o.y - g, o.x + SheetPaint::Scale(int64_t{part->m_size.cx} + 1, g),
           o.y + SheetPaint::Scale(int64_t{part->m_size.cy} + 1, g)};
    auto add = [&b](RECT r) {
        b.left = std::min({b.left, r.left, r.right});
        b.right = std::max({b.right, r.left, r.right});
        b.top = std::min({b.top, r.top, r.bottom});
        b.bottom = std::max({b.bottom, r.top, r.bottom});
    };
    POINT lo{}, hi{};
    if (GetPartPrimitivesExtent(part->GetDrawnPrimitives(), &lo, &hi)) {
        const SheetScale scale{g, 1.0};
        const POINT a = scale.ToLogical(part->m_position, lo);
        const POINT z = scale.ToLogical(part->m_position, hi);
        add(RECT{a.x, a.y, z.x, z.y});
    }
    // Texts reach beyond the points that place them.
    for (CPartPrimitive* p : part->GetDrawnPrimitives())
        if (auto* text = dynamic_cast<CPartText*>(p))
            add(text->GetDrawRect(dc, part->m_position));
    for (CTreeNode* child : part->GetChildren()) {
        if (child->GetType() != NodeType::Pin)
            continue;
        auto* pin = static_cast<CPin*>(child);
        if (!pin->m_name.empty())
            add(pin->GetNameRect(dc));
        if (!pin->m_numberHidden)
            add(pin->GetNumberRect(dc));
    }
    CPackage* package = part->GetPackage();
    if (package && !part->TouchesOtherPart())
        for (CTreeNode* child : package->GetChildren())
            if (child->GetType() == NodeType::Text && static_cast<CText*>(child)->m_visible)
                add(static_cast<CText*>(child)->GetDisplayRect(dc, part));
    // A power symbol's net name.
    add(part->GetBoundsOnSheet(dc));
    return b;
}

void CSymbolView::ZoomAll() {
    CPart* part = GetShownPart();
    if (!IsWindow() || !part)
        return;
    const RECT c = GetVisibleClientRect();
    const int cw = c.right - c.left, ch = c.bottom - c.top;
    // Without a client area there is nothing to fit into: the zoom stays.
    if (cw <= 0 || ch <= 0)
        return;
    // The model measures its texts in the active view's grid and fonts.
    CVorpelView* const active = g_pActiveView;
    g_pActiveView = this;
    int factor = kMaxZoomFactor, mode = 1;
    POINT a{}, z{};
    for (;;) {
        if (mode) {
            factor /= 2;
            if (factor == 0) {
                factor = 2;
                mode = 0;
            }
        } else {
            factor *= 2;
        }
        SetZoom(factor, mode);
        auto dc = MakeDC();
        // Measured at each scale: a font's extent does not scale exactly.
        const RECT b = DrawnBounds(dc.get(), part);
        a = dc->ToDevice(POINT{b.left, b.bottom});
        z = dc->ToDevice(POINT{b.right, b.top});
        const bool fits = std::llabs(static_cast<int64_t>(z.x) - a.x) <= cw &&
                          std::llabs(static_cast<int64_t>(z.y) - a.y) <= ch;
        // The smallest scale there is ends the search.
        if (fits || (mode == 0 && factor >= kMaxZoomFactor))
            break;
    }
    auto centre = [](int extent, int from, int to) {
        const int64_t offset = extent / 2 - (static_cast<int64_t>(from) + to) / 2;
        return static_cast<int>(std::clamp<int64_t>(offset, INT32_MIN / 2, INT32_MAX / 2));
    };
    m_scrollOffset.x = c.left + centre(cw, a.x, z.x);
    m_scrollOffset.y = c.top + centre(ch, a.y, z.y);
    g_pActiveView = active;
}

// --- Units ---------------------------------------------------------------------------

void CSymbolView::StepUnit(int delta) {
    const int count = GetPartCount();
    // A package without parts has nothing to step through.
    if (count <= 0)
        return;
    const int64_t next = static_cast<int64_t>(m_shownUnit) + delta;
    if (next < 0) {
        m_shownUnit = 0;
    } else if (next >= count) {
        m_shownUnit = static_cast<uint32_t>(count - 1);
    } else {
        m_shownUnit = static_cast<uint32_t>(next);
        if (m_partBoard && m_partBoard->IsWindow())
            m_partBoard->ShowPart();
        InvalidateRect(nullptr, true);
    }
    if (!IsSelectTool())
        CancelOperation();
    if (GetParent())
        GetParent()->SetFocus();
}

bool CSymbolView::IsSelectTool() const {
    return m_currentTool == ID_TOOL_SELECT || m_currentTool == ID_SYM_SELECT_OUTLINE ||
           m_currentTool == ID_SYM_SELECT_PIN;
}

// --- Commands ------------------------------------------------------------------------

bool CSymbolView::OnCommand(int id) {
    if (IsTool(id)) {
        ChangeTool(id);
        return true;
    }
    switch (id) {
    case ID_SYM_DELETE:
        DeleteSelection();
        return true;
    case ID_SYM_MIRROR_VERTICALLY:
        Transform('V');
        return true;
    case ID_SYM_MIRROR_HORIZONTALLY:
        Transform('H');
        return true;
    case ID_SYM_ROTATE:
        Transform('R');
        return true;
    case ID_EDIT_COPY:
        CopyOrCut(0);
        return true;
    case ID_EDIT_CUT:
        CopyOrCut(1);
        return true;
    case ID_EDIT_PASTE:
        Paste();
        return true;
    case ID_UNIT_PREVIOUS:
        StepUnit(-1);
        return true;
    case ID_UNIT_NEXT:
        StepUnit(1);
        return true;
    case ID_SYM_ADD_POWER_PIN:
        AddPowerPin();
        return true;
    default:
        if (id >= ID_SYM_DELETE_POWER_PIN_FIRST && id <= ID_SYM_DELETE_POWER_PIN_LAST) {
            DeletePowerPin(id - ID_SYM_DELETE_POWER_PIN_FIRST);
            return true;
        }
        return false;
    }
}

void CSymbolView::ChangeTool(int tool) {
    CancelOperation();
    m_currentTool = tool;
    UpdateToolButtons();
    UpdateCursor();
    switch (tool) {
    case ID_SYM_PLACE_PIN:
        StartFloatingPin();
        break;
    case ID_DRAW_LINE:
    case ID_DRAW_RECTANGLE:
    case ID_DRAW_POLYGON:
    case ID_DRAW_ELLIPSE:
    case ID_DRAW_ARC:
    case ID_DRAW_CURVE:
        CreateGraphicPrimitive();
        break;
    case ID_DRAW_TEXT:
        CreateFloatingText();
        break;
    default:
        break;
    }
    if (tool != ID_DRAW_TEXT && GetParent())
        GetParent()->SetFocus();
}

std::optional<size_t> CSymbolView::CreationIndex() const {
    if (m_creationState == 0)
        return std::nullopt;
    for (size_t i = m_undoList.UndoCount(); i-- > 0;)
        if (m_undoList.UndoStateAt(i) == m_creationState)
            return i;
    return std::nullopt;
}

// The object under way goes with its record when that is the last one;
// after later records, with a record of its removal. When the step that
// made it is about to be forgotten, every step since goes too, its removal
// among them: they were all made while it was under way, and an Undo of
// the removal would bring back what no step could take away again.
template <class F> void CSymbolView::AbandonCreation(F removeWithRecord) {
    const std::optional<size_t> at = CreationIndex();
    m_creationState = 0;
    if (at && *at + 1 == m_undoList.UndoCount()) {
        m_undoList.Undo(false);
        return;
    }
    removeWithRecord();
    CUndoList::ForgetPlan going = m_undoList.ForgettingAhead();
    if (!going.undo.empty() && (!at || going.Takes(false, *at))) {
        for (size_t i = at ? *at : 0; i < m_undoList.UndoCount(); ++i)
            going.undo.insert(i);
        m_undoList.SetForgettingAhead(std::move(going));
    }
}

bool CSymbolView::IsMaking(const CProperty* object) const {
    return object && (object == m_floatingText || object == m_floatingPin);
}

void CSymbolView::DropWorkInProgress() {
    // The panel lets go of what is about to go, without taking a value
    // still being typed into it.
    if (CPropertyGrid* grid = GetPropertyGrid()) {
        CProperty* shown = grid->GetShownObject();
        if (shown && (shown == static_cast<CProperty*>(m_floatingPin) ||
                      shown == static_cast<CProperty*>(m_floatingText) ||
                      shown == static_cast<CProperty*>(m_drawing))) {
            for (int row = 0; row < grid->GetRowCount(); ++row)
                grid->GetItem(row)->EndEdit(false);
            grid->ShowProperties(g_pActiveView == this ? this : nullptr);
        }
    }
    if (CPin* pin = m_floatingPin) {
        m_floatingPin = nullptr;
        pin->InvalidateOnSheet(nullptr);
        AbandonCreation([&] {
            m_undoList.SetStartNewGroup(true);
            m_undoList.AddUndo(new CUndoDelete(pin, nullptr));
            pin->RemoveFromParent();
        });
    }
    if (CText* text = m_floatingText) {
        m_floatingText = nullptr;
        text->InvalidateOnSheet(nullptr);
        AbandonCreation([&] {
            m_undoList.SetStartNewGroup(true);
            m_undoList.AddUndo(new CUndoDelete(text, nullptr));
            text->RemoveFromParent();
        });
    }
    if (CPartPrimitive* primitive = m_drawing) {
        m_drawing = nullptr;
        auto dc = MakeDC();
        primitive->Invalidate(dc.get());
        AbandonCreation([&] {
            auto* part = static_cast<CPart*>(primitive->GetOwner());
            PartPrimitiveList& list = part->m_primitives;
            auto it = std::find(list.begin(), list.end(), primitive);
            if (it == list.end())
                return;
            const int index = static_cast<int>(it - list.begin());
            list.erase(it);
            m_undoList.SetStartNewGroup(true);
            m_undoList.AddUndo(new CUndoPartPrimitiveDelete(part, index, primitive));
            if (CPropertyGrid* grid = GetPropertyGrid())
                grid->OnObjectRemoved(primitive);
        });
    }
}

void CSymbolView::CancelOperation() {
    auto dc = MakeDC();
    CPackage* package = GetPackage();
    switch (m_currentTool) {
    case ID_TOOL_SELECT:
        EndBand();
        if (CPart* part = GetDrawingPart())
            for (CPartPrimitive* p : part->m_primitives)
                if (p->IsSelected()) {
                    p->SetSelected(false);
                    p->Invalidate(dc.get());
                }
        if (package)
            for (CTreeNode* child : package->GetChildren())
                if (child->GetType() == NodeType::Text && child->IsSelected()) {
                    child->SetSelected(false);
                    child->InvalidateOnSheet(dc.get());
                }
        m_currentTool = ID_SYM_SELECT_PIN;
        break;
    case ID_SYM_SELECT_OUTLINE:
        if (CPart* part = GetShownPart())
            part->SetSelected(false);
        std::fill(std::begin(m_edges), std::end(m_edges), false);
        m_outlinePart = nullptr;
        InvalidateRect(nullptr, true);
        m_currentTool = ID_SYM_SELECT_PIN;
        break;
    case ID_SYM_SELECT_PIN:
        EndBand();
        if (CPart* part = GetShownPart())
            for (CTreeNode* child : part->GetChildren())
                if (child->GetType() == NodeType::Pin && child->IsSelected()) {
                    child->SetSelected(false);
                    child->InvalidateOnSheet(dc.get());
                }
        break;
    case ID_SYM_PLACE_PIN:
        DropWorkInProgress();
        m_currentTool = ID_SYM_SELECT_PIN;
        break;
    case ID_DRAW_POLYGON:
        EndPolygon();
        m_currentTool = ID_TOOL_SELECT;
        break;
    case ID_DRAW_LINE:
    case ID_DRAW_RECTANGLE:
    case ID_DRAW_ELLIPSE:
    case ID_DRAW_ARC:
    case ID_DRAW_CURVE:
    case ID_DRAW_TEXT:
        DropWorkInProgress();
        m_currentTool = ID_TOOL_SELECT;
        break;
    default:
        break;
    }
    // Whatever the tool, nothing stays half made.
    DropWorkInProgress();
    SetClassCursor(CursorShape::Arrow);
    UpdateCursor();
    UpdateToolButtons();
    ShowInPanel(this);
}

// --- History -------------------------------------------------------------------------

void CSymbolView::Undo() {
    if (m_floatingPin || m_floatingText || m_drawing)
        return;
    m_undoList.Undo();
    AfterHistoryChange();
}

void CSymbolView::Redo() {
    if (m_floatingPin || m_floatingText || m_drawing)
        return;
    m_undoList.Redo();
    AfterHistoryChange();
}

void CSymbolView::CatchUpWithDocument() {
    AfterHistoryChange();
}

void CSymbolView::AfterHistoryChange() {
    EndBand();
    m_outlinePart = nullptr;
    SyncUnitBar();
    ValidatePanel();
    InvalidateRect(nullptr, true);
}

// --- Property panel ------------------------------------------------------------------

void CSymbolView::ShowInPanel(CProperty* object) {
    if (g_pActiveView != this)
        return;
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(object);
}

void CSymbolView::ValidatePanel() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (g_pActiveView != this || !grid)
        return;
    CProperty* shown = grid->GetShownObject();
    if (!shown || shown == this)
        return;
    if (!GetPackage() || !ContainsObject(GetPackage(), shown))
        grid->ShowProperties(this);
}

CPin* CSymbolView::DirectPin(int n) const {
    CPackage* package = GetPackage();
    if (!package || n < 0)
        return nullptr;
    for (CTreeNode* child : package->GetChildren())
        if (child->GetType() == NodeType::Pin && n-- == 0)
            return static_cast<CPin*>(child);
    return nullptr;
}

void CSymbolView::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    CPackage* package = GetPackage();
    if (!grid || !package)
        return;
    grid->SetTitle(190);
    grid->AddText(164, PropertyText(package->m_footprintName));
    grid->AddInt(165, static_cast<int>(package->m_partsPerPackage));
    grid->AddCombo(191, package->m_heterogeneous ? 193 : 192, 192, 2);
    grid->AddEditAndButtonById(244, PropertyText(std::wstring()), ID_SYM_ADD_POWER_PIN, this, 245,
                               kButtonOnly);
    int n = 0;
    for (CTreeNode* child : package->GetChildren()) {
        if (child->GetType() != NodeType::Pin)
            continue;
        if (ID_SYM_DELETE_POWER_PIN_FIRST + n > ID_SYM_DELETE_POWER_PIN_LAST)
            break;
        auto* pin = static_cast<CPin*>(child);
        grid->AddEditAndButton(PropertyText(pin->m_fixedNetName), PropertyText(pin->GetPadNames()),
                               ID_SYM_DELETE_POWER_PIN_FIRST + n, this, kDeleteCaptionId);
        ++n;
    }
}

void CSymbolView::ApplyPropertyChange(int row) {
    CPropertyGrid* grid = GetPropertyGrid();
    CPackage* package = GetPackage();
    if (!grid || !package)
        return;
    std::wstring text;
    int index = -1;
    CPropertyItem* item = grid->GetItem(row);
    if (auto* edit = dynamic_cast<CPropertyEdit*>(item))
        text = edit->GetText();
    if (auto* combo = dynamic_cast<CPropertyCombobox*>(item))
        index = combo->GetSelectedIndex();
    // The rows may take away the part a tool is working in.
    if (m_floatingPin || m_floatingText || m_drawing)
        CancelOperation();
    switch (row) {
    case kRowFootprint:
        if (text != package->m_footprintName) {
            m_undoList.SetStartNewGroup(true);
            m_undoList.AddUndo(new CUndoChangeNodeAttribute(package, nullptr));
            package->m_footprintName = text;
        }
        break;
    case kRowPartsPerPackage:
        ApplyPartCount(text);
        break;
    case kRowImage:
        if ((index == 0 || index == 1) && (index == 1) != (package->m_heterogeneous != 0))
            ApplyImage(index == 1);
        break;
    case kRowPowerPins:
        break;
    default:
        if (CPin* pin = DirectPin(row - 4); pin && text != pin->GetPadNames()) {
            m_undoList.SetStartNewGroup(true);
            m_undoList.AddUndo(new CUndoChangeNodeAttribute(package, nullptr));
            m_undoList.AddUndo(new CUndoChangeNodeAttribute(pin, nullptr));
            pin->SetPadNames(text);
        }
        break;
    }
    SyncUnitBar();
    ShowInPanel(this);
    InvalidateRect(nullptr, true);
    if (GetParent())
        GetParent()->SetFocus();
}

bool CSymbolView::ApplyPartCount(const std::wstring& text) {
    CPackage* package = GetPackage();
    const wchar_t* begin = text.c_str();
    const wchar_t* end = begin;
    const long long n = ParseInteger(begin, &end);
    bool ok = end != begin;
    for (const wchar_t* p = end; ok && *p; ++p)
        ok = *p == L' ' || *p == L'\t';
    // A package keeps at least one part; a count that would make thousands
    // of parts is a typing slip.
    if (!ok || n < 1 || n > kMaxPartsPerPackage) {
        MessageBeep();
        return false;
    }
    const int count = GetPartCount();
    if (n == count && n == static_cast<long long>(package->m_partsPerPackage))
        return true;
    m_undoList.SetStartNewGroup(true);
    m_undoList.AddUndo(new CUndoChangeNodeAttribute(package, nullptr));
    CPart* first = package->GetPart(0);
    if (n >= count) {
        // New parts go right after the last one.
        size_t at = 0;
        for (size_t i = 0; i < package->GetChildCount(); ++i)
            if (package->GetChild(i)->GetType() == NodeType::Part)
                at = i + 1;
        for (int i = count; i < n; ++i) {
            auto* part = new CPart();
            part->m_size = first ? first->m_size : SIZE{2, 2};
            package->InsertChildAt(at++, part);
            m_undoList.AddUndo(new CUndoInsert(part, nullptr));
        }
    } else {
        for (int i = count - 1; i >= n; --i) {
            CPart* part = package->GetPart(i);
            m_undoList.AddUndo(new CUndoDelete(part, nullptr));
            part->RemoveFromParent();
        }
    }
    package->m_partsPerPackage = static_cast<uint32_t>(n);
    return true;
}

void CSymbolView::ApplyImage(bool heterogeneous) {
    CPackage* package = GetPackage();
    m_undoList.SetStartNewGroup(true);
    m_undoList.AddUndo(new CUndoChangeNodeAttribute(package, nullptr));
    package->m_heterogeneous = heterogeneous ? 1 : 0;
    CPart* first = package->GetPart(0);
    const int count = package->GetPartCount();
    for (int i = 1; i < count; ++i) {
        CPart* part = package->GetPart(i);
        // Each further part draws a copy of the first part's drawing, or
        // the first part's own drawing again.
        m_undoList.AddUndo(new CUndoPartDrawing(part));
        if (heterogeneous && first)
            ClonePartPrimitives(first->m_primitives, part, part->m_primitives);
    }
}

// --- Power pins ----------------------------------------------------------------------

void CSymbolView::AddPowerPin() {
    CPackage* package = GetPackage();
    if (!package)
        return;
    CAddPowerPin dialog;
    if (dialog.DoModal(GetTopLevel()) != IDOK)
        return;
    auto* pin = new CPin();
    pin->m_fixedNetName = dialog.m_netName;
    pin->SetPadNames(dialog.m_pinNumbers);
    package->AddChild(pin);
    m_undoList.SetStartNewGroup(true);
    m_undoList.AddUndo(new CUndoInsert(pin, nullptr));
    ShowInPanel(this);
}

void CSymbolView::DeletePowerPin(int n) {
    CPin* pin = DirectPin(n);
    if (!pin)
        return;
    m_undoList.SetStartNewGroup(true);
    m_undoList.AddUndo(new CUndoDelete(pin, nullptr));
    pin->RemoveFromParent();
    ShowInPanel(this);
}

// --- Keyboard ------------------------------------------------------------------------

void CSymbolView::ScrollByGrid(int dx, int dy) {
    auto dc = MakeDC();
    const int step = std::abs(dc->ToDevice(POINT{Grid(), 0}).x - dc->ToDevice(POINT{0, 0}).x);
    const bool bar = m_partBoard && m_partBoard->IsWindow() && m_partBoard->IsWindowVisible();
    if (bar)
        m_partBoard->ShowWindow(false);
    m_scrollOffset.x += dx * step;
    m_scrollOffset.y += dy * step;
    InvalidateRect(nullptr, true);
    if (bar) {
        PlaceBar();
        m_partBoard->ShowWindow(true);
    }
}

bool CSymbolView::EditSingleSelection() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return false;
    CTreeNode* single = nullptr;
    int selected = 0;
    if (m_currentTool == ID_SYM_SELECT_PIN) {
        if (CPart* part = GetShownPart())
            for (CTreeNode* child : part->GetChildren())
                if (child->GetType() == NodeType::Pin && child->IsSelected()) {
                    single = child;
                    ++selected;
                }
    } else if (m_currentTool == ID_TOOL_SELECT && GetPackage()) {
        for (CTreeNode* child : GetPackage()->GetChildren())
            if (child->GetType() == NodeType::Text && child->IsSelected()) {
                single = child;
                ++selected;
            }
    }
    if (selected != 1)
        return false;
    if (grid->GetShownObject() != single)
        grid->ShowProperties(single);
    grid->BeginEditRow(0);
    return true;
}

bool CSymbolView::PreTranslateMessage(Message* msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN))
        return false;
    if (!IsWindow() || !IsWindowVisible() || !msg->window)
        return false;
    PlatformWindow* target = msg->window;
    const int vk = static_cast<int>(msg->wParam);
    const bool alt = IsKeyDown(VK_MENU) || msg->message == WM_SYSKEYDOWN;
    // Esc ends the tool's work also from the property panel beside the view.
    if (vk == VK_ESCAPE && !alt && GetParent() &&
        (target == GetParent() || GetParent()->IsChild(target))) {
        CancelOperation();
        return true;
    }
    if (target != this && target != GetParent() && !IsChild(target))
        return false;
    if (!alt && !IsKeyDown(VK_CONTROL)) {
        switch (vk) {
        case VK_RETURN:
            if (EditSingleSelection())
                return true;
            break;
        case VK_LEFT:
            ScrollByGrid(1, 0);
            return true;
        case VK_UP:
            ScrollByGrid(0, 1);
            return true;
        case VK_RIGHT:
            ScrollByGrid(-1, 0);
            return true;
        case VK_DOWN:
            ScrollByGrid(0, -1);
            return true;
        default:
            break;
        }
    }
    return TranslateAccelerator(this, m_accelerators, msg);
}

// --- Registration --------------------------------------------------------------------

CVorpelView* MakeSymbolView(CTreeNode* node) {
    // Packages placed in a design are edited on their sheets, not here.
    if (!node || node->GetType() != NodeType::Package || FindBoardAbove(node))
        return nullptr;
    return new CSymbolView(static_cast<CPackage*>(node));
}

void RegisterSymbolView() {
    RegisterViewMaker(NodeType::Package, MakeSymbolView);
}

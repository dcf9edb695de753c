// The schematic editor: creation, painting, the message map, the select
// tool with its rubber band, Delete, the context menus, the in-place net
// label, scrolling, the footprint change and the sheet's property rows.
#include "views/schematic_view.h"

#include "board/area_node.h"
#include "board/board.h"
#include "board/footprint.h"
#include "core/default_settings.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/property_combobox.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "dialogs/load_footprint.h"
#include "platform/device_context.h"
#include "platform/edit_control.h"
#include "platform/key_state.h"
#include "platform/paint_target.h"
#include "platform/popup_menu.h"
#include "platform/string_table.h"
#include "platform/system_colors.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "resources/menus_schematic.h"
#include "schematic/bus.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/pin.h"
#include "schematic/schematic_rows.h"
#include "schematic/sheet.h"
#include "schematic/sheet_paint.h"
#include "schematic/text.h"
#include "schematic/wire.h"
#include "shell/main_frame.h"
#include "views/undo_sheet_size_change.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {

constexpr unsigned kCaptionId = 128;      // "Vorpel"
constexpr unsigned kInvalidValueId = 291; // "Invalid value"
constexpr unsigned kSheetTitleId = 167;   // "Sheet Properties"
constexpr unsigned kFormatId = 168;       // "Format"
constexpr unsigned kUnitId = 169;         // "Unit", then "inch" 170 to "µm" 173
constexpr unsigned kSheetWidthId = 180;   // "Sheet Width"
constexpr unsigned kSheetLengthId = 181;  // "Sheet Length"
constexpr unsigned kOrientationId = 182;  // then "Vertical" 183, "Horizontal" 184
constexpr unsigned kGridWidthId = 188;    // "Grid Width"
constexpr unsigned kWireWidthId = 375;    // "Wire width"
constexpr unsigned kBusWidthId = 376;     // "Bus width"
constexpr unsigned kDotId = 377;          // "Connection dot"
constexpr unsigned kFontNameId = 362;     // "Font name"
constexpr unsigned kLabelMaxChars = 260;
constexpr int kStartScroll = 20;

// Sheet rows.
enum SheetRow {
    kRowFormat,
    kRowUnit,
    kRowWidth,
    kRowLength,
    kRowOrientation,
    kRowGrid,
    kRowWireWidth,
    kRowBusWidth,
    kRowDot,
    kRowFont,
};

uint32_t Flags(WPARAM keys) {
    return static_cast<uint32_t>(keys & 0xFFFF) | NodeFlags::SchematicView;
}

POINT PointOf(LPARAM l) {
    return POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
}

RECT NormalizedRect(RECT r) {
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    return r;
}

bool Intersects(const RECT& a, const RECT& b) {
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

// Cursors of the tools (their resource ids).
CursorShape ToolCursor(int tool) {
    switch (tool) {
    case ID_SCH_PLACE_PART:
        return LoadCursorResource(222);
    case ID_SCH_PLACE_WIRE:
        return LoadCursorResource(224);
    case ID_SCH_PLACE_BUS:
        return LoadCursorResource(220);
    case ID_SCH_PLACE_TEXT:
        return LoadCursorResource(391);
    default:
        return CursorShape::Arrow;
    }
}

// The edit of the in-place net label: it lets the view see its keys first.
class CLabelEdit : public EditControl {};

bool IsLiveSheetObject(const CSheet* sheet, CTreeNode* node) {
    auto* object = dynamic_cast<CSheetObject*>(node);
    return object && object->m_pSheet == sheet && sheet->HasObject(object);
}

} // namespace

// --- Construction -------------------------------------------------------------

CSchematicView::CSchematicView(CSheet* sheet) : CVorpelView(sheet), m_sheet(sheet) {
    if (m_sheet && m_sheet->m_gridSize > 0)
        m_textHeight = m_sheet->m_gridSize;
    if (m_sheet)
        m_sizeTable = std::make_unique<CSheetSizeTable>(&m_sheet->m_size.cx, &m_sheet->m_size.cy,
                                                        reinterpret_cast<int*>(&m_sheet->m_unit));
    else
        m_sizeTable = std::make_unique<CSheetSizeTable>(nullptr, nullptr, nullptr);
    m_accelerators = SchematicAccelerators();
    RecreateFonts();
    if (m_sheet)
        m_shownSettings = GetSheetSettings();
}

CSchematicView::~CSchematicView() {
    CloseFindDialogOf(this);
    CloseLabelEdit();
    ClearFloatingList();
    DestroyWindow();
    if (g_pActiveView == this)
        g_pActiveView = nullptr;
}

CSheet* CSchematicView::GetSheet() const {
    return m_sheet;
}

CBoard* CSchematicView::GetBoard() const {
    CTreeNode* board = m_sheet ? FindBoardAbove(m_sheet) : nullptr;
    return board ? static_cast<CBoard*>(board) : nullptr;
}

bool CSchematicView::IsToolCommand(int id) {
    return id == ID_TOOL_SELECT || (id >= ID_SCH_PLACE_PART && id <= ID_SCH_PLACE_TEXT);
}

EditControl* CSchematicView::GetLabelEdit() const {
    return m_labelEdit && m_labelEdit->IsWindow() ? m_labelEdit.get() : nullptr;
}

bool CSchematicView::IsActionInProgress() const {
    return m_wire1 || m_bus1 || m_floatingPart || m_floatingText || !m_floating.empty() ||
           GetPlacingPart();
}

CPart* CSchematicView::GetPlacingPart() const {
    if (!m_sheet)
        return nullptr;
    for (CSheetObject* object : m_sheet->m_objects)
        if (object->GetType() == NodeType::Part && static_cast<CPart*>(object)->m_placing)
            return static_cast<CPart*>(object);
    return nullptr;
}

// --- Coordinates --------------------------------------------------------------

int CSchematicView::ToGridUnits(int v) const {
    return SheetPaint::NearestStep(v, GetGrid());
}

int CSchematicView::ToTenths(int v) const {
    return SheetPaint::NearestStep(10 * static_cast<int64_t>(v), GetGrid());
}

POINT CSchematicView::ToGridUnits(POINT p) const {
    return POINT{ToGridUnits(p.x), ToGridUnits(p.y)};
}

POINT CSchematicView::ToTenths(POINT p) const {
    return POINT{ToTenths(p.x), ToTenths(p.y)};
}

std::unique_ptr<DeviceContext> CSchematicView::MakeDC() const {
    int w = 960, h = 960;
    if (IsWindow()) {
        RECT rc = GetClientRect();
        if (rc.right > 0 && rc.bottom > 0) {
            w = rc.right;
            h = rc.bottom;
        }
    }
    auto dc = std::make_unique<DeviceContext>(w, h);
    const_cast<CSchematicView*>(this)->PrepareDC(dc.get());
    dc->SelectFont(m_font);
    return dc;
}

// --- Fonts ----------------------------------------------------------------------

void CSchematicView::RecreateFonts() {
    m_fontDescription = g_DefaultSettings.font;
    if (m_sheet && !m_sheet->m_fontName.empty())
        m_fontDescription.lfFaceName = m_sheet->m_fontName.substr(0, 32);
    m_fontDescription.lfHeight = GetGrid();
    CVorpelView::RecreateFonts();
}

// --- Zoom -------------------------------------------------------------------------

void CSchematicView::ZoomAll() {
    if (!m_sheet || !IsWindow())
        return;
    const RECT shown = GetVisibleClientRect();
    const RECT client = GetClientRect();
    const int width = shown.right - shown.left, height = shown.bottom - shown.top;
    // Nothing to fit into: the zoom stays as it is.
    if (width <= 0 || height <= 0)
        return;
    auto sheetPixels = [&](int factor, int mode) {
        SetZoom(factor, mode);
        DeviceContext dc(client.right, client.bottom);
        PrepareDC(&dc);
        POINT a = dc.ToDevice(POINT{0, m_sheet->m_size.cy});
        POINT b = dc.ToDevice(POINT{m_sheet->m_size.cx, 0});
        return SIZE{std::abs(b.x - a.x), std::abs(b.y - a.y)};
    };
    int factor = kMaxZoomFactor;
    int mode = 1;
    SIZE s{};
    for (;;) {
        if (mode) {
            factor /= 2;
            if (factor == 0) {
                factor = 2;
                mode = 0;
            }
        } else {
            // The smallest scale there is: the search ends here whatever
            // the window's size.
            if (factor >= kMaxZoomFactor)
                break;
            factor *= 2;
        }
        s = sheetPixels(factor, mode);
        if (s.cx <= width && s.cy <= height)
            break;
    }
    s = sheetPixels(factor, mode);
    m_scrollOffset = POINT{shown.left + (width - s.cx) / 2, shown.top + (height - s.cy) / 2};
    InvalidateRect(nullptr, true);
}

SIZE CSchematicView::GetPrintExtent() {
    if (!m_sheet)
        return SIZE{0, 0};
    // The sheet less a 5 mm margin on each side, centred on the sheet. What
    // is drawn in the margin (a title near the sheet's edge) widens it evenly
    // as far as the whole sheet, so that neither a fitted page nor the tiles
    // cut it off.
    const int64_t w = m_sheet->m_size.cx, h = m_sheet->m_size.cy;
    int64_t cx = w - 1000, cy = h - 1000;
    std::unique_ptr<DeviceContext> dc = MakeDC();
    const LogFont oldFont = dc->SelectFont(m_font);
    for (CSheetObject* object : m_sheet->m_objects) {
        const RECT r = object->GetBoundsOnSheet(dc.get());
        const int64_t left = std::min(r.left, r.right), right = std::max(r.left, r.right);
        const int64_t bottom = std::min(r.top, r.bottom), top = std::max(r.top, r.bottom);
        cx = std::max({cx, w - 2 * left, 2 * right - w});
        cy = std::max({cy, h - 2 * bottom, 2 * top - h});
    }
    dc->SelectFont(oldFont);
    return SIZE{static_cast<int>(std::min(cx, w)), static_cast<int>(std::min(cy, h))};
}

// --- Painting ---------------------------------------------------------------------

void CSchematicView::OnPaint() {
    PaintStruct ps;
    PaintTarget* target = BeginPaint(&ps);
    if (target) {
        DeviceContext dc(*target);
        PrepareDC(&dc);
        Draw(&dc);
    }
    EndPaint(&ps);
}

void CSchematicView::Draw(DeviceContext* dc) {
    if (!m_sheet)
        return;
    if (!IsPrinting()) {
        dc->SetViewportOrg(m_scrollOffset.x, m_scrollOffset.y);
        const RECT sheet{0, m_sheet->m_size.cy, m_sheet->m_size.cx, 0};
        GdiBrush oldBrush = dc->SelectBrush(CreateSolidBrush(g_DefaultSettings.colorBkg));
        GdiPen oldPen = dc->SelectPen(CreatePen(PS_SOLID, 0, GetSysColor(COLOR_3DLIGHT)));
        dc->Rectangle(sheet.left, sheet.top, sheet.right, sheet.bottom);
        dc->SelectPen(oldPen);
        dc->SelectBrush(oldBrush);
        DrawGrid(dc);
    }
    dc->SetBkMode(TRANSPARENT);
    LogFont oldFont = dc->SelectFont(m_font);
    m_sheet->DrawOnSheet(dc, NodeFlags::SchematicView);
    if (m_hasBand) {
        GdiPen oldPen = dc->SelectPen(CreatePen(PS_DOT, 0, 0));
        GdiBrush oldBrush = dc->SelectBrush(GetStockBrush(HOLLOW_BRUSH));
        dc->Rectangle(m_band.left, m_band.top, m_band.right, m_band.bottom);
        dc->SelectBrush(oldBrush);
        dc->SelectPen(oldPen);
    }
    dc->SelectFont(oldFont);
}

void CSchematicView::DrawGrid(DeviceContext* dc) {
    const double s = GetZoomScale();
    if (s <= 0.5)
        return;
    // Over the sheet and the area being painted; only the latter shows, so
    // that is all that is drawn.
    RECT r{};
    dc->GetClipBox(&r);
    r = NormalizedRect(r);
    const int g = GetGrid();
    if (g <= 0)
        return;
    // A grid finer than three pixels would only grey the sheet over.
    {
        const POINT o = dc->ToDevice(POINT{0, 0});
        const POINT s1 = dc->ToDevice(POINT{g, g});
        if (std::abs(s1.x - o.x) < 3 || std::abs(s1.y - o.y) < 3)
            return;
    }
    const int x0 = r.left / g * g;
    const int yTop = r.bottom / g * g;
    if (s > 2) {
        GdiPen old = dc->SelectPen(CreatePen(PS_SOLID, 0, g_DefaultSettings.colorGrid));
        for (int64_t x = x0; x < r.right; x += g) {
            dc->MoveTo(static_cast<int>(x), r.bottom);
            dc->LineTo(static_cast<int>(x), r.top);
        }
        for (int64_t y = yTop; y >= r.top; y -= g) {
            dc->MoveTo(r.left, static_cast<int>(y));
            dc->LineTo(r.right, static_cast<int>(y));
        }
        dc->SelectPen(old);
        return;
    }
    for (int64_t x = x0; x < r.right; x += g)
        for (int64_t y = yTop; y >= r.top; y -= g)
            dc->SetPixel(static_cast<int>(x), static_cast<int>(y), g_DefaultSettings.colorDot);
}

// --- Messages ---------------------------------------------------------------------

bool CSchematicView::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_CREATE: {
        OnCreate();
        const bool done = CVorpelView::ProcessWindowMessage(msg, wParam, lParam, result);
        // A view created visible is never told it was shown: its tool
        // buttons and the status bar's panes are set now.
        if (GetStyle() & WS_VISIBLE)
            OnShown();
        return done;
    }
    case WM_PAINT:
        OnPaint();
        result = 0;
        return true;
    case WM_KEYDOWN:
        if (OnKeyDown(static_cast<int>(wParam))) {
            result = 0;
            return true;
        }
        break;
    case WM_LBUTTONDOWN:
        OnLButtonDown(wParam, PointOf(lParam));
        result = 0;
        return true;
    case WM_LBUTTONUP:
        OnLButtonUp(wParam, PointOf(lParam));
        result = 0;
        return true;
    case WM_RBUTTONDOWN:
        OnRButtonDown(wParam, PointOf(lParam));
        result = 0;
        return true;
    case WM_RBUTTONUP:
        ReleaseCapture();
        result = 0;
        return true;
    case WM_MBUTTONDOWN:
        m_panOrigin = PointOf(lParam);
        if (GetParent())
            GetParent()->SetFocus();
        result = 0;
        return true;
    case WM_MOUSEMOVE:
        OnMouseMove(wParam, PointOf(lParam));
        result = 0;
        return true;
    case WM_SETCURSOR:
        ::SetCursor(ToolCursor(m_currentTool));
        result = 1;
        return true;
    case WM_SHOWWINDOW:
        if (wParam)
            OnShown();
        result = 0;
        return true;
    case WM_COMMAND: {
        const int id = static_cast<int>(LOWORD(wParam));
        if (id == ID_SCH_CHANGE_FOOTPRINT && HIWORD(wParam) == 0) {
            ChangeFootprint();
            result = 0;
            return true;
        }
        if (lParam == 0 &&
            (IsToolCommand(id) || id == ID_SCH_MIRROR_VERTICAL || id == ID_SCH_MIRROR_HORIZONTAL ||
             id == ID_SCH_ROTATE || id == ID_SCH_DELETE || id == ID_HELP_VIEW)) {
            OnCommand(id);
            result = 0;
            return true;
        }
        break;
    }
    default:
        break;
    }
    return CVorpelView::ProcessWindowMessage(msg, wParam, lParam, result);
}

void CSchematicView::OnCreate() {
    if (m_sheet && m_sheet->m_gridSize > 0)
        m_textHeight = m_sheet->m_gridSize;
    RecreateFonts();
    m_scrollOffset = POINT{kStartScroll, kStartScroll};
    SetClassCursor(ToolCursor(m_currentTool));
    ZoomAll();
}

void CSchematicView::OnShown() {
    UpdateToolButtons();
    if (g_MainFrame.m_statusBar.IsWindow()) {
        g_MainFrame.m_statusBar.SetNetText(nullptr);
        g_MainFrame.m_statusBar.SetUnit(-1);
    }
}

void CSchematicView::UpdateToolButtons() {
    for (int id : {ID_TOOL_SELECT, ID_SCH_PLACE_PART, ID_SCH_PLACE_WIRE, ID_SCH_PLACE_BUS,
                   ID_SCH_PLACE_TEXT})
        g_MainFrame.UISetCheck(id, id == m_currentTool);
}

void CSchematicView::ShowViewProperties() {
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(this);
}

void CSchematicView::OnCommand(int id) {
    if (IsToolCommand(id)) {
        SetTool(id);
        return;
    }
    switch (id) {
    case ID_SCH_MIRROR_VERTICAL:
        TransformCommand('V');
        break;
    case ID_SCH_MIRROR_HORIZONTAL:
        TransformCommand('H');
        break;
    case ID_SCH_ROTATE:
        TransformCommand('R');
        break;
    case ID_SCH_DELETE:
        DeleteSelection();
        break;
    case ID_HELP_VIEW:
        if (g_MainFrame.IsWindow())
            g_MainFrame.PostMessage(WM_COMMAND, MAKEWPARAM(ID_HELP_VIEW, 0), 0);
        break;
    default:
        break;
    }
}

void CSchematicView::SetTool(int id) {
    g_pActiveView = this;
    CloseLabelEdit();
    {
        // The end-of-tool step: whatever is under way is finished or
        // abandoned before the new tool starts.
        std::unique_ptr<DeviceContext> dc = MakeDC();
        if (!m_floating.empty())
            EndFloating();
        AbandonWire(dc.get());
        AbandonBus(dc.get());
        AbandonPart(dc.get());
        if (m_floatingText)
            PlaceText(dc.get());
    }
    g_MainFrame.UISetCheck(m_currentTool, false);
    m_currentTool = id;
    g_MainFrame.UISetCheck(m_currentTool, true);
    SetClassCursor(ToolCursor(id));
    ::SetCursor(ToolCursor(id));
    switch (id) {
    case ID_SCH_PLACE_PART:
        StartPartTool();
        break;
    case ID_SCH_PLACE_TEXT:
        StartTextTool();
        break;
    default:
        break;
    }
}

void CSchematicView::ScrollBy(int dx, int dy) {
    m_scrollOffset.x += dx;
    m_scrollOffset.y += dy;
    CloseLabelEdit();
    InvalidateRect(nullptr, true);
}

bool CSchematicView::OnKeyDown(int vk) {
    switch (vk) {
    case VK_DELETE:
        SendMessage(WM_COMMAND, MAKEWPARAM(ID_SCH_DELETE, 0), 0);
        return true;
    case 'H':
        SendMessage(WM_COMMAND, MAKEWPARAM(ID_SCH_MIRROR_HORIZONTAL, 0), 0);
        return true;
    case 'R':
        SendMessage(WM_COMMAND, MAKEWPARAM(ID_SCH_ROTATE, 0), 0);
        return true;
    case 'V':
        SendMessage(WM_COMMAND, MAKEWPARAM(ID_SCH_MIRROR_VERTICAL, 0), 0);
        return true;
    default:
        return false;
    }
}

bool CSchematicView::PreTranslateMessage(Message* msg) {
    if (GetLabelEdit()) {
        if (msg->message == WM_KEYDOWN && OnLabelEditKey(static_cast<int>(msg->wParam)))
            return true;
        // Keys typed while the focus is elsewhere still go to the label.
        // A key the label leaves (Ctrl+Z with nothing of its own to undo)
        // comes back up to this view while it is being relayed: it goes no
        // further, or it would be relayed again without end.
        if ((msg->message == WM_KEYDOWN || msg->message == WM_CHAR) &&
            msg->window != m_labelEdit.get() &&
            (msg->window == this || msg->window == GetParent())) {
            if (m_relayingToLabel)
                return true;
            std::shared_ptr<const bool> alive = LifeToken();
            m_relayingToLabel = true;
            m_labelEdit->SendMessage(msg->message, msg->wParam, msg->lParam);
            if (*alive)
                m_relayingToLabel = false;
            return true;
        }
        return false;
    }
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)
        return false;
    // Only keys meant for the editor: not those of dialogs, nor (but Esc,
    // which ends the tool from anywhere in the tab window) those of the
    // property panel.
    PlatformWindow* parent = GetParent();
    const bool own = msg->window == this || msg->window == parent;
    const bool inTabs = parent && parent->IsChild(msg->window);
    if (!own && !(inTabs && msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE))
        return false;
    if (msg->message == WM_KEYDOWN) {
        const int g = GetGrid();
        std::unique_ptr<DeviceContext> dc = MakeDC();
        const POINT o = dc->ToDevice(POINT{0, 0});
        const POINT a = dc->ToDevice(POINT{g, g});
        const int px = std::abs(a.x - o.x), py = std::abs(a.y - o.y);
        switch (msg->wParam) {
        case VK_ESCAPE:
            OnEscape();
            return true;
        case VK_LEFT:
            ScrollBy(px, 0);
            return true;
        case VK_UP:
            ScrollBy(0, py);
            return true;
        case VK_RIGHT:
            ScrollBy(-px, 0);
            return true;
        case VK_DOWN:
            ScrollBy(0, -py);
            return true;
        default:
            break;
        }
    }
    return TranslateAccelerator(this, m_accelerators, msg);
}

bool CSchematicView::IsMaking(const CProperty* object) const {
    return object && (object == m_floatingText || object == m_floatingPart);
}

bool CSchematicView::Shows(const CProperty* object) const {
    if (IsMaking(object))
        return true;
    const auto* node = dynamic_cast<const CTreeNode*>(object);
    // A package's texts are shown at its units.
    if (const auto* text = dynamic_cast<const CText*>(node))
        if (const CPackage* package = text->GetHoldingPackage())
            node = package;
    if (node && node->GetType() == NodeType::Package) {
        for (const CTreeNode* child : node->GetChildren())
            if (child->GetType() == NodeType::Part &&
                static_cast<const CPart*>(child)->m_pSheet == m_sheet)
                return true;
        return false;
    }
    for (; node; node = node->GetParent())
        if (const auto* placed = dynamic_cast<const CSheetObject*>(node))
            return placed->m_pSheet == m_sheet;
    return true;
}

void CSchematicView::DropWorkInProgress() {
    if (!IsActionInProgress())
        return;
    AbandonAll();
    if (IsToolCommand(m_currentTool) && m_currentTool != ID_TOOL_SELECT) {
        g_MainFrame.UISetCheck(m_currentTool, false);
        m_currentTool = ID_TOOL_SELECT;
        SetClassCursor(CursorShape::Arrow);
        // The view may go on (after a save): its buttons, while it is the
        // one shown, show the tool left.
        if (IsWindowVisible())
            UpdateToolButtons();
    }
}

// Ends everything under way, for Esc and before the view closes: a lift of
// floating objects and a wire, bus, part or text being made are undone; a
// part moved from the panel stays where it is.
void CSchematicView::AbandonAll() {
    EndFloating();
    std::unique_ptr<DeviceContext> dc = MakeDC();
    AbandonWire(dc.get());
    AbandonBus(dc.get());
    AbandonPart(dc.get());
    AbandonText(dc.get());
    PlaceMovedPart(dc.get());
}

// The sheet was chosen in the panel, only the spot was still open: the part
// stays where it is, its pins joined to what they touch, and the records
// join the move's own group, so one undo takes the whole move back.
void CSchematicView::PlaceMovedPart(DeviceContext* dc) {
    CPart* part = GetPlacingPart();
    if (!part)
        return;
    CVorpelView* const active = g_pActiveView;
    g_pActiveView = this;
    part->PlaceHere(dc);
    g_pActiveView = active;
    InvalidateRect(nullptr, true);
}

void CSchematicView::OnEscape() {
    g_pActiveView = this;
    ::SetCursor(CursorShape::Arrow);
    AbandonAll();
    g_MainFrame.UISetCheck(m_currentTool, false);
    m_currentTool = ID_TOOL_SELECT;
    SetClassCursor(CursorShape::Arrow);
    UpdateToolButtons();
    ShowViewProperties();
}

// --- Mouse ------------------------------------------------------------------------

void CSchematicView::OnLButtonDown(WPARAM keys, POINT client) {
    g_pActiveView = this;
    m_lastCursor = client;
    CloseLabelEdit();
    SetCapture();
    std::unique_ptr<DeviceContext> dc = MakeDC();
    const POINT p = ClientToLogical(dc.get(), client);
    const uint32_t flags = Flags(keys);
    m_selectPress = m_currentTool == ID_TOOL_SELECT;
    switch (m_currentTool) {
    case ID_TOOL_SELECT:
        SelectClick(dc.get(), flags, p);
        break;
    case ID_SCH_PLACE_PART:
        PartClick(dc.get(), ToGridUnits(p));
        break;
    case ID_SCH_PLACE_WIRE:
        WireClick(dc.get(), ToGridUnits(p));
        break;
    case ID_SCH_PLACE_BUS:
        BusClick(dc.get(), ToGridUnits(p));
        break;
    case ID_SCH_PLACE_TEXT:
        PlaceText(dc.get());
        break;
    default:
        break;
    }
    // The keyboard stays with the tab window, unless a label is edited.
    if (!GetLabelEdit() && GetParent())
        GetParent()->SetFocus();
}

void CSchematicView::OnLButtonUp(WPARAM keys, POINT client) {
    g_pActiveView = this;
    m_lastCursor = client;
    ReleaseCapture();
    m_selectPress = false;
    if (m_currentTool != ID_TOOL_SELECT)
        return;
    std::unique_ptr<DeviceContext> dc = MakeDC();
    SelectButtonUp(dc.get(), Flags(keys), ClientToLogical(dc.get(), client));
}

void CSchematicView::OnRButtonDown(WPARAM keys, POINT client) {
    g_pActiveView = this;
    m_lastCursor = client;
    CloseLabelEdit();
    SetCapture();
    if (m_currentTool != ID_TOOL_SELECT || !m_floating.empty())
        return;
    std::unique_ptr<DeviceContext> dc = MakeDC();
    ContextMenu(dc.get(), Flags(keys), ClientToLogical(dc.get(), client), client);
    ReleaseCapture();
}

void CSchematicView::OnMouseMove(WPARAM keys, POINT client) {
    g_pActiveView = this;
    m_lastCursor = client;
    if (keys & MK_MBUTTON) {
        const int dx = client.x - m_panOrigin.x, dy = client.y - m_panOrigin.y;
        m_panOrigin = client;
        if (dx || dy)
            ScrollBy(dx, dy);
        return;
    }
    std::unique_ptr<DeviceContext> dc = MakeDC();
    const POINT p = ClientToLogical(dc.get(), client);
    const POINT q = ToGridUnits(p);
    if (g_MainFrame.m_statusBar.IsWindow())
        g_MainFrame.m_statusBar.SetPosition(q.x, q.y);
    switch (m_currentTool) {
    case ID_TOOL_SELECT:
        // A press made with another tool moves like a hover.
        SelectDrag(dc.get(), Flags(m_selectPress ? keys : keys & ~WPARAM{MK_LBUTTON}), p);
        break;
    case ID_SCH_PLACE_PART:
        PartMove(dc.get(), q);
        break;
    case ID_SCH_PLACE_WIRE:
        ::SetCursor(ToolCursor(m_currentTool));
        WireMove(dc.get(), q);
        break;
    case ID_SCH_PLACE_BUS:
        ::SetCursor(ToolCursor(m_currentTool));
        BusMove(dc.get(), q);
        break;
    case ID_SCH_PLACE_TEXT:
        TextMove(dc.get(), ToTenths(p));
        break;
    default:
        break;
    }
}

// --- Select tool --------------------------------------------------------------------

std::vector<CTreeNode*> CSchematicView::EventTargets() const {
    std::vector<CTreeNode*> targets;
    if (!m_sheet)
        return targets;
    std::set<CTreeNode*> packages;
    for (CSheetObject* object : m_sheet->m_objects) {
        if (object->GetType() == NodeType::Part) {
            CPackage* package = static_cast<CPart*>(object)->GetPackage();
            if (package && packages.insert(package).second)
                targets.push_back(package);
        } else {
            targets.push_back(object);
        }
    }
    return targets;
}

void CSchematicView::SelectClick(DeviceContext* dc, uint32_t flags, POINT p) {
    if (!m_floating.empty()) {
        DropPickedUp(dc, p);
        return;
    }
    GetUndoList().SetStartNewGroup(true);
    const std::vector<CTreeNode*> targets = EventTargets();
    for (CTreeNode* target : targets) {
        CTreeNode* hit = target->HitTestOnSheet(dc, p.x, p.y);
        if (hit && hit->IsSelected()) {
            flags |= NodeFlags::KeepSelection;
            break;
        }
    }
    m_lastClicked = nullptr;
    for (CTreeNode* target : targets) {
        // A placing part's click may tidy nets away; what left the sheet
        // takes no further part.
        if (target->GetType() != NodeType::Package && !IsLiveSheetObject(m_sheet, target))
            continue;
        if (target->GetType() == NodeType::Package && !target->GetParent())
            continue;
        if (CTreeNode* hit = target->MouseDownOnSheet(dc, flags, p.x, p.y))
            m_lastClicked = hit;
    }
    bool any = false;
    for (CTreeNode* target : EventTargets())
        any |= target->IsSelected();
    if (!any) {
        m_hasBand = true;
        m_band = RECT{p.x, p.y, p.x, p.y};
    }
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(m_lastClicked);
}

void CSchematicView::SelectDrag(DeviceContext* dc, uint32_t flags, POINT p) {
    if (m_hasBand) {
        UpdateRubberBand(dc, p);
        return;
    }
    if (!m_floating.empty()) {
        MovePickedUp(dc, p);
        return;
    }
    for (CTreeNode* target : EventTargets())
        target->DragOnSheet(dc, flags, p.x, p.y);
}

void CSchematicView::SelectButtonUp(DeviceContext* dc, uint32_t flags, POINT p) {
    if (m_hasBand) {
        InvalidateBandOutline(dc, m_band);
        m_hasBand = false;
        return;
    }
    if (!m_floating.empty())
        return;
    for (CTreeNode* target : EventTargets())
        target->MouseUpOnSheet(dc, flags, p.x, p.y);
    // The nets of the wires just moved are tidied.
    std::vector<CNet*> nets;
    for (CSheetObject* object : m_sheet->m_objects) {
        if (object->GetType() != NodeType::Wire || !object->IsSelected())
            continue;
        CNet* net = static_cast<CWire*>(object)->GetNet();
        if (net && std::find(nets.begin(), nets.end(), net) == nets.end())
            nets.push_back(net);
    }
    for (CNet* net : nets)
        if (net->GetParent())
            net->NormalizeWires(dc);
    // A wire that the drag shrank to nothing is gone too, selected or not.
    DropLooseJoints(dc, false);
    // A bus whose start a crossing bus carried onto its far end is gone.
    for (CSheetObject* object :
         std::vector<CSheetObject*>(m_sheet->m_objects.begin(), m_sheet->m_objects.end())) {
        auto* bus = dynamic_cast<CBus*>(object);
        if (!bus || bus->m_length != 0 || !bus->GetParent())
            continue;
        bus->InvalidateOnSheet(dc);
        PushUndo(new CUndoDelete(bus, nullptr));
        bus->RemoveFromParent();
    }
}

void CSchematicView::InvalidateBandOutline(DeviceContext* dc, const RECT& band) {
    const POINT a = LogicalToClient(dc, POINT{band.left, band.top});
    const POINT b = LogicalToClient(dc, POINT{band.right, band.bottom});
    const RECT r = NormalizedRect(RECT{a.x, a.y, b.x, b.y});
    const RECT strips[4] = {
        {r.left - 1, r.top - 1, r.right + 1, r.top + 1},
        {r.left - 1, r.bottom - 1, r.right + 1, r.bottom + 1},
        {r.left - 1, r.top - 1, r.left + 1, r.bottom + 1},
        {r.right - 1, r.top - 1, r.right + 1, r.bottom + 1},
    };
    for (const RECT& s : strips)
        InvalidateRect(&s, true);
}

void CSchematicView::UpdateRubberBand(DeviceContext* dc, POINT p) {
    InvalidateBandOutline(dc, m_band);
    const RECT before = NormalizedRect(m_band);
    const int g = GetGrid();
    RECT old{before.left / g * g, before.top / g * g, before.right / g * g, before.bottom / g * g};
    m_band.right = p.x;
    m_band.bottom = p.y;
    const RECT n = NormalizedRect(m_band);
    const RECT snapped{n.left / g * g, n.top / g * g, n.right / g * g, n.bottom / g * g};
    if (snapped.left != old.left || snapped.top != old.top || snapped.right != old.right ||
        snapped.bottom != old.bottom) {
        for (CSheetObject* object :
             std::vector<CSheetObject*>(m_sheet->m_objects.begin(), m_sheet->m_objects.end())) {
            const bool in = Intersects(NormalizedRect(object->GetBoundsOnSheet(dc)), snapped);
            if (object->IsSelected() == in)
                continue;
            object->m_selected = in ? 1 : 0;
            if (object->GetType() == NodeType::Part)
                static_cast<CPart*>(object)->SyncPinSelection();
            object->InvalidateOnSheet(dc);
        }
    }
    InvalidateBandOutline(dc, m_band);
}

void CSchematicView::DeleteSelection() {
    if (!m_sheet || IsActionInProgress())
        return;
    g_pActiveView = this;
    CloseLabelEdit();
    GetUndoList().SetStartNewGroup(true);
    std::unique_ptr<DeviceContext> dc = MakeDC();
    bool deleted = false;
    for (bool again = true; again;) {
        again = false;
        for (CSheetObject* object : m_sheet->m_objects) {
            if (object->DeleteOnSheet(dc.get(), NodeFlags::SchematicView)) {
                deleted = again = true;
                break;
            }
        }
        if (again)
            continue;
        // A package's selected texts are hidden (they stay with it).
        for (CTreeNode* target : EventTargets()) {
            if (target->GetType() != NodeType::Package)
                continue;
            for (CTreeNode* child : target->GetChildren())
                if (child->GetType() == NodeType::Text && child->IsSelected() &&
                    child->DeleteOnSheet(dc.get(), NodeFlags::SchematicView)) {
                    deleted = again = true;
                    break;
                }
            if (again)
                break;
        }
    }
    if (deleted) {
        // A joint whose pins went with a part joins nothing any more.
        DropLooseJoints(dc.get(), false);
        m_lastClicked = nullptr;
        if (CPropertyGrid* grid = GetPropertyGrid())
            grid->ShowProperties(nullptr);
    }
}

// --- Context menu -------------------------------------------------------------------

void CSchematicView::ContextMenu(DeviceContext* dc, uint32_t flags, POINT p, POINT client) {
    const std::vector<CTreeNode*> targets = EventTargets();
    for (CTreeNode* target : targets)
        target->RightClickOnSheet(dc, flags, p.x, p.y);
    int count = 0;
    CTreeNode* remembered = nullptr;
    for (CSheetObject* object : m_sheet->m_objects) {
        if (object->IsSelected()) {
            ++count;
            remembered = object;
        }
    }
    // A package text picked by itself counts too.
    for (CTreeNode* target : targets)
        if (target->GetType() == NodeType::Package)
            for (CTreeNode* child : target->GetChildren())
                if (child->GetType() == NodeType::Text && child->IsSelected()) {
                    ++count;
                    if (!remembered)
                        remembered = child;
                }
    if (count == 0)
        return;
    CWire* wire = count == 1 && remembered->GetType() == NodeType::Wire
                      ? static_cast<CWire*>(remembered)
                      : nullptr;
    std::shared_ptr<PopupMenu> menu;
    if (wire) {
        menu = BuildPopupMenu(SchematicWireMenu().items);
        const bool marked = (wire->m_selected & 6) != 0;
        menu->EnableItem(ID_SCH_TOGGLE_BUS_ENTRY, marked);
        menu->EnableItem(ID_SCH_RENAME_BUS_ENTRY, marked);
    } else {
        menu = BuildPopupMenu(SchematicObjectMenu().items);
        menu->EnableItem(ID_SCH_REPLACE_IMAGE, remembered->GetType() == NodeType::Part);
    }
    const POINT q = ToGridUnits(p);
    GetUndoList().SetStartNewGroup(true);
    POINT screen = ClientToScreen(client);
    screen.x = ClampXToWorkArea(screen.x, screen.y);
    std::shared_ptr<const bool> alive = LifeToken();
    const int command =
        TrackPopupMenu(*menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_RIGHTBUTTON,
                       screen.x, screen.y, this);
    if (!*alive)
        return;
    switch (command) {
    case ID_SCH_MIRROR_VERTICAL:
    case ID_SCH_MIRROR_HORIZONTAL:
    case ID_SCH_ROTATE: {
        const int key = command == ID_SCH_MIRROR_VERTICAL     ? 'V'
                        : command == ID_SCH_MIRROR_HORIZONTAL ? 'H'
                                                              : 'R';
        CPart* part = count == 1 && remembered->GetType() == NodeType::Part
                          ? static_cast<CPart*>(remembered)
                          : nullptr;
        bool floating = part && (part == m_floatingPart || part->m_placing);
        for (const FloatingNode& f : m_floating)
            floating |= part && f.node == part->GetPackage();
        if (floating) {
            if (key == 'R')
                RotatePart(dc, part);
            else
                MirrorPart(dc, part, key == 'H');
        } else {
            TransformSelection(dc, key);
        }
        break;
    }
    case ID_SCH_TOGGLE_BUS_ENTRY:
        if (wire)
            wire->ToggleBusEntry(dc);
        break;
    case ID_SCH_RENAME_BUS_ENTRY:
        if (wire) {
            RECT r = NormalizedRect(wire->GetBusEntryLabelRect(dc, (wire->m_selected & 2) ? 1 : 2));
            if (wire->GetDirection() == WireDirection::Vertical)
                r = RECT{r.left, r.top, r.left + (r.bottom - r.top), r.top + (r.right - r.left)};
            BeginInPlaceEdit(dc, r.left, r.top, r.right, r.bottom, wire);
        }
        break;
    case ID_SCH_BREAK_WIRE:
        if (wire)
            BreakWire(dc, wire, q);
        break;
    case ID_EDIT_COPY:
        CopyOrCut(0);
        break;
    case ID_EDIT_CUT:
        CopyOrCut(1);
        break;
    case ID_EDIT_PASTE:
        Paste();
        break;
    default:
        break;
    }
}

void CSchematicView::BreakWire(DeviceContext* dc, CWire* wire, POINT q) {
    CNet* net = wire->GetNet();
    // Only a straight wire breaks, and only between its ends.
    if (!net || !wire->ContainsPoint(q, false))
        return;
    wire->InvalidateOnSheet(dc);
    auto* piece = new CWire(q, wire->m_end);
    piece->m_pSheet = wire->m_pSheet;
    piece->m_busEntry2 = wire->m_busEntry2;
    PushUndo(new CUndoChangeNodeAttribute(wire, nullptr));
    wire->m_end = q;
    wire->m_busEntry2 = 0;
    net->AddChild(piece);
    PushUndo(new CUndoInsert(piece, nullptr));
    wire->InvalidateOnSheet(dc);
    piece->InvalidateOnSheet(dc);
}

// --- In-place net label ------------------------------------------------------------

void CSchematicView::BeginInPlaceEdit(DeviceContext* dc, int left, int top, int right, int bottom,
                                      CTreeNode* object) {
    if (!IsWindow() || !object || object->GetType() != NodeType::Wire)
        return;
    CNet* net = static_cast<CWire*>(object)->GetNet();
    if (!net)
        return;
    std::unique_ptr<DeviceContext> own;
    if (!dc) {
        own = MakeDC();
        dc = own.get();
    }
    const POINT a = LogicalToClient(dc, POINT{left, top});
    const POINT b = LogicalToClient(dc, POINT{right, bottom});
    const RECT r = NormalizedRect(RECT{a.x, a.y, b.x, b.y});
    CloseLabelEdit();
    m_labelEdit = std::make_unique<CLabelEdit>();
    if (!m_labelEdit->Create(this, r, net->GetName(), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL,
                             WS_EX_CLIENTEDGE, ID_SCH_LABEL_EDIT)) {
        m_labelEdit.reset();
        return;
    }
    WindowFont font;
    font.face = m_fontZoomed.lfFaceName.empty() ? font.face : m_fontZoomed.lfFaceName;
    font.height = std::max(8, r.bottom - r.top - 4);
    m_labelEdit->SetFont(font, false);
    m_labelEdit->LimitText(static_cast<int>(kLabelMaxChars));
    m_labelEdit->SetSel(0, -1);
    m_labelEdit->ScrollCaret();
    m_labelEdit->SetFocus();
    m_labelWire = static_cast<CWire*>(object);
    m_pInPlaceEdit = m_labelEdit.get();
}

void CSchematicView::CloseLabelEdit() {
    if (m_labelEdit) {
        // Owned here; the base only forgets it.
        if (m_labelEdit->IsWindow())
            m_labelEdit->DestroyWindow();
        m_retiredEdit = std::move(m_labelEdit);
    }
    m_labelWire = nullptr;
    m_pInPlaceEdit = nullptr;
}

bool CSchematicView::OnLabelEditKey(int vk) {
    if (vk != VK_RETURN && vk != VK_ESCAPE)
        return false;
    if (vk == VK_RETURN && m_labelWire && m_labelWire->GetNet()) {
        std::wstring name = m_labelEdit->GetWindowText();
        if (name.size() > kLabelMaxChars)
            name.resize(kLabelMaxChars);
        CNet* net = m_labelWire->GetNet();
        if (name != net->GetName()) {
            g_pActiveView = this;
            GetUndoList().SetStartNewGroup(true);
            net->SplitAtWire(m_labelWire, name);
        }
    }
    CloseLabelEdit();
    if (GetParent())
        GetParent()->SetFocus();
    InvalidateRect(nullptr, true);
    return true;
}

// --- Undo ---------------------------------------------------------------------------

void CSchematicView::Undo() {
    if (IsActionInProgress())
        return;
    g_pActiveView = this;
    CloseLabelEdit();
    m_lastClicked = nullptr;
    m_hasBand = false;
    GetUndoList().Undo();
    InvalidateRect(nullptr, true);
}

void CSchematicView::Redo() {
    if (IsActionInProgress())
        return;
    g_pActiveView = this;
    CloseLabelEdit();
    m_lastClicked = nullptr;
    m_hasBand = false;
    GetUndoList().Redo();
    InvalidateRect(nullptr, true);
}

// --- Footprint change -----------------------------------------------------------

namespace {
bool InSubtree(const CTreeNode* root, const CTreeNode* node) {
    if (root == node)
        return true;
    for (const CTreeNode* child : root->GetChildren())
        if (InSubtree(child, node))
            return true;
    return false;
}
} // namespace

void CSchematicView::ChangeFootprint() {
    CBoard* board = GetBoard();
    // The last clicked object may have gone since (undo); and only a part
    // or a package text has a package to change.
    if (!board || !m_lastClicked || !InSubtree(board, m_lastClicked))
        return;
    CTreeNode* parent = m_lastClicked->GetParent();
    if (!parent || parent->GetType() != NodeType::Package)
        return;
    auto* package = static_cast<CPackage*>(parent);
    if (package->GetPowerPin())
        return;
    std::unique_ptr<CFootprint> chosen;
    const int answer =
        RunLoadFootprint(package, g_MainFrame.GetDefaultFolder(kDocumentFootprintLibrary),
                         g_MainFrame.GetProgramFolder(), this, &chosen);
    if (answer != IDOK || !chosen)
        return;
    g_pActiveView = this;
    GetUndoList().SetStartNewGroup(true);
    const std::wstring name = chosen->GetText();
    package->ChangeFootprint(name.c_str(), static_cast<CFootprint*>(chosen->Clone()));
    chosen.reset();
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->ShowProperties(package);
    InvalidateRect(nullptr, true);
    if (GetParent())
        GetParent()->SetFocus();
}

// --- Sheet rows -------------------------------------------------------------------

SheetSettings CSchematicView::GetSheetSettings() const {
    SheetSettings s;
    if (!m_sheet)
        return s;
    s.size = m_sheet->m_size;
    s.grid = m_sheet->m_gridSize;
    s.unit = m_sheet->m_unit;
    s.wireWidth = m_sheet->m_wireWidth;
    s.busWidth = m_sheet->m_busWidth;
    s.dotDiameter = m_sheet->m_dotDiameter;
    s.fontName = m_sheet->m_fontName;
    return s;
}

void CSchematicView::RestoreSheetSettings(const SheetSettings& s) {
    if (!m_sheet)
        return;
    m_sheet->m_size = s.size;
    m_sheet->m_gridSize = s.grid;
    m_sheet->m_unit = s.unit;
    m_sheet->m_wireWidth = s.wireWidth;
    m_sheet->m_busWidth = s.busWidth;
    m_sheet->m_dotDiameter = s.dotDiameter;
    m_sheet->m_fontName = s.fontName;
    if (s.grid > 0)
        m_textHeight = s.grid;
    m_sizeTable->IdentifySize();
    RecreateFonts();
    if (CPropertyGrid* grid = GetPropertyGrid(); grid && grid->GetShownObject() == this)
        grid->ShowProperties(this);
    InvalidateRect(nullptr, true);
}

void CSchematicView::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid || !m_sheet)
        return;
    m_shownSettings = GetSheetSettings();
    const int unit = m_sheet->m_unit < 4 ? static_cast<int>(m_sheet->m_unit) : kUnitMm;
    grid->SetTitle(kSheetTitleId);
    grid->AddSheetSize(m_sizeTable.get());
    // Every unit is listed: a sheet stored in mil shows "mil" beside its
    // numbers in mil.
    grid->AddCombo(kUnitId, 170u + static_cast<unsigned>(unit), 170, 4);
    grid->AddFloat(kSheetWidthId, static_cast<float>(m_sheet->m_size.cx) / 100.0f, unit);
    grid->AddFloat(kSheetLengthId, static_cast<float>(m_sheet->m_size.cy) / 100.0f, unit);
    grid->AddCombo(kOrientationId, m_sheet->m_size.cx < m_sheet->m_size.cy ? 183u : 184u, 183, 2);
    grid->AddFloat(kGridWidthId, static_cast<float>(GetGrid()) / 100.0f, unit);
    grid->AddFloat(kWireWidthId, static_cast<float>(m_sheet->m_wireWidth) / 100.0f, unit);
    grid->AddFloat(kBusWidthId, static_cast<float>(m_sheet->m_busWidth) / 100.0f, unit);
    grid->AddFloat(kDotId, static_cast<float>(m_sheet->m_dotDiameter) / 100.0f, unit);
    grid->AddFont(kFontNameId, PropertyText(m_sheet->m_fontName));
}

void CSchematicView::ApplyPropertyChange(int row) {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid || !m_sheet)
        return;
    // Measured with this view, but the view in front stays in front: the
    // panel may hand over a value as another tab comes forward.
    struct ActiveViewKept {
        CVorpelView* front = g_pActiveView;
        ~ActiveViewKept() {
            if (front)
                g_pActiveView = front;
        }
    } kept;
    g_pActiveView = this;
    // The paper-size row has written its size already: the record takes
    // what the rows showed.
    const SheetSettings before = row == kRowFormat ? m_shownSettings : GetSheetSettings();
    auto refuse = [&] {
        ShowMessageBox(LoadStringText(kInvalidValueId), LoadStringText(kCaptionId),
                       MB_OK | MB_ICONEXCLAMATION);
        grid->RefuseValue(false);
    };
    // A length row: its value in 0.01 mm, or 0 when it is not a length of
    // more than 0.1 mm (refused).
    auto hundredths = [&](int r) -> int32_t {
        float mm = 0;
        if (!SchematicRows::Length(r, mm))
            return 0;
        if (!(mm > 0.1f)) {
            refuse();
            return 0;
        }
        return MmToHundredths(mm);
    };
    GetUndoList().SetStartNewGroup(true);
    GetUndoList().AddUndo(new CUndoSheetSizeChange(this, before));
    switch (row) {
    case kRowFormat:
        m_sizeTable->ApplyEntry();
        break;
    case kRowUnit: {
        auto* combo = dynamic_cast<CPropertyCombobox*>(grid->GetItem(row));
        if (combo && combo->GetSelectedIndex() >= 0 && combo->GetSelectedIndex() < 4)
            m_sheet->m_unit = static_cast<uint32_t>(combo->GetSelectedIndex());
        break;
    }
    case kRowWidth:
    case kRowLength: {
        const int32_t v = hundredths(row);
        if (v <= 0)
            return;
        (row == kRowWidth ? m_sheet->m_size.cx : m_sheet->m_size.cy) = v;
        m_sizeTable->IdentifySize();
        break;
    }
    case kRowOrientation: {
        auto* combo = dynamic_cast<CPropertyCombobox*>(grid->GetItem(row));
        const bool vertical = m_sheet->m_size.cx < m_sheet->m_size.cy;
        if (combo && combo->GetSelectedIndex() >= 0 &&
            (combo->GetSelectedIndex() == 0) != vertical) {
            std::swap(m_sheet->m_size.cx, m_sheet->m_size.cy);
            m_sizeTable->IdentifySize();
        }
        break;
    }
    case kRowGrid: {
        const int32_t grid100 = hundredths(row);
        if (grid100 <= 0)
            return;
        const int64_t old = GetGrid();
        // Widths scale with the drawing; multiplied first so that a finer
        // grid keeps them, and never below 0.01 mm.
        auto scale = [&](uint32_t& w) {
            int64_t v = static_cast<int64_t>(w) * grid100 / old;
            if (w > 0)
                v = std::max<int64_t>(v, 1);
            w = static_cast<uint32_t>(std::min<int64_t>(v, 100000000));
        };
        scale(m_sheet->m_wireWidth);
        scale(m_sheet->m_busWidth);
        scale(m_sheet->m_dotDiameter);
        m_sheet->m_gridSize = grid100;
        m_textHeight = grid100;
        RecreateFonts();
        break;
    }
    case kRowWireWidth:
    case kRowBusWidth:
    case kRowDot: {
        const int32_t v = hundredths(row);
        if (v <= 0)
            return;
        uint32_t& field = row == kRowWireWidth  ? m_sheet->m_wireWidth
                          : row == kRowBusWidth ? m_sheet->m_busWidth
                                                : m_sheet->m_dotDiameter;
        field = static_cast<uint32_t>(v);
        break;
    }
    case kRowFont:
        m_sheet->m_fontName = SchematicRows::Text(row);
        RecreateFonts();
        break;
    default:
        break;
    }
    m_shownSettings = GetSheetSettings();
    // The rows follow: unit, lengths in the unit, orientation, paper size.
    grid->ShowProperties(this);
    InvalidateRect(nullptr, true);
    if (IsWindow())
        UpdateWindow();
}

// --- Opening ----------------------------------------------------------------------

CSchematicView* OpenSchematicView(CSheet* sheet) {
    if (!sheet)
        return nullptr;
    return dynamic_cast<CSchematicView*>(g_MainFrame.OpenNodeView(sheet));
}

void RegisterSchematicView() {
    RegisterViewMaker(NodeType::Sheet, [](CTreeNode* node) -> CVorpelView* {
        if (!node || node->GetType() != NodeType::Sheet)
            return nullptr;
        return new CSchematicView(static_cast<CSheet*>(node));
    });
    InstallFindDialog();
}

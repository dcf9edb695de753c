#include "views/library_editor_view.h"

#include "board/area_node.h"
#include "board/board_undo_records.h"
#include "board/marking.h"
#include "board/marking_primitive.h"
#include "board/padstack.h"
#include "core/default_settings.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/tree_node.h"
#include "core/undo_node_records.h"
#include "platform/combo_box_control.h"
#include "platform/device_context.h"
#include "platform/graphics.h"
#include "platform/key_state.h"
#include "platform/paint_target.h"
#include "platform/popup_menu.h"
#include "platform/string_table.h"
#include "platform/system_colors.h"
#include "platform/toolbar_control.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "resources/menus_footprint.h"
#include "shell/main_frame.h"
#include "views/marking_clipboard.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr unsigned kCaptionId = 128; // "Vorpel"
constexpr int kArrowStep = 50;

// Greys every item of the command, in sub-menus too.
void GrayItem(PopupMenu& menu, unsigned id) {
    for (PopupMenu::Item& item : menu.MutableItems()) {
        if (item.subMenu)
            GrayItem(*item.subMenu, id);
        else if (!(item.flags & MF_SEPARATOR) && item.id == id)
            item.flags |= MF_GRAYED;
    }
}
} // namespace

std::wstring LayerSelectorText(unsigned id) {
    return LoadStringText(id);
}

CLibraryEditorView::CLibraryEditorView(CTreeNode* document) : CVorpelView(document) {
    std::vector<int> order;
    order.push_back(-1);
    for (int layer = 0; layer < 32; ++layer)
        order.push_back(layer);
    SetDrawOrder(std::move(order));
    SetVisibleLayers(~0ull);
}

CLibraryEditorView::~CLibraryEditorView() = default;

bool CLibraryEditorView::IsPrimitiveTool(int tool) {
    return tool >= ID_DRAW_LINE && tool <= ID_DRAW_TEXT && tool != ID_DRAW_LINE + 3;
}

// --- Coordinates ----------------------------------------------------------------

std::unique_ptr<Graphics> CLibraryEditorView::MakeGraphics() const {
    auto g = std::make_unique<Graphics>(nullptr);
    g->SetDpi(m_dpiX, m_dpiY);
    const_cast<CLibraryEditorView*>(this)->PrepareGraphics(g.get());
    return g;
}

PointF CLibraryEditorView::ClientPointToModel(Graphics* g, POINT client) const {
    PointF p;
    ClientToModel(p, g, static_cast<float>(client.x - m_scrollOffset.x),
                  static_cast<float>(client.y - m_scrollOffset.y));
    return p;
}

// --- Layers and the selector -----------------------------------------------------------

void CLibraryEditorView::BringLayerToFront(int layer) {
    auto it = std::find(m_drawOrder.begin(), m_drawOrder.end(), layer);
    if (it != m_drawOrder.end())
        m_drawOrder.erase(it);
    m_drawOrder.insert(m_drawOrder.begin(), layer);
}

void CLibraryEditorView::FillLayerSelector(ToolBarControl* toolbar,
                                           const std::vector<unsigned>& texts,
                                           const std::function<std::wstring(int)>& keyHint) {
    g_MainFrame.m_boardLayerCombo.ShowWindow(false);
    ComboBoxControl& selector = g_LayerSelector;
    if (!selector.IsWindow())
        return;
    selector.ShowWindow(true);
    g_MainFrame.MovePadLayerComboTo(toolbar);
    selector.ResetContent();
    for (unsigned id : texts)
        selector.AddString(LayerSelectorText(id));
    selector.FitDroppedWidth(keyHint, 6, 12);
}

void CLibraryEditorView::ShowSelectorEntry(int entry) {
    ComboBoxControl& selector = g_LayerSelector;
    if (!selector.IsWindow())
        return;
    selector.SetCurSel(entry >= 0 && entry < selector.GetCount() ? entry : -1);
    selector.Invalidate(true);
}

void CLibraryEditorView::DrawSelectorItem(const DRAWITEMSTRUCT* dis, int layer,
                                          const std::wstring& hint) {
    if (!dis || !dis->target || dis->itemID < 0)
        return;
    DeviceContext dc(*dis->target);
    const RECT item = dis->rcItem;
    dc.FillRect(item, GdiBrush{BS_SOLID, GetSysColor(COLOR_WINDOW)});
    const COLORREF color =
        layer < 0 || layer >= kBoardLayerCount ? 0xFFFFFF : g_DefaultSettings.layerColors[layer];
    const GdiBrush oldBrush = dc.SelectBrush(GdiBrush{BS_SOLID, color});
    dc.Rectangle(item.left, item.top, item.right, item.bottom);
    dc.SelectBrush(oldBrush);
    const double luminance =
        0.299 * ColorRefRed(color) + 0.587 * ColorRefGreen(color) + 0.114 * ColorRefBlue(color);
    dc.SetTextColor(luminance > 127.5 ? 0x000000 : 0xFFFFFF);
    dc.SetBkMode(TRANSPARENT);
    const RECT text{item.left + 3, item.top + 1, item.right - 3, item.bottom};
    const bool inEdit = (dis->itemState & ODS_COMBOBOXEDIT) != 0;
    const auto* combo = dynamic_cast<const ComboBoxControl*>(dis->hwndItem);
    const std::wstring name = combo ? combo->GetLBText(dis->itemID) : std::wstring();
    // The entries are drawn in the box's own face, which its width was made for.
    if (combo) {
        LogFont font;
        font.lfHeight = -combo->GetFont().height;
        font.lfFaceName = combo->GetFont().face;
        dc.SelectFont(font);
    }
    dc.DrawText(name, text,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | (inEdit ? DT_CENTER : DT_LEFT));
    // A hidden layer is hatched.
    if (layer >= 0 && !IsLayerVisible(layer)) {
        const int h = text.bottom - text.top;
        for (int x = text.left + h; h > 0 && x <= text.right; x += h) {
            dc.MoveTo(x, text.top);
            dc.LineTo(x - h, text.top + h);
        }
    }
    if (!inEdit)
        dc.DrawText(hint, text, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
    if (dis->itemState & ODS_SELECTED)
        dc.DrawFocusRect(item);
}

// --- Viewing ---------------------------------------------------------------------------

void CLibraryEditorView::ScrollBy(int dx, int dy) {
    m_scrollOffset.x += dx;
    m_scrollOffset.y += dy;
    InvalidateRect(nullptr, false);
}

void CLibraryEditorView::FitToView(const RectF& bounds, int divisor) {
    const RECT reference = GetVisibleClientRect();
    const int width = reference.right - reference.left;
    const int height = reference.bottom - reference.top;
    // Nothing to fit into (a minimised or not yet laid out window).
    if (width <= 0 || height <= 0)
        return;
    int factor = kMaxZoomFactor;
    int multiply = 1;
    double left = 0, right = 0, top = 0, bottom = 0;
    for (;;) {
        if (multiply) {
            factor /= 2;
            if (factor == 0) {
                factor = 2;
                multiply = 0;
            }
        } else {
            factor = std::min(factor * 2, static_cast<int>(kMaxZoomFactor));
        }
        SetZoom(factor, multiply);
        // The bounds in device pixels with the scroll offset at 0 (y down);
        // in doubles, since a large extent at a large zoom exceeds an int.
        const double sx = m_dpiX * GetZoomScale() / 25.4;
        const double sy = m_dpiY * GetZoomScale() / 25.4;
        left = std::round(bounds.X * sx);
        right = std::round((static_cast<double>(bounds.X) + bounds.Width) * sx);
        top = std::round(-(static_cast<double>(bounds.Y) + bounds.Height) * sy);
        bottom = std::round(-bounds.Y * sy);
        if ((right - left) * divisor <= width && (bottom - top) * divisor <= height)
            break;
        // The smallest zoom there is: whatever does not fit now never will.
        if (!multiply && factor >= kMaxZoomFactor)
            break;
    }
    auto clampToInt = [](double v) { return static_cast<int32_t>(std::clamp(v, -2.0e9, 2.0e9)); };
    m_scrollOffset.x = clampToInt(reference.left + width / 2 - std::trunc((left + right) / 2));
    m_scrollOffset.y = clampToInt(reference.top + height / 2 - std::trunc((top + bottom) / 2));
    InvalidateRect(nullptr, false);
}

void CLibraryEditorView::BeginPaintScene(Graphics* g, const RECT& client) {
    SolidBrush background(Color::FromColorRef(g_DefaultSettings.colorBoard, 0xFF));
    g->FillRectangle(&background, 0, 0, static_cast<float>(client.right),
                     static_cast<float>(client.bottom));
    PrepareGraphics(g);
    DrawGrid(g, client);
}

// --- Marking primitives ----------------------------------------------------------------

bool CLibraryEditorView::HoldsPrimitive(const CTreeNode* holder,
                                        const CMarkingPrimitive* primitive) const {
    if (!holder || !primitive)
        return false;
    for (const CTreeNode* child : holder->GetChildren()) {
        if (child->GetType() == NodeType::Marking) {
            const auto& list = static_cast<const CMarking*>(child)->m_primitives;
            if (std::find(list.begin(), list.end(), primitive) != list.end())
                return true;
        } else if (child->GetType() == NodeType::Padstack && HoldsPrimitive(child, primitive)) {
            return true;
        }
    }
    return false;
}

CMarking* CLibraryEditorView::MarkingFor(CTreeNode* holder, int layer) {
    if (!holder)
        return nullptr;
    if (CMarking* found = CPadstack::FindMarking(holder, layer))
        return found;
    auto* marking = new CMarking(layer);
    holder->AddChild(marking);
    m_undoList.AddUndo(new CUndoInsert(marking, nullptr));
    return marking;
}

void CLibraryEditorView::RemoveCurrentPrimitive() {
    CMarkingPrimitive* primitive = m_pCurrentPrimitive;
    m_pCurrentPrimitive = nullptr;
    if (!primitive)
        return;
    if (CPropertyGrid* grid = GetPropertyGrid())
        grid->OnObjectRemoved(primitive);
    // Everything recorded since the primitive was begun belongs to it (its
    // insertion, its vertices, edits of its rows): undone up to and with its
    // insertion, which deletes it.
    while (HoldsPrimitive(m_pDocument, primitive) && m_undoList.CanUndo())
        m_undoList.Undo(false);
    InvalidateRect(nullptr, false);
}

void CLibraryEditorView::DeselectPrimitives(CTreeNode* holder, Graphics* g) {
    if (!holder)
        return;
    for (CTreeNode* child : holder->GetChildren())
        if (child->GetType() == NodeType::Marking)
            for (CMarkingPrimitive* p : static_cast<CMarking*>(child)->m_primitives)
                if (p->m_selected) {
                    p->m_selected = false;
                    p->Invalidate(g);
                }
}

bool CLibraryEditorView::IsNewToolPoint(int tool, PointF p) {
    const int index = tool - ID_DRAW_LINE;
    if (index < 0 || index >= static_cast<int>(m_toolPoints.size()))
        return true;
    PointF& last = m_toolPoints[static_cast<size_t>(index)];
    if (last == p)
        return false;
    last = p;
    return true;
}

void CLibraryEditorView::ResetToolPoints() {
    m_toolPoints.fill(PointF{0, 0});
}

void CLibraryEditorView::CopyPrimitives(CTreeNode* holder, bool cut, Graphics* g) {
    if (!holder)
        return;
    g_MarkingClipboard.Clear();
    for (CTreeNode* child : holder->GetChildren()) {
        if (child->GetType() != NodeType::Marking)
            continue;
        auto* marking = static_cast<CMarking*>(child);
        for (size_t i = 0; i < marking->m_primitives.size();) {
            CMarkingPrimitive* p = marking->m_primitives[i];
            if (!p->m_selected) {
                ++i;
                continue;
            }
            g_MarkingClipboard.Add(p);
            p->m_selected = false;
            m_placing = true;
            if (!cut) {
                ++i;
                continue;
            }
            if (CPropertyGrid* grid = GetPropertyGrid())
                grid->OnObjectRemoved(p);
            p->Invalidate(g);
            m_undoList.AddUndo(new CUndoMarkingPrimitiveDelete(marking, static_cast<int>(i)));
            marking->m_primitives.erase(marking->m_primitives.begin() +
                                        static_cast<std::ptrdiff_t>(i));
        }
    }
    InvalidateRect(nullptr, false);
}

void CLibraryEditorView::TransformPrimitives(CTreeNode* holder, wchar_t key) {
    if (m_placing) {
        g_MarkingClipboard.TransformByKey(key);
        return;
    }
    if (!holder)
        return;
    const bool shift = IsKeyDown(VK_SHIFT);
    for (CTreeNode* child : holder->GetChildren()) {
        if (child->GetType() != NodeType::Marking)
            continue;
        for (CMarkingPrimitive* p : static_cast<CMarking*>(child)->m_primitives) {
            if (!p->m_selected)
                continue;
            m_undoList.AddUndo(new CUndoMarkingPrimitiveChange(p));
            p->TransformByKey(key, shift);
        }
    }
}

void CLibraryEditorView::PlaceClipboardCopies(CTreeNode* holder, Graphics* g) {
    if (!holder || g_MarkingClipboard.IsEmpty())
        return;
    CMarking* marking = MarkingFor(holder, GetFrontLayer());
    if (!marking)
        return;
    for (size_t i = 0; i < g_MarkingClipboard.Count(); ++i) {
        CMarkingPrimitive* p = g_MarkingClipboard.TakeForPlacing(i);
        p->m_state = kMarkingIdle;
        p->m_selected = false;
        p->m_pMarking = marking;
        m_undoList.AddUndo(new CUndoMarkingPrimitiveInsert(
            marking, static_cast<int>(marking->m_primitives.size())));
        marking->m_primitives.push_back(p);
        p->Invalidate(g);
    }
}

bool CLibraryEditorView::IsMaking(const CProperty* object) const {
    return object && object == m_pCurrentPrimitive;
}

void CLibraryEditorView::CatchUpWithDocument() {
    ForgetDetachedInPanel();
    InvalidateRect(nullptr, false);
}

void CLibraryEditorView::ForgetDetachedInPanel() {
    CPropertyGrid* grid = GetPropertyGrid();
    CProperty* shown = grid ? grid->GetShownObject() : nullptr;
    if (!shown || shown == this)
        return;
    bool inDocument = true;
    if (auto* primitive = dynamic_cast<CMarkingPrimitive*>(shown)) {
        inDocument = HoldsPrimitive(m_pDocument, primitive);
    } else if (auto* node = dynamic_cast<CTreeNode*>(shown)) {
        inDocument = false;
        for (const CTreeNode* n = node; n; n = n->GetParent())
            if (n == m_pDocument)
                inDocument = true;
    }
    if (!inDocument)
        grid->ShowProperties(this);
}

// --- Shared messages -------------------------------------------------------------------

bool CLibraryEditorView::HandlePanMove(WPARAM keys, POINT client) {
    if (keys & MK_MBUTTON) {
        ScrollBy(client.x - m_middleAnchor.x, client.y - m_middleAnchor.y);
        m_middleAnchor = client;
        return true;
    }
    if (IsButtonHeld()) {
        SetButtonHeld(false);
        return true;
    }
    return false;
}

bool CLibraryEditorView::HandleArrowKey(int key) {
    switch (key) {
    case VK_LEFT:
        ScrollBy(kArrowStep, 0);
        return true;
    case VK_UP:
        ScrollBy(0, kArrowStep);
        return true;
    case VK_RIGHT:
        ScrollBy(-kArrowStep, 0);
        return true;
    case VK_DOWN:
        ScrollBy(0, -kArrowStep);
        return true;
    default:
        return false;
    }
}

int CLibraryEditorView::TrackMenu(unsigned menuId, POINT client,
                                  const std::vector<unsigned>& grayed) {
    const MenuResource* resource = LoadFootprintViewMenu(menuId);
    if (!resource || resource->items.empty())
        return 0;
    std::shared_ptr<PopupMenu> menu = BuildPopupMenu(resource->items.front().items);
    for (unsigned id : grayed)
        GrayItem(*menu, id);
    const POINT screen = ClientToScreen(client);
    // The menu takes the mouse, as does any dialog a command of it opens.
    if (GetCapture() == this)
        ReleaseCapture();
    return TrackPopupMenu(*menu, TPM_RETURNCMD | TPM_RIGHTBUTTON,
                          ClampXToWorkArea(screen.x, screen.y), screen.y, this);
}

void CLibraryEditorView::StopMessage(unsigned stringId) {
    ShowMessageBox(LoadStringText(stringId), LoadStringText(kCaptionId), MB_OK | MB_ICONSTOP);
}

void CLibraryEditorView::FocusParent() {
    if (PlatformWindow* parent = GetParent())
        parent->SetFocus();
}

// A package's texts (and free board texts) on the board: drawn as filled
// outlines of their font on their board layer, picked, repainted and
// dragged in millimetres.
#include "board/footprint.h"
#include "core/board_layer.h"
#include "core/default_settings.h"
#include "core/model_services.h"
#include "core/property_grid.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/graphics_path.h"
#include "platform/pen.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "schematic/package.h"
#include "schematic/text.h"

#include <cmath>

namespace {

bool IsBottomSide(int layer) {
    return layer >= 0 && (layer & 1) != 0 && !(layer >= 2 && layer <= 21);
}

PointF BoardPlace(const CText* text) {
    if (text->m_boardPosition.X == 0 && text->m_boardPosition.Y == 0)
        return PointF{static_cast<float>(text->m_position.x) / 5.0f,
                      static_cast<float>(text->m_position.y) / 5.0f};
    return text->m_boardPosition;
}

// The text's own frame: footprint placement for a package's text, then the
// position, the mirror and the rotation.
void ApplyBoardFrame(const CText* text, Graphics* g) {
    CPackage* package = text->GetHoldingPackage();
    if (package)
        if (CFootprint* footprint = package->GetFootprint())
            footprint->TransformGraphics(g);
    const PointF p = BoardPlace(text);
    g->TranslateTransform(p.X, p.Y);
    const float sx = package ? 1.0f : (IsBottomSide(text->GetLayer()) ? -1.0f : 1.0f);
    g->ScaleTransform(sx, -1.0f);
    g->RotateTransform(text->m_rotation);
}

} // namespace

bool CText::GetBoundsOnBoard(Graphics* g, RectF& r) {
    // A missing face is measured in the default one, so that the text can
    // still be found and its absence reported where it is drawn.
    FontFamily family(m_font);
    Font font(family.IsAvailable() ? &family : FontFamily::GenericSansSerif(), m_fontSize,
              FontStyleRegular, UnitWorld);
    return g->MeasureString(m_text, &font, PointF{0, 0}, nullptr, &r) == Ok;
}

void CText::DrawOnBoard(Graphics* g, uint32_t) {
    if (!m_boardVisible || m_layer < 0 || m_layer >= kBoardLayerCount)
        return;
    if (g_pActiveView && !g_pActiveView->IsLayerVisible(m_layer))
        return;
    const GraphicsState state = g->Save();
    ApplyBoardFrame(this, g);
    RectF box;
    if (GetBoundsOnBoard(g, box) && g->IsVisible(box)) {
        FontFamily family(m_font);
        if (!family.IsAvailable()) {
            SetStatusText(0, StrPrintf(L"Font '%ls' not found!", m_font.c_str()));
        } else {
            GraphicsPath path;
            path.AddString(m_text, &family, FontStyleRegular, m_fontSize, PointF{0, 0}, nullptr);
            SolidBrush brush(Color::FromColorRef(IsSelected()
                                                     ? g_DefaultSettings.colorSel
                                                     : g_DefaultSettings.layerColors[m_layer]));
            g->FillPath(&brush, &path);
        }
    }
    g->Restore(state);
}

CTreeNode* CText::HitTestOnBoard(Graphics* g, float x, float y) {
    // A test changes nothing: a text without a board place of its own keeps
    // none (a save would otherwise write one nobody asked for).
    const PointF place = BoardPlace(this);
    float px = x - place.X;
    float py = -(y - place.Y);
    if (!GetHoldingPackage() && IsBottomSide(m_layer))
        px = -px;
    const double a = -m_rotation * 0.017453292;
    const float rx = static_cast<float>(px * std::cos(a) - py * std::sin(a));
    const float ry = static_cast<float>(px * std::sin(a) + py * std::cos(a));
    RectF box;
    if (!GetBoundsOnBoard(g, box))
        return nullptr;
    const bool hit =
        rx >= box.X && rx < box.X + box.Width && ry >= box.Y && ry < box.Y + box.Height;
    return hit ? this : nullptr;
}

void CText::InvalidateOnBoard(Graphics* g) {
    if (!g_pActiveView || !g)
        return;
    const GraphicsState state = g->Save();
    ApplyBoardFrame(this, g);
    RectF box;
    if (GetBoundsOnBoard(g, box)) {
        RECT r = WorldRectToDeviceRect(g, box.X, box.Y, box.Width, box.Height);
        g_pActiveView->InvalidateRect(&r, true);
    }
    g->Restore(state);
}

void CText::MouseDownOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    if (!m_boardVisible)
        return;
    const int32_t before = m_selected;
    const bool hit = HitTestOnBoard(g, x, y) != nullptr;
    if (hit)
        m_selected = (flags & NodeFlags::Control) ? (before ? 0 : 1) : 1;
    else if (!(flags & NodeFlags::KeepSelectionMask))
        m_selected = 0;
    m_dragRecorded = 0;
    if (m_selected != before)
        InvalidateOnBoard(g);
    if (IsSelected()) {
        m_boardClickPoint = PointF{x, y};
        if (CPropertyGrid* grid = GetPropertyGrid())
            grid->ShowProperties(this);
    }
}

void CText::MouseUpOnBoard(Graphics* g, uint32_t flags, float x, float y) {
    if (!m_boardVisible || (flags & NodeFlags::Control) || !IsSelected() || m_dragRecorded) {
        m_dragRecorded = 0;
        return;
    }
    if (!HitTestOnBoard(g, x, y)) {
        m_selected = 0;
        if (g_pActiveView)
            g_pActiveView->InvalidateRect(nullptr, false);
    }
}

int CText::DragOnBoard(Graphics*, uint32_t flags, float x, float y) {
    if (!(flags & NodeFlags::LeftButton))
        return 0;
    // The drag starts where the text is shown.
    const PointF place = BoardPlace(this);
    PointF moved{place.X + (x - m_boardClickPoint.X), place.Y + (y - m_boardClickPoint.Y)};
    if (g_pActiveView)
        moved = g_pActiveView->SnapToGrid(moved);
    if (moved.X == place.X && moved.Y == place.Y)
        return 0;
    if (!m_dragRecorded)
        PushUndo(new CUndoChangeNodeAttribute(this, nullptr));
    m_dragRecorded = 1;
    m_boardClickPoint.X += moved.X - place.X;
    m_boardClickPoint.Y += moved.Y - place.Y;
    m_boardPosition = moved;
    if (g_pActiveView)
        g_pActiveView->InvalidateRect(nullptr, false);
    return 1;
}

#include "core/vorpel_view.h"

#include "core/default_settings.h"
#include "core/document_bounds.h"
#include "core/tree_node.h"
#include "platform/device_context.h"
#include "platform/graphics.h"
#include "platform/text.h"

#include <algorithm>
#include <cmath>
#include <limits>

CVorpelView* g_pActiveView = nullptr;

namespace {
int RoundHalfAway(double v) {
    return static_cast<int>(v >= 0 ? std::floor(v + 0.5) : std::ceil(v - 0.5));
}

bool ValidUnit(int unit) {
    return unit >= 0 && unit < 4;
}

constexpr COLORREF kRed = 0x0000FF;
} // namespace

CVorpelView::CVorpelView(CTreeNode* document) : m_pDocument(document) {
    // No coarser than a sheet's grid may be (document_bounds.h).
    m_textHeight =
        RoundHalfAway(std::clamp(static_cast<double>(g_DefaultSettings.gridWidth) * 100.0, 0.0,
                                 static_cast<double>(kMaxSheetHundredths)));
    m_fontDescription = g_DefaultSettings.font;
    m_fontDescription.lfHeight = m_textHeight;
    RecreateFonts();
}

CVorpelView::~CVorpelView() {
    DestroyWindow();
    if (g_pActiveView == this)
        g_pActiveView = nullptr;
}

void CVorpelView::CycleUnit() {}
void CVorpelView::Find() {}
void CVorpelView::FindForward() {}
void CVorpelView::FindBackward() {}
void CVorpelView::BeginInPlaceEdit(DeviceContext*, int, int, int, int, CTreeNode*) {}
void CVorpelView::Draw(DeviceContext*) {}

SIZE CVorpelView::GetPrintExtent() {
    return SIZE{0, 0};
}

SIZE CVorpelView::GetDocumentExtent() const {
    return m_pDocument ? m_pDocument->m_size : SIZE{0, 0};
}

void CVorpelView::InvalidateRect(const RECT* rect, bool erase) {
    if (IsWindow())
        PlatformWindow::InvalidateRect(rect, erase);
}

// --- Fonts ---------------------------------------------------------------------

void CVorpelView::RecreateFonts() {
    m_font = m_fontDescription;
    m_fontVertical = m_fontDescription;
    m_fontVertical.lfEscapement = -900;
    m_fontVertical.lfOrientation = -900;
    RecreateZoomedFont();
}

void CVorpelView::RecreateZoomedFont() {
    m_fontZoomed = m_fontDescription;
    m_fontZoomed.lfHeight = static_cast<int32_t>((m_textHeight / 40) * GetZoomScale());
}

// --- Zoom ----------------------------------------------------------------------

double CVorpelView::GetZoomScale() const {
    return m_zoomMode ? static_cast<double>(m_zoomFactor) : 1.0 / m_zoomFactor;
}

void CVorpelView::SetZoom(int factor, int mode) {
    m_zoomFactor = std::clamp(factor, 1, kMaxZoomFactor);
    m_zoomMode = mode ? 1 : 0;
    RecreateZoomedFont();
}

RECT CVorpelView::GetVisibleClientRect() const {
    if (!IsWindow())
        return RECT{};
    RECT visible = GetClientRect();
    const PlatformWindow* parent = GetParent();
    if (!parent)
        return visible;
    // Sibling rectangles in the view's client coordinates.
    const RECT me = GetRectInParent();
    auto inView = [&](RECT r) {
        return RECT{r.left - me.left, r.top - me.top, r.right - me.left, r.bottom - me.top};
    };
    const RECT outer = inView(parent->GetClientRect());
    visible = RECT{std::max(visible.left, outer.left), std::max(visible.top, outer.top),
                   std::min(visible.right, outer.right), std::min(visible.bottom, outer.bottom)};
    auto area = [](const RECT& r) {
        return r.right > r.left && r.bottom > r.top
                   ? static_cast<int64_t>(r.right - r.left) * (r.bottom - r.top)
                   : int64_t{0};
    };
    for (const PlatformWindow* sibling : parent->GetChildren()) {
        // Other views share the place and are hidden once this one shows.
        if (sibling == this || !sibling->IsWindow() || !(sibling->GetStyle() & WS_VISIBLE) ||
            dynamic_cast<const CVorpelView*>(sibling))
            continue;
        const RECT s = inView(sibling->GetRectInParent());
        const RECT& v = visible;
        if (s.left >= v.right || s.right <= v.left || s.top >= v.bottom || s.bottom <= v.top)
            continue;
        // What stays in view beside it: the largest piece left, right, above
        // or below.
        const RECT pieces[4] = {
            RECT{v.left, v.top, s.left, v.bottom}, RECT{s.right, v.top, v.right, v.bottom},
            RECT{v.left, v.top, v.right, s.top}, RECT{v.left, s.bottom, v.right, v.bottom}};
        RECT best{};
        for (const RECT& piece : pieces)
            if (area(piece) > area(best))
                best = piece;
        visible = best;
    }
    return area(visible) > 0 ? visible : RECT{};
}

void CVorpelView::Zoom(int x, int y, int mode) {
    int dx = x - m_scrollOffset.x;
    int dy = y - m_scrollOffset.y;
    if (mode == 2) {
        ZoomAll();
    } else if (mode == 0) {
        int factor = m_zoomMode ? m_zoomFactor * 2 : m_zoomFactor / 2;
        if (factor > kMaxZoomFactor) {
            m_zoomFactor = kMaxZoomFactor;
        } else {
            if (factor == 0) {
                factor = 2;
                m_zoomMode = 1;
            }
            m_zoomFactor = factor;
            m_scrollOffset.x -= dx;
            m_scrollOffset.y -= dy;
        }
    } else if (mode == 1) {
        int factor = m_zoomMode ? m_zoomFactor / 2 : m_zoomFactor * 2;
        if (factor > kMaxZoomFactor) {
            m_zoomFactor = kMaxZoomFactor;
        } else {
            if (factor == 0) {
                factor = 2;
                m_zoomMode = 0;
            }
            m_zoomFactor = factor;
            m_scrollOffset.x += dx / 2;
            m_scrollOffset.y += dy / 2;
        }
    }
    InvalidateRect(nullptr, GetViewKind() < kViewBoard);
    if (IsWindow())
        UpdateWindow();
    RecreateZoomedFont();
    if (m_pInPlaceEdit) {
        m_pInPlaceEdit->DestroyWindow();
        m_pInPlaceEdit = nullptr;
    }
    if (GetParent())
        GetParent()->SetFocus();
}

// --- Sheet side ----------------------------------------------------------------

void CVorpelView::PrepareDC(DeviceContext* dc) {
    dc->SetMapMode(MM_HIMETRIC);
    SIZE window = dc->GetWindowExt();
    SIZE viewport = dc->GetViewportExt();
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowExt(window.cx, window.cx);
    int64_t v =
        m_zoomMode ? static_cast<int64_t>(viewport.cx) * m_zoomFactor : viewport.cx / m_zoomFactor;
    // A narrow window far zoomed out would get a zero extent, which the
    // context refuses; one pixel is the least scale there is.
    int extent = static_cast<int>(std::max<int64_t>(v, 1));
    dc->SetViewportExt(extent, -extent);
    dc->SetWindowOrg(0, GetDocumentExtent().cy);
}

void CVorpelView::PreparePrintDC(DeviceContext* dc, bool fit, int tileX, int tileY) {
    dc->SetMapMode(MM_HIMETRIC);
    SIZE window = dc->GetWindowExt();
    SIZE viewport = dc->GetViewportExt();
    dc->SetMapMode(MM_ANISOTROPIC);
    dc->SetWindowExt(window.cx, window.cx);
    SIZE e = GetPrintExtent();
    int v = viewport.cx;
    // Without an extent there is nothing to fit: true scale.
    if (fit && e.cx > 0) {
        int64_t fitted = static_cast<int64_t>(viewport.cx) * window.cx / e.cx;
        // An extent taller than the page's shape is fitted by its height.
        if (e.cy > 0)
            fitted =
                std::min(fitted, static_cast<int64_t>(std::abs(viewport.cy)) * window.cx / e.cy);
        v = static_cast<int>(std::clamp<int64_t>(fitted, 1, INT32_MAX));
    }
    dc->SetViewportExt(v, -v);
    const SIZE extent = GetDocumentExtent();
    int w = extent.cx;
    int h = extent.cy;
    dc->SetWindowOrg((w - e.cx) / 2 + tileX, h - (h - e.cy) / 2 - tileY);
}

// --- Board side ----------------------------------------------------------------

void CVorpelView::PrepareGraphics(Graphics* g) {
    double z = GetZoomScale();
    float sx = static_cast<float>(g->GetDpiX() * z / 25.4);
    float sy = static_cast<float>(g->GetDpiY() * z / 25.4);
    g->ScaleTransform(sx, -sy);
    g->TranslateTransform(m_scrollOffset.x / sx, -m_scrollOffset.y / sy);
    g->SetSmoothingMode(SmoothingModeAntiAlias);
}

POINT CVorpelView::ClientToLogical(DeviceContext* dc, POINT client) const {
    return dc->ToLogical(POINT{client.x - m_scrollOffset.x, client.y - m_scrollOffset.y});
}

POINT CVorpelView::LogicalToClient(DeviceContext* dc, POINT logical) const {
    POINT d = dc->ToDevice(logical);
    return POINT{d.x + m_scrollOffset.x, d.y + m_scrollOffset.y};
}

void CVorpelView::ClientToModel(PointF& out, Graphics* g, float x, float y) const {
    double z = GetZoomScale();
    out.X = static_cast<float>(x / (g->GetDpiX() * z / 25.4));
    out.Y = static_cast<float>(y / (-(g->GetDpiY() * z) / 25.4));
}

PointF CVorpelView::SnapToGrid(PointF p) const {
    if (!m_snap || !m_pGrid || m_pGrid[0] == 0 || m_pGrid[1] == 0)
        return p;
    auto snap = [](float v, float step) {
        // A grid read from a file may be no number or infinite: no snapping
        // along that axis then.
        if (!std::isfinite(step))
            return v;
        double n = static_cast<double>(v) / step;
        n = n >= 0 ? std::floor(n + 0.5) : std::ceil(n - 0.5);
        return static_cast<float>(n * step);
    };
    return PointF{snap(p.X, m_pGrid[0]), snap(p.Y, m_pGrid[1])};
}

void CVorpelView::DrawGrid(Graphics* g, const RECT& update) {
    if (!m_pGrid)
        return;
    RECT r{update.left - m_scrollOffset.x, update.top - m_scrollOffset.y,
           update.right - m_scrollOffset.x, update.bottom - m_scrollOffset.y};
    GraphicsState state = g->Save();
    g->ResetTransform();
    g->TranslateTransform(static_cast<float>(m_scrollOffset.x),
                          static_cast<float>(m_scrollOffset.y));
    g->SetSmoothingMode(SmoothingModeNone);
    Pen pen(Color::FromColorRef(g_DefaultSettings.colorBoardGrid), 0.0f);
    double z = GetZoomScale();
    double s = g->GetDpiX() * m_pGrid[0] * z / 25.4;
    if (s > 5.0 && std::isfinite(s)) {
        for (int i = static_cast<int>(r.left / s); i <= r.right / s; ++i) {
            float x = static_cast<float>(i * s);
            g->DrawLine(&pen, x, static_cast<float>(r.top), x, static_cast<float>(r.bottom));
        }
    }
    s = g->GetDpiY() * m_pGrid[1] * z / 25.4;
    if (s > 5.0 && std::isfinite(s)) {
        for (int i = static_cast<int>(r.top / s); i <= r.bottom / s; ++i) {
            float y = static_cast<float>(i * s);
            g->DrawLine(&pen, static_cast<float>(r.left), y, static_cast<float>(r.right), y);
        }
    }
    g->Restore(state);
    g->ResetClip();
}

void CVorpelView::DrawOriginMarker(Graphics* g) {
    bool moving = m_currentTool == ID_TOOL_MOVE_ORIGIN;
    if (moving) {
        Pen pen(Color::FromColorRef(g_DefaultSettings.colorOrg), 0.0f);
        float r = static_cast<float>(4.0 / GetZoomScale());
        PointF o = m_pendingOrigin;
        g->DrawEllipse(&pen, o.X - r, o.Y - r, 2 * r, 2 * r);
        g->DrawLine(&pen, o.X - r, o.Y - r, o.X + r, o.Y + r);
        g->DrawLine(&pen, o.X - r, o.Y + r, o.X + r, o.Y - r);
    }
    g->ResetTransform();
    g->TranslateTransform(static_cast<float>(m_scrollOffset.x),
                          static_cast<float>(m_scrollOffset.y));
    Pen pen(Color::FromColorRef(moving ? kRed : g_DefaultSettings.colorOrg), 1.0f);
    g->DrawEllipse(&pen, -15.0f, -15.0f, 30.0f, 30.0f);
    g->DrawLine(&pen, -15.0f, 15.0f, 15.0f, -15.0f);
    g->DrawLine(&pen, -15.0f, -15.0f, 15.0f, 15.0f);
}

// --- Messages ------------------------------------------------------------------

void CVorpelView::OnCreate() {
    m_undoList.SetFocusWindow(GetParent());
}

void CVorpelView::OnDestroy() {
    // Another view may be the active one by now; only this view's own
    // entry is cleared.
    if (g_pActiveView == this)
        g_pActiveView = nullptr;
    if (m_pDocument && m_pDocument->GetEditorView() == this)
        m_pDocument->SetEditorView(nullptr);
}

void CVorpelView::OnZoomCommand(int id) {
    RECT client = GetClientRect();
    Zoom(client.right / 2, client.bottom / 2, id - ID_ZOOM_IN);
}

void CVorpelView::OnZoomAtCursor(int id) {
    POINT p = ScreenToClient(GetCursorPos());
    Zoom(p.x, p.y, id - ID_ZOOM_IN_AT_CURSOR);
}

bool CVorpelView::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        result = 0;
        return true;
    case WM_DESTROY:
        OnDestroy();
        result = 0;
        return true;
    case WM_COMMAND:
        if (lParam == 0) {
            int id = static_cast<int>(LOWORD(wParam));
            if (id >= ID_ZOOM_IN && id <= ID_ZOOM_ALL) {
                OnZoomCommand(id);
                result = 0;
                return true;
            }
            if (id == ID_ZOOM_IN_AT_CURSOR || id == ID_ZOOM_OUT_AT_CURSOR) {
                OnZoomAtCursor(id);
                result = 0;
                return true;
            }
            return false;
        }
        return ReflectNotifications(msg, wParam, lParam, result);
    default:
        return ReflectNotifications(msg, wParam, lParam, result);
    }
}

// --- Mappings and lengths ------------------------------------------------------

RECT WorldRectToDeviceRect(Graphics* g, float x, float y, float width, float height) {
    PointF pts[2] = {{x, y}, {x + width, y + height}};
    if (g) {
        Matrix m = g->WorldToDevice();
        m.TransformPoints(pts, 2);
    }
    int ax = RoundHalfAway(pts[0].X), ay = RoundHalfAway(pts[0].Y);
    int bx = RoundHalfAway(pts[1].X), by = RoundHalfAway(pts[1].Y);
    return RECT{std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by)};
}

bool ParseLength(const std::wstring& text, int unit, float* mm) {
    const wchar_t* end = text.c_str();
    double value = ParseDouble(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(value))
        return false;
    double factor = ValidUnit(unit) ? g_UnitToMm[unit] : 1.0;
    const double result = value * factor;
    if (!(std::fabs(result) <= std::numeric_limits<float>::max()))
        return false;
    *mm = static_cast<float>(result);
    return true;
}

float ParseLength(const std::wstring& text, int unit) {
    float mm = 0;
    ParseLength(text, unit, &mm);
    return mm;
}

std::wstring FormatLength(float mm, int unit) {
    if (!ValidUnit(unit))
        unit = kUnitMm;
    float value = mm / static_cast<float>(g_UnitToMm[unit]);
    return StrPrintf(L"%.*f", g_UnitDecimals[unit], static_cast<double>(value));
}

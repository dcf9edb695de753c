#include "dialogs/board_colors.h"

#include "core/board_layer.h"
#include "core/default_settings.h"
#include "platform/device_context.h"
#include "platform/graphics.h"
#include "platform/list_box_control.h"
#include "platform/string_table.h"
#include "platform/system_colors.h"

#include <cmath>

namespace {

// Grid lines are drawn only when a millimetre is wider than this, in pixels.
constexpr float kMinGridPixels = 5.0f;
// The origin mark's circle and square, in pixels.
constexpr float kOriginMarkPixels = 30.0f;

Color ColorOf(COLORREF c) {
    return Color::FromColorRef(c);
}

} // namespace

const DialogTemplate& CBoardColors::Resource() {
    static const DialogTemplate t{
        1024,
        L"Board colors",
        260,
        190,
        true,
        {
            DlgStatic(IDC_STATIC, L"Colors:", 7, 7, 60, 8),
            DlgListBox(kList, 7, 17, 113, 166,
                       WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS),
            DlgStatic(kPreview, L"", 128, 7, 125, 96),
            DlgButton(kZoomIn, L"+", 128, 107, 24, 14),
            DlgButton(kZoomOut, L"-", 156, 107, 24, 14),
            DlgButton(kLoadPalette, L"Load palette", 128, 126, 60, 14),
            DlgButton(kSavePalette, L"Save palette", 193, 126, 60, 14),
        },
    };
    return t;
}

CBoardColors::CBoardColors() : CColorPage(Resource(), true, false) {}

CBoardColors::~CBoardColors() {
    DestroyWindow();
}

COLORREF* CBoardColors::EntryColor(int index) {
    DefaultSettings& s = g_DefaultSettings;
    COLORREF* objects[kObjectEntries] = {&s.colorBoard,     &s.colorOrg,     &s.colorOutline,
                                         &s.colorBoardGrid, &s.colorAirWire, &s.colorDrill};
    if (index >= 0 && index < kObjectEntries)
        return objects[index];
    if (index >= kObjectEntries && index < kEntryCount)
        return &s.layerColors[index - kObjectEntries];
    return nullptr;
}

void CBoardColors::OnInitDialog() {
    if (PropertySheet* sheet = GetPropertySheet())
        sheet->CenterWindow();
    if (auto* list = GetDlgItemAs<ListBoxControl>(kList)) {
        for (int i = 0; i < kObjectEntries; ++i)
            list->AddString(LoadStringText(255 + static_cast<unsigned>(i)));
        for (int layer = 0; layer < kBoardLayerCount; ++layer)
            list->AddString(LoadStringText(33000 + static_cast<unsigned>(layer)));
    }
    SetModified(true);
}

void CBoardColors::DrawEntry(const DRAWITEMSTRUCT& dis) {
    if (!dis.target || dis.itemID < 0)
        return;
    DeviceContext dc(*dis.target);
    const RECT& rc = dis.rcItem;
    dc.FillRect(rc, CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
    // A swatch as tall as the entry, then the entry's name.
    const int side = rc.bottom - rc.top;
    const GdiBrush oldBrush = dc.SelectBrush(CreateSolidBrush(ShownEntryColor(dis.itemID)));
    dc.Rectangle(rc.left, rc.top, rc.left + side, rc.bottom);
    dc.SelectBrush(oldBrush);
    if (auto* list = GetDlgItemAs<ListBoxControl>(kList)) {
        LogFont font;
        font.lfFaceName = list->GetFont().face;
        font.lfHeight = -list->GetFont().height;
        dc.SelectFont(font);
        dc.SetTextColor(0);
        dc.SetBkMode(TRANSPARENT);
        RECT label{rc.left + side + 4, rc.top, rc.right, rc.bottom};
        dc.DrawText(list->GetText(dis.itemID), label,
                    DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (dis.itemState & ODS_SELECTED)
        dc.DrawFocusRect(rc);
}

bool CBoardColors::OnKillActive() {
    EndBlink();
    g_DefaultSettings.StoreBoardColorsPage();
    RepaintPreview();
    return true;
}

bool CBoardColors::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = 1;
        return true;
    case WM_MEASUREITEM: {
        auto* mis = LParamToPtr<MEASUREITEMSTRUCT>(lParam);
        PlatformWindow* list = GetDlgItem(kList);
        if (!mis || mis->CtlID != static_cast<UINT>(kList) || !list)
            return false;
        mis->itemHeight = static_cast<UINT>(list->GetLineHeight() + 4);
        result = 1;
        return true;
    }
    case WM_DRAWITEM: {
        auto* dis = LParamToPtr<DRAWITEMSTRUCT>(lParam);
        if (!dis || dis->CtlID != static_cast<UINT>(kList))
            return false;
        DrawEntry(*dis);
        result = 1;
        return true;
    }
    default:
        return CColorPage::ProcessWindowMessage(msg, wParam, lParam, result);
    }
}

// ---- preview -----------------------------------------------------------------

void CBoardColors::PaintPreview(PaintTarget& target, const RECT& client) {
    const DefaultSettings& s = g_DefaultSettings;
    {
        DeviceContext dc(target);
        dc.FrameRect(client, GetStockBrush(BLACK_BRUSH));
        RECT inner{client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
        dc.SelectClipRect(&inner);
        dc.FillRect(inner, CreateSolidBrush(s.colorBoard));
    }
    const float w = static_cast<float>(client.right - client.left);
    const float h = static_cast<float>(client.bottom - client.top);
    if (w <= 2 || h <= 2)
        return;
    Graphics g(&target);
    g.SetClip(RectF{static_cast<float>(client.left) + 1, static_cast<float>(client.top) + 1, w - 2,
                    h - 2});
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    // The centre on a whole pixel, so that the origin mark's hairlines stay
    // crisp whatever the control's size.
    const float cx = static_cast<float>(client.left) + std::floor(w / 2);
    const float cy = static_cast<float>(client.top) + std::floor(h / 2);
    const float pxPerMmX = static_cast<float>(Zoom()) * g.GetDpiX() / 25.4f;
    const float pxPerMmY = static_cast<float>(Zoom()) * g.GetDpiY() / 25.4f;
    // Millimetre grid from the centre outwards, in pixels.
    if (pxPerMmX > kMinGridPixels && pxPerMmY > kMinGridPixels) {
        Pen grid(ColorOf(s.colorBoardGrid), 0.0f);
        for (int k = 0; k * pxPerMmX <= w / 2; ++k)
            for (float x : {cx - k * pxPerMmX, cx + k * pxPerMmX})
                g.DrawLine(&grid, x, static_cast<float>(client.top), x,
                           static_cast<float>(client.bottom));
        for (int k = 0; k * pxPerMmY <= h / 2; ++k)
            for (float y : {cy - k * pxPerMmY, cy + k * pxPerMmY})
                g.DrawLine(&grid, static_cast<float>(client.left), y,
                           static_cast<float>(client.right), y);
    }
    // The origin mark: a circle and the diagonals of its square.
    {
        Pen origin(ColorOf(s.colorOrg), 0.0f);
        const float r = kOriginMarkPixels / 2;
        g.DrawEllipse(&origin, cx - r, cy - r, 2 * r, 2 * r);
        g.DrawLine(&origin, cx - r, cy - r, cx + r, cy + r);
        g.DrawLine(&origin, cx - r, cy + r, cx + r, cy - r);
    }
    g.TranslateTransform(cx, cy);
    g.ScaleTransform(pxPerMmX, -pxPerMmY);
    DrawSample(g);
}

// Two-pad parts on either side, two through-hole pads, conductors on the
// outer and the first inner layers, and an airwire; millimetres, y up.
void CBoardColors::DrawSample(Graphics& g) const {
    const DefaultSettings& s = g_DefaultSettings;
    const COLORREF* layer = s.layerColors;
    auto conductor = [&](int id, std::initializer_list<PointF> points) {
        Pen pen(ColorOf(layer[id]), 0.25f);
        pen.SetLineCap(LineCapRound, LineCapRound);
        pen.SetLineJoin(LineJoinRound);
        g.DrawLines(&pen, points.begin(), static_cast<int>(points.size()));
    };
    conductor(kLayerInner1 + 1, {{-4.0f, -2.5f}, {-4.0f, -4.0f}, {3.0f, -4.0f}});
    conductor(kLayerInner1, {{0.0f, -2.5f}, {0.0f, -3.2f}, {5.5f, -3.2f}});
    conductor(kLayerBottom, {{2.5f, -2.0f}, {0.5f, -2.0f}, {0.0f, -2.5f}});
    conductor(kLayerTop, {{-2.5f, 2.0f}, {0.0f, 2.0f}, {1.5f, 0.5f}, {1.5f, -1.0f}});

    // A two-pad part with its silkscreen and outline, centred at (x, y).
    auto part = [&](float x, float y, int copper, int silk, int outline) {
        SolidBrush pad(ColorOf(layer[copper]));
        g.FillRectangle(&pad, x - 1.5f, y - 0.6f, 1.0f, 1.2f);
        g.FillRectangle(&pad, x + 0.5f, y - 0.6f, 1.0f, 1.2f);
        Pen silkPen(ColorOf(layer[silk]), 0.15f);
        g.DrawLine(&silkPen, x - 1.7f, y + 0.9f, x + 1.7f, y + 0.9f);
        g.DrawLine(&silkPen, x - 1.7f, y - 0.9f, x + 1.7f, y - 0.9f);
        Pen outlinePen(ColorOf(layer[outline]), 0.0f);
        g.DrawRectangle(&outlinePen, x - 1.8f, y - 1.1f, 3.6f, 2.2f);
    };
    part(-3.5f, 2.0f, kLayerTop, kLayerSilkscreenTop, kLayerPackageOutlineTop);
    part(3.5f, -2.0f, kLayerBottom, kLayerSilkscreenBottom, kLayerPackageOutlineBottom);

    // Through-hole pads with their holes.
    SolidBrush padBrush(ColorOf(layer[kLayerTop]));
    SolidBrush drill(ColorOf(s.colorDrill));
    for (PointF p : {PointF{-4.0f, -2.5f}, PointF{0.0f, -2.5f}}) {
        g.FillEllipse(&padBrush, p.X - 0.8f, p.Y - 0.8f, 1.6f, 1.6f);
        g.FillEllipse(&drill, p.X - 0.4f, p.Y - 0.4f, 0.8f, 0.8f);
    }

    Pen airwire(ColorOf(s.colorAirWire), 0.0f);
    g.DrawLine(&airwire, -4.5f, 2.0f, -4.0f, -2.5f);
    g.DrawLine(&airwire, 4.5f, -2.0f, 5.5f, -3.2f);
}

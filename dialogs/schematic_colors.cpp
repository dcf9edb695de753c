#include "dialogs/schematic_colors.h"

#include "core/default_settings.h"
#include "dialogs/length_limits.h"
#include "platform/combo_box_control.h"
#include "platform/device_context.h"
#include "platform/font_dialog.h"
#include "platform/list_box_control.h"
#include "platform/string_table.h"

#include <algorithm>
#include <cmath>

namespace {

// Grid steps drawn each side of the preview's centre.
constexpr int kGridStepsX = 20;
constexpr int kGridStepsY = 14;
// The preview shows zoom x this many 0.01 mm from top to bottom.
constexpr int kExtentPerZoom = 440;

// Units the page offers: inch and mm.
bool IsPageUnit(int unit) {
    return unit == kUnitInch || unit == kUnitMm;
}

} // namespace

const DialogTemplate& CSchematicColors::Resource() {
    static const DialogTemplate t{
        256,
        L"Schematic colors",
        260,
        190,
        true,
        {
            DlgStatic(IDC_STATIC, L"Unit:", 7, 9, 60, 8),
            DlgDropDownList(kUnit, 70, 7, 50, 40),
            DlgStatic(IDC_STATIC, L"Wire width:", 7, 26, 60, 8),
            DlgEdit(kWireWidth, 70, 24, 50, 12),
            DlgStatic(IDC_STATIC, L"Bus width:", 7, 42, 60, 8),
            DlgEdit(kBusWidth, 70, 40, 50, 12),
            DlgStatic(IDC_STATIC, L"Connection dot:", 7, 58, 60, 8),
            DlgEdit(kConnectionDot, 70, 56, 50, 12),
            DlgStatic(IDC_STATIC, L"Colors:", 7, 75, 60, 8),
            DlgListBox(kList, 7, 85, 113, 80, WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY),
            DlgButton(kFont, L"Font", 7, 170, 113, 14),
            DlgStatic(kPreview, L"", 128, 7, 125, 96),
            DlgButton(kZoomIn, L"+", 128, 107, 24, 14),
            DlgButton(kZoomOut, L"-", 156, 107, 24, 14),
            DlgButton(kLoadPalette, L"Load palette", 128, 126, 60, 14),
            DlgButton(kSavePalette, L"Save palette", 193, 126, 60, 14),
        },
    };
    return t;
}

CSchematicColors::CSchematicColors() : CColorPage(Resource(), false, true) {}

CSchematicColors::~CSchematicColors() {
    DestroyWindow();
}

COLORREF* CSchematicColors::EntryColor(int index) {
    DefaultSettings& s = g_DefaultSettings;
    COLORREF* colors[kEntryCount] = {&s.colorBkg,  &s.colorSel, &s.colorGrid,   &s.colorDot,
                                     &s.colorWire, &s.colorBus, &s.colorSymbol, &s.colorComment};
    return index >= 0 && index < kEntryCount ? colors[index] : nullptr;
}

bool CSchematicColors::OnEntryChosen(int index) {
    if (index >= kEntryCount)
        return false;
    // The grid entries show the preview's grid in their own style.
    if (index == kGridEntry)
        m_gridLines = 1;
    else if (index == kDotEntry)
        m_gridLines = 0;
    return true;
}

bool CSchematicColors::ShowLengths() {
    int digits = g_UnitDecimals[m_unit];
    return DDX_Float(kWireWidth, m_wireWidth, false, false, 0, 0, digits) &&
           DDX_Float(kBusWidth, m_busWidth, false, false, 0, 0, digits) &&
           DDX_Float(kConnectionDot, m_connectionDot, false, false, 0, 0, digits);
}

void CSchematicColors::OnInitDialog() {
    if (PropertySheet* sheet = GetPropertySheet())
        sheet->CenterWindow();
    SetDlgItemText(kFont, g_DefaultSettings.font.lfFaceName);
    // A unit the page does not offer (mil, µm) is shown as mm.
    m_unit = IsPageUnit(g_DefaultSettings.unit) ? g_DefaultSettings.unit : kUnitMm;
    const double f = g_UnitToMm[m_unit];
    m_wireWidth = static_cast<float>(g_DefaultSettings.wireWidth / f);
    m_busWidth = static_cast<float>(g_DefaultSettings.busWidth / f);
    m_connectionDot = static_cast<float>(g_DefaultSettings.connCircle / f);
    if (auto* combo = GetDlgItemAs<ComboBoxControl>(kUnit)) {
        combo->AddString(LoadStringText(170));
        combo->AddString(LoadStringText(171));
        combo->SetCurSel(m_unit);
    }
    if (auto* list = GetDlgItemAs<ListBoxControl>(kList))
        for (int i = 0; i < kEntryCount; ++i)
            list->AddString(LoadStringText(247 + static_cast<unsigned>(i)));
    ShowLengths();
    SetModified(true);
}

void CSchematicColors::OnUnitChanged() {
    auto* combo = GetDlgItemAs<ComboBoxControl>(kUnit);
    int unit = combo ? combo->GetCurSel() : -1;
    if (!IsPageUnit(unit) || unit == m_unit)
        return;
    // Each field on its own: a bad entry keeps its value.
    DDX_Float(kWireWidth, m_wireWidth, true, false, 0, 0, 6);
    DDX_Float(kBusWidth, m_busWidth, true, false, 0, 0, 6);
    DDX_Float(kConnectionDot, m_connectionDot, true, false, 0, 0, 6);
    const double factor = g_UnitToMm[m_unit] / g_UnitToMm[unit];
    m_wireWidth = static_cast<float>(m_wireWidth * factor);
    m_busWidth = static_cast<float>(m_busWidth * factor);
    m_connectionDot = static_cast<float>(m_connectionDot * factor);
    m_unit = unit;
    ShowLengths();
    SetModified(true);
}

void CSchematicColors::OnFont() {
    LogFont& font = g_DefaultSettings.font;
    // Text is drawn one grid step high whatever the size chosen, so the
    // dialog offers one size; at least 1 point, as the default grid of
    // 2.5 mm would give none.
    int size = std::max(1, static_cast<int>(g_DefaultSettings.gridWidth / 20.0f));
    ChooseFontRequest request;
    request.owner = this;
    request.logFont = &font;
    request.flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_LIMITSIZE;
    request.sizeMin = size;
    request.sizeMax = size;
    font.lfHeight = (4 * size) / 3;
    auto life = LifeToken();
    ChooseFont(&request);
    font.lfHeight = font.lfHeight * 3 / 4;
    if (!*life)
        return;
    SetDlgItemText(kFont, font.lfFaceName);
    RepaintPreview();
}

bool CSchematicColors::OnKillActive() {
    EndBlink();
    // Nothing is stored while a field is rejected: the user stays on the
    // page with the focus in that field.
    const int u = m_unit;
    if (!DDX_Float(kWireWidth, m_wireWidth, true, true, kWidthLimits.MinIn(u),
                   kWidthLimits.MaxIn(u), 6) ||
        !DDX_Float(kBusWidth, m_busWidth, true, true, kWidthLimits.MinIn(u), kWidthLimits.MaxIn(u),
                   6) ||
        !DDX_Float(kConnectionDot, m_connectionDot, true, true, kSizeLimits.MinIn(u),
                   kSizeLimits.MaxIn(u), 6))
        return false;
    const double f = g_UnitToMm[u];
    g_DefaultSettings.wireWidth = static_cast<float>(m_wireWidth * f);
    g_DefaultSettings.busWidth = static_cast<float>(m_busWidth * f);
    g_DefaultSettings.connCircle = static_cast<float>(m_connectionDot * f);
    g_DefaultSettings.unit = u;
    g_DefaultSettings.StoreSchematicColorsPage();
    RepaintPreview();
    return true;
}

bool CSchematicColors::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam,
                                            LRESULT& result) {
    if (msg == WM_INITDIALOG) {
        OnInitDialog();
        result = 1;
        return true;
    }
    if (msg == WM_COMMAND) {
        int id = static_cast<int>(LOWORD(wParam));
        int code = static_cast<int>(HIWORD(wParam));
        if (id == kUnit && code == CBN_SELCHANGE) {
            OnUnitChanged();
            result = 0;
            return true;
        }
        if (id == kFont && code == BN_CLICKED) {
            OnFont();
            result = 0;
            return true;
        }
        if ((id == kWireWidth || id == kBusWidth || id == kConnectionDot) && code == EN_CHANGE) {
            SetModified(true);
            result = 0;
            return true;
        }
    }
    return CColorPage::ProcessWindowMessage(msg, wParam, lParam, result);
}

// ---- preview -----------------------------------------------------------------

void CSchematicColors::PaintPreview(PaintTarget& target, const RECT& client) {
    const DefaultSettings& s = g_DefaultSettings;
    DeviceContext dc(target);
    const int w = client.right - client.left, h = client.bottom - client.top;
    dc.FrameRect(client, GetStockBrush(BLACK_BRUSH));
    RECT inner{client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
    dc.SelectClipRect(&inner);
    dc.FillRect(inner, CreateSolidBrush(s.colorBkg));
    if (w <= 2 || h <= 2)
        return;
    // 0.01 mm with y up and the origin at the centre; the control's height
    // shows zoom x 440 units.
    const int extent = Zoom() * kExtentPerZoom;
    dc.SetMapMode(MM_ISOTROPIC);
    dc.SetWindowExt(extent, extent);
    dc.SetViewportExt(h, -h);
    dc.SetViewportOrg(client.left + w / 2, client.top + h / 2);
    const int grid = static_cast<int>(std::lround(s.gridWidth * 100.0f));
    if (grid <= 0)
        return;
    if (m_gridLines) {
        GdiPen old = dc.SelectPen(CreatePen(PS_SOLID, 0, s.colorGrid));
        for (int i = -kGridStepsX; i <= kGridStepsX; ++i) {
            dc.MoveTo(i * grid, -kGridStepsY * grid);
            dc.LineTo(i * grid, kGridStepsY * grid);
        }
        for (int j = -kGridStepsY; j <= kGridStepsY; ++j) {
            dc.MoveTo(-kGridStepsX * grid, j * grid);
            dc.LineTo(kGridStepsX * grid, j * grid);
        }
        dc.SelectPen(old);
    } else {
        for (int i = -kGridStepsX; i <= kGridStepsX; ++i)
            for (int j = -kGridStepsY; j <= kGridStepsY; ++j)
                dc.SetPixel(i * grid, j * grid, s.colorDot);
    }
    DrawSample(dc, grid);
}

// A part with two inputs from a bus and two outputs, one of them to a
// second, selected part; coordinates in grid steps (text in tenths).
void CSchematicColors::DrawSample(DeviceContext& dc, int g) const {
    const DefaultSettings& s = g_DefaultSettings;
    const int wire = static_cast<int>(std::lround(s.wireWidth * 100.0f));
    const int bus = static_cast<int>(std::lround(s.busWidth * 100.0f));
    const int dot = static_cast<int>(std::lround(s.connCircle * 100.0f));
    auto line = [&](int x1, int y1, int x2, int y2) {
        dc.MoveTo(x1 * g, y1 * g);
        dc.LineTo(x2 * g, y2 * g);
    };
    auto text = [&](const wchar_t* t, int x10, int y10, unsigned align, COLORREF color) {
        dc.SetTextAlign(align);
        dc.SetTextColor(color);
        dc.TextOut(x10 * g / 10, y10 * g / 10, t);
    };
    const GdiPen oldPen = dc.SelectPen(CreatePen(PS_SOLID, wire, s.colorSymbol));
    const GdiBrush oldBrush = dc.SelectBrush(GetStockBrush(NULL_BRUSH));
    dc.SetBkMode(TRANSPARENT);

    // The part: body, pin lines and filled pin bodies at the body's edge.
    dc.Rectangle(-2 * g, 2 * g, 2 * g, -2 * g);
    for (int y : {1, -1}) {
        line(-3, y, -2, y);
        line(2, y, 3, y);
    }
    dc.SelectBrush(CreateSolidBrush(s.colorSymbol));
    const int body = g / 4;
    for (int y : {1, -1}) {
        dc.Rectangle(-2 * g - body, y * g + body / 2, -2 * g, y * g - body / 2);
        dc.Rectangle(2 * g, y * g + body / 2, 2 * g + body, y * g - body / 2);
    }
    dc.SelectBrush(GetStockBrush(NULL_BRUSH));

    // The selected part on the lower output.
    dc.SelectPen(CreatePen(PS_SOLID, wire, s.colorSel));
    line(6, -1, 7, -1);
    dc.Rectangle(7 * g, 0, 9 * g, -2 * g);

    // Wires; the upper output branches twice.
    dc.SelectPen(CreatePen(PS_SOLID, wire, s.colorWire));
    for (int y : {1, -1})
        line(-5, y, -3, y);
    line(3, 1, 6, 1);
    line(4, 1, 4, 4);
    line(4, 3, 6, 3);
    line(3, -1, 6, -1);
    dc.SelectBrush(CreateSolidBrush(s.colorWire));
    dc.SelectPen(CreatePen(PS_NULL, 0, s.colorWire));
    for (POINT p : {POINT{4, 1}, POINT{4, 3}})
        dc.Ellipse(p.x * g - dot / 2, p.y * g + dot / 2, p.x * g + dot / 2, p.y * g - dot / 2);
    dc.SelectBrush(GetStockBrush(NULL_BRUSH));

    // The bus the inputs come from, with its entries.
    dc.SelectPen(CreatePen(PS_SOLID, bus, s.colorBus));
    line(-6, 3, -6, -4);
    for (int y : {1, -1})
        line(-6, y + 1, -5, y);

    // Texts one grid step high in the schematic font.
    g_DefaultSettings.font.lfHeight = g;
    dc.SelectFont(g_DefaultSettings.font);
    text(L"IN", -65, 25, TA_RIGHT | TA_BASELINE, s.colorComment);
    text(L"OUT", 63, 27, TA_LEFT | TA_BASELINE, s.colorComment);
    text(L"2", -22, 12, TA_RIGHT | TA_BOTTOM, s.colorSymbol);
    text(L"3", -22, -8, TA_RIGHT | TA_BOTTOM, s.colorSymbol);
    text(L"4", 22, 12, TA_LEFT | TA_BOTTOM, s.colorSymbol);
    text(L"10", 22, -8, TA_LEFT | TA_BOTTOM, s.colorSymbol);
    text(L"D0", -17, 7, TA_LEFT | TA_BASELINE, s.colorSymbol);
    text(L"D1", -17, -13, TA_LEFT | TA_BASELINE, s.colorSymbol);
    text(L"D2", 17, 7, TA_RIGHT | TA_BASELINE, s.colorSymbol);
    text(L"D4", 17, -13, TA_RIGHT | TA_BASELINE, s.colorSymbol);
    text(L"N1", -48, 12, TA_LEFT | TA_BOTTOM, s.colorWire);
    text(L"N2", -48, -8, TA_LEFT | TA_BOTTOM, s.colorWire);
    text(L"N3", 47, 12, TA_LEFT | TA_BOTTOM, s.colorWire);
    text(L"N4", 42, -8, TA_LEFT | TA_BOTTOM, s.colorWire);
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
}

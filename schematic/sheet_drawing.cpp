// Drawing, bounds, hit tests and repainting of the schematic classes on a
// sheet (and of a part in the symbol editor). Logical units are 0.01 mm with
// y up; sheet positions are grid steps of g logical units.
#include "core/default_settings.h"
#include "core/model_services.h"
#include "core/node_type.h"
#include "core/vorpel_view.h"
#include "platform/text.h"
#include "schematic/bus.h"
#include "schematic/net.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/part_primitive.h"
#include "schematic/pin.h"
#include "schematic/sheet.h"
#include "schematic/sheet_junctions.h"
#include "schematic/sheet_paint.h"
#include "schematic/text.h"
#include "schematic/wire.h"

#include <algorithm>
#include <cmath>
#include <string_view>

// --- Helpers -------------------------------------------------------------------

namespace SheetPaint {

int Grid() {
    return GetSheetScale().grid;
}

int DefaultLineWidth() {
    const double w = g_DefaultSettings.wireWidth * 100.0;
    return static_cast<int>(w >= 0 ? std::floor(w + 0.5) : std::ceil(w - 0.5));
}

int LineWidth(const CSheet* sheet) {
    return sheet ? static_cast<int>(sheet->m_wireWidth) : DefaultLineWidth();
}

RECT Normalized(RECT r) {
    if (r.left > r.right)
        std::swap(r.left, r.right);
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    return r;
}

RECT Grown(RECT r, int by) {
    r = Normalized(r);
    return RECT{r.left - by, r.top - by, r.right + by, r.bottom + by};
}

RECT RectOf(POINT a, POINT b) {
    return Normalized(RECT{a.x, a.y, b.x, b.y});
}

bool Contains(const RECT& r, int x, int y) {
    const RECT n = Normalized(r);
    return x >= n.left && x <= n.right && y >= n.top && y <= n.bottom;
}

bool IsEmpty(const RECT& r) {
    return r.left == r.right || r.top == r.bottom;
}

DeviceContext* Use(DeviceContext* dc, std::unique_ptr<DeviceContext>& holder) {
    if (dc)
        return dc;
    holder = CreateViewDC();
    return holder.get();
}

void Invalidate(DeviceContext* dc, RECT logical) {
    InvalidateDevice(dc, logical, 0);
}

void InvalidateDevice(DeviceContext* dc, RECT logical, int pixels) {
    if (!g_pActiveView)
        return;
    std::unique_ptr<DeviceContext> own;
    dc = Use(dc, own);
    dc->LPtoDP(&logical);
    RECT r = Grown(logical, pixels);
    const POINT scroll = g_pActiveView->GetScrollOffset();
    r.left += scroll.x;
    r.right += scroll.x;
    r.top += scroll.y;
    r.bottom += scroll.y;
    g_pActiveView->InvalidateRect(&r, true);
}

bool OnShownSheet(const CTreeNode* object) {
    auto* placed = dynamic_cast<const CSheetObject*>(object);
    if (!placed || !placed->m_pSheet)
        return false;
    const CTreeNode* shown = g_pActiveView ? g_pActiveView->GetDocument() : nullptr;
    if (!shown || shown->GetType() != NodeType::Sheet)
        return true;
    return placed->m_pSheet == shown;
}

SIZE Measure(DeviceContext* dc, const LogFont& font, const std::wstring& text) {
    std::unique_ptr<DeviceContext> own;
    dc = Use(dc, own);
    LogFont old = dc->SelectFont(font);
    SIZE e = dc->GetTextExtentPoint32(text);
    dc->SelectFont(old);
    return HeldSize(e);
}

} // namespace SheetPaint

using namespace SheetPaint;

namespace {

void Line(DeviceContext* dc, POINT a, POINT b) {
    dc->MoveTo(a.x, a.y);
    dc->LineTo(b.x, b.y);
}

int Sign(int v) {
    return (v > 0) - (v < 0);
}

// Unit vector from the outline outward for a pin side.
POINT Outward(wchar_t side) {
    switch (side) {
    case L'B':
        return POINT{0, -1};
    case L'L':
        return POINT{-1, 0};
    case L'R':
        return POINT{1, 0};
    case L'T':
        return POINT{0, 1};
    default:
        return POINT{0, 0};
    }
}

POINT Along(POINT p, POINT dir, int by) {
    return POINT{p.x + dir.x * by, p.y + dir.y * by};
}

} // namespace

// --- Sheet ---------------------------------------------------------------------

void CSheet::DrawOnSheet(DeviceContext* dc, uint32_t flags) {
    // Drawing never changes the set; a copy keeps the loop safe anyway.
    const std::vector<CSheetObject*> objects(m_objects.begin(), m_objects.end());
    // The junction dots of every wire from one lookup of the sheet's ends.
    const CSheetJunctions junctions(this);
    for (CSheetObject* object : objects) {
        if (object->GetType() == NodeType::Wire && object->m_pSheet == this)
            static_cast<CWire*>(object)->DrawWithJunctions(dc, junctions);
        else
            object->DrawOnSheet(dc, flags);
    }
}

// --- Part ----------------------------------------------------------------------

CPin* CPart::GetOwnPowerPin() const {
    CPackage* package = GetPackage();
    CPin* pin = package ? package->GetPowerPin() : nullptr;
    return pin && pin->GetParent() == this ? pin : nullptr;
}

namespace {
// The net-name label of a power symbol's part: the rectangle beside the
// outline opposite its pin (logical units, left/top/right/bottom).
RECT PowerLabelRect(const CPart* part, const CPin* pin, SIZE e, int g) {
    const int64_t X = part->m_position.x, Y = part->m_position.y;
    const int64_t W = part->m_size.cx, H = part->m_size.cy, o = pin->m_offset;
    e = HeldSize(e);
    switch (pin->m_side) {
    case L'B': {
        const int left = Scale(X + o, g) - e.cx / 2, bottom = Scale(Y + H, g);
        return RECT{left, bottom + e.cy, left + e.cx, bottom};
    }
    case L'T': {
        const int left = Scale(X + o, g) - e.cx / 2, top = Scale(Y, g);
        return RECT{left, top, left + e.cx, top - e.cy};
    }
    case L'L': {
        const int left = Scale(X + W, g), top = Scale(Y + o, g) + e.cy / 2;
        return RECT{left, top, left + e.cx, top - e.cy};
    }
    case L'R': {
        const int right = Scale(X, g), top = Scale(Y + o, g) + e.cy / 2;
        return RECT{right - e.cx, top, right, top - e.cy};
    }
    default:
        return RECT{};
    }
}
} // namespace

void CPart::DrawOnSheet(DeviceContext* dc, uint32_t flags) {
    const bool symbolEditor = (flags & NodeFlags::SymbolView) != 0;
    const int w = LineWidth(m_pSheet);
    const GdiPen selPen = CreatePen(PS_SOLID, w, g_DefaultSettings.colorSel);
    const GdiPen symPen = CreatePen(PS_SOLID, w, g_DefaultSettings.colorSymbol);
    const GdiPen oldPen = dc->SelectPen(symPen);
    if (!symbolEditor)
        dc->SelectPen(IsSelected() ? selPen : symPen);
    for (CPartPrimitive* p : GetDrawnPrimitives()) {
        if (symbolEditor)
            dc->SelectPen(p->IsSelected() ? selPen : symPen);
        else
            p->SetSelected(IsSelected());
        p->Draw(dc, flags, this);
    }
    if (!symbolEditor)
        dc->SelectPen(IsSelected() ? selPen : symPen);
    dc->SetTextColor(IsSelected() ? g_DefaultSettings.colorSel : g_DefaultSettings.colorSymbol);
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Pin)
            child->DrawOnSheet(dc, flags);

    const LogFont oldFont = dc->SelectFont(GetViewFont(false));
    CPackage* package = GetPackage();
    if (package && !TouchesOtherPart()) {
        for (CTreeNode* child : package->GetChildren()) {
            if (child->GetType() != NodeType::Text)
                continue;
            auto* text = static_cast<CText*>(child);
            if (!text->m_visible)
                continue;
            const bool sel = (IsSelected() && !symbolEditor) || text->IsSelected();
            dc->SetTextColor(sel ? g_DefaultSettings.colorSel : g_DefaultSettings.colorSymbol);
            dc->DrawText(text->GetDisplayString(this), text->GetDisplayRect(dc, this),
                         kLabelFormat);
        }
    }
    // A power symbol shows the name of the net its pin forces, at the part
    // that holds the pin.
    if (CPin* power = GetOwnPowerPin()) {
        const SIZE e = dc->GetTextExtentPoint32(power->m_fixedNetName);
        dc->DrawText(power->m_fixedNetName, PowerLabelRect(this, power, e, Grid()), kLabelFormat);
    }
    dc->SelectFont(oldFont);
    dc->SelectPen(oldPen);
}

RECT CPart::GetBoundsOnSheet(DeviceContext* dc) {
    const int g = Grid();
    const int64_t x = m_position.x, y = m_position.y;
    RECT r{Scale(x, g) - g / 2, Scale(y, g) - g / 2, Scale(x + m_size.cx, g) + g / 2,
           Scale(y + m_size.cy, g) + g / 2};
    r = Grown(r, LineWidth(m_pSheet));
    // A power symbol's net name: the bounds reach its extent further out on
    // the side it stands on, and hold the whole of it (a name wider than the
    // outline stands out on both ends).
    RECT label;
    if (GetPowerLabelRect(dc, label)) {
        const SIZE e{label.right - label.left, label.bottom - label.top};
        switch (GetOwnPowerPin()->m_side) {
        case L'B':
            r.bottom += e.cy;
            break;
        case L'L':
            r.right += e.cx;
            break;
        case L'R':
            r.left -= e.cx;
            break;
        default: // 'T'
            r.top -= e.cy;
            break;
        }
        r = RECT{std::min(r.left, label.left), std::min(r.top, label.top),
                 std::max(r.right, label.right), std::max(r.bottom, label.bottom)};
    }
    return r;
}

bool CPart::GetPowerLabelRect(DeviceContext* dc, RECT& rect) const {
    CPin* power = GetOwnPowerPin();
    if (!power || std::wstring_view(L"BLRT").find(power->m_side) == std::wstring_view::npos)
        return false;
    // Measured in the font it is drawn in, whatever font the context holds.
    const SIZE e = Measure(dc, GetViewFont(false), power->m_fixedNetName);
    rect = Normalized(PowerLabelRect(this, power, e, Grid()));
    return true;
}

CTreeNode* CPart::HitTestOnSheet(DeviceContext* dc, int x, int y) {
    if (CPackage* package = GetPackage()) {
        for (CTreeNode* child : package->GetChildren()) {
            if (child->GetType() != NodeType::Text)
                continue;
            auto* text = static_cast<CText*>(child);
            if (text->m_visible && Contains(text->GetDisplayRect(dc, this), x, y))
                return text;
        }
    }
    if (!m_pSheet) {
        for (CTreeNode* child : GetChildren())
            if (CTreeNode* hit = child->HitTestOnSheet(dc, x, y))
                return hit;
        return nullptr;
    }
    return Contains(GetBoundsOnSheet(dc), x, y) ? this : nullptr;
}

void CPart::InvalidateOnSheet(DeviceContext* dc) {
    if (!m_pSheet)
        return;
    std::unique_ptr<DeviceContext> own;
    dc = Use(dc, own);
    Invalidate(dc, GetBoundsOnSheet(dc));
    // The drawing may reach past the outline (an arc, a text below it): all
    // of it, with the pen's width and a pixel of smoothing around.
    const int w = LineWidth(m_pSheet);
    for (const CPartPrimitive* p : GetDrawnPrimitives()) {
        const RECT r = p->GetDrawnRect(dc, this);
        if (r.right < r.left || r.bottom < r.top)
            continue;
        InvalidateDevice(dc, Grown(r, w), 2);
    }
    for (CTreeNode* child : GetChildren())
        child->InvalidateOnSheet(dc);
    if (CPackage* package = GetPackage())
        for (CTreeNode* child : package->GetChildren())
            if (child->GetType() == NodeType::Text)
                child->InvalidateOnSheet(dc);
}

// --- Pin -----------------------------------------------------------------------

POINT CPin::GetInnerPoint() const {
    const int g = Grid();
    const CTreeNode* part = GetParent();
    const POINT c = part ? part->m_position : POINT{};
    const SIZE s = part ? part->m_size : SIZE{};
    const int64_t x = c.x, y = c.y, o = m_offset;
    switch (m_side) {
    case L'B':
        return POINT{Scale(x + o, g), Scale(y, g)};
    case L'L':
        return POINT{Scale(x, g), Scale(y + o, g)};
    case L'R':
        return POINT{Scale(x + s.cx, g), Scale(y + o, g)};
    case L'T':
        return POINT{Scale(x + o, g), Scale(y + s.cy, g)};
    default:
        return Scaled(c, g);
    }
}

POINT CPin::GetOuterPoint() const {
    return Along(GetInnerPoint(), Outward(m_side), Grid());
}

std::wstring CPin::GetShownName(std::vector<size_t>* marks) const {
    std::wstring shown;
    for (size_t i = 0; i < m_name.size(); ++i) {
        if (m_name[i] != L'~') {
            shown += m_name[i];
        } else if (i + 1 < m_name.size() && m_name[i + 1] == L'~') {
            shown += L'~';
            ++i;
        } else if (marks) {
            marks->push_back(shown.size());
        }
    }
    return shown;
}

RECT CPin::GetNameRect(DeviceContext* dc) const {
    const int g = Grid(), q = g / 4;
    const bool vertical = m_side == L'T' || m_side == L'B';
    const SIZE e = Measure(dc, GetViewFont(vertical), GetShownName(nullptr));
    const int cx = e.cx + g / 10;
    const POINT I = GetInnerPoint();
    switch (m_side) {
    case L'L':
        return RECT{I.x + q, I.y + g / 2, I.x + cx, I.y - g / 2};
    case L'R':
        return RECT{I.x - cx - q, I.y + g / 2, I.x, I.y - g / 2};
    case L'T':
        return RECT{I.x - g / 2, I.y - cx, I.x + g / 2, I.y - q};
    case L'B':
        return RECT{I.x - g / 2, I.y + q, I.x + g / 2, I.y + cx};
    default:
        return RECT{I.x, I.y, I.x, I.y};
    }
}

RECT CPin::GetNumberRect(DeviceContext* dc) const {
    const int g = Grid(), q = g / 4;
    const bool vertical = m_side == L'T' || m_side == L'B';
    const SIZE e = Measure(dc, GetViewFont(vertical), GetPadNames());
    const POINT P = Along(GetInnerPoint(), Outward(m_side), q);
    switch (m_side) {
    case L'L':
        return RECT{P.x - e.cx, P.y + g, P.x, P.y};
    case L'R':
        return RECT{P.x, P.y + g, P.x + e.cx, P.y};
    case L'T':
        return RECT{P.x - g, P.y, P.x, P.y + e.cx};
    case L'B':
        return RECT{P.x - g, P.y - e.cx, P.x, P.y};
    default:
        return RECT{P.x, P.y, P.x, P.y};
    }
}

void CPin::DrawOnSheet(DeviceContext* dc, uint32_t flags) {
    const int g = Grid(), q = g / 4;
    const bool symbolEditor = (flags & NodeFlags::SymbolView) != 0;
    const GdiPen oldPen = dc->GetPen();
    if (symbolEditor)
        dc->SelectPen(
            CreatePen(PS_SOLID, DefaultLineWidth(),
                      IsSelected() ? g_DefaultSettings.colorSel : g_DefaultSettings.colorSymbol));
    const int penWidth = dc->GetPen().width;
    const POINT I = GetInnerPoint();
    const POINT out = Outward(m_side);
    const POINT in{-out.x, -out.y};
    const POINT side{out.y != 0 ? 1 : 0, out.x != 0 ? 1 : 0}; // along the outline
    const POINT E = Along(I, out, g);
    auto triangle = [&](POINT apexDir) {
        POINT pts[3] = {Along(I, side, -q), Along(I, side, q), Along(I, apexDir, q)};
        dc->Polygon(pts, 3);
    };
    auto circle = [&](POINT centre) {
        dc->Ellipse(centre.x - q, centre.y + q, centre.x + q, centre.y - q);
    };
    switch (m_shape) {
    case 2:
        circle(I);
        Line(dc, Along(I, out, q), E);
        break;
    case 3:
        Line(dc, POINT{I.x - q, I.y - q}, POINT{I.x + q, I.y + q});
        Line(dc, I, E);
        break;
    case 4:
        Line(dc, POINT{I.x - q, I.y + q}, POINT{I.x + q, I.y - q});
        Line(dc, I, E);
        break;
    case 5:
        triangle(in);
        Line(dc, I, E);
        break;
    case 6:
        triangle(in);
        circle(Along(I, out, q));
        Line(dc, Along(I, out, 2 * q), E);
        break;
    case 7:
        triangle(out);
        Line(dc, Along(I, out, q), E);
        break;
    case 8:
        triangle(out);
        circle(Along(I, in, q));
        Line(dc, Along(I, out, q), E);
        break;
    default:
        Line(dc, I, E);
        break;
    }

    const bool vertical = m_side == L'T' || m_side == L'B';
    const COLORREF color =
        IsSelected() ? g_DefaultSettings.colorSel : g_DefaultSettings.colorSymbol;
    dc->SetTextColor(color);
    const LogFont oldFont = dc->SelectFont(GetViewFont(vertical));
    std::vector<size_t> marks;
    const std::wstring shown = GetShownName(&marks);
    if (!shown.empty()) {
        const RECT r = GetNameRect(dc);
        dc->DrawText(shown, r, kPinFormat);
        if (!marks.empty()) {
            const GdiPen textPen = dc->GetPen();
            dc->SelectPen(CreatePen(PS_SOLID, penWidth, color));
            for (size_t i = 0; i < marks.size(); i += 2) {
                const size_t from = marks[i];
                const size_t to = i + 1 < marks.size() ? marks[i + 1] : shown.size();
                const int a = dc->GetTextExtentPoint32(shown.substr(0, from)).cx;
                const int b = dc->GetTextExtentPoint32(shown.substr(0, to)).cx;
                if (vertical)
                    Line(dc, POINT{r.left, r.top + a}, POINT{r.left, r.top + b});
                else
                    Line(dc, POINT{r.left + a, r.top}, POINT{r.left + b, r.top});
            }
            dc->SelectPen(textPen);
        }
    }
    if (!m_numberHidden)
        dc->DrawText(GetPadNames(), GetNumberRect(dc), kPinFormat);
    dc->SelectFont(oldFont);
    dc->SelectPen(oldPen);
}

RECT CPin::GetBoundsOnSheet(DeviceContext*) {
    return Grown(RectOf(GetOuterPoint(), GetInnerPoint()), Grid() / 2);
}

CTreeNode* CPin::HitTestOnSheet(DeviceContext* dc, int x, int y) {
    m_clickPoint = POINT{x, y};
    return Contains(GetBoundsOnSheet(dc), x, y) ? this : nullptr;
}

void CPin::InvalidateOnSheet(DeviceContext* dc) {
    if (!GetPart()) {
        CTreeNode::InvalidateOnSheet(dc);
        return;
    }
    std::unique_ptr<DeviceContext> own;
    dc = Use(dc, own);
    Invalidate(dc, GetBoundsOnSheet(dc));
    if (!m_name.empty())
        Invalidate(dc, Grown(GetNameRect(dc), Grid() / 4));
    if (!m_numberHidden)
        Invalidate(dc, GetNumberRect(dc));
}

// --- Wire ----------------------------------------------------------------------

namespace {
POINT DrawnEnd(POINT p, POINT other, int busEntry) {
    if (!busEntry)
        return p;
    return POINT{p.x + Sign(other.x - p.x), p.y + Sign(other.y - p.y)};
}
// The outer end of a bus entry's stub (logical units): the stub runs from
// the wire's drawn end D out to the end p of the wire, and half the entry
// value b in grid steps across the wire.
POINT BusEntryTip(POINT D, POINT p, POINT other, int b, int g, bool vertical) {
    if (vertical)
        return POINT{D.x + Scale(b, g) / 2, D.y + Sign(p.y - other.y) * g};
    return POINT{D.x + Sign(p.x - other.x) * g, D.y + Scale(b, g) / 2};
}
} // namespace

POINT CWire::GetDrawnStart() const {
    return DrawnEnd(m_position, m_end, m_busEntry1);
}

POINT CWire::GetDrawnEnd() const {
    return DrawnEnd(m_end, m_position, m_busEntry2);
}

RECT CWire::GetBusEntryLabelRect(DeviceContext* dc, int end) const {
    const int b = end == 1 ? m_busEntry1 : m_busEntry2;
    const wchar_t dir = GetDirection();
    if (!b || (dir != WireDirection::Horizontal && dir != WireDirection::Vertical))
        return RECT{};
    const int g = Grid();
    const POINT p = end == 1 ? m_position : m_end;
    const POINT other = end == 1 ? m_end : m_position;
    const POINT D = Scaled(end == 1 ? GetDrawnStart() : GetDrawnEnd(), g);
    CNet* net = GetNet();
    const std::wstring name = net ? net->GetName() : std::wstring();
    const bool vertical = dir == WireDirection::Vertical;
    const SIZE e = Measure(dc, GetViewFont(vertical), name);
    if (vertical) {
        const int s = Sign(p.y - other.y);
        const POINT tip = BusEntryTip(D, p, other, b, g, true);
        const int from = tip.y + s * (g / 4);
        return RECT{tip.x - g / 2, from, tip.x + g / 2, from + s * e.cx};
    }
    const int s = Sign(p.x - other.x);
    const POINT tip = BusEntryTip(D, p, other, b, g, false);
    const int from = tip.x + s * (g / 4);
    return RECT{from, tip.y + g / 2, from + s * e.cx, tip.y - g / 2};
}

void CWire::DrawOnSheet(DeviceContext* dc, uint32_t) {
    if (!SamePoint(m_position, m_end))
        DrawWithJunctions(dc, CSheetJunctions(m_pSheet));
}

void CWire::DrawWithJunctions(DeviceContext* dc, const CSheetJunctions& junctions) {
    if (SamePoint(m_position, m_end))
        return;
    const int g = Grid();
    const int width = LineWidth(m_pSheet);
    const GdiPen oldPen = dc->SelectPen(
        CreatePen(PS_SOLID, width,
                  (m_selected & 1) ? g_DefaultSettings.colorSel : g_DefaultSettings.colorWire));
    Line(dc, Scaled(GetDrawnStart(), g), Scaled(GetDrawnEnd(), g));

    const wchar_t dir = GetDirection();
    if (m_busEntry1 || m_busEntry2) {
        const bool vertical = dir == WireDirection::Vertical;
        const LogFont oldFont = dc->SelectFont(GetViewFont(vertical));
        for (int end = 1; end <= 2; ++end) {
            const int b = end == 1 ? m_busEntry1 : m_busEntry2;
            if (!b)
                continue;
            const bool sel = (m_selected & (end == 1 ? 2 : 4)) != 0;
            const COLORREF color = sel ? g_DefaultSettings.colorSel : g_DefaultSettings.colorWire;
            dc->SelectPen(CreatePen(PS_SOLID, width, color));
            dc->SetTextColor(color);
            const POINT p = end == 1 ? m_position : m_end;
            const POINT other = end == 1 ? m_end : m_position;
            const POINT D = Scaled(end == 1 ? GetDrawnStart() : GetDrawnEnd(), g);
            if (vertical || dir == WireDirection::Horizontal)
                Line(dc, D, BusEntryTip(D, p, other, b, g, vertical));
            if (CNet* net = GetNet())
                dc->DrawText(net->GetName(), GetBusEntryLabelRect(dc, end), kPinFormat);
        }
        dc->SelectFont(oldFont);
    }

    // Junction dots where three or more items meet.
    int count[2] = {0, 0};
    junctions.CountAtEnds(*this, count);
    const POINT ends[2] = {m_position, m_end};
    if (count[0] >= 2 || count[1] >= 2) {
        const int d = m_pSheet ? static_cast<int>(m_pSheet->m_dotDiameter) : 0;
        const int h = static_cast<int>(static_cast<unsigned>(d) / 2);
        dc->SelectPen(CreatePen(PS_SOLID, 0, g_DefaultSettings.colorWire));
        const GdiBrush oldBrush = dc->SelectBrush(CreateSolidBrush(g_DefaultSettings.colorWire));
        for (int i = 0; i < 2; ++i) {
            if (count[i] < 2)
                continue;
            const POINT c = Scaled(ends[i], g);
            dc->Ellipse(c.x - h, c.y + h, c.x + h, c.y - h);
        }
        dc->SelectBrush(oldBrush);
    }
    dc->SelectPen(oldPen);
}

RECT CWire::GetBoundsOnSheet(DeviceContext*) {
    const int g = Grid();
    return Grown(RectOf(Scaled(m_position, g), Scaled(m_end, g)), g / 3);
}

CTreeNode* CWire::HitTestOnSheet(DeviceContext* dc, int x, int y) {
    for (int end = 1; end <= 2; ++end) {
        const RECT r = GetBusEntryLabelRect(dc, end);
        if (!IsEmpty(r) && Contains(r, x, y))
            return this;
    }
    return Contains(GetBoundsOnSheet(dc), x, y) ? this : nullptr;
}

void CWire::InvalidateOnSheet(DeviceContext* dc) {
    if (!m_pSheet)
        return;
    std::unique_ptr<DeviceContext> own;
    dc = Use(dc, own);
    const int g = Grid();
    Invalidate(dc, Grown(RectOf(Scaled(m_position, g), Scaled(m_end, g)),
                         static_cast<int>(m_pSheet->m_dotDiameter / 2)));
    for (int end = 1; end <= 2; ++end) {
        const RECT r = GetBusEntryLabelRect(dc, end);
        if (!IsEmpty(r))
            Invalidate(dc, r);
    }
}

void CWire::InvalidateBusEntries(DeviceContext* dc) {
    if (!m_pSheet)
        return;
    std::unique_ptr<DeviceContext> own;
    dc = Use(dc, own);
    const int g = Grid();
    const wchar_t dir = GetDirection();
    const int width = LineWidth(m_pSheet);
    for (int end = 1; end <= 2; ++end) {
        const int b = end == 1 ? m_busEntry1 : m_busEntry2;
        if (!b)
            continue;
        const POINT p = end == 1 ? m_position : m_end;
        const POINT other = end == 1 ? m_end : m_position;
        const POINT D = Scaled(end == 1 ? GetDrawnStart() : GetDrawnEnd(), g);
        // The stub as it is drawn, with its pen and a pixel of smoothing.
        if (dir == WireDirection::Vertical || dir == WireDirection::Horizontal) {
            const POINT tip = BusEntryTip(D, p, other, b, g, dir == WireDirection::Vertical);
            InvalidateDevice(dc, Grown(RectOf(D, tip), width), 2);
        }
        const RECT r = GetBusEntryLabelRect(dc, end);
        if (!IsEmpty(r))
            Invalidate(dc, r);
    }
}

// --- Bus -----------------------------------------------------------------------

void CBus::DrawOnSheet(DeviceContext* dc, uint32_t) {
    if (m_direction != L'H' && m_direction != L'V')
        return;
    const int g = Grid();
    const int width = m_pSheet ? static_cast<int>(m_pSheet->m_busWidth) : 0;
    const GdiPen oldPen = dc->SelectPen(CreatePen(
        PS_SOLID, width, IsSelected() ? g_DefaultSettings.colorSel : g_DefaultSettings.colorBus));
    Line(dc, Scaled(GetStart(), g), Scaled(GetEnd(), g));
    dc->SelectPen(oldPen);
}

RECT CBus::GetBoundsOnSheet(DeviceContext*) {
    const int g = Grid();
    return Grown(RectOf(Scaled(GetStart(), g), Scaled(GetEnd(), g)), g / 5);
}

CTreeNode* CBus::HitTestOnSheet(DeviceContext*, int x, int y) {
    if (m_direction != L'H' && m_direction != L'V')
        return nullptr;
    const int g = Grid();
    auto round = [g](int v) { return (v >= 0 ? v + g / 2 : v - g / 2) / g; };
    return ContainsPoint(POINT{round(x), round(y)}) ? this : nullptr;
}

void CBus::InvalidateOnSheet(DeviceContext* dc) {
    Invalidate(dc, GetBoundsOnSheet(dc));
}

// --- Text ----------------------------------------------------------------------

CPackage* CText::GetHoldingPackage() const {
    CTreeNode* parent = GetParent();
    return parent && parent->GetType() == NodeType::Package ? static_cast<CPackage*>(parent)
                                                            : nullptr;
}

std::wstring CText::GetDisplayString(const CPart* part) const {
    std::wstring s = m_text;
    CPackage* package = GetHoldingPackage();
    if (!part || !package || m_name != L"RefDes" || package->m_partsPerPackage == 1)
        return s;
    const int n = part->GetPartNumber();
    if (n < 0)
        return std::wstring();
    if (n > 0)
        s += StrPrintf(L"%d", n % 1000);
    return s;
}

RECT CText::GetDisplayRect(DeviceContext* dc, const CPart* part) const {
    const int g = Grid();
    const POINT p = part ? part->m_position : POINT{};
    const int x0 = Held(int64_t{ScaleTenths(m_position.x, g)} + Scale(p.x, g));
    const int y0 = Held(int64_t{ScaleTenths(m_position.y, g)} + Scale(p.y, g));
    const SIZE e = Measure(dc, GetViewFont(false), GetDisplayString(part));
    return RECT{x0, y0, x0 + g + e.cx, y0 + e.cy};
}

void CText::DrawOnSheet(DeviceContext* dc, uint32_t) {
    dc->SetTextColor(IsSelected() ? g_DefaultSettings.colorSel : g_DefaultSettings.colorComment);
    dc->DrawText(m_text, GetBoundsOnSheet(dc), kLabelFormat);
}

RECT CText::GetBoundsOnSheet(DeviceContext* dc) {
    const int g = Grid();
    const CTreeNode* holder = GetParent();
    const POINT p = holder ? holder->m_position : POINT{};
    const int x0 = Held(int64_t{ScaleTenths(m_position.x, g)} + Scale(p.x, g));
    const int y0 = Held(int64_t{ScaleTenths(m_position.y, g)} + Scale(p.y, g));
    const SIZE e = Measure(dc, GetViewFont(false), m_text);
    return Normalized(RECT{x0, y0, x0 + e.cx + g, y0 + e.cy});
}

CTreeNode* CText::HitTestOnSheet(DeviceContext* dc, int x, int y) {
    m_clickPoint = POINT{x, y};
    if (!m_visible)
        return nullptr;
    if (CPackage* package = GetHoldingPackage()) {
        // A library symbol's units lie on no sheet: the symbol editor shows
        // the texts at each of them. On a schematic only the units on the
        // shown sheet carry them.
        const bool symbolEditor = GetActiveViewKind() == kViewSymbol;
        for (CTreeNode* child : package->GetChildren()) {
            if (child->GetType() != NodeType::Part)
                continue;
            auto* part = static_cast<CPart*>(child);
            const bool shown = part->m_pSheet ? OnShownSheet(part) : symbolEditor;
            if (shown && Contains(GetDisplayRect(dc, part), x, y))
                return this;
        }
        return nullptr;
    }
    return Contains(GetBoundsOnSheet(dc), x, y) ? this : nullptr;
}

void CText::InvalidateOnSheet(DeviceContext* dc) {
    std::unique_ptr<DeviceContext> own;
    dc = Use(dc, own);
    if (CPackage* package = GetHoldingPackage()) {
        for (CTreeNode* child : package->GetChildren())
            if (child->GetType() == NodeType::Part)
                Invalidate(dc, GetDisplayRect(dc, static_cast<CPart*>(child)));
        return;
    }
    Invalidate(dc, GetBoundsOnSheet(dc));
}

// --- Net and package -------------------------------------------------------------

CTreeNode* CNet::HitTestOnSheet(DeviceContext* dc, int x, int y) {
    for (CTreeNode* child : GetChildren())
        if (CTreeNode* hit = child->HitTestOnSheet(dc, x, y))
            return hit;
    return nullptr;
}

void CNet::InvalidateOnSheet(DeviceContext* dc) {
    for (CTreeNode* child : GetChildren())
        if (child->GetType() == NodeType::Wire)
            child->InvalidateOnSheet(dc);
}

CTreeNode* CPackage::HitTestOnSheet(DeviceContext* dc, int x, int y) {
    for (CTreeNode* child : GetChildren()) {
        if (child->GetType() == NodeType::Pin)
            continue;
        if (CTreeNode* hit = child->HitTestOnSheet(dc, x, y))
            return hit;
    }
    return nullptr;
}

void CPackage::InvalidateOnSheet(DeviceContext* dc) {
    for (CTreeNode* child : GetChildren())
        child->InvalidateOnSheet(dc);
}

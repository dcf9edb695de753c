#include "schematic/part_primitive_text.h"

#include "core/default_settings.h"
#include "core/document_bounds.h"
#include "core/property_edit.h"
#include "core/property_grid.h"
#include "platform/device_context.h"
#include "platform/key_state.h"
#include "platform/messages.h"
#include "schematic/part_primitive_shapes.h"
#include "schematic/part_primitive_token.h"
#include "schematic/sheet_paint.h"

#include <algorithm>

namespace {
bool IsAsciiLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

wchar_t TurnedStyle(wchar_t style, int key, bool shift) {
    switch (key) {
    case 'H':
        return style == L'R' ? L'L' : style == L'L' ? L'R' : style;
    case 'V':
        return style == L'T' ? L'B' : style == L'B' ? L'T' : style;
    case 'R':
        if (shift) {
            switch (style) {
            case L'R':
                return L'T';
            case L'T':
                return L'L';
            case L'L':
                return L'B';
            case L'B':
                return L'R';
            default:
                return style;
            }
        }
        switch (style) {
        case L'R':
            return L'B';
        case L'B':
            return L'L';
        case L'L':
            return L'T';
        case L'T':
            return L'R';
        default:
            return style;
        }
    default:
        return style;
    }
}
} // namespace

CPartText::CPartText(CTreeNode* owner, const std::wstring& rest) : CPartPrimitive(owner) {
    const wchar_t* p = rest.c_str();
    if (IsAsciiLetter(*p))
        style = *p++;
    int v[2] = {0, 0};
    int read = PartToken::ScanInts(p, v, 2);
    pos = POINT{v[0], v[1]};
    // The text is the whole rest of the token after the colon: no length
    // limit, tabs kept, every underscore read back as a space.
    if (read == 2 && *p == L':') {
        text.assign(p + 1, rest.c_str() + rest.size());
        std::replace(text.begin(), text.end(), L'_', L' ');
    }
}

CPartPrimitive* CPartText::Clone(CTreeNode* newOwner) const {
    auto* copy = new CPartText(newOwner);
    copy->CopyBaseFrom(*this, newOwner);
    copy->CopyFrom(*this);
    return copy;
}

void CPartText::CopyFrom(const CPartPrimitive& other) {
    if (auto* o = dynamic_cast<const CPartText*>(&other)) {
        text = o->text;
        pos = o->pos;
        style = o->style;
    }
}

bool CPartText::IsDifferent(const CPartPrimitive& other) const {
    auto* o = dynamic_cast<const CPartText*>(&other);
    return !o || text != o->text || !(pos == o->pos) || style != o->style;
}

std::wstring CPartText::ToString() const {
    std::wstring s = L"TEXT";
    s += style;
    s += PartToken::FormatInts({pos.x, pos.y});
    s += L':';
    for (wchar_t c : text)
        s += c == L' ' ? L'_' : c;
    return s;
}

POINT CPartText::GetMinPoint() const {
    return pos;
}

POINT CPartText::GetMaxPoint() const {
    return pos;
}

void CPartText::TransformByKey(int key) {
    bool shift = IsKeyDown(VK_SHIFT);
    CPartPrimitive::TransformByKey(key);
    style = TurnedStyle(style, key, shift);
    if (key == 'R') {
        CPropertyGrid* grid = GetPropertyGrid();
        if (grid && grid->GetShownObject() == this)
            grid->RefreshProperties();
    }
}

SIZE CPartText::Measure(DeviceContext* dc) const {
    LogFont old = dc->SelectFont(GetViewFont(IsVertical()));
    SIZE size = dc->GetTextExtentPoint32(text);
    dc->SelectFont(old);
    return SheetPaint::HeldSize(size);
}

RECT CPartText::GetDrawRect(DeviceContext* dc, POINT partPos) const {
    SheetScale s = GetSheetScale();
    POINT a = s.ToLogical(partPos, pos);
    SIZE e = Measure(dc);
    int w = e.cx, half = e.cy / 2;
    switch (style) {
    case L'R':
        return RECT{a.x, a.y + half, a.x + w, a.y - half};
    case L'L':
        return RECT{a.x - w, a.y + half, a.x, a.y - half};
    case L'T':
        return RECT{a.x - half, a.y, a.x + half, a.y + w};
    case L'B':
        return RECT{a.x - half, a.y - w, a.x + half, a.y};
    default:
        return RECT{a.x, a.y, a.x, a.y};
    }
}

RECT CPartText::GetDisplayRect(DeviceContext* dc) const {
    std::unique_ptr<DeviceContext> own;
    if (!dc) {
        own = CreateViewDC();
        dc = own.get();
    }
    SheetScale s = GetSheetScale();
    SIZE e = Measure(dc);
    int w = s.ToPrimitive(e.cx);
    int h = s.ToPrimitive(e.cy);
    const int64_t half = h / 2;
    // In tenths of a step: any 32-bit position, the edges held within 32 bits.
    const int64_t x = pos.x, y = pos.y;
    auto rect = [](int64_t l, int64_t t, int64_t r, int64_t b) {
        return RECT{ToInt32(l), ToInt32(t), ToInt32(r), ToInt32(b)};
    };
    switch (style) {
    case L'B':
        return rect(x - half, y, x + half, y - w);
    case L'L':
        return rect(x - w, y + half, x, y - half);
    case L'R':
        return rect(x, y + half, x + w, y - half);
    case L'T':
        return rect(x - half, y + w, x + half, y);
    default:
        return RECT{};
    }
}

RECT CPartText::GetDrawnRect(DeviceContext* dc, const CTreeNode* part) const {
    if (!dc)
        return RECT{};
    return PartGeometry::Normalized(GetDrawRect(dc, PartPosition(part)));
}

void CPartText::Draw(DeviceContext* dc, uint32_t, const CTreeNode* part) {
    RECT r = GetDrawRect(dc, PartPosition(part));
    LogFont old = dc->SelectFont(GetViewFont(IsVertical()));
    dc->SetTextColor(m_selected ? g_DefaultSettings.colorSel : g_DefaultSettings.colorSymbol);
    dc->DrawText(text, r, DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
    dc->SelectFont(old);
}

bool CPartText::IsInRect(const RECT& rect) const {
    RECT a = PartGeometry::Normalized(GetDisplayRect());
    RECT b = PartGeometry::Normalized(rect);
    return std::max(a.left, b.left) < std::min(a.right, b.right) &&
           std::max(a.top, b.top) < std::min(a.bottom, b.bottom);
}

bool CPartText::HitTest(int x, int y) const {
    RECT r = PartGeometry::Normalized(GetDisplayRect());
    if (r.left == r.right && r.top == r.bottom)
        return false; // an unknown style has no place to hit
    return PartGeometry::PointInRect(POINT{x, y}, r);
}

POINT* CPartText::HitTestVertex(int, int) {
    return nullptr;
}

int CPartText::MouseDown(DeviceContext*, uint32_t flags, int x, int y) {
    if (m_state == -1)
        SelectClick(flags, x, y, false);
    return 0;
}

void CPartText::Invalidate(DeviceContext* dc) {
    if (!dc)
        return;
    InvalidateLogicalRect(dc, GetDrawRect(dc, OwnerPosition()));
}

void CPartText::FillPropertyGrid() {
    CPropertyGrid* grid = GetPropertyGrid();
    if (!grid)
        return;
    grid->SetTitle(149);                  // "Text Properties"
    grid->AddCheckbox(183, IsVertical()); // "Vertical"
    grid->AddText(151, text);             // "Value"
}

void CPartText::ApplyPropertyChange(int row) {
    if (row == 0) {
        ApplyCheckboxRow(this, row, [this](bool v) { style = v ? L'T' : L'R'; });
    } else if (row == 1) {
        CPropertyGrid* grid = GetPropertyGrid();
        auto* edit = grid ? dynamic_cast<CPropertyEdit*>(grid->GetItem(row)) : nullptr;
        if (!edit)
            return;
        auto dc = CreateViewDC();
        BeginPrimitivePropertyEdit(this, dc.get());
        text = edit->GetText();
        EndPrimitivePropertyEdit(this, dc.get());
    }
}

#include "core/pin_shape_combobox.h"

#include "platform/bitmap.h"
#include "platform/combo_box_control.h"
#include "platform/device_context.h"
#include "platform/messages.h"

namespace {
constexpr unsigned kPinShapeNameId = 161;   // "Pin Shape"
constexpr unsigned kFirstShapeBitmap = 272; // shape s shows bitmap 272 + s

void DrawCentred(PaintTarget* target, unsigned bitmapId, const RECT& r) {
    std::shared_ptr<Bitmap> bitmap = Bitmap::LoadResource(bitmapId);
    if (!bitmap || !target)
        return;
    int x = r.left + (r.right - r.left - bitmap->Width()) / 2;
    int y = r.top + (r.bottom - r.top - bitmap->Height()) / 2;
    bitmap->Draw(target, x, y);
}
} // namespace

CPinShapeCombobox::CPinShapeCombobox(int shape)
    : CPropertyComboBase(kPinShapeNameId), m_shape(shape) {}

uint32_t CPinShapeCombobox::EditorStyle() const {
    return CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | WS_VSCROLL;
}

void CPinShapeCombobox::FillEditor(ComboBoxControl& combo) {
    for (int i = 0; i < kPinShapeCount; ++i)
        combo.AddString(L"", i + 1);
    combo.SetCurSel(m_shape >= 1 && m_shape <= kPinShapeCount ? m_shape - 1 : -1);
}

CPropertyComboBase::Take CPinShapeCombobox::TakeSelection(ComboBoxControl& combo) {
    int sel = combo.GetCurSel();
    if (sel < 0)
        return Take::Nothing;
    m_shape = sel + 1;
    return Take::Taken;
}

void CPinShapeCombobox::DrawValue(DeviceContext&, const DRAWITEMSTRUCT* dis, const RECT& value) {
    if (m_shape >= 1 && m_shape <= kPinShapeCount)
        DrawCentred(dis->target, kFirstShapeBitmap + static_cast<unsigned>(m_shape), value);
}

void CPinShapeCombobox::DrawListEntry(const DRAWITEMSTRUCT* dis) {
    if (!OwnsEntry(dis) || dis->itemID < 0)
        return;
    DeviceContext dc(*dis->target);
    dc.FillRect(dis->rcItem, CreateSolidBrush(0xFFFFFF));
    DrawCentred(dis->target, kFirstShapeBitmap + static_cast<unsigned>(dis->itemID) + 1,
                dis->rcItem);
    if (dis->itemState & ODS_FOCUS) {
        dc.DrawFocusRect(dis->rcItem);
    } else {
        GdiPen old = dc.SelectPen(CreatePen(PS_SOLID, 1, 0xFFFFFF));
        GdiBrush oldBrush = dc.SelectBrush(GetStockBrush(NULL_BRUSH));
        dc.Rectangle(dis->rcItem.left, dis->rcItem.top, dis->rcItem.right, dis->rcItem.bottom);
        dc.SelectPen(old);
        dc.SelectBrush(oldBrush);
    }
}

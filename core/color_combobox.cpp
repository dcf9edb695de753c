#include "core/color_combobox.h"

#include "core/property_list_ctrl.h"
#include "platform/color_dialog.h"
#include "platform/combo_box_control.h"
#include "platform/device_context.h"
#include "platform/messages.h"
#include "platform/system_colors.h"

const COLORREF g_PropertyColorTable[kColorTableSize] = {
    0x000000, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

CColorCombobox::CColorCombobox(PropertyText name, COLORREF color)
    : CPropertyComboBase(std::move(name)), m_color(color) {}

int CColorCombobox::FindColor(COLORREF color) {
    for (int i = 0; i < kColorTableSize; ++i)
        if (g_PropertyColorTable[i] == color)
            return i;
    return -1;
}

uint32_t CColorCombobox::EditorStyle() const {
    return CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | WS_VSCROLL;
}

void CColorCombobox::FillEditor(ComboBoxControl& combo) {
    combo.AddString(L"Select", 0);
    for (int i = 1; i < kColorTableSize; ++i)
        combo.AddString(L"", static_cast<LPARAM>(g_PropertyColorTable[i]));
    combo.SetCurSel(FindColor(m_color));
}

CPropertyComboBase::Take CColorCombobox::TakeSelection(ComboBoxControl& combo) {
    int sel = combo.GetCurSel();
    if (sel < 0 || sel >= kColorTableSize)
        return Take::Nothing; // a colour outside the table stays as it is
    if (sel > 0) {
        m_color = g_PropertyColorTable[sel];
        return Take::Taken;
    }
    ChooseColorRequest request;
    request.owner = m_pList;
    request.flags = CC_FULLOPEN;
    if (m_color != 0) {
        request.flags |= CC_RGBINIT;
        request.rgbResult = m_color;
    }
    request.customColors = ProcessCustomColors();
    if (!ChooseColor(&request))
        return Take::Nothing;
    m_color = request.rgbResult;
    return Take::Taken;
}

void CColorCombobox::DrawValue(DeviceContext& dc, const DRAWITEMSTRUCT*, const RECT& value) {
    dc.FillRect(RECT{value.left, value.top, value.right, value.bottom - 1},
                CreateSolidBrush(m_color));
}

void CColorCombobox::DrawListEntry(const DRAWITEMSTRUCT* dis) {
    if (!OwnsEntry(dis) || dis->itemID < 0 || dis->itemID >= kColorTableSize)
        return;
    DeviceContext dc(*dis->target);
    RECT r = dis->rcItem;
    if (dis->itemID == 0) {
        dc.FillRect(r, CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
        RECT b{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
        COLORREF face = GetSysColor(COLOR_BTNFACE);
        GdiPen oldPen = dc.SelectPen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
        GdiBrush oldBrush = dc.SelectBrush(CreateSolidBrush(face));
        dc.RoundRect(b.left, b.top, b.right, b.bottom, 5, 5);
        dc.SelectPen(oldPen);
        dc.SelectBrush(oldBrush);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
        if (m_pList) {
            LogFont font;
            font.lfFaceName = m_pList->GetFont().face;
            font.lfHeight = m_pList->GetFont().height;
            dc.SelectFont(font);
        }
        dc.DrawText(L"Select", b, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    } else {
        dc.FillRect(r, CreateSolidBrush(g_PropertyColorTable[dis->itemID]));
    }
    if (dis->itemState & ODS_SELECTED) {
        dc.DrawFocusRect(r);
    } else {
        GdiPen old = dc.SelectPen(CreatePen(PS_SOLID, 1, 0xFFFFFF));
        GdiBrush oldBrush = dc.SelectBrush(GetStockBrush(NULL_BRUSH));
        dc.Rectangle(r.left, r.top, r.right, r.bottom);
        dc.SelectPen(old);
        dc.SelectBrush(oldBrush);
    }
}

#include "core/sheet_size_combobox.h"

#include "core/property_list_ctrl.h"
#include "core/sheet_size_table.h"
#include "platform/combo_box_control.h"
#include "platform/device_context.h"
#include "platform/messages.h"
#include "platform/system_colors.h"

namespace {
constexpr unsigned kFormatNameId = 168; // "Format"
constexpr int kMinVisibleEntries = 32;
} // namespace

CSheetSizeCombobox::CSheetSizeCombobox(CSheetSizeTable* table)
    : CPropertyComboBase(kFormatNameId), m_table(table) {}

uint32_t CSheetSizeCombobox::EditorStyle() const {
    return CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_DISABLENOSCROLL | WS_VSCROLL;
}

void CSheetSizeCombobox::FillEditor(ComboBoxControl& combo) {
    combo.SetMinVisible(kMinVisibleEntries);
    if (!m_table)
        return;
    int count = m_table->GetEntryCount();
    for (int i = 0; i < count; ++i)
        combo.AddString(m_table->GetEntryName(i));
    // The present size is selected when the table holds it.
    for (int i = 0; i < count; ++i) {
        int series = -1, row = -1;
        if (m_table->GetEntry(i, &series, &row) && row > 0 && series == m_table->GetSeries() &&
            row - 1 == m_table->GetRow()) {
            combo.SetCurSel(i);
            break;
        }
    }
}

void CSheetSizeCombobox::AfterOpen(ComboBoxControl& combo) {
    combo.ShowDropDown(true);
}

CPropertyComboBase::Take CSheetSizeCombobox::TakeSelection(ComboBoxControl& combo) {
    int sel = combo.GetCurSel();
    int series = -1, row = -1;
    if (sel < 0 || !m_table || !m_table->GetEntry(sel, &series, &row))
        return Take::Nothing;
    if (row == 0)
        return Take::KeepOpen; // a series heading is no size
    m_table->SelectSize(series, row - 1);
    return Take::Taken;
}

void CSheetSizeCombobox::DrawValue(DeviceContext& dc, const DRAWITEMSTRUCT*, const RECT& value) {
    if (m_table)
        DrawRowText(dc, m_table->GetEntryName(),
                    RECT{value.left + 4, value.top, value.right, value.bottom});
}

void CSheetSizeCombobox::DrawListEntry(const DRAWITEMSTRUCT* dis) {
    if (!OwnsEntry(dis) || dis->itemID < 0 || !m_table)
        return;
    int series = -1, row = -1;
    if (!m_table->GetEntry(dis->itemID, &series, &row))
        return;
    DeviceContext dc(*dis->target);
    RECT r = dis->rcItem;
    bool selected = (dis->itemState & ODS_SELECTED) && row > 0;
    dc.FillRect(r, CreateSolidBrush(GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW)));
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    if (m_pList) {
        LogFont font;
        font.lfFaceName = m_pList->GetFont().face;
        font.lfHeight = m_pList->GetFont().height;
        dc.SelectFont(font);
    }
    unsigned format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    if (row == 0) {
        int mid = (r.top + r.bottom) / 2;
        GdiPen old = dc.SelectPen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_GRAYTEXT)));
        dc.MoveTo(r.left, mid);
        dc.LineTo(r.right, mid);
        dc.SelectPen(old);
        std::wstring name = L" " + m_table->GetSeriesName(series) + L" ";
        SIZE extent = dc.GetTextExtentPoint32(name);
        int cx = (r.left + r.right) / 2;
        RECT band{cx - extent.cx / 2, r.top, cx + extent.cx / 2 + 1, r.bottom};
        dc.FillRect(band, CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
        dc.DrawText(name, r, format);
    } else {
        dc.DrawText(m_table->GetEntryName(dis->itemID), r, format);
        if (dis->itemState & ODS_FOCUS)
            dc.DrawFocusRect(RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1});
    }
}

#include "core/property_item.h"

#include "core/property_list_ctrl.h"
#include "platform/device_context.h"
#include "platform/string_table.h"
#include "platform/system_colors.h"

PropertyText::PropertyText(unsigned id) : text_(LoadStringText(id)) {}

CPropertyItem::CPropertyItem(PropertyText name) : m_name(name.Text()) {}

CPropertyItem::~CPropertyItem() = default;

int CPropertyItem::Divider() const {
    return m_pList ? m_pList->GetDivider() : CPropertyListCtrl::kInitialDivider;
}

int CPropertyItem::RowHeight() const {
    return m_rect.bottom - m_rect.top;
}

RECT CPropertyItem::ValueRect() const {
    return RECT{Divider(), m_rect.top, m_rect.right, m_rect.bottom};
}

void CPropertyItem::DrawRowText(DeviceContext& dc, const std::wstring& text, const RECT& r) {
    dc.DrawText(text, r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void CPropertyItem::Draw(const DRAWITEMSTRUCT* dis) {
    m_rect = dis->rcItem;
    if (!dis->target)
        return;
    DeviceContext dc(*dis->target);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    GdiPen oldPen = dc.SelectPen(CreatePen(PS_SOLID, 1, face));
    GdiBrush oldBrush = dc.SelectBrush(CreateSolidBrush(face));
    dc.Rectangle(m_rect.left, m_rect.top, Divider(), m_rect.bottom);
    dc.SelectPen(oldPen);
    dc.SelectBrush(oldBrush);
    if (m_pList) {
        LogFont font;
        font.lfFaceName = m_pList->GetFont().face;
        font.lfHeight = m_pList->GetFont().height;
        dc.SelectFont(font);
    }
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
    DrawRowText(dc, m_name, RECT{m_rect.left + 4, m_rect.top, Divider(), m_rect.bottom});
}

void CPropertyItem::DrawListEntry(const DRAWITEMSTRUCT*) {}

void CPropertyItem::MoveEditor() {}

bool CPropertyItem::OnClick(bool, int) {
    return false;
}

bool CPropertyItem::EndEdit(bool) {
    return false;
}

void CPropertyItem::BeginEdit() {}

bool CPropertyItem::CommitEdit() {
    return false;
}

bool CPropertyItem::IsEditing() const {
    return false;
}

void CPropertyItem::CloseEditor() {
    CommitEdit();
}

#include "core/property_checkbox.h"

#include "core/property_list_ctrl.h"
#include "platform/bitmap.h"
#include "platform/messages.h"

CPropertyCheckbox::CPropertyCheckbox(PropertyText name, bool checked)
    : CPropertyItem(std::move(name)), m_checked(checked) {}

void CPropertyCheckbox::Draw(const DRAWITEMSTRUCT* dis) {
    CPropertyItem::Draw(dis);
    DrawCheckImage(dis->target, m_pList, ValueRect(), m_checked);
}

bool CPropertyCheckbox::OnClick(bool inValue, int) {
    if (!inValue)
        return false;
    m_checked = !m_checked;
    if (m_pList && m_pList->IsWindow()) {
        m_pList->Invalidate(true);
        m_pList->UpdateWindow();
    }
    return true;
}

void DrawCheckImage(PaintTarget* target, CPropertyListCtrl* list, const RECT& value, bool checked) {
    if (!target || !list || !list->GetCheckImages())
        return;
    ImageList* images = list->GetCheckImages();
    int y = value.top + (value.bottom - value.top - images->ImageHeight()) / 2;
    images->Draw(target, checked ? 1 : 0, value.left, y);
}

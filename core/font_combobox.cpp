#include "core/font_combobox.h"

#include "platform/combo_box_control.h"
#include "platform/edit_control.h"
#include "platform/installed_fonts.h"
#include "platform/logical_font.h"

CFontCombobox::CFontCombobox(PropertyText name, std::wstring faceName)
    : CPropertyComboBase(std::move(name)), m_faceName(std::move(faceName)) {}

uint32_t CFontCombobox::EditorStyle() const {
    return CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL;
}

void CFontCombobox::FillEditor(ComboBoxControl& combo) {
    int selected = -1;
    for (const std::wstring& family : InstalledFontFamilies()) {
        int index = combo.AddString(family);
        if (family == m_faceName)
            selected = index;
    }
    combo.SetCurSel(selected);
    if (selected < 0)
        combo.SetWindowText(m_faceName);
}

bool CFontCombobox::EndEdit(bool accept) {
    if (m_editor && accept) {
        std::wstring typed = m_editor->GetWindowText();
        if (!typed.empty())
            m_faceName = typed.substr(0, LogFont::kMaxFaceName);
    }
    return CPropertyComboBase::EndEdit(accept);
}

CPropertyComboBase::Take CFontCombobox::TakeSelection(ComboBoxControl& combo) {
    int sel = combo.GetCurSel();
    if (sel >= 0) {
        m_faceName = combo.GetLBText(sel);
        return Take::Taken;
    }
    std::wstring typed = combo.GetWindowText();
    if (typed.empty())
        return Take::Nothing;
    m_faceName = typed.substr(0, LogFont::kMaxFaceName);
    return Take::Taken;
}

void CFontCombobox::DrawValue(DeviceContext& dc, const DRAWITEMSTRUCT*, const RECT& value) {
    DrawRowText(dc, m_faceName, RECT{value.left + 4, value.top, value.right, value.bottom});
}

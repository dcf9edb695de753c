#include "core/property_combobox.h"

#include "core/property_list_ctrl.h"
#include "platform/combo_box_control.h"
#include "platform/device_context.h"
#include "platform/system_colors.h"

#include <algorithm>

namespace {
constexpr int kComboId = 2;
} // namespace

CPropertyComboBase::CPropertyComboBase(PropertyText name) : CPropertyItem(std::move(name)) {}

CPropertyComboBase::~CPropertyComboBase() = default;

uint32_t CPropertyComboBase::EditorStyle() const {
    return CBS_DROPDOWNLIST | WS_VSCROLL;
}

void CPropertyComboBase::Draw(const DRAWITEMSTRUCT* dis) {
    CPropertyItem::Draw(dis);
    if (!dis->target)
        return;
    DeviceContext dc(*dis->target);
    LogFont font;
    font.lfFaceName = m_pList ? m_pList->GetFont().face : L"Tahoma";
    font.lfHeight = m_pList ? m_pList->GetFont().height : 11;
    dc.SelectFont(font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
    DrawValue(dc, dis, ValueRect());
}

void CPropertyComboBase::MoveEditor() {
    if (m_editor)
        m_editor->MoveWindow(ValueRect());
}

bool CPropertyComboBase::OnClick(bool inValue, int) {
    if (inValue)
        BeginEdit();
    else if (m_editor && m_pList)
        m_pList->SetFocus();
    return false;
}

void CPropertyComboBase::BeginEdit() {
    if (!m_pList || !m_pList->IsWindow() || m_editor)
        return;
    int row = m_pList->IndexOf(this);
    if (row < 0)
        return;
    m_pList->SetFocus();
    if (m_pList->IndexOf(this) != row)
        return; // taking the focus refilled the panel
    RECT r;
    if (m_pList->GetItemRect(row, &r)) {
        r.right = std::max(r.right, m_pList->GetClientRect().right);
        m_rect = r;
    }
    m_retired.reset();
    m_accept = 1;
    m_editor = std::make_unique<ComboBoxControl>();
    if (!m_editor->Create(m_pList, ValueRect(), L"", WS_CHILD | WS_VISIBLE | EditorStyle(), 0,
                          kComboId)) {
        m_editor.reset();
        return;
    }
    m_editor->SetFont(m_pList->GetFont());
    FillEditor(*m_editor);
    m_editor->SetFocus();
    AfterOpen(*m_editor);
}

void CPropertyComboBase::DestroyEditor() {
    if (!m_editor)
        return;
    m_retired = std::move(m_editor);
    m_retired->DestroyWindow();
}

bool CPropertyComboBase::EndEdit(bool accept) {
    if (!m_editor)
        return false;
    m_accept = accept ? 1 : 0;
    if (m_pList)
        m_pList->SetFocus();
    if (m_editor && m_pList)
        m_pList->CommitAll();
    return m_editor == nullptr;
}

bool CPropertyComboBase::CommitEdit() {
    if (!m_editor)
        return false;
    bool taken = false;
    if (m_accept) {
        Take take = TakeSelection(*m_editor);
        if (take == Take::KeepOpen) {
            m_editor->SetFocus();
            m_editor->ShowDropDown(true);
            return false;
        }
        taken = take == Take::Taken;
    }
    m_accept = 1;
    DestroyEditor();
    return taken;
}

bool CPropertyComboBase::IsEditing() const {
    return m_editor != nullptr;
}

void CPropertyComboBase::CloseEditor() {
    m_accept = 0;
    DestroyEditor();
    m_accept = 1;
}

bool CPropertyComboBase::OwnsEntry(const DRAWITEMSTRUCT* dis) const {
    return m_editor && dis && dis->hwndItem == m_editor.get() && dis->target;
}

// --- Plain list of texts ---------------------------------------------------

CPropertyCombobox::CPropertyCombobox(PropertyText name, std::vector<std::wstring> entries,
                                     int selected)
    : CPropertyComboBase(std::move(name)), m_entries(std::move(entries)) {
    SetSelectedIndex(selected);
}

void CPropertyCombobox::SetSelectedIndex(int index) {
    m_selected = index >= 0 && index < static_cast<int>(m_entries.size()) ? index : -1;
}

std::wstring CPropertyCombobox::GetSelectedText() const {
    return m_selected >= 0 ? m_entries[static_cast<size_t>(m_selected)] : std::wstring();
}

void CPropertyCombobox::FillEditor(ComboBoxControl& combo) {
    for (const std::wstring& e : m_entries)
        combo.AddString(e);
    combo.SetCurSel(m_selected);
}

CPropertyComboBase::Take CPropertyCombobox::TakeSelection(ComboBoxControl& combo) {
    int sel = combo.GetCurSel();
    if (sel < 0 || sel >= static_cast<int>(m_entries.size()))
        return Take::Nothing;
    m_selected = sel;
    return Take::Taken;
}

void CPropertyCombobox::DrawValue(DeviceContext& dc, const DRAWITEMSTRUCT*, const RECT& value) {
    DrawRowText(dc, GetSelectedText(), RECT{value.left + 4, value.top, value.right, value.bottom});
}

#include "core/property_edit.h"

#include "core/property_checkbox.h"
#include "core/property_list_ctrl.h"
#include "platform/bitmap.h"
#include "platform/button_control.h"
#include "platform/device_context.h"
#include "platform/edit_control.h"
#include "platform/string_table.h"
#include "platform/system_colors.h"

#include <algorithm>

namespace {
constexpr int kEditorId = 1;
constexpr int kButtonBitmapId = 385;
} // namespace

CPropertyEdit::CPropertyEdit(PropertyText name, std::wstring text, int unit)
    : CPropertyItem(std::move(name)), m_text(std::move(text)), m_unit(unit) {}

CPropertyEdit::~CPropertyEdit() = default;

RECT CPropertyEdit::EditorRect() const {
    return ValueRect();
}

void CPropertyEdit::DrawValue(DeviceContext& dc, const RECT& value) {
    DrawRowText(dc, m_text, RECT{value.left + 4, value.top, value.right, value.bottom});
}

void CPropertyEdit::Draw(const DRAWITEMSTRUCT* dis) {
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
    DrawValue(dc, ValueRect());
}

void CPropertyEdit::MoveEditor() {
    if (m_editor)
        m_editor->MoveWindow(EditorRect());
}

bool CPropertyEdit::OnClick(bool inValue, int) {
    if (inValue)
        BeginEdit();
    else if (m_editor && m_pList)
        m_pList->SetFocus();
    return false;
}

void CPropertyEdit::BeginEdit() {
    if (!m_pList || !m_pList->IsWindow() || m_editor)
        return;
    int row = m_pList->IndexOf(this);
    if (row < 0)
        return;
    m_pList->SetFocus();
    // Taking the focus may have committed another row whose object filled
    // the panel again; this row is gone then.
    if (m_pList->IndexOf(this) != row)
        return;
    RECT r;
    if (m_pList->GetItemRect(row, &r)) {
        r.right = std::max(r.right, m_pList->GetClientRect().right);
        m_rect = r;
    }
    m_retired.reset();
    m_accept = 1;
    m_editor = std::make_unique<EditControl>();
    if (!m_editor->Create(m_pList, EditorRect(), m_text, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL,
                          WS_EX_CLIENTEDGE, kEditorId)) {
        m_editor.reset();
        return;
    }
    m_editor->SetFont(m_pList->GetFont());
    m_editor->SetFocus();
    m_editor->SetSel(0, -1);
    m_editor->ScrollCaret();
}

void CPropertyEdit::DestroyEditor() {
    if (!m_editor)
        return;
    // Moved out first: destroying a focused editor notifies the list, which
    // commits again and must find this row closed.
    m_retired = std::move(m_editor);
    m_retired->DestroyWindow();
}

bool CPropertyEdit::EndEdit(bool accept) {
    if (!m_editor)
        return false;
    m_accept = accept ? 1 : 0;
    // The editor's loss of the focus commits every row.
    if (m_pList)
        m_pList->SetFocus();
    if (m_editor && m_pList)
        m_pList->CommitAll();
    return true;
}

bool CPropertyEdit::CommitEdit() {
    if (!m_editor)
        return false;
    bool taken = m_accept != 0;
    if (taken)
        m_text = m_editor->GetWindowText();
    m_accept = 1;
    DestroyEditor();
    return taken;
}

bool CPropertyEdit::IsEditing() const {
    return m_editor != nullptr;
}

void CPropertyEdit::CloseEditor() {
    // The row is going away: nothing is applied any more.
    m_accept = 0;
    DestroyEditor();
    m_accept = 1;
}

// --- Edit with a check box in front ----------------------------------------

CPropertyEditAndCheckbox::CPropertyEditAndCheckbox(PropertyText name, std::wstring text,
                                                   bool checked)
    : CPropertyEdit(std::move(name), std::move(text)), m_checked(checked) {}

RECT CPropertyEditAndCheckbox::EditorRect() const {
    RECT r = ValueRect();
    r.left += RowHeight();
    return r;
}

void CPropertyEditAndCheckbox::DrawValue(DeviceContext& dc, const RECT& value) {
    DrawCheckImage(dc.Target(), m_pList, value, m_checked);
    CPropertyEdit::DrawValue(dc,
                             RECT{value.left + RowHeight(), value.top, value.right, value.bottom});
}

bool CPropertyEditAndCheckbox::OnClick(bool inValue, int x) {
    if (inValue && x <= Divider() + RowHeight()) {
        m_checked = !m_checked;
        if (m_pList && m_pList->IsWindow()) {
            m_pList->Invalidate(true);
            m_pList->UpdateWindow();
        }
        return true;
    }
    return CPropertyEdit::OnClick(inValue, x);
}

// --- Edit with a push button -----------------------------------------------

CPropertyEditAndButton::CPropertyEditAndButton(PropertyText name, std::wstring text, int commandId,
                                               PlatformWindow* owner, unsigned captionId, int style)
    : CPropertyEdit(std::move(name), std::move(text)), m_owner(owner), m_commandId(commandId),
      m_caption(captionId ? LoadStringText(captionId) : std::wstring(L"...")), m_style(style) {}

CPropertyEditAndButton::~CPropertyEditAndButton() = default;

RECT CPropertyEditAndButton::ButtonRect() const {
    RECT v = ValueRect();
    if (m_style & kButtonOnly)
        return RECT{v.left + 4, v.top, v.right, v.bottom};
    int width = 12;
    if (!(m_style & kButtonBitmap) && m_pList)
        width = m_pList->MeasureText(m_caption).cx;
    width += 8;
    return RECT{v.right - width, v.top, v.right, v.bottom};
}

RECT CPropertyEditAndButton::EditorRect() const {
    RECT r = ValueRect();
    r.right = ButtonRect().left;
    return r;
}

void CPropertyEditAndButton::PlaceButton() {
    if (!m_pList || !m_pList->IsWindow())
        return;
    if (m_button && !m_button->IsWindow())
        m_button.reset();
    if (!m_button) {
        m_button = std::make_unique<ButtonControl>();
        uint32_t style = WS_CHILD | WS_VISIBLE | ((m_style & kButtonBitmap) ? BS_BITMAP : 0);
        if (!m_button->Create(m_pList, ButtonRect(), m_caption, style, 0, m_commandId)) {
            m_button.reset();
            return;
        }
        m_button->SetFont(m_pList->GetFont(), false);
        if (m_style & kButtonBitmap)
            m_button->SetBitmap(Bitmap::LoadResource(kButtonBitmapId));
    } else {
        m_button->MoveWindow(ButtonRect());
    }
}

void CPropertyEditAndButton::Draw(const DRAWITEMSTRUCT* dis) {
    CPropertyEdit::Draw(dis);
    PlaceButton();
}

void CPropertyEditAndButton::DrawValue(DeviceContext& dc, const RECT& value) {
    if (!(m_style & kButtonOnly))
        CPropertyEdit::DrawValue(dc, value);
}

void CPropertyEditAndButton::MoveEditor() {
    CPropertyEdit::MoveEditor();
    if (m_button)
        m_button->MoveWindow(ButtonRect());
}

bool CPropertyEditAndButton::OnClick(bool inValue, int x) {
    if (m_style & kButtonOnly)
        return false;
    return CPropertyEdit::OnClick(inValue, x);
}

void CPropertyEditAndButton::BeginEdit() {
    if (!(m_style & kButtonOnly))
        CPropertyEdit::BeginEdit();
}

void CPropertyEditAndButton::CloseEditor() {
    CPropertyEdit::CloseEditor();
    // The button object goes with the row (rows are deleted once no
    // message of theirs is running any more).
    if (m_button)
        m_button->DestroyWindow();
}

#include "dialogs/padstack_list_ctrl.h"

#include "board/board_types.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/length_unit.h"
#include "core/vorpel_view.h"
#include "dialogs/padstack_sheet.h"
#include "dialogs/vpl_data_exchange.h"
#include "platform/combo_box_control.h"
#include "platform/edit_control.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"

#include <cmath>

namespace {
// Column titles and widths (pixels).
constexpr unsigned kColumnTitles[4] = {32930, 317, 334, 335};
// Narrow enough for all four columns to fit the list of the Create page.
constexpr int kColumnWidths[4] = {115, 80, 60, 60};
// Row names: "Top", "Bottom", "Inner", "Plane", then the mask and paste layers.
constexpr unsigned kRowNames[CPadstackListCtrl::kRowCount] = {32901, 32902, 32903, 32904,
                                                              32909, 32910, 32911, 32912};
constexpr unsigned kShapeNames = 323; // "Undefined", "Round", "Oblong", ...
// The shapes offered in place: a custom outline is drawn, not typed.
constexpr int kShapesOffered = 4;
} // namespace

void CPadstackListCtrl::Attach(CPadstackSheet* sheet, const int* unit, PlatformWindow* notify) {
    m_sheet = sheet;
    m_unit = unit;
    m_notify = notify;
}

CPadstack* CPadstackListCtrl::Padstack() const {
    return m_sheet ? m_sheet->GetPadstack() : nullptr;
}

int CPadstackListCtrl::RowToPadLayer(int row) {
    if (row < 0 || row >= kRowCount)
        return -1;
    return row < 4 ? row : row + 22;
}

int CPadstackListCtrl::PadLayerToRow(int value) {
    if (value >= 0 && value < 4)
        return value;
    if (value >= 26 && value <= 29)
        return value - 22;
    return -1;
}

std::wstring CPadstackListCtrl::CellText(int row, int column) const {
    if (column == kColumnLayer)
        return row >= 0 && row < kRowCount ? LoadStringText(kRowNames[row]) : std::wstring();
    const CPadstack* padstack = Padstack();
    const CPadLayer* layer = padstack ? padstack->FindPadLayer(RowToPadLayer(row)) : nullptr;
    if (column == kColumnShape) {
        const int shape = layer && layer->m_shape >= 0 && layer->m_shape <= kPadShapeCustom
                              ? layer->m_shape
                              : kPadShapeNone;
        return LoadStringText(kShapeNames + static_cast<unsigned>(shape));
    }
    if (!layer)
        return std::wstring();
    const int unit = m_unit && IsLengthUnit(*m_unit) ? *m_unit : kUnitMm;
    if (column == kColumnWidth)
        return FormatLength(layer->m_width, unit);
    if (column == kColumnHeight)
        return FormatLength(layer->m_height, unit);
    return std::wstring();
}

void CPadstackListCtrl::FillRows() {
    if (GetColumnCount() == 0) {
        for (int column = 0; column < 4; ++column) {
            const std::wstring title = LoadStringText(kColumnTitles[column]);
            InsertColumn(column, title,
                         PlatformDialog::MapColumnWidth(*this, title, kColumnWidths[column]));
        }
    }
    // The eight rows, once; later fills only bring their texts up to date,
    // so that a cell's editor stays open over its row (a shape chosen in
    // the drop-down list refills the page while the list is still open).
    if (GetItemCount() != kRowCount) {
        DeleteAllItems();
        for (int row = 0; row < kRowCount; ++row)
            InsertItem(row, CellText(row, kColumnLayer));
    }
    for (int row = 0; row < kRowCount; ++row)
        for (int column = kColumnLayer; column <= kColumnHeight; ++column)
            SetItemText(row, column, CellText(row, column));
}

void CPadstackListCtrl::Changed() {
    if (m_notify)
        m_notify->SendMessage(WM_PADSTACK_REFILL);
}

bool CPadstackListCtrl::CloseEditor(bool save) {
    if (!GetCellEditor())
        return false;
    const int row = GetCellEditorItem();
    const int column = GetCellEditorSubItem();
    std::wstring text;
    const bool isEdit = GetCellEdit() != nullptr;
    if (isEdit)
        text = GetCellEdit()->GetWindowText();
    CloseCellEditor();
    if (save && isEdit)
        ApplyEdit(row, column, text);
    return true;
}

void CPadstackListCtrl::ApplyEdit(int row, int column, const std::wstring& text) {
    CPadstack* padstack = Padstack();
    const int value = RowToPadLayer(row);
    if (!padstack || value < 0 || (column != kColumnWidth && column != kColumnHeight))
        return;
    if (text.find_first_not_of(L" \t") == std::wstring::npos)
        return; // an empty cell changes nothing
    // Read as strictly as the length fields of the dialogs: a text that is
    // no number is refused rather than taken as 0.
    const int unit = m_unit && IsLengthUnit(*m_unit) ? *m_unit : kUnitMm;
    double number = 0;
    const float mm = ParseFieldNumber(text, &number) ? static_cast<float>(number * g_UnitToMm[unit])
                                                     : std::nanf("");
    if (!std::isfinite(mm) || mm < 0) {
        MessageBeep(kSimpleBeep);
        return;
    }
    CPadLayer* layer = padstack->FindPadLayer(value);
    if (!layer) {
        layer = new CPadLayer(value);
        layer->m_shape = kPadShapeRound;
        padstack->AddChild(layer);
    }
    if (column == kColumnWidth)
        layer->m_width = mm;
    else
        layer->m_height = mm;
    // A round pad stays round.
    if (layer->m_shape == kPadShapeRound) {
        layer->m_width = mm;
        layer->m_height = mm;
    }
    Changed();
}

void CPadstackListCtrl::ApplyShape(int row, int shape) {
    CPadstack* padstack = Padstack();
    const int value = RowToPadLayer(row);
    if (!padstack || value < 0 || shape < kPadShapeNone || shape >= kShapesOffered)
        return;
    CPadLayer* layer = padstack->FindPadLayer(value);
    if (!layer) {
        // A missing row comes into being with the shape chosen, at size 0.
        if (shape == kPadShapeNone)
            return;
        layer = new CPadLayer(value);
        layer->m_shape = shape;
        padstack->AddChild(layer);
    } else if (shape == kPadShapeNone) {
        layer->RemoveFromParent();
        delete layer;
    } else {
        layer->m_shape = shape;
    }
    SetItemText(row, kColumnShape, CellText(row, kColumnShape));
    SetItemText(row, kColumnWidth, CellText(row, kColumnWidth));
    SetItemText(row, kColumnHeight, CellText(row, kColumnHeight));
    // The page refills once the drop-down list has finished with the choice.
    if (m_notify)
        m_notify->PostMessage(WM_PADSTACK_REFILL);
}

void CPadstackListCtrl::ClickCell(int row, int column) {
    CloseEditor(false);
    if (row < 0 || row >= kRowCount)
        return;
    CPadstack* padstack = Padstack();
    const CPadLayer* layer = padstack ? padstack->FindPadLayer(RowToPadLayer(row)) : nullptr;
    if (layer && layer->m_shape == kPadShapeCustom)
        return;
    if (column == kColumnShape) {
        ComboBoxControl* combo = OpenCellCombo(row, column, kComboId);
        if (!combo)
            return;
        for (int i = 0; i < kShapesOffered; ++i)
            combo->AddString(LoadStringText(kShapeNames + static_cast<unsigned>(i)));
        combo->SetCurSel(layer ? layer->m_shape : kPadShapeNone);
    } else if (column == kColumnWidth || column == kColumnHeight) {
        OpenCellEdit(row, column, kEditId, GetItemText(row, column));
    }
}

bool CPadstackListCtrl::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam,
                                             LRESULT& result) {
    switch (msg) {
    case WM_SETFOCUS:
        // Back in the list: an open cell edit is applied.
        CloseEditor(true);
        return false;
    case OCM_BASE + WM_NOTIFY: {
        auto* hdr = LParamToPtr<NMHDR>(lParam);
        if (!hdr || hdr->code != NM_CLICK)
            return false;
        const auto* click = LParamToPtr<NMITEMACTIVATE>(lParam);
        ClickCell(click->iItem, click->iSubItem);
        result = 0;
        return true;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == kComboId && HIWORD(wParam) == CBN_SELCHANGE) {
            if (ComboBoxControl* combo = GetCellCombo())
                ApplyShape(GetCellEditorItem(), combo->GetCurSel());
            result = 0;
            return true;
        }
        return false;
    default:
        return false;
    }
}

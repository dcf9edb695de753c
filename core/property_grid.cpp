#include "core/property_grid.h"

#include "core/color_combobox.h"
#include "core/font_combobox.h"
#include "core/layer_combobox.h"
#include "core/pin_shape_combobox.h"
#include "core/property.h"
#include "core/property_checkbox.h"
#include "core/property_combobox.h"
#include "core/property_edit.h"
#include "core/property_tab.h"
#include "core/sheet_size_combobox.h"
#include "core/tree_node.h"
#include "core/vorpel_view.h"
#include "platform/bitmap.h"
#include "platform/device_context.h"
#include "platform/paint_target.h"
#include "platform/string_table.h"
#include "platform/system_colors.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"

#include <cmath>
#include <limits>

namespace {
constexpr unsigned kPropertiesTitleId = 162; // "Properties"
constexpr unsigned kCheckImagesId = 257;
constexpr int kListId = 1;
constexpr int kColumnWidth = 194;
constexpr int kTabLeft = 73;
constexpr int kTabRight = 127;

CPropertyGrid* g_propertyGrid = nullptr;

// A length typed in a row: a number must lead the text (what follows it is
// ignored, as the desktop conversion did); *end is where the number ended.
bool ParseNumber(const wchar_t* text, double* value, const wchar_t** end) {
    const wchar_t* stop = text;
    double v = ParseDouble(text, &stop);
    if (stop == text || !std::isfinite(v))
        return false;
    *value = v;
    *end = stop;
    return true;
}
} // namespace

CPropertyGrid* GetPropertyGrid() {
    return g_propertyGrid;
}

void SetPropertyGrid(CPropertyGrid* grid) {
    g_propertyGrid = grid;
}

// The first of the live panels, for objects that go while a panel shows
// them; each panel links the next. A plain pointer without a destructor:
// nodes may go during the program's exit.
CPropertyGrid* CPropertyGrid::firstLive_ = nullptr;

CProperty::~CProperty() {
    CPropertyGrid::ForgetEverywhere(this);
}

void CPropertyGrid::ForgetEverywhere(const CProperty* object) {
    for (CPropertyGrid* grid = firstLive_; grid; grid = grid->nextLive_)
        if (grid->shown_ == object)
            grid->ForgetDestroyedObject();
}

CPropertyGrid::CPropertyGrid() : caption_(LoadStringText(kPropertiesTitleId)) {
    list_.SetChangeHandler([this](int row) { ApplyRow(row); });
    nextLive_ = firstLive_;
    if (nextLive_)
        nextLive_->previousLive_ = this;
    firstLive_ = this;
}

CPropertyGrid::~CPropertyGrid() {
    (previousLive_ ? previousLive_->nextLive_ : firstLive_) = nextLive_;
    if (nextLive_)
        nextLive_->previousLive_ = previousLive_;
    if (g_propertyGrid == this)
        g_propertyGrid = nullptr;
    DestroyWindow();
}

// The shown object is being destroyed (whoever deleted it forgot the
// panel): its rows go without a word to it, so that neither a row still
// being edited nor a later look at the panel reaches freed memory.
void CPropertyGrid::ForgetDestroyedObject() {
    shown_ = nullptr;
    ShowProperties(nullptr);
}

// --- Rows ----------------------------------------------------------------------

int CPropertyGrid::Add(CPropertyItem* item) {
    return list_.AddItem(item);
}

int CPropertyGrid::AddText(unsigned nameId, PropertyText text) {
    return Add(new CPropertyEdit(nameId, text.Text()));
}

int CPropertyGrid::AddTextNamed(PropertyText name, PropertyText text) {
    return Add(new CPropertyEdit(std::move(name), text.Text()));
}

int CPropertyGrid::AddInt(unsigned nameId, int value) {
    return Add(new CPropertyEdit(nameId, StrPrintf(L"%d", value)));
}

int CPropertyGrid::AddIntForward(unsigned nameId, int value) {
    return AddInt(nameId, value);
}

int CPropertyGrid::AddFloat(unsigned nameId, float mm, int unit) {
    return Add(new CPropertyEdit(nameId, FormatLength(mm, unit), unit));
}

int CPropertyGrid::AddPoint(unsigned nameId, int x, int y) {
    return Add(new CPropertyEdit(nameId, StrPrintf(L"%d,%d", x, y)));
}

int CPropertyGrid::AddPointF(unsigned nameId, float x, float y, int unit) {
    return AddPointFNamed(PropertyText(nameId), x, y, unit);
}

int CPropertyGrid::AddPointFNamed(PropertyText name, float x, float y, int unit) {
    return Add(new CPropertyEdit(std::move(name),
                                 FormatLength(x, unit) + L"," + FormatLength(y, unit), unit));
}

int CPropertyGrid::AddSizeF(unsigned nameId, float width, float height, int unit) {
    return AddPointFNamed(PropertyText(nameId), width, height, unit);
}

int CPropertyGrid::AddCheckbox(unsigned nameId, bool checked) {
    return Add(new CPropertyCheckbox(nameId, checked));
}

int CPropertyGrid::AddColor(unsigned nameId, COLORREF color) {
    return Add(new CColorCombobox(nameId, color));
}

int CPropertyGrid::AddCombo(unsigned nameId, unsigned currentId, unsigned firstId, int count) {
    std::vector<std::wstring> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back(LoadStringText(firstId + static_cast<unsigned>(i)));
    int selected = static_cast<int>(currentId) - static_cast<int>(firstId);
    return Add(new CPropertyCombobox(nameId, std::move(entries), selected));
}

int CPropertyGrid::AddComboStrings(PropertyText name, const std::vector<std::wstring>& entries,
                                   const std::wstring& current) {
    int selected = -1;
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i] == current) {
            selected = static_cast<int>(i);
            break;
        }
    return Add(new CPropertyCombobox(std::move(name), entries, selected));
}

int CPropertyGrid::AddFont(unsigned nameId, PropertyText faceName) {
    return Add(new CFontCombobox(nameId, faceName.Text()));
}

int CPropertyGrid::AddLayer(unsigned nameId, unsigned currentLayerId, int innerLayerCount,
                            uint64_t documentation) {
    return Add(new CLayerCombobox(nameId, currentLayerId, innerLayerCount, documentation));
}

int CPropertyGrid::AddPinShape(int shape) {
    return Add(new CPinShapeCombobox(shape));
}

int CPropertyGrid::AddSheetSize(CSheetSizeTable* table) {
    return Add(new CSheetSizeCombobox(table));
}

int CPropertyGrid::AddEditAndButton(PropertyText name, PropertyText value, int commandId,
                                    PlatformWindow* owner, unsigned captionId, int style) {
    return Add(new CPropertyEditAndButton(std::move(name), value.Text(), commandId, owner,
                                          captionId, style));
}

int CPropertyGrid::AddEditAndButtonById(unsigned nameId, PropertyText value, int commandId,
                                        PlatformWindow* owner, unsigned captionId, int style) {
    return AddEditAndButton(PropertyText(nameId), std::move(value), commandId, owner, captionId,
                            style);
}

int CPropertyGrid::AddEditAndCheckbox(unsigned nameId, PropertyText value, bool checked) {
    return AddEditAndCheckboxNamed(PropertyText(nameId), std::move(value), checked);
}

int CPropertyGrid::AddEditAndCheckboxNamed(PropertyText name, PropertyText value, bool checked) {
    return Add(new CPropertyEditAndCheckbox(std::move(name), value.Text(), checked));
}

// --- The panel -----------------------------------------------------------------

void CPropertyGrid::ClearRows() {
    list_.Clear();
}

void CPropertyGrid::PostLayout(bool expanded, bool changed) {
    if (IsWindow() && GetParent())
        GetParent()->PostMessage(WM_PROPERTY_LAYOUT, expanded ? 1 : 0, changed ? 1 : 0);
}

bool CPropertyGrid::IsExpanded() const {
    return expanded_;
}

void CPropertyGrid::ShowProperties(CProperty* object) {
    ClearRows();
    shown_ = object;
    if (object) {
        object->FillPropertyGrid();
    } else {
        caption_ = LoadStringText(kPropertiesTitleId);
        PostLayout(true, true);
        if (IsWindow())
            Invalidate(true);
    }
    expanded_ = list_.GetRowCount() > 0;
    if (tab_)
        tab_->SetExpanded(expanded_);
    PostLayout(expanded_, true);
}

void CPropertyGrid::RefreshProperties() {
    ShowProperties(shown_);
}

void CPropertyGrid::OnNodeRemoved(const CTreeNode* node) {
    if (!node || !shown_)
        return;
    for (const CTreeNode* n = dynamic_cast<const CTreeNode*>(shown_); n; n = n->GetParent())
        if (n == node) {
            ShowProperties(nullptr);
            return;
        }
}

void CPropertyGrid::OnObjectRemoved(const CProperty* object) {
    if (object && shown_ == object)
        ShowProperties(nullptr);
}

void CPropertyGrid::SetTitle(unsigned id) {
    SetTitleText(LoadStringText(id));
}

void CPropertyGrid::SetTitleText(const std::wstring& text) {
    ClearRows();
    caption_ = text;
    PostLayout(true, true);
    if (IsWindow())
        Invalidate(true);
}

void CPropertyGrid::BeginEditRow(int row) {
    CPropertyItem* item = list_.GetItem(row);
    if (!item)
        return;
    list_.SetCurrentRow(row);
    item->BeginEdit();
}

void CPropertyGrid::CommitRow(int row) {
    CPropertyItem* item = list_.GetItem(row);
    if (!item)
        return;
    list_.SetCurrentRow(row);
    item->EndEdit(true);
}

void CPropertyGrid::ApplyRow(int row) {
    if (!shown_ || !list_.GetItem(row))
        return;
    refused_ = false;
    CProperty* object = shown_;
    const unsigned generation = list_.GetGeneration();
    object->ApplyPropertyChange(row);
    const bool refill = refused_ && shown_ == object && list_.GetGeneration() == generation;
    refused_ = false;
    if (refill)
        RefreshProperties();
}

void CPropertyGrid::RefuseValue(bool beep) const {
    if (beep)
        MessageBeep();
    refused_ = true;
}

namespace {
bool InRange(float mm, CPropertyGrid::LengthRange range) {
    switch (range) {
    case CPropertyGrid::LengthRange::NotNegative:
        return mm >= 0;
    case CPropertyGrid::LengthRange::Positive:
        return mm > 0;
    default:
        return true;
    }
}
} // namespace

bool CPropertyGrid::ParseRowLength(const CPropertyItem* row, float* mm, LengthRange range) const {
    auto* edit = dynamic_cast<const CPropertyEdit*>(row);
    float value = 0;
    if (!edit || !ParseLength(edit->GetText(), edit->GetUnit(), &value) || !InRange(value, range)) {
        RefuseValue();
        return false;
    }
    *mm = value;
    return true;
}

bool CPropertyGrid::ParseTwo(const CPropertyItem* row, float* a, float* b) const {
    auto* edit = dynamic_cast<const CPropertyEdit*>(row);
    if (!edit)
        return false;
    const std::wstring& text = edit->GetText();
    const wchar_t* p = text.c_str();
    double x = 0, y = 0;
    if (!ParseNumber(p, &x, &p) || *p != L',' || !ParseNumber(p + 1, &y, &p))
        return false;
    int unit = edit->GetUnit();
    double factor = unit >= 0 && unit < 4 ? g_UnitToMm[unit] : 1.0;
    constexpr double kLargest = std::numeric_limits<float>::max();
    if (!(std::fabs(x * factor) <= kLargest) || !(std::fabs(y * factor) <= kLargest))
        return false;
    *a = static_cast<float>(x * factor);
    *b = static_cast<float>(y * factor);
    return true;
}

bool CPropertyGrid::ParsePointRow(const CPropertyItem* row, PointF* point) const {
    float x = 0, y = 0;
    if (!ParseTwo(row, &x, &y)) {
        RefuseValue();
        return false;
    }
    *point = PointF{x, y};
    return true;
}

bool CPropertyGrid::ParseSizeRow(const CPropertyItem* row, SizeF* size, LengthRange range) const {
    float w = 0, h = 0;
    if (!ParseTwo(row, &w, &h) || !InRange(w, range) || !InRange(h, range)) {
        RefuseValue();
        return false;
    }
    *size = SizeF{w, h};
    return true;
}

bool CPropertyGrid::PreTranslateMessage(Message* msg) {
    if (!IsEditing())
        return false;
    if (msg->message == WM_KEYDOWN) {
        const int vk = static_cast<int>(msg->wParam);
        if (list_.HandleKey(vk) <= 0)
            return false;
        // The window that opened the row may take the keyboard back.
        if ((vk == VK_RETURN || vk == VK_ESCAPE) && !IsEditing() && IsWindow() && GetParent())
            GetParent()->SendMessage(WM_PROPERTY_EDIT_ENDED, vk == VK_RETURN ? 1 : 0, 0);
        return true;
    }
    // The characters of the keys handled above must not reach the editor.
    if (msg->message == WM_CHAR)
        return msg->wParam == L'\r' || msg->wParam == L'\t' || msg->wParam == 0x1B;
    return false;
}

// --- Window ----------------------------------------------------------------------

void CPropertyGrid::OnCreate() {
    RECT client = GetClientRect();
    list_.Create(this, RECT{3, 0, std::max(3, client.right - 3), client.bottom}, L"",
                 WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED | LVS_NOCOLUMNHEADER |
                     LVS_SINGLESEL,
                 0, kListId);
    list_.SetExtendedListViewStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES);
    checkImages_ = ImageList::FromResource(kCheckImagesId, 16, 0xFF00FF);
    list_.SetImageList(checkImages_.get(), LVSIL_STATE);
    list_.SetCheckImages(checkImages_.get());
    list_.InsertColumn(0, L"", kColumnWidth);
    list_.SetDivider(CPropertyListCtrl::kInitialDivider);
    list_.InsertRowsIntoWindow();
    Layout();
}

void CPropertyGrid::Layout() {
    if (!list_.IsWindow())
        return;
    RECT client = GetClientRect();
    int h = list_.GetRowHeight();
    list_.MoveWindow(RECT{3, h, std::max(3, client.right - 3), std::max(h, client.bottom - 3)});
}

void CPropertyGrid::OnPaint() {
    PaintStruct ps;
    PaintTarget* target = BeginPaint(&ps);
    if (!target)
        return;
    {
        DeviceContext dc(*target);
        RECT client = GetClientRect();
        int right = client.right - 1, bottom = client.bottom - 1;
        GdiPen old = dc.SelectPen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
        dc.MoveTo(0, 0);
        dc.LineTo(0, bottom);
        dc.LineTo(kTabLeft, bottom);
        dc.MoveTo(kTabRight, bottom);
        dc.LineTo(right, bottom);
        dc.LineTo(right, -1);
        dc.SelectPen(old);
        LogFont font;
        font.lfFaceName = list_.GetFont().face;
        font.lfHeight = list_.GetFont().height;
        dc.SelectFont(font);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
        int h = list_.IsWindow() ? list_.GetRowHeight() : list_.GetItemHeight();
        dc.DrawText(caption_, RECT{0, 0, client.right, h},
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
    EndPaint(&ps);
}

bool CPropertyGrid::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_CREATE:
        OnCreate();
        result = 0;
        return true;
    case WM_SIZE:
        Layout();
        result = 0;
        return true;
    case WM_PAINT:
        OnPaint();
        result = 0;
        return true;
    case WM_PROPERTY_ROW_CHANGED:
        ApplyRow(static_cast<int>(wParam));
        result = 0;
        return true;
    default:
        return ReflectNotifications(msg, wParam, lParam, result);
    }
}

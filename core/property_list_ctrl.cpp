#include "core/property_list_ctrl.h"

#include "core/property_combobox.h"
#include "core/property_edit.h"
#include "core/property_item.h"
#include "platform/button_control.h"
#include "platform/combo_box_control.h"
#include "platform/key_state.h"

#include <algorithm>
#include <cstdlib>

namespace {
// Posted to the list itself: free the rows deleted meanwhile.
constexpr UINT kFreeRetiredRows = WM_USER + 26;
constexpr unsigned kResizeCursorId = 258;
constexpr int kDividerZone = 2;
} // namespace

CPropertyListCtrl::CPropertyListCtrl() = default;

CPropertyListCtrl::~CPropertyListCtrl() {
    for (auto& row : rows_)
        row->CloseEditor();
    DestroyWindow();
    rows_.clear();
    retired_.clear();
}

int CPropertyListCtrl::AddItem(CPropertyItem* item) {
    rows_.emplace_back(item);
    item->SetList(this);
    int index = static_cast<int>(rows_.size()) - 1;
    if (IsWindow())
        InsertItem(index, L"", PtrToLParam(item));
    return index;
}

void CPropertyListCtrl::InsertRowsIntoWindow() {
    if (!IsWindow())
        return;
    DeleteAllItems();
    for (size_t i = 0; i < rows_.size(); ++i)
        InsertItem(static_cast<int>(i), L"", PtrToLParam(rows_[i].get()));
}

CPropertyItem* CPropertyListCtrl::GetItem(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return nullptr;
    return rows_[static_cast<size_t>(row)].get();
}

int CPropertyListCtrl::IndexOf(const CPropertyItem* item) const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].get() == item)
            return static_cast<int>(i);
    return -1;
}

void CPropertyListCtrl::Clear() {
    ++generation_;
    std::vector<std::unique_ptr<CPropertyItem>> rows = std::move(rows_);
    rows_.clear();
    current_ = -1;
    for (auto& row : rows)
        row->CloseEditor();
    if (IsWindow())
        DeleteAllItems();
    bool anyEditor = false;
    for (auto& row : rows) {
        retired_.push_back(std::move(row));
        anyEditor = true;
    }
    if (anyEditor && IsWindow())
        PostMessage(kFreeRetiredRows);
    else if (!IsWindow())
        FreeRetiredRows();
}

void CPropertyListCtrl::FreeRetiredRows() {
    retired_.clear();
}

void CPropertyListCtrl::CommitAll() {
    unsigned generation = generation_;
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i]->CommitEdit()) {
            ReportChange(static_cast<int>(i));
            if (generation != generation_)
                return; // the object filled the panel again
        }
    }
}

void CPropertyListCtrl::ReportChange(int row) {
    if (IsWindow() && GetParent())
        GetParent()->SendMessage(WM_PROPERTY_ROW_CHANGED, static_cast<WPARAM>(row), 0);
    else if (onChange_)
        onChange_(row);
}

int CPropertyListCtrl::GetContentHeight() {
    int h = IsWindow() ? GetRowHeight() : rowHeight_;
    return (GetRowCount() + 1) * h + 3;
}

bool CPropertyListCtrl::IsEditing() const {
    for (const auto& row : rows_)
        if (row->IsEditing())
            return true;
    return false;
}

void CPropertyListCtrl::SetDivider(int x) {
    divider_ = x;
    for (auto& row : rows_)
        row->MoveEditor();
    if (IsWindow())
        Invalidate(true);
}

int CPropertyListCtrl::HandleKey(int vk) {
    CPropertyItem* item = GetItem(current_);
    if (!item)
        return 0;
    switch (vk) {
    case VK_RETURN:
        return item->EndEdit(true) ? 1 : 0;
    case VK_ESCAPE:
        return item->EndEdit(false) ? 1 : 0;
    case VK_TAB: {
        int from = current_;
        item->EndEdit(true);
        int n = GetRowCount();
        if (n == 0)
            return 1;
        from = std::min(from, n - 1);
        current_ = IsKeyDown(VK_SHIFT) ? (from + n - 1) % n : (from + 1) % n;
        rows_[static_cast<size_t>(current_)]->BeginEdit();
        return 1;
    }
    default:
        return item->IsEditing() ? -1 : 0;
    }
}

void CPropertyListCtrl::OnClickNotify(const NMITEMACTIVATE* info) {
    POINT p = info->ptAction;
    int hit = HitTest(p);
    current_ = hit;
    // The rows hit-test their parts (a check box, a button) in their own
    // rectangle, which painting sets: a click before the first paint of
    // fresh rows must find it set all the same.
    RECT r;
    if (hit >= 0 && static_cast<size_t>(hit) < rows_.size() && GetItemRect(hit, &r)) {
        r.right = std::max(r.right, GetClientRect().right);
        rows_[static_cast<size_t>(hit)]->SetRect(r);
    }
    unsigned generation = generation_;
    for (size_t i = 0; i < rows_.size(); ++i) {
        bool inValue = static_cast<int>(i) == hit && p.x > divider_;
        if (rows_[i]->OnClick(inValue, p.x))
            ReportChange(static_cast<int>(i));
        if (generation != generation_)
            return;
    }
}

void CPropertyListCtrl::OnChildCommand(int id, int code, PlatformWindow* child) {
    switch (code) {
    case EN_KILLFOCUS:
    case CBN_KILLFOCUS:
        CommitAll();
        return;
    case CBN_SELENDCANCEL:
        for (auto& row : rows_) {
            auto* combo = dynamic_cast<CPropertyComboBase*>(row.get());
            if (combo && combo->GetEditor() == child)
                combo->CancelEdit();
        }
        return;
    case CBN_CLOSEUP:
        // The combo loses the focus, which commits the rows.
        if (GetParent())
            GetParent()->SetFocus();
        return;
    case BN_CLICKED:
        for (auto& row : rows_) {
            auto* button = dynamic_cast<CPropertyEditAndButton*>(row.get());
            if (button && button->GetCommandId() == id && button->GetOwner() &&
                button->GetButton() == child)
                button->GetOwner()->PostMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                                                PtrToLParam(child));
        }
        return;
    default:
        return;
    }
}

bool CPropertyListCtrl::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam,
                                             LRESULT& result) {
    switch (msg) {
    case OCM_BASE + WM_DRAWITEM: {
        auto* dis = LParamToPtr<DRAWITEMSTRUCT>(lParam);
        if (CPropertyItem* item = GetItem(dis->itemID))
            item->Draw(dis);
        result = 1;
        return true;
    }
    case OCM_BASE + WM_MEASUREITEM: {
        auto* mis = LParamToPtr<MEASUREITEMSTRUCT>(lParam);
        rowHeight_ = static_cast<int>(mis->itemHeight);
        result = 1;
        return true;
    }
    case WM_DRAWITEM: {
        // An entry of a row's drop-down: the row owning the combo draws it.
        auto* dis = LParamToPtr<DRAWITEMSTRUCT>(lParam);
        if (dis->itemID >= 0)
            for (auto& row : rows_)
                row->DrawListEntry(dis);
        result = 1;
        return true;
    }
    case OCM_BASE + WM_NOTIFY: {
        auto* hdr = LParamToPtr<NMHDR>(lParam);
        if (hdr->code == NM_CLICK) {
            OnClickNotify(LParamToPtr<NMITEMACTIVATE>(lParam));
            result = 0;
            return true;
        }
        return false;
    }
    case WM_COMMAND:
        if (lParam != 0) {
            OnChildCommand(static_cast<int>(LOWORD(wParam)),
                           static_cast<int>(wParam >> 16 & 0xFFFF), WindowFromLParam(lParam));
            result = 0;
            return true;
        }
        return false;
    case WM_LBUTTONDOWN: {
        int x = static_cast<int16_t>(lParam & 0xFFFF);
        if (std::abs(x - divider_) < kDividerZone) {
            SetCapture();
            dragging_ = true;
            dragOffset_ = divider_ - x;
            result = 0;
            return true;
        }
        return false;
    }
    case WM_MOUSEMOVE: {
        int x = static_cast<int16_t>(lParam & 0xFFFF);
        if (dragging_) {
            SetDivider(dragOffset_ + x);
            UpdateWindow();
        }
        if (dragging_ || std::abs(x - divider_) < kDividerZone)
            ::SetCursor(LoadCursorResource(kResizeCursorId));
        if (dragging_) {
            result = 0;
            return true;
        }
        return false;
    }
    case WM_SETCURSOR: {
        POINT p = ScreenToClient(GetCursorPos());
        if (dragging_ || std::abs(p.x - divider_) < kDividerZone) {
            ::SetCursor(LoadCursorResource(kResizeCursorId));
            result = 1;
            return true;
        }
        return false;
    }
    case WM_LBUTTONUP:
        if (dragging_) {
            dragging_ = false;
            ReleaseCapture();
            result = 0;
            return true;
        }
        return false;
    case WM_CAPTURECHANGED:
        dragging_ = false;
        return false;
    case kFreeRetiredRows:
        FreeRetiredRows();
        result = 0;
        return true;
    case WM_DESTROY:
        Clear();
        return false;
    default:
        return false;
    }
}

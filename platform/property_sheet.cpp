#include "platform/property_sheet.h"

#include "platform/button_control.h"
#include "platform/key_state.h"
#include "platform/tab_control.h"

#include <algorithm>

namespace {

// Dialog units: the margin round the tab strip and between it and the
// buttons, the buttons' size and the gap between them.
constexpr int kMarginDu = 7;
constexpr int kButtonWidthDu = 50;
constexpr int kButtonHeightDu = 14;
constexpr int kButtonGapDu = 4;
// Pixels between the tab strip's frame and the page inside it.
constexpr int kPageInset = 4;

DialogTemplate SheetTemplate(std::wstring caption) {
    DialogTemplate t;
    t.title = std::move(caption);
    // The real size follows from the pages when the sheet opens.
    t.cx = 200;
    t.cy = 150;
    t.items = {
        DialogItem{DialogItemKind::TabControl,
                   PropertySheet::kTabControlId,
                   L"",
                   kMarginDu,
                   kMarginDu,
                   186,
                   110,
                   WS_TABSTOP | WS_GROUP,
                   0,
                   {}},
        DlgDefButton(1, L"OK", 0, 0, kButtonWidthDu, kButtonHeightDu, WS_TABSTOP | WS_GROUP),
        DlgButton(2, L"Cancel", 0, 0, kButtonWidthDu, kButtonHeightDu),
        DlgButton(PropertySheet::kApplyId, L"&Apply", 0, 0, kButtonWidthDu, kButtonHeightDu),
    };
    return t;
}

// A tab stop the user can reach: enabled, and shown together with every
// window up to the sheet (a hidden page hides its controls).
bool IsUsableTabStop(const PlatformWindow* w, const PlatformWindow* sheet) {
    if (!w || !(w->GetStyle() & WS_TABSTOP) || !w->IsWindowEnabled())
        return false;
    for (const PlatformWindow* p = w; p && p != sheet; p = p->GetParent())
        if (!(p->GetStyle() & WS_VISIBLE))
            return false;
    return true;
}

} // namespace

// ---- PropertyPage ------------------------------------------------------------

namespace {
DialogTemplate AsChild(DialogTemplate t) {
    t.child = true;
    return t;
}
} // namespace

PropertyPage::PropertyPage(DialogTemplate tmpl) : PlatformDialog(AsChild(std::move(tmpl))) {}

PropertyPage::~PropertyPage() {
    DestroyWindow();
}

void PropertyPage::SetModified(bool changed) {
    modified_ = changed;
    if (sheet_)
        sheet_->UpdateApplyButton();
}

// ---- PropertySheet -----------------------------------------------------------

PropertySheet::PropertySheet(std::wstring caption, int startPage)
    : PlatformDialog(SheetTemplate(std::move(caption))), startPage_(startPage) {}

PropertySheet::~PropertySheet() {
    DestroyWindow();
    for (PropertyPage* page : pages_)
        if (page->sheet_ == this)
            page->sheet_ = nullptr;
}

void PropertySheet::AddPage(PropertyPage* page) {
    if (!page || GetPageIndex(page) >= 0)
        return;
    page->sheet_ = this;
    pages_.push_back(page);
    created_.push_back(false);
}

PropertyPage* PropertySheet::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? pages_[static_cast<size_t>(index)] : nullptr;
}

int PropertySheet::GetPageIndex(const PropertyPage* page) const {
    auto it = std::find(pages_.begin(), pages_.end(), page);
    return it == pages_.end() ? -1 : static_cast<int>(it - pages_.begin());
}

TabControl* PropertySheet::GetTabControl() const {
    return GetDlgItemAs<TabControl>(kTabControlId);
}

bool PropertySheet::IsWindowEnabledId(int id) const {
    PlatformWindow* w = GetDlgItem(id);
    return w && w->IsWindowEnabled();
}

bool PropertySheet::IsOwnPage(const PlatformWindow* w) const {
    return std::find(pages_.begin(), pages_.end(), w) != pages_.end();
}

void PropertySheet::Layout() {
    TabControl* tab = GetTabControl();
    if (!tab)
        return;
    int pageW = 0, pageH = 0;
    for (PropertyPage* page : pages_) {
        const DialogTemplate& t = page->Template();
        RECT r = MapDialogRect(RECT{0, 0, t.cx, t.cy});
        pageW = std::max(pageW, static_cast<int>(r.right));
        pageH = std::max(pageH, static_cast<int>(r.bottom));
    }
    RECT m = MapDialogRect(RECT{0, 0, kMarginDu, kMarginDu});
    RECT b = MapDialogRect(RECT{0, 0, kButtonWidthDu, kButtonHeightDu});
    RECT g = MapDialogRect(RECT{0, 0, kButtonGapDu, 0});
    int th = tab->GetTabHeight();
    RECT tabRect{m.right, m.bottom, m.right + pageW + 2 * kPageInset,
                 m.bottom + th + pageH + 2 * kPageInset};
    tab->MoveWindow(tabRect, false);
    pageRect_ = RECT{tabRect.left + kPageInset, tabRect.top + th + kPageInset,
                     tabRect.left + kPageInset + pageW, tabRect.top + th + kPageInset + pageH};
    // OK, Cancel, Apply from the left, ending at the strip's right edge.
    int y = tabRect.bottom + m.bottom;
    int x = tabRect.right - 3 * b.right - 2 * g.right;
    for (int id : {1, 2, static_cast<int>(kApplyId)}) {
        if (PlatformWindow* w = GetDlgItem(id))
            w->MoveWindow(RECT{x, y, x + b.right, y + b.bottom}, false);
        x += b.right + g.right;
    }
    RECT me = GetWindowRect();
    MoveWindow(
        RECT{me.left, me.top, me.left + tabRect.right + m.right, me.top + y + b.bottom + m.bottom},
        false);
}

void PropertySheet::OnInitDialog() {
    std::fill(created_.begin(), created_.end(), false);
    active_ = -1;
    for (PropertyPage* page : pages_)
        page->modified_ = false;
    TabControl* tab = GetTabControl();
    for (int i = 0; i < GetPageCount() && tab; ++i)
        tab->InsertItem(i, GetPage(i)->Template().title);
    Layout();
    UpdateApplyButton();
    int start = std::clamp(startPage_, 0, std::max(0, GetPageCount() - 1));
    if (GetPageCount() > 0)
        ShowPage(start);
}

bool PropertySheet::ShowPage(int index) {
    PropertyPage* page = GetPage(index);
    if (!page)
        return false;
    if (index == active_)
        return true;
    PlatformWindow* focus = GetFocus();
    TabControl* tab = GetTabControl();
    bool focusOnTab = focus && focus == tab;
    if (PropertyPage* old = GetActivePage())
        old->ShowWindow(false);
    active_ = index;
    if (tab)
        tab->SetCurSel(index);
    auto life = LifeToken();
    if (!created_[static_cast<size_t>(index)]) {
        created_[static_cast<size_t>(index)] = true;
        if (!page->Create(this)) {
            created_[static_cast<size_t>(index)] = false;
            return false;
        }
        if (!*life)
            return false;
        page->MoveWindow(pageRect_, false);
    } else {
        page->ShowWindow(true);
    }
    // The focus stays on the tab strip when it was there; otherwise it goes
    // to the page's first control when the old page took it out of sight.
    if (focusOnTab && tab && tab->IsWindow()) {
        tab->SetFocus();
    } else {
        PlatformWindow* now = GetFocus();
        if (!now || !IsChild(now) || !IsUsableTabStop(now, this))
            if (PlatformWindow* first = page->GetNextDlgTabItem(nullptr))
                page->GotoDlgCtrl(first);
    }
    page->OnSetActive();
    return *life;
}

bool PropertySheet::LeaveActivePage() {
    PropertyPage* page = GetActivePage();
    return !page || page->OnKillActive();
}

bool PropertySheet::SetActivePage(int index) {
    if (!GetPage(index))
        return false;
    if (index == active_)
        return true;
    if (!LeaveActivePage())
        return false;
    return ShowPage(index);
}

bool PropertySheet::Apply() {
    if (!LeaveActivePage())
        return false;
    for (int i = 0; i < GetPageCount(); ++i) {
        if (!created_[static_cast<size_t>(i)])
            continue;
        if (!GetPage(i)->OnApply()) {
            ShowPage(i);
            return false;
        }
    }
    for (PropertyPage* page : pages_)
        page->modified_ = false;
    UpdateApplyButton();
    return true;
}

void PropertySheet::Cancel() {
    if (PropertyPage* page = GetActivePage(); page && !page->OnQueryCancel())
        return;
    for (int i = 0; i < GetPageCount(); ++i)
        if (created_[static_cast<size_t>(i)])
            GetPage(i)->OnReset();
    EndDialog(2);
}

void PropertySheet::UpdateApplyButton() {
    if (!IsWindow())
        return;
    bool any = std::any_of(pages_.begin(), pages_.end(),
                           [](const PropertyPage* p) { return p->modified_; });
    EnableDlgItem(kApplyId, any);
}

void PropertySheet::MoveFocus(bool previous) {
    std::vector<PlatformWindow*> order;
    if (TabControl* tab = GetTabControl(); IsUsableTabStop(tab, this))
        order.push_back(tab);
    if (PropertyPage* page = GetActivePage())
        for (PlatformWindow* w : page->GetChildren())
            if (IsUsableTabStop(w, this))
                order.push_back(w);
    for (int id : {1, 2, static_cast<int>(kApplyId)})
        if (PlatformWindow* w = GetDlgItem(id); IsUsableTabStop(w, this))
            order.push_back(w);
    if (order.empty())
        return;
    PlatformWindow* focus = GetFocus();
    int at = -1;
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] == focus || (focus && order[i]->IsChild(focus)))
            at = static_cast<int>(i);
    int n = static_cast<int>(order.size());
    int next = at < 0 ? (previous ? n - 1 : 0) : ((at + (previous ? -1 : 1)) % n + n) % n;
    PlatformWindow* w = order[static_cast<size_t>(next)];
    if (PropertyPage* page = GetActivePage(); page && page->IsChild(w))
        page->GotoDlgCtrl(w);
    else
        GotoDlgCtrl(w);
}

bool PropertySheet::PreTranslateMessage(Message* msg) {
    if (!msg || !IsWindow() || msg->message != WM_KEYDOWN)
        return false;
    PlatformWindow* target = msg->window;
    if (target != this && !IsChild(target))
        return false;
    // A dialog opened over the sheet handles its own keys; the pages do not.
    for (PlatformWindow* w = target; w && w != this; w = w->GetParent())
        if (dynamic_cast<PlatformDialog*>(w) && !IsOwnPage(w))
            return false;
    bool ctrl = IsKeyDown(VK_CONTROL);
    bool shift = IsKeyDown(VK_SHIFT);
    switch (static_cast<int>(msg->wParam)) {
    case VK_RETURN: {
        if (ctrl || IsDroppedCombo(target))
            return false;
        PlatformWindow* focus = GetFocus();
        if (auto* button = dynamic_cast<ButtonControl*>(focus); button && IsChild(button)) {
            if (button->GetParent() == this)
                SendCommand(button->GetDlgCtrlID());
            else if (button->IsWindowEnabled())
                button->Click();
            return true;
        }
        SendCommand(GetDefID());
        return true;
    }
    case VK_ESCAPE:
        if (IsDroppedCombo(target))
            return false;
        SendCommand(2);
        return true;
    case VK_TAB:
        if (ctrl) {
            int n = GetPageCount();
            if (n > 0)
                SetActivePage(((active_ + (shift ? -1 : 1)) % n + n) % n);
        } else {
            MoveFocus(shift);
        }
        return true;
    case VK_PRIOR:
    case VK_NEXT:
        if (!ctrl || IsDroppedCombo(target))
            return false;
        if (GetPageCount() > 0) {
            int step = msg->wParam == VK_NEXT ? 1 : -1;
            int n = GetPageCount();
            SetActivePage(((active_ + step) % n + n) % n);
        }
        return true;
    default:
        return false;
    }
}

bool PropertySheet::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        // The shown page has put the focus on its first control.
        result = GetFocus() && IsChild(GetFocus()) ? 0 : 1;
        return true;
    case WM_COMMAND: {
        if (HIWORD(wParam) != BN_CLICKED)
            return false;
        int id = static_cast<int>(LOWORD(wParam));
        if (id == 1) {
            if (Apply())
                EndDialog(1);
        } else if (id == 2) {
            Cancel();
        } else if (id == kApplyId) {
            // Nothing to apply while no page is marked changed.
            if (IsWindowEnabledId(kApplyId))
                Apply();
        } else {
            return false;
        }
        result = 0;
        return true;
    }
    case WM_NOTIFY: {
        auto* hdr = LParamToPtr<NMHDR>(lParam);
        if (!hdr || hdr->idFrom != static_cast<uint64_t>(kTabControlId))
            return false;
        if (hdr->code == TCN_SELCHANGING) {
            result = LeaveActivePage() ? 0 : 1;
            return true;
        }
        if (hdr->code == TCN_SELCHANGE) {
            if (TabControl* tab = GetTabControl())
                ShowPage(tab->GetCurSel());
            result = 0;
            return true;
        }
        return false;
    }
    case WM_DESTROY:
        active_ = -1;
        std::fill(created_.begin(), created_.end(), false);
        return false;
    default:
        return false;
    }
}

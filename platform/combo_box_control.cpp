#include "platform/combo_box_control.h"

#include "platform/edit_control.h"
#include "platform/key_state.h"
#include "platform/paint_target_impl.h"
#include "platform/system_colors.h"
#include "platform/window_impl.h"

#include <QPainter>

#include <algorithm>

namespace {
QColor Q(COLORREF c) {
    return QColor(static_cast<int>(ColorRefRed(c)), static_cast<int>(ColorRefGreen(c)),
                  static_cast<int>(ColorRefBlue(c)));
}
constexpr int kArrowWidth = 16;
} // namespace

// The open list under a combo box.
class ComboDropList : public PlatformWindow {
public:
    explicit ComboDropList(ComboBoxControl* combo) : combo_(combo) {}
    ~ComboDropList() override { DestroyWindow(); }
    int hot = -1;
    int top = 0;

protected:
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
        switch (msg) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEMOVE: {
            int i = RowAt(GET_Y_LPARAM(lParam));
            if (i != hot && i >= 0) {
                hot = i;
                Invalidate(false);
            }
            return 0;
        }
        case WM_LBUTTONDOWN:
            hot = RowAt(GET_Y_LPARAM(lParam));
            Invalidate(false);
            return 0;
        case WM_LBUTTONUP: {
            int i = RowAt(GET_Y_LPARAM(lParam));
            if (i >= 0) {
                // The combo box may close this list, or be destroyed, while
                // it reports the choice; nothing here is touched afterwards.
                ComboBoxControl* combo = combo_;
                combo->SelectByUser(i);
                auto life = combo->LifeToken();
                if (*life && combo->GetDroppedState())
                    combo->CloseDropDown(true);
            }
            return 0;
        }
        case WM_MOUSEWHEEL: {
            int rows = GetClientRect().bottom / combo_->GetItemHeight();
            int maxTop = std::max(0, combo_->GetCount() - rows);
            top = std::clamp(top - GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3, 0, maxTop);
            Invalidate(false);
            return 0;
        }
        default:
            return PlatformWindow::DefWindowProc(msg, wParam, lParam);
        }
    }

private:
    int RowAt(int y) const {
        int h = combo_->GetItemHeight();
        if (y < 0)
            return -1;
        int i = top + y / h;
        return i < combo_->GetCount() ? i : -1;
    }
    void Paint() {
        PaintStruct ps;
        PaintTarget* t = BeginPaint(&ps);
        if (!t)
            return;
        RECT client = GetClientRect();
        FillPaintRect(t, client, GetSysColor(COLOR_WINDOW));
        int h = combo_->GetItemHeight();
        bool ownerDraw = (combo_->GetStyle() & CBS_OWNERDRAWFIXED) != 0;
        auto life = LifeToken();
        for (int i = top; i < combo_->GetCount() && (i - top) * h < client.bottom; ++i) {
            RECT rc{0, (i - top) * h, client.right, (i - top + 1) * h};
            UINT state = i == hot ? (ODS_SELECTED | ODS_FOCUS) : 0;
            if (ownerDraw) {
                DRAWITEMSTRUCT dis;
                dis.CtlType = ODT_COMBOBOX;
                dis.CtlID = static_cast<UINT>(combo_->GetDlgCtrlID());
                dis.itemID = i;
                dis.itemState = state;
                dis.hwndItem = combo_;
                dis.target = t;
                dis.rcItem = rc;
                dis.itemData = combo_->GetItemData(i);
                if (combo_->GetParent())
                    combo_->GetParent()->SendMessage(WM_DRAWITEM, dis.CtlID, PtrToLParam(&dis));
                if (!*life)
                    return;
                continue;
            }
            FillPaintRect(t, rc, GetSysColor(state ? COLOR_HIGHLIGHT : COLOR_WINDOW));
            QPainter* p = t->Impl()->Painter();
            p->save();
            p->setFont(MakeQFont(combo_->GetFont()));
            p->setPen(Q(GetSysColor(state ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT)));
            p->drawText(QRect(3, rc.top, client.right - 6, h),
                        Qt::AlignVCenter | Qt::TextSingleLine,
                        QString::fromStdWString(combo_->GetLBText(i)));
            p->restore();
        }
        QPainter* p = t->Impl()->Painter();
        p->save();
        p->setPen(Q(GetSysColor(COLOR_WINDOWTEXT)));
        p->drawRect(0, 0, client.right - 1, client.bottom - 1);
        p->restore();
        EndPaint(&ps);
    }
    ComboBoxControl* combo_;
};

// The edit field of an editable combo box: the keys that work the list go
// to the combo box.
class ComboEdit : public EditControl {
public:
    explicit ComboEdit(ComboBoxControl* combo) : combo_(combo) {}

protected:
    bool ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& r) override {
        if (msg == WM_KEYDOWN &&
            (wParam == VK_UP || wParam == VK_DOWN || wParam == VK_F4 ||
             ((wParam == VK_RETURN || wParam == VK_ESCAPE) && combo_->GetDroppedState()))) {
            r = combo_->SendMessage(msg, wParam, lParam);
            return true;
        }
        return false;
    }

private:
    ComboBoxControl* combo_;
};

ComboBoxControl::ComboBoxControl() = default;

ComboBoxControl::~ComboBoxControl() {
    DestroyWindow();
}

bool ComboBoxControl::IsEditable() const {
    uint32_t kind = GetStyle() & 3;
    return kind == CBS_DROPDOWN || kind == CBS_SIMPLE;
}

EditControl* ComboBoxControl::GetEditControl() const {
    return edit_.get();
}
PlatformWindow* ComboBoxControl::GetDropDownWindow() const {
    return dropList_.get();
}

int ComboBoxControl::AddString(const std::wstring& text, LPARAM data) {
    items_.push_back(Item{text, data});
    return GetCount() - 1;
}

int ComboBoxControl::InsertString(int index, const std::wstring& text, LPARAM data) {
    if (index < 0 || index > GetCount())
        index = GetCount();
    items_.insert(items_.begin() + index, Item{text, data});
    if (cur_ >= index)
        ++cur_;
    return index;
}

bool ComboBoxControl::DeleteString(int index) {
    if (index < 0 || index >= GetCount())
        return false;
    items_.erase(items_.begin() + index);
    if (cur_ == index)
        cur_ = -1;
    else if (cur_ > index)
        --cur_;
    Invalidate(true);
    return true;
}

void ComboBoxControl::ResetContent() {
    items_.clear();
    cur_ = -1;
    SyncEditText();
    Invalidate(true);
}

std::wstring ComboBoxControl::GetLBText(int index) const {
    return index >= 0 && index < GetCount() ? items_[static_cast<size_t>(index)].text : L"";
}

LPARAM ComboBoxControl::GetItemData(int index) const {
    return index >= 0 && index < GetCount() ? items_[static_cast<size_t>(index)].data : CB_ERR;
}

bool ComboBoxControl::SetItemData(int index, LPARAM data) {
    if (index < 0 || index >= GetCount())
        return false;
    items_[static_cast<size_t>(index)].data = data;
    return true;
}

int ComboBoxControl::FindStringExact(int start, const std::wstring& text) const {
    int n = GetCount();
    for (int k = 1; k <= n; ++k) {
        int i = ((start < 0 ? -1 : start) + k) % n;
        if (items_[static_cast<size_t>(i)].text == text)
            return i;
    }
    return static_cast<int>(CB_ERR);
}

int ComboBoxControl::SetCurSel(int index) {
    bool valid = index >= 0 && index < GetCount();
    cur_ = valid ? index : -1;
    if (auto* list = static_cast<ComboDropList*>(dropList_.get())) {
        list->hot = cur_;
        list->Invalidate(false);
    }
    SyncEditText();
    Invalidate(false);
    return valid ? index : static_cast<int>(CB_ERR);
}

void ComboBoxControl::SyncEditText() {
    if (!edit_ || !edit_->IsWindow())
        return;
    settingText_ = true;
    edit_->SetWindowText(GetLBText(cur_));
    settingText_ = false;
}

int ComboBoxControl::GetItemHeight() {
    if (itemHeight_ <= 0) {
        MEASUREITEMSTRUCT mis;
        mis.CtlType = ODT_COMBOBOX;
        mis.CtlID = static_cast<UINT>(GetDlgCtrlID());
        mis.itemID = 0;
        mis.itemHeight = static_cast<UINT>(GetLineHeight() + 2);
        if ((GetStyle() & CBS_OWNERDRAWFIXED) && GetParent())
            GetParent()->SendMessage(WM_MEASUREITEM, mis.CtlID, PtrToLParam(&mis));
        itemHeight_ = std::max(1, static_cast<int>(mis.itemHeight));
    }
    return itemHeight_;
}

void ComboBoxControl::LimitText(int maxChars) {
    if (edit_)
        edit_->LimitText(maxChars);
}

RECT ComboBoxControl::GetFaceRect() const {
    RECT rc = GetClientRect();
    return RECT{1, 1, std::max(1, rc.right - kArrowWidth), std::max(1, rc.bottom - 1)};
}

int ComboBoxControl::WidthForFace(int faceWidth) {
    return 1 + faceWidth + kArrowWidth;
}

void ComboBoxControl::ShowDropDown(bool show) {
    if (show == GetDroppedState() || !IsWindow())
        return;
    if (!show) {
        CloseDropDown(false);
        return;
    }
    auto life = LifeToken();
    NotifyParentCommand(CBN_DROPDOWN);
    if (!*life || GetDroppedState())
        return;
    int h = GetItemHeight();
    int rows = std::clamp(GetCount(), 1, std::max(1, minVisible_));
    RECT wr = GetWindowRect();
    auto list = std::make_unique<ComboDropList>(this);
    list->hot = cur_;
    if (cur_ >= rows)
        list->top = std::min(cur_, GetCount() - rows);
    if (!list->Create(this,
                      RECT{wr.left, wr.bottom, wr.left + GetDroppedWidth(), wr.bottom + rows * h + 2},
                      L"", WS_POPUP | WS_VISIBLE))
        return;
    list->SetFont(GetFont(), false);
    dropList_ = std::move(list);
}

int ComboBoxControl::GetDroppedWidth() const {
    RECT wr = GetWindowRect();
    return std::max(static_cast<int>(wr.right - wr.left), droppedWidth_);
}

void ComboBoxControl::FitDroppedWidth(const std::function<std::wstring(int)>& note, int margins,
                                      int gap) {
    int widest = 0;
    for (int i = 0; i < GetCount(); ++i) {
        const std::wstring right = note ? note(i) : std::wstring();
        int w = MeasureText(GetLBText(i)).cx + margins;
        if (!right.empty())
            w += gap + MeasureText(right).cx;
        widest = std::max(widest, w);
    }
    droppedWidth_ = widest;
}

void ComboBoxControl::CloseDropDown(bool accept) {
    if (!dropList_)
        return;
    // The window object stays until the next drop-down: a click handler of
    // the list may still be on the stack.
    dropList_->DestroyWindow();
    retiredList_ = std::move(dropList_);
    auto life = LifeToken();
    NotifyParentCommand(accept ? CBN_SELENDOK : CBN_SELENDCANCEL);
    if (*life)
        NotifyParentCommand(CBN_CLOSEUP);
}

void ComboBoxControl::SelectByUser(int index) {
    if (index < 0 || index >= GetCount() || index == cur_) {
        SetCurSel(index);
        return;
    }
    SetCurSel(index);
    NotifyParentCommand(CBN_SELCHANGE);
}

bool ComboBoxControl::OwnsFocus(PlatformWindow* w) const {
    return w && (w == this || w == edit_.get() || w == dropList_.get());
}

void ComboBoxControl::FocusLost(PlatformWindow* newFocus) {
    if (OwnsFocus(newFocus) || !hasFocus_)
        return;
    hasFocus_ = false;
    auto life = LifeToken();
    if (GetDroppedState())
        CloseDropDown(false);
    if (*life) {
        Invalidate(false);
        NotifyParentCommand(CBN_KILLFOCUS);
    }
}

void ComboBoxControl::Paint() {
    PaintStruct ps;
    PaintTarget* t = BeginPaint(&ps);
    if (!t)
        return;
    RECT rc = GetClientRect();
    RECT face = GetFaceRect();
    QPainter* p = t->Impl()->Painter();
    FillPaintRect(t, rc, GetSysColor(COLOR_WINDOW));
    bool focused = hasFocus_ && !edit_;
    if (!edit_) {
        if (GetStyle() & CBS_OWNERDRAWFIXED) {
            DRAWITEMSTRUCT dis;
            dis.CtlType = ODT_COMBOBOX;
            dis.CtlID = static_cast<UINT>(GetDlgCtrlID());
            dis.itemID = cur_;
            dis.itemState = ODS_COMBOBOXEDIT | (focused ? ODS_SELECTED | ODS_FOCUS : 0);
            dis.hwndItem = this;
            dis.target = t;
            dis.rcItem = face;
            dis.itemData = GetItemData(cur_);
            auto life = LifeToken();
            if (GetParent())
                GetParent()->SendMessage(WM_DRAWITEM, dis.CtlID, PtrToLParam(&dis));
            if (!*life)
                return;
        } else {
            if (focused)
                FillPaintRect(t, face, GetSysColor(COLOR_HIGHLIGHT));
            p->save();
            p->setFont(MakeQFont(GetFont()));
            p->setPen(Q(GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT)));
            p->drawText(
                QRect(face.left + 2, face.top, face.right - face.left - 4, face.bottom - face.top),
                Qt::AlignVCenter | Qt::TextSingleLine, QString::fromStdWString(GetLBText(cur_)));
            p->restore();
        }
    }
    // The arrow button.
    p->save();
    QRect arrow(face.right, 0, rc.right - face.right, rc.bottom);
    p->fillRect(arrow, Q(GetSysColor(COLOR_BTNFACE)));
    p->setPen(Q(GetSysColor(COLOR_BTNSHADOW)));
    p->drawRect(0, 0, rc.right - 1, rc.bottom - 1);
    p->setPen(Q(GetSysColor(COLOR_BTNTEXT)));
    int cx = arrow.center().x(), cy = arrow.center().y();
    for (int i = 0; i < 4; ++i)
        p->drawLine(cx - 3 + i, cy - 1 + i, cx + 3 - i, cy - 1 + i);
    p->restore();
    EndPaint(&ps);
}

LRESULT ComboBoxControl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE:
        if (IsEditable()) {
            edit_ = std::make_unique<ComboEdit>(this);
            RECT f = GetFaceRect();
            edit_->Create(this, f, L"", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 1001);
            edit_->SetFont(GetFont(), false);
        }
        return 0;
    case WM_SIZE:
        if (edit_)
            edit_->MoveWindow(GetFaceRect(), true);
        return 0;
    case WM_SETFONT:
        PlatformWindow::DefWindowProc(msg, wParam, lParam);
        itemHeight_ = 0;
        if (edit_)
            edit_->SetFont(GetFont(), true);
        return 0;
    case WM_DESTROY:
        // Reported as a loss of focus by the base class before this.
        return 0;
    case WM_NCDESTROY:
        if (dropList_)
            dropList_->DestroyWindow();
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFOCUS:
        if (edit_) {
            edit_->SetFocus();
            edit_->SetSel(0, -1);
            return 0;
        }
        if (!hasFocus_) {
            hasFocus_ = true;
            Invalidate(false);
            NotifyParentCommand(CBN_SETFOCUS);
        }
        return 0;
    case WM_KILLFOCUS:
        FocusLost(WParamToPtr<PlatformWindow>(wParam));
        return 0;
    case WM_COMMAND:
        if (edit_ && WindowFromLParam(lParam) == edit_.get()) {
            switch (HIWORD(wParam)) {
            case EN_SETFOCUS:
                if (!hasFocus_) {
                    hasFocus_ = true;
                    NotifyParentCommand(CBN_SETFOCUS);
                }
                break;
            case EN_KILLFOCUS:
                FocusLost(GetFocus());
                break;
            case EN_CHANGE:
                if (!settingText_)
                    NotifyParentCommand(CBN_EDITCHANGE);
                break;
            default:
                break;
            }
            return 0;
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        auto life = LifeToken();
        if (!OwnsFocus(GetFocus()))
            SetFocus();
        if (*life)
            ShowDropDown(!GetDroppedState());
        return 0;
    }
    case WM_KEYDOWN: {
        bool alt = IsKeyDown(VK_MENU);
        if (wParam == VK_F4 || ((wParam == VK_DOWN || wParam == VK_UP) && alt)) {
            ShowDropDown(!GetDroppedState());
            return 0;
        }
        if (wParam == VK_DOWN || wParam == VK_UP) {
            int next = cur_ < 0 ? 0 : cur_ + (wParam == VK_DOWN ? 1 : -1);
            next = std::clamp(next, 0, std::max(0, GetCount() - 1));
            if (GetCount() > 0)
                SelectByUser(next);
            return 0;
        }
        if (wParam == VK_RETURN && GetDroppedState()) {
            CloseDropDown(true);
            return 0;
        }
        if (wParam == VK_ESCAPE && GetDroppedState()) {
            CloseDropDown(false);
            return 0;
        }
        return 0;
    }
    case WM_SETTEXT:
        if (edit_) {
            edit_->SetWindowText(
                LParamToPtr<const wchar_t>(lParam) ? LParamToPtr<const wchar_t>(lParam) : L"");
            return 1;
        }
        return static_cast<LRESULT>(CB_ERR);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(edit_ ? edit_->GetWindowText().size() : GetLBText(cur_).size());
    case WM_GETTEXT: {
        std::wstring text = edit_ ? edit_->GetWindowText() : GetLBText(cur_);
        wchar_t* buf = LParamToPtr<wchar_t>(lParam);
        if (!buf || wParam == 0)
            return 0;
        size_t n = std::min<size_t>(static_cast<size_t>(wParam) - 1, text.size());
        std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(n), buf);
        buf[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case CB_ADDSTRING:
        return AddString(LParamToPtr<const wchar_t>(lParam) ? LParamToPtr<const wchar_t>(lParam)
                                                            : L"");
    case CB_INSERTSTRING:
        return InsertString(static_cast<int>(static_cast<int64_t>(wParam)),
                            LParamToPtr<const wchar_t>(lParam) ? LParamToPtr<const wchar_t>(lParam)
                                                               : L"");
    case CB_DELETESTRING:
        return DeleteString(static_cast<int>(wParam)) ? GetCount() : CB_ERR;
    case CB_RESETCONTENT:
        ResetContent();
        return 0;
    case CB_GETCOUNT:
        return GetCount();
    case CB_GETCURSEL:
        return cur_;
    case CB_SETCURSEL:
        return SetCurSel(static_cast<int>(static_cast<int64_t>(wParam)));
    case CB_GETLBTEXTLEN:
        return static_cast<int>(wParam) < GetCount()
                   ? static_cast<LRESULT>(GetLBText(static_cast<int>(wParam)).size())
                   : CB_ERR;
    case CB_GETITEMDATA:
        return GetItemData(static_cast<int>(wParam));
    case CB_SETITEMDATA:
        return SetItemData(static_cast<int>(wParam), lParam) ? 0 : CB_ERR;
    case CB_SHOWDROPDOWN:
        ShowDropDown(wParam != 0);
        return 1;
    case CB_GETDROPPEDSTATE:
        return GetDroppedState() ? 1 : 0;
    case CB_FINDSTRINGEXACT:
        return FindStringExact(
            static_cast<int>(static_cast<int64_t>(wParam)),
            LParamToPtr<const wchar_t>(lParam) ? LParamToPtr<const wchar_t>(lParam) : L"");
    case CB_SETMINVISIBLE:
        SetMinVisible(static_cast<int>(wParam));
        return 1;
    case CB_LIMITTEXT:
        LimitText(static_cast<int>(wParam));
        return 1;
    default:
        return PlatformWindow::DefWindowProc(msg, wParam, lParam);
    }
}

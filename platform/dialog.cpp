#include "platform/dialog.h"

#include "platform/button_control.h"
#include "platform/check_box_control.h"
#include "platform/combo_box_control.h"
#include "platform/edit_control.h"
#include "platform/group_box_control.h"
#include "platform/key_state.h"
#include "platform/list_box_control.h"
#include "platform/list_view_control.h"
#include "platform/radio_button_control.h"
#include "platform/static_control.h"
#include "platform/system_colors.h"
#include "platform/tab_control.h"
#include "platform/text.h"
#include "platform/tree_view_control.h"
#include "platform/ui_hooks.h"
#include "platform/up_down_control.h"
#include "platform/window_impl.h"

#include <QEventLoop>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace {
ModalDialogHook g_modalHook;

// Base units of the face the dialog templates were laid out for; pixel
// lengths that dialog code gives (list column widths) assume them.
constexpr SIZE kTemplateBaseUnits{6, 13};
// Height of a closed combo box, dialog units.
constexpr int kComboHeightDu = 12;

bool IsBlankOrTab(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// Base units of a dialog font, measured as the desktop measures them: the
// average width of the 52 Latin letters, rounded, and the font's line
// height. The free face that stands in for the templates' face is wider, so
// the layout grows with it and the texts keep their room.
SIZE MeasureBaseUnits(const WindowFont& font) {
    static std::vector<std::pair<WindowFont, SIZE>> measured;
    for (const auto& [f, units] : measured)
        if (f == font)
            return units;
    QFontMetrics fm(MakeQFont(font));
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    SIZE units{std::max(1, (letters / 26 + 1) / 2), std::max(1, fm.height())};
    measured.emplace_back(font, units);
    return units;
}

bool HasRealDisplay() {
    QString name = QGuiApplication::platformName();
    return name != QLatin1String("offscreen") && name != QLatin1String("minimal");
}
} // namespace

ModalDialogHook SetModalDialogHook(ModalDialogHook hook) {
    ModalDialogHook previous = std::move(g_modalHook);
    g_modalHook = std::move(hook);
    return previous;
}

PlatformWindow* GetActiveWindow() {
    PlatformWindow* focus = PlatformWindow::GetFocus();
    return focus ? focus->GetTopLevel() : nullptr;
}

std::wstring StripMnemonicPrefix(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&') {
            if (i + 1 < text.size() && text[i + 1] == L'&') {
                out.push_back(L'&');
                ++i;
            }
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

std::vector<PlatformWindow*> GetDlgGroupOf(const PlatformWindow* control) {
    std::vector<PlatformWindow*> group;
    if (!control || !control->GetParent())
        return group;
    std::vector<PlatformWindow*> kids;
    for (PlatformWindow* w : control->GetParent()->GetChildren())
        if (w->GetStyle() & WS_CHILD)
            kids.push_back(w);
    auto it = std::find(kids.begin(), kids.end(), control);
    if (it == kids.end())
        return group;
    size_t start = static_cast<size_t>(it - kids.begin());
    while (start > 0 && !(kids[start]->GetStyle() & WS_GROUP))
        --start;
    size_t end = start + 1;
    while (end < kids.size() && !(kids[end]->GetStyle() & WS_GROUP))
        ++end;
    group.assign(kids.begin() + static_cast<std::ptrdiff_t>(start),
                 kids.begin() + static_cast<std::ptrdiff_t>(end));
    return group;
}

// ---- creation --------------------------------------------------------------

PlatformDialog::PlatformDialog(DialogTemplate tmpl) : tmpl_(std::move(tmpl)) {}

PlatformDialog::~PlatformDialog() {
    RemoveMessageFilter(this);
    DestroyWindow();
}

SIZE PlatformDialog::GetDialogBaseUnits(const WindowFont& font) {
    return MeasureBaseUnits(font);
}

RECT PlatformDialog::MapDialogRect(const RECT& du) const {
    const SIZE units = MeasureBaseUnits(GetFont());
    auto x = [&](int v) { return static_cast<int>(std::lround(v * units.cx / 4.0)); };
    auto y = [&](int v) { return static_cast<int>(std::lround(v * units.cy / 8.0)); };
    return RECT{x(du.left), y(du.top), x(du.right), y(du.bottom)};
}

int PlatformDialog::MapTemplatePixels(const WindowFont& font, int pixels) {
    const SIZE units = MeasureBaseUnits(font);
    return static_cast<int>(
        std::lround(static_cast<double>(pixels) * units.cx / kTemplateBaseUnits.cx));
}

int PlatformDialog::MapColumnWidth(const PlatformWindow& list, const std::wstring& title,
                                   int pixels) {
    // The header pads its title by 4 pixels each side; a little more keeps
    // it clear of the column's divider.
    constexpr int kHeaderPadding = 12;
    return std::max(MapTemplatePixels(list.GetFont(), pixels),
                    list.MeasureText(title).cx + kHeaderPadding);
}

void PlatformDialog::CreateNativeWidget(WindowImpl& impl) {
    if (tmpl_.child) {
        PlatformWindow::CreateNativeWidget(impl);
        return;
    }
    QWidget* parentWidget =
        GetParent() && GetParent()->Impl() ? GetParent()->Impl()->widget->window() : nullptr;
    QWidget* w = MakeHostWidget<QWidget>(impl, parentWidget, Qt::Dialog);
    w->setWindowTitle(QString::fromStdWString(StoredText()));
}

std::unique_ptr<PlatformWindow> PlatformDialog::MakeControl(const DialogItem&) {
    return nullptr;
}

bool PlatformDialog::CreateControls() {
    for (const DialogItem& item : tmpl_.items) {
        std::unique_ptr<PlatformWindow> made = MakeControl(item);
        uint32_t style = WS_CHILD | WS_VISIBLE | item.style;
        uint32_t exStyle = 0;
        RECT du{item.x, item.y, item.x + item.cx, item.y + item.cy};
        switch (item.kind) {
        case DialogItemKind::Static:
            if (!made)
                made = std::make_unique<StaticControl>();
            break;
        case DialogItemKind::Edit:
            if (!made)
                made = std::make_unique<EditControl>();
            style |= ES_AUTOHSCROLL;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case DialogItemKind::DropDownList:
        case DialogItemKind::DropDownCombo:
            if (!made)
                made = std::make_unique<ComboBoxControl>();
            style |= item.kind == DialogItemKind::DropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN;
            du.bottom = du.top + kComboHeightDu;
            break;
        case DialogItemKind::CheckBox:
            if (!made)
                made = std::make_unique<CheckBoxControl>();
            break;
        case DialogItemKind::RadioButton:
            if (!made)
                made = std::make_unique<RadioButtonControl>();
            break;
        case DialogItemKind::GroupBox:
            if (!made)
                made = std::make_unique<GroupBoxControl>();
            break;
        case DialogItemKind::PushButton:
        case DialogItemKind::DefPushButton:
            if (!made)
                made = std::make_unique<ButtonControl>();
            if (item.kind == DialogItemKind::DefPushButton) {
                style |= BS_DEFPUSHBUTTON;
                defId_ = item.id;
            }
            break;
        case DialogItemKind::ReportList:
            if (!made)
                made = std::make_unique<ListViewControl>();
            style |= LVS_REPORT;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case DialogItemKind::ListBox:
            if (!made)
                made = std::make_unique<ListBoxControl>();
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case DialogItemKind::TabControl:
            if (!made)
                made = std::make_unique<TabControl>();
            break;
        case DialogItemKind::TreeView:
            if (!made)
                made = std::make_unique<TreeViewControl>();
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        case DialogItemKind::UpDown:
            if (!made)
                made = std::make_unique<UpDownControl>();
            break;
        }
        made->SetFont(GetFont(), false);
        if (!made->Create(this, MapDialogRect(du), item.text, style, exStyle, item.id))
            return false;
        if (auto* list = dynamic_cast<ListViewControl*>(made.get())) {
            if (item.listExStyle)
                list->SetExtendedListViewStyle(item.listExStyle);
            for (const DialogColumn& c : item.columns)
                list->InsertColumn(list->GetColumnCount(), c.title,
                                   MapColumnWidth(*list, c.title, c.width));
        }
        controls_.push_back(std::move(made));
        if (!IsWindow())
            return false;
    }
    return true;
}

bool PlatformDialog::CreateDialogWindow(PlatformWindow* parent, LPARAM initParam) {
    if (IsWindow())
        return false;
    controls_.clear();
    ended_ = false;
    result_ = 0;
    defId_ = 1;
    RECT size = MapDialogRect(RECT{0, 0, tmpl_.cx, tmpl_.cy});
    uint32_t style = tmpl_.child ? WS_CHILD : WS_POPUP;
    if (tmpl_.child && !parent)
        return false;
    if (!PlatformWindow::Create(parent, size, tmpl_.title, style, 0, tmpl_.id))
        return false;
    // The controls stand where the template puts them and nothing lays them
    // out again: a dialog keeps its size, and the window manager offers no
    // resizing.
    if (!tmpl_.child)
        Impl()->widget->setFixedSize(Impl()->widget->size());
    SetBackgroundColor(GetSysColor(COLOR_BTNFACE));
    if (!CreateControls()) {
        DestroyWindow();
        return false;
    }
    AddMessageFilter(this);
    auto life = LifeToken();
    LRESULT focusDefault = SendMessage(WM_INITDIALOG, 0, initParam);
    if (!*life)
        return false;
    if (focusDefault && !ended_) {
        PlatformWindow* first = GetNextDlgTabItem(nullptr);
        if (first)
            GotoDlgCtrl(first);
    }
    return IsWindow();
}

bool PlatformDialog::Create(PlatformWindow* parent, LPARAM initParam) {
    modal_ = false;
    if (!CreateDialogWindow(parent, initParam))
        return false;
    ShowWindow(true);
    return true;
}

int PlatformDialog::DoModal(PlatformWindow* parent, LPARAM initParam) {
    modal_ = true;
    if (!CreateDialogWindow(parent, initParam)) {
        modal_ = false;
        return -1;
    }
    if (!tmpl_.child)
        CenterWindow(parent);
    if (!ended_) {
        if (g_modalHook) {
            ModalDialogHook hook = g_modalHook; // the hook may replace itself
            hook(*this);
            if (IsWindow() && !ended_) {
                std::fprintf(stderr, "dialog %d \"%s\": the modal hook left it open; cancelled\n",
                             tmpl_.id, WideToUtf8(tmpl_.title).c_str());
                EndDialog(2);
            }
        } else if (HasRealDisplay()) {
            QWidget* w = Impl()->widget;
            w->setWindowModality(Qt::ApplicationModal);
            ShowWindow(true);
            QEventLoop loop;
            quitLoop_ = [&loop] { loop.quit(); };
            auto life = LifeToken();
            while (*life && !ended_)
                loop.exec(QEventLoop::DialogExec);
            quitLoop_ = nullptr;
        } else {
            std::fprintf(stderr, "dialog %d \"%s\": nobody to answer it here; cancelled\n",
                         tmpl_.id, WideToUtf8(tmpl_.title).c_str());
            EndDialog(2);
        }
    }
    if (!ended_) // destroyed from outside
        result_ = 2;
    RemoveMessageFilter(this);
    DestroyWindow();
    modal_ = false;
    return result_;
}

void PlatformDialog::EndDialog(int result) {
    result_ = result;
    ended_ = true;
    if (!modal_) {
        ShowWindow(false);
        return;
    }
    if (quitLoop_)
        quitLoop_();
}

void PlatformDialog::CenterWindow(PlatformWindow* parent) {
    if (!IsWindow() || tmpl_.child)
        return;
    if (!parent)
        parent = GetParent();
    RECT me = GetWindowRect();
    int w = me.right - me.left, h = me.bottom - me.top;
    RECT area;
    if (parent && parent->IsWindow()) {
        area = parent->GetTopLevel()->GetWindowRect();
    } else if (QScreen* s = QGuiApplication::primaryScreen()) {
        QRect g = s->availableGeometry();
        area = RECT{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
    } else {
        area = RECT{0, 0, w, h};
    }
    int x = area.left + ((area.right - area.left) - w) / 2;
    int y = area.top + ((area.bottom - area.top) - h) / 2;
    MoveWindow(RECT{x, y, x + w, y + h}, false);
}

// ---- controls --------------------------------------------------------------

bool PlatformDialog::SetDlgItemText(int id, const std::wstring& text) {
    PlatformWindow* w = GetDlgItem(id);
    if (!w)
        return false;
    return w->SendMessage(WM_SETTEXT, 0, PtrToLParam(text.c_str())) != 0;
}

std::wstring PlatformDialog::GetDlgItemText(int id) const {
    PlatformWindow* w = GetDlgItem(id);
    return w ? w->GetWindowText() : std::wstring();
}

bool PlatformDialog::SetDlgItemInt(int id, int value, bool isSigned) {
    std::wstring text =
        isSigned ? StrPrintf(L"%d", value) : StrPrintf(L"%u", static_cast<unsigned>(value));
    return SetDlgItemText(id, text);
}

int PlatformDialog::GetDlgItemInt(int id, bool* ok, bool isSigned) const {
    if (ok)
        *ok = false;
    PlatformWindow* w = GetDlgItem(id);
    if (!w)
        return 0;
    std::wstring text = w->GetWindowText();
    const wchar_t* p = text.c_str();
    while (IsBlankOrTab(*p))
        ++p;
    if (!isSigned && (*p == L'-' || *p == L'+'))
        return 0;
    const wchar_t* end = p;
    long long v = ParseInteger(p, &end);
    if (end == p)
        return 0;
    while (IsBlankOrTab(*end))
        ++end;
    if (*end)
        return 0;
    if (isSigned ? (v < INT_MIN || v > INT_MAX) : (v < 0 || v > static_cast<long long>(UINT_MAX)))
        return 0;
    if (ok)
        *ok = true;
    return static_cast<int>(static_cast<uint32_t>(v));
}

bool PlatformDialog::CheckDlgButton(int id, UINT check) {
    PlatformWindow* w = GetDlgItem(id);
    if (!w)
        return false;
    w->SendMessage(BM_SETCHECK, check);
    return true;
}

UINT PlatformDialog::IsDlgButtonChecked(int id) const {
    PlatformWindow* w = GetDlgItem(id);
    return w ? static_cast<UINT>(w->SendMessage(BM_GETCHECK)) : BST_UNCHECKED;
}

bool PlatformDialog::CheckRadioButton(int firstId, int lastId, int checkId) {
    bool found = false;
    for (PlatformWindow* w : GetChildren()) {
        int id = w->GetDlgCtrlID();
        if (id < firstId || id > lastId)
            continue;
        w->SendMessage(BM_SETCHECK, id == checkId ? BST_CHECKED : BST_UNCHECKED);
        found = found || id == checkId;
    }
    return found;
}

bool PlatformDialog::EnableDlgItem(int id, bool enable) {
    PlatformWindow* w = GetDlgItem(id);
    if (!w)
        return false;
    w->EnableWindow(enable);
    return true;
}

void PlatformDialog::GotoDlgCtrl(PlatformWindow* control) {
    if (!control || !control->IsWindow())
        return;
    control->SetFocus();
    if (auto* edit = dynamic_cast<EditControl*>(control); edit && edit->IsWindow())
        edit->SetSel(0, -1);
}

PlatformWindow* PlatformDialog::GetNextDlgTabItem(PlatformWindow* control, bool previous) const {
    std::vector<PlatformWindow*> kids;
    for (PlatformWindow* w : GetChildren())
        if (w->GetStyle() & WS_CHILD)
            kids.push_back(w);
    if (kids.empty())
        return nullptr;
    auto usable = [](PlatformWindow* w) {
        return (w->GetStyle() & WS_TABSTOP) && w->IsWindowEnabled() && (w->GetStyle() & WS_VISIBLE);
    };
    int n = static_cast<int>(kids.size());
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (kids[static_cast<size_t>(i)] == control ||
            (control && kids[static_cast<size_t>(i)]->IsChild(control)))
            at = i;
    int step = previous ? -1 : 1;
    int i = at < 0 ? (previous ? n - 1 : 0) : at + step;
    for (int k = 0; k < n; ++k, i += step) {
        i = (i % n + n) % n;
        if (usable(kids[static_cast<size_t>(i)]))
            return kids[static_cast<size_t>(i)];
    }
    return nullptr;
}

PlatformWindow* PlatformDialog::GetNextDlgGroupItem(PlatformWindow* control, bool previous) const {
    std::vector<PlatformWindow*> group = GetDlgGroupOf(control);
    auto it = std::find(group.begin(), group.end(), control);
    if (it == group.end())
        return nullptr;
    int n = static_cast<int>(group.size());
    int at = static_cast<int>(it - group.begin());
    int step = previous ? -1 : 1;
    for (int k = 1; k <= n; ++k) {
        PlatformWindow* w = group[static_cast<size_t>(((at + step * k) % n + n) % n)];
        if (w->IsWindowEnabled() && (w->GetStyle() & WS_VISIBLE))
            return w;
    }
    return nullptr;
}

// ---- data exchange ---------------------------------------------------------

bool PlatformDialog::DoDataExchange(bool) {
    return true;
}

void PlatformDialog::OnDataExchangeError(int id, bool) {
    MessageBeep(kSimpleBeep);
    GotoDlgCtrl(id);
}

bool PlatformDialog::DDX_Text(int id, std::wstring& value, bool save) {
    PlatformWindow* w = GetDlgItem(id);
    bool ok = w != nullptr;
    if (ok && save)
        value = w->GetWindowText();
    else if (ok)
        ok = SetDlgItemText(id, value);
    if (!ok)
        OnDataExchangeError(id, save);
    return ok;
}

bool PlatformDialog::DDX_Int(int id, int& value, bool save) {
    bool ok = true;
    if (save)
        value = GetDlgItemInt(id, &ok, true);
    else
        ok = SetDlgItemInt(id, value, true);
    if (!ok)
        OnDataExchangeError(id, save);
    return ok;
}

bool PlatformDialog::DDX_UInt(int id, uint32_t& value, bool save) {
    bool ok = true;
    if (save)
        value = static_cast<uint32_t>(GetDlgItemInt(id, &ok, false));
    else
        ok = SetDlgItemInt(id, static_cast<int>(value), false);
    if (!ok)
        OnDataExchangeError(id, save);
    return ok;
}

bool PlatformDialog::DDX_Check(int id, int& value, bool save) {
    PlatformWindow* w = GetDlgItem(id);
    if (!w) {
        OnDataExchangeError(id, save);
        return false;
    }
    if (save) {
        value = static_cast<int>(w->SendMessage(BM_GETCHECK));
    } else {
        if (value < 0 || value > 2)
            value = 0;
        w->SendMessage(BM_SETCHECK, static_cast<WPARAM>(value));
    }
    return true;
}

bool PlatformDialog::DDX_Radio(int firstId, int& value, bool save) {
    PlatformWindow* first = GetDlgItem(firstId);
    if (!first) {
        OnDataExchangeError(firstId, save);
        return false;
    }
    std::vector<PlatformWindow*> group = GetDlgGroupOf(first);
    auto start = std::find(group.begin(), group.end(), first);
    if (save)
        value = -1;
    int index = 0;
    for (auto it = start; it != group.end(); ++it) {
        if (!dynamic_cast<RadioButtonControl*>(*it))
            continue;
        if (save) {
            if ((*it)->SendMessage(BM_GETCHECK) == BST_CHECKED)
                value = index;
        } else {
            (*it)->SendMessage(BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED);
        }
        ++index;
    }
    return true;
}

bool PlatformDialog::DDX_ComboIndex(int id, int& value, bool save) {
    auto* combo = GetDlgItemAs<ComboBoxControl>(id);
    if (!combo) {
        OnDataExchangeError(id, save);
        return false;
    }
    if (save)
        value = combo->GetCurSel();
    else
        combo->SetCurSel(value);
    return true;
}

// ---- messages --------------------------------------------------------------

void PlatformDialog::SendCommand(int id) {
    PlatformWindow* control = GetDlgItem(id);
    if (control && !control->IsWindowEnabled()) {
        MessageBeep(kSimpleBeep);
        return;
    }
    SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<unsigned>(id), BN_CLICKED),
                PtrToLParam(control));
}

bool PlatformDialog::IsDroppedCombo(PlatformWindow* w) const {
    for (; w && w != this; w = w->GetParent())
        if (auto* combo = dynamic_cast<ComboBoxControl*>(w); combo && combo->GetDroppedState())
            return true;
    return false;
}

bool PlatformDialog::PreTranslateMessage(Message* msg) {
    if (!msg || !IsWindow() || msg->message != WM_KEYDOWN)
        return false;
    PlatformWindow* target = msg->window;
    if (target != this && !IsChild(target))
        return false;
    // A window of a dialog opened over this one is that dialog's business.
    for (PlatformWindow* w = target; w && w != this; w = w->GetParent())
        if (dynamic_cast<PlatformDialog*>(w))
            return false;
    switch (static_cast<int>(msg->wParam)) {
    case VK_RETURN: {
        if (IsDroppedCombo(target))
            return false;
        int id = defId_;
        PlatformWindow* focus = GetFocus();
        if (auto* button = dynamic_cast<ButtonControl*>(focus); button && IsChild(button))
            id = button->GetDlgCtrlID();
        SendCommand(id);
        return true;
    }
    case VK_ESCAPE:
        if (IsDroppedCombo(target))
            return false;
        SendCommand(2);
        return true;
    case VK_TAB: {
        if (IsKeyDown(VK_CONTROL))
            return false;
        if (PlatformWindow* next = GetNextDlgTabItem(GetFocus(), IsKeyDown(VK_SHIFT)))
            GotoDlgCtrl(next);
        return true;
    }
    default:
        return false;
    }
}

LRESULT PlatformDialog::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        return 1;
    case WM_COMMAND: {
        int id = static_cast<int>(LOWORD(wParam));
        if (HIWORD(wParam) == BN_CLICKED && (id == 1 || id == 2)) {
            EndDialog(id);
            return 0;
        }
        return 0;
    }
    case WM_CLOSE:
        SendCommand(2);
        return 0;
    case WM_SETTEXT: {
        LRESULT r = PlatformWindow::DefWindowProc(msg, wParam, lParam);
        if (Impl() && !tmpl_.child)
            Impl()->widget->setWindowTitle(QString::fromStdWString(StoredText()));
        return r;
    }
    case WM_DESTROY:
        RemoveMessageFilter(this);
        return 0;
    default:
        return PlatformWindow::DefWindowProc(msg, wParam, lParam);
    }
}

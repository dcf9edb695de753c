#include "shell/find.h"

#include "core/node_type.h"
#include "core/tree_node.h"
#include "core/vorpel_view.h"
#include "platform/check_box_control.h"
#include "platform/combo_box_control.h"
#include "platform/settings_store.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "shell/main_frame.h"

#include <algorithm>

CFind g_Find;
const wchar_t* const CFind::kKeyPath = L"Software\\Vorpel\\Find";

namespace {
constexpr unsigned kCaptionId = 128;     // "Vorpel"
constexpr unsigned kCurrentPageId = 272; // "Current page"
constexpr unsigned kNoObjectsId = 277;   // "No search objects selected"
constexpr unsigned kEmptyTextId = 278;   // "Search line is empty"
// Posted to itself: the window of a closed dialog goes once its handlers
// have returned.
constexpr UINT kDestroyMessage = WM_USER + 0x7F0;

FindStarter g_starter = nullptr;

// A three-state box whose state only the dialog sets: a click just tells.
class CThreeStateBox : public CheckBoxControl {
protected:
    void ClickState() override {}
};

DialogItem DropDownCombo(int id, int x, int y, int cx, int cy) {
    return {DialogItemKind::DropDownCombo, id, L"", x, y, cx, cy, WS_TABSTOP, 0, {}};
}
} // namespace

void SetFindStarter(FindStarter starter) {
    g_starter = starter;
}

const DialogTemplate& CFind::Resource() {
    static const DialogTemplate t{
        381,
        L"Find",
        300,
        150,
        false,
        {
            DlgStatic(IDC_STATIC, L"&Find what:", 7, 9, 40, 8),
            DropDownCombo(kFindWhat, 50, 7, 180, 80),
            DlgStatic(IDC_STATIC, L"&Look in:", 7, 27, 40, 8),
            DlgDropDownList(kLookIn, 50, 25, 120, 60),
            DlgCheckBox(kMatchCase, L"Match &case", 7, 45, 86, 10),
            DlgCheckBox(kMatchWholeWord, L"Match &whole word", 7, 57, 86, 10),
            DlgGroupBox(L"Direction", 100, 41, 80, 30),
            DlgRadio(kUp, L"&Up", 106, 54, 32, 10, WS_GROUP | WS_TABSTOP),
            DlgRadio(kDown, L"&Down", 140, 54, 36, 10),
            DlgGroupBox(L"Find in", 7, 76, 226, 68),
            DlgCheckBox(kNet, L"&Net", 13, 88, 80, 10, WS_GROUP | WS_TABSTOP),
            DlgCheckBox(kPinNumber, L"&Pin number", 13, 100, 80, 10),
            DlgCheckBox(kPinName, L"P&in name", 13, 112, 80, 10),
            DlgCheckBox(kComment, L"C&omment", 13, 124, 80, 10),
            DlgCheckBox(kPartText, L"Any Symbol &Text", 100, 88, 76, 10),
            DlgCheckBox(kRefDes, L"Part &RefDes", 110, 100, 66, 10),
            DlgCheckBox(kPartNum, L"Part Num&ber", 110, 112, 66, 10),
            DlgCheckBox(kPartValue, L"Part &Value", 110, 124, 66, 10),
            DlgButton(kSetAll, L"Set All", 180, 88, 46, 14),
            DlgButton(kClearAll, L"Clear All", 180, 106, 46, 14),
            DlgDefButton(IDOK, L"Find Next", 240, 7, 54, 14, WS_GROUP | WS_TABSTOP),
            DlgButton(kMarkAll, L"Mark All", 240, 25, 54, 14),
            DlgButton(IDCANCEL, L"Cancel", 240, 43, 54, 14),
        },
    };
    return t;
}

CFind::CFind() : PlatformDialog(Resource()) {}

CFind::~CFind() {
    Dismiss();
    m_view = nullptr;
}

void CFind::Dismiss() {
    if (!IsWindow())
        return;
    RemoveMessageFilter(this);
    m_closing = false;
    DestroyWindow();
}

std::unique_ptr<PlatformWindow> CFind::MakeControl(const DialogItem& item) {
    if (item.id == kPartText)
        return std::make_unique<CThreeStateBox>();
    return nullptr;
}

void CFind::DismissFor(const CVorpelView* view) {
    if (!view || view != m_view)
        return;
    Dismiss();
    m_view = nullptr;
}

bool CFind::Open(CVorpelView* view) {
    Dismiss();
    m_view = view;
    PlatformWindow* owner = view ? view->GetTopLevel() : nullptr;
    if (!Create(owner))
        return false;
    // Keyboard navigation while the dialog is modeless.
    AddMessageFilter(this);
    return true;
}

bool CFind::PreTranslateMessage(Message* msg) {
    if (!IsOpen() || !msg || !msg->window)
        return false;
    if (msg->window != this && !IsChild(msg->window))
        return false;
    return PlatformDialog::PreTranslateMessage(msg);
}

// --- Settings -----------------------------------------------------------------------------

void CFind::ReadSettings() {
    m_lookIn = 0;
    m_dir = 1;
    m_matchCase = 0;
    m_matchWholeWord = 0;
    SetAllKinds(1);
    SettingsKey key;
    if (!key.Create(kKeyPath))
        return;
    auto read = [&key](const wchar_t* name, int& value) {
        uint32_t stored = 0;
        if (key.QueryNumber(name, &stored) == SettingsResult::Ok)
            value = static_cast<int>(stored);
    };
    read(L"LookIn", m_lookIn);
    read(L"Dir", m_dir);
    read(L"MatchCase", m_matchCase);
    read(L"MatchWholeWord", m_matchWholeWord);
    read(L"FindNet", m_findNet);
    read(L"FindPinNumber", m_findPinNumber);
    read(L"FindPinName", m_findPinName);
    read(L"FindComment", m_findComment);
    read(L"FindPartText", m_findPartText);
    read(L"FindRefDes", m_findRefDes);
    read(L"FindPartNum", m_findPartNum);
    read(L"FindPartValue", m_findPartValue);
    // A stored scope or direction that names none keeps the default.
    if (m_lookIn < 0 || m_lookIn > 2)
        m_lookIn = 0;
    if (m_dir != 0)
        m_dir = 1;
}

void CFind::StoreSettings() const {
    SettingsKey key;
    if (!key.Create(kKeyPath))
        return;
    auto write = [&key](const wchar_t* name, int value) {
        key.SetNumber(name, static_cast<uint32_t>(value));
    };
    write(L"LookIn", m_lookIn);
    write(L"Dir", m_dir);
    write(L"MatchCase", m_matchCase);
    write(L"MatchWholeWord", m_matchWholeWord);
    write(L"FindNet", m_findNet);
    write(L"FindPinNumber", m_findPinNumber);
    write(L"FindPinName", m_findPinName);
    write(L"FindComment", m_findComment);
    write(L"FindPartText", m_findPartText);
    write(L"FindRefDes", m_findRefDes);
    write(L"FindPartNum", m_findPartNum);
    write(L"FindPartValue", m_findPartValue);
}

// --- Controls -----------------------------------------------------------------------------

bool CFind::DoDataExchange(bool save) {
    DDX_Text(kFindWhat, m_text, save);
    DDX_ComboIndex(kLookIn, m_lookIn, save);
    DDX_Check(kMatchCase, m_matchCase, save);
    DDX_Check(kMatchWholeWord, m_matchWholeWord, save);
    DDX_Radio(kUp, m_dir, save);
    DDX_Check(kNet, m_findNet, save);
    DDX_Check(kPinNumber, m_findPinNumber, save);
    DDX_Check(kPinName, m_findPinName, save);
    DDX_Check(kComment, m_findComment, save);
    DDX_Check(kPartText, m_findPartText, save);
    DDX_Check(kRefDes, m_findRefDes, save);
    DDX_Check(kPartNum, m_findPartNum, save);
    DDX_Check(kPartValue, m_findPartValue, save);
    return true;
}

void CFind::OnInitDialog() {
    CenterWindow();
    if (auto* what = GetDlgItemAs<ComboBoxControl>(kFindWhat))
        for (const std::wstring& text : m_history)
            what->AddString(text);
    // The scopes: the view's sheet, the board above it, the project above
    // that.
    CTreeNode* sheet = m_view ? m_view->GetDocument() : nullptr;
    CTreeNode* board = nullptr;
    CTreeNode* project = nullptr;
    for (CTreeNode* n = sheet ? sheet->GetParent() : nullptr; n; n = n->GetParent()) {
        if (!board && n->GetType() == NodeType::Board)
            board = n;
        if (!n->GetParent() || n->GetType() == NodeType::Project)
            project = n;
    }
    if (auto* lookIn = GetDlgItemAs<ComboBoxControl>(kLookIn)) {
        CTreeNode* scopes[3] = {sheet, board, project};
        for (int i = 0; i < 3; ++i)
            lookIn->AddString(LoadStringText(kCurrentPageId + static_cast<unsigned>(i)),
                              PtrToLParam(scopes[i]));
    }
    ReadSettings();
    DoDataExchange(false);
}

void CFind::SetAllKinds(int value) {
    m_findNet = m_findPinNumber = m_findPinName = m_findComment = value;
    m_findPartText = m_findRefDes = m_findPartNum = m_findPartValue = value;
}

void CFind::OnPartTextClicked() {
    DoDataExchange(true);
    // Indeterminate counts as set: a click clears it.
    m_findPartText = m_findPartText == 0 ? 1 : 0;
    m_findRefDes = m_findPartNum = m_findPartValue = m_findPartText;
    DoDataExchange(false);
}

void CFind::OnPartFlagClicked() {
    DoDataExchange(true);
    const bool same = m_findRefDes == m_findPartNum && m_findPartNum == m_findPartValue;
    m_findPartText = same ? m_findRefDes : 2;
    DoDataExchange(false);
}

void CFind::OnFind(bool markAll) {
    DoDataExchange(true);
    const int kinds[8] = {m_findNet,      m_findPinNumber, m_findPinName, m_findComment,
                          m_findPartText, m_findRefDes,    m_findPartNum, m_findPartValue};
    if (std::all_of(std::begin(kinds), std::end(kinds), [](int v) { return v == 0; })) {
        ShowMessageBox(LoadStringText(kNoObjectsId), LoadStringText(kCaptionId),
                       MB_OK | MB_ICONERROR);
        return;
    }
    if (m_text.empty()) {
        ShowMessageBox(LoadStringText(kEmptyTextId), LoadStringText(kCaptionId),
                       MB_OK | MB_ICONERROR);
        return;
    }
    auto again = std::find(m_history.begin(), m_history.end(), m_text);
    if (again != m_history.end())
        m_history.erase(again);
    m_history.insert(m_history.begin(), m_text);
    m_markAll = markAll ? 1 : 0;
    m_scopeNode = m_searchSheet = m_searchRoot = m_startNode = nullptr;
    // The view may have closed while the dialog was open; then the scopes
    // name nodes of a document that is gone, and none of them is touched.
    // A scope is used only while it is still the view's page or above it.
    const bool live = m_view && g_MainFrame.m_tabWindow.FindTab(m_view) >= 0;
    if (auto* lookIn = GetDlgItemAs<ComboBoxControl>(kLookIn); live && lookIn && m_lookIn >= 0) {
        auto* scope = LParamToPtr<CTreeNode>(lookIn->GetItemData(m_lookIn));
        for (CTreeNode* n = m_view->GetDocument(); n && !m_scopeNode; n = n->GetParent())
            if (n == scope)
                m_scopeNode = scope;
    }
    if (m_scopeNode && m_scopeNode->GetType() == NodeType::Sheet) {
        m_searchSheet = m_scopeNode;
        m_searchRoot = m_scopeNode->GetParent();
    } else {
        m_searchRoot = m_scopeNode;
    }
    if (m_searchRoot && m_searchRoot->GetChildCount() > 0)
        m_startNode =
            m_dir == 1 ? m_searchRoot->GetChildren().front() : m_searchRoot->GetChildren().back();
    auto life = LifeToken();
    if (g_starter && live)
        g_starter(m_view, *this);
    StoreSettings();
    if (*life)
        FinishClose();
}

void CFind::Close() {
    if (!IsOpen())
        return;
    DoDataExchange(true);
    FinishClose();
}

void CFind::FinishClose() {
    RemoveMessageFilter(this);
    m_closing = true;
    ShowWindow(false);
    PostMessage(kDestroyMessage);
}

bool CFind::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = 1;
        return true;
    case WM_COMMAND: {
        const int id = static_cast<int>(LOWORD(wParam));
        if (HIWORD(wParam) != BN_CLICKED && id != IDOK && id != IDCANCEL)
            return false;
        switch (id) {
        case IDOK:
            OnFind(false);
            return true;
        case kMarkAll:
            OnFind(true);
            return true;
        case IDCANCEL:
            Close();
            return true;
        case kSetAll:
        case kClearAll:
            DoDataExchange(true);
            SetAllKinds(id == kSetAll ? 1 : 0);
            DoDataExchange(false);
            return true;
        case kPartText:
            OnPartTextClicked();
            return true;
        case kRefDes:
        case kPartNum:
        case kPartValue:
            OnPartFlagClicked();
            return true;
        default:
            return false;
        }
    }
    default:
        if (msg == kDestroyMessage) {
            if (m_closing) {
                m_closing = false;
                DestroyWindow();
            }
            return true;
        }
        return false;
    }
}

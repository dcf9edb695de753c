#include "cam/layer_select.h"

#include "board/board.h"
#include "board/layer.h"
#include "core/root.h"
#include "dialogs/settings_commands.h"
#include "platform/bitmap.h"
#include "platform/device_context.h"
#include "platform/file.h"
#include "platform/file_dialog.h"
#include "platform/folders.h"
#include "platform/string_table.h"
#include "platform/system_colors.h"
#include "platform/ui_hooks.h"

#include <algorithm>

namespace {
constexpr unsigned kCheckBoxBitmap = 257;
constexpr int kCheckImageWidth = 16;
constexpr COLORREF kCheckImageMask = 0xFF00FF;

constexpr unsigned kColumnLayer = 32930;
constexpr unsigned kColumnLayerType = 32931; // also the base of the type names
constexpr unsigned kColumnNet = 225;
constexpr unsigned kBoardOutline = 257;
constexpr unsigned kDocumentation = 32935;
constexpr unsigned kRootNotFound = 243;
constexpr unsigned kLayerNameBase = 33000;

constexpr int kLastListedLayer = kLayerSolderPasteBottom;
// The layer name starts this far into the label, the other columns' texts
// this far into their column.
constexpr int kNameIndent = 10;
constexpr int kColumnIndent = 4;

constexpr unsigned kRowTextFormat = DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;

// The path without its file name's extension: cut at the last '.' when that
// lies in the file name and is not its first character (a '.' in a folder
// name or a hidden file's leading '.' is no extension).
std::wstring WithoutExtension(const std::wstring& path) {
    size_t slash = path.find_last_of(L'/');
    size_t nameStart = slash == std::wstring::npos ? 0 : slash + 1;
    size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || dot <= nameStart)
        return path;
    return path.substr(0, dot);
}

const CRoot* FindProjectRoot(const CTreeNode* node) {
    for (const CTreeNode* n = node ? node->GetParent() : nullptr; n; n = n->GetParent()) {
        auto* root = dynamic_cast<const CRoot*>(n);
        if (root && (root->GetType() == NodeType::Project || root->GetRootTag() == L"Project"))
            return root;
    }
    return nullptr;
}
} // namespace

// ---------------------------------------------------------------------------
// CLayerSelectListCtrl

std::wstring CLayerSelectListCtrl::LayerName(const LayerSelectEntry& entry) {
    if (entry.id < 0)
        return LoadStringText(kBoardOutline);
    return LoadStringText(kLayerNameBase + static_cast<unsigned>(entry.id));
}

std::wstring CLayerSelectListCtrl::LayerTypeName(const LayerSelectEntry& entry) {
    if (entry.layer) {
        int type = entry.layer->m_layerType;
        return type >= kLayerTypeRouting && type <= kLayerTypeDoc
                   ? LoadStringText(kColumnLayerType + static_cast<unsigned>(type))
                   : std::wstring();
    }
    // Layers without a stackup node (silkscreen, mask, ...) only document.
    return entry.id < 0 ? std::wstring() : LoadStringText(kDocumentation);
}

std::wstring CLayerSelectListCtrl::NetName(const LayerSelectEntry& entry) {
    return entry.layer ? entry.layer->m_net : std::wstring();
}

void CLayerSelectListCtrl::DrawRow(DeviceContext& dc, const RECT& rc, int item, UINT itemState) {
    const auto* entry = LParamToPtr<LayerSelectEntry>(GetItemData(item));
    if (!entry)
        return;
    // The list paints nothing under an owner-drawn row.
    dc.FillRect(rc, CreateSolidBrush(GetSysColor(COLOR_WINDOW)));

    RECT label{rc.left, rc.top, rc.left + GetColumnWidth(0), rc.bottom};
    if (ImageList* images = GetImageList(LVSIL_STATE)) {
        UINT image = STATEIMAGEMASKTOINDEX(GetItemState(item, LVIS_STATEIMAGEMASK));
        if (image > 0 && dc.Target())
            images->Draw(dc.Target(), static_cast<int>(image) - 1, rc.left + 2,
                         rc.top + (rc.bottom - rc.top - images->ImageHeight()) / 2);
        label.left += 2 + images->ImageWidth();
    }

    LogFont font;
    font.lfFaceName = GetFont().face;
    font.lfHeight = GetFont().height;
    font.lfWeight = GetFont().weight;
    dc.SelectFont(font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(GetSysColor(COLOR_WINDOWTEXT));
    dc.DrawText(LayerName(*entry), RECT{label.left + kNameIndent, rc.top, label.right, rc.bottom},
                kRowTextFormat);
    int x = rc.left + GetColumnWidth(0);
    const std::wstring texts[] = {LayerTypeName(*entry), NetName(*entry)};
    for (int column = 1; column <= 2; ++column) {
        int width = GetColumnWidth(column);
        const std::wstring& text = texts[column - 1];
        if (!text.empty())
            dc.DrawText(text, RECT{x + kColumnIndent, rc.top, x + width, rc.bottom},
                        kRowTextFormat);
        x += width;
    }
    if (itemState & ODS_SELECTED)
        dc.DrawFocusRect(rc);
}

void CLayerSelectListCtrl::ToggleRow(int item) {
    if (item < 0 || item >= GetItemCount())
        return;
    bool wasChecked = GetCheckState(item);
    if (auto* entry = LParamToPtr<LayerSelectEntry>(GetItemData(item)))
        entry->selected = wasChecked ? 0 : 1;
    SetCheckState(item, !wasChecked);
}

bool CLayerSelectListCtrl::ProcessWindowMessage(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case OCM_BASE + WM_MEASUREITEM: {
        // Rows tall enough for the check box.
        auto* mis = LParamToPtr<MEASUREITEMSTRUCT>(lParam);
        if (ImageList* images = GetImageList(LVSIL_STATE))
            mis->itemHeight =
                std::max<UINT>(mis->itemHeight, static_cast<UINT>(images->ImageHeight() + 2));
        result = 1;
        return true;
    }
    case OCM_BASE + WM_DRAWITEM: {
        auto* dis = LParamToPtr<DRAWITEMSTRUCT>(lParam);
        if (dis && dis->target) {
            DeviceContext dc(*dis->target);
            DrawRow(dc, dis->rcItem, dis->itemID, dis->itemState);
        }
        result = 1;
        return true;
    }
    case OCM_BASE + WM_NOTIFY: {
        auto* hdr = LParamToPtr<NMHDR>(lParam);
        if (!hdr || hdr->code != NM_CLICK)
            return false;
        ToggleRow(LParamToPtr<NMITEMACTIVATE>(lParam)->iItem);
        result = 0;
        return true;
    }
    case WM_SETFOCUS:
        // The list shows no focus of its own; rows show their selection.
        result = 0;
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------
// CLayerSelect

const DialogTemplate& CLayerSelect::Resource() {
    static const DialogTemplate t{
        104,
        L"Select Layers",
        250,
        200,
        false,
        {
            DlgEdit(kPrefix, 7, 7, 214, 14),
            DlgButton(kBrowse, L"...", 225, 7, 18, 14),
            DialogItem{DialogItemKind::ReportList,
                       kList,
                       L"",
                       7,
                       26,
                       236,
                       148,
                       WS_TABSTOP | LVS_SINGLESEL | LVS_OWNERDRAWFIXED,
                       0,
                       {}},
            DlgDefButton(1, L"OK", 139, 180, 50, 14),
            DlgButton(2, L"Cancel", 193, 180, 50, 14),
        },
    };
    return t;
}

CLayerSelect::CLayerSelect(CBoard* board) : PlatformDialog(Resource()), m_board(board) {}

CLayerSelect::~CLayerSelect() {
    DestroyWindow();
}

std::unique_ptr<PlatformWindow> CLayerSelect::MakeControl(const DialogItem& item) {
    if (item.id == kList)
        return std::make_unique<CLayerSelectListCtrl>();
    return nullptr;
}

std::wstring CLayerSelect::DefaultPrefix(const CBoard* board, bool* noProject) {
    const CRoot* project = FindProjectRoot(board);
    if (noProject)
        *noProject = project == nullptr;
    // A project never saved has no folder yet: its files go where those of
    // a board without a project go, not to the file-system root.
    if (!project || project->GetFilePath().empty())
        return DocumentsFolder() + L"/gerber";
    // A project not yet saved holds only its name: it belongs in the
    // default project folder, never in the folder the program runs in.
    std::wstring path = project->GetFilePath();
    if (!IsFullPath(path)) {
        std::wstring projects = StoredDirectory(kProjectDirectory);
        if (!IsFullPath(projects))
            projects = DefaultDirectory(kProjectDirectory);
        path = MakeFullPath(path, projects);
    }
    std::wstring folder = WithoutExtension(path);
    std::wstring name = PathFileName(folder);
    if (!DirectoryExists(folder))
        CreateDirectories(folder); // a failure shows when the files are written
    return folder + L"/" + name;
}

void CLayerSelect::FillList(CLayerSelectListCtrl* list) {
    for (int id = 0; id <= kLastListedLayer; ++id) {
        LayerSelectEntry& entry = m_layers[id];
        entry.id = id;
        entry.layer = m_board ? m_board->FindLayer(id) : nullptr;
        bool inner = id >= kLayerInner1 && id <= kLayerInner20;
        if (inner && !entry.layer)
            continue;
        entry.selected = 1;
        int row = list->InsertItem(list->GetItemCount(), CLayerSelectListCtrl::LayerName(entry),
                                   PtrToLParam(&entry));
        list->SetItemText(row, 1, CLayerSelectListCtrl::LayerTypeName(entry));
        list->SetItemText(row, 2, CLayerSelectListCtrl::NetName(entry));
        list->SetCheckState(row, true);
    }
    m_outline = LayerSelectEntry{1, nullptr, kLayerOutline};
    int row = list->InsertItem(list->GetItemCount(), CLayerSelectListCtrl::LayerName(m_outline),
                               PtrToLParam(&m_outline));
    list->SetCheckState(row, true);
}

void CLayerSelect::OnInitDialog() {
    CenterWindow();
    if (CLayerSelectListCtrl* list = GetList()) {
        list->SetExtendedListViewStyle(LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES);
        m_checkImages = ImageList::FromResource(kCheckBoxBitmap, kCheckImageWidth, kCheckImageMask);
        list->SetImageList(m_checkImages.get(), LVSIL_STATE);
        const std::pair<unsigned, int> columns[] = {
            {kColumnLayer, 150}, {kColumnLayerType, 80}, {kColumnNet, 60}};
        for (const auto& [id, width] : columns) {
            const std::wstring title = LoadStringText(id);
            list->InsertColumn(list->GetColumnCount(), title, MapColumnWidth(*list, title, width));
        }
        FillList(list);
    }
    bool noProject = false;
    m_prefix = DefaultPrefix(m_board, &noProject);
    if (noProject)
        ShowMessageBox(LoadStringText(kRootNotFound), L"Gerber", MB_OK | MB_ICONWARNING);
    DDX_Text(kPrefix, m_prefix, false);
}

void CLayerSelect::OnBrowse() {
    FileDialogRequest request;
    request.owner = GetActiveWindow();
    request.filters = {{L"Gerber Files (*.gbr)", L"*.gbr"}, {L"All Files (*.*)", L"*.*"}};
    request.fileName = PathFileName(m_prefix);
    request.overwritePrompt = true;
    if (!GetSaveFileName(&request))
        return;
    m_prefix = WithoutExtension(request.fileName);
    SetDlgItemText(kPrefix, m_prefix);
}

bool CLayerSelect::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = 1;
        return true;
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_NOTIFY:
        // The list draws its own rows and handles its own clicks.
        return ReflectNotifications(msg, wParam, lParam, result);
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED)
            return false;
        switch (static_cast<int>(LOWORD(wParam))) {
        case kBrowse:
            OnBrowse();
            result = 0;
            return true;
        case IDOK:
        case IDCANCEL:
            DDX_Text(kPrefix, m_prefix, true);
            EndDialog(static_cast<int>(LOWORD(wParam)));
            result = 0;
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}

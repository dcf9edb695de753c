#include "dialogs/load_footprint.h"

#include "board/footprint.h"
#include "board/marking.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/default_settings.h"
#include "core/node_type.h"
#include "core/xml_file.h"
#include "dialogs/library_files.h"
#include "dialogs/preview_control.h"
#include "platform/bitmap.h"
#include "platform/button_control.h"
#include "platform/folder_dialog.h"
#include "platform/graphics.h"
#include "platform/list_box_control.h"
#include "platform/paint_target.h"
#include "platform/settings_store.h"
#include "platform/static_control.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "resources/tree_bitmaps.h"
#include "schematic/package.h"

#include <algorithm>
#include <utility>

const wchar_t* const CLoadFootprint::kKeyPath = L"Software\\Vorpel\\Footprint Libraries";

const DialogTemplate& CLoadFootprint::Resource() {
    static const DialogTemplate t{
        1023,
        L"Load Footprint",
        440,
        226,
        false,
        {
            DlgStatic(IDC_STATIC, L"Directory:", 7, 7, 60, 8),
            DlgListBox(kDirList, 7, 17, 150, 70, WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY),
            DlgButton(kAddFolder, L"", 160, 17, 16, 14, WS_TABSTOP | BS_BITMAP),
            DlgButton(kRemoveFolder, L"", 160, 33, 16, 14, WS_TABSTOP | BS_BITMAP),
            DlgButton(kMoveUp, L"", 160, 49, 16, 14, WS_TABSTOP | BS_BITMAP),
            DlgButton(kMoveDown, L"", 160, 65, 16, 14, WS_TABSTOP | BS_BITMAP),
            DlgStatic(IDC_STATIC, L"File:", 7, 92, 60, 8),
            DlgListBox(kFileList, 7, 102, 169, 100, WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY),
            DlgStatic(IDC_STATIC, L"Footprint:", 184, 7, 60, 8),
            DialogItem{DialogItemKind::TreeView,
                       kTree,
                       L"",
                       184,
                       17,
                       120,
                       185,
                       WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                           TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP,
                       0,
                       {}},
            DlgStatic(kPreview, L"", 312, 17, 121, 121),
            DlgDefButton(IDOK, L"OK", 328, 205, 50, 14),
            DlgButton(IDCANCEL, L"Cancel", 383, 205, 50, 14),
        },
    };
    return t;
}

CLoadFootprint::CLoadFootprint(CPackage* package, std::wstring settingsFolder,
                               std::wstring programFolder)
    : PlatformDialog(Resource()), m_package(package), m_settingsFolder(std::move(settingsFolder)),
      m_programFolder(std::move(programFolder)) {}

CLoadFootprint::~CLoadFootprint() {
    DestroyWindow();
}

std::unique_ptr<CFootprint> CLoadFootprint::TakeFootprint() {
    return std::move(m_chosen);
}

std::unique_ptr<PlatformWindow> CLoadFootprint::MakeControl(const DialogItem& item) {
    if (item.id == kPreview)
        return std::make_unique<CPreviewControl>(
            [this](PaintTarget* t, int w, int h) { DrawPreview(t, GetChosenFootprint(), w, h); });
    return nullptr;
}

ListBoxControl* CLoadFootprint::DirList() const {
    return GetDlgItemAs<ListBoxControl>(kDirList);
}

ListBoxControl* CLoadFootprint::FileList() const {
    return GetDlgItemAs<ListBoxControl>(kFileList);
}

TreeViewControl* CLoadFootprint::Tree() const {
    return GetDlgItemAs<TreeViewControl>(kTree);
}

// ---- the folder list ---------------------------------------------------------

void CLoadFootprint::StoreNumber(const wchar_t* name, uint32_t value) {
    SettingsKey key;
    if (key.Create(kKeyPath))
        key.SetNumber(name, value);
}

void CLoadFootprint::ReadFolders() {
    ListBoxControl* dirs = DirList();
    SettingsKey key;
    if (!key.Open(kKeyPath)) {
        // First use: the settings' folder and the program's own.
        key.Create(kKeyPath);
        const std::wstring first = LibraryFiles::FolderPath(m_settingsFolder);
        const std::wstring second = LibraryFiles::FolderPath(m_programFolder) + L"Lib/Footprint/";
        for (const std::wstring& folder : {first, second})
            if (LibraryFiles::FindEntry(*dirs, folder) < 0) {
                key.SetNumber(folder, static_cast<uint32_t>(dirs->GetCount()));
                dirs->AddString(folder);
            }
        key.SetNumber(L"LastDir", 0);
        m_dirIndex = 0;
        dirs->SetCurSel(0);
        return;
    }
    // Every folder in the order of its stored place; a place taken twice
    // or left out closes up, however large the numbers.
    struct Folder {
        uint32_t place;
        size_t order;
        std::wstring path;
    };
    std::vector<Folder> folders;
    uint32_t lastDir = 0xFFFFFFFFu, lastLib = 0xFFFFFFFFu;
    for (const std::wstring& name : key.ValueNames()) {
        uint32_t number = 0;
        if (key.QueryNumber(name, &number) != SettingsResult::Ok)
            continue;
        if (name == L"LastDir")
            lastDir = number;
        else if (name == L"LastLib")
            lastLib = number;
        else
            folders.push_back(Folder{number, folders.size(), name});
    }
    std::sort(folders.begin(), folders.end(), [](const Folder& a, const Folder& b) {
        return a.place != b.place ? a.place < b.place : a.order < b.order;
    });
    for (const Folder& f : folders)
        dirs->AddString(f.path);
    m_dirIndex = LibraryFiles::StoredIndex(lastDir, dirs->GetCount());
    // The file index is checked against the file list once that is filled.
    m_fileIndex = m_dirIndex >= 0 && lastLib <= 0x7FFFFFFFu ? static_cast<int>(lastLib) : -1;
    dirs->SetCurSel(m_dirIndex);
}

void CLoadFootprint::UpdateButtons() {
    const int count = DirList()->GetCount();
    EnableDlgItem(kMoveUp, m_dirIndex >= 1);
    EnableDlgItem(kMoveDown, m_dirIndex >= 0 && m_dirIndex < count - 1);
    EnableDlgItem(kRemoveFolder, m_dirIndex >= 0);
}

void CLoadFootprint::RewriteKey() {
    SettingsStore::DeleteKey(kKeyPath);
    SettingsKey key;
    if (!key.Create(kKeyPath))
        return;
    ListBoxControl* dirs = DirList();
    for (int i = 0; i < dirs->GetCount(); ++i)
        key.SetNumber(dirs->GetText(i), static_cast<uint32_t>(i));
    key.SetNumber(L"LastDir", LibraryFiles::IndexToStore(m_dirIndex));
}

void CLoadFootprint::AddFolder() {
    FolderDialogRequest request;
    request.owner = this;
    if (m_dirIndex >= 0)
        request.folder = DirList()->GetText(m_dirIndex);
    if (!BrowseForFolder(&request))
        return;
    const std::wstring folder = LibraryFiles::FolderPath(request.folder);
    ListBoxControl* dirs = DirList();
    // A folder already listed is selected rather than listed twice: both
    // entries would share one stored value.
    int index = LibraryFiles::FindEntry(*dirs, folder);
    if (index < 0) {
        index = dirs->AddString(folder);
        StoreNumber(folder.c_str(), static_cast<uint32_t>(index));
    }
    dirs->SetCurSel(index);
    m_dirIndex = index;
    m_fileIndex = -1;
    StoreNumber(L"LastDir", static_cast<uint32_t>(index));
    UpdateButtons();
    FillFileList();
}

void CLoadFootprint::RemoveFolder() {
    if (m_dirIndex < 0)
        return;
    ListBoxControl* dirs = DirList();
    {
        SettingsKey key;
        if (key.Open(kKeyPath))
            key.DeleteValue(dirs->GetText(m_dirIndex));
    }
    dirs->DeleteString(m_dirIndex);
    m_dirIndex = -1;
    m_fileIndex = -1;
    UpdateButtons();
    RewriteKey();
    FillFileList();
}

void CLoadFootprint::MoveFolder(int step) {
    ListBoxControl* dirs = DirList();
    const int from = m_dirIndex, to = m_dirIndex + step;
    if (from < 0 || to < 0 || to >= dirs->GetCount())
        return;
    const std::wstring folder = dirs->GetText(from);
    dirs->DeleteString(from);
    dirs->InsertString(to, folder);
    dirs->SetCurSel(to);
    m_dirIndex = to;
    UpdateButtons();
    RewriteKey();
}

// ---- files and the tree ---------------------------------------------------------

void CLoadFootprint::FillFileList() {
    ListBoxControl* files = FileList();
    files->ResetContent();
    if (m_dirIndex >= 0)
        for (const std::wstring& name :
             LibraryFiles::FilesIn(DirList()->GetText(m_dirIndex), L".footprint"))
            files->AddString(name);
    m_fileIndex =
        LibraryFiles::StoredIndex(LibraryFiles::IndexToStore(m_fileIndex), files->GetCount());
    files->SetCurSel(m_fileIndex);
    LoadLibrary();
}

void FilterFootprintLibrary(CTreeNode* node, const CPackage* package) {
    std::vector<CTreeNode*> gone;
    for (CTreeNode* child : node->GetChildren()) {
        bool keep = true;
        switch (child->GetType()) {
        case NodeType::PadstackFolder:
            keep = false;
            break;
        case NodeType::FootprintFolder:
            FilterFootprintLibrary(child, package);
            keep = !child->GetChildren().empty();
            break;
        case NodeType::Footprint:
            keep = package && package->FootprintFitsPins(static_cast<const CFootprint*>(child));
            break;
        default:
            break;
        }
        if (!keep)
            gone.push_back(child);
    }
    for (CTreeNode* child : gone) {
        child->RemoveFromParent();
        delete child;
    }
}

void CLoadFootprint::InsertTree(CTreeNode* node, HTREEITEM parent) {
    const bool isRoot = node == &m_library;
    const int image = isRoot ? 0 : FootprintTreeImage(node->GetType());
    HTREEITEM item =
        Tree()->InsertItem(node->GetText(), image, image, parent, TVI_LAST, PtrToLParam(node));
    if (!isRoot &&
        (node->GetType() == NodeType::Footprint || node->GetType() == NodeType::Padstack))
        return;
    for (CTreeNode* child : node->GetChildren())
        InsertTree(child, item);
    if (isRoot && !node->GetChildren().empty())
        Tree()->Expand(item, TVE_EXPAND);
}

void CLoadFootprint::LoadLibrary() {
    Tree()->DeleteAllItems();
    if (m_fileIndex < 0 || m_dirIndex < 0)
        return;
    for (CTreeNode* child : m_library.ReleaseChildren())
        delete child;
    const std::wstring path =
        LibraryFiles::FolderPath(DirList()->GetText(m_dirIndex)) + FileList()->GetText(m_fileIndex);
    m_library.SetRootTag(L"");
    m_library.SetText(L"");
    CXmlFile file(&m_library);
    unsigned error = 0;
    if (!file.Load(path.c_str()))
        error = 300;
    else if (m_library.GetRootTag() != L"FootprintLib")
        error = 337;
    if (error) {
        for (CTreeNode* child : m_library.ReleaseChildren())
            delete child;
        std::wstring text = LoadStringText(error);
        if (error == 300)
            text += L"\n" + path;
        ShowMessageBox(text, LoadStringText(128), MB_OK | MB_ICONERROR);
        return;
    }
    FilterFootprintLibrary(&m_library, m_package);
    InsertTree(&m_library, TVI_ROOT);
}

void CLoadFootprint::OnTreeClick(const NMHDR* hdr) {
    const auto* click = reinterpret_cast<const NMTVMOUSE*>(hdr);
    if (!click->hItem || !(click->hitFlags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL)))
        return;
    m_chosen.reset();
    const auto* node = LParamToPtr<CTreeNode>(Tree()->GetItemData(click->hItem));
    if (node && node != &m_library && node->GetType() == NodeType::Footprint)
        m_chosen.reset(static_cast<CFootprint*>(node->Clone()));
    if (PlatformWindow* preview = GetDlgItem(kPreview))
        preview->Invalidate(true);
}

// ---- preview ----------------------------------------------------------------------

void CLoadFootprint::DrawPreview(PaintTarget* target, const CFootprint* footprint, int width,
                                 int height) {
    Graphics g(target);
    const Color board = Color::FromColorRef(g_DefaultSettings.colorBoard);
    SolidBrush background(board);
    g.FillRectangle(&background, 0, 0, static_cast<float>(width), static_cast<float>(height));
    if (!footprint)
        return;
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    g.TranslateTransform(static_cast<float>(width) / 2, static_cast<float>(height) / 2);
    g.ScaleTransform(10, -10);
    // Pad numbers are left out of the preview by the drawing flags; the
    // active view's own choice is not touched.
    const uint32_t flags = NodeFlags::HidePadNumbers;
    auto* fp = const_cast<CFootprint*>(footprint);
    for (int layer = 32; layer >= 0; --layer) {
        for (CTreeNode* child : fp->GetChildren()) {
            if (child->GetType() == NodeType::Padstack) {
                for (CTreeNode* part : child->GetChildren()) {
                    const bool onLayer =
                        (part->GetType() == NodeType::PadLayer &&
                         static_cast<CPadLayer*>(part)->m_layer == layer) ||
                        (part->GetType() == NodeType::Marking && part->GetLayer() == layer);
                    if (onLayer)
                        part->DrawOnBoard(&g, flags);
                }
            } else if (child->GetType() == NodeType::Marking && child->GetLayer() == layer) {
                child->DrawOnBoard(&g, flags);
            }
        }
    }
    // The padstacks themselves (holes) over every layer.
    for (CTreeNode* child : fp->GetChildren())
        if (child->GetType() == NodeType::Padstack)
            child->DrawOnBoard(&g, flags);
}

// ---- messages ------------------------------------------------------------------------

void CLoadFootprint::OnInitDialog() {
    CenterWindow();
    m_chosen.reset();
    m_images = ImageList::FromResource(IDB_FOOTPRINT_TREE, kTreeImageWidth, 0xFF00FF);
    Tree()->SetImageList(m_images.get());
    m_dirIndex = m_fileIndex = -1;
    ReadFolders();
    const std::pair<int, unsigned> pictures[] = {
        {kAddFolder, 383}, {kRemoveFolder, 376}, {kMoveUp, 386}, {kMoveDown, 387}};
    for (const auto& [id, bitmap] : pictures)
        if (auto* button = GetDlgItemAs<ButtonControl>(id))
            button->SetBitmap(Bitmap::LoadResource(bitmap));
    UpdateButtons();
    FillFileList();
}

bool CLoadFootprint::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = 1;
        return true;
    case WM_NOTIFY: {
        const auto* hdr = LParamToPtr<NMHDR>(lParam);
        if (hdr->idFrom == static_cast<uint64_t>(kTree) && hdr->code == NM_CLICK)
            OnTreeClick(hdr);
        result = 0;
        return true;
    }
    case WM_COMMAND:
        break;
    default:
        return false;
    }
    const int id = static_cast<int>(LOWORD(wParam));
    const int code = static_cast<int>(HIWORD(wParam));
    result = 0;
    if (id == kDirList && code == LBN_SELCHANGE) {
        m_dirIndex = DirList()->GetCurSel();
        UpdateButtons();
        StoreNumber(L"LastDir", LibraryFiles::IndexToStore(m_dirIndex));
        m_fileIndex = -1;
        FillFileList();
        return true;
    }
    if (id == kFileList && code == LBN_SELCHANGE) {
        m_fileIndex = FileList()->GetCurSel();
        StoreNumber(L"LastLib", LibraryFiles::IndexToStore(m_fileIndex));
        LoadLibrary();
        return true;
    }
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case kAddFolder:
        AddFolder();
        return true;
    case kRemoveFolder:
        RemoveFolder();
        return true;
    case kMoveUp:
        MoveFolder(-1);
        return true;
    case kMoveDown:
        MoveFolder(1);
        return true;
    case IDCANCEL:
        m_chosen.reset();
        EndDialog(IDCANCEL);
        return true;
    case IDOK:
        EndDialog(IDOK);
        return true;
    default:
        return false;
    }
}

int RunLoadFootprint(CPackage* package, const std::wstring& settingsFolder,
                     const std::wstring& programFolder, PlatformWindow* owner,
                     std::unique_ptr<CFootprint>* chosen) {
    CLoadFootprint dialog(package, settingsFolder, programFolder);
    const int result = dialog.DoModal(owner);
    if (chosen)
        *chosen = result == IDOK ? dialog.TakeFootprint() : nullptr;
    return result;
}

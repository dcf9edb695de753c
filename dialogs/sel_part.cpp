#include "dialogs/sel_part.h"

#include "core/default_settings.h"
#include "core/node_type.h"
#include "core/xml_file.h"
#include "dialogs/library_files.h"
#include "dialogs/preview_control.h"
#include "platform/bitmap.h"
#include "platform/button_control.h"
#include "platform/device_context.h"
#include "platform/folder_dialog.h"
#include "platform/list_box_control.h"
#include "platform/settings_store.h"
#include "platform/static_control.h"
#include "platform/string_table.h"
#include "platform/ui_hooks.h"
#include "platform/up_down_control.h"
#include "schematic/package.h"
#include "schematic/part.h"

#include <algorithm>
#include <utility>

const wchar_t* const CSelPart::kKeyPath = L"Software\\Vorpel\\Symbol Libraries";

const DialogTemplate& CSelPart::Resource() {
    static const DialogTemplate t{
        250,
        L"Select Part",
        400,
        206,
        false,
        {
            DlgStatic(IDC_STATIC, L"Directory:", 7, 7, 60, 8),
            DlgListBox(kDirList, 7, 17, 150, 70, WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY),
            DlgButton(kAddFolder, L"", 160, 17, 16, 14, WS_TABSTOP | BS_BITMAP),
            DlgButton(kRemoveFolder, L"", 160, 33, 16, 14, WS_TABSTOP | BS_BITMAP),
            DlgStatic(IDC_STATIC, L"File:", 7, 92, 60, 8),
            DlgListBox(kFileList, 7, 102, 169, 97, WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY),
            DlgStatic(IDC_STATIC, L"Part:", 184, 7, 60, 8),
            DlgListBox(kPackageList, 184, 17, 100, 182, WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY),
            DlgStatic(kPreview, L"", 292, 17, 101, 101),
            DlgStatic(IDC_STATIC, L"Part number:", 292, 127, 50, 8),
            DlgEdit(kPartNumber, 344, 125, 36, 12),
            DialogItem{DialogItemKind::UpDown, kUpDown, L"", 380, 125, 10, 12, 0, 0, {}},
            DlgDefButton(IDOK, L"OK", 288, 185, 50, 14),
            DlgButton(IDCANCEL, L"Cancel", 343, 185, 50, 14),
        },
    };
    return t;
}

CSelPart::CSelPart(std::wstring settingsFolder, std::wstring programFolder)
    : PlatformDialog(Resource()), m_settingsFolder(std::move(settingsFolder)),
      m_programFolder(std::move(programFolder)) {}

CSelPart::~CSelPart() {
    DestroyWindow();
}

std::unique_ptr<CPackage> CSelPart::TakePackage() {
    return std::move(m_taken);
}

std::unique_ptr<PlatformWindow> CSelPart::MakeControl(const DialogItem& item) {
    if (item.id == kPreview)
        return std::make_unique<CPreviewControl>([this](PaintTarget* t, int w, int h) {
            DrawPreview(t, GetChosenPackage(), GetPartIndex(), w, h);
        });
    return nullptr;
}

ListBoxControl* CSelPart::List(int id) const {
    return GetDlgItemAs<ListBoxControl>(id);
}

// ---- folders and files -----------------------------------------------------------

void CSelPart::StoreNumber(const wchar_t* name, uint32_t value) {
    SettingsKey key;
    if (key.Create(kKeyPath))
        key.SetNumber(name, value);
}

void CSelPart::ReadFolders() {
    ListBoxControl* dirs = List(kDirList);
    SettingsKey key;
    if (!key.Open(kKeyPath)) {
        key.Create(kKeyPath);
        const std::wstring first = LibraryFiles::FolderPath(m_settingsFolder);
        const std::wstring second = LibraryFiles::FolderPath(m_programFolder) + L"Lib/Symbol/";
        for (const std::wstring& folder : {first, second})
            if (LibraryFiles::FindEntry(*dirs, folder) < 0) {
                key.SetString(folder, L"");
                dirs->AddString(folder);
            }
        key.SetNumber(L"LastDir", 0);
        m_dirIndex = 0;
        dirs->SetCurSel(0);
        return;
    }
    uint32_t lastDir = 0xFFFFFFFFu, lastLib = 0xFFFFFFFFu;
    for (const std::wstring& name : key.ValueNames()) {
        switch (key.TypeOf(name)) {
        case SettingsType::Number:
            if (name == L"LastDir")
                key.QueryNumber(name, &lastDir);
            else if (name == L"LastLib")
                key.QueryNumber(name, &lastLib);
            break;
        case SettingsType::String:
            dirs->AddString(name);
            break;
        default:
            break;
        }
    }
    m_dirIndex = LibraryFiles::StoredIndex(lastDir, dirs->GetCount());
    // Checked against the file list once that is filled.
    m_fileIndex = m_dirIndex >= 0 && lastLib <= 0x7FFFFFFFu ? static_cast<int>(lastLib) : -1;
    dirs->SetCurSel(m_dirIndex);
}

void CSelPart::AddFolder() {
    FolderDialogRequest request;
    request.owner = this;
    if (m_dirIndex >= 0)
        request.folder = List(kDirList)->GetText(m_dirIndex);
    if (!BrowseForFolder(&request))
        return;
    const std::wstring folder = LibraryFiles::FolderPath(request.folder);
    ListBoxControl* dirs = List(kDirList);
    // A folder already listed is selected, not listed twice.
    int index = LibraryFiles::FindEntry(*dirs, folder);
    if (index < 0) {
        SettingsKey key;
        if (key.Create(kKeyPath))
            key.SetString(folder, L"");
        index = dirs->AddString(folder);
    }
    dirs->SetCurSel(index);
    m_dirIndex = index;
    m_fileIndex = -1;
    StoreNumber(L"LastDir", static_cast<uint32_t>(index));
    FillFileList();
}

void CSelPart::RemoveFolder() {
    if (m_dirIndex < 0)
        return;
    ListBoxControl* dirs = List(kDirList);
    {
        SettingsKey key;
        if (key.Open(kKeyPath))
            key.DeleteValue(dirs->GetText(m_dirIndex));
    }
    dirs->DeleteString(m_dirIndex);
    m_dirIndex = -1;
    m_fileIndex = -1;
    // The remembered entry went with it.
    StoreNumber(L"LastDir", LibraryFiles::IndexToStore(-1));
    FillFileList();
}

void CSelPart::FillFileList() {
    ListBoxControl* files = List(kFileList);
    files->ResetContent();
    if (m_dirIndex >= 0)
        for (const std::wstring& name :
             LibraryFiles::FilesIn(List(kDirList)->GetText(m_dirIndex), L".symbol"))
            files->AddString(name);
    m_fileIndex =
        LibraryFiles::StoredIndex(LibraryFiles::IndexToStore(m_fileIndex), files->GetCount());
    files->SetCurSel(m_fileIndex);
    LoadLibrary();
}

void CSelPart::ListPackages(CTreeNode* node) {
    for (CTreeNode* child : node->GetChildren()) {
        if (child->GetType() == NodeType::SymbolFolder)
            ListPackages(child);
        else if (child->GetType() == NodeType::Package)
            List(kPackageList)->AddString(child->GetText(), PtrToLParam(child));
    }
}

void CSelPart::LoadLibrary() {
    List(kPackageList)->ResetContent();
    m_package = nullptr;
    m_partIndex = 0;
    // The package shown so far is no longer chosen, with or without a file.
    if (PlatformWindow* preview = GetDlgItem(kPreview))
        preview->Invalidate(true);
    if (m_fileIndex < 0 || m_dirIndex < 0) {
        ShowPartNumber();
        return;
    }
    for (CTreeNode* child : m_library.ReleaseChildren())
        delete child;
    m_library.SetRootTag(L"");
    const std::wstring path = LibraryFiles::FolderPath(List(kDirList)->GetText(m_dirIndex)) +
                              List(kFileList)->GetText(m_fileIndex);
    // A file that cannot be read simply lists nothing.
    if (CXmlFile(&m_library).Load(path.c_str()))
        ListPackages(&m_library);
    ShowPartNumber();
}

// ---- the part -------------------------------------------------------------------

void CSelPart::ShowPartNumber() {
    m_showingPart = true;
    SetDlgItemInt(kPartNumber, m_partIndex + 1, false);
    m_showingPart = false;
}

void CSelPart::ApplyPartNumber(int64_t number, bool rewrite) {
    const int count = m_package ? m_package->GetPartCount() : 0;
    if (count <= 0) {
        // Nothing to show: part 1 stays.
        m_partIndex = 0;
        rewrite = rewrite || number != 1;
    } else if (number < 1) {
        m_partIndex = 0;
        rewrite = true;
    } else if (number > count) {
        m_partIndex = count - 1;
        rewrite = true;
    } else {
        m_partIndex = static_cast<int>(number - 1);
    }
    if (rewrite)
        ShowPartNumber();
    if (PlatformWindow* preview = GetDlgItem(kPreview))
        preview->Invalidate(true);
}

void CSelPart::OnPackageSelected() {
    const int index = List(kPackageList)->GetCurSel();
    if (index < 0)
        return;
    m_package = LParamToPtr<CPackage>(List(kPackageList)->GetItemData(index));
    m_partIndex = 0;
    ApplyPartNumber(1, true);
}

void CSelPart::OnPartNumberEdited() {
    if (!m_package || m_showingPart)
        return;
    bool ok = false;
    int64_t number = static_cast<uint32_t>(GetDlgItemInt(kPartNumber, &ok, false));
    if (!ok) {
        // Counted as part 1; the text being typed is left alone.
        MessageBeep(kSimpleBeep);
        if (PlatformWindow* edit = GetDlgItem(kPartNumber))
            edit->SetFocus();
        m_partIndex = 0;
        if (PlatformWindow* preview = GetDlgItem(kPreview))
            preview->Invalidate(true);
        return;
    }
    ApplyPartNumber(number, false);
}

void CSelPart::OnOk() {
    if (!m_package) {
        ShowMessageBox(LoadStringText(226), LoadStringText(128), MB_OK | MB_ICONERROR);
        return;
    }
    // The caller owns the package from now on; the library loses it.
    m_package->RemoveFromParent();
    m_taken.reset(m_package);
    m_package = nullptr;
    EndDialog(IDOK);
}

// ---- preview ------------------------------------------------------------------------

void CSelPart::DrawPreview(PaintTarget* target, const CPackage* package, int index, int width,
                           int height) {
    DeviceContext dc(*target);
    dc.FillRect(RECT{0, 0, width, height}, CreateSolidBrush(g_DefaultSettings.colorBkg));
    CPart* part = package && index >= 0 && index < package->GetPartCount() ? package->GetPart(index)
                                                                           : nullptr;
    if (!part || width < 3 || height < 3)
        return;
    dc.IntersectClipRect(1, 1, width - 1, height - 1);
    // The part's height sets the scale: the window is its height times 1000
    // logical units across, shown over the control's height.
    const int s = std::max(part->m_size.cy, 1) * 1000;
    const int h = height;
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(s, s);
    dc.SetViewportExt(h, -h);
    dc.SetWindowOrg(0, s);
    dc.SetViewportOrg((width - h) / 2 + h / 4, -h / 4);
    dc.SetBkMode(TRANSPARENT);
    part->DrawOnSheet(&dc, 0);
}

// ---- messages ---------------------------------------------------------------------

void CSelPart::OnInitDialog() {
    CenterWindow();
    m_package = nullptr;
    m_partIndex = 0;
    ShowPartNumber();
    const std::pair<int, unsigned> pictures[] = {{kAddFolder, 383}, {kRemoveFolder, 376}};
    for (const auto& [id, bitmap] : pictures)
        if (auto* button = GetDlgItemAs<ButtonControl>(id))
            button->SetBitmap(Bitmap::LoadResource(bitmap));
    if (auto* spin = GetDlgItemAs<UpDownControl>(kUpDown)) {
        spin->SetRange(1, 1000);
        spin->SetBuddy(GetDlgItem(kPartNumber));
    }
    m_dirIndex = m_fileIndex = -1;
    ReadFolders();
    FillFileList();
}

bool CSelPart::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = 1;
        return true;
    case WM_NOTIFY: {
        const auto* hdr = LParamToPtr<NMHDR>(lParam);
        if (hdr->idFrom != static_cast<uint64_t>(kUpDown) || hdr->code != UDN_DELTAPOS)
            return false;
        // The dialog keeps the number itself; the control's own position is
        // not used.
        result = 1;
        if (m_package)
            ApplyPartNumber(m_partIndex + 1 +
                                static_cast<int64_t>(LParamToPtr<NMUPDOWN>(lParam)->iDelta),
                            true);
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
        m_dirIndex = List(kDirList)->GetCurSel();
        StoreNumber(L"LastDir", LibraryFiles::IndexToStore(m_dirIndex));
        m_fileIndex = -1;
        FillFileList();
        return true;
    }
    if (id == kFileList && code == LBN_SELCHANGE) {
        m_fileIndex = List(kFileList)->GetCurSel();
        StoreNumber(L"LastLib", LibraryFiles::IndexToStore(m_fileIndex));
        LoadLibrary();
        return true;
    }
    if (id == kPackageList && code == LBN_SELCHANGE) {
        OnPackageSelected();
        return true;
    }
    if (id == kPartNumber && code == EN_CHANGE) {
        OnPartNumberEdited();
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
    case IDOK:
        OnOk();
        return true;
    case IDCANCEL:
        EndDialog(IDCANCEL);
        return true;
    default:
        return false;
    }
}

int RunSelPart(const std::wstring& settingsFolder, const std::wstring& programFolder,
               PlatformWindow* owner, std::unique_ptr<CPackage>* package, int* partIndex) {
    CSelPart dialog(settingsFolder, programFolder);
    const int result = dialog.DoModal(owner);
    if (package)
        *package = result == IDOK ? dialog.TakePackage() : nullptr;
    if (partIndex)
        *partIndex = result == IDOK ? dialog.GetPartIndex() : 0;
    return result;
}

#include "dialogs/padstack_sheet.h"

#include "board/drill.h"
#include "board/footprint.h"
#include "board/pad.h"
#include "board/pad_layer.h"
#include "board/padstack.h"
#include "core/default_settings.h"
#include "core/node_type.h"
#include "core/vorpel_view.h"
#include "core/xml_file.h"
#include "dialogs/load_footprint.h"
#include "dialogs/padstack_list_ctrl.h"
#include "dialogs/preview_control.h"
#include "platform/bitmap.h"
#include "platform/combo_box_control.h"
#include "platform/edit_control.h"
#include "platform/file_dialog.h"
#include "platform/graphics.h"
#include "platform/paint_target.h"
#include "platform/static_control.h"
#include "platform/string_table.h"
#include "platform/tree_view_control.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "resources/tree_bitmaps.h"

#include <cmath>

namespace {

constexpr unsigned kCaptionId = 128;      // "Vorpel"
constexpr unsigned kReadErrorId = 300;    // "File read error "
constexpr unsigned kNotALibraryId = 337;  // "File is not a padstack library"
constexpr unsigned kUnitNames = 170;      // "inch", "mm", "mil", "µm"
constexpr unsigned kDrillTypeNames = 387; // "No hole", "Round", "Slot"

// The preview of the sheet's current object.
std::unique_ptr<PlatformWindow> MakePadstackPreview(const CPadstackSheet* sheet) {
    return std::make_unique<CPreviewControl>([sheet](PaintTarget* t, int w, int h) {
        CPadstackSheet::DrawPreview(t, sheet->GetObject(), w, h);
    });
}

bool IsLibraryItem(const CTreeNode* node) {
    return node->GetType() == NodeType::Footprint || node->GetType() == NodeType::Padstack;
}

} // namespace

// ---- Create page ----------------------------------------------------------------

const DialogTemplate& CCreatePadstack::Resource() {
    static const DialogTemplate t{
        314,
        L"Create Padstack",
        330,
        196,
        true,
        {
            DlgStatic(IDC_STATIC, L"Unit:", 7, 9, 30, 8),
            DlgDropDownList(kUnit, 40, 7, 60, 60),
            DialogItem{DialogItemKind::ReportList,
                       kList,
                       L"",
                       7,
                       26,
                       210,
                       110,
                       WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                       LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                       {}},
            DlgStatic(kPreview, L"", 224, 26, 99, 110),
            DlgStatic(IDC_STATIC, L"Drill type:", 7, 146, 50, 8),
            DlgDropDownList(kDrillType, 60, 144, 70, 60),
            DlgStatic(kDiameterLabel, L"Drill diameter:", 7, 166, 60, 8),
            DlgEdit(kDiameter, 70, 164, 50, 12),
            DlgStatic(kSlotWidthLabel, L"Slot width:", 7, 166, 60, 8),
            DlgEdit(kSlotWidth, 70, 164, 50, 12),
            DlgStatic(kSlotHeightLabel, L"Slot height:", 130, 166, 50, 8),
            DlgEdit(kSlotHeight, 183, 164, 50, 12),
        },
    };
    return t;
}

CCreatePadstack::CCreatePadstack(CPadstackSheet* sheet, int unit)
    : PropertyPage(Resource()), m_sheet(sheet), m_unit(IsLengthUnit(unit) ? unit : kUnitMm) {}

CCreatePadstack::~CCreatePadstack() {
    DestroyWindow();
}

CPadstackListCtrl* CCreatePadstack::GetList() const {
    return GetDlgItemAs<CPadstackListCtrl>(kList);
}

std::unique_ptr<PlatformWindow> CCreatePadstack::MakeControl(const DialogItem& item) {
    if (item.id == kList)
        return std::make_unique<CPadstackListCtrl>();
    if (item.id == kPreview)
        return MakePadstackPreview(m_sheet);
    return nullptr;
}

void CCreatePadstack::OnInitDialog() {
    if (m_sheet)
        m_sheet->CenterWindow();
    if (auto* units = GetDlgItemAs<ComboBoxControl>(kUnit))
        for (unsigned i = 0; i < kLengthUnitCount; ++i)
            units->AddString(LoadStringText(kUnitNames + i));
    if (auto* types = GetDlgItemAs<ComboBoxControl>(kDrillType))
        for (unsigned i = 0; i < 3; ++i)
            types->AddString(LoadStringText(kDrillTypeNames + i));
    if (CPadstackListCtrl* list = GetList())
        list->Attach(m_sheet, &m_unit, this);
}

void CCreatePadstack::OnSetActive() {
    Refill();
}

void CCreatePadstack::RepaintPreview() {
    if (PlatformWindow* preview = GetDlgItem(kPreview))
        preview->Invalidate(true);
}

void CCreatePadstack::Refill() {
    if (!m_sheet)
        return;
    // The page edits a padstack; anything else the sheet holds gives way to
    // a new one.
    if (!m_sheet->GetPadstack())
        m_sheet->SetObject(std::make_unique<CPadstack>());
    CPadstack* padstack = m_sheet->GetPadstack();
    if (auto* units = GetDlgItemAs<ComboBoxControl>(kUnit))
        units->SetCurSel(m_unit);
    if (CPadstackListCtrl* list = GetList())
        list->FillRows();
    const CDrill* drill = padstack->FindDrill();
    const int type = drill ? drill->m_drillType : kDrillNone;
    if (auto* types = GetDlgItemAs<ComboBoxControl>(kDrillType))
        types->SetCurSel(type);
    ShowDrillControls(type);
    WriteDrillFields();
    RepaintPreview();
}

void CCreatePadstack::ShowDrillControls(int type) {
    const bool round = type == kDrillRound;
    const bool slot = type == kDrillSlot;
    for (int id : {static_cast<int>(kDiameterLabel), static_cast<int>(kDiameter)})
        if (PlatformWindow* w = GetDlgItem(id))
            w->ShowWindow(round);
    for (int id : {static_cast<int>(kSlotWidthLabel), static_cast<int>(kSlotWidth),
                   static_cast<int>(kSlotHeightLabel), static_cast<int>(kSlotHeight)})
        if (PlatformWindow* w = GetDlgItem(id))
            w->ShowWindow(slot);
}

void CCreatePadstack::WriteDrillFields() {
    const CPadstack* padstack = m_sheet ? m_sheet->GetPadstack() : nullptr;
    if (const CDrill* drill = padstack ? padstack->FindDrill() : nullptr) {
        m_diameter = drill->m_diam;
        m_slotWidth = drill->m_slotWidth;
        m_slotHeight = drill->m_slotHeight;
    }
    // Shown from the millimetres, so that merely showing a size in another
    // unit never rounds it; the notifications of these writes are ignored.
    m_writing = true;
    SetDlgItemText(kDiameter, FormatLength(m_diameter, m_unit));
    SetDlgItemText(kSlotWidth, FormatLength(m_slotWidth, m_unit));
    SetDlgItemText(kSlotHeight, FormatLength(m_slotHeight, m_unit));
    m_writing = false;
}

void CCreatePadstack::OnUnitChanged() {
    auto* units = GetDlgItemAs<ComboBoxControl>(kUnit);
    const int unit = units ? units->GetCurSel() : -1;
    if (!IsLengthUnit(unit) || unit == m_unit)
        return;
    if (CPadstackListCtrl* list = GetList())
        list->CloseEditor(true); // an open cell holds text in the old unit
    m_unit = unit;
    Refill();
}

void CCreatePadstack::ApplyDrillType() {
    CPadstack* padstack = m_sheet ? m_sheet->GetPadstack() : nullptr;
    auto* types = GetDlgItemAs<ComboBoxControl>(kDrillType);
    if (!padstack || !types)
        return;
    const int s = types->GetCurSel();
    if (s < kDrillNone || s > kDrillSlot)
        return;
    if (CDrill* drill = padstack->FindDrill()) {
        if (drill->m_drillType == s)
            return;
        if (s == kDrillNone) {
            drill->RemoveFromParent();
            delete drill;
        } else {
            drill->m_drillType = s;
            if (s == kDrillRound) {
                drill->m_diam = m_diameter;
            } else {
                drill->m_slotWidth = m_slotWidth;
                drill->m_slotHeight = m_slotHeight;
            }
        }
    } else if (s == kDrillRound) {
        auto* added = new CDrill(kDrillRound);
        added->m_diam = m_diameter;
        added->m_slotWidth = 0;
        added->m_slotHeight = 0;
        padstack->AddChild(added);
    } else if (s == kDrillSlot) {
        auto* added = new CDrill(kDrillSlot);
        added->m_diam = 1.0f;
        added->m_slotWidth = m_slotWidth;
        added->m_slotHeight = m_slotHeight;
        padstack->AddChild(added);
    }
    ShowDrillControls(s);
    WriteDrillFields();
    RepaintPreview();
}

void CCreatePadstack::OnDrillFieldChanged(int id) {
    if (m_writing)
        return;
    // While the user types, a text that is not (yet) a size changes nothing;
    // it is refused when the field is left.
    double value = 0;
    if (!ParseFieldNumber(GetDlgItemText(id), &value) || value < 0)
        return;
    const float mm = static_cast<float>(value * g_UnitToMm[m_unit]);
    if (!std::isfinite(mm))
        return;
    CPadstack* padstack = m_sheet ? m_sheet->GetPadstack() : nullptr;
    CDrill* drill = padstack ? padstack->FindDrill() : nullptr;
    if (id == kDiameter) {
        m_diameter = mm;
        if (drill)
            drill->m_diam = mm;
    } else if (id == kSlotWidth) {
        m_slotWidth = mm;
        if (drill)
            drill->m_slotWidth = mm;
    } else if (id == kSlotHeight) {
        m_slotHeight = mm;
        if (drill)
            drill->m_slotHeight = mm;
    }
    RepaintPreview();
}

void CCreatePadstack::OnDrillFieldLeft(int id) {
    if (m_writing)
        return;
    double value = 0;
    if (ParseFieldNumber(GetDlgItemText(id), &value) && value >= 0 &&
        std::isfinite(value * g_UnitToMm[m_unit]))
        return;
    // A field left with text that is no size: refused, the size kept.
    MessageBeep(kSimpleBeep);
    WriteDrillFields();
}

bool CCreatePadstack::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam,
                                           LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = 1;
        return true;
    case WM_PADSTACK_REFILL:
        Refill();
        result = 0;
        return true;
    case WM_NOTIFY:
        // The pad-layer table handles its clicks itself.
        return ReflectNotifications(msg, wParam, lParam, result);
    case WM_COMMAND: {
        const int id = static_cast<int>(LOWORD(wParam));
        const int code = static_cast<int>(HIWORD(wParam));
        result = 0;
        if (id == kUnit && code == CBN_SELCHANGE) {
            OnUnitChanged();
            return true;
        }
        if (id == kDrillType && code == CBN_SELCHANGE) {
            ApplyDrillType();
            return true;
        }
        if (id == kDiameter || id == kSlotWidth || id == kSlotHeight) {
            if (code == EN_CHANGE)
                OnDrillFieldChanged(id);
            else if (code == EN_KILLFOCUS)
                OnDrillFieldLeft(id);
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

// ---- Load page --------------------------------------------------------------------

const DialogTemplate& CLoadPadstack::Resource() {
    static const DialogTemplate t{
        311,
        L"Load Padstack",
        330,
        196,
        true,
        {
            DlgStatic(IDC_STATIC, L"Library:", 7, 9, 30, 8),
            DlgEdit(kPath, 40, 7, 258, 12, WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL),
            DlgButton(kBrowse, L"...", 302, 6, 21, 14),
            DialogItem{DialogItemKind::TreeView,
                       kTree,
                       L"",
                       7,
                       26,
                       210,
                       163,
                       WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                           TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP,
                       0,
                       {}},
            DlgStatic(kPreview, L"", 224, 26, 99, 110),
        },
    };
    return t;
}

CLoadPadstack::CLoadPadstack(CPadstackSheet* sheet, std::wstring path)
    : PropertyPage(Resource()), m_sheet(sheet), m_path(std::move(path)),
      m_library(std::make_unique<CRoot>()) {}

CLoadPadstack::~CLoadPadstack() {
    DestroyWindow();
}

TreeViewControl* CLoadPadstack::GetTree() const {
    return GetDlgItemAs<TreeViewControl>(kTree);
}

std::unique_ptr<PlatformWindow> CLoadPadstack::MakeControl(const DialogItem& item) {
    if (item.id == kPreview)
        return MakePadstackPreview(m_sheet);
    return nullptr;
}

void CLoadPadstack::OnInitDialog() {
    if (m_sheet)
        m_sheet->CenterWindow();
    SetDlgItemText(kPath, m_path);
    m_images = ImageList::FromResource(IDB_FOOTPRINT_TREE, kTreeImageWidth, 0xFF00FF);
    if (TreeViewControl* tree = GetTree())
        tree->SetImageList(m_images.get());
    LoadLibrary();
}

bool CLoadPadstack::LoadLibrary() {
    TreeViewControl* tree = GetTree();
    // The tree lets go of the nodes before anything is read.
    if (tree)
        tree->DeleteAllItems();
    auto fresh = std::make_unique<CRoot>();
    CXmlFile file(fresh.get());
    unsigned error = 0;
    if (!file.Load(m_path.c_str()))
        error = kReadErrorId;
    else if (fresh->GetRootTag() != L"FootprintLib")
        error = kNotALibraryId;
    if (error) {
        std::wstring text = LoadStringText(error);
        if (error == kReadErrorId)
            text += L"\n" + m_path;
        ShowMessageBox(text, LoadStringText(kCaptionId), MB_OK | MB_ICONERROR);
        return false;
    }
    m_library = std::move(fresh);
    if (tree)
        InsertTree(m_library.get(), TVI_ROOT);
    return true;
}

void CLoadPadstack::InsertTree(CTreeNode* node, void* parentItem) {
    TreeViewControl* tree = GetTree();
    const bool isRoot = node == m_library.get();
    if (!isRoot && node->GetType() == NodeType::BoardProperties)
        return;
    const int image = isRoot ? 0 : FootprintTreeImage(node->GetType());
    HTREEITEM item =
        tree->InsertItem(node->GetText(), image, image, static_cast<HTREEITEM>(parentItem),
                         TVI_LAST, PtrToLParam(node));
    if (!isRoot && IsLibraryItem(node))
        return;
    for (CTreeNode* child : node->GetChildren())
        InsertTree(child, item);
    const auto& children = node->GetChildren();
    if (isRoot || (!children.empty() && !IsLibraryItem(children.front())))
        tree->Expand(item, TVE_EXPAND);
}

void CLoadPadstack::OnTreeClick(const NMHDR* hdr) {
    const auto* click = reinterpret_cast<const NMTVMOUSE*>(hdr);
    if (!m_sheet || !click->hItem || !(click->hitFlags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL)))
        return;
    m_sheet->SetObject(nullptr);
    TreeViewControl* tree = GetTree();
    const auto* node = tree ? LParamToPtr<CTreeNode>(tree->GetItemData(click->hItem)) : nullptr;
    if (node && node != m_library.get() && IsLibraryItem(node))
        m_sheet->SetObject(std::unique_ptr<CTreeNode>(node->Clone()));
    if (PlatformWindow* preview = GetDlgItem(kPreview))
        preview->Invalidate(true);
}

void CLoadPadstack::OnBrowse() {
    FileDialogRequest request;
    request.owner = m_sheet;
    request.filters = {{L"Footprint Libraries (*.footprint)", L"*.footprint"},
                       {L"All Files (*.*)", L"*.*"}};
    request.initialDir = m_libraryFolder;
    request.fileMustExist = true;
    if (!GetOpenFileName(&request))
        return;
    m_path = request.fileName;
    SetDlgItemText(kPath, m_path);
    LoadLibrary();
}

bool CLoadPadstack::OnKillActive() {
    // What was picked here is not what the Create page starts from.
    if (m_sheet)
        m_sheet->SetObject(nullptr);
    return true;
}

bool CLoadPadstack::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case WM_INITDIALOG:
        OnInitDialog();
        result = 1;
        return true;
    case WM_NOTIFY: {
        auto* hdr = LParamToPtr<NMHDR>(lParam);
        if (hdr && hdr->idFrom == static_cast<uint64_t>(kTree) && hdr->code == NM_CLICK) {
            OnTreeClick(hdr);
            result = 0;
            return true;
        }
        return false;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == kBrowse && HIWORD(wParam) == BN_CLICKED) {
            OnBrowse();
            result = 0;
            return true;
        }
        return false;
    default:
        return false;
    }
}

// ---- Sheet ------------------------------------------------------------------------------

CPadstackSheet::CPadstackSheet(std::wstring caption) : PropertySheet(std::move(caption)) {}

CPadstackSheet::~CPadstackSheet() {
    DestroyWindow();
    m_createPage.reset();
    m_loadPage.reset();
}

CPadstack* CPadstackSheet::GetPadstack() const {
    return m_object && m_object->GetType() == NodeType::Padstack
               ? static_cast<CPadstack*>(m_object.get())
               : nullptr;
}

void CPadstackSheet::SetObject(std::unique_ptr<CTreeNode> object) {
    m_object = std::move(object);
}

int CPadstackSheet::Run(PlatformWindow* owner, int startPage, const std::wstring& libraryPath,
                        const std::wstring& libraryFolder, int unit) {
    // Fresh pages each time: the old ones leave the sheet as they go.
    m_createPage.reset();
    m_loadPage.reset();
    m_loadPage = std::make_unique<CLoadPadstack>(this, libraryPath);
    m_loadPage->m_libraryFolder = libraryFolder;
    m_createPage = std::make_unique<CCreatePadstack>(this, unit);
    AddPage(m_loadPage.get());
    AddPage(m_createPage.get());
    SetStartPage(startPage == kCreatePage ? kCreatePage : kLoadPage);
    m_closeResult = kResultCancel;
    DoModal(owner);
    return m_closeResult;
}

bool CPadstackSheet::ProcessWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
        (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        const bool ok = LOWORD(wParam) == IDOK;
        m_closeResult = ok ? kResultOk : kResultCancel;
        result = 0;
        // With a cell being edited only the editor closes.
        CPadstackListCtrl* list = m_createPage ? m_createPage->GetList() : nullptr;
        if (list && list->CloseEditor(ok))
            return true;
        EndDialog(m_closeResult);
        return true;
    }
    return PropertySheet::ProcessWindowMessage(msg, wParam, lParam, result);
}

void CPadstackSheet::DrawPreview(PaintTarget* target, CTreeNode* object, int width, int height) {
    if (object && object->GetType() == NodeType::Footprint) {
        CLoadFootprint::DrawPreview(target, static_cast<const CFootprint*>(object), width, height);
        return;
    }
    Graphics g(target);
    SolidBrush background(Color::FromColorRef(g_DefaultSettings.colorBoard));
    g.FillRectangle(&background, 0, 0, static_cast<float>(width), static_cast<float>(height));
    if (!object || object->GetType() != NodeType::Padstack)
        return;
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    g.TranslateTransform(static_cast<float>(width) / 2, static_cast<float>(height) / 2);
    g.ScaleTransform(10, -10);
    auto* padstack = static_cast<CPadstack*>(object);
    // The padstack draws at its pads: one at the origin for the preview.
    auto* pad = new CPad();
    padstack->AddChild(pad);
    const uint32_t flags = NodeFlags::HidePadNumbers;
    for (int layer = 32; layer >= 0; --layer)
        for (CTreeNode* child : padstack->GetChildren())
            if (child->GetType() == NodeType::PadLayer &&
                static_cast<CPadLayer*>(child)->m_layer == layer)
                child->DrawOnBoard(&g, flags);
    padstack->DrawOnBoard(&g, flags);
    pad->RemoveFromParent();
    delete pad;
}

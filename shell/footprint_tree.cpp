#include "shell/footprint_tree.h"

#include "board/footprint.h"
#include "board/padstack.h"
#include "core/node_type.h"
#include "core/root.h"
#include "dialogs/footprint_generator.h"
#include "platform/bitmap.h"
#include "platform/string_table.h"
#include "resources/command_ids.h"
#include "resources/tree_bitmaps.h"
#include "schematic/folders.h"

namespace {
constexpr unsigned kNewFootprintId = 213;       // "New Footprint"
constexpr unsigned kNewPadstackId = 214;        // "New Padstack"
constexpr unsigned kNewFootprintFolderId = 215; // "New Footprint Folder"
constexpr unsigned kNewPadstackFolderId = 216;  // "New Padstack Folder"
constexpr unsigned kOnlyFootprintId = 385;      // "Only footprint file can be inserted"

// The family of a node: footprints with their folders, padstacks with
// theirs; 0 for anything else.
int Family(int type) {
    if (type == NodeType::Footprint || type == NodeType::FootprintFolder)
        return 1;
    if (type == NodeType::Padstack || type == NodeType::PadstackFolder)
        return 2;
    return 0;
}

bool IsFolder(int type) {
    return type == NodeType::FootprintFolder || type == NodeType::PadstackFolder;
}
} // namespace

CFootprintTree::CFootprintTree(CLeftPane* pane) : CLeftTabView(2, pane) {}

void CFootprintTree::CreateImageList() {
    m_images =
        ImageList::FromResource(IDB_FOOTPRINT_TREE, kTreeImageWidth, MakeColorRef(255, 0, 255));
    SetImageList(m_images.get());
}

bool CFootprintTree::IsLibrary(const CTreeNode* node) const {
    return node && (IsRoot(node) || node->GetType() == NodeType::FootprintLibrary);
}

bool CFootprintTree::ShowsNode(const CTreeNode*) const {
    return true;
}

bool CFootprintTree::ShowsChildren(const CTreeNode* node) const {
    return node->GetType() != NodeType::Footprint && node->GetType() != NodeType::Padstack;
}

int CFootprintTree::ImageOf(const CTreeNode* node) const {
    return IsLibrary(node) ? 0 : FootprintTreeImage(node->GetType());
}

unsigned CFootprintTree::MenuOf(const CTreeNode* node) const {
    if (IsLibrary(node))
        return IDR_MENU_FOOTPRINT_LIBRARY;
    switch (node->GetType()) {
    case NodeType::FootprintFolder:
        return IDR_MENU_FOOTPRINT_FOLDER;
    case NodeType::PadstackFolder:
        return IDR_MENU_PADSTACK_FOLDER;
    case NodeType::Footprint:
        return IDR_MENU_FOOTPRINT;
    case NodeType::Padstack:
        return IDR_MENU_PADSTACK;
    default:
        return 0;
    }
}

bool CFootprintTree::CanOpen(const CTreeNode* node) const {
    return node->GetType() == NodeType::Footprint || node->GetType() == NodeType::Padstack;
}

bool CFootprintTree::IsViewedKind(const CTreeNode* node) const {
    return Family(node->GetType()) != 0;
}

bool CFootprintTree::CanInsert(const CTreeNode* node, const CTreeNode* target) const {
    if (!node || !target)
        return false;
    const int family = Family(node->GetType());
    if (family == 0)
        return false;
    if (IsLibrary(target))
        return true;
    return IsFolder(target->GetType()) && Family(target->GetType()) == family;
}

void CFootprintTree::Paste() {
    CTreeNode* current = GetCurrentNode();
    if (!current || Clipboard().empty() || !IsInDocument(current))
        return;
    const int type = current->GetType();
    const bool after =
        (type == NodeType::Footprint || type == NodeType::Padstack) && current->GetParent();
    if (!after && !IsLibrary(current) && !IsFolder(type))
        return;
    CTreeNode* target = after ? current->GetParent() : current;
    CTreeNode* node = Clipboard().back();
    if (!CanInsert(node, target)) {
        ShowInvalidInsertion(node, target);
        return;
    }
    PasteCopyInto(target, after ? current : nullptr, IsLibrary(target));
}

void CFootprintTree::PasteFromFile() {
    CTreeNode* current = GetCurrentNode();
    if (!current || !IsInDocument(current))
        return;
    std::unique_ptr<CRoot> loaded = LoadFileForInsertion(kOnlyFootprintId);
    if (!loaded)
        return;
    const int type = current->GetType();
    const bool after =
        (type == NodeType::Footprint || type == NodeType::Padstack) && current->GetParent();
    CTreeNode* target = after ? current->GetParent() : current;
    BeginAction();
    // Each goes to the same place, so that several end up in reverse order.
    for (CTreeNode* node : loaded->ReleaseChildren()) {
        if (!CanInsert(node, target)) {
            ShowInvalidInsertion(node, target);
            delete node;
            continue;
        }
        const int index = after ? current->GetIndexInParent() + 1 : 0;
        target->InsertChildAt(static_cast<std::size_t>(index), node);
        RecordInsert(node);
    }
    Rebuild();
}

void CFootprintTree::AddGenerated(int id) {
    CTreeNode* node = GetCurrentNode();
    if (!node || !(IsLibrary(node) || node->GetType() == NodeType::FootprintFolder))
        return;
    PackageKind kind = PackageKind::Soic;
    const wchar_t* prefix = L"SOIC ";
    switch (id) {
    case ID_FPL_ADD_QFP:
        kind = PackageKind::Qfp;
        prefix = L"QFP ";
        break;
    case ID_FPL_ADD_BGA:
        kind = PackageKind::Bga;
        prefix = L"BGA ";
        break;
    case ID_FPL_ADD_DIP:
        kind = PackageKind::Dip;
        prefix = L"DIP ";
        break;
    default:
        break;
    }
    auto life = LifeToken();
    std::unique_ptr<CFootprint> footprint = RunFootprintGenerator(kind, GetTopLevel());
    if (!*life || !footprint || !IsInDocument(node))
        return;
    footprint->SetText(prefix + LoadStringText(kNewFootprintId));
    AddNewNode(node, footprint.release());
}

bool CFootprintTree::RunCommand(int id) {
    CTreeNode* node = GetCurrentNode();
    if (node && !IsInDocument(node))
        return false;
    const int type = node ? node->GetType() : -1;
    const bool library = IsLibrary(node);
    switch (id) {
    case ID_TREE_PASTE_FROM_FILE:
        PasteFromFile();
        return true;
    case ID_FPL_ADD_FOOTPRINT_FOLDER:
        if (library || type == NodeType::FootprintFolder)
            AddNewNode(node, new CFootprintFolder(LoadStringText(kNewFootprintFolderId).c_str()));
        return true;
    case ID_FPL_ADD_PADSTACK_FOLDER:
        if (library || type == NodeType::PadstackFolder)
            AddNewNode(node, new CPadstackFolder(LoadStringText(kNewPadstackFolderId).c_str()));
        return true;
    case ID_FPL_ADD_FOOTPRINT:
        if (library || type == NodeType::FootprintFolder) {
            auto* footprint = new CFootprint();
            footprint->SetText(LoadStringText(kNewFootprintId));
            footprint->m_unit = 1;
            AddNewNode(node, footprint);
        }
        return true;
    case ID_FPL_ADD_SOIC:
    case ID_FPL_ADD_QFP:
    case ID_FPL_ADD_BGA:
    case ID_FPL_ADD_DIP:
        AddGenerated(id);
        return true;
    case ID_FPL_ADD_PADSTACK:
        if (library || type == NodeType::PadstackFolder) {
            auto* padstack = new CPadstack(LoadStringText(kNewPadstackId).c_str());
            padstack->m_unit = 1;
            AddNewNode(node, padstack);
        }
        return true;
    case ID_LIB_DELETE_FOLDER:
        if (IsFolder(type))
            DeleteNode(node);
        return true;
    case ID_FPL_DELETE_FOOTPRINT:
        if (type == NodeType::Footprint)
            DeleteNode(node);
        return true;
    case ID_FPL_DELETE_PADSTACK:
        if (type == NodeType::Padstack)
            DeleteNode(node);
        return true;
    default:
        return CLeftTabView::RunCommand(id);
    }
}

void CFootprintTree::DeleteByKey(CTreeNode* node) {
    if (Family(node->GetType()) != 0)
        DeleteNode(node);
}

CLeftTabView::DropPlan CFootprintTree::PlanDrop(CTreeNode* source, CTreeNode* target,
                                                UINT hitFlags) const {
    DropPlan refused;
    CTreeNode* parent = source->GetParent();
    if (!parent)
        return refused;
    HTREEITEM sourceItem = FindItem(source);
    if (target->GetParent() == parent && sourceItem &&
        GetItemNode(GetPrevSiblingItem(sourceItem)) == target)
        return refused;
    if (target == parent && source->GetIndexInParent() == 0)
        return refused;
    const int type = source->GetType();
    const int family = Family(type);
    const int targetType = target->GetType();
    if (family == 0)
        return refused;
    DropPlan plan;
    plan.anchor = target;
    if (IsLibrary(target)) {
        plan.where = DropPlan::FirstChild;
    } else if (Family(targetType) != family) {
        return refused;
    } else if (IsFolder(type) && IsFolder(targetType)) {
        // The upper half of the row goes before the folder, the lower half
        // into it.
        const bool upper = (hitFlags & TVHT_ONUPPERHALF) != 0;
        plan.where = upper ? DropPlan::Before : DropPlan::FirstChild;
        plan.markAfter = !upper;
    } else if (IsFolder(targetType)) {
        plan.where = DropPlan::FirstChild; // a footprint or padstack into its folder
    } else {
        plan.where = DropPlan::After; // next to a footprint or padstack
    }
    return plan;
}

#include "shell/symbol_tree.h"

#include "core/node_type.h"
#include "core/root.h"
#include "platform/bitmap.h"
#include "platform/string_table.h"
#include "resources/command_ids.h"
#include "schematic/folders.h"
#include "schematic/package.h"
#include "schematic/part.h"
#include "schematic/text.h"

namespace {
constexpr unsigned kNewFolderId = 139;  // "New Folder"
constexpr unsigned kNewSymbolId = 212;  // "New Symbol"
constexpr unsigned kOnlySymbolId = 384; // "Only symbol file can be inserted"
} // namespace

CSymbolTree::CSymbolTree(CLeftPane* pane) : CLeftTabView(1, pane) {}

void CSymbolTree::CreateImageList() {
    m_images = ImageList::FromResource(IDB_SYMBOL_TREE, 20, MakeColorRef(255, 0, 255));
    SetImageList(m_images.get());
}

bool CSymbolTree::IsContainer(const CTreeNode* node) const {
    return node && (IsRoot(node) || node->GetType() == NodeType::SymbolLibrary ||
                    node->GetType() == NodeType::SymbolFolder);
}

bool CSymbolTree::ShowsNode(const CTreeNode* node) const {
    return node->GetType() != NodeType::BoardProperties;
}

bool CSymbolTree::ShowsChildren(const CTreeNode* node) const {
    return node->GetType() != NodeType::Package;
}

int CSymbolTree::ImageOf(const CTreeNode* node) const {
    if (IsRoot(node) || node->GetType() == NodeType::SymbolLibrary)
        return 0;
    switch (node->GetType()) {
    case NodeType::SymbolFolder:
        return 1;
    case NodeType::Package:
        return 2;
    default:
        return 3;
    }
}

unsigned CSymbolTree::MenuOf(const CTreeNode* node) const {
    if (IsRoot(node) || node->GetType() == NodeType::SymbolLibrary)
        return IDR_MENU_SYMBOL_LIBRARY;
    switch (node->GetType()) {
    case NodeType::SymbolFolder:
        return IDR_MENU_SYMBOL_FOLDER;
    case NodeType::Package:
        return IDR_MENU_SYMBOL;
    default:
        return 0;
    }
}

bool CSymbolTree::CanOpen(const CTreeNode* node) const {
    return node->GetType() == NodeType::Package;
}

bool CSymbolTree::IsViewedKind(const CTreeNode* node) const {
    return node->GetType() == NodeType::SymbolFolder || node->GetType() == NodeType::Package;
}

bool CSymbolTree::CanInsert(const CTreeNode* node, const CTreeNode* target) const {
    if (!node || !IsContainer(target))
        return false;
    return node->GetType() == NodeType::SymbolFolder || node->GetType() == NodeType::Package;
}

CPackage* CSymbolTree::MakeSymbol() {
    auto* symbol = new CPackage();
    symbol->SetText(LoadStringText(kNewSymbolId));
    auto* part = new CPart();
    part->m_size = SIZE{2, 2};
    symbol->AddChild(part);
    struct TextDefault {
        const wchar_t* name;
        const wchar_t* value;
        int x;
    };
    static const TextDefault texts[] = {{L"RefDes", L"?", -15},
                                        {L"PartNum", L"?", 0},
                                        {L"Value", L"?", 15},
                                        {L"Tolerance", L"\u00B1?", 30}};
    for (const TextDefault& t : texts) {
        auto* text = new CText(t.value);
        text->m_name = t.name;
        text->m_position = POINT{t.x, -15};
        symbol->AddChild(text);
    }
    return symbol;
}

void CSymbolTree::Paste() {
    CTreeNode* current = GetCurrentNode();
    if (!current || Clipboard().empty() || !IsInDocument(current))
        return;
    const bool afterSymbol = current->GetType() == NodeType::Package;
    if (!afterSymbol && !IsContainer(current))
        return;
    CTreeNode* target = afterSymbol ? current->GetParent() : current;
    CTreeNode* node = Clipboard().back();
    if (!target || !CanInsert(node, target)) {
        ShowInvalidInsertion(node, target ? target : current);
        return;
    }
    PasteCopyInto(target, afterSymbol ? current : nullptr, IsRoot(target));
}

void CSymbolTree::PasteFromFile() {
    CTreeNode* current = GetCurrentNode();
    if (!current || !IsInDocument(current))
        return;
    std::unique_ptr<CRoot> loaded = LoadFileForInsertion(kOnlySymbolId);
    if (!loaded)
        return;
    const bool afterSymbol = current->GetType() == NodeType::Package && current->GetParent();
    CTreeNode* target = afterSymbol ? current->GetParent() : current;
    BeginAction();
    // Each goes to the same place, so that several end up in reverse order.
    for (CTreeNode* node : loaded->ReleaseChildren()) {
        if (!CanInsert(node, target)) {
            ShowInvalidInsertion(node, target);
            delete node;
            continue;
        }
        const int index = afterSymbol ? current->GetIndexInParent() + 1 : 0;
        target->InsertChildAt(static_cast<std::size_t>(index), node);
        RecordInsert(node);
    }
    Rebuild();
}

bool CSymbolTree::RunCommand(int id) {
    CTreeNode* node = GetCurrentNode();
    if (node && !IsInDocument(node))
        return false;
    const int type = node ? node->GetType() : -1;
    switch (id) {
    case ID_TREE_PASTE_FROM_FILE:
        PasteFromFile();
        return true;
    case ID_SYM_ADD_FOLDER:
        if (IsContainer(node))
            AddNewNode(node, new CSymbolFolder(LoadStringText(kNewFolderId).c_str()));
        return true;
    case ID_SYM_ADD_SYMBOL:
        if (IsContainer(node))
            AddNewNode(node, MakeSymbol());
        return true;
    case ID_LIB_DELETE_FOLDER:
        if (type == NodeType::SymbolFolder)
            DeleteNode(node);
        return true;
    case ID_SYM_DELETE_SYMBOL:
        if (type == NodeType::Package)
            DeleteNode(node);
        return true;
    default:
        return CLeftTabView::RunCommand(id);
    }
}

void CSymbolTree::DeleteByKey(CTreeNode* node) {
    if (node->GetType() == NodeType::SymbolFolder || node->GetType() == NodeType::Package)
        DeleteNode(node);
}

CLeftTabView::DropPlan CSymbolTree::PlanDrop(CTreeNode* source, CTreeNode* target,
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
    const bool library = IsRoot(target) || target->GetType() == NodeType::SymbolLibrary;
    const int targetType = target->GetType();
    DropPlan plan;
    plan.anchor = target;
    switch (source->GetType()) {
    case NodeType::Package:
        if (targetType == NodeType::Package)
            plan.where = DropPlan::After;
        else if (library || targetType == NodeType::SymbolFolder)
            plan.where = DropPlan::FirstChild;
        break;
    case NodeType::SymbolFolder:
        if (targetType == NodeType::SymbolFolder && !library) {
            // The upper half of the row goes before the folder, the lower
            // half into it.
            const bool upper = (hitFlags & TVHT_ONUPPERHALF) != 0;
            plan.where = upper ? DropPlan::Before : DropPlan::FirstChild;
            plan.markAfter = !upper;
        } else if (targetType == NodeType::Package) {
            plan.where = DropPlan::After;
        } else if (library) {
            plan.where = DropPlan::FirstChild;
        }
        break;
    default:
        break;
    }
    return plan.where == DropPlan::Refused ? refused : plan;
}

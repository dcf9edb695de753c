#include "shell/project_tree.h"

#include "board/board.h"
#include "board/board_properties.h"
#include "board/layer.h"
#include "cam/bill_of_materials.h"
#include "cam/gerber_export.h"
#include "core/default_settings.h"
#include "core/node_type.h"
#include "core/property_grid.h"
#include "core/root.h"
#include "core/undo_node_records.h"
#include "core/vorpel_view.h"
#include "core/xml_file.h"
#include "dialogs/board_class_settings.h"
#include "dialogs/board_dialog.h"
#include "dialogs/drill_table.h"
#include "dialogs/stackup.h"
#include "platform/bitmap.h"
#include "platform/string_table.h"
#include "platform/text.h"
#include "platform/ui_hooks.h"
#include "resources/command_ids.h"
#include "schematic/folders.h"
#include "schematic/schematic_undo_records.h"
#include "schematic/sheet.h"
#include "schematic/sheet_object.h"
#include "shell/main_frame.h"

#include <algorithm>
#include <cwctype>

namespace {
constexpr unsigned kNewBlockId = 136;      // "New Block"
constexpr unsigned kNewBoardId = 137;      // "New Board"
constexpr unsigned kSheetPrefixId = 138;   // "Sheet "
constexpr unsigned kDuplicateNameId = 296; // "Duplicate name"
constexpr unsigned kOnlyProjectId = 383;   // "Only project file can be inserted"
// Sheet numbers beyond this are read as this, which keeps the next one in
// range.
constexpr long long kLargestSheetNumber = 1000000000000LL;
} // namespace

CProjectTree::CProjectTree(CLeftPane* pane) : CLeftTabView(0, pane) {}

void CProjectTree::CreateImageList() {
    m_images = ImageList::FromResource(IDB_PROJECT_TREE, 20, MakeColorRef(255, 0, 255));
    SetImageList(m_images.get());
}

// --- What the tree shows -------------------------------------------------------------

bool CProjectTree::IsProject(const CTreeNode* node) const {
    return node && (IsRoot(node) || node->GetType() == NodeType::Project);
}

bool CProjectTree::ShowsNode(const CTreeNode* node) const {
    const int type = node->GetType();
    return type == NodeType::Block || type == NodeType::Board || type == NodeType::Sheet;
}

bool CProjectTree::ShowsChildren(const CTreeNode* node) const {
    return node->GetType() != NodeType::Sheet;
}

int CProjectTree::ImageOf(const CTreeNode* node) const {
    if (IsProject(node))
        return 0;
    switch (node->GetType()) {
    case NodeType::Block:
        return 1;
    case NodeType::Board:
        return 2;
    case NodeType::Sheet:
        return 3;
    default:
        return 4;
    }
}

unsigned CProjectTree::MenuOf(const CTreeNode* node) const {
    if (IsProject(node))
        return IDR_MENU_PROJECT;
    switch (node->GetType()) {
    case NodeType::Block:
        return IDR_MENU_BLOCK;
    case NodeType::Board:
        return IDR_MENU_BOARD;
    case NodeType::Sheet:
        return IDR_MENU_SHEET;
    default:
        return 0;
    }
}

bool CProjectTree::CanOpen(const CTreeNode* node) const {
    return node->GetType() == NodeType::Board || node->GetType() == NodeType::Sheet;
}

bool CProjectTree::IsViewedKind(const CTreeNode* node) const {
    const int type = node->GetType();
    return type == NodeType::Block || type == NodeType::Board || type == NodeType::Sheet;
}

// --- Inserting -------------------------------------------------------------------------

bool CProjectTree::CanInsert(const CTreeNode* node, const CTreeNode* target) const {
    if (!node || !target)
        return false;
    const int type = node->GetType();
    if (IsProject(target) || target->GetType() == NodeType::Block)
        return type == NodeType::Block || type == NodeType::Board;
    if (target->GetType() == NodeType::Board)
        return type == NodeType::Sheet;
    return false;
}

std::wstring CProjectTree::NewSheetName(const CTreeNode* board) {
    const std::wstring prefix = LoadStringText(kSheetPrefixId);
    long long largest = 0;
    if (board) {
        for (const CTreeNode* child : board->GetChildren()) {
            if (child->GetType() != NodeType::Sheet)
                continue;
            const std::wstring& name = child->GetText();
            if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
                !std::iswdigit(name[prefix.size()]))
                continue;
            long long n = ParseInteger(name.c_str() + prefix.size());
            largest = std::max(largest, std::min(n, kLargestSheetNumber));
        }
    }
    return prefix + StrPrintf(L"%lld", largest + 1);
}

CSheet* CProjectTree::MakeSheet(const std::wstring& name) {
    auto* sheet = new CSheet(name.c_str());
    const DefaultSettings& d = g_DefaultSettings;
    sheet->m_unit = static_cast<uint32_t>(d.unit);
    sheet->m_size = SIZE{MmToHundredths(d.sheetWidth), MmToHundredths(d.sheetHeight)};
    sheet->m_gridSize = MmToHundredths(d.gridWidth);
    sheet->m_wireWidth = static_cast<uint32_t>(MmToHundredths(d.wireWidth));
    sheet->m_busWidth = static_cast<uint32_t>(MmToHundredths(d.busWidth));
    sheet->m_dotDiameter = static_cast<uint32_t>(MmToHundredths(d.connCircle));
    sheet->m_fontName = d.font.lfFaceName;
    return sheet;
}

CBoard* CProjectTree::MakeBoard() {
    auto* board = new CBoard();
    board->SetText(LoadStringText(kNewBoardId));
    board->CreateDefaultOutline();
    return board;
}

void CProjectTree::InsertChild(CTreeNode* target, CTreeNode* node) {
    if (node->GetType() == NodeType::Sheet)
        node->SetText(NewSheetName(target));
    target->AddChild(node);
    RecordInsert(node);
    SheetNamed(node);
}

void CProjectTree::SheetNamed(CTreeNode* node) {
    if (node->GetType() == NodeType::Sheet && node->GetParent())
        TakeBackObjects(node->GetParent(), static_cast<CSheet*>(node));
}

void CProjectTree::Renamed(CTreeNode* node) {
    if (node == m_namingNewSheet)
        GiveBackObjects(m_namingNewSheet);
    m_namingNewSheet = nullptr;
    SheetNamed(node);
}

void CProjectTree::Paste() {
    CTreeNode* target = GetCurrentNode();
    if (!target || Clipboard().empty() || !IsInDocument(target))
        return;
    CTreeNode* node = Clipboard().back();
    if (!CanInsert(node, target)) {
        ShowInvalidInsertion(node, target);
        return;
    }
    BeginAction();
    CTreeNode* copy = CloneClipboard();
    const std::wstring& name = copy->GetText();
    if (copy->GetType() == NodeType::Sheet && !name.empty() && !FindSheetByName(target, name)) {
        // A sheet cut and pasted back keeps its name, and the drawing left
        // behind on it comes back onto it.
        target->AddChild(copy);
        RecordInsert(copy);
        SheetNamed(copy);
    } else {
        InsertChild(target, copy);
    }
    Rebuild();
}

void CProjectTree::TakeBackObjects(CTreeNode* board, CSheet* sheet) {
    // The board's objects that lie on a sheet of this name which has left
    // the document (cut or deleted, kept by the history, or freed since and
    // only named): saved and read again they would lie on this sheet, so
    // they do now, whichever way the sheet came by its name (added, renamed,
    // pasted, read from a file).
    bool taken = false;
    std::vector<CTreeNode*> stack(board->GetChildren().rbegin(), board->GetChildren().rend());
    while (!stack.empty()) {
        CTreeNode* node = stack.back();
        stack.pop_back();
        auto* object = dynamic_cast<CSheetObject*>(node);
        CSheet* old = object ? object->m_pSheet.Get() : nullptr;
        const std::wstring* name = !object ? nullptr
                                   : old   ? &old->GetName()
                                           : object->m_pSheet.GetLostName();
        if (name && old != sheet && (!old || !old->GetParent()) && *name == sheet->GetName()) {
            GetUndoList().AddUndo(new CUndoChangeSheetOfObject(object));
            object->m_takenFrom = std::make_unique<SheetLink>(object->m_pSheet);
            if (old)
                old->RemoveObject(object);
            sheet->AddObject(object);
            taken = true;
        }
        for (auto it = node->GetChildren().rbegin(); it != node->GetChildren().rend(); ++it)
            stack.push_back(*it);
    }
    // A sheet renamed in its open editor shows them at once.
    if (CVorpelView* view = taken ? sheet->GetEditorView() : nullptr)
        view->Invalidate(false);
}

void CProjectTree::GiveBackObjects(CSheet* sheet) {
    // What the sheet took up under the name it has left goes back to what
    // it lay on: the name a new sheet passed through keeps nothing of
    // another sheet's.
    std::vector<CSheetObject*> taken;
    for (CSheetObject* object : sheet->m_objects)
        if (object->m_takenFrom)
            taken.push_back(object);
    for (CSheetObject* object : taken) {
        GetUndoList().AddUndo(new CUndoChangeSheetOfObject(object));
        const SheetLink from = *object->m_takenFrom;
        object->m_takenFrom.reset();
        sheet->RemoveObject(object);
        if (from)
            from->AddObject(object);
        else
            object->m_pSheet = from;
    }
    if (CVorpelView* view = taken.empty() ? nullptr : sheet->GetEditorView())
        view->Invalidate(false);
}

void CProjectTree::PasteFromFile() {
    CTreeNode* target = GetCurrentNode();
    if (!target || !IsInDocument(target))
        return;
    std::unique_ptr<CRoot> loaded = LoadFileForInsertion(kOnlyProjectId);
    if (!loaded)
        return;
    BuildBoardNetsInTree(loaded.get());
    BeginAction();
    // The nodes read move into the project whole: their objects stay on
    // their own sheets and their pins in their own nets.
    for (CTreeNode* node : loaded->ReleaseChildren()) {
        if (CanInsert(node, target)) {
            InsertChild(target, node);
        } else {
            ShowInvalidInsertion(node, target);
            delete node;
        }
    }
    Rebuild();
}

// --- Commands ------------------------------------------------------------------------------

void CProjectTree::AddBoard() {
    CTreeNode* target = GetCurrentNode();
    if (!target || !(IsProject(target) || target->GetType() == NodeType::Block))
        return;
    CBoard* board = MakeBoard();
    board->AddChild(CreateDefaultBoardProperties());
    board->AddChild(new CLayer(0));
    board->AddChild(new CLayer(1));
    board->AddChild(MakeSheet(NewSheetName(board)));
    // A new board shows its sheet; its parts come and go with it as one
    // insertion.
    if (m_pane)
        m_pane->SetNodeExpanded(board, true);
    AddNewNode(target, board);
}

void CProjectTree::RunBoardDialog(int id, CBoard* board) {
    PlatformWindow* owner = GetTopLevel();
    auto life = LifeToken();
    const CTabWindow::DocumentsWatch watch = g_MainFrame.m_tabWindow.WatchDocuments();
    switch (id) {
    case ID_PRJ_BOARD_PROPERTIES: {
        CBoardProperties* properties = CBoardDialog::PrepareProperties(board, &GetUndoList());
        if (!properties)
            return;
        CBoardDialog dialog(properties, &GetUndoList());
        if (dialog.DoModal(owner) == IDOK && g_pActiveView)
            g_pActiveView->Invalidate(false);
        break;
    }
    case ID_PRJ_STACKUP: {
        CStackup dialog(board, &GetUndoList());
        dialog.DoModal(owner);
        if (CVorpelView* view = g_pActiveView) {
            // The board's own editor shows its rows and fills its layer
            // selector again; another page (a sheet) keeps its panel.
            if (view->GetDocument() == board) {
                g_MainFrame.GetPropertyGrid().ShowProperties(board);
                view->PostMessage(WM_SHOWWINDOW, 1, 0);
            }
            view->Invalidate(false);
        }
        break;
    }
    case ID_PRJ_DRILL_TABLE: {
        CDrillTable dialog(board, &GetUndoList());
        dialog.DoModal(owner);
        break;
    }
    default:
        return;
    }
    g_MainFrame.m_tabWindow.CatchUpWithDocuments(watch);
    if (*life)
        SetFocus();
}

bool CProjectTree::RunCommand(int id) {
    CTreeNode* node = GetCurrentNode();
    if (node && !IsInDocument(node))
        return false;
    const int type = node ? node->GetType() : -1;
    const bool container = node && (IsProject(node) || type == NodeType::Block);
    switch (id) {
    case ID_TREE_PASTE_FROM_FILE:
        PasteFromFile();
        return true;
    case ID_PRJ_ADD_BLOCK:
        if (container)
            AddNewNode(node, new CBlock(LoadStringText(kNewBlockId).c_str()));
        return true;
    case ID_PRJ_ADD_BOARD:
        AddBoard();
        return true;
    case ID_PRJ_ADD_SHEET:
        if (type == NodeType::Board) {
            CTreeNode* sheet = AddNewNode(node, MakeSheet(NewSheetName(node)));
            SheetNamed(sheet);
            m_namingNewSheet = static_cast<CSheet*>(sheet);
        }
        return true;
    case ID_PRJ_DELETE_BLOCK:
    case ID_PRJ_DELETE_BOARD:
    case ID_PRJ_DELETE_SHEET: {
        const int wanted = id == ID_PRJ_DELETE_BLOCK   ? NodeType::Block
                           : id == ID_PRJ_DELETE_BOARD ? NodeType::Board
                                                       : NodeType::Sheet;
        if (type == wanted)
            DeleteNode(node);
        return true;
    }
    case ID_PRJ_BOARD_PROPERTIES:
    case ID_PRJ_STACKUP:
    case ID_PRJ_DRILL_TABLE:
        if (type == NodeType::Board)
            RunBoardDialog(id, static_cast<CBoard*>(node));
        return true;
    case ID_PRJ_BILL_OF_MATERIALS:
    case ID_PRJ_GERBER:
        if (type != NodeType::Board)
            return true;
        // The outputs are of the board as it stands without work under way.
        g_MainFrame.DropWorkInDocument(GetKind());
        if (!IsInDocument(node))
            return true;
        if (id == ID_PRJ_BILL_OF_MATERIALS)
            ExportBillOfMaterials(static_cast<CBoard*>(node));
        else
            ExportGerber(static_cast<CBoard*>(node));
        return true;
    default:
        return CLeftTabView::RunCommand(id);
    }
}

void CProjectTree::DeleteByKey(CTreeNode* node) {
    const int type = node->GetType();
    if (type == NodeType::Block || type == NodeType::Board || type == NodeType::Sheet)
        DeleteNode(node);
}

// --- Renaming and moving ----------------------------------------------------------------

CLeftTabView::NameCheck CProjectTree::CheckName(CTreeNode* node, const std::wstring& text) {
    if (node->GetType() != NodeType::Sheet)
        return NameCheck::Take;
    // Objects find their sheet by name: a sheet keeps a name of its own.
    if (text.empty())
        return NameCheck::Ignore;
    if (const CTreeNode* board = node->GetParent()) {
        for (const CTreeNode* sibling : board->GetChildren()) {
            if (sibling != node && sibling->GetType() == NodeType::Sheet &&
                sibling->GetText() == text) {
                ErrorBox(LoadStringText(kDuplicateNameId));
                return NameCheck::Retry;
            }
        }
    }
    return NameCheck::Take;
}

CLeftTabView::DropPlan CProjectTree::PlanDrop(CTreeNode* source, CTreeNode* target, UINT) const {
    DropPlan refused;
    CTreeNode* parent = source->GetParent();
    if (!parent)
        return refused;
    // Onto the item just before it, or onto its parent while it leads the
    // parent's children, a drop would leave it where it is.
    HTREEITEM sourceItem = FindItem(source);
    if (target->GetParent() == parent && sourceItem &&
        GetItemNode(GetPrevSiblingItem(sourceItem)) == target)
        return refused;
    if (target == parent) {
        const int index = source->GetIndexInParent();
        if (index == 0 ||
            (index == 1 && (IsProject(parent) || parent->GetType() == NodeType::Board)))
            return refused;
    }
    const int type = source->GetType();
    const int targetType = IsProject(target) ? NodeType::Project : target->GetType();
    bool accepted = false;
    switch (type) {
    case NodeType::Block:
        accepted = targetType == NodeType::Project || targetType == NodeType::Block;
        break;
    case NodeType::Board:
        accepted = targetType == NodeType::Project || targetType == NodeType::Block ||
                   targetType == NodeType::Board;
        break;
    case NodeType::Sheet:
        // Within its own board only: another board does not hold its objects.
        accepted = (targetType == NodeType::Board && target == parent) ||
                   (targetType == NodeType::Sheet && target->GetParent() == parent);
        break;
    default:
        break;
    }
    if (!accepted)
        return refused;
    DropPlan plan;
    plan.markAfter = true;
    if (type == targetType) {
        plan.where = DropPlan::After;
        plan.anchor = target;
    } else {
        plan.where = DropPlan::FirstChild;
        plan.anchor = target;
    }
    return plan;
}

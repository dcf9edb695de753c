#include "core/model_services.h"

#include "core/node_type.h"
#include "core/tree_node.h"
#include "core/undo_list.h"
#include "core/vorpel_view.h"

#include <memory>
#include <vector>

namespace {
BoardLayerIndexFinder g_indexFinder = nullptr;
GraphicsOfView g_makeGraphics = nullptr;
ReleaseGraphics g_releaseGraphics = nullptr;
} // namespace

CUndoList* GetActiveUndoList() {
    return g_pActiveView ? &g_pActiveView->GetUndoList() : nullptr;
}

namespace {
// Records made while no history takes them. They may own what the caller
// detaches right after pushing them, so they live on until discarded.
std::vector<std::unique_ptr<CUndoItem>>& Orphans() {
    static std::vector<std::unique_ptr<CUndoItem>> orphans;
    return orphans;
}
} // namespace

void PushUndo(CUndoItem* item) {
    if (!item)
        return;
    if (CUndoList* list = GetActiveUndoList())
        list->AddUndo(item);
    else
        Orphans().emplace_back(item);
}

void DiscardOrphanUndoRecords() {
    Orphans().clear();
}

void StartUndoGroup() {
    if (CUndoList* list = GetActiveUndoList())
        list->SetStartNewGroup(true);
}

void SetBoardLayerIndexFinder(BoardLayerIndexFinder hook) {
    g_indexFinder = hook;
}

CTreeNode* FindBoardAbove(const CTreeNode* node) {
    for (CTreeNode* p = node ? node->GetParent() : nullptr; p; p = p->GetParent())
        if (p->GetType() == NodeType::Board)
            return p;
    return nullptr;
}

CBoardLayerIndex* FindBoardLayerIndex(CTreeNode* node) {
    if (!g_indexFinder)
        return nullptr;
    CTreeNode* board = FindBoardAbove(node);
    return board ? g_indexFinder(board) : nullptr;
}

int GetActiveViewKind() {
    return g_pActiveView ? g_pActiveView->GetViewKind() : 0;
}

int GetActiveViewUnit() {
    if (!g_pActiveView || !g_pActiveView->GetUnitPointer())
        return -1;
    return *g_pActiveView->GetUnitPointer();
}

void SetGraphicsOfView(GraphicsOfView make, ReleaseGraphics release) {
    g_makeGraphics = make;
    g_releaseGraphics = release;
}

Graphics* MakeActiveViewGraphics() {
    return g_pActiveView && g_makeGraphics ? g_makeGraphics(g_pActiveView) : nullptr;
}

void ReleaseActiveViewGraphics(Graphics* g) {
    if (g && g_releaseGraphics)
        g_releaseGraphics(g);
}

void RepaintBoardSide(CTreeNode* node) {
    if (!g_pActiveView || !node)
        return;
    Graphics* g = MakeActiveViewGraphics();
    node->InvalidateOnBoard(g);
    ReleaseActiveViewGraphics(g);
}

void RepaintSheetSide(CTreeNode* node, bool withChildren) {
    if (!g_pActiveView || !node)
        return;
    // The sheet-side surface of the view comes with the view base; until then
    // the nodes map their bounds without one.
    node->InvalidateOnSheet(nullptr);
    if (withChildren)
        for (CTreeNode* child : node->GetChildren())
            child->InvalidateOnSheet(nullptr);
}

void RepaintBySide(CTreeNode* node) {
    if (IsBoardSideNode(node))
        RepaintBoardSide(node);
    else
        RepaintSheetSide(node, true);
}

void RepaintWholeWindow() {
    if (g_pActiveView)
        g_pActiveView->InvalidateRect(nullptr, false);
}

void RepaintByView(CTreeNode* node) {
    if (!g_pActiveView)
        return;
    int kind = GetActiveViewKind();
    if (kind == 1 || kind == 2)
        RepaintSheetSide(node, false);
    else
        RepaintWholeWindow();
}

namespace {
LibraryFootprintFinder g_footprintFinder = nullptr;
NodeViewOpener g_viewOpener = nullptr;
OtherStepsForgetter g_stepsForgetter = nullptr;
UnrecordedChanger g_unrecordedChanger = nullptr;
} // namespace

void SetLibraryFootprintFinder(LibraryFootprintFinder hook) {
    g_footprintFinder = hook;
}

CTreeNode* FindLibraryFootprint(const std::wstring& name) {
    return g_footprintFinder ? g_footprintFinder(name) : nullptr;
}

void SetNodeViewOpener(NodeViewOpener hook) {
    g_viewOpener = hook;
}

void OpenNodeView(CTreeNode* node) {
    if (g_viewOpener)
        g_viewOpener(node);
}

void SetOtherStepsForgetter(OtherStepsForgetter hook) {
    g_stepsForgetter = hook;
}

void ForgetOtherStepsOn(const CTreeNode* node) {
    if (g_stepsForgetter && node)
        g_stepsForgetter(node);
}

void SetUnrecordedChanger(UnrecordedChanger hook) {
    g_unrecordedChanger = hook;
}

void ChangeWithoutHistory(const std::function<void()>& change) {
    if (g_unrecordedChanger)
        g_unrecordedChanger(change);
    else
        change();
}
